// The subcommands that work on configuration files alone: show, convert and
// the I/O table's CSV export and import. No gateway is involved.
#include <iostream>

#include "cli/Commands.h"
#include "cli/CsvTable.h"
#include "cli/Summary.h"
#include "common/AtomicFile.h"
#include "tool/device/InputFile.h"
#include "tool/model/ConfigFile.h"
#include "tool/model/ConfigJson.h"

namespace gantry::cli {

using namespace gantry::tool;

namespace {

// As LoadOrSay, and refused when the configuration has no J1939 I/O table.
int LoadIoTableOrSay(const std::string& file, LoadedConfiguration& loaded) {
    if (const int status = LoadOrSay(file, loaded); status != kExitOk) {
        return status;
    }
    if (!loaded.config.Records().j1939) {
        PrintMessage("Error", "The configuration has no J1939 I/O table.");
        return kExitRefused;
    }
    return kExitOk;
}

int RunShow(CliContext& context, const std::string& file) {
    LoadedConfiguration loaded;
    if (const int status = LoadOrSay(file, loaded); status != kExitOk) {
        return status;
    }
    if (context.options.json) {
        std::cout << ExportConfigurationJson(loaded.config, loaded.formatVersion, loaded.runState)
                  << std::endl;
    } else {
        std::cout << SummaryText(loaded.config, loaded.formatVersion, loaded.runState)
                  << std::flush;
    }
    return kExitOk;
}

int RunConvert(const std::string& in, const std::string& out) {
    LoadedConfiguration loaded;
    if (const int status = LoadOrSay(in, loaded); status != kExitOk) {
        return status;
    }
    std::string error;
    if (!SaveConfigurationFile(out, loaded.config, loaded.runState, error)) {
        PrintMessage("Error", error);
        return kExitRefused;
    }
    std::cout << "Converted " << in << " to " << out << std::endl;
    return kExitOk;
}

int RunIoExport(const std::string& file, const std::string& csv) {
    LoadedConfiguration loaded;
    if (const int status = LoadIoTableOrSay(file, loaded); status != kExitOk) {
        return status;
    }
    const std::string text = ExportIoTableCsv(loaded.config.io);
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    std::string error;
    if (!WriteFileAtomically(csv, std::span<const std::uint8_t>(data, text.size()), error)) {
        PrintMessage("Error", error);
        return kExitRefused;
    }
    std::cout << "Exported " << loaded.config.io.TotalCount() << " I/O points to " << csv
              << std::endl;
    return kExitOk;
}

// The first refusals as "Caption: file line n: text (column c)", then how many
// more there were: a file of thousands of bad rows stays readable.
void PrintCsvRefusals(const std::string& csv, const std::vector<CsvRefusal>& refusals) {
    constexpr std::size_t shownAtMost = 20;
    for (std::size_t i = 0; i < refusals.size() && i < shownAtMost; ++i) {
        const CsvRefusal& refusal = refusals[i];
        std::string where = csv;
        if (refusal.line > 0) {
            where += " line " + std::to_string(refusal.line);
        }
        const std::string name = CsvColumnOf(refusal.field);
        const std::string column = name.empty() ? "" : " (column " + name + ")";
        PrintMessage(refusal.caption, where + ": " + refusal.text + column);
    }
    if (refusals.size() > shownAtMost) {
        PrintMessage("Error", "... and " + std::to_string(refusals.size() - shownAtMost) +
                                  " more refused rows in " + csv + ".");
    }
}

int RunIoImport(const std::string& file, const std::string& csv) {
    LoadedConfiguration loaded;
    if (const int status = LoadIoTableOrSay(file, loaded); status != kExitOk) {
        return status;
    }
    const InputFileResult table = ReadInputFile(csv, kMaxConfigurationFileBytes);
    if (!table.bytes) {
        PrintMessage("Error", table.error);
        return kExitUsage;
    }
    const std::vector<std::uint8_t>* bytes = &*table.bytes;
    const CsvImportResult result =
        ImportIoTableCsv(std::string(bytes->begin(), bytes->end()), loaded.config);
    PrintCsvRefusals(csv, result.refusals);
    if (!result.imported) {
        PrintMessage("Error", file + " was not changed.");
        return kExitRefused;
    }
    loaded.config.io = result.io;
    std::string error;
    if (!SaveConfigurationFile(file, loaded.config, loaded.runState, error)) {
        PrintMessage("Error", error);
        return kExitRefused;
    }
    std::cout << "Imported " << result.io.TotalCount() << " I/O points into " << file << std::endl;
    return kExitOk;
}

// Positional arguments of the subcommands live as long as the program.
struct FileArguments {
    std::string file;
    std::string other;
};
FileArguments& Args() {
    static FileArguments arguments;
    return arguments;
}

}  // namespace

void AddFileCommands(CLI::App& app, CliContext& context) {
    FileArguments& args = Args();
    CLI::App* show = app.add_subcommand("show", "A readable summary of a configuration file");
    show->add_option("FILE", args.file)->required();
    show->callback([&context, &args] { context.exitCode = RunShow(context, args.file); });
    CLI::App* convert = app.add_subcommand("convert", "Convert .cfg to JSON and back");
    convert->add_option("IN", args.file)->required();
    convert->add_option("OUT", args.other)->required();
    convert->callback([&context, &args] { context.exitCode = RunConvert(args.file, args.other); });
    CLI::App* io = app.add_subcommand("io", "The J1939 I/O table as CSV");
    io->require_subcommand(1);
    CLI::App* exportCsv = io->add_subcommand("export", "Write FILE's I/O table to CSV");
    exportCsv->add_option("FILE", args.file)->required();
    exportCsv->add_option("CSV", args.other)->required();
    exportCsv->callback(
        [&context, &args] { context.exitCode = RunIoExport(args.file, args.other); });
    CLI::App* importCsv =
        io->add_subcommand("import", "Replace FILE's I/O table with CSV when every row passes");
    importCsv->add_option("FILE", args.file)->required();
    importCsv->add_option("CSV", args.other)->required();
    importCsv->callback(
        [&context, &args] { context.exitCode = RunIoImport(args.file, args.other); });
}

}  // namespace gantry::cli
