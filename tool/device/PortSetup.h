// The Gantry directory's serial set-up: the machine's serial devices, the COM
// links of dosdevices/ and the KV121032.INI sections that name them. One set
// of rules for `gyconfig-cli setup` and `ports` and for the desktop tool's
// Connection Settings dialog. Qt-free; any one thread at a time.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "tool/device/SetupDiagnosis.h"

namespace gantry::tool {

inline constexpr int f_nMinimumIniPorts = 9;  // COM1..COM9 always get a section

// A serial device of this machine a gateway may sit behind.
struct SerialDevice {
    std::string node;  // the device node, "/dev/ttyUSB0"
    std::string byId;  // its serial/by-id/ name, "" when it has none
    // What a COM link points at: the by-id name where there is one (it stays
    // with the adapter when adapters are plugged in another order), else the
    // node.
    const std::string& LinkTarget() const { return byId.empty() ? node : byId; }
};

// The serial devices under `devFolder`: ttyUSB*, ttyACM*, ttyS* only where a
// UART answers behind the node, and whatever a serial/by-id/ name leads to,
// each once with its by-id name. Sorted by node.
std::vector<SerialDevice> FindSerialDevices(const std::string& devFolder = "/dev");

struct SetupReport {
    std::vector<std::string> actions;   // what was done, one line each
    std::vector<std::string> failures;  // those of `actions` that say what failed and why
    bool ok = true;                     // false when something could not be written
    void Fail(const std::string& line) {
        ok = false;
        actions.push_back(line);
        failures.push_back(line);
    }
    bool Failed(const std::string& line) const {
        return std::find(failures.begin(), failures.end(), line) != failures.end();
    }
};

// Creates the Gantry directory and dosdevices/, links each device of `devices`
// that no entry links yet under the lowest free COM number (entries already
// there are kept), and gives KV121032.INI a section DeviceInformation<100+n>
// naming the installed driver and COMn for every link and for COM1..COM9.
// It never changes an entry of dosdevices/ or a DeviceParams the file already
// has, and never writes a KV121032.INI it cannot read; the report says what it
// added and what it left alone (ok is false when something could not be done).
SetupReport SetupGantryDirectory(const std::vector<std::string>& devices);

// The set-up of one port the user chose: `device` becomes COM`number` (1 to
// 255). An entry of that number that leads elsewhere is pointed at `device`,
// one that is no link is left alone (a failure); every other entry is kept.
// KV121032.INI is completed as SetupGantryDirectory completes it, except that
// the chosen port's DeviceParams names the installed driver and COMn even
// where it named something else (reported with the old value).
SetupReport SetupComPort(const std::string& device, int number);

struct PortStatus {
    int number = 0;      // n of COMn
    std::string entry;   // the dosdevices/ entry's name
    std::string target;  // where it points ("" when it is no link)
    std::string opened;  // the path the driver opens (the target from dosdevices/, or the entry)
    bool usable = false;
    std::string problem;  // why it cannot be opened, in words a technician can act on
};

// Every COM port of dosdevices/, ascending, and whether this user can open it.
std::vector<PortStatus> InspectComPorts();

// "" for a port name the tool accepts: "COM" (case ignored) and a number from
// 1 to 255 in plain digits, nothing else, so that "COM1x" or "COM 1" never
// quietly stands for COM1; else why it is none.
std::string PortNameProblem(const std::string& name);

// Why `path` cannot serve as a serial line (SerialDeviceProblem), or "" when
// this user can open it as a serial device nobody else holds.
std::string PortOpenProblem(const std::string& path);

}  // namespace gantry::tool
