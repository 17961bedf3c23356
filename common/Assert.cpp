#include "common/Assert.h"

#include <cstdio>
#include <cstdlib>

namespace gantry {

void GantryAssertFailed(const char* expression, const char* file, int line) {
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expression, file, line);
    std::abort();
}

}  // namespace gantry
