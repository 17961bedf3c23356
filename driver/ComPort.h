// The serial line to one gateway: write a byte message, read one link unit.
#pragma once

#include <chrono>

#include "driver/ByteMessage.h"

namespace gantry::driver {

class CComPort {
public:
    using Deadline = std::chrono::steady_clock::time_point;

    virtual ~CComPort() = default;

    // Hands every byte of a non-empty message to the line; false when the line
    // refused it or did not take it within the port's time-out.
    virtual bool Write(const ByteMessage& message) = 0;

    // One whole DF1 frame or control message, possibly preceded by stray bytes,
    // or the empty message when nothing (complete) arrived. An idle line gives
    // the empty message after about 1 ms. A partial unit is read on until it is
    // complete, about 5 s pass without a byte, `deadline` passes, or it grows
    // longer than any unit; then the bytes are dropped. Raises driver error 142
    // when the line fails.
    virtual ByteMessage Read(Deadline deadline) = 0;
    ByteMessage Read() { return Read(Deadline::max()); }
};

}  // namespace gantry::driver
