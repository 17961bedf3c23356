// The number entries of the settings screens as the user types them: the
// rules that read and judge each text, and the exact message each refusal
// shows. Pure functions; the screens and the session show the messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "tool/device/RequestGate.h"
#include "tool/model/J1939Settings.h"

namespace gantry::tool {

// A refused entry: the message box text and caption, its icon, and the field
// that gets the focus (names as the configuration's JSON form uses them).
struct EntryMessage {
    std::string text;
    std::string caption;
    std::string field;
    NotifyIcon icon = NotifyIcon::None;

    bool operator==(const EntryMessage&) const = default;
};

// The result of reading one entry: the value the field takes (when the text
// gives one) and the refusal (when the text is not acceptable). The MAC and
// network address keep the number read even when it is refused.
struct EntryReading {
    std::optional<std::uint32_t> value;
    std::optional<EntryMessage> refusal;
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

// "&Add" of the J1939 network address list: radix 16 when the text holds
// "0x", else 10; above 255, negative, or 0 from a text other than "0" is
// refused with a warning. Accepted: appended (duplicates allowed) unless the
// list already holds 255 addresses, all its count byte can carry.
std::optional<EntryMessage> AddNetworkAddressEntry(const std::string& text,
                                                   J1939Settings& settings);
// "&Remove" of the selected address (index into the list; -1 = none).
std::optional<EntryMessage> RemoveNetworkAddressEntry(int selection, J1939Settings& settings);

// The texts of the messages.
inline constexpr const char* f_szInvalidEntryCaption = "Invalid Entry";
inline constexpr const char* f_szInvalidMacAddress =
    "Invalid MAC Address. Please specify the MAC Address in the 0 - 63 range.";
inline constexpr const char* f_szInvalidNetworkAddress =
    "Invalid Network Address. Please specify the Network Address in the 1 - 247 range.";
inline constexpr const char* f_szIoSizeRange = "I/O Size must be between 4 and 500 bytes";
inline constexpr const char* f_szIoSizeCaption = "I/O Size Entry Error";
inline constexpr const char* f_szOfflineTimeRange =
    "Offline Detection Time must be between 100ms and 60000ms";
inline constexpr const char* f_szOfflineTimeCaption = "Offline Detect Time Entry Error";
inline constexpr const char* f_szAddressRange = "Network Address must be in the 0 - 255 range";
inline constexpr const char* f_szAddressCaption = "Invalid Address Entry";
inline constexpr std::size_t f_nMaxAddressListSize = 255;
inline constexpr const char* f_szAddressListFull =
    "The Network Address List holds at most 255 addresses";
inline constexpr const char* f_szSelectAddress =
    "Please select an entry in the list box and click Remove button again";
inline constexpr const char* f_szRequestFailed = "Request Failed";

}  // namespace gantry::tool
