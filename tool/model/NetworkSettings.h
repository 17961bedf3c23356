// The network-side setting records (DeviceNet, Modbus, enhanced Modbus,
// Ethernet), their defaults and their number-entry rules.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

#include "tool/model/ReportedValue.h"

namespace gantry::tool {

// Values are held as wide as the configuration file keeps them (uint32), so a
// file's values survive a round trip; the gateway attributes take the low bytes.
struct DeviceNetSettings {
    std::uint32_t macAddress = 63;
    std::uint32_t baudIndex = 0;  // 0 "125K", 1 "250K", 2 "500K"
    bool autobaud = false;
    bool swapIo = false;
    bool statusInInput = false;
    std::uint32_t inputSafeState = 0;  // 0 "Retain Last State", 1 "Zero Data"
    // shown only: the scanner status code and the fault word (the DeviceNet
    // side reports none of its own: 0 once read)
    ReportedValue scannerStatus;
    ReportedValue fault;

    // The stored values (what the file and the gateway hold), listed once for
    // the defaults and the comparison below.
    template <typename Self>
    static auto Stored(Self& s) {
        return std::tie(s.macAddress, s.baudIndex, s.autobaud, s.swapIo, s.statusInInput,
                        s.inputSafeState);
    }
    void SetDefaults();
    bool SameStoredValues(const DeviceNetSettings& other) const;
};

struct ModbusSettings {
    std::uint32_t networkAddress = 5;
    std::uint32_t baudRate = 19200;  // bits per second
    std::uint32_t parity = 0;        // 0 None, 1 Odd, 2 Even
    std::uint32_t stopBits = 1;
    std::uint32_t watchdogMs = 5000;
    // shown only: the status byte (1 online) and the major fault word
    ReportedValue status;
    ReportedValue fault;

    template <typename Self>
    static auto Stored(Self& s) {
        return std::tie(s.networkAddress, s.baudRate, s.parity, s.stopBits, s.watchdogMs);
    }
    void SetDefaults();
    bool SameStoredValues(const ModbusSettings& other) const;
};

struct EnhancedModbusSettings : ModbusSettings {
    std::uint32_t networkType = 0;    // 0 "RS-485", 1 "RS-232"
    std::uint32_t networkDuplex = 0;  // 0 "Half-Duplex", 1 "Full-Duplex"

    template <typename Self>
    static auto Stored(Self& s) {
        return std::tuple_cat(ModbusSettings::Stored(s), std::tie(s.networkType, s.networkDuplex));
    }
    void SetDefaults();
    bool SameStoredValues(const EnhancedModbusSettings& other) const;
};

using Ipv4Address = std::array<std::uint8_t, 4>;

struct EthernetSettings {
    Ipv4Address ip{};
    Ipv4Address subnetMask{};
    Ipv4Address gateway{};
    std::uint32_t dhcpIndex = 1;        // 0 "OFF", 1 "ON"
    std::uint32_t speedIndex = 0;       // 0 "Auto", 1 "10", 2 "100"
    std::uint32_t duplexIndex = 0;      // 0 "Auto", 1 "Full", 2 "Half"
    std::uint32_t modbusTimeoutMs = 0;  // 0 = disabled
    std::uint32_t ioSize = 500;         // bytes, 4 to 500

    // The timeout's enable switch follows the value; off writes 0.
    bool ModbusTimeoutEnabled() const { return modbusTimeoutMs != 0; }
    template <typename Self>
    static auto Stored(Self& s) {
        return std::tie(s.ip, s.subnetMask, s.gateway, s.dhcpIndex, s.speedIndex, s.duplexIndex,
                        s.modbusTimeoutMs, s.ioSize);
    }
    void SetDefaults();
    bool SameStoredValues(const EthernetSettings& other) const;
};

// Which records a product pair has.
struct RecordSet {
    bool deviceNet = false;       // a type is 1 or 2
    bool modbus = false;          // a type is 8
    bool modbusEnhanced = false;  // a type is 12
    bool j1939 = false;           // a type is 9
    bool ethernet = false;        // a type is 6
};
RecordSet RecordsOfPair(std::uint32_t clientType, std::uint32_t serverType);
// A Modbus master on either side: the network address is not used at all.
bool IsModbusMasterPair(std::uint32_t clientType, std::uint32_t serverType);

// A C-library unsigned conversion of a 32-bit platform (strtoul): optional
// blanks and sign, a "0x" prefix in radix 16, digits as far as they go; a
// minus sign negates modulo 2^32; out of range gives 0xFFFFFFFF.
std::uint32_t ToUnsigned32(const std::string& text, int radix);

// The MAC address and network address entry: hexadecimal when the text holds
// "0x" or "0X" anywhere, else decimal.
std::uint32_t ReadEntryNumber(const std::string& text);
// Valid at most 63, and 0 only from the exact texts "0", "0x0", "0X0".
std::optional<std::uint32_t> ReadMacAddress(const std::string& text);
// Valid in 1 to 247.
std::optional<std::uint32_t> ReadNetworkAddress(const std::string& text);
// A decimal integer in 4 to 500.
std::optional<std::uint32_t> ReadIoSize(const std::string& text);

// The DeviceNet scanner status text of the reply byte: the one table of the
// request codec, ScannerStatusText ("%2d " for unknown codes).
std::string DeviceNetScannerStatusText(std::uint8_t code);

// Lists that show a value by its item: a value the list has no item for leaves
// the field as it was (as the screen's list keeps its selection).
bool IsModbusBaudRate(std::uint32_t value);      // 4800, 9600, 19200
bool IsModbusStopBits(std::uint32_t value);      // 1, 2
bool IsModbusParity(std::uint32_t value);        // 0, 1, 2
bool IsTwoEntryIndex(std::uint32_t value);       // 0, 1 (network type, duplex)
bool IsDeviceNetBaudIndex(std::uint32_t value);  // 0, 1, 2
// Lists set by index: an index the list lacks leaves it without a selection.
constexpr std::uint32_t f_nNoListSelection = 0xFFFFFFFF;
std::uint32_t EthernetListIndex(std::uint32_t value, std::uint32_t entries);

// Takes `value` into `field` when `accepted`, else keeps the field.
inline void TakeListValue(std::uint32_t& field, std::uint32_t value, bool accepted) {
    if (accepted) {
        field = value;
    }
}
// A check box takes only 0 and 1; any other value leaves it as it was.
inline void TakeCheckBox(std::uint32_t value, bool& box) {
    if (value <= 1) {
        box = value == 1;
    }
}

// Setters with the list and check-box rules, used by opening a file and by a
// refresh from the gateway.
void StoreModbusValues(ModbusSettings& m, std::uint32_t address, std::uint32_t baudRate,
                       std::uint32_t parity, std::uint32_t stopBits, std::uint32_t watchdogMs);

}  // namespace gantry::tool
