// Reads the configuration a gateway holds into a configuration of its own:
// the document stays as it is. Used before a download (the backup), after it
// (the read-back of the records written) and by Compare with Module. Offline,
// the simulated gateway of GYSim.ini is read through a responder of its own,
// as if it were on the line (the offline gate itself reads nothing). Gate
// thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tool/device/Device.h"
#include "tool/device/RequestGate.h"
#include "tool/model/Configuration.h"
#include "tool/model/DeviceSync.h"
#include "tool/session/RecordTransfer.h"

namespace gantry::tool {

struct GatewaySnapshot {
    bool read = false;  // a working gateway answered every request
    CConfiguration config;
    std::uint32_t serialNumber = 0;
    std::string productName;
    std::uint16_t revision = 0;
    int runState = RS_NotDetected;
};

// The identity, then every record the pair has and the I/O table, whose
// transfer is told to `progress` when given.
GatewaySnapshot ReadGatewayConfiguration(CRequestGate& gate, CDevice& device,
                                         const IoProgress* progress = nullptr);
// The session's gateway (`link`: its gate and device): online through them,
// offline the simulated one, whose requests are handed to `offlineObserver`
// (the session's gate reports the online ones itself). The I/O table's
// progress goes to the link's either way.
GatewaySnapshot ReadSessionGateway(DeviceLink link, RequestObserver offlineObserver = {});
// The read-back of a download: the records it wrote (`written`, in order)
// read from the session's gateway over a copy of what was sent (`sent`), so
// that a field the gateway's records do not carry keeps the value sent. The
// identity is the one the session holds.
GatewaySnapshot ReadBackSessionGateway(DeviceLink link, const CConfiguration& sent,
                                       const std::vector<RecordKind>& written);

}  // namespace gantry::tool
