// gyconfig-cli: every job of the configuration tool without a window.
#include <CLI/CLI.hpp>

#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/SafeDownloadCommands.h"
#include "common/AtomicFile.h"
#include "common/MainGuard.h"
#include "common/TraceLog.h"

#ifdef GYCONFIG_HAVE_FLASH
#include "cli/FlashCommand.h"
#endif

using namespace gantry::cli;
using namespace gantry::tool;

namespace {

int RunCli(int argc, char** argv) {
    gantry::RemoveTemporaryFilesOnSignals();
    CliContext context;
    CLI::App app{"gyconfig-cli: configure Gantry gateways from the command line", "gyconfig-cli"};
    AddGlobalOptions(app, context);
    AddPortCommands(app, context);
    AddDeviceCommands(app, context);
    AddFileCommands(app, context);
    AddSafeDownloadCommands(app, context);
#ifdef GYCONFIG_HAVE_FLASH
    AddFlashCommand(app, context);
#endif
    return RunCommandLine(app, context, argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    return gantry::RunCatchingAll("Error", kExitRefused, [&] { return RunCli(argc, argv); });
}
