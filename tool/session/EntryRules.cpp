#include "tool/session/EntryRules.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "tool/model/NetworkSettings.h"

namespace gantry::tool {

namespace {

EntryMessage Refusal(const char* text, const char* caption, const char* field,
                     NotifyIcon icon = NotifyIcon::None) {
    return EntryMessage{text, caption, field, icon};
}

// A decimal entry as an integer edit reads it: optional blanks and sign, then
// digits only; anything else (or nothing) is no number.
std::optional<long long> ReadDecimalEntry(const std::string& text) {
    std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) {
        return std::nullopt;
    }
    bool negative = false;
    if (text[i] == '-' || text[i] == '+') {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t end = text.find_last_not_of(" \t") + 1;
    if (i >= end) {
        return std::nullopt;
    }
    long long value = 0;
    for (; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            return std::nullopt;  // far outside every range these entries accept
        }
    }
    return negative ? -value : value;
}

}  // namespace

EntryReading ReadMacAddressEntry(const std::string& text) {
    EntryReading reading;
    reading.value = ReadEntryNumber(text);
    if (!ReadMacAddress(text)) {
        reading.refusal = Refusal(f_szInvalidMacAddress, f_szInvalidEntryCaption, "mac_address");
    }
    return reading;
}

EntryReading ReadNetworkAddressEntry(const std::string& text) {
    EntryReading reading;
    reading.value = ReadEntryNumber(text);
    if (!ReadNetworkAddress(text)) {
        reading.refusal =
            Refusal(f_szInvalidNetworkAddress, f_szInvalidEntryCaption, "network_address");
    }
    return reading;
}

EntryReading ReadIoSizeEntry(const std::string& text) {
    EntryReading reading;
    reading.value = ReadIoSize(text);
    if (!reading.value) {
        reading.refusal = Refusal(f_szIoSizeRange, f_szIoSizeCaption, "io_size");
    }
    return reading;
}

EntryReading ReadOfflineDetectionEntry(bool enabled, const std::string& text) {
    EntryReading reading;
    if (!enabled) {
        reading.value = 0;
        return reading;
    }
    const std::optional<long long> number = ReadDecimalEntry(text);
    if (number && *number >= 100 && *number <= 60000) {
        reading.value = static_cast<std::uint32_t>(*number);
    } else {
        reading.refusal = Refusal(f_szOfflineTimeRange, f_szOfflineTimeCaption, "offline_time_ms");
    }
    return reading;
}

std::optional<EntryMessage> AddNetworkAddressEntry(const std::string& text,
                                                   J1939Settings& settings) {
    const int radix = text.find("0x") != std::string::npos ? 16 : 10;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, radix);
    const bool overflow = errno == ERANGE;
    const bool zeroFromOtherText = value == 0 && text != "0";
    if (overflow || value < 0 || value > 255 || zeroFromOtherText) {
        return Refusal(f_szAddressRange, f_szAddressCaption, "address_list", NotifyIcon::Warning);
    }
    if (settings.addressList.size() >= f_nMaxAddressListSize) {
        // the gateway's count byte cannot say more; a 256th entry would write count 0
        return Refusal(f_szAddressListFull, f_szAddressCaption, "address_list",
                       NotifyIcon::Warning);
    }
    settings.addressList.push_back(static_cast<std::uint8_t>(value));
    return std::nullopt;
}

std::optional<EntryMessage> RemoveNetworkAddressEntry(int selection, J1939Settings& settings) {
    if (selection < 0 || static_cast<std::size_t>(selection) >= settings.addressList.size()) {
        return Refusal(f_szSelectAddress, f_szRequestFailed, "address_list");
    }
    settings.addressList.erase(settings.addressList.begin() + selection);
    return std::nullopt;
}

}  // namespace gantry::tool
