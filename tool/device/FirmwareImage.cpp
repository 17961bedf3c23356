#include "tool/device/FirmwareImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace gantry::tool {

namespace {

// A name that leads out of the folder it is taken from: absolute, or with a
// ".." part (either slash separates parts, as in descriptions written on Windows).
bool LeavesFolder(const std::string& name) {
    if (name.empty() || name[0] == '/' || name[0] == '\\') {
        return true;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        end = end == std::string::npos ? name.size() : end;
        if (name.compare(start, end - start, "..") == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace

CFirmwareImage::~CFirmwareImage() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool CFirmwareImage::Open(const std::string& directory, const std::string& name, std::uint32_t size,
                          std::string& message) {
    if (LeavesFolder(name)) {
        message = "The image file " + name + " lies outside the folder of the update description";
        return false;
    }
    const std::string path = directory + name;
    // O_NONBLOCK: a FIFO without a writer must not stall the check
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0) {
        message = "Unable to open the image file " + path;
    } else if (!S_ISREG(info.st_mode)) {
        message = "The image file " + path + " is not a regular file";
    } else if (info.st_size == 0) {
        message = "The image file " + path + " is empty";
    } else if (info.st_size != static_cast<off_t>(size)) {
        // an image that does not match its description is never written
        message = "FileSize of " + path + " does not match nvs files";
    } else {
        m_size = size;
        return true;
    }
    return false;
}

bool CFirmwareImage::Read(std::uint32_t offset, std::span<std::uint8_t> into) const {
    std::size_t done = 0;
    while (m_fd >= 0 && done < into.size()) {
        const ssize_t n = ::pread(m_fd, into.data() + done, into.size() - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return done == into.size();
}

}  // namespace gantry::tool
