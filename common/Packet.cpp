#include "common/Packet.h"

#include <algorithm>
#include <cstring>

namespace gantry {

namespace {

int ClampLength(int length) {
    return std::clamp(length, 0, f_nPacketDataSize);
}

}  // namespace

std::int32_t ProtocolCodeFromName(const char* name) {
    if (name == nullptr) {
        return 0;
    }
    static const struct {
        const char* name;
        std::int32_t code;
    } kProtocols[] = {
        {"CIP", PROTOCOL_CIP},     {"J1708", PROTOCOL_J1708}, {"J1850", PROTOCOL_J1850},
        {"J1939", PROTOCOL_J1939}, {"CAN", PROTOCOL_CAN},
    };
    for (const auto& protocol : kProtocols) {
        if (std::strcmp(name, protocol.name) == 0) {
            return protocol.code;
        }
    }
    return 0;
}

std::int16_t CheckClientMessageSize(std::int32_t protocol, std::int32_t size) {
    constexpr std::int16_t kInvalidBufferSize = 207;
    if (size <= 0) {
        return kInvalidBufferSize;
    }
    if (protocol == PROTOCOL_J1708) {
        // priority and MID travel in fields of their own, not in the data area
        return (size < 2 || size > f_nPacketDataSize + 2) ? kInvalidBufferSize : 0;
    }
    return size > f_nPacketDataSize ? kInvalidBufferSize : 0;
}

CDALPacket::CDALPacket(int length, const std::uint8_t* bytes) {
    m_nLength = static_cast<std::int16_t>(ClampLength(length));
    if (m_nLength != 0 && bytes != nullptr) {
        std::memcpy(m_data, bytes, m_nLength);
    }
}

CDALPacket& CDALPacket::operator=(const CDALPacket& other) {
    if (this != &other) {
        m_nLength = static_cast<std::int16_t>(other.ValidLength());
        std::memcpy(m_data, other.m_data, m_nLength);
        m_nTimeStamp = other.m_nTimeStamp;
        m_bEcho = other.m_bEcho;
    }
    return *this;
}

int CDALPacket::ValidLength() const {
    return ClampLength(m_nLength);
}

std::int32_t CDALPacket::WriteTo(std::uint8_t*, std::int32_t) const {
    return 0;
}

std::int32_t CPacketCIP::WriteTo(std::uint8_t* buffer, std::int32_t size) const {
    const int length = ValidLength();
    if (buffer == nullptr || size < length) {
        return -1;
    }
    std::memcpy(buffer, m_data, length);
    return length;
}

CPacket1708& CPacket1708::operator=(const CPacket1708& other) {
    CDALPacket::operator=(other);
    CopyOwnFields(other);
    return *this;
}

void CPacket1708::CopyOwnFields(const CPacket1708& other) {
    m_nPriority = other.m_nPriority;
    m_nMid = other.m_nMid;
}

std::int32_t CPacket1708::WriteTo(std::uint8_t* buffer, std::int32_t size) const {
    const int length = ValidLength();
    if (buffer == nullptr || size < length + 2) {
        return -1;
    }
    buffer[0] = m_nPriority;
    buffer[1] = m_nMid;
    std::memcpy(buffer + 2, m_data, length);
    return length + 2;
}

CCmdPacket& CCmdPacket::operator=(const CCmdPacket& other) {
    CDALPacket::operator=(other);
    CopyOwnFields(other);
    return *this;
}

void CCmdPacket::CopyOwnFields(const CCmdPacket& other) {
    m_nCommand = other.m_nCommand;
    m_nValue = other.m_nValue;
}

std::int32_t CCmdPacket::WriteTo(std::uint8_t* buffer, std::int32_t size) const {
    const int length = ValidLength();
    if (buffer == nullptr || size < length) {
        return -1;
    }
    std::memcpy(buffer, m_data, length);
    return length;
}

}  // namespace gantry
