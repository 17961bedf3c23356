// Why no gateway could be reached, in words a technician can act on. Fed by
// the RP1210 codes the transport's port scan collected and by checks of the
// Gantry directory (KV121032.INI, the driver file it names, the dosdevices/
// links and the serial devices behind them), so the command line and the
// desktop window show the same texts. Qt-free; any thread.
#pragma once

#include <string>
#include <vector>

#include "tool/device/SerialTransport.h"

namespace gantry::tool {

// The driver `setup` writes into KV121032.INI.
inline constexpr const char* f_szInstalledDriver = "libKVGYSrl.so";
// The RP1210 library refuses driver names of this length or more.
inline constexpr std::size_t kDriverNameLimit = 80;
// The RP1210 library reads a DeviceParams value up to one character less.
inline constexpr std::size_t kDeviceParamsLimit = 100;

// "No gateway answered on any COM port." / "No gateway answered on COMn.":
// the words kept for a line where nothing answered when the ports are not
// known (no RP1210 transport).
std::string NoGatewayText(int onlyPort = 0);

// "No gateway answered on COM1 (/dev/ttyUSB0)." (ports joined by "or"): the
// ports where the line opened but nothing answered, each with its device.
std::string NoGatewayText(const std::vector<int>& ports);

// "COM1 (/dev/ttyUSB0)": the port and the device its dosdevices/ link leads
// to (resolved), or the port alone when it has no entry.
std::string PortAndDevice(int port);
// The device COM`port`'s dosdevices/ entry leads to, resolved as far as it
// exists ("/dev/ttyUSB0"); the entry itself when it is no link; "" when the
// port has no entry. The case of the entry's name is ignored, as the driver
// ignores it.
std::string ComPortDevice(int port);

// What stands between the tool and the gateways: one line per cause (each
// once), in the order of the ports. `attempts` are the ports the scan tried
// with RP1210_ClientConnect's results; `libraryFolder` is where the RP1210
// library lies (a driver named without a directory is looked for there);
// `onlyPort` is the one port the scan was limited to, 0 for all. When every
// port tried was a line where nothing answered, the one line is
// NoGatewayText(onlyPort). Never empty.
std::vector<std::string> DiagnoseConnectFailure(const std::vector<ConnectAttempt>& attempts,
                                                const std::string& libraryFolder, int onlyPort = 0);

// Why no gateway answers on the ports `transport`'s last Connect tried: the
// lines of DiagnoseConnectFailure (the library's folder taken from the
// transport), or, when that Connect succeeded and the gateway fell silent
// later, that the gateway on that port stopped answering. Never empty.
std::vector<std::string> DiagnoseNoGateway(const CSerialTransport& transport, int onlyPort = 0);

// Whether a serial device can be opened, by kind, with the whole sentence.
enum class DeviceAccess { Ok, Gone, NoPermission, InUse, NotSerial, Other };
struct SerialDeviceCheck {
    DeviceAccess access = DeviceAccess::Ok;
    std::string problem;  // SerialDeviceProblem's words, "" when Ok
    std::string group;    // NoPermission: the device's group ("" when unknown)
    bool userInGroup = false;
};
SerialDeviceCheck CheckSerialDevice(const std::string& path);

// Why `path` cannot serve as a gateway's serial line, or "" when this user can
// open it as a serial device that nobody else holds: it does not exist, is no
// serial device (a regular file, /dev/null), the user lacks the group, or
// another program holds it.
std::string SerialDeviceProblem(const std::string& path);

// The words for a refused open of `path`, whose device belongs to the group
// named `group`, when the user is (or is not) in it.
std::string PermissionProblem(const std::string& path, const std::string& group, bool userInGroup);

// Why the simulated gateway's profile (a name as DeviceSimulator takes it)
// cannot give an identity: it is missing, empty, unreadable, too large or
// binary (ProfileFileProblem), with the path where it was looked for. "" when
// it holds something.
std::string SimulatorProfileProblem(const std::string& profile);

}  // namespace gantry::tool
