// What a commissioning report must hold for a configuration, worked out from
// its JSON form (not from the report's code): each setting as "label" and the
// text the pane shows, and each I/O point's row in decimal (a cell's first
// word: the lists add the byte and bit to an offset, "16 (2,0)", and name the
// PGN of a DTC table "DM1" or "DM2").
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

struct ExpectedField {
    std::string label;
    std::string value;
};

struct ExpectedReport {
    std::vector<ExpectedField> fields;
    std::vector<std::vector<std::string>> rows;  // input rows, then output rows
};

// The first word of each cell but the last (the point's type), which is
// taken whole.
inline std::vector<std::string> FirstWords(const std::vector<std::string>& cells) {
    std::vector<std::string> words;
    for (const std::string& cell : cells) {
        const std::size_t start = cell.find_first_not_of(' ');
        words.push_back(start == std::string::npos
                            ? std::string()
                            : cell.substr(start, cell.find(' ', start) - start));
    }
    if (!cells.empty()) {
        words.back() = cells.back();
    }
    return words;
}

inline ExpectedReport ExpectedReportOf(const nlohmann::json& doc) {
    using Items = std::vector<std::string>;
    struct Key {
        const char* section;
        const char* key;
        const char* label;
        Items items;  // list texts by value; {} for a number, {"No","Yes"} for a box
    };
    const Items box = {"No", "Yes"};
    const std::vector<Key> keys = {
        {"devicenet", "mac_address", "MAC Address:", {}},
        {"devicenet", "baud_index", "Baud Rate:", {"125K", "250K", "500K"}},
        {"devicenet", "autobaud", "AutoBaud", box},
        {"devicenet", "swap_io", "Swap I/O Bytes", box},
        {"devicenet", "input_safe_state", "Input Safe State:", {"Retain Last State", "Zero Data"}},
        {"modbus", "network_address", "Network Address:", {}},
        {"modbus", "parity", "Parity:", {"None", "Odd", "Even"}},
        {"modbus", "stop_bits", "Stop Bits:", {}},
        {"modbus", "baud_rate", "Baud Rate:", {}},
        {"modbus", "watchdog_ms", "Watchdog Timeout (ms)", {}},
        {"j1939", "name_hex", "Device NAME:", {}},
        {"j1939", "bus_off_reset", "Bus-Off CAN Reset", box},
        {"j1939", "swap_io", "Swap I/O Bytes", box},
        {"j1939", "offline_time_ms", "Offline Detection Time (ms):", {}},
        {"ethernet", "ip", "IP Address:", {}},
        {"ethernet", "subnet_mask", "Subnet Mask:", {}},
        {"ethernet", "gateway", "Gateway Address:", {}},
        {"ethernet", "dhcp_index", "DHCP:", {"OFF", "ON"}},
        {"ethernet", "speed_index", "Speed:", {"Auto", "10", "100"}},
        {"ethernet", "duplex_index", "Duplex:", {"Auto", "Full", "Half"}},
        {"ethernet", "modbus_timeout_ms", "Modbus Timeout (ms):", {}},
    };
    ExpectedReport expected;
    for (const Key& k : keys) {
        if (!doc.contains(k.section)) {
            continue;
        }
        const nlohmann::json& value = doc[k.section][k.key];
        std::string text = value.is_string() ? value.get<std::string>() : value.dump();
        if (!k.items.empty()) {
            text = k.items.at(value.get<std::size_t>());
        }
        expected.fields.push_back({k.label, text});
    }
    if (doc.contains("ethernet")) {
        expected.fields.push_back({"I/O Size:", doc["ethernet"]["io_size"].dump() + " bytes"});
    }
    if (doc.contains("j1939")) {
        std::string list;
        for (const auto& address : doc["j1939"]["address_list"]) {
            list += (list.empty() ? "" : ", ") + address.dump();
        }
        expected.fields.push_back({"Network Address List", list});
        const char* const types[] = {"Input", "Output", "Active DTC Table",
                                     "Previously Active DTC Table"};
        for (const auto& p : doc["j1939"]["points"]) {
            const bool output = p["table"].get<int>() == 1;
            const int table = p["table"].get<int>();
            std::vector<std::string> row = {
                p["dataOffset"].dump(), p["dataLength"].dump(),
                table >= 2 ? "DM" + std::to_string(table - 1) : p["pgn"].dump()};
            if (output) {
                row.push_back(p["priority"].dump());
            }
            for (const char* key : {"address", "updateRate", "messageOffset"}) {
                row.push_back(p[key].dump());
            }
            row.push_back(types[p["table"].get<int>()]);
            expected.rows.push_back(row);
        }
    }
    return expected;
}
