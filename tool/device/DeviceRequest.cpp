#include "tool/device/DeviceRequest.h"

#include <cstring>

namespace gantry::tool {

bool DeviceRequest::AppendBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > static_cast<std::size_t>(kDeviceDataSize - dataLength)) {
        return false;
    }
    if (!bytes.empty()) {
        std::memcpy(data + dataLength, bytes.data(), bytes.size());
    }
    dataLength = static_cast<std::uint16_t>(dataLength + bytes.size());
    return true;
}

bool DeviceRequest::AppendByte(std::uint8_t value) {
    const std::uint8_t bytes[1] = {value};
    return AppendBytes(bytes);
}

bool DeviceRequest::AppendWord(std::uint16_t value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value),
                                   static_cast<std::uint8_t>(value >> 8)};
    return AppendBytes(bytes);
}

bool DeviceRequest::AppendLong(std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return AppendBytes(bytes);
}

std::uint8_t DeviceReply::Byte(int offset) const {
    return offset >= 0 && offset < kDeviceDataSize ? data[offset] : 0;
}

std::uint16_t DeviceReply::Word(int offset) const {
    return static_cast<std::uint16_t>(Byte(offset) | (Byte(offset + 1) << 8));
}

std::uint32_t DeviceReply::Long(int offset) const {
    return static_cast<std::uint32_t>(Word(offset)) |
           (static_cast<std::uint32_t>(Word(offset + 2)) << 16);
}

DeviceRequest MakeGetRequest(std::uint16_t classId, std::uint16_t instance,
                             std::int16_t attribute) {
    DeviceRequest request;
    request.service = SVC_GetAttributeSingle;
    request.classId = classId;
    request.instance = instance;
    request.attribute = attribute;
    return request;
}

DeviceRequest MakeSetRequest(std::uint16_t classId, std::uint16_t instance, std::int16_t attribute,
                             std::span<const std::uint8_t> data) {
    DeviceRequest request = MakeGetRequest(classId, instance, attribute);
    request.service = SVC_SetAttributeSingle;
    request.AppendBytes(data.first(std::min<std::size_t>(data.size(), kDeviceDataSize)));
    return request;
}

DeviceRequest MakeServiceRequest(std::uint8_t service, std::uint16_t classId,
                                 std::uint16_t instance, std::span<const std::uint8_t> data) {
    DeviceRequest request = MakeGetRequest(classId, instance, kNoAttribute);
    request.service = service;
    request.AppendBytes(data.first(std::min<std::size_t>(data.size(), kDeviceDataSize)));
    return request;
}

int EncodeRequest(const DeviceRequest& request, std::uint8_t* buffer, int size) {
    const bool hasAttribute = request.attribute != kNoAttribute;
    if (request.dataLength > kDeviceDataSize) {
        return kBufferTooSmall;
    }
    const int total = 5 + (hasAttribute ? 1 : 0) + request.dataLength;
    if (buffer == nullptr || size < total) {
        return kBufferTooSmall;
    }
    buffer[0] = request.service;
    buffer[1] = static_cast<std::uint8_t>(request.classId);
    buffer[2] = static_cast<std::uint8_t>(request.classId >> 8);
    buffer[3] = static_cast<std::uint8_t>(request.instance);
    buffer[4] = static_cast<std::uint8_t>(request.instance >> 8);
    int position = 5;
    if (hasAttribute) {
        // one byte on the wire: attribute numbers above 255 are not used
        buffer[position++] = static_cast<std::uint8_t>(request.attribute);
    }
    if (request.dataLength > 0) {
        std::memcpy(buffer + position, request.data, request.dataLength);
    }
    return total;
}

int DecodeReply(const std::uint8_t* buffer, int length, DeviceReply& reply) {
    reply = DeviceReply{};
    if (buffer == nullptr || length < kReplyHeaderSize || length > kMaxReplySize) {
        return kBufferTooSmall;
    }
    reply.service = buffer[0] & 0x7F;
    reply.generalStatus = buffer[1];
    reply.dataLength = static_cast<std::uint16_t>(length - kReplyHeaderSize);
    if (reply.dataLength > 0) {
        std::memcpy(reply.data, buffer + kReplyHeaderSize, reply.dataLength);
    }
    return length;
}

}  // namespace gantry::tool
