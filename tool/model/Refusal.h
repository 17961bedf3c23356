// A refusal: what the user is told when an entry, a record or the I/O table
// is not acceptable, and where the focus goes. Every rule of the model answers
// with this one type; the screens, the session and the command line show it.
#pragma once

#include <string>

#include "tool/device/Notifier.h"

namespace gantry::tool {

// The entries a refusal can put the focus on.
enum class Field {
    None,
    // the edit-point screen
    TableType,
    Pgn,
    Address,
    Priority,
    DataOffset,
    DataLength,
    UpdateRate,
    MessageOffset,
    // the network screens
    MacAddress,      // DeviceNet
    NetworkAddress,  // Modbus, enhanced Modbus
    IoSize,          // Ethernet
    IpAddress,       // Ethernet: the three dotted addresses
    SubnetMask,
    GatewayAddress,
    OfflineTime,  // J1939 settings: the offline detection time
    AddressList,  // J1939 settings: the network address list's entry
    IoTable,      // the J1939 I/O lists as a whole
    // the J1939 NAME dialog: its eight bytes, then its seven components
    NameByte0,
    IdentityNumber = NameByte0 + 8,
    ManufacturerCode,
    EcuInstance,
    FunctionInstance,
    Function,
    VehicleSystem,
    VehicleSystemInstance,
};

struct Refusal {
    std::string text;
    std::string caption;
    Field field = Field::None;
    NotifyIcon icon = NotifyIcon::None;

    bool operator==(const Refusal&) const = default;
};

}  // namespace gantry::tool
