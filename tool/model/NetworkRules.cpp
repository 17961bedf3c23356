#include "tool/model/NetworkRules.h"

namespace gantry::tool {

namespace {

struct FieldRange {
    Field field;
    std::uint32_t minimum;
    std::uint32_t maximum;
    const char* text;
    const char* caption;
    NotifyIcon icon;
};

constexpr FieldRange f_ranges[] = {
    {Field::MacAddress, 0, 63,
     "Invalid MAC Address. Please specify the MAC Address in the 0 - 63 range.", "Invalid Entry",
     NotifyIcon::None},
    {Field::NetworkAddress, 1, 247,
     "Invalid Network Address. Please specify the Network Address in the 1 - 247 range.",
     "Invalid Entry", NotifyIcon::None},
    {Field::IoSize, 4, 500, "I/O Size must be between 4 and 500 bytes", "I/O Size Entry Error",
     NotifyIcon::None},
    {Field::OfflineTime, 100, 60000, "Offline Detection Time must be between 100ms and 60000ms",
     "Offline Detect Time Entry Error", NotifyIcon::None},
    {Field::AddressList, 0, 255, "Network Address must be in the 0 - 255 range",
     "Invalid Address Entry", NotifyIcon::Warning},
};

const FieldRange* RangeOf(Field field) {
    for (const FieldRange& range : f_ranges) {
        if (range.field == field) {
            return &range;
        }
    }
    return nullptr;
}

}  // namespace

bool InRange(Field field, std::uint32_t value) {
    const FieldRange* range = RangeOf(field);
    return range == nullptr || (value >= range->minimum && value <= range->maximum);
}

Refusal RangeRefusal(Field field) {
    const FieldRange* range = RangeOf(field);
    if (range == nullptr) {
        return Refusal{"", "", field};
    }
    return Refusal{range->text, range->caption, field, range->icon};
}

std::optional<Refusal> CheckRange(Field field, std::uint32_t value) {
    if (InRange(field, value)) {
        return std::nullopt;
    }
    return RangeRefusal(field);
}

Refusal AddressRefusal(Field field) {
    const char* name = field == Field::SubnetMask       ? "Subnet Mask"
                       : field == Field::GatewayAddress ? "Gateway Address"
                                                        : "IP Address";
    return Refusal{std::string("Invalid ") + name + ". Please specify " + name +
                       " as four numbers in the 0 - 255 range separated by dots (192.168.1.10).",
                   "Invalid Entry", field};
}

std::optional<Refusal> ValidateDeviceNet(const DeviceNetSettings& d) {
    return CheckRange(Field::MacAddress, d.macAddress);
}

std::optional<Refusal> ValidateModbus(const ModbusSettings& m, bool modbusMaster) {
    if (modbusMaster) {
        return std::nullopt;
    }
    return CheckRange(Field::NetworkAddress, m.networkAddress);
}

std::optional<Refusal> ValidateEthernet(const EthernetSettings& e) {
    return CheckRange(Field::IoSize, e.ioSize);
}

std::optional<Refusal> ValidateJ1939Settings(const J1939Settings& s) {
    if (!s.OfflineDetectionEnabled()) {
        return std::nullopt;
    }
    return CheckRange(Field::OfflineTime, s.offlineTimeMs);
}

std::optional<Refusal> AddToAddressList(std::optional<std::uint32_t> address,
                                        J1939Settings& settings) {
    if (!address || !InRange(Field::AddressList, *address)) {
        return RangeRefusal(Field::AddressList);
    }
    if (settings.addressList.size() >= f_nMaxAddressListSize) {
        // the gateway's count byte cannot say more; a 256th entry would write count 0
        return Refusal{"The Network Address List holds at most 255 addresses",
                       "Invalid Address Entry", Field::AddressList, NotifyIcon::Warning};
    }
    settings.addressList.push_back(static_cast<std::uint8_t>(*address));
    return std::nullopt;
}

std::optional<Refusal> RemoveFromAddressList(int selection, J1939Settings& settings) {
    if (selection < 0 || static_cast<std::size_t>(selection) >= settings.addressList.size()) {
        return Refusal{"Please select an entry in the list box and click Remove button again",
                       "Request Failed", Field::AddressList};
    }
    settings.addressList.erase(settings.addressList.begin() + selection);
    return std::nullopt;
}

}  // namespace gantry::tool
