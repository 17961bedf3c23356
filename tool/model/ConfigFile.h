// The .cfg configuration file: a flat little-endian sequence with no tags, a
// header and one section per record of the product pair. Versions 1 to 6 are
// read (above 6 as 6); version 6 is written.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tool/model/Configuration.h"

namespace gantry::tool {

constexpr std::uint32_t f_nConfigFileMagic = 0xBADF00D1;
constexpr std::uint32_t f_nConfigFileVersion = 6;
constexpr std::uint32_t f_nJ1939SectionMarker = 0x0000FFFF;

constexpr const char* f_szUnexpectedFileFormat = "Unexpected file format.";
constexpr const char* f_szFailedToOpenDocument = "Failed to open document.";
constexpr const char* f_szFailedToSaveDocument = "Failed to save document.";

// The sections exactly as the file holds them, before the opening rules.
struct DeviceNetFileSection {
    std::uint32_t macAddress = 0, baudIndex = 0, autobaud = 0, swapIo = 0;
    std::uint32_t statusInInput = 0, inputSafeState = 0;  // version 3 and later
    bool operator==(const DeviceNetFileSection&) const = default;
};

struct ModbusFileSection {
    std::uint32_t networkAddress = 0, baudRate = 0, parity = 0, stopBits = 0, watchdogMs = 0;
    std::uint32_t networkType = 0, networkDuplex = 0;  // enhanced section only
    bool operator==(const ModbusFileSection&) const = default;
};

struct J1939FileSection {
    std::array<std::uint8_t, 8> name{};
    // versions 1 and 2: whether the optional 0xFFFF markers were present
    bool busOffMarker = true;
    bool swapMarker = true;
    std::uint32_t busOffReset = 0, swapIo = 0, statusInInput = 0;
    std::vector<std::uint8_t> addresses;
    std::uint32_t offlineTimeMs = 0;        // version 5 and later
    std::uint32_t baudIndex = 0;            // version 6
    std::vector<tagJ1939DataPoint> points;  // inputs, then outputs
    bool operator==(const J1939FileSection&) const = default;
};

struct EthernetFileSection {
    std::array<std::uint8_t, 4> ip{}, subnetMask{}, gateway{};
    std::uint32_t dhcpIndex = 0, speedIndex = 0, duplexIndex = 0, modbusTimeoutMs = 0;
    std::uint32_t ioSize = 500;  // version 4 and later
    bool operator==(const EthernetFileSection&) const = default;
};

struct ConfigFileImage {
    std::uint32_t version = f_nConfigFileVersion;
    std::uint32_t clientType = 0;
    std::uint32_t serverType = 0;
    std::uint32_t runState = 0;
    std::optional<DeviceNetFileSection> deviceNet;
    std::optional<ModbusFileSection> modbus;
    std::optional<ModbusFileSection> modbusEnhanced;
    std::optional<J1939FileSection> j1939;
    std::optional<EthernetFileSection> ethernet;
    bool operator==(const ConfigFileImage&) const = default;
};

// Reads a whole file. Nothing when the bytes end early, an address count
// exceeds 255, the version is 0, either interface type is no code from 1 to
// 12, or bytes are left over after the layout of a version from 1 to 6 (only
// a later version may carry sections unknown here) ("Unexpected file
// format."). Never allocates more than the bytes can hold.
std::optional<ConfigFileImage> ParseConfigFile(std::span<const std::uint8_t> bytes);
// Only the pair of the header; nothing when the header is short.
std::optional<std::pair<std::uint32_t, std::uint32_t>> ParseConfigFilePair(
    std::span<const std::uint8_t> bytes);

// The bytes of the image in the given version's layout (1 to 6; the markers of
// versions 1 and 2 only when both flags are set). The tool writes version 6.
std::vector<std::uint8_t> EncodeConfigFile(const ConfigFileImage& image, std::uint32_t version);

// The image of the current records, as saving writes them (never validated).
ConfigFileImage ImageOfConfiguration(const CConfiguration& config, std::uint32_t runState);
std::vector<std::uint8_t> WriteConfigFile(const CConfiguration& config, std::uint32_t runState);

// Applies an image's sections to the records with the opening rules: check-box
// values other than 0 and 1 leave the box as it was, an Input Safe State other
// than 0 and 1 reads as 0, the J1939 baud index selects an entry only when the
// list has it, points are added by table type (a table type above 3 is
// dropped). config's pair and revision-dependent parts must already be those
// of the image's pair. Returns the whole-table check run when the limits are
// set from the new values.
TableCheck ApplyConfigFileImage(const ConfigFileImage& image, CConfiguration& config);

// The state of the tool that opening looks at and changes.
struct OpenEnvironment {
    int runState = -1;
    bool offline = false;
    int clientType = -1;  // the device identity's pair
    int serverType = -1;
    std::uint16_t revision = 0;
};

struct OpenResult {
    bool opened = false;
    std::string message;  // the failure text
    std::string reason;   // why, when the text alone does not say (another product)
    std::uint32_t formatVersion = 0;
    bool pairChanged = false;  // the identity took the file's pair; screens rebuild
    TableCheck tableCheck;     // the whole-table check after the limits were set
};

// Opens a file's bytes. With a working gateway connected (RunState 0 or 1 and
// online) the file's pair must be the device's, else "Failed to open
// document." with a reason naming both products. A file that ends early is "Unexpected file
// format.". Both leave the configuration and the environment exactly as they were. Otherwise the
// environment switches to offline mode with RunState 0; a different pair is
// taken over with the revision assumed for it; and the records are replaced.
OpenResult OpenConfigFile(std::span<const std::uint8_t> bytes, OpenEnvironment& environment,
                          CConfiguration& config);

// Reads a file whole; nothing when it cannot be read, is not a regular file or
// is larger than any configuration (ReadInputFile tells why).
std::optional<std::vector<std::uint8_t>> ReadFileContents(const std::string& path);
// Writes atomically (WriteFileAtomically): a temporary file beside the target,
// flushed, then renamed over it; a replaced file keeps its mode and a link its
// target. False (and the target untouched) on any error.
bool SaveFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace gantry::tool
