#include "gateway/FaultInjector.h"

namespace gantry::gateway {

LineFault CFaultInjector::Next() {
    if (m_nEvery <= 0 || std::uniform_int_distribution<int>(1, m_nEvery)(m_random) != 1) {
        return LineFault::None;
    }
    // the cheap faults more often than those that cost the tool a reconnection
    static constexpr LineFault f_kinds[] = {
        LineFault::Corrupt, LineFault::Corrupt, LineFault::Corrupt,
        LineFault::Nak,     LineFault::Nak,     LineFault::Nak,
        LineFault::Silence, LineFault::Vanish,  LineFault::Reset,
    };
    const LineFault kind =
        f_kinds[std::uniform_int_distribution<std::size_t>(0, std::size(f_kinds) - 1)(m_random)];
    ++m_counts[static_cast<int>(kind)];
    return kind;
}

std::chrono::milliseconds CFaultInjector::SilenceLength() {
    return std::chrono::milliseconds(std::uniform_int_distribution<int>(300, 3000)(m_random));
}

std::string CFaultInjector::Summary() const {
    static constexpr const char* f_names[] = {"corrupt", "nak", "silence", "vanish", "reset"};
    std::string text;
    for (int kind = 1; kind <= f_nLineFaultKinds; ++kind) {
        text += (kind > 1 ? ", " : "") + std::string(f_names[kind - 1]) + " " +
                std::to_string(m_counts[kind]);
    }
    return text;
}

}  // namespace gantry::gateway
