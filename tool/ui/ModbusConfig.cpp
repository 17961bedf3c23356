#include "tool/ui/ModbusConfig.h"

#include <QIntValidator>

#include "tool/session/ReportedTexts.h"

namespace gantry::ui {

CModbusConfig::CModbusConfig(ConfigurationSession& session, QWidget* parent)
    : CModbusConfig(session, 2, tr("Watchdog Timeout (ms)"), parent) {
    RefreshFromSession();
}

CModbusConfig::CModbusConfig(ConfigurationSession& session, int rows, const QString& watchdogLabel,
                             QWidget* parent)
    : CNetworkPane(session, tr("Modbus Configuration"), {0.0, 0.22, 0.44, 0.70}, rows, parent) {
    Build(watchdogLabel);
    ConnectEvents();
}

const ModbusSettings& CModbusConfig::Record() const {
    return Session().Configuration().modbus;
}

void CModbusConfig::Build(const QString& watchdogLabel) {
    m_status = MakeText("Status");
    m_status->setText(tr("Going Online"));
    m_error = MakeText("Error");
    m_address = MakeEdit("NetworkAddress");
    m_baud = MakeList(NetworkList::ModbusBaudRate, "BaudRate");
    m_parity = MakeList(NetworkList::ModbusParity, "Parity");
    m_stopBits = MakeList(NetworkList::ModbusStopBits, "StopBits");
    m_watchdog = MakeEdit("WatchdogTimeout");
    // the gateway keeps the timeout in 16 bits
    m_watchdog->setValidator(new QIntValidator(0, 65535, m_watchdog));
    Place(0, 0, MakeLabel(tr("Status:"), m_status), m_status);
    Place(0, 1, MakeLabel(tr("Error:"), m_error), m_error, 2);
    Place(0, 3, MakeLabel(tr("Network Address:"), m_address), m_address);
    Place(1, 0, MakeLabel(tr("Baud Rate:"), m_baud), m_baud);
    Place(1, 1, MakeLabel(tr("Parity:"), m_parity), m_parity);
    Place(1, 2, MakeLabel(tr("Stop Bits:"), m_stopBits), m_stopBits);
    Place(1, 3, MakeLabel(watchdogLabel, m_watchdog), m_watchdog);
}

void CModbusConfig::ConnectEvents() {
    connect(m_baud, &QComboBox::activated, this,
            [this] { TakeListValue(m_baud, NetworkList::ModbusBaudRate, Choice::ModbusBaud); });
    connect(m_parity, &QComboBox::activated, this,
            [this] { TakeListValue(m_parity, NetworkList::ModbusParity, Choice::ModbusParity); });
    connect(m_stopBits, &QComboBox::activated, this, [this] {
        TakeListValue(m_stopBits, NetworkList::ModbusStopBits, Choice::ModbusStopBits);
    });
    connect(m_watchdog, &QLineEdit::textEdited, this, [this](const QString& text) {
        Session().SetChoice(Choice::ModbusWatchdog, text.toUInt());
    });
}

void CModbusConfig::RefreshFromSession() {
    ShowCell(m_address, Session().ModbusScreenFields().networkAddress);
    ApplyEnableRule();
    const ModbusSettings& record = Record();
    const StatusAndErrorTexts texts = ModbusStatusTexts(record);
    m_status->setText(ControlsEnabled() ? QString::fromStdString(texts.status) : QString());
    m_error->setText(ControlsEnabled() ? QString::fromStdString(texts.error) : QString());
    m_address->setText(QString::number(record.networkAddress));
    ShowListValue(m_baud, NetworkList::ModbusBaudRate, record.baudRate);
    ShowListValue(m_parity, NetworkList::ModbusParity, record.parity);
    ShowListValue(m_stopBits, NetworkList::ModbusStopBits, record.stopBits);
    m_watchdog->setText(QString::number(record.watchdogMs));
    Relayout();
}

void CModbusConfig::CollectEntries(ScreenEntries& entries) const {
    if (!m_address->isHidden()) {
        entries.modbusNetworkAddress = m_address->text().toStdString();
    }
}

bool CModbusConfig::FocusField(Field field) {
    if (field != Field::NetworkAddress || m_address->isHidden()) {
        return false;
    }
    FocusEdit(m_address);
    return true;
}

}  // namespace gantry::ui
