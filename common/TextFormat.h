// printf-style formatting into a std::string, for texts laid out from numbers
// ("%02X", "%u.%u.%u.%u"). The whole text is returned, however long.
#pragma once

#include <string>

namespace gantry {

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace gantry
