// Time for the libraries and the tool: the millisecond tick count and a
// debugger-output channel.
#pragma once

#include <cstdint>
#include <string>

// Milliseconds of a monotonic clock, truncated to 32 bits (wraps after ~49 days;
// compare tick counts by unsigned difference).
std::uint32_t GetTickCount32();

// Writes `text` and a line feed to standard error when GANTRY_DEBUG is set in
// the environment; otherwise does nothing. Never throws.
void OutputDebugText(const std::string& text);
