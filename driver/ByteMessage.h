// The byte message: every frame, unit and application message inside the driver.
#pragma once

#include <cstdint>
#include <vector>

namespace gantry::driver {

// An ordered, growable sequence of bytes; the empty message means "nothing there".
using ByteMessage = std::vector<std::uint8_t>;

}  // namespace gantry::driver
