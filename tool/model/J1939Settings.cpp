#include "tool/model/J1939Settings.h"

#include <algorithm>
#include <cstdio>

namespace gantry::tool {

J1939Name PackJ1939Name(const J1939NameComponents& c) {
    J1939Name name{};
    name[0] = static_cast<std::uint8_t>(c.identityNumber & 0xFF);
    name[1] = static_cast<std::uint8_t>((c.identityNumber >> 8) & 0xFF);
    name[2] = static_cast<std::uint8_t>(((c.identityNumber >> 16) & 0x1F) |
                                        ((c.manufacturerCode & 0x07) << 5));
    name[3] = static_cast<std::uint8_t>((c.manufacturerCode >> 3) & 0xFF);
    name[4] =
        static_cast<std::uint8_t>((c.ecuInstance & 0x07) | ((c.functionInstance & 0x1F) << 3));
    name[5] = static_cast<std::uint8_t>(c.function & 0xFF);
    name[6] = static_cast<std::uint8_t>((c.vehicleSystem & 0x7F) << 1);  // low bit reserved, 0
    name[7] = static_cast<std::uint8_t>((c.vehicleSystemInstance & 0x0F) |
                                        ((c.industryGroup & 0x07) << 4) |
                                        (c.arbitraryAddressCapable ? 0x80 : 0));
    return name;
}

J1939NameComponents UnpackJ1939Name(const J1939Name& n) {
    J1939NameComponents c;
    c.identityNumber = n[0] | (n[1] << 8) | ((n[2] & 0x1F) << 16);
    c.manufacturerCode = (n[2] >> 5) | (n[3] << 3);
    c.ecuInstance = n[4] & 0x07;
    c.functionInstance = n[4] >> 3;
    c.function = n[5];
    c.vehicleSystem = n[6] >> 1;
    c.vehicleSystemInstance = n[7] & 0x0F;
    c.industryGroup = (n[7] >> 4) & 0x07;
    c.arbitraryAddressCapable = (n[7] & 0x80) != 0;
    return c;
}

std::string FormatJ1939Name(const J1939Name& name) {
    std::string text;
    for (int i = 7; i >= 0; --i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02hX", static_cast<unsigned short>(name[i]));
        text += digits;
    }
    return text;
}

static int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool ParseJ1939Name(const std::string& text, J1939Name& name) {
    if (text.size() != 16) {
        return false;
    }
    J1939Name parsed{};
    for (int i = 0; i < 8; ++i) {
        const int high = HexDigitValue(text[static_cast<std::size_t>(i * 2)]);
        const int low = HexDigitValue(text[static_cast<std::size_t>(i * 2 + 1)]);
        if (high < 0 || low < 0) {
            return false;
        }
        parsed[static_cast<std::size_t>(7 - i)] = static_cast<std::uint8_t>(high * 16 + low);
    }
    name = parsed;
    return true;
}

std::string IndustryGroupName(std::uint32_t value) {
    static const char* const names[f_nIndustryGroupNameCount] = {
        "Global, applies to all",
        "On-Highway Equipment",
        "Agricultural and Forestry Equipment",
        "Construction Equipment",
        "Marine",
        "Industrial-Process Control-Stationary",
        "Reserved",
    };
    return value < f_nIndustryGroupNameCount ? names[value] : "";
}

static unsigned RevisionValue(std::uint16_t revision) {
    return (revision & 0xFFu) * 256 + (revision >> 8);
}

int J1939BaudRateChoices(std::uint32_t clientType, std::uint32_t serverType,
                         std::uint16_t revision) {
    if (clientType != 9) {
        return 0;
    }
    unsigned shown = 0;
    unsigned with125k = 0;
    switch (serverType) {
        case 11:
            shown = 0x107;
            with125k = 0x108;
            break;
        case 6:
            shown = 0x207;
            with125k = 0x208;
            break;
        case 8:
            shown = 0x206;
            with125k = 0x207;
            break;
        default:
            return 0;
    }
    const unsigned value = RevisionValue(revision);
    if (value < shown) {
        return 0;
    }
    return value >= with125k ? 3 : 2;
}

std::string J1939StatusText(std::uint8_t status) {
    return status == 1 ? "Online" : "Offline";
}

std::string MajorFaultText(std::uint32_t code) {
    if (code == 0) {
        return "No Error";
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", code & 0x7Fu);
    return text;
}

std::vector<std::uint8_t> J1939Settings::AddressListBytes() const {
    // the count is one byte: a longer list is cut at 255 addresses
    const std::size_t count = std::min<std::size_t>(addressList.size(), 255);
    std::vector<std::uint8_t> bytes(count + 1);
    bytes[0] = static_cast<std::uint8_t>(count);
    std::copy_n(addressList.begin(), count, bytes.begin() + 1);
    return bytes;
}

bool J1939Settings::SetAddressListBytes(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty() || bytes.size() < 1u + bytes[0]) {
        return false;
    }
    addressList.assign(bytes.begin() + 1, bytes.begin() + 1 + bytes[0]);
    return true;
}

void J1939Settings::SetDefaults() {
    name.fill(0xFF);
    addressList.assign(1, 128);
    busOffReset = false;
    swapIo = false;
    offlineTimeMs = 0;
    baudIndex = 0;
}

bool J1939Settings::SameStoredValues(const J1939Settings& other) const {
    return name == other.name && addressList == other.addressList &&
           busOffReset == other.busOffReset && swapIo == other.swapIo &&
           statusInInput == other.statusInInput && offlineTimeMs == other.offlineTimeMs &&
           baudIndex == other.baudIndex;
}

}  // namespace gantry::tool
