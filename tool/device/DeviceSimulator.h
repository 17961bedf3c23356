// The simulated gateway: answers encoded object requests from, and stores
// writes into, a profile file in the GYSim.ini format. Stateless apart from the
// file and the image size announced by the last firmware update request. One
// thread at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "common/Clock.h"

namespace gantry::tool {

class DeviceSimulator {
public:
    // `profile` is a GYSim.ini-format file; a name without '/' lies in the Gantry directory.
    explicit DeviceSimulator(std::string profile = "GYSim.ini");
    // Complete mode (off by default): every attribute the tool writes is stored and read
    // back, 14-byte I/O point records are accepted, Save answers 0, and Reset makes the
    // gateway unreachable for the reset downtime. Off: the plain simulator's behaviour.
    void SetCompleteMode(bool complete);
    void SetResetDowntime(std::chrono::milliseconds downtime);
    // The clock the reset downtime runs on (the system clock unless set; it
    // must outlive the simulator).
    void SetClock(IClock& clock) { m_clock = &clock; }
    // True while a Reset's downtime lasts (complete mode only).
    bool IsUnreachable() const;
    // Answers the encoded request in buffer[0..length) in place: writes the encoded reply
    // into buffer (room for `capacity` bytes) and returns its length. Never fails: every
    // refusal is a general status with no data.
    int SimulateRequest(std::uint8_t* buffer, int length, int capacity);

    const std::string& Profile() const { return m_profile; }
    bool IsCompleteMode() const { return m_complete; }
    // The image size announced by the last firmware update request.
    std::uint32_t AnnouncedImageSize() const { return m_imageSize; }

private:
    friend class CSimHandlers;
    // Complete mode: the gateway stays unreachable for the reset downtime.
    void BeginResetDowntime();

    std::string m_profile;
    bool m_complete = false;
    std::chrono::milliseconds m_resetDowntime{0};
    IClock* m_clock = &SystemClock();
    std::chrono::milliseconds m_unreachableUntil{0};
    std::uint32_t m_imageSize = 0;
};

}  // namespace gantry::tool
