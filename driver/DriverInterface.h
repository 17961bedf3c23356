// The five entry points of libKVGYSrl.so, as its client binds them by name.
#pragma once

#include <cstdint>

namespace gantry {
class CPacketQueue;
}  // namespace gantry

// The declarations the driver defines and its client's function types derive
// from, so that a change on either side fails to compile.
#define SP_API extern "C" __attribute__((visibility("default")))

// The version number travels in the low 32 bits; the high half is 0 on 64-bit
// targets (the description text's address would not fit).
SP_API std::uint64_t SP_GetDllVersionInfo();
// 0 = connected, else the driver error negated (-135, -136, -142, -240, ...).
SP_API std::int16_t SP_Connect(std::int32_t deviceId, const char* portName, std::int32_t protocol,
                               gantry::CPacketQueue* transmitQueue,
                               gantry::CPacketQueue* commandQueue,
                               gantry::CPacketQueue* receiveQueue);
// 0 = disconnected or no such device, else the driver error (positive).
SP_API std::int16_t SP_Disconnect(std::int32_t deviceId);
// 1 = the device exists and took the flag (its low byte), 0 = no such device.
SP_API std::uint8_t SP_SetReceiveFlag(std::int32_t deviceId, std::uint32_t flag);
// The device's traffic flag; 0 for an unknown device.
SP_API std::uint8_t SP_TrafficDetected(std::int32_t deviceId);

using SP_GetDllVersionInfoFn = decltype(&SP_GetDllVersionInfo);
using SP_ConnectFn = decltype(&SP_Connect);
using SP_DisconnectFn = decltype(&SP_Disconnect);
using SP_SetReceiveFlagFn = decltype(&SP_SetReceiveFlag);
using SP_TrafficDetectedFn = decltype(&SP_TrafficDetected);

// The text the version describes the library with.
constexpr const char* f_szDriverDescription = "Gantry Serial Protocol DLL 1.0";
constexpr std::uint32_t f_nDriverVersion = 1;
