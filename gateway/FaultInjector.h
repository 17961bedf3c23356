// Faults the virtual gateway injects at random, for soak runs: on average one
// in every `every` frames received meets a fault of a kind drawn from the
// seed, so the same seed and the same traffic give the same faults.
//
// The line's thread only; the counts may be read after it stopped.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>

namespace gantry::gateway {

enum class LineFault {
    None,
    Corrupt,  // the reply to this frame goes out with a spoiled check byte
    Nak,      // this frame is answered with NAK and dropped
    Silence,  // this frame and everything for a while are ignored
    Vanish,   // the port goes away and comes back as a new line
    Reset,    // the gateway restarts: link state lost, deaf for its downtime
};
inline constexpr int f_nLineFaultKinds = 5;

class CFaultInjector {
public:
    // `every` 0: never a fault.
    CFaultInjector(std::uint32_t seed, int every) : m_random(seed), m_nEvery(every) {}

    // The fault for the next good frame received (None most of the time).
    LineFault Next();
    // How long a silence lasts: 0.3 to 3 s, drawn from the seed.
    std::chrono::milliseconds SilenceLength();

    // Faults injected so far of `kind`.
    std::uint64_t Count(LineFault kind) const { return m_counts[static_cast<int>(kind)]; }
    // "corrupt 3, nak 1, silence 0, vanish 2, reset 1".
    std::string Summary() const;

private:
    std::mt19937 m_random;
    int m_nEvery;
    std::array<std::uint64_t, f_nLineFaultKinds + 1> m_counts{};
};

}  // namespace gantry::gateway
