// The binding to one driver library (libKVGYSrl.so or any library with the
// same five SP_ entry points), and the KV121032.INI look-up that names it.
//
// One Lib exists per distinct driver file name; the connection manager owns
// them and unloads a driver when its last client connection is gone. Not
// thread-safe: the connection manager calls every member under its lock, and
// the driver's entry points expect one caller at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace gantry {
class CPacketQueue;
}  // namespace gantry

namespace gantry::rp1210 {

// Number of clients a Lib may ever count; client ids stop at 127 long before.
constexpr std::int32_t f_nReasonableMaximumClientCount = 200;

// The DeviceParams value of section DeviceInformation<deviceId> of
// KV121032.INI in the Gantry directory (at most 99 characters).
// Throws 202 when the file is missing or has no section, 134 when the key is
// missing or empty.
std::string ReadDeviceParams(std::int32_t deviceId);

class Lib {
public:
    // Loads the driver `fileName` (searched the usual way when it holds no
    // '/'), asks its version and binds its five entry points. Throws 204 when
    // the name is 80 characters or longer, the file does not load or an entry
    // point is missing, 205 when the version's low half is above 1. A driver
    // that fails a check is unloaded again.
    explicit Lib(const std::string& fileName);
    // Unloads the driver.
    ~Lib();
    Lib(const Lib&) = delete;
    Lib& operator=(const Lib&) = delete;

    const std::string& FileName() const;
    std::uint64_t Version() const;

    // Client count: a connection adds itself when built and removes itself
    // when destroyed.
    void AddClient();
    void RemoveClient();
    std::int32_t ClientCount() const;

    // The driver's entry points. Connect returns the driver's raw 16-bit result
    // (0..126 connected, else normally a negated error code).
    std::int16_t Connect(std::int32_t deviceId, const std::string& port, std::int32_t protocol,
                         CPacketQueue* transmit, CPacketQueue* command, CPacketQueue* receive);
    std::int16_t Disconnect(std::int32_t deviceId);
    std::uint8_t TrafficDetected(std::int32_t deviceId);

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

}  // namespace gantry::rp1210
