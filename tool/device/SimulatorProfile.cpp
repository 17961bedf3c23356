#include "tool/device/SimulatorProfile.h"

#include <strings.h>

#include <cstdlib>

#include "common/ProfileFile.h"
#include "common/TextFormat.h"
#include "tool/device/ProductCatalogue.h"

namespace gantry::tool {

namespace {

// every value is read into a 260-byte buffer, so at most 259 characters count
constexpr std::uint32_t f_nValueBufferSize = 260;

}  // namespace

std::string CSimFile::Read(const std::string& section, const char* key) const {
    char value[f_nValueBufferSize] = {};
    GetProfileString(section.c_str(), key, "", value, f_nValueBufferSize, m_file);
    return value;
}

void CSimFile::Write(const std::string& section, const char* key, const std::string& value) {
    m_lost = !WriteProfileString(m_file, section, key, value) || m_lost;
}

void CSimFile::Delete(const std::string& section, const char* key) {
    m_lost = !DeleteProfileKey(m_file, section, key) || m_lost;
}

std::string NumberedSection(const char* prefix, int instance) {
    return prefix + std::to_string(instance);
}

std::int64_t ParseBase(const std::string& text, int base) {
    return static_cast<std::int64_t>(std::strtoll(text.c_str(), nullptr, base));
}

std::uint32_t ParseHexOrDecimal(const std::string& text) {
    const int base = text.find("0x") != std::string::npos ? 16 : 10;
    return static_cast<std::uint32_t>(ParseBase(text, base));
}

std::uint32_t ParseDecimal(const std::string& text) {
    return static_cast<std::uint32_t>(ParseBase(text, 10));
}

std::uint32_t ParseChoice(const std::string& text, std::span<const char* const> names,
                          int emptyValue) {
    if (text.empty() && emptyValue >= 0) {
        return static_cast<std::uint32_t>(emptyValue);
    }
    std::uint32_t index = 0;
    for (const char* name : names) {
        if (strcasecmp(text.c_str(), name) == 0) {
            return index;
        }
        ++index;
    }
    return ParseDecimal(text);
}

std::string ChoiceName(std::uint32_t value, std::span<const char* const> names) {
    return value < names.size() ? std::string(names[value]) : std::string();
}

std::uint32_t ParseInterfaceType(const std::string& text) {
    const int code = InterfaceTypeFromName(text);
    return code >= 0 ? static_cast<std::uint32_t>(code) : ParseHexOrDecimal(text);
}

void ReadRevisionText(const std::string& text, SimReply& reply) {
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos) {
        reply.Word(0);
        return;
    }
    reply.Byte(ParseDecimal(text.substr(0, dot)));
    reply.Byte(ParseDecimal(text.substr(dot + 1)));
}

void ReadDeviceName(const std::string& text, SimReply& reply) {
    std::uint64_t name = std::strtoull(text.c_str(), nullptr, 16);
    for (int i = 0; i < 8; ++i, name >>= 8) {
        reply.Byte(static_cast<std::uint32_t>(name & 0xFF));
    }
}

std::string DeviceNameText(const SimRequest& request) {
    std::string text;
    for (int i = 7; i >= 0; --i) {
        text += FormatText(
            "%02hX", static_cast<unsigned short>(request.DataByte(static_cast<std::size_t>(i))));
    }
    return text;
}

void ReadAddressList(const std::string& text, SimReply& reply) {
    const std::size_t count = text.size() / 2;
    reply.Byte(static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        reply.Byte(
            static_cast<std::uint32_t>(std::strtoul(text.substr(2 * i, 2).c_str(), nullptr, 16)));
    }
}

std::string AddressListText(const SimRequest& request) {
    // a count beyond the bytes that came is cut to them
    std::size_t count = request.DataByte(0);
    if (count + 1 > request.data.size()) {
        count = request.data.empty() ? 0 : request.data.size() - 1;
    }
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += FormatText("%02X", request.DataByte(i + 1));
    }
    return text;
}

void ReadShortText(const std::string& text, SimReply& reply) {
    const std::size_t length = std::min<std::size_t>(text.size(), 255);
    reply.Byte(static_cast<std::uint32_t>(length));
    reply.data.insert(reply.data.end(), text.begin(), text.begin() + length);
}

}  // namespace gantry::tool
