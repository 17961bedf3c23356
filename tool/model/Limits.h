// Data-table sizes and PGN limits that follow from the product and its firmware.
#pragma once

#include <cstdint>

namespace gantry::tool {

// Byte counts of the gateway's data tables. Kept signed and wide: an I/O size
// below 4 bytes read from a file gives negative sizes that every point exceeds.
struct DataTableLimits {
    std::int64_t inputBytes = 2048;
    std::int64_t outputBytes = 2048;
    std::int64_t combinedBytes = 4096;

    static DataTableLimits ForProfibus(bool statusDataInInput);
    static DataTableLimits ForEthernet(std::uint32_t ioSizeBytes);
    static DataTableLimits ForModbus();

    bool operator==(const DataTableLimits&) const = default;
};

// The highest number of distinct (PGN, address) pairs per direction.
struct PgnLimits {
    int inputPgns = 120;
    int outputPgns = 100;

    // server type and revision word (low byte major, high byte minor)
    static PgnLimits FromIdentity(std::uint32_t serverType, std::uint16_t revision);

    bool operator==(const PgnLimits&) const = default;
};

// Revision word compared as major × 256 + minor.
constexpr unsigned RevisionCompareValue(std::uint16_t revision) {
    return (revision & 0xFFu) * 256u + (revision >> 8);
}
// The revision word for major.minor.
constexpr std::uint16_t MakeRevision(unsigned major, unsigned minor) {
    return static_cast<std::uint16_t>((major & 0xFF) | ((minor & 0xFF) << 8));
}

}  // namespace gantry::tool
