// The gateway's side of the request codec: request bytes read into their
// parts, and a reply written as bytes. The tool's side (EncodeRequest,
// DecodeReply) is in DeviceRequest.h; the two pairs read and write one format:
//   request: service, class (word), instance (word), the attribute byte for
//            Get/Set_Attribute_Single, then the data;
//   reply:   service with bit 7 set, general status, two reserved bytes (0),
//            then the data.
// Used by the simulated gateway, the virtual gateway and the front ends that
// watch the requests go by. Pure functions, no I/O.
#pragma once

#include <cstdint>
#include <span>

namespace gantry::tool {

// A request as the gateway reads it; `data` points into the bytes read.
struct RequestView {
    std::uint8_t service = 0;
    std::uint16_t classId = 0;
    std::uint16_t instance = 0;
    int attribute = -1;  // -1 for a service without one
    std::span<const std::uint8_t> data;

    // Data bytes past the end read as 0; numbers are little-endian.
    std::uint8_t DataByte(std::size_t index) const { return index < data.size() ? data[index] : 0; }
    std::uint32_t DataWord(std::size_t index) const {
        return DataByte(index) | (DataByte(index + 1) << 8);
    }
    std::uint32_t DataLong(std::size_t index) const {
        return DataWord(index) | (DataWord(index + 2) << 16);
    }
};

// Reads `bytes` as a request. False when they are fewer than the five bytes of
// service, class and instance (`request` then holds the service, if any). A
// single-attribute service without its attribute byte reads attribute 0.
bool DecodeRequest(std::span<const std::uint8_t> bytes, RequestView& request);

// Writes the reply header and `data` into buffer[0..capacity); `data` may lie
// inside the buffer. Returns the length, or -1 when it does not fit.
int EncodeReply(std::uint8_t service, std::uint8_t status, std::span<const std::uint8_t> data,
                std::uint8_t* buffer, int capacity);

}  // namespace gantry::tool
