#include "tool/ui/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

#include "tool/session/ConnectionSettings.h"
#include "tool/session/FirmwareSession.h"
#include "tool/ui/AboutDlg.h"
#include "tool/ui/BusyScope.h"
#include "tool/ui/FlashUpdate.h"
#include "tool/ui/GYConfigView.h"
#include "tool/ui/ReportExport.h"

// Qt's resource initialiser must be named from the global namespace.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);  // the icons live in a static library
}

namespace gantry::ui {

namespace {

// The session's enable rule of a frame command; nothing for the commands
// that are always enabled.
std::optional<SessionCommand> SessionCommandOf(FrameCommand command) {
    switch (command) {
        case FrameCommand::Connect:
            return SessionCommand::Connect;
        case FrameCommand::OfflineConfiguration:
            return SessionCommand::OfflineConfiguration;
        case FrameCommand::RefreshDeviceStatus:
            return SessionCommand::RefreshDeviceStatus;
        case FrameCommand::Upload:
            return SessionCommand::Upload;
        case FrameCommand::Download:
            return SessionCommand::Download;
        case FrameCommand::ClearErrorStatus:
            return SessionCommand::ClearErrorStatus;
        case FrameCommand::FlashUpdate:
            return SessionCommand::FlashUpdate;
        case FrameCommand::AddIoPoint:
            return SessionCommand::AddIoPoint;
        case FrameCommand::EditIoPoint:
        case FrameCommand::RemoveIoPoint:
        case FrameCommand::RemoveAllIoPoints:
            return SessionCommand::EditIoPoint;
        default:
            return std::nullopt;
    }
}

}  // namespace

CMainFrame::CMainFrame(ConfigurationSession& session, QWidget* parent)
    : QMainWindow(parent),
      m_session(session),
      m_doc(session, this, [this] { return CollectEntries(); }) {
    InitIconResources();
    setWindowIcon(QIcon(QStringLiteral(":/icons/about.svg")));
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ContentScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFocusPolicy(Qt::NoFocus);  // no Tab stop of its own: the controls scroll in
    setCentralWidget(m_scroll);
    RestoreVerifySetting();
    m_session.SetListener(this);
    m_session.Gate().SetRequestObserver(
        [this](const std::vector<std::uint8_t>& encoded, int result, const DeviceReply& reply) {
            OnRequest(encoded, result, reply);
        });
    LayoutRebuilt(LayoutOfPair(-1, -1), 0);
    RestoreGeometry();
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateCommandUI(); });
    // the panes write their edits into the session's records as they are
    // typed: the title's mark follows on the next tick
    m_modifiedTimer = new QTimer(this);
    connect(m_modifiedTimer, &QTimer::timeout, this,
            [this] { setWindowModified(m_session.IsModified()); });
    m_modifiedTimer->start(200);
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    // the widgets going away move the focus: no idle update of a half-gone frame
    disconnect(qApp, nullptr, this, nullptr);
    m_session.Gate().SetRequestObserver({});
    m_session.SetListener(nullptr);
    CBusyScope::SetDefaultStatusBar(nullptr);
}

void CMainFrame::OnStatusMessage(const QString& message) {
    if (message.isEmpty() && !CBusyScope::IsBusy()) {
        statusBar()->showMessage(m_idleText);
    }
}

QAction* CMainFrame::Action(FrameCommand command) const {
    const auto found = m_actions.find(command);
    return found == m_actions.end() ? nullptr : found->second;
}

CScreenPane* CMainFrame::Pane(ScreenKind kind) const {
    for (CScreenPane* pane : m_panes) {
        if (pane->Kind() == kind) {
            return pane;
        }
    }
    return nullptr;
}

CGYConfigView* CMainFrame::StatusView() const {
    return static_cast<CGYConfigView*>(Pane(ScreenKind::StatusView));
}

void CMainFrame::PostStartupRefresh() {
    QTimer::singleShot(0, this, [this] {
        RunBusy(
            tr("Refreshing the device status..."), [this] { m_session.Start(); }, BusyKind::Read);
        if (OfferConnectionSettings(m_session)) {
            OnConnectionSettings();
        }
        emit StartupFinished();
    });
}

bool CMainFrame::RunBusy(const QString& statusText, const std::function<void()>& work,
                         BusyKind kind) {
    if (CBusyScope::IsBusy()) {
        return false;  // one long operation at a time
    }
    m_readCancelled = false;
    m_readingUnknown =
        kind == BusyKind::Read && (m_session.IsOffline() || !m_session.Device().IsPresent());
    ShowReadingState();
    {
        CBusyScope busy(statusBar(),
                        kind == BusyKind::Write ? CBusyScope::WriteText(statusText) : statusText);
        if (kind == BusyKind::Read) {
            CBusyScope::SetCancel([this] { CancelRead(); }, m_cancelButton);
            m_cancelButton->show();
        }
        work();
        CBusyScope::SetCancel({});
        m_cancelButton->hide();
    }
    m_readingUnknown = false;
    // a transfer that failed or stopped early never reached its last point
    m_ioPointTotal = 0;
    m_progress->hide();
    ShowConnectionState();
    // after the idle text, which would otherwise replace it at once
    if (m_readCancelled) {
        statusBar()->showMessage(
            tr("The read was cancelled: the screens show what they showed "
               "before."));
    }
    UpdateCommandUI();
    return true;
}

void CMainFrame::CancelRead() {
    if (m_session.Gate().RequestCancel()) {
        statusBar()->showMessage(tr("Cancelling the read..."));
    }
}

void CMainFrame::RunCommand(FrameCommand command) {
    if (!RunFileCommand(command)) {
        RunDeviceCommand(command);
    }
}

bool CMainFrame::RunFileCommand(FrameCommand command) {
    switch (command) {
        case FrameCommand::FileNew:
            RunBusy(tr("New configuration..."), [this] { m_doc.New(); });
            return true;
        case FrameCommand::FileOpen:
            RunBusy(tr("Opening..."), [this] {
                CBusyScope::Pause pause;  // the open-file dialog
                m_doc.OpenWithDialog();
            });
            return true;
        case FrameCommand::FileSave:
            RunBusy(tr("Saving..."), [this] { m_doc.Save(); });
            return true;
        case FrameCommand::FileSaveAs:
            RunBusy(tr("Saving..."), [this] { m_doc.SaveAs(); });
            return true;
        case FrameCommand::AppExit:
            close();
            return true;
        case FrameCommand::Connect:
            RunBusy(
                tr("Connecting..."), [this] { m_session.Connect(); }, BusyKind::Read);
            return true;
        case FrameCommand::OfflineConfiguration:
            RunBusy(tr("Going offline..."), [this] { m_session.OfflineConfiguration(); });
            return true;
        case FrameCommand::ConnectionSettings:
            OnConnectionSettings();
            return true;
        case FrameCommand::ViewToolbar:
            m_toolBar->setVisible(Action(command)->isChecked());
            return true;
        case FrameCommand::ViewStatusBar:
            statusBar()->setVisible(Action(command)->isChecked());
            return true;
        case FrameCommand::AppAbout:
            OnAbout();
            return true;
        case FrameCommand::ExportReport:
            RunBusy(tr("Exporting the report..."),
                    [this] { ExportReportWithDialog(this, m_session); });
            return true;
        case FrameCommand::FileMru:
            return true;  // the recent-file actions carry their own index
        default:
            return false;
    }
}

void CMainFrame::RunDeviceCommand(FrameCommand command) {
    switch (command) {
        case FrameCommand::RefreshDeviceStatus:
            RunBusy(
                tr("Refreshing the device status..."), [this] { m_session.RefreshDeviceStatus(); },
                BusyKind::Read);
            break;
        case FrameCommand::Upload:
            RunBusy(
                tr("Uploading from the module..."), [this] { m_session.Upload(); }, BusyKind::Read);
            break;
        case FrameCommand::Download:
            OnDownload();
            break;
        case FrameCommand::ClearErrorStatus:
            RunBusy(
                tr("Clearing the error status..."), [this] { m_session.ClearErrorStatus(); },
                BusyKind::Write);
            break;
        case FrameCommand::AddIoPoint:
            OnIoCommand(IoCommand::Add);
            break;
        case FrameCommand::EditIoPoint:
            OnIoCommand(IoCommand::Edit);
            break;
        case FrameCommand::RemoveIoPoint:
            OnIoCommand(IoCommand::Remove);
            break;
        case FrameCommand::RemoveAllIoPoints:
            OnIoCommand(IoCommand::RemoveAll);
            break;
        case FrameCommand::FlashUpdate:
            OnFlashUpdate();
            break;
        case FrameCommand::CompareWithModule:
        case FrameCommand::RestoreBackup:
        case FrameCommand::VerifyDownload:
            RunSafeDownloadCommand(command);
            break;
        default:
            break;  // a file or view command
    }
}

void CMainFrame::OnDownload() {
    DownloadReport report;
    RunBusy(
        tr("Downloading to the module..."),
        [this, &report] { report = m_session.Download(CollectEntries()); }, BusyKind::Write);
    ShowDownloadSafety(report);
    if (report.outcome == DownloadOutcome::Refused && !report.refusals.empty()) {
        // the first refused entry takes the focus, its text selected
        for (CScreenPane* pane : m_panes) {
            if (pane->FocusField(report.refusals.front().field)) {
                break;
            }
        }
    }
}

void CMainFrame::OnIoCommand(IoCommand command) {
    if (CBusyScope::IsBusy()) {
        return;
    }
    if (CScreenPane* lists = Pane(ScreenKind::J1939IoLists)) {
        lists->RunIoCommand(command);
    }
    UpdateCommandUI();
}

void CMainFrame::OnFlashUpdate() {
    if (CBusyScope::IsBusy()) {
        return;
    }
    bool updated = false;
    {
        // the dialog keeps itself alive while it writes the images
        CFlashUpdate dialog(m_session, this);
        dialog.exec();
        updated = dialog.Updated();
    }
    if (CGYConfigView* view = StatusView()) {
        view->SetModeList(m_session.RunState());
    }
    UpdateCommandUI();
    if (updated) {
        // the update left the gateway in Idle; returning to Run is the user's choice
        statusBar()->showMessage(QString::fromUtf8(f_szUpdatedInIdle));
    }
}

void CMainFrame::OnAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::RebuildRecentFiles() {
    const QStringList files = m_doc.RecentFiles();
    for (int i = 0; i < f_nRecentFileCount; ++i) {
        QAction* action = m_recentActions[static_cast<std::size_t>(i)];
        action->setVisible(i < files.size());
        if (i < files.size()) {
            action->setText(
                QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
            action->setData(files[i]);
        }
    }
    m_recentSeparator->setVisible(!files.isEmpty());
}

void CMainFrame::UpdateCommandUI() {
    bool ioFocus = false;
    for (CScreenPane* pane : m_panes) {
        ioFocus = ioFocus || pane->HasIoListFocus();
    }
    for (const auto& [command, action] : m_actions) {
        if (const std::optional<SessionCommand> rule = SessionCommandOf(command)) {
            action->setEnabled(m_session.IsCommandEnabled(*rule, ioFocus));
        }
    }
    ShowReadingState();
    setWindowTitle(m_doc.WindowTitle());
    setWindowModified(m_session.IsModified());
    RebuildRecentFiles();
}

ScreenEntries CMainFrame::CollectEntries() const {
    ScreenEntries entries;
    for (const CScreenPane* pane : m_panes) {
        pane->CollectEntries(entries);
    }
    return entries;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // no exit while an operation runs; a modified document asks first
    if (CBusyScope::IsBusy() || !m_session.SaveModified()) {
        event->ignore();
        return;
    }
    SaveGeometry();
    QMainWindow::closeEvent(event);
}

}  // namespace gantry::ui
