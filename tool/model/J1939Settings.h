// The J1939 settings of the gateway (object class 110) and the J1939 NAME.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tool/model/ReportedValue.h"

namespace gantry::tool {

// The 8 NAME bytes, byte 0 the least significant.
using J1939Name = std::array<std::uint8_t, 8>;

// The NAME split into its components (SAE J1939-81 layout).
struct J1939NameComponents {
    std::uint32_t identityNumber = 0;         // 21 bits
    std::uint32_t manufacturerCode = 0;       // 11 bits
    std::uint32_t ecuInstance = 0;            // 3 bits
    std::uint32_t functionInstance = 0;       // 5 bits
    std::uint32_t function = 0;               // 8 bits
    std::uint32_t vehicleSystem = 0;          // 7 bits
    std::uint32_t vehicleSystemInstance = 0;  // 4 bits
    std::uint32_t industryGroup = 0;          // 3 bits
    bool arbitraryAddressCapable = false;

    bool operator==(const J1939NameComponents&) const = default;
};

// Packs the components; bits above each component's width are dropped and the
// reserved bit is written 0.
J1939Name PackJ1939Name(const J1939NameComponents& components);
J1939NameComponents UnpackJ1939Name(const J1939Name& name);
// 16 hexadecimal digits, byte 7 first ("00000000FFFFFFFF").
std::string FormatJ1939Name(const J1939Name& name);
// The reverse of FormatJ1939Name; false unless exactly 16 hexadecimal digits.
bool ParseJ1939Name(const std::string& text, J1939Name& name);

// Names of the Industry Group values 0 to 6; an empty text for any other value.
std::string IndustryGroupName(std::uint32_t value);
constexpr int f_nIndustryGroupNameCount = 7;

// Baud-rate list of the J1939 settings: index 0 = 250k, 1 = 500k, 2 = 125k.
constexpr std::int32_t f_nNoBaudSelection = -1;

// How many baud-rate entries the gateway offers: 0 (list hidden), 2 or 3. The
// revision word has the major in its low byte.
int J1939BaudRateChoices(std::uint32_t clientType, std::uint32_t serverType,
                         std::uint16_t revision);

// Display texts of the read-only values.
std::string J1939StatusText(std::uint8_t status);  // "Online" for 1, else "Offline"
std::string MajorFaultText(std::uint32_t code);    // "No Error" for 0, else "0x%X" of low 7 bits

struct J1939Settings {
    // shown only, read from the gateway: the status byte (1 online), the
    // major fault word and the network address (not read while no module is
    // present; offline mode keeps the one last read)
    ReportedValue status;
    ReportedValue fault;
    ReportedValue networkAddress;

    J1939Name name{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::vector<std::uint8_t> addressList{128};  // at most 255 entries
    bool busOffReset = false;
    bool swapIo = false;
    bool statusInInput = false;
    std::uint32_t offlineTimeMs = 0;  // 0 = offline detection disabled; the gateway keeps 16 bits
    std::int32_t baudIndex = 0;       // f_nNoBaudSelection when the list has no selection

    // The "Enable Offline Detection" box is not stored: it follows the time.
    bool OfflineDetectionEnabled() const { return offlineTimeMs != 0; }
    // Turning the box on proposes 1000 ms, off sets 0.
    void SetOfflineDetectionEnabled(bool enabled) { offlineTimeMs = enabled ? 1000 : 0; }
    // The address list as the gateway holds it: a count byte, then the addresses.
    std::vector<std::uint8_t> AddressListBytes() const;
    // Takes a count byte and that many addresses; false when the data is short.
    bool SetAddressListBytes(const std::vector<std::uint8_t>& bytes);

    // The defaults of a new configuration; Status Data In Input keeps its value.
    void SetDefaults();

    // The stored values only (what the file and the gateway hold).
    bool SameStoredValues(const J1939Settings& other) const;
};

}  // namespace gantry::tool
