// What answers in offline mode: the simulator over GYSim.ini in the Gantry
// directory, with no gateway behind it. The gate swaps it in for the online
// responder while offline (CRequestGate::SetOffline).
#pragma once

#include "tool/device/DeviceRequest.h"
#include "tool/device/DeviceResponder.h"
#include "tool/device/DeviceSimulator.h"

namespace gantry::tool {

// Holds no connection: BindLibrary and Connect succeed at once and open
// nothing, Disconnect does nothing, and every request gets the simulator's
// answer (SendRequest fails only when the answer cannot be decoded, which the
// gate counts as refused). The connected flag of the gate is never touched
// by it.
class COfflineResponder : public IDeviceResponder {
public:
    COfflineResponder() = default;
    DeviceSimulator& Simulator() { return m_simulator; }

    DeviceResult BindLibrary() override { return DeviceResult::Done; }
    DeviceResult Connect() override { return DeviceResult::Done; }
    DeviceResult Disconnect() override { return DeviceResult::Failed; }
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override;
    bool HoldsConnection() const override { return false; }

private:
    DeviceSimulator m_simulator;  // GYSim.ini
};

}  // namespace gantry::tool
