#include "tool/device/OfflineResponder.h"

#include "tool/device/SimulatorResponder.h"

namespace gantry::tool {

DeviceResult COfflineResponder::SendRequest(const DeviceRequest& request, DeviceReply& reply) {
    // unlike the online simulator it does not wait out a Reset's downtime:
    // no gateway is behind it
    return SimulateExchange(m_simulator, request, reply);
}

}  // namespace gantry::tool
