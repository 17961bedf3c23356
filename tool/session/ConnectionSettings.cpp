#include "tool/session/ConnectionSettings.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "common/GantryDirectory.h"
#include "tool/session/StatusPresentation.h"

namespace gantry::tool {

namespace fs = std::filesystem;

namespace {

std::string Canonical(const std::string& path) {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

std::string PortList(const std::vector<int>& ports) {
    std::string text;
    for (int port : ports) {
        text += (text.empty() ? "COM" : ", COM") + std::to_string(port);
    }
    return text;
}

// The library's messages while probing become the probe's text; a question
// gets the cautious answer.
class CCollectingNotifier : public INotifier {
public:
    NotifyAnswer Notify(const std::string& text, const std::string& caption, NotifyButtons buttons,
                        NotifyIcon icon, NotifyAnswer defaultAnswer) override {
        (void)icon;
        (void)defaultAnswer;
        texts.push_back(caption + ": " + text);
        return buttons == NotifyButtons::Ok ? NotifyAnswer::Ok
               : buttons == NotifyButtons::YesNo || buttons == NotifyButtons::YesNoCancel
                   ? NotifyAnswer::No
                   : NotifyAnswer::Cancel;
    }
    std::string Joined() const {
        std::string text;
        for (const std::string& line : texts) {
            text += (text.empty() ? "" : "\n") + line;
        }
        return text;
    }
    std::vector<std::string> texts;
};

std::string IdentityText(const CDevice& device, int port) {
    const StatusTexts texts = StatusTextsOf(device);
    return "Found " + texts.device + " on " + PortAndDevice(port) + ": serial number " +
           texts.serialNumber + ", firmware revision " + texts.firmwareRevision + ", mode " +
           RunStateText(device.GetRunState()) + ", error " + texts.error + ".";
}

DeviceRow NewRow(const std::string& device, const std::string& adapter, const std::string& target) {
    DeviceRow row;
    row.device = device;
    row.adapter = adapter;
    row.linkTarget = target;
    return row;
}

CSerialTransport* SessionTransport(ConfigurationSession& session) {
    return dynamic_cast<CSerialTransport*>(session.Gate().Responder());
}

}  // namespace

std::string AccessText(const SerialDeviceCheck& check) {
    switch (check.access) {
        case DeviceAccess::Ok:
            return "ok";
        case DeviceAccess::Gone:
            return "gone";
        case DeviceAccess::InUse:
            return "in use by another program";
        case DeviceAccess::NotSerial:
            return "not a serial device";
        case DeviceAccess::NoPermission:
            return !check.group.empty() && !check.userInGroup
                       ? "no permission: join the group " + check.group + ", then log in again"
                       : "no permission: ask the administrator for access";
        case DeviceAccess::Other:
            break;
    }
    return check.problem;
}

std::vector<DeviceRow> ListDeviceRows(const std::string& devFolder) {
    std::vector<DeviceRow> rows;
    std::map<std::string, std::size_t> rowOf;  // resolved device -> index into rows
    for (const SerialDevice& device : FindSerialDevices(devFolder)) {
        rowOf.emplace(Canonical(device.node), rows.size());
        rows.push_back(
            NewRow(device.node, fs::path(device.byId).filename().string(), device.LinkTarget()));
    }
    for (const PortStatus& port : InspectComPorts()) {
        const auto [found, added] = rowOf.emplace(Canonical(port.opened), rows.size());
        if (added) {
            rows.push_back(NewRow(port.opened, "", port.opened));
        }
        rows[found->second].ports.push_back(port.number);
    }
    for (DeviceRow& row : rows) {
        const SerialDeviceCheck check = CheckSerialDevice(row.device);
        row.access = check.access;
        row.state = AccessText(check);
        row.detail = check.problem;
        row.portText = PortList(row.ports);
    }
    return rows;
}

int SuggestedComPort(const DeviceRow& row) {
    if (!row.ports.empty()) {
        return row.ports.front();
    }
    const std::vector<int> taken = ListComPorts();
    int number = 1;
    while (std::find(taken.begin(), taken.end(), number) != taken.end()) {
        ++number;
    }
    return std::min(number, kHighestComPort);
}

ProbeResult ProbeGateway(const std::string& libraryName, int port, IClock& clock) {
    CCollectingNotifier notes;
    auto owned = std::make_unique<CSerialTransport>(libraryName, "COM" + std::to_string(port));
    CSerialTransport& transport = *owned;
    CRequestGate gate(std::move(owned), &notes, &clock);
    if (!Succeeded(gate.BindLibrary())) {
        return ProbeResult{false, notes.Joined()};
    }
    const OfflineIdentity unused;
    CDevice device(gate, unused);
    const int state = device.ReadRunState();
    ProbeResult result;
    if (IsModulePresent(state)) {
        device.RefreshIdentity();
        result.found = IsModulePresent(device.GetRunState());
    }
    if (result.found) {
        result.text = IdentityText(device, port);
    } else if (gate.IsConnected()) {
        result.text = "The gateway on " + PortAndDevice(port) + " reports run state " +
                      std::to_string(state) + ", which is neither Idle, Run nor Faulted.";
    } else {
        for (const std::string& line : DiagnoseNoGateway(transport, port)) {
            result.text += (result.text.empty() ? "" : "\n") + line;
        }
    }
    gate.DisconnectDevice();
    return result;
}

std::string SessionLibraryName(ConfigurationSession& session) {
    const CSerialTransport* transport = SessionTransport(session);
    return transport ? transport->LibraryName() : RP1210LibraryPath();
}

void ReleaseSessionPort(ConfigurationSession& session) {
    if (session.Gate().IsConnected() && SessionTransport(session) != nullptr) {
        session.Gate().DisconnectDevice();
    }
}

std::vector<std::string> NoGatewayReasons(ConfigurationSession& session) {
    const CSerialTransport* transport = SessionTransport(session);
    // before the first refresh nothing was tried: nothing to explain yet
    if (transport == nullptr || session.IsOffline() || session.Gate().IsConnected() ||
        session.RunState() != RS_NotDetected) {
        return {};
    }
    return DiagnoseNoGateway(*transport);
}

std::string PortInUseText(ConfigurationSession& session) {
    const CSerialTransport* transport = SessionTransport(session);
    if (transport == nullptr || session.IsOffline() || !session.Device().IsPresent() ||
        transport->ConnectedPort() == 0) {
        return "";
    }
    const int port = transport->ConnectedPort();
    return "COM" + std::to_string(port) + ": " + ComPortDevice(port);
}

bool OfferConnectionSettings(ConfigurationSession& session) {
    if (SessionTransport(session) == nullptr || session.IsOffline() ||
        session.Device().IsPresent()) {
        return false;
    }
    const fs::path root = GantryDirectory();
    std::error_code error;
    std::string missing;
    if (ListComPorts().empty()) {
        missing = "there is no COM port in " + (root / "dosdevices").string();
    } else if (!fs::exists(root / "KV121032.INI", error)) {
        missing = (root / "KV121032.INI").string() + " is missing";
    } else {
        return false;
    }
    const std::string text = "No serial port is set up for the gateway yet: " + missing +
                             ".\n\nSet up the serial adapter's port now?";
    return session.Gate().Notifier().Notify(text, f_szConnectionCaption, NotifyButtons::YesNo,
                                            NotifyIcon::Question,
                                            NotifyAnswer::Yes) == NotifyAnswer::Yes;
}

}  // namespace gantry::tool
