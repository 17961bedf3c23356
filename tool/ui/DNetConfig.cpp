#include "tool/ui/DNetConfig.h"

#include "tool/session/ReportedTexts.h"

namespace gantry::ui {

CDNetConfig::CDNetConfig(ConfigurationSession& session, QWidget* parent)
    : CNetworkPane(session, tr("DeviceNet Configuration"), {0.0, 0.35, 0.65}, 3, parent) {
    m_status = MakeText("Status");
    m_error = MakeText("Error");
    m_mac = MakeEdit("MacAddress");
    m_swap = new QCheckBox(tr("Swap I/O Bytes"), Form());
    m_statusData = new QCheckBox(tr("Status Data in Input Table"), Form());
    m_baud = MakeList(NetworkList::DeviceNetBaudRate, "BaudRate");
    m_autoBaud = new QCheckBox(tr("AutoBaud"), Form());
    m_safeState = MakeList(NetworkList::InputSafeState, "InputSafeState");
    Place(0, 0, MakeLabel(tr("Status:"), m_status), m_status);
    Place(0, 1, MakeLabel(tr("Error:"), m_error), m_error, 2);
    Place(1, 0, MakeLabel(tr("MAC Address:"), m_mac), m_mac);
    Place(1, 1, nullptr, m_swap);
    Place(1, 2, nullptr, m_statusData);
    Place(2, 0, MakeLabel(tr("Baud Rate:"), m_baud), m_baud);
    Place(2, 1, nullptr, m_autoBaud);
    Place(2, 2, MakeLabel(tr("Input Safe State:"), m_safeState), m_safeState);
    ConnectEvents();
    RefreshFromSession();
}

void CDNetConfig::ConnectEvents() {
    connect(m_swap, &QCheckBox::clicked, this,
            [this](bool on) { Session().SetChoice(Choice::DeviceNetSwapIo, on); });
    connect(m_statusData, &QCheckBox::clicked, this,
            [this](bool on) { Session().SetChoice(Choice::DeviceNetStatusInInput, on); });
    connect(m_autoBaud, &QCheckBox::clicked, this,
            [this](bool on) { Session().SetChoice(Choice::DeviceNetAutobaud, on); });
    connect(m_baud, &QComboBox::activated, this, [this] {
        TakeListValue(m_baud, NetworkList::DeviceNetBaudRate, Choice::DeviceNetBaud);
    });
    connect(m_safeState, &QComboBox::activated, this, [this] {
        TakeListValue(m_safeState, NetworkList::InputSafeState, Choice::DeviceNetSafeState);
    });
}

void CDNetConfig::RefreshFromSession() {
    const DeviceNetFields fields = Session().DeviceNetScreenFields();
    ShowCell(m_statusData, fields.statusDataInInputTable);
    ShowCell(m_safeState, fields.inputSafeState);
    ApplyEnableRule();
    const DeviceNetSettings& record = Record();
    const StatusAndErrorTexts texts = DeviceNetStatusTexts(record);
    m_status->setText(ControlsEnabled() ? QString::fromStdString(texts.status) : QString());
    m_error->setText(ControlsEnabled() ? QString::fromStdString(texts.error) : QString());
    m_mac->setText(QString::number(record.macAddress));
    m_swap->setChecked(record.swapIo);
    m_statusData->setChecked(record.statusInInput);
    m_autoBaud->setChecked(record.autobaud);
    ShowListValue(m_baud, NetworkList::DeviceNetBaudRate, record.baudIndex);
    ShowListValue(m_safeState, NetworkList::InputSafeState, record.inputSafeState);
    Relayout();
}

void CDNetConfig::CollectEntries(ScreenEntries& entries) const {
    entries.macAddress = m_mac->text().toStdString();
}

bool CDNetConfig::FocusField(Field field) {
    if (field != Field::MacAddress) {
        return false;
    }
    FocusEdit(m_mac);
    return true;
}

}  // namespace gantry::ui
