#include "tool/model/NetworkSettings.h"

#include <cctype>
#include <cstdlib>

#include "tool/device/DeviceRequest.h"
#include "tool/device/IdentityValues.h"
#include "tool/model/NetworkRules.h"

namespace gantry::tool {

namespace {

// The defaults are the values a new record starts with; the values only
// shown (what the gateway reports) keep theirs.
template <typename Record>
void ResetStored(Record& record) {
    const Record defaults{};
    Record::Stored(record) = Record::Stored(defaults);
}

template <typename Record>
bool SameStored(const Record& a, const Record& b) {
    return Record::Stored(a) == Record::Stored(b);
}

}  // namespace

void DeviceNetSettings::SetDefaults() {
    ResetStored(*this);
}

bool DeviceNetSettings::SameStoredValues(const DeviceNetSettings& o) const {
    return SameStored(*this, o);
}

void ModbusSettings::SetDefaults() {
    ResetStored(*this);
}

bool ModbusSettings::SameStoredValues(const ModbusSettings& o) const {
    return SameStored(*this, o);
}

void EnhancedModbusSettings::SetDefaults() {
    ResetStored(*this);
}

bool EnhancedModbusSettings::SameStoredValues(const EnhancedModbusSettings& o) const {
    return SameStored(*this, o);
}

void EthernetSettings::SetDefaults() {
    ResetStored(*this);
}

bool EthernetSettings::SameStoredValues(const EthernetSettings& o) const {
    return SameStored(*this, o);
}

RecordSet RecordsOfPair(std::uint32_t client, std::uint32_t server) {
    auto either = [&](std::uint32_t type) { return client == type || server == type; };
    RecordSet set;
    set.deviceNet = either(1) || either(2);
    set.modbus = either(8);
    set.modbusEnhanced = either(12);
    set.j1939 = either(9);
    set.ethernet = either(6);
    return set;
}

bool IsModbusMasterPair(std::uint32_t client, std::uint32_t server) {
    return client == 7 || server == 7;
}

static int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    return 99;
}

std::uint32_t ToUnsigned32(const std::string& text, int radix) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (radix == 16 && i + 2 < text.size() && text[i] == '0' &&
        (text[i + 1] == 'x' || text[i + 1] == 'X') && DigitValue(text[i + 2]) < 16) {
        i += 2;
    }
    std::uint64_t value = 0;
    bool overflow = false;
    for (; i < text.size() && DigitValue(text[i]) < radix; ++i) {
        value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(DigitValue(text[i]));
        if (value > 0xFFFFFFFFull) {
            overflow = true;
            value = 0xFFFFFFFFull;  // keeps the product small; the digits still get consumed
        }
    }
    if (overflow) {
        return 0xFFFFFFFFu;
    }
    const auto result = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

static bool HasHexMarker(const std::string& text) {
    return text.find("0x") != std::string::npos || text.find("0X") != std::string::npos;
}

std::uint32_t ReadEntryNumber(const std::string& text) {
    return ToUnsigned32(text, HasHexMarker(text) ? 16 : 10);
}

std::optional<std::uint32_t> ReadMacAddress(const std::string& text) {
    const std::uint32_t value = ReadEntryNumber(text);
    if (!InRange(Field::MacAddress, value)) {
        return std::nullopt;
    }
    if (value == 0 && text != "0" && text != "0x0" && text != "0X0") {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint32_t> ReadNetworkAddress(const std::string& text) {
    const std::uint32_t value = ReadEntryNumber(text);
    if (!InRange(Field::NetworkAddress, value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint32_t> ReadIoSize(const std::string& text) {
    const std::uint32_t value = ToUnsigned32(text, 10);
    // a minus sign wraps to a huge value, which is out of range like any other
    if (!InRange(Field::IoSize, value)) {
        return std::nullopt;
    }
    return value;
}

std::string DeviceNetScannerStatusText(std::uint8_t code) {
    return ScannerStatusText(code);
}

bool IsModbusBaudRate(std::uint32_t v) {
    return v == 4800 || v == 9600 || v == 19200;
}
bool IsModbusStopBits(std::uint32_t v) {
    return v == 1 || v == 2;
}
bool IsModbusParity(std::uint32_t v) {
    return v <= 2;
}
bool IsTwoEntryIndex(std::uint32_t v) {
    return v <= 1;
}
bool IsDeviceNetBaudIndex(std::uint32_t v) {
    return v <= 2;
}

std::uint32_t EthernetListIndex(std::uint32_t value, std::uint32_t entries) {
    return value < entries ? value : f_nNoListSelection;
}

void StoreModbusValues(ModbusSettings& m, std::uint32_t address, std::uint32_t baudRate,
                       std::uint32_t parity, std::uint32_t stopBits, std::uint32_t watchdogMs) {
    m.networkAddress = address;
    TakeListValue(m.baudRate, baudRate, IsModbusBaudRate(baudRate));
    TakeListValue(m.parity, parity, IsModbusParity(parity));
    TakeListValue(m.stopBits, stopBits, IsModbusStopBits(stopBits));
    m.watchdogMs = watchdogMs;
}

}  // namespace gantry::tool
