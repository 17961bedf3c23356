// A value the gateway reports about itself (a status byte, a fault word, the
// J1939 network address), as the last refresh left it. The records hold the
// value; the screens make its text.
#pragma once

#include <cstdint>

namespace gantry::tool {

struct ReportedValue {
    enum class State : std::uint8_t {
        NotRead,  // no module: the screen shows nothing
        Offline,  // offline mode reads nothing: the screen says so
        Read,     // `value` came from the gateway
    };
    State state = State::NotRead;
    std::uint32_t value = 0;

    void Clear() { *this = ReportedValue{}; }
    void MarkOffline() { state = State::Offline; }
    void Take(std::uint32_t read) {
        state = State::Read;
        value = read;
    }
    bool operator==(const ReportedValue&) const = default;
};

}  // namespace gantry::tool
