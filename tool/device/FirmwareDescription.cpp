#include "tool/device/FirmwareDescription.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "common/ProfileFile.h"
#include "tool/device/IdentityValues.h"

namespace gantry::tool {

namespace {

const char* const f_szFormat = "Invalid configuration file format. ";

bool HasHexPrefix(const std::string& text) {
    return text.find("0x") != std::string::npos || text.find("0X") != std::string::npos;
}

// Reads one description into a DescriptionReading; every step returns false
// after setting the refusal.
class CDescriptionReader {
public:
    explicit CDescriptionReader(const std::string& text) : m_text(text) {}

    DescriptionReading Read() {
        FirmwareDescription& out = m_reading.description;
        out.description = Value("Device", "Description", "");
        const std::string count = Value("Device", "NumberUpdates", "");
        if (count.empty()) {
            Missing("NumberUpdates");
        } else if (const auto updates = ReadDescriptionNumber(count, 10, kFirmwareAreaCount);
                   !updates || *updates < 1) {
            m_reading.error = std::string(f_szFormat) + "Number of updates is invalid.";
        } else {
            out.numberUpdates = static_cast<int>(*updates);
            for (int update = 1; update <= out.numberUpdates && ReadSection(update); ++update) {
            }
        }
        return std::move(m_reading);
    }

private:
    std::string Value(const std::string& section, const char* key, const char* fallback) const {
        return ReadProfileText(m_text, section, key, fallback);
    }
    bool Missing(const char* key) {
        m_reading.error = std::string(f_szFormat) + key + " entry not found.";
        return false;
    }

    bool ReadSection(int update) {
        const std::string section = "Update" + std::to_string(update);
        const std::string instance = Value(section, "NVSInstance", "");
        if (instance.empty()) {
            return Missing("NVSInstance");
        }
        const auto area = ReadDescriptionNumber(instance, 10, kFirmwareAreaCount);
        if (!area || *area < 1) {
            m_reading.error = "Invalid NVSInstance entry.";
            return false;
        }
        FirmwareImageEntry& entry = m_reading.description.images[*area - 1];
        entry = FirmwareImageEntry{};
        entry.used = true;
        entry.updateNumber = update;
        const std::string major = Value(section, "MajorRevision", "");
        if (major.empty()) {
            return Missing("MajorRevision");
        }
        const std::string minor = Value(section, "MinorRevision", "");
        if (minor.empty()) {
            return Missing("MinorRevision");
        }
        return ReadNumbers(section, major, minor, entry);
    }

    // A number key; after the first bad one every other reads 0 unsaid.
    std::uint64_t Number(const std::string& section, const char* key, const std::string& text,
                         int base, std::uint64_t max) {
        if (m_reading.badNumber) {
            return 0;
        }
        const std::optional<std::uint64_t> value = ReadDescriptionNumber(text, base, max);
        if (!value) {
            m_reading.badNumber = true;
            m_reading.error = std::string(f_szFormat) + key + " of [" + section +
                              "] is not a whole number from 0 to " + std::to_string(max) + ": \"" +
                              text + "\".";
        }
        return value.value_or(0);
    }

    // Every number is read before anything is sent: a text that is not a
    // whole number in range is an error of the description, never a 0.
    bool ReadNumbers(const std::string& section, const std::string& major, const std::string& minor,
                     FirmwareImageEntry& entry) {
        const auto number = [&](const char* key, const char* fallback, int base,
                                std::uint64_t max) {
            return Number(section, key, Value(section, key, fallback), base, max);
        };
        entry.majorRevision = static_cast<int>(Number(section, "MajorRevision", major, 16, 255));
        entry.minorRevision = static_cast<int>(Number(section, "MinorRevision", minor, 16, 255));
        entry.revision = MakeRevision(entry.majorRevision, entry.minorRevision);
        entry.dataFileName = Value(section, "DataFileName", "");
        entry.fileSize = static_cast<std::uint32_t>(number("FileSize", "0", 10, 0xFFFFFFFF));
        entry.maxTimeoutSeconds =
            static_cast<int>(number("MaxTimeoutSeconds", "30", 10, kMaxTimeoutSeconds));
        entry.autoResetOnError = number("AutoResetOnError", "1", 10, 1) != 0;
        entry.updateReset = number("UpdateReset", "1", 10, 1) != 0;
        entry.startingLocation =
            static_cast<std::uint32_t>(number("StartingLocation", "0x0", 0, 0xFFFFFFFF));
        return !m_reading.badNumber;
    }

    const std::string& m_text;
    DescriptionReading m_reading;
};

}  // namespace

DescriptionReading ReadFirmwareDescription(const std::string& text) {
    return CDescriptionReader(text).Read();
}

std::optional<std::uint64_t> ReadDescriptionNumber(const std::string& text, int base,
                                                   std::uint64_t max) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const std::string number = text.substr(first, last - first + 1);
    if (!std::isxdigit(static_cast<unsigned char>(number[0]))) {
        return std::nullopt;  // no sign, no blank inside
    }
    if (base == 16 && !HasHexPrefix(number)) {
        base = 10;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(number.c_str(), &end, base);
    if (errno == ERANGE || end != number.c_str() + number.size() || value > max) {
        return std::nullopt;
    }
    return value;
}

long ParseDescriptionDecimal(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

long ParseDescriptionRevision(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, HasHexPrefix(text) ? 16 : 10);
}

std::uint32_t ParseDescriptionLocation(const std::string& text) {
    return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 0));
}

}  // namespace gantry::tool
