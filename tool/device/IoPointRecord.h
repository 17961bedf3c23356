// The J1939 I/O point record as the gateway stores it (class 111, one
// instance per entry) and its 15- or 14-byte form. Pure functions, no I/O.
#pragma once

#include <cstdint>

namespace gantry::tool {

// J1939 I/O point record of class 111 (instance = entry number).
inline constexpr int kIoPointRecordSize = 15;     // with the priority byte
inline constexpr int kIoPointRecordSizeOld = 14;  // firmware without priority
inline constexpr std::uint8_t kDefaultIoPriority = 6;

struct IoPointRecord {
    std::uint8_t table = 0;  // 0 input, 1 output, 2 active DTC, 3 previously active DTC
    std::uint16_t dataOffset = 0;
    std::uint16_t dataLength = 0;
    std::uint16_t updateRate = 0;
    std::uint8_t address = 0;
    std::uint32_t pgn = 0;
    std::uint16_t messageOffset = 0;
    std::uint8_t priority = kDefaultIoPriority;

    bool operator==(const IoPointRecord&) const = default;
};

// Whether the gateway's firmware carries the priority byte: not when the server
// type is 8 and the revision is below 1.06, nor when it is 6 and below 1.02.
bool IoPointHasPriority(int serverType, std::uint16_t revision);
// 15 or 14 bytes, by the rule above.
int IoPointRecordSize(int serverType, std::uint16_t revision);
// Writes the first `size` (14 or 15) bytes of the record; returns `size`, or
// kBufferTooSmall when `capacity` is smaller.
int EncodeIoPoint(const IoPointRecord& point, int size, std::uint8_t* buffer, int capacity);
// Reads a record from `length` bytes; a missing priority byte (length 14) gives
// priority 6. False when fewer than 14 bytes.
bool DecodeIoPoint(const std::uint8_t* buffer, int length, IoPointRecord& point);

}  // namespace gantry::tool
