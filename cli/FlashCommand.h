// The flash subcommand of gyconfig-cli: writes the firmware images that an
// update description file (.nvs) names into the gateway.
//
//   gyconfig-cli flash FILE.nvs
//
// Shows the gateway's storage-area revisions and the description's image
// revisions, asks for confirmation (unless --yes), runs the update with a
// progress bar and uploads the gateway's configuration afterwards. Exit
// status 0 only after the gateway reported every promised revision.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"
#include "tool/device/FirmwareUpdate.h"

namespace gantry::cli {

using namespace gantry::tool;

void AddFlashCommand(CLI::App& app, CliContext& context);

// The exit status for how an update ended: 0 only when verified; 3 when no
// gateway answered after a reset; 1 for every other failure.
int FlashExitCode(FlashOutcome outcome);

// Runs the flash subcommand on `description`; the exit status.
int RunFlash(CliContext& context, const std::string& description);

}  // namespace gantry::cli
