// The last net of a program's main: an exception that nothing else caught is
// printed as one line on standard error and ends the program with a status of
// its own, instead of aborting it without a word (status 134).
#pragma once

#include <cstdio>
#include <exception>

namespace gantry {

// Runs `body`, which returns main's status. An exception leaving it is printed
// as "PREFIX: an unexpected failure ended the program: WHAT" and `status` is
// returned instead.
template <typename Body>
int RunCatchingAll(const char* prefix, int status, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: an unexpected failure ended the program: %s\n", prefix,
                     error.what());
    } catch (...) {
        std::fprintf(stderr, "%s: an unexpected failure ended the program.\n", prefix);
    }
    return status;
}

}  // namespace gantry
