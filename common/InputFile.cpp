#include "common/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace gantry {

namespace {

std::string OpenFailure(const std::string& path, int error) {
    if (error == ENOENT || error == ENOTDIR) {
        return path + " does not exist.";
    }
    return path + " cannot be read: " + std::strerror(error) + ".";
}

// The type check made on the opened file, so that what is read is what was judged.
std::string TypeProblem(const std::string& path, const struct stat& info, std::size_t maxBytes) {
    if (S_ISDIR(info.st_mode)) {
        return path + " is a directory, not a file.";
    }
    if (!S_ISREG(info.st_mode)) {
        return path + " is not a regular file.";
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        return path + " is too large (" + std::to_string(info.st_size) + " bytes; at most " +
               std::to_string(maxBytes) + ").";
    }
    return "";
}

}  // namespace

InputFileResult ReadInputFile(const std::string& path, std::size_t maxBytes) {
    InputFileResult result;
    // O_NONBLOCK: opening a FIFO with no writer must not wait for one
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.absent = errno == ENOENT || errno == ENOTDIR;
        result.error = OpenFailure(path, errno);
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        result.error = OpenFailure(path, errno);
    } else {
        result.error = TypeProblem(path, info, maxBytes);
    }
    std::vector<std::uint8_t> bytes;
    // one byte more than allowed tells a file that grew since fstat
    std::uint8_t chunk[4096];
    while (result.error.empty()) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            result.error = OpenFailure(path, errno);
        } else if (n == 0) {
            break;
        } else if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
            result.error =
                path + " is too large (more than " + std::to_string(maxBytes) + " bytes).";
        } else {
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
    }
    ::close(fd);
    if (result.error.empty()) {
        result.bytes = std::move(bytes);
    }
    return result;
}

}  // namespace gantry
