#include "cli/Commands.h"

#include <iostream>

#include <nlohmann/json.hpp>

#include "cli/ConfigFiles.h"
#include "cli/SafeDownloadCommands.h"
#include "cli/Summary.h"
#include "tool/device/DeviceRequest.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/PortSetup.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/model/ConfigFile.h"
#include "tool/session/DownloadSafety.h"
#include "tool/session/StatusPresentation.h"

namespace gantry::cli {

using namespace gantry::tool;

namespace {

int RunIdentity(CliContext& context) {
    const int connected = context.ConnectGateway(false);
    if (connected != kExitOk) {
        return connected;
    }
    CDevice& device = context.Session().Device();
    if (!device.IsPresent()) {
        device.RefreshIdentity();
    }
    if (const int lost = context.CheckStillAnswering(); lost != kExitOk) {
        return lost;  // the identity would be a mix of read and blank values
    }
    const ProductCombination product =
        LookupProductCombination(device.ClientType(), device.ServerType());
    // the status view's texts, so both front ends show the gateway alike
    const StatusTexts texts = StatusTextsOf(device);
    if (context.options.json) {
        nlohmann::ordered_json doc;
        doc["product"] = texts.device;
        doc["combination"] = product.name;
        doc["client_type"] = device.ClientType();
        doc["client_interface"] = texts.clientInterface;
        doc["server_type"] = device.ServerType();
        doc["server_interface"] = texts.serverInterface;
        doc["serial_number"] = texts.serialNumber;
        doc["revision"] = texts.firmwareRevision;
        doc["run_state"] = RunStateText(device.GetRunState());
        doc["error"] = texts.error;
        std::cout << doc.dump(2) << std::endl;
    } else {
        std::cout << "Product:          " << texts.device << "\n"
                  << "Combination:      " << product.name << "\n"
                  << "Client interface: " << texts.clientInterface << " (" << device.ClientType()
                  << ")\n"
                  << "Server interface: " << texts.serverInterface << " (" << device.ServerType()
                  << ")\n"
                  << "Serial number:    " << texts.serialNumber << "\n"
                  << "Revision:         " << texts.firmwareRevision << "\n"
                  << "Run state:        " << RunStateText(device.GetRunState()) << "\n"
                  << "Error:            " << texts.error << std::endl;
    }
    return kExitOk;
}

}  // namespace

int LoadOrSay(const std::string& file, LoadedConfiguration& loaded, bool named) {
    std::string error;
    if (!LoadConfigurationFile(file, loaded, error)) {
        PrintMessage("Error", named ? file + ": " + error : error);
        return kExitUsage;
    }
    return kExitOk;
}

int ReadDeviceConfiguration(CliContext& context) {
    CliContext::ProgressScope progress(context, "Reading I/O table", 0);
    const int connected = context.ConnectGateway();
    if (connected != kExitOk) {
        return connected;
    }
    // a table read part way is no configuration to keep
    return context.CheckStillAnswering();
}

namespace {

int RunUpload(CliContext& context, const std::string& file) {
    const int read = ReadDeviceConfiguration(context);
    if (read != kExitOk) {
        return read;
    }
    ConfigurationSession& session = context.Session();
    std::string error;
    if (!SaveConfigurationFile(file, session.Configuration(),
                               static_cast<std::uint32_t>(session.RunState()), error)) {
        PrintMessage("Error", error);
        return kExitRefused;
    }
    const CConfiguration& config = session.Configuration();
    std::cout << "Uploaded " << session.Device().ProductName() << " ("
              << LookupProductCombination(static_cast<int>(config.clientType),
                                          static_cast<int>(config.serverType))
                     .name
              << ", serial " << FormatSerialNumber(session.Device().SerialNumber()) << ")";
    if (config.Records().j1939) {
        std::cout << ", " << config.io.TotalCount() << " I/O points";
    }
    std::cout << " to " << file << std::endl;
    return kExitOk;
}

// After the writes: success only when the gateway took every write and still
// answers; the session has already shown which writes failed.
int DownloadVerdict(CliContext& context, const DownloadReport& report, const std::string& file) {
    CDevice& device = context.Session().Device();
    if (report.Complete() && !report.gatewayLost) {
        return SafeDownloadVerdict(context, file, device);
    }
    if (report.gatewayLost) {
        PrintMessage("Error", "The download of " + file +
                                  " is not complete: the gateway stopped answering. Check the "
                                  "line and the gateway, then download again.");
        return kExitLost;
    }
    PrintMessage("Error",
                 "The download of " + file + " is not complete: the gateway refused part of it.");
    return kExitRefused;
}

// A file of another product pair cannot be downloaded to this gateway.
bool SameProductOrSay(const CConfiguration& config, CDevice& device) {
    const int client = static_cast<int>(config.clientType);
    const int server = static_cast<int>(config.serverType);
    if (client == device.ClientType() && server == device.ServerType()) {
        return true;
    }
    PrintMessage("Error", f_szFailedToOpenDocument);
    PrintMessage("Error",
                 ProductMismatchText(client, server, device.ClientType(), device.ServerType()));
    return false;
}

// The exit status of a download that wrote nothing, and what it says.
int NotWrittenExit(const DownloadReport& report, const CConfiguration& config,
                   const std::string& file) {
    switch (report.outcome) {
        case DownloadOutcome::Declined:
            PrintMessage(f_szDownloadCaption, "Not confirmed: nothing was written.");
            return kExitRefused;
        case DownloadOutcome::NoModule:
            PrintMessage("Error", "No gateway answered: nothing was written.");
            return kExitNoGateway;
        case DownloadOutcome::Refused:
            if (config.io.TotalCount() > f_nTotalPointLimit) {
                PrintMessage("Error", file + " holds " + std::to_string(config.io.TotalCount()) +
                                          " I/O points; the gateway's table holds at most " +
                                          std::to_string(f_nTotalPointLimit) +
                                          ": nothing was written.");
            }
            return kExitRefused;
        case DownloadOutcome::NotBackedUp:
            return kExitRefused;  // the session said why: nothing was written
        case DownloadOutcome::Written:
            break;
    }
    return kExitOk;
}

int RunDownload(CliContext& context, const std::string& file, bool verify) {
    LoadedConfiguration loaded;
    if (const int status = LoadOrSay(file, loaded); status != kExitOk) {
        return status;
    }
    const int connected = context.ConnectGateway();
    if (connected != kExitOk) {
        return connected;
    }
    ConfigurationSession& session = context.Session();
    CDevice& device = session.Device();
    if (!SameProductOrSay(loaded.config, device)) {
        return kExitRefused;
    }
    session.Safety().SetVerify(verify);
    DownloadReport report;
    {
        CliContext::ProgressScope progress(context, "Writing I/O table",
                                           static_cast<int>(loaded.config.io.TotalCount()));
        report = session.DownloadConfiguration(loaded.config);
    }
    if (report.outcome != DownloadOutcome::Written) {
        return NotWrittenExit(report, session.Configuration(), file);
    }
    return DownloadVerdict(context, report, file);
}

int RunMode(CliContext& context, const std::string& mode) {
    const int target = mode == "run" ? RS_Run : RS_Idle;
    const int connected = context.ConnectGateway();
    if (connected != kExitOk) {
        return connected;
    }
    ConfigurationSession& session = context.Session();
    session.SelectRunMode(target);
    const int state = session.RunState();
    if (const int lost = context.CheckStillAnswering(); lost != kExitOk) {
        return lost;
    }
    std::cout << "Run state: " << RunStateText(state) << std::endl;
    if (state == RS_NotDetected) {
        return kExitNoGateway;
    }
    if (state != target) {
        PrintMessage("Error", "The gateway did not switch to " + RunStateText(target) +
                                  ": it reports " + RunStateText(state) + " after the request.");
        return kExitRefused;
    }
    return kExitOk;
}

int RunClearFault(CliContext& context) {
    const int connected = context.ConnectGateway();
    if (connected != kExitOk) {
        return connected;
    }
    ConfigurationSession& session = context.Session();
    session.ClearErrorStatus();
    const int fault = session.Device().ReadMajorFault();
    if (const int lost = context.CheckStillAnswering(); lost != kExitOk) {
        return lost;
    }
    std::cout << "Error: " << FormatMajorFault(static_cast<std::uint32_t>(fault)) << std::endl;
    return kExitOk;
}

// A side of a diff: a configuration file, or "device".
int LoadSide(CliContext& context, const std::string& name, CConfiguration& config) {
    if (name == "device") {
        const int read = ReadDeviceConfiguration(context);
        if (read != kExitOk) {
            return read;
        }
        config = context.Session().Configuration();
        return kExitOk;
    }
    LoadedConfiguration loaded;
    if (const int status = LoadOrSay(name, loaded, true); status != kExitOk) {
        return status;
    }
    config = loaded.config;
    return kExitOk;
}

int RunDiff(CliContext& context, const std::string& a, const std::string& b) {
    CConfiguration first;
    CConfiguration second;
    int status = LoadSide(context, a, first);
    if (status != kExitOk) {
        return status;
    }
    status = LoadSide(context, b, second);
    if (status != kExitOk) {
        return status;
    }
    const std::vector<std::string> lines = ConfigurationDifferences(first, second);
    for (const std::string& line : lines) {
        std::cout << line << "\n";
    }
    std::cout << std::flush;
    return lines.empty() ? kExitOk : kExitRefused;
}

}  // namespace

void AddGlobalOptions(CLI::App& app, CliContext& context) {
    app.fallthrough();
    app.require_subcommand(1);
    app.add_flag("--offline", context.options.offline,
                 "The simulated gateway of GYSim.ini (Gantry directory) answers in-process");
    app.add_option("--port", context.options.port, "Try only this port (COMn)")
        ->check(CLI::Validator(PortNameProblem, "COMn"));
    app.add_flag("-y,--yes", context.options.yes, "Answer Yes to the confirmation");
    app.add_flag("--json", context.options.json, "JSON output where offered");
}

namespace {

// Positional arguments of the subcommands live as long as the program.
struct Arguments {
    std::string file;
    std::string other;
    std::string mode;
    bool noVerify = false;
};
Arguments& Args() {
    static Arguments arguments;
    return arguments;
}

}  // namespace

void AddDeviceCommands(CLI::App& app, CliContext& context) {
    Arguments& args = Args();
    app.add_subcommand("identity",
                       "Product, interfaces, serial number, revision, run state and error")
        ->callback([&context] { context.exitCode = RunIdentity(context); });
    CLI::App* mode = app.add_subcommand("mode", "Switch the gateway to Idle or Run");
    mode->add_option("state", args.mode, "idle or run")
        ->required()
        ->check(CLI::IsMember({"idle", "run"}));
    mode->callback([&context, &args] { context.exitCode = RunMode(context, args.mode); });
    app.add_subcommand("clear-fault", "Clear the gateway's major fault")->callback([&context] {
        context.exitCode = RunClearFault(context);
    });
    CLI::App* upload = app.add_subcommand(
        "upload", "Read the gateway's configuration into FILE (.cfg, or JSON for .json)");
    upload->add_option("FILE", args.file)->required();
    upload->callback([&context, &args] { context.exitCode = RunUpload(context, args.file); });
    CLI::App* download = app.add_subcommand("download", "Check FILE and write it into the gateway");
    download->add_option("FILE", args.file)->required();
    download->add_flag("--no-verify", args.noVerify, "Do not read the records back after the Save");
    download->callback(
        [&context, &args] { context.exitCode = RunDownload(context, args.file, !args.noVerify); });
    CLI::App* diff = app.add_subcommand(
        "diff", "Differences between two configurations (files or \"device\"); 1 when they differ");
    diff->add_option("A", args.file)->required();
    diff->add_option("B", args.other)->required();
    diff->callback(
        [&context, &args] { context.exitCode = RunDiff(context, args.file, args.other); });
}

int RunCommandLine(CLI::App& app, CliContext& context, int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }
    return context.exitCode;
}

}  // namespace gantry::cli
