// CIpConfig: the Ethernet settings pane ("Ethernet Configuration"): DHCP,
// the IP address, subnet mask and gateway address, speed and duplex, the
// Modbus timeout with its enable box, and the I/O size, whose accepted value
// sets the data-table limits. GUI thread only.
#pragma once

#include <QCheckBox>

#include "tool/ui/NetworkPane.h"

namespace gantry::ui {

class CIpConfig : public CNetworkPane {
    Q_OBJECT

public:
    explicit CIpConfig(ConfigurationSession& session, QWidget* parent = nullptr);

    ScreenKind Kind() const override { return ScreenKind::Ethernet; }
    // The enable rule and every value; the timeout box is checked and its
    // entry enabled exactly when the timeout is not 0.
    void RefreshFromSession() override;
    // The I/O size and address texts.
    void CollectEntries(ScreenEntries& entries) const override;
    // Field::IoSize and the three addresses.
    bool FocusField(Field field) override;

    // The controls, for tests and screenshots.
    QComboBox* Dhcp() const { return m_dhcp; }
    QLineEdit* IpAddress() const { return m_ip; }
    QComboBox* Speed() const { return m_speed; }
    QLineEdit* SubnetMask() const { return m_mask; }
    QComboBox* Duplex() const { return m_duplex; }
    QLineEdit* GatewayAddress() const { return m_gateway; }
    QCheckBox* ModbusTimeoutEnabled() const { return m_timeoutEnabled; }
    QLineEdit* ModbusTimeout() const { return m_timeout; }
    QLineEdit* IoSize() const { return m_ioSize; }

private:
    const EthernetSettings& Record() const { return Session().Configuration().ethernet; }
    QLineEdit* MakeAddress(const char* name, Field field);
    void ConnectEvents();
    // "Enable Modbus Timeout" clicked.
    void OnTimeoutSwitch(bool checked);
    // Leaving "I/O Size:": a refused text shows its message and changes
    // nothing; an accepted one takes every control's value and sets the limits.
    void OnIoSizeLeft();
    // Every control's value into the record (the I/O size aside).
    void TakeControls();

    QComboBox* m_dhcp = nullptr;
    QLineEdit* m_ip = nullptr;
    QComboBox* m_speed = nullptr;
    QLineEdit* m_mask = nullptr;
    QComboBox* m_duplex = nullptr;
    QLineEdit* m_gateway = nullptr;
    QCheckBox* m_timeoutEnabled = nullptr;
    QLineEdit* m_timeout = nullptr;
    QLineEdit* m_ioSize = nullptr;
    bool m_checkingEntry = false;  // a refusal's box is up: its focus change is not a second leave
};

}  // namespace gantry::ui
