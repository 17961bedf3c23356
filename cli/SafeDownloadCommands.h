// The subcommands around a safe download: report (the commissioning report
// of a file or the gateway as HTML) and backups (the backups kept before each
// download).
#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"

namespace gantry::cli {

void AddSafeDownloadCommands(CLI::App& app, CliContext& context);

// After a download written whole: where the backup went, and the read-back
// check ("Downloaded and verified", or the differences, already shown by the
// session, and exit 1).
int SafeDownloadVerdict(CliContext& context, const std::string& file, const CDevice& device);

}  // namespace gantry::cli
