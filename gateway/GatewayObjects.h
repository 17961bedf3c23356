// The gateway's objects: the device simulator in complete mode over a
// GYSim.ini-format profile, so that the offline simulator and the virtual
// gateway are one model, with the gateway's own test behaviours in front of
// it (a gateway that stays in Run, a firmware update refused with a status, a
// transfer chunk refused).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "gateway/GatewayOptions.h"
#include "tool/device/DeviceSimulator.h"

namespace gantry::gateway {

using namespace gantry::tool;

class CGatewayObjects {
public:
    explicit CGatewayObjects(const GatewayOptions& options);

    // Answers the encoded request in buffer[0..length) in place; the reply length.
    int Answer(std::uint8_t* buffer, int length, int capacity);
    // True while a Reset's downtime lasts.
    bool IsUnreachable() const { return m_simulator.IsUnreachable(); }
    int TransferRequests() const { return m_nTransfers; }

private:
    int Intercept(std::uint8_t* buffer, int length, int capacity);

    DeviceSimulator m_simulator;
    bool m_bStayInRun;
    int m_nIgnoreWritesClass;
    std::optional<int> m_updateStatus;
    int m_nFailTransferAt;
    int m_nTransfers = 0;
};

}  // namespace gantry::gateway
