#include "tool/session/ScreenEntries.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "tool/model/IoRules.h"
#include "tool/session/EntryRules.h"

namespace gantry::tool {

namespace {

// What a number entry holds when nobody judges it: the leading number of the
// text, nothing when it has none or it is negative (an unsigned field would
// wrap it to a huge value); numbers past 32 bits are cut to the largest.
std::optional<std::uint32_t> EntryNumberAsItIs(const std::string& text, int radix) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const long long value = std::strtoll(begin, &end, radix);
    if (end == begin || value < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(std::min<long long>(value, 0xFFFFFFFFll));
}

// The three address texts, each into its field when it reads (a save takes
// what reads and keeps the rest); the first refusal, if any.
std::optional<Refusal> TakeAddresses(const ScreenEntries& entries, EthernetSettings& e) {
    std::optional<Refusal> first;
    for (auto [text, field, value] :
         {std::tuple{&entries.ipAddress, Field::IpAddress, &e.ip},
          std::tuple{&entries.subnetMask, Field::SubnetMask, &e.subnetMask},
          std::tuple{&entries.gatewayAddress, Field::GatewayAddress, &e.gateway}}) {
        if (!*text) {
            continue;
        }
        const AddressReading reading = ReadAddressEntry(field, **text);
        if (reading.value) {
            *value = *reading.value;
        } else if (!first) {
            first = reading.refusal;
        }
    }
    return first;
}

std::optional<Refusal> JudgeEthernet(const ScreenEntries& entries, CConfiguration& config) {
    if (auto refused = TakeAddresses(entries, config.ethernet)) {
        return refused;
    }
    if (!entries.ioSize) {
        return ValidateEthernet(config.ethernet);
    }
    const EntryReading reading = ReadIoSizeEntry(*entries.ioSize);
    if (reading.refusal) {
        return reading.refusal;
    }
    // the form takes its values from the controls: the limits follow
    config.ethernet.ioSize = *reading.value;
    config.UpdateLimits();
    return std::nullopt;
}

std::optional<Refusal> JudgeDeviceNet(const ScreenEntries& entries, CConfiguration& config) {
    if (!entries.macAddress) {
        return ValidateDeviceNet(config.deviceNet);
    }
    // the number read is the field's value, refused or not
    const EntryReading reading = ReadMacAddressEntry(*entries.macAddress);
    config.deviceNet.macAddress = *reading.value;
    return reading.refusal;
}

std::optional<Refusal> JudgeModbus(const std::optional<std::string>& entry,
                                   ModbusSettings& settings) {
    if (!entry) {
        return ValidateModbus(settings, false);
    }
    const EntryReading reading = ReadNetworkAddressEntry(*entry);
    settings.networkAddress = *reading.value;
    return reading.refusal;
}

std::optional<Refusal> JudgeJ1939(const ScreenEntries& entries, CConfiguration& config) {
    if (!entries.offlineDetection) {
        return ValidateJ1939Settings(config.j1939);
    }
    const OfflineDetectionEntry& entry = *entries.offlineDetection;
    const EntryReading reading = ReadOfflineDetectionEntry(entry.enabled, entry.text);
    if (reading.value) {
        config.j1939.offlineTimeMs = *reading.value;
    }
    return reading.refusal;
}

// The I/O table as a whole; true when it may be written.
bool JudgeIoTable(const CConfiguration& config, std::vector<Refusal>& refusals) {
    const TableCheck check = CheckTableBeforeDownload(config.io, config.limits, config.pgnLimits);
    for (const Refusal& message : check.messages) {
        refusals.push_back(TableRefusal(message));
    }
    if (const auto full = CheckPointCountForDownload(config.io)) {
        refusals.push_back(TableRefusal(*full));  // the table holds at most 200 points
    }
    return check.passed;
}

}  // namespace

Refusal TableRefusal(Refusal message) {
    message.field = Field::IoTable;
    return message;
}

void TakeEntriesAsTheyAre(const ScreenEntries& entries, CConfiguration& config) {
    if (entries.macAddress) {
        config.deviceNet.macAddress = *ReadMacAddressEntry(*entries.macAddress).value;
    }
    if (entries.modbusNetworkAddress) {
        config.modbus.networkAddress =
            *ReadNetworkAddressEntry(*entries.modbusNetworkAddress).value;
    }
    if (entries.enhancedModbusNetworkAddress) {
        config.modbusEnhanced.networkAddress =
            *ReadNetworkAddressEntry(*entries.enhancedModbusNetworkAddress).value;
    }
    TakeAddresses(entries, config.ethernet);
    if (entries.ioSize) {
        if (auto size = EntryNumberAsItIs(*entries.ioSize, 10)) {
            config.ethernet.ioSize = *size;
        }
    }
    if (entries.offlineDetection) {
        const OfflineDetectionEntry& entry = *entries.offlineDetection;
        const std::optional<std::uint32_t> time =
            entry.enabled ? EntryNumberAsItIs(entry.text, 10) : std::optional<std::uint32_t>(0);
        if (time) {
            config.j1939.offlineTimeMs = *time;
        }
    }
}

bool JudgeBeforeDownload(const ScreenEntries& entries, const RecordSet& records,
                         bool modbusAddressShown, CConfiguration& config,
                         std::vector<Refusal>& refusals) {
    auto ask = [&](const std::optional<Refusal>& refusal) {
        if (refusal) {
            refusals.push_back(*refusal);
        }
    };
    if (records.ethernet) {
        ask(JudgeEthernet(entries, config));
        if (!refusals.empty()) {
            return false;  // the Ethernet screen's refusal ends the download at once
        }
    }
    if (records.deviceNet) {
        ask(JudgeDeviceNet(entries, config));
    }
    // a Modbus master has no network address to judge
    if (records.modbus && modbusAddressShown) {
        ask(JudgeModbus(entries.modbusNetworkAddress, config.modbus));
    }
    if (records.modbusEnhanced && modbusAddressShown) {
        ask(JudgeModbus(entries.enhancedModbusNetworkAddress, config.modbusEnhanced));
    }
    bool tablePassed = true;
    if (records.j1939) {
        ask(JudgeJ1939(entries, config));
        tablePassed = JudgeIoTable(config, refusals);
    }
    return refusals.empty() && tablePassed;
}

}  // namespace gantry::tool
