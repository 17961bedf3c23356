// Configurations with distinctive values for the file and JSON tests.
#pragma once

#include <utility>
#include <vector>

#include "tool/device/DeviceRequest.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/model/ConfigFile.h"

using namespace gantry::tool;

// The five known pairs and two that exercise the remaining sections.
inline std::vector<std::pair<std::uint32_t, std::uint32_t>> TestPairs() {
    return {{1, 6}, {1, 11}, {9, 8}, {9, 6}, {9, 11}, {12, 9}, {2, 8}};
}

// A configuration of the pair whose every record holds non-default values
// that the file keeps in all versions from 6 down.
inline CConfiguration MakeTestConfiguration(std::uint32_t client, std::uint32_t server) {
    CConfiguration config;
    config.clientType = client;
    config.serverType = server;
    config.SetRevision(
        LookupProductCombination(static_cast<int>(client), static_cast<int>(server)).revision);
    config.deviceNet.macAddress = 12;
    config.deviceNet.baudIndex = 2;
    config.deviceNet.autobaud = true;
    config.deviceNet.swapIo = true;
    config.deviceNet.statusInInput = true;
    config.deviceNet.inputSafeState = 1;
    config.modbus.networkAddress = 17;
    config.modbus.baudRate = 9600;
    config.modbus.parity = 2;
    config.modbus.stopBits = 2;
    config.modbus.watchdogMs = 1234;
    config.modbusEnhanced.networkAddress = 33;
    config.modbusEnhanced.baudRate = 4800;
    config.modbusEnhanced.parity = 1;
    config.modbusEnhanced.networkType = 1;
    config.modbusEnhanced.networkDuplex = 1;
    config.j1939.name = {1, 2, 3, 4, 5, 6, 7, 8};
    config.j1939.addressList = {128, 129, 0, 255};
    config.j1939.busOffReset = true;
    config.j1939.swapIo = true;
    config.j1939.statusInInput = true;
    config.j1939.offlineTimeMs = 2500;
    config.SelectJ1939BaudIndex(1);
    for (std::uint16_t i = 0; i < 3; ++i) {
        tagJ1939DataPoint input{
            JT_Input, static_cast<std::uint16_t>(16 * (2 - i)), 16, 100, 7, 61444u + i, 8, 3};
        config.io.Add(input);
        tagJ1939DataPoint output{JT_Output, static_cast<std::uint16_t>(8 * i), 8, 50, 9, 65280u + i,
                                 0,         static_cast<std::uint8_t>(i)};
        config.io.Add(output);
    }
    config.io.Add(tagJ1939DataPoint{JT_ActiveDtc, 48, 80, 0, 0, f_nDm1Pgn, 0, 6});
    config.ethernet.ip = {192, 168, 1, 20};
    config.ethernet.subnetMask = {255, 255, 255, 0};
    config.ethernet.gateway = {192, 168, 1, 1};
    config.ethernet.dhcpIndex = 0;
    config.ethernet.speedIndex = 2;
    config.ethernet.duplexIndex = 1;
    config.ethernet.modbusTimeoutMs = 750;
    config.ethernet.ioSize = 300;
    config.UpdateLimits();
    return config;
}
