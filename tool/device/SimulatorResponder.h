// The in-process simulator answering as a gateway (online, not offline): every
// request goes through the byte form, SimulateRequest and DecodeReply exactly
// as it would over the line.
#pragma once

#include <string>

#include "tool/device/DeviceRequest.h"
#include "tool/device/DeviceResponder.h"
#include "tool/device/DeviceSimulator.h"

namespace gantry::tool {

// Connect fails and requests fail while the simulator is unreachable (a
// complete-mode Reset's downtime).
class CSimulatorResponder : public IDeviceResponder {
public:
    explicit CSimulatorResponder(std::string profile = "GYSim.ini");
    DeviceSimulator& Simulator() { return m_simulator; }

    DeviceResult BindLibrary() override { return DeviceResult::Done; }
    DeviceResult Connect() override;
    DeviceResult Disconnect() override { return DeviceResult::Failed; }
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override;

private:
    DeviceSimulator m_simulator;
};

// Encodes `request`, lets `simulator` answer in place and decodes the reply;
// Done when decoded, Failed otherwise (`reply` is then zero-filled).
DeviceResult SimulateExchange(DeviceSimulator& simulator, const DeviceRequest& request,
                              DeviceReply& reply);

}  // namespace gantry::tool
