// Arbitrary bytes as an update description (.nvs): reading never crashes; a
// description it takes names 1 to 4 updates, every area it marks used comes
// from one of them with its numbers in range, and a refusal always says why.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tool/device/FirmwareDescription.h"
#include "tool/device/IdentityValues.h"

using namespace gantry::tool;

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckEntry(const FirmwareImageEntry& entry, int updates) {
    Check(entry.updateNumber >= 1 && entry.updateNumber <= updates);
    Check(entry.majorRevision >= 0 && entry.majorRevision <= 255);
    Check(entry.minorRevision >= 0 && entry.minorRevision <= 255);
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d", entry.majorRevision, entry.minorRevision);
    Check(FormatRevision(entry.revision) == text);
    Check(entry.maxTimeoutSeconds >= 0 &&
          static_cast<std::uint64_t>(entry.maxTimeoutSeconds) <= kMaxTimeoutSeconds);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const DescriptionReading reading = ReadFirmwareDescription(text);
    const FirmwareDescription& description = reading.description;
    Check(!reading.badNumber || !reading.error.empty());
    if (!reading.error.empty()) {
        Check(description.numberUpdates >= 0 && description.numberUpdates <= kFirmwareAreaCount);
        return 0;
    }
    Check(description.numberUpdates >= 1 && description.numberUpdates <= kFirmwareAreaCount);
    int used = 0;
    for (const FirmwareImageEntry& entry : description.images) {
        if (entry.used) {
            CheckEntry(entry, description.numberUpdates);
            ++used;
        }
    }
    // every update names one area; two may name the same one
    Check(used >= 1 && used <= description.numberUpdates);
    return 0;
}
