#include "rp1210/Connection.h"

#include <algorithm>
#include <cstring>

#include "rp1210/Exception.h"
#include "rp1210/Lib.h"

namespace gantry::rp1210 {

CConnection::CConnection(std::int16_t clientId, std::int32_t deviceId, std::string portParams,
                         Lib& lib, std::int32_t protocol, std::int32_t sendSize,
                         std::int32_t receiveSize, std::uint64_t serial)
    : m_nClientId(clientId),
      m_nDeviceId(deviceId),
      m_portParams(std::move(portParams)),
      m_lib(lib),
      m_nProtocol(protocol),
      m_nSendBufferSize(sendSize),
      m_nReceiveBufferSize(receiveSize),
      m_nSerial(serial) {
    m_lib.AddClient();
}

CConnection::~CConnection() {
    m_lib.RemoveClient();
}

std::int16_t CConnection::OpenLink() {
    m_pTransmit = std::make_shared<CPacketQueue>(f_nQueueCapacity, m_nProtocol);
    m_pCommand = std::make_shared<CPacketQueue>(f_nQueueCapacity, f_nCommandQueueType);
    m_pReceive = std::make_shared<CPacketQueue>(f_nQueueCapacity, m_nProtocol);
    const std::int16_t result =
        m_lib.Connect(m_nDeviceId, m_portParams, m_nProtocol, m_pTransmit.get(), m_pCommand.get(),
                      m_pReceive.get());
    if (static_cast<std::uint16_t>(result) > 126) {
        m_pTransmit.reset();
        m_pCommand.reset();
        m_pReceive.reset();
    }
    return result;
}

void CConnection::CloseLink() {
    if (!IsLinked()) {
        return;
    }
    // The driver may use the queues until its disconnect has returned.
    m_lib.Disconnect(m_nDeviceId);
    m_pTransmit.reset();
    m_pCommand.reset();
    m_pReceive.reset();
}

void CConnection::Send(const std::uint8_t* message, std::int32_t size) {
    if (const std::int16_t refusal = CheckClientMessageSize(m_nProtocol, size); refusal != 0) {
        ThrowError(refusal);
    }
    bool queued = false;
    if (m_nProtocol == PROTOCOL_CIP) {
        queued = m_pTransmit->Push(CPacketCIP(size, message));
    } else if (m_nProtocol == PROTOCOL_J1708) {
        queued = m_pTransmit->Push(CPacket1708(message[0], message[1], size - 2, message + 2));
    } else {
        ThrowError(ERR_INVALID_PROTOCOL);
    }
    if (!queued) {
        ThrowError(ERR_TX_QUEUE_FULL);
    }
}

std::int16_t CConnection::FormatReceived(const CPacketCIP& packet, std::uint8_t* buffer,
                                         std::int16_t size) const {
    const std::int32_t written = packet.WriteTo(buffer, size);
    if (written < 0) {
        ThrowError(ERR_MESSAGE_TOO_LONG);
    }
    return static_cast<std::int16_t>(written);
}

std::int16_t CConnection::FormatReceived(const CPacket1708& packet, std::uint8_t* buffer,
                                         std::int16_t size) const {
    if (!m_bPassAll && !Passes(packet.m_nMid)) {
        return 0;
    }
    // Time stamp (least significant byte first), echo flag in echo mode, MID, data.
    if (size < 4) {
        ThrowError(ERR_MESSAGE_TOO_LONG);
    }
    int used = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        buffer[used++] = static_cast<std::uint8_t>(packet.m_nTimeStamp >> shift);
    }
    if (m_bEcho) {
        if (size < used + 1) {
            ThrowError(ERR_MESSAGE_TOO_LONG);
        }
        buffer[used++] = packet.m_bEcho;
    }
    if (size < used + 1) {
        ThrowError(ERR_MESSAGE_TOO_LONG);
    }
    buffer[used++] = packet.m_nMid;
    const int length = packet.ValidLength();
    if (size < used + length) {
        ThrowError(ERR_MESSAGE_TOO_LONG);
    }
    std::memcpy(buffer + used, packet.m_data, length);
    return static_cast<std::int16_t>(used + length);
}

bool CConnection::Passes(std::uint8_t mid) const {
    return std::find(m_midFilter.begin(), m_midFilter.end(), mid) != m_midFilter.end();
}

void CConnection::AddMids(const std::uint8_t* mids, std::int16_t count) {
    for (std::int16_t i = 0; i < count; ++i) {
        if (!Passes(mids[i])) {
            m_midFilter.push_back(mids[i]);
        }
    }
}

void CConnection::PushCommand(const CCmdPacket& packet) {
    if (!m_pCommand->Push(packet)) {
        ThrowError(ERR_TX_QUEUE_FULL);
    }
}

void CConnection::Execute(std::int16_t command, const std::uint8_t* buffer, std::int16_t size,
                          std::size_t clientCount) {
    // Each command is queued for the driver first; a command that cannot be
    // queued (137) changes nothing on this side either.
    switch (command) {
        case RC_SetAllFiltersStatesToPass:
            PushCommand(CCmdPacket(command));
            m_bPassAll = 1;
            m_bDiscardAll = 0;
            break;
        case RC_SetMessageFilteringForJ1708:
            PushCommand(CCmdPacket(command, buffer, size));
            AddMids(buffer, size);
            m_bPassAll = 0;
            break;
        case RC_SetJ1708Mode:
            if (buffer[0] == 0 && clientCount >= 2) {
                ThrowError(ERR_CHANGE_MODE_FAILED);
            }
            PushCommand(CCmdPacket(command, static_cast<std::uint8_t>(buffer[0] != 0)));
            m_bJ1708Mode = buffer[0] != 0;
            break;
        case RC_EchoTransmittedMessages:
            PushCommand(CCmdPacket(command, static_cast<std::uint8_t>(buffer[0] != 0)));
            m_bEcho = buffer[0] != 0;
            break;
        case RC_SetAllFiltersStatesToDiscard:
            if (m_bDiscardAll) {
                return;
            }
            PushCommand(CCmdPacket(command));
            m_bDiscardAll = 1;
            m_bPassAll = 0;
            break;
        case RC_SetMessageReceive: {
            const std::uint8_t wanted = buffer[0] != 0;
            if (wanted == m_bReceiveEnabled) {
                return;
            }
            PushCommand(CCmdPacket(command, wanted));
            m_bReceiveEnabled = wanted;
            break;
        }
        default:
            ThrowError(ERR_COMMAND_NOT_SUPPORTED);
    }
}

void CConnection::WriteStatus(std::uint8_t* buffer) {
    std::memset(buffer, 0, 16);
    buffer[0] = 0x03;
    buffer[1] = 0x01;
    buffer[4] = m_lib.TrafficDetected(m_nDeviceId) != 0 ? 0x03 : 0x01;
    buffer[5] = 0x01;
}

}  // namespace gantry::rp1210
