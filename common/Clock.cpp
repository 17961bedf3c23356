#include "common/Clock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace gantry {

std::uint32_t GetTickCount32() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void OutputDebugText(const std::string& text) {
    static const bool enabled = std::getenv("GANTRY_DEBUG") != nullptr;
    if (enabled) {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
}

namespace {

class CSystemClock : public IClock {
public:
    void Sleep(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
    }
    std::chrono::milliseconds Now() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

}  // namespace

IClock& SystemClock() {
    static CSystemClock clock;
    return clock;
}

void CInstantClock::Sleep(std::chrono::milliseconds duration) {
    m_now += duration.count();
    m_slept += duration.count();
    ++m_sleeps;
}

}  // namespace gantry
