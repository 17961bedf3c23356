#include "tool/ui/GYConfigApp.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "common/AtomicFile.h"
#include "common/GantryDirectory.h"
#include "tool/device/SetupDiagnosis.h"
#include "tool/ui/MainFrame.h"

#include "tool/session/SessionLog.h"

namespace gantry::ui {

using namespace gantry::tool;

namespace {

// Reports when the window first painted (an event filter on the frame).
class CFirstPaint : public QObject {
public:
    explicit CFirstPaint(const QElapsedTimer& clock) : m_clock(clock) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            std::fprintf(stderr, "GYConfig: first paint after %lld ms\n",
                         static_cast<long long>(m_clock.elapsed()));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& m_clock;
    bool m_done = false;
};

QElapsedTimer g_started;

}  // namespace

CGYConfigApp::CGYConfigApp(std::unique_ptr<IDeviceResponder> responder, StartOptions options)
    : m_options(std::move(options)) {
    g_started.start();
    WriteSessionStartLog();
    // a screenshot run has nobody to answer a message box: they go to stderr
    INotifier* notifier = m_options.screenshot.isEmpty()
                              ? static_cast<INotifier*>(&m_notifier)
                              : static_cast<INotifier*>(&m_stderrNotifier);
    m_session = std::make_unique<ConfigurationSession>(std::move(responder), notifier, &m_clock);
    // GYSim.ini's gateway, or the product is asked at start, which a
    // screenshot run cannot do
    if (m_options.offline && !m_session->StartOffline() && !m_options.screenshot.isEmpty()) {
        m_startError = NoSimulatedGatewayText();
    }
}

std::string CGYConfigApp::NoSimulatedGatewayText() {
    std::string problem = SimulatorProfileProblem("GYSim.ini");
    if (problem.empty()) {
        problem = ResolveGantryPath("GYSim.ini") + " names no gateway the tool knows.";
    }
    return problem +
           " Offline, the product is then chosen in a dialog, which a --screenshot run cannot "
           "show: give GYSim.ini a gateway, or start without --screenshot.";
}

CGYConfigApp::~CGYConfigApp() {
    m_frame.reset();
    WriteSessionEndLog();
    if (m_session->Gate().IsConnected()) {
        m_session->Gate().DisconnectDevice();
    }
    m_session.reset();  // frees the RP1210 library
}

int CGYConfigApp::Run() {
    if (!m_startError.empty()) {
        std::fprintf(stderr, "GYConfig: %s\n", m_startError.c_str());
        return 1;
    }
    if (!Succeeded(m_session->Gate().BindLibrary())) {
        return 1;  // the transport has shown why
    }
    m_frame = std::make_unique<CMainFrame>(*m_session);
    m_notifier.SetParent(m_frame.get());
    CFirstPaint firstPaint(g_started);
    if (m_options.timing) {
        m_frame->installEventFilter(&firstPaint);
    }
    QObject::connect(m_frame.get(), &CMainFrame::StartupFinished, m_frame.get(),
                     [this] { AfterStartup(); });
    m_frame->show();
    m_frame->PostStartupRefresh();
    const int status = QApplication::exec();
    m_frame->removeEventFilter(&firstPaint);
    return status != 0 ? status : m_exitCode;
}

void CGYConfigApp::AfterStartup() {
    if (m_options.timing) {
        std::fprintf(stderr, "GYConfig: screens populated after %lld ms\n",
                     static_cast<long long>(g_started.elapsed()));
    }
    // a screenshot run that could not open its document has not done its job
    const bool opened =
        m_options.document.isEmpty() || m_frame->Document().Open(m_options.document);
    m_frame->UpdateCommandUI();
    if (m_options.screenshot.isEmpty()) {
        return;
    }
    QCoreApplication::processEvents();  // the new layout settles before the picture
    QByteArray png;
    QBuffer buffer(&png);
    std::string error = "Cannot render the window.";
    // written like every other file: only a regular file (or none) is replaced
    if (!buffer.open(QIODevice::WriteOnly) || !m_frame->grab().save(&buffer, "PNG") ||
        !WriteFileAtomically(QFile::encodeName(m_options.screenshot).toStdString(),
                             png.toStdString(), error)) {
        std::fprintf(stderr, "GYConfig: cannot write the screenshot: %s\n", error.c_str());
        m_exitCode = 1;
    }
    m_exitCode = opened ? m_exitCode : 1;
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

}  // namespace gantry::ui
