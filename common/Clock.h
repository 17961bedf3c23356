// Time for the libraries and the tool: the clock every wait below the screens
// goes through, the millisecond tick count and a debugger-output channel.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace gantry {

// Milliseconds of a monotonic clock, truncated to 32 bits (wraps after ~49 days;
// compare tick counts by unsigned difference).
std::uint32_t GetTickCount32();

// Writes `text` and a line feed to standard error when GANTRY_DEBUG is set in
// the environment; otherwise does nothing. Never throws.
void OutputDebugText(const std::string& text);

// Sleeping and the clock, so that the tool's 10 s reply window, its 500 ms
// connect pauses and run-state polling, the DF1 link's acknowledgement waits
// and the driver's worker can be tested without waiting.
class IClock {
public:
    virtual ~IClock() = default;
    // Blocks the calling thread for `duration` (a fake may only advance Now()).
    // Every wait of a request (the tool's reply polls) comes through here, so a
    // desktop clock may process window events meanwhile (the firmware update
    // keeps its dialog alive that way).
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
    // A monotonic time point in milliseconds.
    virtual std::chrono::milliseconds Now() = 0;
};

// The real clock: std::this_thread::sleep_for and steady_clock (Now() agrees
// with GetTickCount32). Shared; any thread.
IClock& SystemClock();

// A clock whose Sleep returns at once and only advances Now(); counts sleeps.
// For tests and for fast simulated sessions. Any thread may use it.
class CInstantClock : public IClock {
public:
    void Sleep(std::chrono::milliseconds duration) override;
    std::chrono::milliseconds Now() override { return std::chrono::milliseconds(m_now.load()); }
    int SleepCount() const { return m_sleeps; }
    std::chrono::milliseconds Slept() const { return std::chrono::milliseconds(m_slept.load()); }

private:
    std::atomic<std::int64_t> m_now{0};
    std::atomic<std::int64_t> m_slept{0};
    std::atomic<int> m_sleeps{0};
};

}  // namespace gantry
