// The main frame's commands as the user meets them: the actions with their
// texts, icons and shortcuts, the menus, the tool bar and the status bar's
// panes. What a command does is in MainFrame.cpp (RunCommand).
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <optional>
#include <vector>

#include "tool/session/CommandPrompts.h"
#include "tool/ui/BusyScope.h"
#include "tool/ui/MainFrame.h"

namespace gantry::ui {

QAction* CMainFrame::AddAction(FrameCommand command, const QString& text, const QString& icon,
                               const QKeySequence& shortcut) {
    auto* action = new QAction(text, this);
    if (!icon.isEmpty()) {
        action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(icon)));
    }
    action->setShortcut(shortcut);
    action->setStatusTip(QString::fromStdString(CommandPrompt(command)));
    m_actions[command] = action;
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    return action;
}

void CMainFrame::CreateActions() {
    AddAction(FrameCommand::FileNew, tr("&New"), QStringLiteral("new"), QKeySequence(tr("Ctrl+N")));
    AddAction(FrameCommand::FileOpen, tr("&Open..."), QStringLiteral("open"),
              QKeySequence(tr("Ctrl+O")));
    AddAction(FrameCommand::FileSave, tr("&Save"), QStringLiteral("save"),
              QKeySequence(tr("Ctrl+S")));
    AddAction(FrameCommand::FileSaveAs, tr("Save &As..."));
    AddAction(FrameCommand::Connect, tr("&Connect"), QStringLiteral("connect"));
    AddAction(FrameCommand::OfflineConfiguration, tr("O&ffline Configuration"),
              QStringLiteral("offline"));
    AddAction(FrameCommand::ConnectionSettings, tr("Connection Se&ttings..."));
    AddAction(FrameCommand::ExportReport, tr("Export &Report..."));
    AddAction(FrameCommand::AppExit, tr("E&xit"));
    AddAction(FrameCommand::ViewToolbar, tr("&Toolbar"))->setCheckable(true);
    AddAction(FrameCommand::ViewStatusBar, tr("&Status Bar"))->setCheckable(true);
    AddAction(FrameCommand::RefreshDeviceStatus, tr("&Refresh Device Status"),
              QStringLiteral("refresh"), QKeySequence(Qt::Key_F5));
    AddAction(FrameCommand::Upload, tr("&Upload from Module"), QStringLiteral("upload"));
    AddAction(FrameCommand::Download, tr("&Download to Module"), QStringLiteral("download"));
    AddAction(FrameCommand::ClearErrorStatus, tr("&Clear Error Status"));
    AddAction(FrameCommand::CompareWithModule, tr("Co&mpare with Module"));
    AddAction(FrameCommand::RestoreBackup, tr("Restore &Backup..."));
    AddAction(FrameCommand::VerifyDownload, tr("&Verify after Download"))->setCheckable(true);
    AddAction(FrameCommand::AddIoPoint, tr("&Add I/O Point"), QStringLiteral("add"));
    AddAction(FrameCommand::EditIoPoint, tr("&Edit I/O Point"), QStringLiteral("edit"));
    AddAction(FrameCommand::RemoveIoPoint, tr("&Remove I/O Point"), QStringLiteral("remove"));
    AddAction(FrameCommand::RemoveAllIoPoints, tr("Re&move All I/O Points"));
    AddAction(FrameCommand::FlashUpdate, tr("&Update"), QStringLiteral("flash"));
    AddAction(FrameCommand::AppAbout, tr("&About Gantry Configuration..."),
              QStringLiteral("about"));
    for (int i = 0; i < f_nRecentFileCount; ++i) {
        auto* action = new QAction(this);
        action->setStatusTip(QString::fromStdString(CommandPrompt(FrameCommand::FileMru)));
        connect(action, &QAction::triggered, this, [this, i] {
            const QStringList files = m_doc.RecentFiles();
            if (i < files.size()) {
                RunBusy(tr("Opening..."), [this, &files, i] { m_doc.Open(files[i]); });
            }
        });
        m_recentActions.push_back(action);
    }
    m_actions[FrameCommand::FileMru] = m_recentActions.front();
}

void CMainFrame::CreateMenus() {
    m_fileMenu = menuBar()->addMenu(tr("&File"));
    for (FrameCommand command : {FrameCommand::FileNew, FrameCommand::FileOpen,
                                 FrameCommand::FileSave, FrameCommand::FileSaveAs}) {
        m_fileMenu->addAction(Action(command));
    }
    m_fileMenu->addAction(Action(FrameCommand::ExportReport));
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(Action(FrameCommand::Connect));
    m_fileMenu->addAction(Action(FrameCommand::OfflineConfiguration));
    m_fileMenu->addAction(Action(FrameCommand::ConnectionSettings));
    m_recentSeparator = m_fileMenu->addSeparator();
    for (QAction* action : m_recentActions) {
        m_fileMenu->addAction(action);
    }
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(Action(FrameCommand::AppExit));
    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->addAction(Action(FrameCommand::ViewToolbar));
    view->addAction(Action(FrameCommand::ViewStatusBar));
    QMenu* configuration = menuBar()->addMenu(tr("&Configuration"));
    for (FrameCommand command : {FrameCommand::RefreshDeviceStatus, FrameCommand::Upload,
                                 FrameCommand::Download, FrameCommand::ClearErrorStatus}) {
        configuration->addAction(Action(command));
    }
    configuration->addSeparator();
    configuration->addAction(Action(FrameCommand::CompareWithModule));
    configuration->addAction(Action(FrameCommand::RestoreBackup));
    configuration->addAction(Action(FrameCommand::VerifyDownload));
    QMenu* io = menuBar()->addMenu(tr("&I/O"));
    for (FrameCommand command : {FrameCommand::AddIoPoint, FrameCommand::EditIoPoint,
                                 FrameCommand::RemoveIoPoint, FrameCommand::RemoveAllIoPoints}) {
        io->addAction(Action(command));
    }
    menuBar()->addMenu(tr("F&lash"))->addAction(Action(FrameCommand::FlashUpdate));
    menuBar()->addMenu(tr("&Help"))->addAction(Action(FrameCommand::AppAbout));
}

void CMainFrame::CreateToolBar() {
    m_toolBar = addToolBar(tr("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("Toolbar"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    const std::vector<std::optional<FrameCommand>> buttons = {
        FrameCommand::FileNew,
        FrameCommand::FileOpen,
        FrameCommand::FileSave,
        std::nullopt,
        FrameCommand::RefreshDeviceStatus,
        std::nullopt,
        FrameCommand::Upload,
        FrameCommand::Download,
        std::nullopt,
        FrameCommand::AddIoPoint,
        FrameCommand::EditIoPoint,
        FrameCommand::RemoveIoPoint,
        std::nullopt,
        FrameCommand::AppAbout,
        std::nullopt,
        FrameCommand::Connect,
        FrameCommand::OfflineConfiguration,
    };
    for (const std::optional<FrameCommand>& button : buttons) {
        if (button) {
            m_toolBar->addAction(Action(*button));
        } else {
            m_toolBar->addSeparator();
        }
    }
    Action(FrameCommand::ViewToolbar)->setChecked(true);
}

void CMainFrame::CreateStatusBar() {
    m_progress = new QProgressBar(statusBar());
    m_progress->setMaximumWidth(160);
    m_progress->setTextVisible(false);
    m_progress->hide();
    statusBar()->addPermanentWidget(m_progress);
    m_portPane = new QLabel(statusBar());
    m_portPane->setObjectName(QStringLiteral("PortPane"));
    m_portPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_portPane->hide();
    statusBar()->addPermanentWidget(m_portPane);
    m_cancelButton = new QPushButton(tr("Cancel"), statusBar());
    m_cancelButton->setObjectName(QStringLiteral("CancelRead"));
    m_cancelButton->setFocusPolicy(Qt::NoFocus);  // Escape cancels; no Tab stop in the status bar
    m_cancelButton->hide();
    connect(m_cancelButton, &QPushButton::clicked, this, &CMainFrame::CancelRead);
    statusBar()->addPermanentWidget(m_cancelButton);
    m_modulePane = new QLabel(QStringLiteral("NO MODULE"), statusBar());
    m_modulePane->setObjectName(QStringLiteral("ModulePane"));
    m_modulePane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_modulePane->setAlignment(Qt::AlignCenter);
    m_modulePane->setMinimumWidth(
        m_modulePane->fontMetrics().horizontalAdvance(QStringLiteral("NO MODULE")) + 16);
    statusBar()->addPermanentWidget(m_modulePane);
    m_idleText = tr("Ready");
    statusBar()->showMessage(m_idleText);
    // a command's status tip is cleared when the pointer leaves its button
    connect(statusBar(), &QStatusBar::messageChanged, this, &CMainFrame::OnStatusMessage);
    Action(FrameCommand::ViewStatusBar)->setChecked(true);
    CBusyScope::SetDefaultStatusBar(statusBar());
}

}  // namespace gantry::ui
