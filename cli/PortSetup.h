// The Gantry directory on a new machine (`setup`) and the COM ports it holds
// (`ports`).
#pragma once

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tool/device/SetupDiagnosis.h"

namespace gantry::cli {

using namespace gantry::tool;

inline constexpr int f_nMinimumIniPorts = 9;  // COM1..COM9 always get a section

// The serial devices of this machine a gateway may sit behind: /dev/ttyUSB*,
// /dev/ttyACM*, and /dev/ttyS* only where a UART answers behind the node.
// Sorted by name.
std::vector<std::string> FindSerialDevices();

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

struct PortStatus {
    int number = 0;      // n of COMn
    std::string entry;   // the dosdevices/ entry's name
    std::string target;  // where it points ("" when it is no link)
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

}  // namespace gantry::cli
