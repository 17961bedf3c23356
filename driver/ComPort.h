// The serial line to one gateway: a plain byte pipe. Cutting the bytes into
// DF1 units is the link's business (CDf1UnitReader).
#pragma once

#include <chrono>

#include "driver/ByteMessage.h"

namespace gantry::driver {

class CComPort {
public:
    virtual ~CComPort() = default;

    // Hands every byte of a non-empty message to the line; false when the line
    // refused it or did not take it within the port's time-out.
    virtual bool Write(const ByteMessage& message) = 0;

    // The bytes that have arrived, waiting up to `wait` for the first of them;
    // the empty message when none came. Raises driver error 142 when the line
    // fails or has gone.
    virtual ByteMessage Read(std::chrono::milliseconds wait) = 0;
};

}  // namespace gantry::driver
