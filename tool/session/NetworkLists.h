// The drop-down lists of the network screens: their item texts, and how each
// list stands for its record field. The desktop screens fill and read their
// lists through these functions only.
//
// Three kinds of list:
// - by index: the selection's position is the value (DeviceNet baud rate and
//   Input Safe State, the Ethernet DHCP, speed and duplex lists);
// - by number: the value is the number the selected text shows (Modbus baud
//   rate and stop bits);
// - by text: each text stands for a value, equal to its position (Modbus
//   parity, network type and network duplex).
// The DeviceNet baud rate and every Modbus list are set by finding the item
// whose text shows the value; a value no item shows leaves the selection as it
// was. Input Safe State and the Ethernet lists are set by index.
//
// Pure functions, any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tool/model/NetworkSettings.h"

namespace gantry::tool {

enum class NetworkList {
    DeviceNetBaudRate,  // "125K", "250K", "500K"
    InputSafeState,     // "Retain Last State", "Zero Data"
    ModbusBaudRate,     // "4800", "9600", "19200"
    ModbusParity,       // "None", "Odd", "Even"
    ModbusStopBits,     // "1", "2"
    NetworkType,        // "RS-485", "RS-232"
    NetworkDuplex,      // "Half-Duplex", "Full-Duplex"
    EthernetDhcp,       // "OFF", "ON"
    EthernetSpeed,      // "Auto", "10", "100"
    EthernetDuplex,     // "Auto", "Full", "Half"
};

enum class ListBinding { Index, Number, Text };

// The list's items in their order.
const std::vector<std::string>& NetworkListItems(NetworkList list);
ListBinding NetworkListBinding(NetworkList list);

// The selection that shows `value`. `current` is the list's selection now (-1
// for none): it stays when a list set by its texts has no item for the value.
// Input Safe State selects 0 for any value but 1; an Ethernet list shows no
// selection (-1) for an index it lacks.
int NetworkListSelection(NetworkList list, std::uint32_t value, int current);

// The value the list gives for `selection` (-1: none). With no selection a
// list read by its texts gives 255 (written when the screen shows none of its
// items), one read by index gives f_nNoListSelection of the model, and one
// read by its number gives nothing (the field keeps its value).
std::optional<std::uint32_t> NetworkListValue(NetworkList list, int selection);

// An IP address as the address controls show it ("192.168.1.10") and as they
// are read back: four decimal octets 0-255, nothing else; an empty text reads
// as 0.0.0.0.
std::string FormatIpAddress(const Ipv4Address& address);
std::optional<Ipv4Address> ParseIpAddress(const std::string& text);

}  // namespace gantry::tool
