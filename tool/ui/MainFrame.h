// CMainFrame: the main window of GYConfig. Menus, tool bar and status bar with
// the frame's commands; a column of screen panes stacked in a row splitter for
// the gateway's product pair; the session's listener. Every command runs on
// the GUI thread inside a busy scope (wait cursor, input swallowed, the window
// keeps painting through the GUI clock); the session decides every rule, text
// and request order, the frame only draws what it reports.
//
// The rows sit in a scroll area: the window always fits the desktop it opens
// on (down to 1024x768), and a layout larger than the window scrolls in both
// directions. The geometry is kept with QSettings when the window closes and
// restored, fitted to the screens present, at the next start.
//
// GUI thread only. The session must outlive the frame.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <map>
#include <optional>
#include <vector>

#include "tool/session/CommandPrompts.h"
#include "tool/session/ConfigurationSession.h"
#include "tool/ui/GYConfigDoc.h"
#include "tool/ui/ScreenPane.h"

class QTimer;
class QToolBar;

namespace gantry::ui {

using namespace gantry::tool;

class CGYConfigView;

class CMainFrame : public QMainWindow, public ISessionListener {
    Q_OBJECT

public:
    // Builds the window with the status view alone and becomes the session's
    // listener. Nothing is sent until PostStartupRefresh.
    explicit CMainFrame(ConfigurationSession& session, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Posts the first refresh (the session's start: the one-screen layout,
    // then Refresh Device Status); StartupFinished is emitted when it ends.
    void PostStartupRefresh();

    // The action of a command (the recent-file entries: FileMru of index 0).
    QAction* Action(FrameCommand command) const;
    // The recent-file actions in menu order (hidden when unused).
    const std::vector<QAction*>& RecentFileActions() const { return m_recentActions; }
    // The panes from the top, and the pane of a kind (null when not shown).
    const std::vector<CScreenPane*>& Panes() const { return m_panes; }
    CScreenPane* Pane(ScreenKind kind) const;
    CGYConfigView* StatusView() const;
    QSplitter* Splitter() const { return m_splitter; }
    // The scroll area that holds the rows (the window's central widget).
    QScrollArea* ContentScroll() const { return m_scroll; }
    QLabel* ModulePane() const { return m_modulePane; }
    // "COM1: /dev/ttyUSB0" while a gateway answers on that port; hidden otherwise.
    QLabel* PortPane() const { return m_portPane; }
    QProgressBar* ProgressBar() const { return m_progress; }
    // Beside the progress, shown while a read that may be cancelled runs.
    QPushButton* CancelButton() const { return m_cancelButton; }
    CGYConfigDoc& Document() { return m_doc; }
    // Every request that passes the gate is handed on to `observer` too (the
    // frame keeps the gate's one observer slot for its progress display).
    void ObserveRequests(RequestObserver observer) { m_forward = std::move(observer); }

    // Recomputes the enable state of every command, the module pane and the
    // title (the idle update).
    void UpdateCommandUI();
    // The texts every pane left in its number entries.
    ScreenEntries CollectEntries() const;

    // The QSettings keys of the window geometry kept between runs.
    static constexpr const char* f_szGeometryKey = "MainFrame/Geometry";
    static constexpr const char* f_szMaximizedKey = "MainFrame/Maximized";

    // ISessionListener
    void LayoutRebuilt(const ScreenLayout& layout, int previousHeight) override;
    void ScreensChanged(const std::vector<ScreenKind>& screens) override;
    void RunStateChanged(int runState) override;
    void OfflineChanged(bool offline) override;
    std::optional<int> ChooseProduct(const std::vector<std::string>& items) override;
    std::optional<std::string> ChooseSavePath(const std::string& title) override;
    ScreenEntries CurrentEntries() override { return CollectEntries(); }
    void ReadCancelled() override { m_readCancelled = true; }
    void IoTableProgress(int point, int total) override;

signals:
    void StartupFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    QAction* AddAction(FrameCommand command, const QString& text, const QString& icon = {},
                       const QKeySequence& shortcut = {});
    // A read may be cancelled (Escape, the Cancel button); a write runs to
    // its end and its status text says so.
    enum class BusyKind { Other, Read, Write };
    // Runs `work` as one long operation: busy scope with `statusText`, then
    // the idle update. Refused (false) while another operation runs.
    bool RunBusy(const QString& statusText, const std::function<void()>& work,
                 BusyKind kind = BusyKind::Other);
    // Escape or Cancel during a read: it stops before its next request.
    void CancelRead();
    void RunCommand(FrameCommand command);
    // The File, View and Help menus' commands and Connect; false for the others.
    bool RunFileCommand(FrameCommand command);
    // The device and configuration commands.
    void RunDeviceCommand(FrameCommand command);
    void OnDownload();
    void OnIoCommand(IoCommand command);
    void OnFlashUpdate();
    void OnAbout();
    // File > Connection Settings: the port is released for the dialog, then
    // (online) the device status is read again.
    void OnConnectionSettings();
    // The port pane, and when no gateway answers, why: in the message pane
    // (instead of "Ready") and under the status view's identity. The status
    // view's row grows or shrinks with it.
    void ShowConnectionState();
    // The module pane and the status view: while a read that began without a
    // working gateway runs (the start, Connect, a Refresh after NO MODULE),
    // and before the first read, they say the gateway is being read instead
    // of NO MODULE / Not Detected; a read that began with a working gateway
    // shows the truth at once, a lost reply included.
    void ShowReadingState();
    // Compare with Module and Restore Backup (MainFrameSafeDownload.cpp).
    void RunSafeDownloadCommand(FrameCommand command);
    void OnCompareWithModule();
    void OnRestoreBackup();
    // The remembered Verify after Download setting, taken by the session.
    void RestoreVerifySetting();
    // The status bar after a download: where the backup went, and
    // "Downloaded and verified" when the read-back found the records sent.
    void ShowDownloadSafety(const DownloadReport& report);
    void RebuildRecentFiles();
    // The height of the rows of the current layout as shown (a pane that needs
    // more than its row's height gets it).
    int ContentHeight() const;
    // The window's size for the layout just built: at the first one, the
    // rows' height; at the first product layout after a restored geometry,
    // the last run's height; else grown or shrunk by the rows' difference.
    void SizeForLayout(int oldHeight, bool productLayout);
    // The window grows or shrinks by `delta`, widens to the rows' minimum
    // width where the desktop has room, and stays on the desktop.
    void ResizeBy(int delta);
    // The geometry of the last run (position and width at once, the height
    // with the first layout of more than one row), else centred on the
    // primary screen.
    void RestoreGeometry();
    void SaveGeometry() const;
    // "Ready" in the message pane whenever nothing else is said there.
    void OnStatusMessage(const QString& message);
    // Hands every request that passes the gate to the observer installed
    // with ObserveRequests.
    void OnRequest(const std::vector<std::uint8_t>& encoded, int result, const DeviceReply& reply);

    ConfigurationSession& m_session;
    CGYConfigDoc m_doc;
    std::map<FrameCommand, QAction*> m_actions;
    std::vector<QAction*> m_recentActions;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_modulePane = nullptr;
    QLabel* m_portPane = nullptr;
    QString m_idleText;  // the message pane when nothing else is said there
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancelButton = nullptr;
    bool m_readingUnknown = false;  // a read runs that began without a working gateway
    bool m_readCancelled = false;   // the last read was cancelled: the status bar says so
    QScrollArea* m_scroll = nullptr;
    QSplitter* m_splitter = nullptr;
    QTimer* m_modifiedTimer = nullptr;  // the title's "*" follows the session
    int m_restoredHeight = 0;           // of the last run, for the first product layout
    std::vector<CScreenPane*> m_panes;
    int m_contentHeight = 0;  // of the layout shown, 0 before the first
    RequestObserver m_forward;
    int m_ioPointTotal = 0;  // points of the I/O table transfer under way
};

}  // namespace gantry::ui
