// Internal consistency checks. They guard programming errors, never input: a
// failed check prints the expression text with its place and stops the program.
#pragma once

namespace gantry {

[[noreturn]] void GantryAssertFailed(const char* expression, const char* file, int line);

#define GY_ASSERT(expression)            \
    ((expression) ? static_cast<void>(0) \
                  : ::gantry::GantryAssertFailed(#expression, __FILE__, __LINE__))

}  // namespace gantry
