// The update description (.nvs): a profile text whose [Device] section gives
// a description and the number of updates (1 to 4), and whose [Update<n>]
// sections each name the storage area written, the revision it brings, its
// image file and how to write it. Reading one is pure: text in, the
// description or the first refusal out; no I/O. Any thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace gantry::tool {

inline constexpr int kFirmwareAreaCount = 4;
// The longest wait for the gateway after a reset a description may ask for.
inline constexpr std::uint64_t kMaxTimeoutSeconds = 3600;

// One storage area as an update description names it.
struct FirmwareImageEntry {
    bool used = false;
    int updateNumber = 0;  // the "Update%d" section it came from
    int majorRevision = 0;
    int minorRevision = 0;
    std::uint16_t revision = 0;  // the word of major and minor (IdentityValues.h)
    int maxTimeoutSeconds = 30;
    std::string dataFileName;  // empty: the area is not written
    std::uint32_t fileSize = 0;
    bool autoResetOnError = true;
    bool updateReset = true;  // reset and reconnect after this image
    std::uint32_t startingLocation = 0;
};

struct FirmwareDescription {
    std::string description;  // [Device] Description, "" when absent
    int numberUpdates = 0;    // 1..4 once a valid NumberUpdates was read
    // area 1..4 at index 0..3; a later section for the same area replaces
    // the earlier one
    std::array<FirmwareImageEntry, kFirmwareAreaCount> images{};
};

struct DescriptionReading {
    // Everything read up to the refusal: the sections before it, and the
    // area of the refused section marked used once its NVSInstance was read.
    FirmwareDescription description;
    std::string error;       // empty when the whole description was read
    bool badNumber = false;  // the refusal is a number key out of form or range
};

// Reads a description. Refusals, each the whole message: "Invalid
// configuration file format. <Key> entry not found." for NumberUpdates,
// NVSInstance, MajorRevision and MinorRevision; "... Number of updates is
// invalid."; "Invalid NVSInstance entry."; and (badNumber) "... <Key> of
// [<section>] is not a whole number from 0 to <max>: \"<text>\"." for
// MajorRevision, MinorRevision (0-255, base 16 with 0x), FileSize,
// MaxTimeoutSeconds (0-3600), AutoResetOnError, UpdateReset (0-1) and
// StartingLocation (C rules for the base).
DescriptionReading ReadFirmwareDescription(const std::string& text);

// A number key of the description: blanks around it allowed; base 10, base
// 16 when `base` is 16 and the text starts with "0x"/"0X", or the C rules
// when `base` is 0 (0x hexadecimal, a leading 0 octal). Nothing when the text
// holds anything else (a sign, "1abc") or the value exceeds `max`.
std::optional<std::uint64_t> ReadDescriptionNumber(const std::string& text, int base,
                                                   std::uint64_t max);
// Parses "decimal" values of the description: leading blanks, a sign and
// digits; anything else gives 0.
long ParseDescriptionDecimal(const std::string& text);
// Revision numbers: base 16 when the text contains "0x" or "0X", else base 10.
long ParseDescriptionRevision(const std::string& text);
// StartingLocation: base chosen by the text (0x hexadecimal, leading 0 octal,
// else decimal), unsigned.
std::uint32_t ParseDescriptionLocation(const std::string& text);

}  // namespace gantry::tool
