// The trace log GyConfig.log in the Gantry directory, appended to by the tool
// and by the driver's threads.
#pragma once

#include <ctime>
#include <string>

namespace gantry {

// Appends one record: the 24-character local time stamp ("Mon Dec 07 20:23:48
// 2026", English whatever the locale), then a tab and the class name unless it
// is empty, then "::" and the method name unless it is empty, then two tabs,
// the message and a line feed. The record goes out in one write() on a file
// opened with O_APPEND, so records of different threads and processes never
// interleave. Never throws; a file that cannot be written loses the record, and
// so does anything in the log's place that is not a regular file (a FIFO or a
// device is never written to, nor waited for).
// Any thread may call it.
void WriteTraceLog(std::string className, std::string methodName, std::string message);

// The record WriteTraceLog would write at time `when` (no I/O).
std::string FormatTraceRecord(std::time_t when, const std::string& className,
                              const std::string& methodName, const std::string& message);

// The 24-character time stamp of `when` in local time.
std::string FormatTraceTime(std::time_t when);

}  // namespace gantry
