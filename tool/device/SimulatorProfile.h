// The simulated gateway's pieces below its request handlers: one decoded
// request, the reply being built, the profile file with its section names,
// and the way the profile's texts become reply bytes and request bytes become
// texts. Used by DeviceSimulator only.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tool/device/DeviceRequest.h"
#include "tool/device/RequestCodec.h"

namespace gantry::tool {

inline constexpr const char* f_szIdentity = "Identity";
inline constexpr const char* f_szDeviceNet = "DNetConfig";
inline constexpr const char* f_szJ1939 = "J1939Config";
inline constexpr const char* f_szModbus = "ModbusConfig";
inline constexpr const char* f_szEthernet = "EthernetConfig";
inline constexpr const char* f_szModbusEthernet = "ModbusTCPConfig";

struct SimReply {
    std::uint8_t status = DST_Success;
    std::vector<std::uint8_t> data;

    void Byte(std::uint32_t value) { data.push_back(static_cast<std::uint8_t>(value)); }
    void Word(std::uint32_t value) {
        Byte(value);
        Byte(value >> 8);
    }
    void Long(std::uint32_t value) {
        Word(value);
        Word(value >> 16);
    }
    void Refuse(std::uint8_t code) {
        status = code;
        data.clear();
    }
};

// One request, read by the request codec.
using SimRequest = RequestView;

// The profile file of one request. A write that cannot be stored is
// remembered: the request is then refused.
class CSimFile {
public:
    explicit CSimFile(const std::string& file) : m_file(file) {}

    // At most 259 characters of the value count, as the gateway's buffer holds.
    std::string Read(const std::string& section, const char* key) const;
    void Write(const std::string& section, const char* key, const std::string& value);
    void Delete(const std::string& section, const char* key);
    bool LostWrite() const { return m_lost; }

private:
    const std::string& m_file;
    bool m_lost = false;
};

std::string NumberedSection(const char* prefix, int instance);

// Numbers as the simulator reads them: the leading number of the text, as
// strtol reads it; unparsable text reads 0. Values wrap to 32 bits.
std::int64_t ParseBase(const std::string& text, int base);
// "0x" anywhere in the text means base 16, else base 10.
std::uint32_t ParseHexOrDecimal(const std::string& text);
std::uint32_t ParseDecimal(const std::string& text);
// The index of `text` among `names` (case ignored; an empty text gives
// `emptyValue` when it is not negative), else the text read as a decimal.
std::uint32_t ParseChoice(const std::string& text, std::span<const char* const> names,
                          int emptyValue = -1);
// The name for `value`, or an empty text when it has none.
std::string ChoiceName(std::uint32_t value, std::span<const char* const> names);
// An interface type's name ("DeviceNet") or number.
std::uint32_t ParseInterfaceType(const std::string& text);

// "major.minor" as two bytes; a text without a dot answers 0.
void ReadRevisionText(const std::string& text, SimReply& reply);
// The 64-bit NAME, written most significant digit first, answered least
// significant byte first.
void ReadDeviceName(const std::string& text, SimReply& reply);
std::string DeviceNameText(const SimRequest& request);
// Pairs of hexadecimal digits after a count byte; an odd trailing digit is ignored.
void ReadAddressList(const std::string& text, SimReply& reply);
std::string AddressListText(const SimRequest& request);
// One length byte, then at most 255 characters of the text.
void ReadShortText(const std::string& text, SimReply& reply);

}  // namespace gantry::tool
