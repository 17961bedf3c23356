#include "common/AtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace gantry {

namespace {

constexpr int f_nNameAttempts = 100;

// The temporary files of the writes under way, for the signal handler: a slot
// is free (0), being filled or emptied (1), or names a file (2). Atomics of int
// are lock-free, so the handler may read them.
struct TemporaryName {
    std::atomic<int> state{0};
    char name[PATH_MAX] = {};
};
constexpr int f_nTrackedWrites = 16;
TemporaryName g_temporaries[f_nTrackedWrites];

// The slot now naming `name`, or -1 when all are taken (the write goes on
// untracked).
int Track(const std::string& name) {
    for (int slot = 0; slot < f_nTrackedWrites && name.size() < PATH_MAX; ++slot) {
        int expected = 0;
        if (g_temporaries[slot].state.compare_exchange_strong(expected, 1)) {
            std::memcpy(g_temporaries[slot].name, name.c_str(), name.size() + 1);
            g_temporaries[slot].state = 2;
            return slot;
        }
    }
    return -1;
}

void Untrack(int slot) {
    if (slot >= 0) {
        g_temporaries[slot].state = 0;
    }
}

void RemoveTemporariesAndEnd(int signalNumber) {
    for (TemporaryName& temporary : g_temporaries) {
        if (temporary.state.load() == 2) {
            ::unlink(temporary.name);
        }
    }
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);  // ends the program once this handler returns
}

const char* FileTypeName(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a directory";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    return S_ISSOCK(mode) ? "a socket" : "a special file";
}

// Why `target` may not be replaced; "" when it may, or does not exist yet.
std::string TargetProblem(const std::filesystem::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        return errno == ENOENT ? "" : std::strerror(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return std::string("it is ") + FileTypeName(info.st_mode) + ", not a regular file";
    }
    // root may write anything: a file nobody may write counts as read-only for it too
    if ((info.st_mode & 0222) == 0 || (::access(target.c_str(), W_OK) != 0 && errno == EACCES)) {
        return "it is read-only";
    }
    return "";
}

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

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string& error) {
    std::filesystem::path target;
    if (!ResolveTarget(path, target)) {
        error = "Cannot write " + path + ": it is a link to nothing.";
        return false;
    }
    if (const std::string problem = TargetProblem(target); !problem.empty()) {
        error = "Cannot write " + path + ": " + problem + ".";
        return false;
    }
    std::string temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0) {
        error = "Cannot write " + path + ": " + std::strerror(errno) + ".";
        return false;
    }
    const int slot = Track(temporary);
    bool ok = WriteAll(fd, bytes);
    struct stat existing {};
    if (ok && ::stat(target.c_str(), &existing) == 0) {
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        error = "Cannot write " + path + ": " + std::strerror(errno) + ".";
        ::unlink(temporary.c_str());
    }
    Untrack(slot);
    return ok;
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::string error;
    return WriteFileAtomically(path, bytes, error);
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error) {
    return WriteFileAtomically(path,
                               std::span<const std::uint8_t>(
                                   reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                               error);
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
    std::string error;
    return WriteFileAtomically(path, text, error);
}

void RemoveTemporaryFilesOnSignals() {
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction current {};
        if (::sigaction(signalNumber, nullptr, &current) != 0 ||
            (current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) {
            continue;  // ignored, or the program's own handler
        }
        struct sigaction action {};
        action.sa_handler = RemoveTemporariesAndEnd;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

}  // namespace gantry
