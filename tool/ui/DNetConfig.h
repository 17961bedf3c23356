// CDNetConfig: the DeviceNet settings pane ("DeviceNet Configuration"): the
// network status and error texts, the MAC address, the two flag boxes, the
// baud rate with AutoBaud, and Input Safe State. "Status Data in Input Table"
// and "Input Safe State:" show only for the firmware that has them; both are
// written whether shown or not. GUI thread only.
#pragma once

#include <QCheckBox>

#include "tool/ui/NetworkPane.h"

namespace gantry::ui {

class CDNetConfig : public CNetworkPane {
    Q_OBJECT

public:
    explicit CDNetConfig(ConfigurationSession& session, QWidget* parent = nullptr);

    ScreenKind Kind() const override { return ScreenKind::DeviceNet; }
    // Visibility by pair and revision, the enable rule, every value.
    void RefreshFromSession() override;
    // The MAC address text.
    void CollectEntries(ScreenEntries& entries) const override;
    // Field::MacAddress.
    bool FocusField(Field field) override;

    // The controls, for tests and screenshots.
    QLabel* StatusText() const { return m_status; }
    QLabel* ErrorText() const { return m_error; }
    QLineEdit* MacAddress() const { return m_mac; }
    QCheckBox* SwapIo() const { return m_swap; }
    QCheckBox* StatusInInput() const { return m_statusData; }
    QComboBox* BaudRate() const { return m_baud; }
    QCheckBox* AutoBaud() const { return m_autoBaud; }
    QComboBox* InputSafeState() const { return m_safeState; }

private:
    const DeviceNetSettings& Record() const { return Session().Configuration().deviceNet; }
    void ConnectEvents();

    QLabel* m_status = nullptr;
    QLabel* m_error = nullptr;
    QLineEdit* m_mac = nullptr;
    QCheckBox* m_swap = nullptr;
    QCheckBox* m_statusData = nullptr;
    QComboBox* m_baud = nullptr;
    QCheckBox* m_autoBaud = nullptr;
    QComboBox* m_safeState = nullptr;
};

}  // namespace gantry::ui
