// The subcommands of gyconfig-cli. Each Add function registers one group on
// the program's parser; the callbacks store their exit status in the context.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"
#include "cli/ConfigFiles.h"

namespace gantry::cli {

// identity, mode, clear-fault, upload, download, diff (device side).
void AddDeviceCommands(CLI::App& app, CliContext& context);
// show, convert, io export, io import.
void AddFileCommands(CLI::App& app, CliContext& context);
// setup, ports.
void AddPortCommands(CLI::App& app, CliContext& context);

// Registers --offline, --port, --yes and --json on `app`; subcommands created
// afterwards accept them after their own arguments too.
void AddGlobalOptions(CLI::App& app, CliContext& context);

// Reads the gateway's configuration as the tool's Upload does (the session's
// start uploads from a working gateway), with a progress bar over the table.
// kExitOk, or why it could not (printed).
int ReadDeviceConfiguration(CliContext& context);

// Loads `file` as every command that takes a configuration file does:
// kExitOk, or kExitUsage after printing why (after the file's name when
// `named`).
int LoadOrSay(const std::string& file, LoadedConfiguration& loaded, bool named = false);

// Parses and runs; the program's exit status.
int RunCommandLine(CLI::App& app, CliContext& context, int argc, char** argv);

}  // namespace gantry::cli
