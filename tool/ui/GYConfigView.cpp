#include "tool/ui/GYConfigView.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "tool/session/StatusPresentation.h"
#include "tool/ui/BusyScope.h"

namespace gantry::ui {

using namespace gantry::tool;

CGYConfigView::CGYConfigView(ConfigurationSession& session, QWidget* parent)
    : CScreenPane(session, parent) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 2, 6, 4);
    auto* group = new QGroupBox(tr("Gantry Configuration"), this);
    outer->addWidget(group);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(6);
    m_device = AddField(grid, tr("Device:"), 0, 0);
    auto* modeLabel = new QLabel(tr("Mode:"), group);
    m_mode = new QComboBox(group);
    m_mode->setObjectName(QStringLiteral("Mode"));
    m_mode->setMinimumContentsLength(12);
    modeLabel->setBuddy(m_mode);
    grid->addWidget(modeLabel, 0, 2);
    grid->addWidget(m_mode, 0, 3);
    m_error = AddField(grid, tr("Error:"), 0, 4);
    m_client = AddField(grid, tr("Client Interface:"), 1, 0);
    m_serial = AddField(grid, tr("Serial Number:"), 1, 2);
    m_server = AddField(grid, tr("Server Interface:"), 2, 0);
    m_firmware = AddField(grid, tr("Firmware Revision:"), 2, 2);
    m_problem = new QLabel(group);
    m_problem->setObjectName(QStringLiteral("ConnectionProblem"));
    m_problem->setWordWrap(true);
    m_problem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_problem->hide();
    m_settings = new QToolButton(group);
    m_settings->hide();
    grid->addWidget(m_problem, 3, 0, 1, 5);
    grid->addWidget(m_settings, 3, 5, Qt::AlignRight | Qt::AlignTop);
    grid->setColumnStretch(1, 4);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 2);
    connect(m_mode, &QComboBox::activated, this, &CGYConfigView::OnModeActivated);
    RefreshFromSession();
}

QLabel* CGYConfigView::AddField(QGridLayout* grid, const QString& label, int row, int column) {
    auto* name = new QLabel(label, grid->parentWidget());
    auto* value = new QLabel(grid->parentWidget());
    value->setObjectName(label.chopped(1));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(name, row, column);
    grid->addWidget(value, row, column + 1);
    return value;
}

QLabel* CGYConfigView::Value(const QString& label) const {
    return findChild<QLabel*>(label);
}

void CGYConfigView::SetModeList(int runState) {
    const ModeList list = ModeListOf(runState);
    m_mode->clear();
    for (const std::string& item : list.items) {
        m_mode->addItem(QString::fromStdString(item));
    }
    m_mode->setCurrentIndex(list.selected);
}

void CGYConfigView::SetReading(bool reading) {
    if (reading != m_reading) {
        m_reading = reading;
        RefreshFromSession();
    }
}

void CGYConfigView::RefreshFromSession() {
    StatusTexts texts;
    if (m_reading) {
        texts.error = tr("Reading the gateway...").toStdString();
        m_mode->clear();
        m_mode->addItem(tr("Reading..."));
    } else {
        SetModeList(Session().RunState());
        texts = StatusTextsOf(Session().Device());
    }
    m_device->setText(QString::fromStdString(texts.device));
    m_error->setText(QString::fromStdString(texts.error));
    m_client->setText(QString::fromStdString(texts.clientInterface));
    m_server->setText(QString::fromStdString(texts.serverInterface));
    m_serial->setText(QString::fromStdString(texts.serialNumber));
    m_firmware->setText(QString::fromStdString(texts.firmwareRevision));
}

void CGYConfigView::SetConnectionProblem(const QStringList& lines, QAction* settings) {
    m_problem->setText(lines.join(QLatin1Char('\n')));
    m_problem->setVisible(!lines.isEmpty());
    if (settings != nullptr && m_settings->defaultAction() != settings) {
        m_settings->setDefaultAction(settings);
    }
    m_settings->setVisible(!lines.isEmpty() && settings != nullptr);
}

void CGYConfigView::OnModeActivated(int index) {
    const QString text = m_mode->itemText(index);
    int runState = -1;
    if (text == QLatin1String("Idle")) {
        runState = RS_Idle;
    } else if (text == QLatin1String("Run")) {
        runState = RS_Run;
    } else {
        return;  // "Faulted" and "Not Detected" are shown, not chosen
    }
    {
        CBusyScope busy(nullptr, CBusyScope::WriteText(tr("Changing the mode...")));
        Session().SelectRunMode(runState);
    }
    SetModeList(Session().RunState());
}

}  // namespace gantry::ui
