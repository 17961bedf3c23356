// GYConfig: the desktop configuration tool for Gantry gateways.
#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/AtomicFile.h"
#include "common/MainGuard.h"
#include "tool/device/SerialTransport.h"
#include "tool/ui/GYConfigApp.h"

using namespace gantry::ui;
using namespace gantry::tool;

namespace {

const char* const f_szUsage =
    "Usage: GYConfig [--offline] [--screenshot FILE.png] [FILE.cfg]\n"
    "\n"
    "The desktop configuration tool for Gantry gateways. It finds the gateway on\n"
    "the COM ports of the Gantry directory (KV121032.INI and dosdevices/), reads\n"
    "its identity and configuration, and edits, uploads, downloads and saves it.\n"
    "\n"
    "Options:\n"
    "  --offline            start in offline mode: the simulated gateway of\n"
    "                       GYSim.ini answers every request\n"
    "  --screenshot FILE    render the main window to FILE (PNG) once the first\n"
    "                       refresh and upload have finished, then exit; message\n"
    "                       boxes are written to standard error instead\n"
    "  --timing             print the time to the first painted window and to the\n"
    "                       populated screens on standard error\n"
    "  -h, --help           show this help and exit\n"
    "  FILE.cfg             open this configuration file at start\n"
    "\n"
    "The Gantry directory is $GANTRY_DIR, else $XDG_CONFIG_HOME/gantry, else\n"
    "~/.config/gantry. Without a display, set QT_QPA_PLATFORM=offscreen (with\n"
    "--screenshot) or run under xvfb-run.\n";

bool Empty(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr || *value == '\0';
}

// Whether Qt can start the platform `name` here: a desktop platform needs its
// display, any other its plugin.
bool PlatformUsable(const std::string& name) {
    if (name == "xcb") {
        return !Empty("DISPLAY");
    }
    if (name.rfind("wayland", 0) == 0) {
        return !Empty("WAYLAND_DISPLAY");
    }
    const QString plugin = "/libq" + QString::fromStdString(name) + ".so";
    return QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms" +
                             plugin) ||
           (!Empty("QT_QPA_PLATFORM_PLUGIN_PATH") &&
            QFileInfo::exists(QString::fromLocal8Bit(std::getenv("QT_QPA_PLATFORM_PLUGIN_PATH")) +
                              plugin));
}

// QT_QPA_PLATFORM is a list of names separated by ';', each with optional
// ":options"; Qt takes the first that starts.
bool AnyPlatformUsable(const std::string& value) {
    std::size_t start = 0;
    while (start <= value.size()) {
        const std::size_t end = std::min(value.find(';', start), value.size());
        const std::string entry = value.substr(start, end - start);
        if (PlatformUsable(entry.substr(0, entry.find(':')))) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// 0: go on; otherwise the exit status (+1, as 0 means "go on").
int ParseArguments(int argc, char** argv, StartOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            std::fputs(f_szUsage, stdout);
            return 1;
        } else if (std::strcmp(arg, "--offline") == 0) {
            options.offline = true;
        } else if (std::strcmp(arg, "--timing") == 0) {
            options.timing = true;
        } else if (std::strcmp(arg, "--screenshot") == 0) {
            if (i + 1 == argc || *argv[i + 1] == '\0') {
                std::fprintf(stderr, "GYConfig: --screenshot needs a file name\n\n%s", f_szUsage);
                return 3;
            }
            options.screenshot = QString::fromLocal8Bit(argv[++i]);
        } else if (arg[0] != '-' && options.document.isEmpty()) {
            options.document = QString::fromLocal8Bit(arg);
        } else {
            std::fprintf(stderr, "GYConfig: unexpected argument '%s'\n\n%s", arg, f_szUsage);
            return 3;
        }
    }
    return 0;
}

int RunGyConfig(int argc, char** argv) {
    gantry::RemoveTemporaryFilesOnSignals();
    StartOptions options;
    if (const int status = ParseArguments(argc, argv, options)) {
        return status - 1;
    }
    if (Empty("QT_QPA_PLATFORM") && Empty("DISPLAY") && Empty("WAYLAND_DISPLAY")) {
        std::fputs(
            "GYConfig: no display (DISPLAY and WAYLAND_DISPLAY are not set); run it on a desktop, "
            "under xvfb-run, or with QT_QPA_PLATFORM=offscreen\n",
            stderr);
        return 1;
    }
    // Qt aborts on a platform it cannot start: say so before it is asked to
    if (!Empty("QT_QPA_PLATFORM") && !AnyPlatformUsable(std::getenv("QT_QPA_PLATFORM"))) {
        std::fprintf(stderr,
                     "GYConfig: the Qt platform \"%s\" (QT_QPA_PLATFORM) cannot start here: it is "
                     "not installed or has no display; use offscreen, or xcb with DISPLAY set\n",
                     std::getenv("QT_QPA_PLATFORM"));
        return 1;
    }
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("GYConfig"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GANTRY_VERSION));
    CGYConfigApp app(std::make_unique<CSerialTransport>(RP1210LibraryPath()), options);
    return app.Run();
}

}  // namespace

int main(int argc, char** argv) {
    return gantry::RunCatchingAll("GYConfig", 1, [&] { return RunGyConfig(argc, argv); });
}
