#include "gateway/GatewayObjects.h"

#include <chrono>
#include <span>

#include "common/ProfileFile.h"
#include "tool/device/DeviceRequest.h"
#include "tool/device/RequestCodec.h"

namespace gantry::gateway {

namespace {

constexpr std::uint8_t f_nRunStateAttribute = 103;
// Transfer status a gateway gives a chunk it could not take.
constexpr std::uint8_t f_nTransferFailed = 3;

}  // namespace

CGatewayObjects::CGatewayObjects(const GatewayOptions& options)
    : m_simulator(options.profile),
      m_bStayInRun(options.stayInRun),
      m_nIgnoreWritesClass(options.ignoreWritesClass),
      m_updateStatus(options.updateStatus),
      m_nFailTransferAt(options.failTransferAt) {
    // The simulator looks up every value anew: a 200-point upload would read
    // the whole file hundreds of times.
    KeepProfileInMemory(options.profile);
    m_simulator.SetCompleteMode(true);
    m_simulator.SetResetDowntime(
        std::chrono::milliseconds(static_cast<long long>(options.resetDowntimeSeconds * 1000.0)));
}

int CGatewayObjects::Answer(std::uint8_t* buffer, int length, int capacity) {
    const int intercepted = Intercept(buffer, length, capacity);
    if (intercepted >= 0) {
        return intercepted;
    }
    return m_simulator.SimulateRequest(buffer, length, capacity);
}

// The gateway's own behaviours; -1 for a request the simulator answers.
int CGatewayObjects::Intercept(std::uint8_t* buffer, int length, int capacity) {
    RequestView request;
    if (length < 0 || !DecodeRequest({buffer, static_cast<std::size_t>(length)}, request)) {
        return -1;
    }
    const auto reply = [&](std::uint8_t status, std::span<const std::uint8_t> data = {}) {
        return EncodeReply(request.service, status, data, buffer, capacity);
    };
    const bool write =
        request.service == SVC_SetAttributeSingle || request.service == SVC_SetAttributesAll;
    if (m_bStayInRun && request.service == SVC_SetAttributeSingle &&
        request.classId == CLS_Identity && request.attribute == f_nRunStateAttribute) {
        return reply(0);
    }
    // a gateway that answers writes to a class as taken but keeps its old values
    if (m_nIgnoreWritesClass != 0 && request.classId == m_nIgnoreWritesClass && write) {
        return reply(0);
    }
    if (request.classId != CLS_FirmwareStorage) {
        return -1;
    }
    if (request.service == SVC_FirmwareUpdate && m_updateStatus && *m_updateStatus != 0) {
        return reply(static_cast<std::uint8_t>(*m_updateStatus));
    }
    if (request.service == SVC_FirmwareTransfer && ++m_nTransfers == m_nFailTransferAt &&
        request.data.size() >= 4) {
        // The chunk's offset comes back with the failed transfer status.
        const std::uint8_t data[6] = {request.data[0], request.data[1],   request.data[2],
                                      request.data[3], f_nTransferFailed, 0};
        return reply(0, data);
    }
    return -1;
}

}  // namespace gantry::gateway
