#include "gateway/GatewayObjects.h"

#include <chrono>
#include <cstring>

#include "common/ProfileFile.h"
#include "tool/device/DeviceRequest.h"

namespace gantry::gateway {

namespace {

constexpr std::uint8_t f_nRunStateAttribute = 103;
// Transfer status a gateway gives a chunk it could not take.
constexpr std::uint8_t f_nTransferFailed = 3;

std::uint16_t Word(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

}  // namespace

int EncodeGatewayReply(std::uint8_t* buffer, int capacity, std::uint8_t service,
                       std::uint8_t status, const std::uint8_t* data, int dataLength) {
    if (dataLength < 0 || capacity < 4 + dataLength) {
        return -1;
    }
    buffer[0] = static_cast<std::uint8_t>(service | 0x80);
    buffer[1] = status;
    buffer[2] = 0;
    buffer[3] = 0;
    if (dataLength > 0) {
        std::memmove(buffer + 4, data, static_cast<std::size_t>(dataLength));
    }
    return 4 + dataLength;
}

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
    if (length < 5) {
        return -1;
    }
    const std::uint8_t service = buffer[0];
    const std::uint16_t objectClass = Word(buffer + 1);
    if (m_bStayInRun && service == SVC_SetAttributeSingle && objectClass == CLS_Identity &&
        length >= 6 && buffer[5] == f_nRunStateAttribute) {
        return EncodeGatewayReply(buffer, capacity, service, 0, nullptr, 0);
    }
    // a gateway that answers writes to a class as taken but keeps its old values
    if (m_nIgnoreWritesClass != 0 && objectClass == m_nIgnoreWritesClass &&
        (service == SVC_SetAttributeSingle || service == SVC_SetAttributesAll)) {
        return EncodeGatewayReply(buffer, capacity, service, 0, nullptr, 0);
    }
    if (objectClass != CLS_FirmwareStorage) {
        return -1;
    }
    if (service == SVC_FirmwareUpdate && m_updateStatus && *m_updateStatus != 0) {
        return EncodeGatewayReply(buffer, capacity, service,
                                  static_cast<std::uint8_t>(*m_updateStatus), nullptr, 0);
    }
    if (service == SVC_FirmwareTransfer && ++m_nTransfers == m_nFailTransferAt && length >= 9) {
        // The chunk's offset comes back with the failed transfer status.
        std::uint8_t data[6] = {buffer[5], buffer[6], buffer[7], buffer[8], f_nTransferFailed, 0};
        return EncodeGatewayReply(buffer, capacity, service, 0, data, 6);
    }
    return -1;
}

}  // namespace gantry::gateway
