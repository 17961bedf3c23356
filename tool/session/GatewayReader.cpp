#include "tool/session/GatewayReader.h"

#include <memory>

#include "tool/device/SimulatorResponder.h"
#include "tool/session/RecordTransfer.h"

namespace gantry::tool {

namespace {

// The simulated gateway of offline mode on a gate of its own, answering as a
// gateway on the line would; its device has read the identity.
struct OfflineGateway {
    explicit OfflineGateway(CRequestGate& offlineGate, RequestObserver observer = {})
        : gate(MakeResponder(offlineGate), &offlineGate.Notifier(), &offlineGate.Clock()),
          device(gate, unused) {
        gate.SetRequestObserver(std::move(observer));
    }
    static std::unique_ptr<IDeviceResponder> MakeResponder(CRequestGate& offlineGate) {
        auto responder =
            std::make_unique<CSimulatorResponder>(offlineGate.OfflineSimulator().Profile());
        responder->Simulator().SetCompleteMode(offlineGate.OfflineSimulator().IsCompleteMode());
        return responder;
    }
    CRequestGate gate;
    const OfflineIdentity unused;
    CDevice device;
};

// A reply lost part way leaves a mix of read and default values.
bool AnsweredEverything(CRequestGate& gate, const CDevice& device) {
    return device.IsPresent() && (gate.IsOffline() || gate.IsConnected());
}

}  // namespace

GatewaySnapshot ReadGatewayConfiguration(CRequestGate& gate, CDevice& device,
                                         const IoProgress* progress) {
    GatewaySnapshot snapshot;
    device.RefreshIdentity();
    snapshot.runState = device.GetRunState();
    if (!device.IsPresent()) {
        return snapshot;
    }
    snapshot.serialNumber = device.SerialNumber();
    snapshot.productName = device.ProductName();
    snapshot.revision = device.Revision();
    CConfiguration& config = snapshot.config;
    config.clientType = static_cast<std::uint32_t>(device.ClientType());
    config.serverType = static_cast<std::uint32_t>(device.ServerType());
    config.SetRevision(device.Revision());
    RefreshRecords(DeviceLink{gate, device, nullptr, progress}, config.Records(), config);
    snapshot.read = AnsweredEverything(gate, device);
    return snapshot;
}

GatewaySnapshot ReadSessionGateway(DeviceLink link, RequestObserver offlineObserver) {
    if (!link.gate.IsOffline()) {
        return ReadGatewayConfiguration(link.gate, link.device, link.progress);
    }
    OfflineGateway offline(link.gate, std::move(offlineObserver));
    return ReadGatewayConfiguration(offline.gate, offline.device, link.progress);
}

GatewaySnapshot ReadBackSessionGateway(DeviceLink link, const CConfiguration& sent,
                                       const std::vector<RecordKind>& written) {
    std::unique_ptr<OfflineGateway> offline;
    CRequestGate* gate = &link.gate;
    CDevice* device = &link.device;
    if (link.gate.IsOffline()) {
        offline = std::make_unique<OfflineGateway>(link.gate);
        offline->device.RefreshIdentity();
        gate = &offline->gate;
        device = &offline->device;
    }
    GatewaySnapshot snapshot;
    snapshot.config = sent;
    snapshot.serialNumber = device->SerialNumber();
    snapshot.productName = device->ProductName();
    snapshot.revision = device->Revision();
    snapshot.runState = device->GetRunState();
    if (device->IsPresent()) {
        ReadBackRecords(DeviceLink{*gate, *device}, written, snapshot.config);
    }
    snapshot.read = AnsweredEverything(*gate, *device);
    return snapshot;
}

}  // namespace gantry::tool
