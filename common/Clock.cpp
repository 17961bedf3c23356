#include "common/Clock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

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
