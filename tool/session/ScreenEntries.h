// The texts the user left in the screens' number entries: taken into the
// records as they are for a save, or judged screen by screen before a
// download. The rules and their refusals are the model's (NetworkRules,
// IoRules); here the texts only become values.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tool/model/Configuration.h"
#include "tool/model/Refusal.h"

namespace gantry::tool {

// Texts the user left in the number entries, read when a download validates.
// A missing text means the entry shows the record's value.
struct OfflineDetectionEntry {
    bool enabled = false;  // "Enable Offline Detection"
    std::string text;      // "Offline Detection Time (ms): "
};
struct ScreenEntries {
    std::optional<std::string> macAddress;                    // DeviceNet
    std::optional<std::string> modbusNetworkAddress;          // Modbus
    std::optional<std::string> enhancedModbusNetworkAddress;  // enhanced Modbus
    std::optional<std::string> ioSize;                        // Ethernet
    std::optional<std::string> ipAddress;                     // Ethernet's addresses
    std::optional<std::string> subnetMask;
    std::optional<std::string> gatewayAddress;
    std::optional<OfflineDetectionEntry> offlineDetection;  // J1939 settings
};

// A whole-table message puts the focus on the I/O lists.
Refusal TableRefusal(Refusal message);

// Takes the entries' texts into the records without judging them (a save).
void TakeEntriesAsTheyAre(const ScreenEntries& entries, CConfiguration& config);

// Judges every screen of `records` in the download's order (Ethernet,
// DeviceNet, Modbus, enhanced Modbus, J1939 settings and the I/O table); an
// Ethernet refusal ends the judging. The records take the values the entries
// give (the MAC and network address even when refused). Every refusal is
// appended in order; true when the download may write.
bool JudgeBeforeDownload(const ScreenEntries& entries, const RecordSet& records,
                         bool modbusAddressShown, CConfiguration& config,
                         std::vector<Refusal>& refusals);

}  // namespace gantry::tool
