#include "cli/Commands.h"

#include <iostream>

#include <nlohmann/json.hpp>

#include "cli/ConfigFiles.h"
#include "common/TraceLog.h"
#include "tool/device/DeviceRequest.h"

namespace {

const char* RunStateName(int state) {
    switch (state) {
        case RS_Idle:
            return "Idle";
        case RS_Run:
            return "Run";
        case RS_Faulted:
            return "Faulted";
        default:
            return "Not Detected";
    }
}

int RunIdentity(CliContext& context) {
    const int connected = context.ConnectGateway(false);
    if (connected != kExitOk) {
        return connected;
    }
    CDevice& device = context.Session().Device();
    if (!device.IsPresent()) {
        device.RefreshIdentity();
    }
    const ProductCombination product =
        LookupProductCombination(device.ClientType(), device.ServerType());
    if (context.options.json) {
        nlohmann::ordered_json doc;
        doc["product"] = device.ProductName();
        doc["combination"] = product.name;
        doc["client_type"] = device.ClientType();
        doc["client_interface"] = InterfaceTypeName(device.ClientType());
        doc["server_type"] = device.ServerType();
        doc["server_interface"] = InterfaceTypeName(device.ServerType());
        doc["serial_number"] = FormatSerialNumber(device.SerialNumber());
        doc["revision"] = FormatRevision(device.Revision());
        doc["run_state"] = RunStateName(device.GetRunState());
        doc["error"] = FormatMajorFault(static_cast<std::uint32_t>(device.MajorFault()));
        std::cout << doc.dump(2) << std::endl;
    } else {
        std::cout << "Product:          " << device.ProductName() << "\n"
                  << "Combination:      " << product.name << "\n"
                  << "Client interface: " << InterfaceTypeName(device.ClientType()) << " ("
                  << device.ClientType() << ")\n"
                  << "Server interface: " << InterfaceTypeName(device.ServerType()) << " ("
                  << device.ServerType() << ")\n"
                  << "Serial number:    " << FormatSerialNumber(device.SerialNumber()) << "\n"
                  << "Revision:         " << FormatRevision(device.Revision()) << "\n"
                  << "Run state:        " << RunStateName(device.GetRunState()) << "\n"
                  << "Error:            "
                  << FormatMajorFault(static_cast<std::uint32_t>(device.MajorFault())) << std::endl;
    }
    return kExitOk;
}

}  // namespace

void AddGlobalOptions(CLI::App& app, CliContext& context) {
    app.fallthrough();
    app.require_subcommand(1);
    app.add_flag("--offline", context.options.offline,
                 "The simulated gateway of GYSim.ini (Gantry directory) answers in-process");
    app.add_option("--port", context.options.port, "Try only this port (COMn)");
    app.add_flag("-y,--yes", context.options.yes, "Answer Yes to the confirmation");
    app.add_flag("--json", context.options.json, "JSON output where offered");
}

void AddDeviceCommands(CLI::App& app, CliContext& context) {
    CLI::App* identity = app.add_subcommand(
        "identity", "Product, interfaces, serial number, revision, run state and error");
    identity->callback([&context] { context.exitCode = RunIdentity(context); });
}

void AddFileCommands(CLI::App& app, CliContext& context) {
    (void)app;
    (void)context;
}

void AddPortCommands(CLI::App& app, CliContext& context) {
    (void)app;
    (void)context;
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
