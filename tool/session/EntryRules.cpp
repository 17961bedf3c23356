#include "tool/session/EntryRules.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "tool/model/NetworkSettings.h"
#include "tool/session/NetworkLists.h"

namespace gantry::tool {

namespace {

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
        reading.refusal = RangeRefusal(Field::MacAddress);
    }
    return reading;
}

EntryReading ReadNetworkAddressEntry(const std::string& text) {
    EntryReading reading;
    reading.value = ReadEntryNumber(text);
    reading.refusal = CheckRange(Field::NetworkAddress, *reading.value);
    return reading;
}

EntryReading ReadIoSizeEntry(const std::string& text) {
    EntryReading reading;
    reading.value = ReadIoSize(text);
    if (!reading.value) {
        reading.refusal = RangeRefusal(Field::IoSize);
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
    if (number && *number >= 0 &&
        InRange(Field::OfflineTime, static_cast<std::uint32_t>(*number))) {
        reading.value = static_cast<std::uint32_t>(*number);
    } else {
        reading.refusal = RangeRefusal(Field::OfflineTime);
    }
    return reading;
}

AddressReading ReadAddressEntry(Field field, const std::string& text) {
    AddressReading reading;
    reading.value = ParseIpAddress(text);
    if (!reading.value) {
        reading.refusal = AddressRefusal(field);
    }
    return reading;
}

std::optional<Refusal> AddNetworkAddressEntry(const std::string& text, J1939Settings& settings) {
    const int radix = text.find("0x") != std::string::npos ? 16 : 10;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, radix);
    const bool overflow = errno == ERANGE;
    const bool zeroFromOtherText = value == 0 && text != "0";
    // a number past 32 bits is out of range like any other past 255
    const bool number = !overflow && value >= 0 && value <= 0xFFFFFFFFl && !zeroFromOtherText;
    return AddToAddressList(number ? std::optional<std::uint32_t>(value) : std::nullopt, settings);
}

}  // namespace gantry::tool
