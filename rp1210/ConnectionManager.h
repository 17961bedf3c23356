// The client connections of the library and the driver libraries they use.
//
// Every operation may be called from any thread. One lock guards the
// connection map, the driver list, every connection's state and every call
// into a driver (the drivers' entry points expect one caller at a time). A
// blocking read never holds the lock while it waits: it polls about every
// millisecond and gives up with 129 as soon as its client is disconnected
// (148 once the client's link is closed by command 0).
//
// Failures are thrown as CException with their RP1210 code.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace gantry::rp1210 {

class ConnectionManager {
public:
    ConnectionManager();
    // Disconnects every remaining client as Disconnect would and unloads every
    // driver.
    ~ConnectionManager();
    ConnectionManager(const ConnectionManager&) = delete;
    ConnectionManager& operator=(const ConnectionManager&) = delete;

    // Returns the new client id (0..127). Throws 202/134 for the INI file, 136
    // for a protocol other than "CIP" and "J1708", 149 when the only client
    // connected is in J1708 mode 0, 204/205 for the driver, 131 when all ids
    // are taken, and the driver's refusal of the connect.
    std::int16_t Connect(std::int32_t deviceId, const char* protocol, std::int32_t sendSize,
                         std::int32_t receiveSize);
    void Disconnect(std::int16_t clientId);
    // Throws 129 for an unknown client, 148 after command 0, 207 for a size
    // the packet cannot take, 137 when the transmit queue is full.
    void Send(std::int16_t clientId, const std::uint8_t* message, std::int32_t size);
    // Returns the number of bytes written, or 0 when there is no message (or
    // the MID filter dropped it). With `blocking`, waits until a message
    // arrives or the client goes away.
    std::int16_t Read(std::int16_t clientId, std::uint8_t* buffer, std::int16_t size,
                      bool blocking);
    // The command pre-check is the caller's; this looks the client up and runs it.
    void Command(std::int16_t command, std::int16_t clientId, const std::uint8_t* buffer,
                 std::int16_t size);
    // Writes the 16 status bytes.
    void Status(std::int16_t clientId, std::uint8_t* buffer);

    // Disconnects every client as Disconnect would and unloads every driver.
    void DisconnectAll();
    // Called (under the lock) each time a driver library has been loaded.
    void SetDriverLoadedHook(std::function<void()> hook);

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

// The command pre-check, made before the client id is looked up: throws 128,
// 143, 206, 207 or 144.
void PreCheckCommand(std::int16_t command, const char* buffer, std::int16_t size);

}  // namespace gantry::rp1210
