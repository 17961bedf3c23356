#include "tool/device/SimulatorResponder.h"

#include <utility>

namespace gantry::tool {

int SimulateExchange(DeviceSimulator& simulator, const DeviceRequest& request, DeviceReply& reply) {
    std::uint8_t buffer[kTransferBufferSize] = {};
    reply = DeviceReply{};
    const int length = EncodeRequest(request, buffer, kTransferBufferSize);
    if (length < 0) {
        return 0;
    }
    const int replyLength = simulator.SimulateRequest(buffer, length, kTransferBufferSize);
    if (replyLength < 0) {
        return 0;
    }
    return DecodeReply(buffer, replyLength, reply) < 0 ? 0 : 1;
}

CSimulatorResponder::CSimulatorResponder(std::string profile) : m_simulator(std::move(profile)) {}

int CSimulatorResponder::Connect() {
    return m_simulator.IsUnreachable() ? 0 : 1;
}

int CSimulatorResponder::SendRequest(const DeviceRequest& request, DeviceReply& reply) {
    if (m_simulator.IsUnreachable()) {
        reply = DeviceReply{};
        return 0;
    }
    return SimulateExchange(m_simulator, request, reply);
}

}  // namespace gantry::tool
