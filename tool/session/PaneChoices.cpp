#include "tool/session/PaneChoices.h"

namespace gantry::tool {

namespace {

ModbusSettings& ModbusRecordOf(CConfiguration& config) {
    if (config.Records().modbusEnhanced) {
        return config.modbusEnhanced;
    }
    return config.modbus;
}

// The DeviceNet and Ethernet choices; false for the others.
bool ApplyNetworkChoice(CConfiguration& config, Choice choice, std::uint32_t value) {
    DeviceNetSettings& deviceNet = config.deviceNet;
    EthernetSettings& ethernet = config.ethernet;
    switch (choice) {
        case Choice::DeviceNetBaud:
            deviceNet.baudIndex = value;
            return true;
        case Choice::DeviceNetSafeState:
            deviceNet.inputSafeState = value;
            return true;
        case Choice::DeviceNetAutobaud:
            deviceNet.autobaud = value != 0;
            return true;
        case Choice::DeviceNetSwapIo:
            deviceNet.swapIo = value != 0;
            return true;
        case Choice::DeviceNetStatusInInput:
            deviceNet.statusInInput = value != 0;
            return true;
        case Choice::EthernetDhcp:
            ethernet.dhcpIndex = value;
            return true;
        case Choice::EthernetSpeed:
            ethernet.speedIndex = value;
            return true;
        case Choice::EthernetDuplex:
            ethernet.duplexIndex = value;
            return true;
        case Choice::EthernetModbusTimeout:
            ethernet.modbusTimeoutMs = value;
            return true;
        default:
            return false;
    }
}

// The Modbus and J1939 choices.
void ApplySerialChoice(CConfiguration& config, Choice choice, std::uint32_t value) {
    ModbusSettings& modbus = ModbusRecordOf(config);
    switch (choice) {
        case Choice::ModbusBaud:
            modbus.baudRate = value;
            break;
        case Choice::ModbusParity:
            modbus.parity = value;
            break;
        case Choice::ModbusStopBits:
            modbus.stopBits = value;
            break;
        case Choice::ModbusWatchdog:
            modbus.watchdogMs = value;
            break;
        case Choice::ModbusNetworkType:
            config.modbusEnhanced.networkType = value;
            break;
        case Choice::ModbusNetworkDuplex:
            config.modbusEnhanced.networkDuplex = value;
            break;
        case Choice::J1939BusOffReset:
            config.j1939.busOffReset = value != 0;
            break;
        case Choice::J1939SwapIo:
            config.j1939.swapIo = value != 0;
            break;
        case Choice::J1939Baud:
            config.j1939.baudIndex = static_cast<std::int32_t>(value);
            break;
        default:
            break;
    }
}

}  // namespace

void ApplyChoice(CConfiguration& config, Choice choice, std::uint32_t value) {
    if (!ApplyNetworkChoice(config, choice, value)) {
        ApplySerialChoice(config, choice, value);
    }
}

}  // namespace gantry::tool
