// The main frame's connection set-up: File > Connection Settings, and what the
// window says about the serial line (the port in use, or why no gateway
// answers, or that it is being read). The texts come from the session's
// ConnectionSettings unit.
#include <QStatusBar>
#include <algorithm>

#include "tool/device/Device.h"
#include "tool/session/ConnectionSettings.h"
#include "tool/ui/BusyScope.h"
#include "tool/ui/ConnectionSettingsDlg.h"
#include "tool/ui/GYConfigView.h"
#include "tool/ui/MainFrame.h"

namespace gantry::ui {

namespace {

// The module pane while the gateway is being read and nothing is known yet.
const char* const f_szReading = "READING";

}  // namespace

void CMainFrame::OnConnectionSettings() {
    if (CBusyScope::IsBusy()) {
        return;
    }
    // the dialog's Test opens the port itself
    ReleaseSessionPort(m_session);
    {
        CConnectionSettingsDlg dialog(SessionLibraryName(m_session), m_session.Gate().Clock(),
                                      this);
        dialog.exec();
    }
    if (m_session.IsOffline()) {
        ShowConnectionState();
        UpdateCommandUI();
        return;
    }
    RunBusy(tr("Refreshing the device status..."), [this] { m_session.RefreshDeviceStatus(); });
}

void CMainFrame::ShowConnectionState() {
    const QString port = QString::fromStdString(PortInUseText(m_session));
    m_portPane->setText(port);
    m_portPane->setVisible(!port.isEmpty());
    QStringList lines;
    for (const std::string& line : NoGatewayReasons(m_session)) {
        lines << QString::fromStdString(line);
    }
    m_idleText = lines.isEmpty() ? tr("Ready") : lines.join(QLatin1Char(' '));
    if (!CBusyScope::IsBusy()) {
        statusBar()->showMessage(m_idleText);
    }
    CGYConfigView* view = StatusView();
    if (view == nullptr) {
        return;
    }
    view->SetConnectionProblem(lines, Action(FrameCommand::ConnectionSettings));
    // the status view's row takes the lines it shows now
    const std::vector<LayoutRow>& rows = m_session.Layout().rows;
    const int rowHeight = rows.empty() ? f_nStatusViewHeight : rows.front().height;
    view->setMinimumHeight(std::max(rowHeight, view->minimumSizeHint().height()));
    const int height = ContentHeight();
    if (height != m_contentHeight && m_contentHeight > 0) {
        ResizeBy(height - m_contentHeight);
    }
    m_contentHeight = height;
}

void CMainFrame::ShowReadingState() {
    // before the first read nobody has asked the gateway yet: that is no
    // absence either
    const bool neverRead = !m_session.IsOffline() && m_session.RunState() == RS_Unknown;
    const bool reading = m_readingUnknown || neverRead;
    m_modulePane->setText(reading ? QString::fromLatin1(f_szReading)
                                  : QString::fromStdString(m_session.ModulePaneText()));
    if (CGYConfigView* view = StatusView()) {
        view->SetReading(reading);
    }
}

}  // namespace gantry::ui
