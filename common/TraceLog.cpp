#include "common/TraceLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "common/GantryDirectory.h"

namespace gantry {

std::string FormatTraceTime(std::time_t when) {
    // Names spelled out here rather than through strftime: the tool may run
    // under any locale and the log is read in English.
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) {
        return std::string(24, '?');
    }
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %04d", kDays[local.tm_wday % 7],
                  kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min,
                  local.tm_sec, local.tm_year + 1900);
    return text;
}

std::string FormatTraceRecord(std::time_t when, const std::string& className,
                              const std::string& methodName, const std::string& message) {
    std::string record = FormatTraceTime(when);
    if (!className.empty()) {
        record += '\t';
        record += className;
    }
    if (!methodName.empty()) {
        record += "::";
        record += methodName;
    }
    record += "\t\t";
    record += message;
    record += '\n';
    return record;
}

void WriteTraceLog(std::string className, std::string methodName, std::string message) {
    try {
        const std::string record =
            FormatTraceRecord(std::time(nullptr), className, methodName, message);
        const std::string directory = GantryDirectory();
        MakeDirectories(directory);
        const std::string path = directory + "/GyConfig.log";
        // O_NONBLOCK: a FIFO in the log's place must not stall the caller
        const int fd = ::open(
            path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            if (fd >= 0) {
                ::close(fd);  // only a regular file is appended to
            }
            return;
        }
        // one write per record: O_APPEND makes each one land whole at the end
        const ssize_t written = ::write(fd, record.data(), record.size());
        (void)written;
        ::close(fd);
    } catch (...) {
        // logging never changes the outcome of the caller
    }
}

}  // namespace gantry
