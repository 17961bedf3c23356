// The subcommands that set up and inspect the serial ports: setup, ports.
#include <iostream>

#include "cli/Commands.h"
#include "common/GantryDirectory.h"
#include "tool/device/PortSetup.h"

namespace gantry::cli {

using namespace gantry::tool;

void AddPortCommands(CLI::App& app, CliContext& context) {
    CLI::App* setup = app.add_subcommand(
        "setup",
        "Create the Gantry directory, COM links for the serial devices (or the DEVICEs given) "
        "and KV121032.INI");
    // the DEVICE arguments live as long as the program
    static std::vector<std::string> devices;
    setup->add_option("DEVICE", devices,
                      "Link these devices instead of the serial devices found "
                      "(/dev/serial/by-id/*, /dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS*)");
    setup->callback([&context] {
        if (devices.empty()) {
            for (const SerialDevice& device : FindSerialDevices()) {
                devices.push_back(device.LinkTarget());
            }
        }
        const SetupReport report = SetupGantryDirectory(devices);
        for (const std::string& line : report.actions) {
            // a failure and its reason belong with the errors
            (report.Failed(line) ? std::cerr << "Error: " : std::cout) << line << std::endl;
        }
        context.exitCode = report.ok ? kExitOk : kExitRefused;
    });
    app.add_subcommand("ports", "The COM ports and where each points")->callback([&context] {
        const std::vector<PortStatus> ports = InspectComPorts();
        if (ports.empty()) {
            PrintMessage("Error", "No COM ports in " + GantryDirectory() +
                                      "/dosdevices: run `gyconfig-cli setup`.");
            context.exitCode = kExitNoGateway;
            return;
        }
        bool allUsable = true;
        for (const PortStatus& port : ports) {
            std::cout << "COM" << port.number << " (" << port.entry << ") -> "
                      << (port.target.empty() ? "(not a link)" : port.target) << ": "
                      << (port.usable ? "ok" : port.problem) << "\n";
            allUsable = allUsable && port.usable;
        }
        std::cout << std::flush;
        context.exitCode = allUsable ? kExitOk : kExitRefused;
    });
}

}  // namespace gantry::cli
