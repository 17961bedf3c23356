// GUI monkey: a seeded random walk through GYConfig's real window, offscreen,
// against gantry-gateway with random faults: menu commands, tool-bar buttons,
// keys, clicks and typing in any control of any pane and dialog, message boxes
// answered at random, and now and then another product (the gateway restarts
// on another example profile). A crash, a sanitizer report or a failed
// assertion prints the seed and the last 50 actions; the same seed walks the
// same way (the line's timing aside).
//
// usage: gantry-monkey [--seconds S] [--seed N] [--fault-every N]
//                      [--swap-every ACTIONS] [--interval-ms MS] [--trace 1]
// Exit 0 when the walk ended as planned.
#include <signal.h>

#include <QApplication>
#include <QSettings>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "MonkeyActions.h"
#include "SoakSupport.h"
#include "tool/device/SerialTransport.h"
#include "tool/ui/BusyScope.h"
#include "tool/ui/GYConfigApp.h"
#include "tool/ui/MainFrame.h"

// the death callback lives in the sanitizer's runtime: only a sanitizer build has it
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#include <sanitizer/common_interface_defs.h>
#define GANTRY_HAS_SANITIZER_CALLBACK 1
#endif

using namespace gantry;
using namespace gantry::monkey;

namespace {

const char* const f_profiles[] = {"ethernet-devicenet", "ethernet-j1939", "j1939-modbus",
                                  "profibus-devicenet", "profibus-j1939"};

struct Options {
    double seconds = 60;
    std::uint32_t seed = 0;
    int faultEvery = 60;
    int swapEvery = 400;
    int intervalMs = 15;
};

ActionLog g_log;

bool ParseOptions(int argc, char** argv, Options& options) {
    options.seed = static_cast<std::uint32_t>(std::random_device{}() % 1000000000U);
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const long value = std::strtol(argv[i + 1], nullptr, 10);
        if (name == "--seconds") {
            options.seconds = std::atof(argv[i + 1]);
        } else if (name == "--seed") {
            options.seed = static_cast<std::uint32_t>(value);
        } else if (name == "--fault-every") {
            options.faultEvery = static_cast<int>(value);
        } else if (name == "--swap-every") {
            options.swapEvery = static_cast<int>(value);
        } else if (name == "--trace") {
            g_log.SetTrace(value != 0);
        } else if (name == "--interval-ms") {
            options.intervalMs = static_cast<int>(value);
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

void OnFatalSignal(int signal) {
    g_log.Dump(signal == SIGABRT ? "aborted (a failed assertion?)" : "crashed");
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void InstallCrashReport() {
    for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) {
        ::signal(signal, OnFatalSignal);
    }
#ifdef GANTRY_HAS_SANITIZER_CALLBACK
    __sanitizer_set_death_callback([] { g_log.Dump("the sanitizer stopped the program"); });
#endif
}

std::string ProfilePath(int index) {
    return std::string(GANTRY_SOURCE_DIR "/examples/") + f_profiles[index] + ".ini";
}

// Drives the walk from a timer of the event loop, which also fires inside
// modal dialogs' loops and while a busy operation lets events through.
class Walk {
public:
    Walk(const Options& options, soak::SoakWorld& world, ui::CGYConfigApp& app)
        : m_options(options),
          m_world(world),
          m_app(app),
          m_monkey(options.seed, QString::fromStdString(world.Directory()), g_log),
          m_end(std::chrono::steady_clock::now() +
                std::chrono::milliseconds(static_cast<long long>(options.seconds * 1000))) {}

    // The next tick. A repeating timer would not fire while its own tick
    // waits in a dialog's loop; a new single shot does.
    void Arm() {
        QTimer::singleShot(m_options.intervalMs, [this] { Tick(); });
    }
    void Tick();
    int swaps = 0;
    bool failed = false;

private:
    void WindDown();
    void Swap();
    bool Started(ui::CMainFrame& frame);

    const Options& m_options;
    soak::SoakWorld& m_world;
    ui::CGYConfigApp& m_app;
    Monkey m_monkey;
    std::chrono::steady_clock::time_point m_end;
    long m_lastSwap = 0;
    bool m_watching = false;
    bool m_started = false;
};

void Walk::Swap() {
    const int index = m_monkey.Draw(static_cast<int>(std::size(f_profiles)));
    g_log.Add(std::string("gateway restarts as ") + f_profiles[index]);
    std::printf("monkey: faults of the gateway before swap %d: %s\n", swaps + 1,
                m_world.StopGateway().c_str());
    std::string error;
    if (!m_world.RestartGateway(ProfilePath(index), m_options.seed + ++swaps, error)) {
        std::fprintf(stderr, "monkey: %s\n", error.c_str());
        failed = true;
        QApplication::quit();
    }
    m_lastSwap = g_log.Count();
}

void Walk::WindDown() {
    if (std::chrono::steady_clock::now() - m_end > std::chrono::minutes(3)) {
        g_log.Dump("the window stayed busy three minutes after the walk");
        std::_Exit(3);
    }
    if (Monkey::CloseModal() || ui::CBusyScope::IsBusy()) {
        return;  // again at the next tick
    }
    QApplication::quit();
}

// The walk begins once the first refresh and upload are done, so that the
// same seed meets the same window.
bool Walk::Started(ui::CMainFrame& frame) {
    if (!m_watching) {
        m_watching = true;
        QObject::connect(&frame, &ui::CMainFrame::StartupFinished, [this] { m_started = true; });
    }
    return m_started;
}

void Walk::Tick() {
    Arm();
    ui::CMainFrame* frame = m_app.Frame();
    if (frame == nullptr || !Started(*frame)) {
        return;
    }
    if (std::chrono::steady_clock::now() >= m_end) {
        WindDown();
        return;
    }
    if (!frame->isVisible()) {
        g_log.Dump("the main window closed");
        failed = true;
        QApplication::quit();
        return;
    }
    const bool busy = ui::CBusyScope::IsBusy();
    if (!busy && QApplication::activeModalWidget() == nullptr &&
        g_log.Count() - m_lastSwap >= m_options.swapEvery) {
        Swap();
        return;
    }
    m_monkey.Step(*frame, busy);
}

int RunMonkey(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: gantry-monkey [--seconds S] [--seed N] [--fault-every N] "
                     "[--swap-every ACTIONS] [--interval-ms MS] [--trace 1]\n");
        return 2;
    }
    g_log.SetSeed(options.seed);
    std::printf("monkey: seed %u, %.0f s, a fault in 1 of %d frames\n", options.seed,
                options.seconds, options.faultEvery);
    std::fflush(stdout);
    soak::SoakWorld world;
    std::string error;
    std::mt19937 first(options.seed);
    const int profile = std::uniform_int_distribution<int>(0, std::size(f_profiles) - 1)(first);
    if (!world.Start(argv[0], ProfilePath(profile), 0, options.seed, options.faultEvery, error)) {
        std::fprintf(stderr, "monkey: %s\n", error.c_str());
        return 1;
    }
    const QString settings = QString::fromStdString(world.Directory() + "/settings");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("GYConfig"));
    InstallCrashReport();
    ui::CGYConfigApp app(std::make_unique<tool::CSerialTransport>(tool::RP1210LibraryPath()),
                         ui::StartOptions{});
    Walk walk(options, world, app);
    walk.Arm();
    const auto started = std::chrono::steady_clock::now();
    app.Run();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::printf(
        "monkey: seed %u, %ld actions in %.0f s, %d product swaps; faults of the last "
        "gateway: %s\n",
        options.seed, g_log.Count(), took.count(), walk.swaps, world.StopGateway().c_str());
    return walk.failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    return RunMonkey(argc, argv);
}
