// Identity values of a gateway and their display forms: the revision word
// (low byte major, high byte minor), the serial number, the major fault and
// the DeviceNet scanner status. Pure functions, no I/O.
#pragma once

#include <cstdint>
#include <string>

namespace gantry::tool {

// Revision words.
inline constexpr std::uint16_t MakeRevision(int major, int minor) {
    return static_cast<std::uint16_t>((major & 0xFF) | ((minor & 0xFF) << 8));
}
inline constexpr int RevisionMajor(std::uint16_t revision) {
    return revision & 0xFF;
}
inline constexpr int RevisionMinor(std::uint16_t revision) {
    return revision >> 8;
}
// The value revisions are compared by: major × 256 + minor.
inline constexpr int RevisionOrder(std::uint16_t revision) {
    return RevisionMajor(revision) * 256 + RevisionMinor(revision);
}
// "%d.%02d" of major and minor: bytes 2, 7 show "2.07".
std::string FormatRevision(std::uint16_t revision);
// "%08X": 0x1A2B shows "00001A2B".
std::string FormatSerialNumber(std::uint32_t serialNumber);
// "No Error" for 0, else "0x%X" of the low 7 bits: 0x85 shows "0x5".
std::string FormatMajorFault(std::uint32_t fault);
// The DeviceNet scanner's status text; a code without text shows "%2d ".
std::string ScannerStatusText(int code);

}  // namespace gantry::tool
