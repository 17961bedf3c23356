#include "cli/SafeDownloadCommands.h"

#include <cstdlib>
#include <iostream>
#include <optional>

#include "cli/Commands.h"
#include "cli/ConfigFiles.h"
#include "tool/device/IdentityValues.h"
#include "tool/model/ConfigFile.h"
#include "tool/session/BackupStore.h"
#include "tool/session/CommissioningReport.h"
#include "tool/session/DownloadSafety.h"

namespace gantry::cli {

using namespace gantry::tool;

namespace {

// The report of `source` ("device" or a configuration file) written to `out`.
int RunReport(CliContext& context, const std::string& source, const std::string& out) {
    CommissioningReport report;
    if (source == "device") {
        if (const int read = ReadDeviceConfiguration(context); read != kExitOk) {
            return read;
        }
        report = BuildSessionReport(context.Session(), UtcNowText());
    } else {
        LoadedConfiguration loaded;
        if (const int status = LoadOrSay(source, loaded, true); status != kExitOk) {
            return status;
        }
        report = BuildCommissioningReport(
            loaded.config, ReportIdentityOfFile(loaded.config, loaded.runState, source),
            WriteConfigFile(loaded.config, loaded.runState), UtcNowText());
    }
    const std::string html = CommissioningReportHtml(report);
    const auto* data = reinterpret_cast<const std::uint8_t*>(html.data());
    if (!SaveFileAtomically(out, std::span<const std::uint8_t>(data, html.size()))) {
        PrintMessage("Error", "Cannot write " + out + ".");
        return kExitRefused;
    }
    std::cout << "Wrote the report of " << source << " to " << out << std::endl;
    return kExitOk;
}

// The backups of one gateway (or all), newest first, one line each.
int RunBackups(const std::string& serialText) {
    std::optional<std::uint32_t> serial;
    if (!serialText.empty()) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(serialText.c_str(), &end, 16);
        if (*end != '\0' || value > 0xFFFFFFFFul) {
            PrintMessage("Error",
                         "--serial takes the serial number as the status view shows it "
                         "(8 hexadecimal digits), not " +
                             serialText + ".");
            return kExitUsage;
        }
        serial = static_cast<std::uint32_t>(value);
    }
    const std::vector<BackupEntry> backups = ListBackups(serial);
    if (backups.empty()) {
        std::cout << "No backups in " << (serial ? BackupFolderOf(*serial) : BackupRoot())
                  << std::endl;
        return kExitOk;
    }
    for (const BackupEntry& backup : backups) {
        std::cout << backup.time << "  " << backup.serialNumber << "  " << backup.product << "  "
                  << backup.ioPointCount << " I/O points  " << backup.path << "\n";
    }
    std::cout << std::flush;
    return kExitOk;
}

struct Arguments {
    std::string source;
    std::string out;
    std::string serial;
};
Arguments& Args() {
    static Arguments arguments;
    return arguments;
}

}  // namespace

int SafeDownloadVerdict(CliContext& context, const std::string& file, const CDevice& device) {
    const CDownloadSafety& safety = context.Session().Safety();
    if (safety.LastBackup()) {
        std::cout << "Backed up the gateway's previous configuration to "
                  << safety.LastBackup()->path << std::endl;
    }
    const VerificationResult& check = safety.LastVerification();
    if (check.performed && !check.Passed()) {
        PrintMessage("Error",
                     "The download of " + file + " could not be verified: the gateway " +
                         (check.read ? "does not hold what was sent." : "did not answer."));
        return check.read ? kExitRefused : kExitLost;
    }
    std::cout << (check.Passed() ? f_szDownloadedAndVerified : "Downloaded") << " " << file
              << " to " << device.ProductName() << " (serial "
              << FormatSerialNumber(device.SerialNumber()) << ")" << std::endl;
    return kExitOk;
}

void AddSafeDownloadCommands(CLI::App& app, CliContext& context) {
    Arguments& args = Args();
    CLI::App* report = app.add_subcommand(
        "report", "Write the commissioning report of FILE (or \"device\") as HTML to OUT");
    report->add_option("FILE", args.source)->required();
    report->add_option("OUT", args.out)->required();
    report->callback(
        [&context, &args] { context.exitCode = RunReport(context, args.source, args.out); });
    CLI::App* backups = app.add_subcommand(
        "backups",
        "List the backups kept before each download (newest first); download takes "
        "any of them");
    backups->add_option("--serial", args.serial, "Only this gateway's (serial number as shown)");
    backups->callback([&context, &args] { context.exitCode = RunBackups(args.serial); });
}

}  // namespace gantry::cli
