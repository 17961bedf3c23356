// Fuzzes the simulator's request decoder and the reply decoder with it: any
// request bytes get a well-formed reply that decodes, in normal and complete
// mode, and the reply re-encodes to the same bytes.
#include <cstdint>
#include <cstring>
#include <vector>

#include "tool/device/DeviceRequest.h"
#include "tool/device/DeviceSimulator.h"

using namespace gantry::tool;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > kTransferBufferSize) {
        return 0;
    }
    static DeviceSimulator simulator("GYSim-fuzz.ini");
    simulator.SetCompleteMode((data[0] & 1) != 0);
    std::vector<std::uint8_t> buffer(kTransferBufferSize);
    std::memcpy(buffer.data(), data + 1, size - 1);
    const int length =
        simulator.SimulateRequest(buffer.data(), static_cast<int>(size - 1), kTransferBufferSize);
    if (length < kReplyHeaderSize || length > kMaxReplySize) {
        __builtin_trap();
    }
    DeviceReply reply;
    if (DecodeReply(buffer.data(), length, reply) != length || reply.dataLength != length - 4) {
        __builtin_trap();
    }
    if (std::memcmp(reply.data, buffer.data() + 4, reply.dataLength) != 0) {
        __builtin_trap();
    }
    return 0;
}
