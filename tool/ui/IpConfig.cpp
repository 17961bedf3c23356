#include "tool/ui/IpConfig.h"

#include <QIntValidator>
#include <QRegularExpressionValidator>

namespace gantry::ui {

CIpConfig::CIpConfig(ConfigurationSession& session, QWidget* parent)
    : CNetworkPane(session, tr("Ethernet Configuration"), {0.0, 0.30, 0.70}, 4, parent) {
    m_dhcp = MakeList(NetworkList::EthernetDhcp, "Dhcp");
    m_ip = MakeAddress("IpAddress", Field::IpAddress);
    m_speed = MakeList(NetworkList::EthernetSpeed, "Speed");
    m_mask = MakeAddress("SubnetMask", Field::SubnetMask);
    m_duplex = MakeList(NetworkList::EthernetDuplex, "Duplex");
    m_gateway = MakeAddress("GatewayAddress", Field::GatewayAddress);
    m_timeoutEnabled = new QCheckBox(tr("Enable Modbus Timeout"), Form());
    m_timeout = MakeEdit("ModbusTimeout");
    m_timeout->setValidator(new QIntValidator(0, 65535, m_timeout));  // 16 bits on the gateway
    m_ioSize = MakeEdit("IoSize");
    Place(0, 0, MakeLabel(tr("DHCP:"), m_dhcp), m_dhcp);
    Place(0, 1, MakeLabel(tr("IP Address:"), m_ip), m_ip);
    Place(0, 2, MakeLabel(tr("Speed:"), m_speed), m_speed);
    Place(1, 1, MakeLabel(tr("Subnet Mask:"), m_mask), m_mask);
    Place(1, 2, MakeLabel(tr("Duplex:"), m_duplex), m_duplex);
    Place(2, 1, MakeLabel(tr("Gateway Address:"), m_gateway), m_gateway);
    Place(3, 0, nullptr, m_timeoutEnabled);
    Place(3, 1, MakeLabel(tr("Modbus Timeout (ms):"), m_timeout), m_timeout);
    Place(3, 2, MakeLabel(tr("I/O Size:"), m_ioSize), m_ioSize, 1, new QLabel(tr("bytes"), Form()));
    ConnectEvents();
    RefreshFromSession();
}

QLineEdit* CIpConfig::MakeAddress(const char* name, Field field) {
    QLineEdit* edit = MakeEdit(name);
    const QRegularExpression dotted(QStringLiteral("[0-9]{0,3}(\\.[0-9]{0,3}){0,3}"));
    edit->setValidator(new QRegularExpressionValidator(dotted, edit));
    // an address that does not read is refused by name and stays for correction
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, field] {
        if (m_checkingEntry) {
            return;
        }
        m_checkingEntry = true;
        if (Session().CommitAddressEntry(field, edit->text().toStdString())) {
            FocusEdit(edit);
        }
        m_checkingEntry = false;
    });
    return edit;
}

void CIpConfig::ConnectEvents() {
    connect(m_dhcp, &QComboBox::activated, this,
            [this] { TakeListValue(m_dhcp, NetworkList::EthernetDhcp, Choice::EthernetDhcp); });
    connect(m_speed, &QComboBox::activated, this,
            [this] { TakeListValue(m_speed, NetworkList::EthernetSpeed, Choice::EthernetSpeed); });
    connect(m_duplex, &QComboBox::activated, this, [this] {
        TakeListValue(m_duplex, NetworkList::EthernetDuplex, Choice::EthernetDuplex);
    });
    connect(m_timeoutEnabled, &QCheckBox::clicked, this, &CIpConfig::OnTimeoutSwitch);
    connect(m_timeout, &QLineEdit::textEdited, this, [this](const QString& text) {
        Session().SetChoice(Choice::EthernetModbusTimeout, text.toUInt());
    });
    connect(m_ioSize, &QLineEdit::editingFinished, this, &CIpConfig::OnIoSizeLeft);
}

void CIpConfig::OnTimeoutSwitch(bool checked) {
    Session().SetModbusTimeoutEnabled(checked);
    m_timeout->setEnabled(checked && ControlsEnabled());
    if (!checked) {
        m_timeout->setText(QStringLiteral("0"));
    }
}

void CIpConfig::OnIoSizeLeft() {
    if (m_checkingEntry) {
        return;
    }
    m_checkingEntry = true;
    TakeControls();
    if (Session().CommitIoSizeEntry(m_ioSize->text().toStdString())) {
        FocusEdit(m_ioSize);
    }
    m_checkingEntry = false;
}

void CIpConfig::TakeControls() {
    TakeListValue(m_dhcp, NetworkList::EthernetDhcp, Choice::EthernetDhcp);
    TakeListValue(m_speed, NetworkList::EthernetSpeed, Choice::EthernetSpeed);
    TakeListValue(m_duplex, NetworkList::EthernetDuplex, Choice::EthernetDuplex);
    for (auto [edit, field] :
         {std::pair{m_ip, Field::IpAddress}, std::pair{m_mask, Field::SubnetMask},
          std::pair{m_gateway, Field::GatewayAddress}}) {
        if (const auto address = ParseIpAddress(edit->text().toStdString())) {
            Session().SetAddress(field, *address);
        }
    }
    Session().SetChoice(Choice::EthernetModbusTimeout,
                        m_timeoutEnabled->isChecked() ? m_timeout->text().toUInt() : 0);
}

void CIpConfig::RefreshFromSession() {
    ApplyEnableRule();
    const EthernetSettings& record = Record();
    ShowListValue(m_dhcp, NetworkList::EthernetDhcp, record.dhcpIndex);
    ShowListValue(m_speed, NetworkList::EthernetSpeed, record.speedIndex);
    ShowListValue(m_duplex, NetworkList::EthernetDuplex, record.duplexIndex);
    m_ip->setText(QString::fromStdString(FormatIpAddress(record.ip)));
    m_mask->setText(QString::fromStdString(FormatIpAddress(record.subnetMask)));
    m_gateway->setText(QString::fromStdString(FormatIpAddress(record.gateway)));
    m_timeoutEnabled->setChecked(record.ModbusTimeoutEnabled());
    m_timeout->setText(QString::number(record.modbusTimeoutMs));
    m_timeout->setEnabled(ControlsEnabled() && record.ModbusTimeoutEnabled());
    m_ioSize->setText(QString::number(record.ioSize));
    Relayout();
}

void CIpConfig::CollectEntries(ScreenEntries& entries) const {
    entries.ioSize = m_ioSize->text().toStdString();
    entries.ipAddress = m_ip->text().toStdString();
    entries.subnetMask = m_mask->text().toStdString();
    entries.gatewayAddress = m_gateway->text().toStdString();
}

bool CIpConfig::FocusField(Field field) {
    QLineEdit* edit = field == Field::IoSize           ? m_ioSize
                      : field == Field::IpAddress      ? m_ip
                      : field == Field::SubnetMask     ? m_mask
                      : field == Field::GatewayAddress ? m_gateway
                                                       : nullptr;
    if (edit == nullptr) {
        return false;
    }
    FocusEdit(edit);
    return true;
}

}  // namespace gantry::ui
