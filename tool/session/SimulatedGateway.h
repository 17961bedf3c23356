// The gateway a simulator profile (GYSim.ini) describes, read the way the
// command line's --offline reads it: the simulator answers the identity reads
// as a gateway would. The desktop tool's --offline start shows this gateway.
#pragma once

#include <optional>
#include <string>

#include "tool/device/Device.h"

namespace gantry::tool {

// The identity of the profile's gateway; nothing when the profile is missing,
// unreadable or empty (SimulatorProfileProblem) or names no interface pair.
std::optional<OfflineIdentity> ReadSimulatedGateway(const std::string& profile = "GYSim.ini");

}  // namespace gantry::tool
