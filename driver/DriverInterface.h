// The five entry points of libKVGYSrl.so, as its client binds them by name.
#pragma once

#include <cstdint>

class CPacketQueue;

// The version number travels in the low 32 bits; the high half is 0 on 64-bit
// targets (the description text's address would not fit).
using SP_GetDllVersionInfoFn = std::uint64_t (*)();
// 0 = connected, else the driver error negated (-135, -136, -142, -240, ...).
using SP_ConnectFn = std::int16_t (*)(std::int32_t deviceId, const char* portName,
                                      std::int32_t protocol, CPacketQueue* transmitQueue,
                                      CPacketQueue* commandQueue, CPacketQueue* receiveQueue);
// 0 = disconnected or no such device, else the driver error (positive).
using SP_DisconnectFn = std::int16_t (*)(std::int32_t deviceId);
// 1 = the device exists and took the flag (its low byte), 0 = no such device.
using SP_SetReceiveFlagFn = std::uint8_t (*)(std::int32_t deviceId, std::uint32_t flag);
// The device's traffic flag; 0 for an unknown device.
using SP_TrafficDetectedFn = std::uint8_t (*)(std::int32_t deviceId);

// The text the version describes the library with.
constexpr const char* f_szDriverDescription = "Gantry Serial Protocol DLL 1.0";
constexpr std::uint32_t f_nDriverVersion = 1;
