// The values the panes' lists, boxes and plain number entries set in the
// records, one field each. The panes turn what the user picked into the value
// (a list's value, 0 or 1 for a box, an entry's number); the session stores it.
#pragma once

#include <cstdint>

#include "tool/model/Configuration.h"

namespace gantry::tool {

enum class Choice {
    DeviceNetBaud,
    DeviceNetSafeState,
    DeviceNetAutobaud,
    DeviceNetSwapIo,
    DeviceNetStatusInInput,
    EthernetDhcp,
    EthernetSpeed,
    EthernetDuplex,
    EthernetModbusTimeout,
    // the Modbus record of the configuration's pair (plain or enhanced)
    ModbusBaud,
    ModbusParity,
    ModbusStopBits,
    ModbusWatchdog,
    // the enhanced Modbus record's own
    ModbusNetworkType,
    ModbusNetworkDuplex,
    J1939BusOffReset,
    J1939SwapIo,
    J1939Baud,
};

// Stores `value` in the field `choice` stands for; nothing else follows.
void ApplyChoice(CConfiguration& config, Choice choice, std::uint32_t value);

}  // namespace gantry::tool
