#include "common/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace gantry {

namespace {

constexpr int f_nNameAttempts = 100;

// The file a write replaces: the target of a symbolic link (which must
// exist), else `path`.
bool ResolveTarget(const std::string& path, std::filesystem::path& target) {
    target = path;
    std::error_code error;
    if (std::filesystem::symlink_status(target, error).type() !=
        std::filesystem::file_type::symlink) {
        return true;  // a plain file, or none yet
    }
    target = std::filesystem::canonical(target, error);
    return !error;
}

// Creates a new temporary file beside `target` with mode 0666 (less the
// umask); its descriptor, or -1.
int CreateTemporary(const std::filesystem::path& target, std::string& name) {
    static std::atomic<unsigned> counter{0};
    const auto parent = target.has_parent_path() ? target.parent_path() : ".";
    for (int attempt = 0; attempt < f_nNameAttempts; ++attempt) {
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".%d.%u.%llx", static_cast<int>(::getpid()), counter++,
                      static_cast<unsigned long long>(ticks) & 0xFFFFFF);
        name = (parent / ("." + target.filename().string() + suffix)).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::filesystem::path target;
    if (!ResolveTarget(path, target)) {
        return false;
    }
    std::string temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0) {
        return false;
    }
    bool ok = WriteAll(fd, bytes);
    struct stat existing {};
    if (ok && ::stat(target.c_str(), &existing) == 0) {
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
    return WriteFileAtomically(
        path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                            text.size()));
}

}  // namespace gantry
