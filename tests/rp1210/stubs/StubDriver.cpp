// A stand-in for the serial driver: a real shared library with the five SP_
// entry points, built in several variants for the RP1210 library's tests.
//
//  - Every call is appended, with its arguments, to <GANTRY_DIR>/<STUB_NAME>.log
//    ("load" and "unload" mark the library's life).
//  - STUB_CONNECT_RESULT in the environment scripts SP_Connect's result
//    (default 0, connected).
//  - STUB_VERSION sets the low half of the version value (default 1).
//  - STUB_WITHOUT_SET_RECEIVE_FLAG leaves SP_SetReceiveFlag out.
//  - STUB_ECHO runs a worker per device that moves every transmitted packet
//    back into the receive queue, as a gateway answering at once would.
// Tests reach a connected device's queues through the Stub_ hooks.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "common/GantryDirectory.h"
#include "common/PacketQueue.h"

using namespace gantry;

#define STUB_EXPORT extern "C" __attribute__((visibility("default")))

#ifndef STUB_VERSION
#define STUB_VERSION 1
#endif

namespace {

#ifdef STUB_ECHO
constexpr bool f_bEcho = true;
#else
constexpr bool f_bEcho = false;
#endif

struct StubDevice {
    std::string port;
    std::int32_t protocol = 0;
    CPacketQueue* transmit = nullptr;
    CPacketQueue* command = nullptr;
    CPacketQueue* receive = nullptr;
    std::atomic<bool> stop{false};
    std::thread worker;
};

std::mutex g_lock;  // protects g_devices and the log file
std::map<std::int32_t, StubDevice*> g_devices;

void Destroy(StubDevice* device) {
    device->stop = true;
    if (device->worker.joinable()) {
        device->worker.join();
    }
    delete device;
}
std::atomic<std::uint8_t> g_traffic{0};

void Log(const std::string& line) {
    std::lock_guard<std::mutex> guard(g_lock);
    const std::string path = ResolveGantryPath(std::string(STUB_NAME) + ".log");
    if (std::FILE* file = std::fopen(path.c_str(), "a")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

template <class Packet>
void EchoOne(StubDevice& device) {
    Packet packet;
    if (!device.transmit->Pop(packet)) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        return;
    }
    packet.m_nTimeStamp = 0x12345678;
    packet.m_bEcho = 1;
    while (!device.receive->Push(packet) && !device.stop) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

void EchoLoop(StubDevice* device) {
    while (!device->stop) {
        if (device->protocol == PROTOCOL_J1708) {
            EchoOne<CPacket1708>(*device);
        } else {
            EchoOne<CPacketCIP>(*device);
        }
    }
}

StubDevice* FindDevice(std::int32_t deviceId) {
    std::lock_guard<std::mutex> guard(g_lock);
    const auto hit = g_devices.find(deviceId);
    return hit == g_devices.end() ? nullptr : hit->second;
}

struct LifeMarker {
    LifeMarker() { Log("load"); }
    ~LifeMarker() {
        for (auto& [deviceId, device] : g_devices) {
            Destroy(device);
        }
        Log("unload");
    }
} g_lifeMarker;

}  // namespace

STUB_EXPORT std::uint64_t SP_GetDllVersionInfo() {
    Log("SP_GetDllVersionInfo");
    static const char kDescription[] = "Stub driver";
    return (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(kDescription)) << 32) |
           static_cast<std::uint32_t>(STUB_VERSION);
}

STUB_EXPORT std::int16_t SP_Connect(std::int32_t deviceId, const char* port, std::int32_t protocol,
                                    CPacketQueue* transmit, CPacketQueue* command,
                                    CPacketQueue* receive) {
    Log("SP_Connect " + std::to_string(deviceId) + " [" + port + "] " + std::to_string(protocol));
    const char* scripted = std::getenv("STUB_CONNECT_RESULT");
    const int result = scripted != nullptr ? std::atoi(scripted) : 0;
    if (result < 0 || result > 126) {
        return static_cast<std::int16_t>(result);
    }
    auto* device = new StubDevice;
    device->port = port;
    device->protocol = protocol;
    device->transmit = transmit;
    device->command = command;
    device->receive = receive;
    if (f_bEcho) {
        device->worker = std::thread(EchoLoop, device);
    }
    StubDevice* replaced = nullptr;
    {
        // several clients on one device id share the stub's one device entry
        std::lock_guard<std::mutex> guard(g_lock);
        StubDevice*& slot = g_devices[deviceId];
        replaced = slot;
        slot = device;
    }
    if (replaced != nullptr) {
        Destroy(replaced);
    }
    return static_cast<std::int16_t>(result);
}

STUB_EXPORT std::int16_t SP_Disconnect(std::int32_t deviceId) {
    Log("SP_Disconnect " + std::to_string(deviceId));
    StubDevice* device = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        const auto hit = g_devices.find(deviceId);
        if (hit == g_devices.end()) {
            return 0;
        }
        device = hit->second;
        g_devices.erase(hit);
    }
    Destroy(device);
    return 0;
}

#ifndef STUB_WITHOUT_SET_RECEIVE_FLAG
STUB_EXPORT std::uint8_t SP_SetReceiveFlag(std::int32_t deviceId, std::uint32_t flag) {
    Log("SP_SetReceiveFlag " + std::to_string(deviceId) + " " + std::to_string(flag & 0xFF));
    return FindDevice(deviceId) != nullptr ? 1 : 0;
}
#endif

STUB_EXPORT std::uint8_t SP_TrafficDetected(std::int32_t deviceId) {
    Log("SP_TrafficDetected " + std::to_string(deviceId));
    return FindDevice(deviceId) != nullptr ? g_traffic.load() : 0;
}

// Test hooks: the queues of a connected device (null when it is not
// connected), and the traffic flag.
STUB_EXPORT CPacketQueue* Stub_ReceiveQueue(std::int32_t deviceId) {
    StubDevice* device = FindDevice(deviceId);
    return device != nullptr ? device->receive : nullptr;
}

STUB_EXPORT CPacketQueue* Stub_TransmitQueue(std::int32_t deviceId) {
    StubDevice* device = FindDevice(deviceId);
    return device != nullptr ? device->transmit : nullptr;
}

STUB_EXPORT CPacketQueue* Stub_CommandQueue(std::int32_t deviceId) {
    StubDevice* device = FindDevice(deviceId);
    return device != nullptr ? device->command : nullptr;
}

STUB_EXPORT void Stub_SetTraffic(std::uint8_t traffic) {
    g_traffic = traffic;
}
