#include "tool/session/SimulatedGateway.h"

#include "tool/device/ProductCatalogue.h"
#include "tool/device/SetupDiagnosis.h"
#include "tool/device/SimulatorResponder.h"

namespace gantry::tool {

std::optional<OfflineIdentity> ReadSimulatedGateway(const std::string& profile) {
    if (!SimulatorProfileProblem(profile).empty()) {
        return std::nullopt;
    }
    // the simulator as an online gateway, as gyconfig-cli --offline asks it;
    // a simulator never waits, and nothing it says needs a box
    CStderrNotifier quiet;
    CRequestGate gate(std::make_unique<CSimulatorResponder>(profile), &quiet);
    const OfflineIdentity unused;
    CDevice device(gate, unused);
    device.RefreshIdentity();
    if (device.GetRunState() == RS_NotDetected || device.ClientType() <= 0 ||
        device.ServerType() <= 0) {
        return std::nullopt;
    }
    OfflineIdentity identity;
    identity.product = ProductCombination{device.ProductName(), device.Revision(),
                                          device.ClientType(), device.ServerType()};
    identity.attribute100 = device.Attribute100();
    return identity;
}

}  // namespace gantry::tool
