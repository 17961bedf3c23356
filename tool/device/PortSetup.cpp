#include "tool/device/PortSetup.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "common/GantryDirectory.h"
#include "common/ProfileFile.h"
#include "tool/device/SerialTransport.h"

namespace gantry::tool {

namespace fs = std::filesystem;

namespace {

bool HasPrefix(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// A /dev/ttyS node has a UART behind it when the kernel knows its type (the
// sysfs "type" is not 0), or, without sysfs, when TIOCGSERIAL says so.
bool UartAnswers(const std::string& name) {
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int value = 0;
    if (type >> value) {
        return value != 0;
    }
    const int fd = ::open(("/dev/" + name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    serial_struct info{};
    const bool known = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return known;
}

std::string Canonical(const std::string& path) {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

bool IsSerialNode(const std::string& name) {
    return HasPrefix(name, "ttyUSB") || HasPrefix(name, "ttyACM") ||
           (HasPrefix(name, "ttyS") && UartAnswers(name));
}

// The serial/by-id/ names under `devFolder`, keyed by the node each leads to.
std::map<std::string, std::string> ByIdNames(const std::string& devFolder) {
    std::map<std::string, std::string> names;
    std::error_code error;
    const fs::path folder = fs::path(devFolder) / "serial" / "by-id";
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        names.emplace(Canonical(it->path().string()), it->path().string());
    }
    return names;
}

}  // namespace

std::vector<SerialDevice> FindSerialDevices(const std::string& devFolder) {
    std::map<std::string, std::string> byId = ByIdNames(devFolder);
    std::vector<SerialDevice> devices;
    std::error_code error;
    for (fs::directory_iterator it(devFolder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!IsSerialNode(name)) {
            continue;
        }
        const auto named = byId.find(Canonical(it->path().string()));
        devices.push_back(SerialDevice{it->path().string(), ""});
        if (named != byId.end()) {
            devices.back().byId = named->second;
            byId.erase(named);
        }
    }
    // an adapter whose node has a name of another kind (ttyAMA0, rfcomm0)
    for (const auto& [node, name] : byId) {
        devices.push_back(SerialDevice{node, name});
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return a.node < b.node; });
    return devices;
}

namespace {

// Where a link leads; a relative target counts from the folder of the link.
std::string ResolvedTarget(const fs::path& folder, const fs::path& target) {
    return Canonical((target.is_absolute() ? target : folder / target).string());
}

// A link's target as the system follows it (not resolved further).
std::string ResolvedLink(const fs::path& folder, const fs::path& target) {
    return (target.is_absolute() ? target : folder / target).string();
}

struct ComLinks {
    std::map<int, std::string> names;  // COM number -> entry name
    std::set<std::string> targets;     // resolved targets of the links
};

// The COM entries already in `folder`, each kept as it is; the entry of
// number `chosen` is not reported (it is about to be set up).
ComLinks KeepExistingLinks(const fs::path& folder, SetupReport& report, int chosen = 0) {
    ComLinks links;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const int number = ComPortNumberFromName(name);
        if (number == 0) {
            continue;
        }
        links.names.emplace(number, name);
        std::error_code linkError;
        const fs::path target = fs::read_symlink(it->path(), linkError);
        if (number == chosen) {
            continue;
        }
        if (linkError) {
            report.actions.push_back("Kept " + name + " (not a link)");
            continue;
        }
        links.targets.insert(ResolvedTarget(folder, target));
        std::error_code existsError;
        const bool present = fs::exists(it->path(), existsError);
        report.actions.push_back("Kept " + name + " -> " + target.string() +
                                 (present ? "" : " (no such device now)"));
    }
    return links;
}

// Links each device that no entry leads to yet under the lowest free number.
void LinkNewDevices(const fs::path& folder, const std::vector<std::string>& devices,
                    ComLinks& links, SetupReport& report) {
    for (const std::string& device : devices) {
        if (links.targets.count(Canonical(device)) != 0) {
            continue;
        }
        int number = 1;
        while (links.names.count(number) != 0) {
            ++number;
        }
        if (number > kHighestComPort) {
            report.Fail("No free COM number for " + device);
            return;
        }
        const std::string name = "com" + std::to_string(number);
        std::error_code linkError;
        fs::create_symlink(device, folder / name, linkError);
        if (linkError) {
            report.Fail("Cannot link " + name + " -> " + device + ": " + linkError.message());
            continue;
        }
        links.names.emplace(number, name);
        links.targets.insert(Canonical(device));
        report.actions.push_back("Linked " + name + " -> " + device);
    }
}

// Whether `ini` may be written: a file that cannot be read stays as it is
// (writing it would replace what it holds).
bool IniFileUsable(const std::string& ini, SetupReport& report) {
    std::error_code error;
    if (fs::is_directory(ini, error)) {
        report.Fail("Cannot use " + ini +
                    ": it is a directory, not a file; remove it and run "
                    "setup again");
        return false;
    }
    if (fs::exists(ini, error) && !std::ifstream(ini)) {
        report.Fail("Cannot read " + ini + " (" + std::strerror(errno) +
                    "): left it alone; make it readable and run setup again");
        return false;
    }
    return true;
}

// Gives COM`number` its DeviceParams unless it has one (or, for the port the
// user chose, unless it has the right one). false when the file could not be
// written; `added` counts the lines written.
bool CompleteIniSection(const std::string& ini, int number, bool chosen, SetupReport& report,
                        int& added) {
    const std::string section = "DeviceInformation" + std::to_string(100 + number);
    const std::string wanted = std::string(f_szInstalledDriver) + " COM" + std::to_string(number);
    const std::string current = ReadProfileString(ini, section, "DeviceParams", "");
    if (current == wanted) {
        return true;
    }
    const std::string line = "[" + section + "] DeviceParams=";
    if (!current.empty() && !chosen) {
        report.actions.push_back("Left " + line + current + " in " + ini + " as it was");
        return true;
    }
    if (!WriteProfileString(ini, section, "DeviceParams", wanted)) {
        report.Fail("Cannot write " + ini);
        return false;
    }
    report.actions.push_back(current.empty()
                                 ? "Wrote " + line + wanted + " to " + ini
                                 : "Replaced " + line + current + " with " + wanted + " in " + ini);
    ++added;
    return true;
}

// Gives `ini` a DeviceParams for each COM number that has none; a value the
// user wrote stays, except for the port `chosen` (0: none).
void CompleteIniFile(const std::string& ini, const std::set<int>& numbers, SetupReport& report,
                     int chosen = 0) {
    if (!IniFileUsable(ini, report)) {
        return;
    }
    int added = 0;
    for (int number : numbers) {
        if (!CompleteIniSection(ini, number, number == chosen, report, added)) {
            return;
        }
    }
    if (added == 0) {
        report.actions.push_back("Kept " + ini + " as it was");
    }
}

// Points COM`number` at `device`: a new link, or an existing link of that
// number turned to it (through a temporary name, so the entry is never
// missing); an entry that is no link stays.
void LinkChosenPort(const fs::path& folder, const std::string& device, int number, ComLinks& links,
                    SetupReport& report) {
    const auto existing = links.names.find(number);
    const std::string name =
        existing != links.names.end() ? existing->second : "com" + std::to_string(number);
    const fs::path entry = folder / name;
    std::error_code error;
    std::string was;
    if (existing != links.names.end()) {
        const fs::path target = fs::read_symlink(entry, error);
        if (error) {
            report.Fail("Cannot link " + name + " -> " + device + ": " + entry.string() +
                        " is no link; left it alone");
            return;
        }
        if (ResolvedTarget(folder, target) == Canonical(device)) {
            report.actions.push_back("Kept " + name + " -> " + target.string());
            return;
        }
        was = " (was " + target.string() + ")";
    }
    const fs::path temporary = folder / ("." + name + ".new");
    fs::remove(temporary, error);
    fs::create_symlink(device, temporary, error);
    if (!error) {
        fs::rename(temporary, entry, error);
    }
    if (error) {
        fs::remove(temporary);
        report.Fail("Cannot link " + name + " -> " + device + ": " + error.message());
        return;
    }
    links.names[number] = name;
    links.targets.insert(Canonical(device));
    report.actions.push_back("Linked " + name + " -> " + device + was);
}

// Why `folder` could not be created: the part of its path that is no
// directory, else the system's reason.
std::string FolderProblem(const fs::path& folder, const std::error_code& error) {
    for (fs::path part = folder; part.has_relative_path(); part = part.parent_path()) {
        std::error_code statusError;
        const fs::file_status status = fs::status(part, statusError);
        if (fs::exists(status)) {
            if (!fs::is_directory(status)) {
                return part.string() + " is not a directory";
            }
            break;
        }
    }
    return error ? error.message() : "it is not a directory";
}

}  // namespace

namespace {

// Creates dosdevices/ in the Gantry directory; false (a failure reported)
// when it cannot be made.
bool MakeDosDevices(fs::path& folder, SetupReport& report) {
    folder = fs::path(GantryDirectory()) / "dosdevices";
    std::error_code error;
    const bool existed = fs::is_directory(folder, error);
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error)) {
        report.Fail("Cannot create " + folder.string() + ": " + FolderProblem(folder, error));
        return false;
    }
    report.actions.push_back((existed ? "Kept " : "Created ") + folder.string());
    return true;
}

// One section per link, and COM1..COM9 in any case.
std::set<int> IniPorts(const ComLinks& links) {
    std::set<int> numbers;
    for (int n = 1; n <= f_nMinimumIniPorts; ++n) {
        numbers.insert(n);
    }
    for (const auto& [number, name] : links.names) {
        numbers.insert(number);
    }
    return numbers;
}

std::string IniFilePath() {
    return (fs::path(GantryDirectory()) / "KV121032.INI").string();
}

}  // namespace

SetupReport SetupGantryDirectory(const std::vector<std::string>& devices) {
    SetupReport report;
    fs::path folder;
    if (!MakeDosDevices(folder, report)) {
        return report;
    }
    ComLinks links = KeepExistingLinks(folder, report);
    LinkNewDevices(folder, devices, links, report);
    CompleteIniFile(IniFilePath(), IniPorts(links), report);
    return report;
}

SetupReport SetupComPort(const std::string& device, int number) {
    SetupReport report;
    fs::path folder;
    if (number < 1 || number > kHighestComPort) {
        report.Fail("COM" + std::to_string(number) + " is no port: choose a number from 1 to " +
                    std::to_string(kHighestComPort));
        return report;
    }
    if (!MakeDosDevices(folder, report)) {
        return report;
    }
    ComLinks links = KeepExistingLinks(folder, report, number);
    LinkChosenPort(folder, device, number, links, report);
    CompleteIniFile(IniFilePath(), IniPorts(links), report, number);
    return report;
}

std::string PortNameProblem(const std::string& name) {
    const bool digits = name.size() > 3 && name.size() <= 6 &&
                        name.find_first_not_of("0123456789", 3) == std::string::npos;
    if (digits && ComPortNumberFromName(name) != 0) {
        return "";
    }
    return "'" + name + "' is no port name: a port is named COM and a number from 1 to " +
           std::to_string(kHighestComPort) + " (COM1, COM2, ...)";
}

std::string PortOpenProblem(const std::string& path) {
    return SerialDeviceProblem(path);
}

std::vector<PortStatus> InspectComPorts() {
    std::vector<PortStatus> ports;
    const fs::path folder = fs::path(GantryDirectory()) / "dosdevices";
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        PortStatus port;
        port.entry = it->path().filename().string();
        port.number = ComPortNumberFromName(port.entry);
        if (port.number == 0) {
            continue;
        }
        std::error_code linkError;
        const fs::path target = fs::read_symlink(it->path(), linkError);
        port.target = linkError ? "" : target.string();
        // a relative link counts from dosdevices/, never from the working directory
        port.opened = linkError ? it->path().string() : ResolvedLink(folder, target);
        port.problem = PortOpenProblem(port.opened);
        port.usable = port.problem.empty();
        ports.push_back(port);
    }
    std::sort(ports.begin(), ports.end(),
              [](const PortStatus& a, const PortStatus& b) { return a.number < b.number; });
    return ports;
}

}  // namespace gantry::tool
