#include "tool/device/SimulatorResponder.h"

#include <utility>

namespace gantry::tool {

DeviceResult SimulateExchange(DeviceSimulator& simulator, const DeviceRequest& request,
                              DeviceReply& reply) {
    std::uint8_t buffer[kTransferBufferSize] = {};
    reply = DeviceReply{};
    const int length = EncodeRequest(request, buffer, kTransferBufferSize);
    if (length < 0) {
        return DeviceResult::Failed;
    }
    const int replyLength = simulator.SimulateRequest(buffer, length, kTransferBufferSize);
    if (replyLength < 0) {
        return DeviceResult::Failed;
    }
    return ResultOf(DecodeReply(buffer, replyLength, reply) >= 0);
}

CSimulatorResponder::CSimulatorResponder(std::string profile) : m_simulator(std::move(profile)) {}

DeviceResult CSimulatorResponder::Connect() {
    return ResultOf(!m_simulator.IsUnreachable());
}

DeviceResult CSimulatorResponder::SendRequest(const DeviceRequest& request, DeviceReply& reply) {
    if (m_simulator.IsUnreachable()) {
        reply = DeviceReply{};
        return DeviceResult::Failed;
    }
    return SimulateExchange(m_simulator, request, reply);
}

}  // namespace gantry::tool
