// CModbusConfig: the Modbus settings pane ("Modbus Configuration"): status
// and error texts, the network address (hidden for a Modbus master), baud
// rate, parity, stop bits and the watchdog timeout. CModbusConfigEnh
// (ModbusConfigEnh.h) adds the network type and duplex of the enhanced
// Modbus record. GUI thread only.
#pragma once

#include "tool/ui/NetworkPane.h"

namespace gantry::ui {

class CModbusConfig : public CNetworkPane {
    Q_OBJECT

public:
    explicit CModbusConfig(ConfigurationSession& session, QWidget* parent = nullptr);

    ScreenKind Kind() const override { return ScreenKind::Modbus; }
    // The Modbus master rule, the enable rule, every value.
    void RefreshFromSession() override;
    // The network address text (not for a Modbus master).
    void CollectEntries(ScreenEntries& entries) const override;
    // Field::NetworkAddress.
    bool FocusField(Field field) override;

    // The controls, for tests and screenshots.
    QLabel* StatusText() const { return m_status; }
    QLabel* ErrorText() const { return m_error; }
    QLineEdit* NetworkAddress() const { return m_address; }
    QComboBox* BaudRate() const { return m_baud; }
    QComboBox* Parity() const { return m_parity; }
    QComboBox* StopBits() const { return m_stopBits; }
    QLineEdit* WatchdogTimeout() const { return m_watchdog; }

protected:
    // The enhanced pane: its own title row count and watchdog label.
    CModbusConfig(ConfigurationSession& session, int rows, const QString& watchdogLabel,
                  QWidget* parent);
    // The record this pane shows.
    virtual const ModbusSettings& Record() const;

private:
    void Build(const QString& watchdogLabel);
    void ConnectEvents();

    QLabel* m_status = nullptr;
    QLabel* m_error = nullptr;
    QLineEdit* m_address = nullptr;
    QComboBox* m_baud = nullptr;
    QComboBox* m_parity = nullptr;
    QComboBox* m_stopBits = nullptr;
    QLineEdit* m_watchdog = nullptr;
};

}  // namespace gantry::ui
