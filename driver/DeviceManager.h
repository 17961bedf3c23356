// The connected devices of this copy of the library, keyed by device id, and
// the translation of driver errors into the entry points' return codes.
//
// Called from the client's thread only, one call at a time; the worker
// threads of the devices never touch the map.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "driver/Device.h"

namespace gantry::driver {

class DeviceManager {
public:
    DeviceManager() = default;
    // Destroys every device still connected (threads stopped, ports closed).
    ~DeviceManager();
    DeviceManager(const DeviceManager&) = delete;
    DeviceManager& operator=(const DeviceManager&) = delete;

    // 0, or the driver error negated: -135 for an id or a port already
    // connected, -240 for a zero id, a null name or queue, or any failure.
    std::int16_t Connect(std::int32_t deviceId, const char* portName, std::int32_t protocol,
                         CPacketQueue* transmitQueue, CPacketQueue* commandQueue,
                         CPacketQueue* receiveQueue);
    // 0 when disconnected or unknown; a driver error (positive) otherwise.
    std::int16_t Disconnect(std::int32_t deviceId);
    std::uint8_t SetReceiveFlag(std::int32_t deviceId, std::uint32_t flag);
    std::uint8_t TrafficDetected(std::int32_t deviceId);

private:
    void ConnectDevice(std::int32_t deviceId, const std::string& portName, std::int32_t protocol,
                       CPacketQueue* transmitQueue, CPacketQueue* commandQueue,
                       CPacketQueue* receiveQueue);
    CDevice* Find(std::int32_t deviceId);

    std::map<std::int32_t, std::unique_ptr<CDevice>> m_devices;
};

}  // namespace gantry::driver
