#include "tool/device/RequestCodec.h"

#include <cstring>

#include "tool/device/DeviceRequest.h"

namespace gantry::tool {

bool DecodeRequest(std::span<const std::uint8_t> bytes, RequestView& request) {
    request = RequestView{};
    if (!bytes.empty()) {
        request.service = bytes[0];
    }
    if (bytes.size() < 5) {
        return false;
    }
    request.classId = static_cast<std::uint16_t>(bytes[1] | (bytes[2] << 8));
    request.instance = static_cast<std::uint16_t>(bytes[3] | (bytes[4] << 8));
    request.data = bytes.subspan(5);
    if (request.service == SVC_GetAttributeSingle || request.service == SVC_SetAttributeSingle) {
        request.attribute = request.DataByte(0);
        request.data = request.data.empty() ? request.data : request.data.subspan(1);
    }
    return true;
}

int EncodeReply(std::uint8_t service, std::uint8_t status, std::span<const std::uint8_t> data,
                std::uint8_t* buffer, int capacity) {
    const int length = kReplyHeaderSize + static_cast<int>(data.size());
    if (buffer == nullptr || capacity < length) {
        return -1;
    }
    if (!data.empty()) {
        std::memmove(buffer + kReplyHeaderSize, data.data(), data.size());
    }
    buffer[0] = static_cast<std::uint8_t>(service | 0x80);
    buffer[1] = status;
    buffer[2] = 0;
    buffer[3] = 0;
    return length;
}

}  // namespace gantry::tool
