#include "tool/device/SetupDiagnosis.h"

#include <fcntl.h>
#include <grp.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "common/GantryDirectory.h"
#include "common/ProfileFile.h"

namespace gantry::tool {

namespace fs = std::filesystem;

namespace {

// RP1210_ClientConnect's refusals that tell a set-up problem apart.
constexpr short f_nInvalidDevice = 134;       // no section for the device id
constexpr short f_nDeviceInUse = 135;         // the port is held by another client
constexpr short f_nNotResponding = 142;       // the port cannot be opened or configured
constexpr short f_nIniFileError = 202;        // KV121032.INI missing or empty
constexpr short f_nInvalidDriver = 204;       // driver missing, not a library, or name too long
constexpr short f_nIncompatibleDriver = 205;  // driver of another version
constexpr short f_nUnknownDriverError = 240;  // the line opened but the handshake failed
constexpr short f_nHighestClientId = 126;

const char* const f_szRunSetup = "run `gyconfig-cli setup`";

std::string IniPath() {
    return (fs::path(GantryDirectory()) / "KV121032.INI").string();
}

std::string ComName(int port) {
    return "COM" + std::to_string(port);
}

bool UserInGroup(gid_t gid) {
    if (::getegid() == gid) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) {
        return false;
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

std::string GroupName(gid_t gid) {
    if (const group* entry = ::getgrgid(gid)) {
        return entry->gr_name;
    }
    return std::to_string(gid);
}

// Where the RP1210 library's loader would find a driver named without a
// directory: beside the library, then the library path and the system's.
bool DriverFileExists(const std::string& name, const std::string& libraryFolder) {
    std::error_code error;
    if (name.find('/') != std::string::npos) {
        return fs::exists(name, error);
    }
    std::vector<std::string> folders = {libraryFolder};
    if (const char* path = std::getenv("LD_LIBRARY_PATH")) {
        std::string list = path;
        for (std::size_t start = 0; start <= list.size();) {
            const std::size_t end = std::min(list.find(':', start), list.size());
            folders.push_back(list.substr(start, end - start));
            start = end + 1;
        }
    }
    for (const char* system : {"/lib", "/usr/lib", "/usr/local/lib", "/lib/x86_64-linux-gnu",
                               "/usr/lib/x86_64-linux-gnu"}) {
        folders.push_back(system);
    }
    return std::any_of(folders.begin(), folders.end(), [&](const std::string& folder) {
        return !folder.empty() && fs::exists(fs::path(folder) / name, error);
    });
}

std::string SectionName(int port) {
    return "DeviceInformation" + std::to_string(100 + port);
}

// The DeviceParams that KV121032.INI gives `port`, whole.
std::string DeviceParamsFor(int port) {
    return ReadProfileString(IniPath(), SectionName(port), "DeviceParams", "");
}

// The n-th blank-separated word of `text` (0: the first), "" when it has none.
std::string WordOf(const std::string& text, int n) {
    std::size_t start = 0;
    for (int i = 0;; ++i) {
        start = text.find_first_not_of(" \t", start);
        if (start == std::string::npos) {
            return "";
        }
        const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
        if (i == n) {
            return text.substr(start, end - start);
        }
        start = end;
    }
}

// The driver file that KV121032.INI names for `port`, as the library reads it.
std::string DriverNameFor(int port) {
    return WordOf(DeviceParamsFor(port), 0);
}

// What is wrong with KV121032.INI when the library found no section in it.
std::string IniFileProblem() {
    const std::string path = IniPath();
    const std::string rerun = std::string(": remove it and ") + f_szRunSetup + ".";
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? path + " is missing or empty: " + f_szRunSetup + "."
                               : path + " cannot be read (" + std::strerror(errno) + ").";
    }
    if (S_ISDIR(info.st_mode)) {
        return path + " is a directory, not a file" + rerun;
    }
    if (!S_ISREG(info.st_mode)) {
        return path + " is not a regular file" + rerun;
    }
    if (info.st_size == 0) {
        return path + " is missing or empty: " + f_szRunSetup + ".";
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return path + " cannot be read (" + std::strerror(errno) +
               "): give this user read access to it.";
    }
    char head[4096];
    const ssize_t got = ::read(fd, head, sizeof head);
    ::close(fd);
    const bool binary = std::any_of(head, head + std::max<ssize_t>(got, 0), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F;
    });
    if (binary) {
        return path + " holds binary data, not text" + rerun;
    }
    return path + " has no [DeviceInformation...] section: " + f_szRunSetup + ".";
}

std::string DriverProblem(int port, const std::string& libraryFolder) {
    const std::string name = DriverNameFor(port);
    const std::string where = " for " + ComName(port) + " in " + IniPath();
    const std::string remedy =
        std::string(": fix the driver name (the installed driver is ") + f_szInstalledDriver + ").";
    if (name.size() >= kDriverNameLimit) {
        return "The driver name" + where + " is " + std::to_string(name.size()) +
               " characters long (at most " + std::to_string(kDriverNameLimit - 1) + ")" + remedy;
    }
    if (!DriverFileExists(name, libraryFolder)) {
        return "The driver " + name + where + " cannot be found" + remedy;
    }
    return "The driver " + name + where + " is not a driver library" + remedy;
}

// The dosdevices/ entry the driver opens for a port name without '/' (case
// ignored, as the driver looks), or nothing.
std::optional<fs::path> PortEntry(const fs::path& folder, const std::string& name) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (::strcasecmp(it->path().filename().c_str(), name.c_str()) == 0) {
            return it->path();
        }
    }
    return std::nullopt;
}

// Why the port that DeviceParams names for `port` does not lead to a serial
// device: the value is cut, the name has no link, or the device behind it is
// none.
std::string PortProblem(int port) {
    const fs::path folder = fs::path(GantryDirectory()) / "dosdevices";
    const std::string params = DeviceParamsFor(port);
    const std::string name = WordOf(params, 1);
    const std::string where = " of [" + SectionName(port) + "] in " + IniPath();
    if (params.size() >= kDeviceParamsLimit) {
        return "The DeviceParams" + where + " is " + std::to_string(params.size()) +
               " characters long; the RP1210 library reads at most " +
               std::to_string(kDeviceParamsLimit - 1) + ", which cuts the port name " + name +
               ": link the device in " + folder.string() + " and name that link (" + ComName(port) +
               ").";
    }
    std::string device = name;
    std::string entry = name;
    if (name.find('/') == std::string::npos) {
        const std::optional<fs::path> found = PortEntry(folder, name);
        if (!found) {
            return "The port " + name + " named by the DeviceParams" + where + " has no link in " +
                   folder.string() + ": " + f_szRunSetup + ".";
        }
        std::error_code linkError;
        const fs::path target = fs::read_symlink(*found, linkError);
        entry = found->string();
        device = linkError              ? entry
                 : target.is_absolute() ? target.string()
                                        : (folder / target).string();
    }
    const std::string problem = SerialDeviceProblem(device);
    return ComName(port) + " (" + entry +
           "): " + (problem.empty() ? device + " could not be set up as a serial line" : problem) +
           ".";
}

std::string AttemptProblem(const ConnectAttempt& attempt, const std::string& libraryFolder) {
    const std::string port = ComName(attempt.port);
    switch (attempt.result) {
        case f_nIniFileError:
            return IniFileProblem();
        case f_nInvalidDevice:
            return IniPath() + " has no DeviceParams in [DeviceInformation" +
                   std::to_string(100 + attempt.port) + "] for " + port + ": " + f_szRunSetup + ".";
        case f_nInvalidDriver:
            return DriverProblem(attempt.port, libraryFolder);
        case f_nIncompatibleDriver:
            return "The driver " + DriverNameFor(attempt.port) + " for " + port +
                   " is of a version this RP1210 library does not support: name " +
                   f_szInstalledDriver + " in " + IniPath() + ".";
        case f_nDeviceInUse:
            return port + " is in use by another program: close it and try again.";
        case f_nNotResponding:
            return PortProblem(attempt.port);
        case f_nUnknownDriverError:
            return NoGatewayText(std::vector<int>{attempt.port});
        default:
            return port + ": the RP1210 library refused the connection with error " +
                   std::to_string(attempt.result) + ".";
    }
}

}  // namespace

std::string NoGatewayText(int onlyPort) {
    return onlyPort > 0 ? "No gateway answered on " + ComName(onlyPort) + "."
                        : "No gateway answered on any COM port.";
}

std::string NoGatewayText(const std::vector<int>& ports) {
    std::string text = "No gateway answered on ";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        text += (i == 0 ? "" : " or ") + PortAndDevice(ports[i]);
    }
    return text + ".";
}

std::string ComPortDevice(int port) {
    const fs::path folder = fs::path(GantryDirectory()) / "dosdevices";
    const std::optional<fs::path> entry = PortEntry(folder, ComName(port));
    if (!entry) {
        return "";
    }
    std::error_code error;
    const fs::path target = fs::read_symlink(*entry, error);
    if (error) {
        return entry->string();
    }
    const fs::path device = fs::weakly_canonical(folder / target, error);
    return error ? (folder / target).string() : device.string();
}

std::string PortAndDevice(int port) {
    const std::string device = ComPortDevice(port);
    return ComName(port) + (device.empty() ? "" : " (" + device + ")");
}

std::vector<std::string> DiagnoseConnectFailure(const std::vector<ConnectAttempt>& attempts,
                                                const std::string& libraryFolder, int onlyPort) {
    if (attempts.empty()) {
        return {"No COM ports in " + (fs::path(GantryDirectory()) / "dosdevices").string() + ": " +
                f_szRunSetup + "."};
    }
    const bool nothingAnswered = std::all_of(
        attempts.begin(), attempts.end(),
        [](const ConnectAttempt& attempt) { return attempt.result == f_nUnknownDriverError; });
    if (nothingAnswered) {
        std::vector<int> ports;
        for (const ConnectAttempt& attempt : attempts) {
            ports.push_back(attempt.port);
        }
        return {NoGatewayText(ports)};
    }
    std::vector<std::string> lines;
    for (const ConnectAttempt& attempt : attempts) {
        if (attempt.result >= 0 && attempt.result <= f_nHighestClientId) {
            continue;  // that port connected
        }
        const std::string line = AttemptProblem(attempt, libraryFolder);
        if (std::find(lines.begin(), lines.end(), line) == lines.end()) {
            lines.push_back(line);
        }
    }
    if (lines.empty()) {
        lines.push_back(NoGatewayText(onlyPort));
    }
    return lines;
}

std::vector<std::string> DiagnoseNoGateway(const CSerialTransport& transport, int onlyPort) {
    const std::vector<ConnectAttempt>& attempts = transport.LastConnectAttempts();
    if (!attempts.empty() && attempts.back().result >= 0 &&
        attempts.back().result <= f_nHighestClientId) {
        return {"The gateway on " + PortAndDevice(attempts.back().port) +
                " stopped answering: check the cable and the gateway's power, then try again."};
    }
    const std::string folder = fs::path(transport.LibraryName()).parent_path().string();
    return DiagnoseConnectFailure(attempts, folder, onlyPort);
}

std::string PermissionProblem(const std::string& path, const std::string& group, bool userInGroup) {
    if (!userInGroup && !group.empty()) {
        return "the device belongs to group `" + group +
               "` and the user is not in it: run `sudo usermod -aG " + group +
               " $USER`, then log out and in again";
    }
    return "permission denied on " + path +
           ": ask the administrator for read and write access to it";
}

namespace {

SerialDeviceCheck Refused(DeviceAccess access, std::string problem) {
    return SerialDeviceCheck{access, std::move(problem), "", false};
}

SerialDeviceCheck OpenProblem(const std::string& path, int error) {
    struct stat info {};
    switch (error) {
        case ENOENT:
            return Refused(DeviceAccess::Gone,
                           path +
                               " does not exist: is the adapter plugged in? (run `gyconfig-cli "
                               "setup` after plugging it in)");
        case EACCES:
        case EPERM:
            if (::stat(path.c_str(), &info) == 0) {
                const std::string group = GroupName(info.st_gid);
                const bool member = UserInGroup(info.st_gid);
                return SerialDeviceCheck{DeviceAccess::NoPermission,
                                         PermissionProblem(path, group, member), group, member};
            }
            return Refused(DeviceAccess::NoPermission, PermissionProblem(path, "", true));
        case EBUSY:
            return Refused(DeviceAccess::InUse,
                           path + " is in use by another program: close it and try again");
        case ELOOP:
            return Refused(DeviceAccess::Other,
                           path +
                               " is a loop of symbolic links that never reaches a device: link "
                               "the port to the adapter's device (run `gyconfig-cli setup`)");
        case ENXIO:
        case ENODEV:
            return Refused(DeviceAccess::Gone, "no device answers behind " + path +
                                                   ": check the adapter and its driver");
        default:
            return Refused(DeviceAccess::Other,
                           "cannot open " + path + ": " + std::strerror(error));
    }
}

SerialDeviceCheck NotSerial(const std::string& path, const char* what) {
    return Refused(DeviceAccess::NotSerial,
                   path + " is " + what +
                       ", not a serial device: link the port to the adapter's device "
                       "(`gyconfig-cli setup` links /dev/ttyUSB*, /dev/ttyACM* and /dev/ttyS*)");
}

// What an open descriptor of `path` is: a terminal nobody holds, or why not.
SerialDeviceCheck CheckOpenDevice(const std::string& path, int fd) {
    if (!::isatty(fd)) {
        return NotSerial(path, "a character device");  // /dev/null, /dev/zero
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return Refused(DeviceAccess::InUse,
                       path + " is in use by another program: close it and try again");
    }
    ::flock(fd, LOCK_UN);
    return SerialDeviceCheck{};
}

}  // namespace

SerialDeviceCheck CheckSerialDevice(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return OpenProblem(path, errno);
    }
    if (S_ISDIR(info.st_mode)) {
        return NotSerial(path, "a directory");
    }
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) || S_ISBLK(info.st_mode)) {
        return NotSerial(path, S_ISFIFO(info.st_mode)   ? "a FIFO (named pipe)"
                               : S_ISSOCK(info.st_mode) ? "a socket"
                                                        : "a block device");
    }
    if (!S_ISCHR(info.st_mode)) {
        return NotSerial(path, "a file");
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return OpenProblem(path, errno);
    }
    const SerialDeviceCheck check = CheckOpenDevice(path, fd);
    ::close(fd);
    return check;
}

std::string SerialDeviceProblem(const std::string& path) {
    return CheckSerialDevice(path).problem;
}

std::string SimulatorProfileProblem(const std::string& profile) {
    const std::string path = ResolveGantryPath(profile);
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        return path +
               " does not exist: the simulated gateway has no identity. Copy a profile "
               "from examples/ there.";
    }
    if (!fs::is_regular_file(status)) {
        return path + " is not a regular file: the simulated gateway has no identity.";
    }
    if (::access(path.c_str(), R_OK) != 0) {
        return path + " cannot be read: " + std::strerror(errno) + ".";
    }
    if (const std::string problem = ProfileFileProblem(path); !problem.empty()) {
        // the sentence without its full stop, then what it means
        return problem.substr(0, problem.size() - 1) + ": the simulated gateway has no identity.";
    }
    if (fs::file_size(path, error) == 0) {
        return path +
               " is empty: the simulated gateway has no identity. Copy a profile from "
               "examples/ there.";
    }
    return "";
}

}  // namespace gantry::tool
