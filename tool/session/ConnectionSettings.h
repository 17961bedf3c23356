// The connection set-up as the desktop tool shows it: the rows of the
// Connection Settings dialog (the machine's serial devices, the COM name each
// is linked as and whether it can be opened), its test of one port, and the
// window's connection texts (why no gateway answers, the port in use, the
// offer to set a port up on a start with nothing set up). The rules and the
// diagnosis come from the core units the command line uses (PortSetup,
// SetupDiagnosis); this unit only picks and words them for the window.
// Qt-free; the session's thread.
#pragma once

#include <string>
#include <vector>

#include "tool/device/PortSetup.h"
#include "tool/session/ConfigurationSession.h"

namespace gantry::tool {

inline constexpr const char* f_szConnectionCaption = "Connection Settings";

// One serial device of the dialog's list.
struct DeviceRow {
    std::string device;      // the node ("/dev/ttyUSB0"), or where a COM link leads that is gone
    std::string adapter;     // the by-id name without its folder, "" when none
    std::string linkTarget;  // what a new link points at (SerialDevice::LinkTarget)
    std::vector<int> ports;  // the COM numbers whose links lead to the device, ascending
    std::string portText;    // "COM1", "COM1, COM3", or "" when none
    DeviceAccess access = DeviceAccess::Ok;
    // "ok", "no permission: join the group dialout, then log in again",
    // "in use by another program", "gone", "not a serial device", or the reason
    std::string state;
    std::string detail;  // the whole sentence of CheckSerialDevice, "" when ok
};

// The devices FindSerialDevices(devFolder) finds, then those that COM links of
// the Gantry directory lead to and that are not found (gone, or of another
// kind), each once, with the links that lead to it.
std::vector<DeviceRow> ListDeviceRows(const std::string& devFolder = "/dev");

// The short state of a device for the list.
std::string AccessText(const SerialDeviceCheck& check);

// The COM number offered for `row`: the lowest it is linked as, else the
// lowest number no entry of dosdevices/ has.
int SuggestedComPort(const DeviceRow& row);

// What the Test button found: the gateway's identity, or why there is none.
struct ProbeResult {
    bool found = false;
    std::string text;
};
// Opens an RP1210 client of `libraryName` on COM`port` alone, reads the
// gateway's run state and identity, and closes it. Every wait goes through
// `clock`. Never shows a message box: the library's messages become the text.
ProbeResult ProbeGateway(const std::string& libraryName, int port, IClock& clock);

// The RP1210 library the session's transport loads (RP1210LibraryPath() when
// the session has no RP1210 transport).
std::string SessionLibraryName(ConfigurationSession& session);
// Closes the session's client so that the dialog can open the port itself;
// the next refresh connects again.
void ReleaseSessionPort(ConfigurationSession& session);

// Why no gateway answers, one line per cause (DiagnoseNoGateway): empty when
// the tool is offline, a gateway is present or connected, or the session has
// no RP1210 transport.
std::vector<std::string> NoGatewayReasons(ConfigurationSession& session);
// "COM1: /dev/ttyUSB0" while a gateway answers on that port; else "".
std::string PortInUseText(ConfigurationSession& session);
// Asks, when the tool is online with no gateway and nothing is set up (no COM
// port in dosdevices/, or no KV121032.INI), whether to set up a port now
// (Yes / No, through the session's notifier). true for Yes.
bool OfferConnectionSettings(ConfigurationSession& session);

}  // namespace gantry::tool
