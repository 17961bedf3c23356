// The number entries of the settings screens as the user types them: each
// turns its text into a value; the model's rules (NetworkRules) judge the
// value and give the refusal. Pure functions; the screens and the session show
// the refusals.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tool/model/J1939Settings.h"
#include "tool/model/NetworkRules.h"

namespace gantry::tool {

// The result of reading one entry: the value the field takes (when the text
// gives one) and the refusal (when the text is not acceptable). The MAC and
// network address keep the number read even when it is refused.
struct EntryReading {
    std::optional<std::uint32_t> value;
    std::optional<Refusal> refusal;
};

// "0x3F" → 63; "64", "00" and text without digits are refused.
EntryReading ReadMacAddressEntry(const std::string& text);
// "0xF7" → 247; "0" and "248" are refused. A Modbus master never asks.
EntryReading ReadNetworkAddressEntry(const std::string& text);
// A decimal 4 to 500.
EntryReading ReadIoSizeEntry(const std::string& text);
// With the box checked the text must hold 100 to 60000 (decimal); with it
// unchecked the time is 0 and nothing is judged.
EntryReading ReadOfflineDetectionEntry(bool enabled, const std::string& text);

// An Ethernet address entry (field: Field::IpAddress, SubnetMask or
// GatewayAddress): four decimal numbers 0-255 joined by dots, or an empty
// text for 0.0.0.0; anything else is refused naming the field.
struct AddressReading {
    std::optional<Ipv4Address> value;
    std::optional<Refusal> refusal;
};
AddressReading ReadAddressEntry(Field field, const std::string& text);

// "&Add" of the J1939 network address list: radix 16 when the text holds
// "0x", else 10; above 255, negative, or 0 from a text other than "0" is
// refused with a warning. Accepted: appended (duplicates allowed) unless the
// list already holds 255 addresses, all its count byte can carry.
std::optional<Refusal> AddNetworkAddressEntry(const std::string& text, J1939Settings& settings);

}  // namespace gantry::tool
