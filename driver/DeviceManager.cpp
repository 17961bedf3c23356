#include "driver/DeviceManager.h"

#include "common/Assert.h"
#include "driver/DriverError.h"
#include "driver/DriverInterface.h"

namespace gantry::driver {

DeviceManager::~DeviceManager() {
    for (auto& entry : m_devices) {
        entry.second.reset();
    }
    m_devices.clear();
    GY_ASSERT(m_devices.size() == 0);
}

CDevice* DeviceManager::Find(std::int32_t deviceId) {
    const auto found = m_devices.find(deviceId);
    return found == m_devices.end() ? nullptr : found->second.get();
}

void DeviceManager::ConnectDevice(std::int32_t deviceId, const std::string& portName,
                                  std::int32_t protocol, CPacketQueue* transmitQueue,
                                  CPacketQueue* commandQueue, CPacketQueue* receiveQueue) {
    if (Find(deviceId) != nullptr) {
        ThrowDriverError(DE_DeviceInUse);
    }
    // Two names of one device (COM3 and the path it links to) are one port.
    const std::string path = CanonicalPortPath(portName);
    for (const auto& entry : m_devices) {
        if (entry.second->PortName() == portName || entry.second->PortPath() == path) {
            ThrowDriverError(DE_DeviceInUse);
        }
    }
    auto device = std::make_unique<CDevice>(deviceId, portName, protocol, transmitQueue,
                                            commandQueue, receiveQueue);
    CDevice* started = device.get();
    m_devices[deviceId] = std::move(device);
    if (!started->StartThread()) {
        m_devices.erase(deviceId);
        ThrowDriverError(DE_UnknownDriverError);
    }
}

std::int16_t DeviceManager::Connect(std::int32_t deviceId, const char* portName,
                                    std::int32_t protocol, CPacketQueue* transmitQueue,
                                    CPacketQueue* commandQueue, CPacketQueue* receiveQueue) {
    // Caller errors are answered, not fatal: the client may be any program.
    if (deviceId == 0 || portName == nullptr || transmitQueue == nullptr ||
        commandQueue == nullptr || receiveQueue == nullptr) {
        return -DE_UnknownDriverError;
    }
    try {
        ConnectDevice(deviceId, portName, protocol, transmitQueue, commandQueue, receiveQueue);
        return 0;
    } catch (const CDriverError& error) {
        const std::int16_t nErrorCode = error.GetErrorCode();
        GY_ASSERT(nErrorCode > 0);
        return static_cast<std::int16_t>(-nErrorCode);
    } catch (...) {
        return -DE_UnknownDriverError;
    }
}

std::int16_t DeviceManager::Disconnect(std::int32_t deviceId) {
    const auto found = m_devices.find(deviceId);
    if (found == m_devices.end()) {
        return 0;
    }
    std::unique_ptr<CDevice> device = std::move(found->second);
    const auto nNumErased = m_devices.erase(deviceId);
    GY_ASSERT(nNumErased == 1);
    std::int16_t result = 0;
    try {
        device->StopThread();
        device->Disconnect();  // the gateway's answer is not reported
    } catch (const CDriverError& error) {
        result = error.GetErrorCode();
    } catch (...) {
        result = DE_UnknownDriverError;
    }
    device.reset();
    return result;
}

std::uint8_t DeviceManager::SetReceiveFlag(std::int32_t deviceId, std::uint32_t flag) {
    CDevice* device = Find(deviceId);
    if (device == nullptr) {
        return 0;
    }
    device->SetReceiveFlag(static_cast<std::uint8_t>(flag & 0xFF));
    return 1;
}

std::uint8_t DeviceManager::TrafficDetected(std::int32_t deviceId) {
    CDevice* device = Find(deviceId);
    return device == nullptr ? 0 : device->TrafficDetected();
}

}  // namespace gantry::driver

namespace {

using gantry::CPacketQueue;
using gantry::driver::DE_UnknownDriverError;
using gantry::driver::DeviceManager;

// Created on first use, destroyed when the library is unloaded.
DeviceManager& Manager() {
    static DeviceManager manager;
    return manager;
}

}  // namespace

SP_API std::uint64_t SP_GetDllVersionInfo() {
    // The description's address does not fit the high half on 64-bit targets.
    const std::uint64_t description =
        sizeof(void*) == 4 ? reinterpret_cast<std::uintptr_t>(f_szDriverDescription) : 0;
    return (description << 32) | f_nDriverVersion;
}

SP_API std::int16_t SP_Connect(std::int32_t deviceId, const char* portName, std::int32_t protocol,
                               CPacketQueue* transmitQueue, CPacketQueue* commandQueue,
                               CPacketQueue* receiveQueue) {
    try {
        return Manager().Connect(deviceId, portName, protocol, transmitQueue, commandQueue,
                                 receiveQueue);
    } catch (...) {
        return -DE_UnknownDriverError;
    }
}

SP_API std::int16_t SP_Disconnect(std::int32_t deviceId) {
    try {
        return Manager().Disconnect(deviceId);
    } catch (...) {
        return DE_UnknownDriverError;
    }
}

SP_API std::uint8_t SP_SetReceiveFlag(std::int32_t deviceId, std::uint32_t flag) {
    try {
        return Manager().SetReceiveFlag(deviceId, flag);
    } catch (...) {
        return 0;
    }
}

SP_API std::uint8_t SP_TrafficDetected(std::int32_t deviceId) {
    try {
        return Manager().TrafficDetected(deviceId);
    } catch (...) {
        return 0;
    }
}
