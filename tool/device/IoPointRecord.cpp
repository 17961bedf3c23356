#include "tool/device/IoPointRecord.h"

#include <array>
#include <cstring>

#include "tool/device/DeviceRequest.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/ProductCatalogue.h"

namespace gantry::tool {

bool IoPointHasPriority(int serverType, std::uint16_t revision) {
    const int order = RevisionOrder(revision);
    if (serverType == IT_ModbusSlave && RevisionMajor(revision) == 1 && order < 0x0106) {
        return false;
    }
    if (serverType == IT_EthernetServer && RevisionMajor(revision) == 1 && order < 0x0102) {
        return false;
    }
    return true;
}

int IoPointRecordSize(int serverType, std::uint16_t revision) {
    return IoPointHasPriority(serverType, revision) ? kIoPointRecordSize : kIoPointRecordSizeOld;
}

int EncodeIoPoint(const IoPointRecord& point, int size, std::uint8_t* buffer, int capacity) {
    if (size != kIoPointRecordSize && size != kIoPointRecordSizeOld) {
        return kBufferTooSmall;
    }
    if (buffer == nullptr || capacity < size) {
        return kBufferTooSmall;
    }
    std::array<std::uint8_t, kIoPointRecordSize> bytes = {
        point.table,
        static_cast<std::uint8_t>(point.dataOffset),
        static_cast<std::uint8_t>(point.dataOffset >> 8),
        static_cast<std::uint8_t>(point.dataLength),
        static_cast<std::uint8_t>(point.dataLength >> 8),
        static_cast<std::uint8_t>(point.updateRate),
        static_cast<std::uint8_t>(point.updateRate >> 8),
        point.address,
        static_cast<std::uint8_t>(point.pgn),
        static_cast<std::uint8_t>(point.pgn >> 8),
        static_cast<std::uint8_t>(point.pgn >> 16),
        static_cast<std::uint8_t>(point.pgn >> 24),
        static_cast<std::uint8_t>(point.messageOffset),
        static_cast<std::uint8_t>(point.messageOffset >> 8),
        point.priority,
    };
    std::memcpy(buffer, bytes.data(), static_cast<std::size_t>(size));
    return size;
}

bool DecodeIoPoint(const std::uint8_t* buffer, int length, IoPointRecord& point) {
    if (buffer == nullptr || length < kIoPointRecordSizeOld) {
        return false;
    }
    auto word = [buffer](int offset) {
        return static_cast<std::uint16_t>(buffer[offset] | (buffer[offset + 1] << 8));
    };
    point.table = buffer[0];
    point.dataOffset = word(1);
    point.dataLength = word(3);
    point.updateRate = word(5);
    point.address = buffer[7];
    point.pgn = static_cast<std::uint32_t>(word(8)) | (static_cast<std::uint32_t>(word(10)) << 16);
    point.messageOffset = word(12);
    point.priority = length >= kIoPointRecordSize ? buffer[14] : kDefaultIoPriority;
    return true;
}

}  // namespace gantry::tool
