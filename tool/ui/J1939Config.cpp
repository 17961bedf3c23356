#include "tool/ui/J1939Config.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "tool/session/J1939Screen.h"
#include "tool/ui/J1939DeviceName.h"
#include "tool/ui/TabChain.h"

namespace gantry::ui {

using namespace gantry::tool;

namespace {

QGridLayout* TightGrid(QWidget* parent) {
    auto* grid = new QGridLayout(parent);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(6);
    return grid;
}

QLabel* ValueLabel(const char* name, QWidget* parent) {
    auto* value = new QLabel(parent);
    value->setObjectName(QString::fromLatin1(name));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setMinimumWidth(70);
    return value;
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A button as wide as its text needs: the row is one of several at the
// frame's width.
QPushButton* CompactButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = Named(new QPushButton(text, parent), name);
    QString plain = text;
    plain.remove(QLatin1Char('&'));
    button->setMaximumWidth(button->fontMetrics().horizontalAdvance(plain) + 22);
    return button;
}

}  // namespace

CJ1939Config::CJ1939Config(ConfigurationSession& session, QWidget* parent)
    : CScreenPane(session, parent) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 2, 4, 4);
    auto* group = new QGroupBox(tr("J1939 Configuration"), this);
    outer->addWidget(group);
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(4, 2, 4, 4);
    row->setSpacing(6);
    // a wider window spreads the four columns evenly
    row->addWidget(BuildValues());
    row->addStretch(1);
    row->addWidget(BuildAddressList());
    row->addStretch(1);
    row->addWidget(BuildFlags());
    row->addStretch(1);
    row->addWidget(BuildTimeAndBaud());
    row->addStretch(1);
    RefreshFromSession();
}

QWidget* CJ1939Config::BuildValues() {
    auto* box = new QWidget(this);
    QGridLayout* grid = TightGrid(box);
    m_status = ValueLabel("Status", box);
    m_error = ValueLabel("Error", box);
    m_netAddress = ValueLabel("NetAddress", box);
    m_name = Named(new QLineEdit(box), "Name");
    m_name->setReadOnly(true);
    m_name->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_name->setFixedWidth(m_name->fontMetrics().horizontalAdvance(QString(16, QLatin1Char('F'))) +
                          12);
    m_edit = CompactButton(tr("&Edit"), "Edit", box);
    grid->addWidget(new QLabel(tr("Status:"), box), 0, 0);
    grid->addWidget(m_status, 0, 1, 1, 2);
    grid->addWidget(new QLabel(tr("Error:"), box), 1, 0);
    grid->addWidget(m_error, 1, 1, 1, 2);
    grid->addWidget(new QLabel(tr("Device NAME:"), box), 2, 0);
    grid->addWidget(m_name, 2, 1);
    grid->addWidget(m_edit, 2, 2);
    grid->addWidget(new QLabel(tr("Net Address:"), box), 3, 0);
    grid->addWidget(m_netAddress, 3, 1, 1, 2);
    connect(m_edit, &QPushButton::clicked, this, &CJ1939Config::OnEdit);
    return box;
}

QWidget* CJ1939Config::BuildAddressList() {
    auto* group = new QGroupBox(tr("Network Address List"), this);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 2, 4, 4);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(6);
    auto* label = new QLabel(tr("Address:"), group);
    m_address = Named(new QLineEdit(group), "Address");
    m_address->setFixedWidth(m_address->fontMetrics().horizontalAdvance(QStringLiteral("0x000")) +
                             14);
    label->setBuddy(m_address);
    m_list = Named(new QListWidget(group), "AddressList");
    m_list->setMaximumWidth(m_address->width() + label->sizeHint().width() + 6);
    m_list->setMaximumHeight(m_list->fontMetrics().height() * 3 + 6);
    m_add = CompactButton(tr("&Add"), "Add", group);
    m_remove = CompactButton(tr("&Remove"), "Remove", group);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_address, 0, 1);
    grid->addWidget(m_add, 0, 2);
    grid->addWidget(m_list, 1, 0, 2, 2);
    grid->addWidget(m_remove, 1, 2, Qt::AlignTop);
    // the Tab key reads the group in rows: entry, Add, list, Remove
    SetTabChain({m_address, m_add, m_list, m_remove});
    connect(m_add, &QPushButton::clicked, this, &CJ1939Config::OnAdd);
    connect(m_remove, &QPushButton::clicked, this, &CJ1939Config::OnRemove);
    return group;
}

QWidget* CJ1939Config::BuildFlags() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    m_busOff = Named(new QCheckBox(tr("Bus-Off CAN Reset"), box), "BusOffReset");
    m_swapIo = Named(new QCheckBox(tr("Swap I/O Bytes"), box), "SwapIo");
    m_statusInInput = Named(new QCheckBox(tr("Status Data In Input"), box), "StatusInInput");
    m_offline = Named(new QCheckBox(tr("Enable Offline Detection"), box), "OfflineDetection");
    for (QCheckBox* check : {m_busOff, m_swapIo, m_statusInInput, m_offline}) {
        column->addWidget(check);
    }
    column->addStretch(1);
    // each box sets its field through the session, which applies what follows
    connect(m_busOff, &QCheckBox::clicked, this,
            [this](bool on) { Session().SetChoice(Choice::J1939BusOffReset, on); });
    connect(m_swapIo, &QCheckBox::clicked, this,
            [this](bool on) { Session().SetChoice(Choice::J1939SwapIo, on); });
    connect(m_statusInInput, &QCheckBox::clicked, this,
            [this](bool on) { Session().SetStatusDataInInput(on); });
    connect(m_offline, &QCheckBox::clicked, this,
            [this](bool on) { Session().SetOfflineDetectionEnabled(on); });
    return box;
}

QWidget* CJ1939Config::BuildTimeAndBaud() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* timeLabel = new QLabel(tr("Offline Detection Time (ms): "), box);
    // two lines: the pane shares the frame's width with three other columns
    timeLabel->setWordWrap(true);
    timeLabel->setFixedWidth(
        timeLabel->fontMetrics().horizontalAdvance(QStringLiteral("Offline Detection")) + 8);
    m_time = Named(new QLineEdit(box), "OfflineTime");
    m_time->setMaximumWidth(m_time->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    timeLabel->setBuddy(m_time);
    m_baudLabel = Named(new QLabel(tr("Baud Rate: "), box), "BaudLabel");
    m_baud = Named(new QComboBox(box), "BaudRate");
    m_baud->setMinimumContentsLength(5);
    m_baudLabel->setBuddy(m_baud);
    column->addWidget(timeLabel);
    column->addWidget(m_time);
    column->addWidget(m_baudLabel);
    column->addWidget(m_baud, 0, Qt::AlignLeft);
    column->addStretch(1);
    connect(m_time, &QLineEdit::editingFinished, this, &CJ1939Config::OnTimeEntryLeft);
    connect(m_baud, &QComboBox::activated, this, [this](int index) {
        Session().SetChoice(Choice::J1939Baud, static_cast<std::uint32_t>(index));
    });
    return box;
}

void CJ1939Config::RefreshFromSession() {
    const J1939ScreenView view = J1939ScreenViewOf(Session());
    m_statusInInput->setVisible(view.statusDataInInputShown);
    m_baudLabel->setVisible(view.baudRates.visible);
    m_baud->setVisible(view.baudRates.visible);
    m_baud->clear();
    if (view.baudRates.visible) {
        for (const std::string& item : view.baudRates.items) {
            m_baud->addItem(QString::fromStdString(item));
        }
    }
    m_baud->setCurrentIndex(view.baudSelection);
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_name, m_edit, m_address, m_list, m_add, m_remove,
                                         m_busOff, m_swapIo, m_statusInInput, m_offline, m_baud}) {
        control->setEnabled(view.enabled);
    }
    m_time->setEnabled(view.enabled && view.offlineDetection);
    m_status->setText(QString::fromStdString(view.status));
    m_error->setText(QString::fromStdString(view.error));
    m_netAddress->setText(QString::fromStdString(view.networkAddress));
    m_name->setText(QString::fromStdString(view.name));
    m_list->clear();
    for (const std::string& address : view.addresses) {
        m_list->addItem(QString::fromStdString(address));
    }
    m_busOff->setChecked(view.busOffReset);
    m_swapIo->setChecked(view.swapIo);
    m_statusInInput->setChecked(view.statusInInput);
    m_offline->setChecked(view.offlineDetection);
    m_time->setText(QString::fromStdString(view.offlineTime));
}

void CJ1939Config::CollectEntries(ScreenEntries& entries) const {
    entries.offlineDetection =
        OfflineDetectionEntry{m_offline->isChecked(), m_time->text().toStdString()};
}

bool CJ1939Config::FocusField(Field field) {
    QLineEdit* entry = field == Field::OfflineTime   ? m_time
                       : field == Field::AddressList ? m_address
                                                     : nullptr;
    if (entry == nullptr) {
        return false;
    }
    entry->setFocus(Qt::OtherFocusReason);
    entry->selectAll();
    return true;
}

void CJ1939Config::OnAdd() {
    if (Session().AddNetworkAddress(m_address->text().toStdString())) {
        FocusField(Field::AddressList);
    }
}

void CJ1939Config::OnRemove() {
    const bool selected = m_list->selectionModel()->hasSelection();
    Session().RemoveNetworkAddress(selected ? m_list->currentRow() : -1);
}

void CJ1939Config::OnEdit() {
    CJ1939DeviceName dialog(Session(), Session().Configuration().j1939.name, window());
    if (dialog.exec() == QDialog::Accepted) {
        Session().SetJ1939Name(dialog.Name());
    }
}

void CJ1939Config::OnTimeEntryLeft() {
    // a message box that opens (a download's own refusal) takes the focus:
    // that is not the user leaving the entry
    if (m_checkingTime || !m_time->isEnabled() || QApplication::activeModalWidget() != nullptr) {
        return;
    }
    m_checkingTime = true;
    const OfflineDetectionEntry entry{m_offline->isChecked(), m_time->text().toStdString()};
    const bool refused = Session().CheckOfflineDetectionEntry(entry).has_value();
    if (refused) {
        FocusField(Field::OfflineTime);
    }
    m_checkingTime = false;
}

}  // namespace gantry::ui
