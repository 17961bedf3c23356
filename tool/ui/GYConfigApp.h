// CGYConfigApp: start and exit of the desktop tool. Writes the session-start
// entries of the trace log, binds the RP1210 library through the transport
// (a failure shows the transport's message and ends the program), creates the
// session, the main frame and its first screens, posts the first refresh, and
// at exit writes the session-end entries, closes the client and frees the
// library. GUI thread only; one instance per program.
#pragma once

#include <QString>
#include <memory>
#include <string>

#include "tool/session/ConfigurationSession.h"
#include "tool/ui/GuiClock.h"
#include "tool/ui/QtNotifier.h"

namespace gantry::ui {

using namespace gantry::tool;

class CMainFrame;

struct StartOptions {
    bool offline = false;  // --offline: start in offline mode
    QString screenshot;    // --screenshot FILE: render the window there and exit
    QString document;      // FILE.cfg: opened once the first refresh has finished
    bool timing = false;   // print the start-up times on standard error
};

class CGYConfigApp {
public:
    // `responder` answers online requests (the RP1210 transport).
    CGYConfigApp(std::unique_ptr<IDeviceResponder> responder, StartOptions options);
    ~CGYConfigApp();
    CGYConfigApp(const CGYConfigApp&) = delete;
    CGYConfigApp& operator=(const CGYConfigApp&) = delete;

    // Starts and runs the event loop; the program's exit status: 0, or 1 when
    // the library could not be bound, or (with a screenshot) the screenshot
    // could not be written or the document could not be opened. An offline
    // screenshot run without a usable GYSim.ini never asks for the product
    // (nobody could answer): it says why on standard error and returns 1.
    int Run();

    ConfigurationSession& Session() { return *m_session; }
    CMainFrame* Frame() { return m_frame.get(); }

private:
    // After the first refresh: the command line's document, then the
    // screenshot (which ends the program).
    void AfterStartup();
    // Why an offline screenshot run has no gateway to show, naming GYSim.ini.
    static std::string NoSimulatedGatewayText();

    StartOptions m_options;
    CQtNotifier m_notifier;
    CStderrNotifier m_stderrNotifier;
    CGuiClock m_clock;
    std::unique_ptr<ConfigurationSession> m_session;
    std::unique_ptr<CMainFrame> m_frame;
    int m_exitCode = 0;
    std::string m_startError;  // said by Run(), which then ends at once
};

}  // namespace gantry::ui
