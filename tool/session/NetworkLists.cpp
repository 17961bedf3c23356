#include "tool/session/NetworkLists.h"

#include <cstdlib>

namespace gantry::tool {

const std::vector<std::string>& NetworkListItems(NetworkList list) {
    static const std::vector<std::string> deviceNetBaud = {"125K", "250K", "500K"};
    static const std::vector<std::string> safeState = {"Retain Last State", "Zero Data"};
    static const std::vector<std::string> modbusBaud = {"4800", "9600", "19200"};
    static const std::vector<std::string> parity = {"None", "Odd", "Even"};
    static const std::vector<std::string> stopBits = {"1", "2"};
    static const std::vector<std::string> networkType = {"RS-485", "RS-232"};
    static const std::vector<std::string> networkDuplex = {"Half-Duplex", "Full-Duplex"};
    static const std::vector<std::string> dhcp = {"OFF", "ON"};
    static const std::vector<std::string> speed = {"Auto", "10", "100"};
    static const std::vector<std::string> ethernetDuplex = {"Auto", "Full", "Half"};
    switch (list) {
        case NetworkList::DeviceNetBaudRate:
            return deviceNetBaud;
        case NetworkList::InputSafeState:
            return safeState;
        case NetworkList::ModbusBaudRate:
            return modbusBaud;
        case NetworkList::ModbusParity:
            return parity;
        case NetworkList::ModbusStopBits:
            return stopBits;
        case NetworkList::NetworkType:
            return networkType;
        case NetworkList::NetworkDuplex:
            return networkDuplex;
        case NetworkList::EthernetDhcp:
            return dhcp;
        case NetworkList::EthernetSpeed:
            return speed;
        case NetworkList::EthernetDuplex:
            break;
    }
    return ethernetDuplex;
}

ListBinding NetworkListBinding(NetworkList list) {
    switch (list) {
        case NetworkList::ModbusBaudRate:
        case NetworkList::ModbusStopBits:
            return ListBinding::Number;
        case NetworkList::ModbusParity:
        case NetworkList::NetworkType:
        case NetworkList::NetworkDuplex:
            return ListBinding::Text;
        default:
            return ListBinding::Index;
    }
}

namespace {

// Lists whose selection is found by the text that shows the value.
bool SetByText(NetworkList list) {
    return list == NetworkList::DeviceNetBaudRate || list == NetworkList::ModbusBaudRate ||
           list == NetworkList::ModbusParity || list == NetworkList::ModbusStopBits ||
           list == NetworkList::NetworkType || list == NetworkList::NetworkDuplex;
}

// The text that shows `value` in a list set by its texts: the number in
// decimal, or the name of the value.
std::string TextOfValue(NetworkList list, std::uint32_t value) {
    if (NetworkListBinding(list) == ListBinding::Number) {
        return std::to_string(value);
    }
    const std::vector<std::string>& items = NetworkListItems(list);
    return value < items.size() ? items[value] : std::string();
}

}  // namespace

int NetworkListSelection(NetworkList list, std::uint32_t value, int current) {
    const std::vector<std::string>& items = NetworkListItems(list);
    if (SetByText(list)) {
        const std::string text = TextOfValue(list, value);
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i] == text) {
                return static_cast<int>(i);
            }
        }
        return current;
    }
    if (list == NetworkList::InputSafeState) {
        return value == 1 ? 1 : 0;
    }
    return value < items.size() ? static_cast<int>(value) : -1;
}

std::optional<std::uint32_t> NetworkListValue(NetworkList list, int selection) {
    const std::vector<std::string>& items = NetworkListItems(list);
    const bool selected = selection >= 0 && static_cast<std::size_t>(selection) < items.size();
    switch (NetworkListBinding(list)) {
        case ListBinding::Number:
            if (!selected) {
                return std::nullopt;
            }
            return static_cast<std::uint32_t>(
                std::strtoul(items[static_cast<std::size_t>(selection)].c_str(), nullptr, 10));
        case ListBinding::Text:
            return selected ? static_cast<std::uint32_t>(selection) : 255u;
        case ListBinding::Index:
            break;
    }
    return selected ? static_cast<std::uint32_t>(selection) : f_nNoListSelection;
}

std::string FormatIpAddress(const Ipv4Address& address) {
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
           std::to_string(address[2]) + "." + std::to_string(address[3]);
}

std::optional<Ipv4Address> ParseIpAddress(const std::string& text) {
    Ipv4Address address{};
    if (text.empty()) {
        return address;
    }
    std::size_t at = 0;
    for (std::size_t octet = 0; octet < address.size(); ++octet) {
        if (octet > 0) {
            if (at >= text.size() || text[at] != '.') {
                return std::nullopt;
            }
            ++at;
        }
        const std::size_t start = at;
        unsigned value = 0;
        while (at < text.size() && at - start < 3 && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[at] - '0');
            ++at;
        }
        if (at == start || value > 255) {
            return std::nullopt;
        }
        address[octet] = static_cast<std::uint8_t>(value);
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    return address;
}

}  // namespace gantry::tool
