#include "driver/ComPortImp.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "common/Assert.h"
#include "common/Clock.h"
#include "common/GantryDirectory.h"
#include "common/TraceLog.h"
#include "driver/DriverError.h"

namespace gantry::driver {

namespace {

constexpr std::size_t f_nReadChunk = 256;

// UNIX98 pseudo-terminal slaves: majors 136 to 143.
bool IsPseudoTerminal(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
        return false;
    }
    const unsigned int majorNumber = major(info.st_rdev);
    return majorNumber >= 136 && majorNumber <= 143;
}

// Closes a port this driver opened. The exclusive-use flag belongs to the
// terminal, not to this descriptor: left set, it would keep every later open
// by an ordinary user out for as long as the other side keeps the terminal
// (a pseudo-terminal's master, a program holding the adapter), so it goes first.
int ClosePort(int fd) {
    ::ioctl(fd, TIOCNXCL);
    return ::close(fd);
}

std::string ErrorText(int error) {
    char text[128];
    std::snprintf(text, sizeof text, "%d", error);
    return text;
}

}  // namespace

std::string ResolvePortName(const std::string& portName) {
    if (portName.find('/') != std::string::npos) {
        return portName;
    }
    const std::string folder = GantryDirectory() + "/dosdevices";
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        return portName;
    }
    std::string resolved = portName;
    while (const dirent* entry = ::readdir(directory)) {
        if (::strcasecmp(entry->d_name, portName.c_str()) == 0) {
            resolved = folder + "/" + entry->d_name;
            break;
        }
    }
    ::closedir(directory);
    return resolved;
}

std::string CanonicalPortPath(const std::string& portName) {
    const std::string path = ResolvePortName(portName);
    char canonical[PATH_MAX];
    if (::realpath(path.c_str(), canonical) == nullptr) {
        return path;
    }
    return canonical;
}

struct CComPortImp::ComPortState {
    std::string portName;
    int hPort = -1;  // m_hPort of the port record
    std::uint32_t timeoutMs = 2000;
};

namespace {

// Sets the line to 19200 baud, 8 data bits, even parity, raw, and raises DTR
// and RTS. False when the terminal refuses.
bool SetLineSettings(int fd, bool pty) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | CRTSCTS | PARODD);
    settings.c_cflag |= CS8 | PARENB | CREAD | CLOCAL;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | PARMRK | IGNPAR);
    settings.c_iflag |= INPCK;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    ::cfsetispeed(&settings, B19200);
    ::cfsetospeed(&settings, B19200);
    int result = ::tcsetattr(fd, TCSANOW, &settings);
    if (result != 0 && errno == EINVAL && pty) {
        // A pseudo-terminal keeps no parity flag and refuses it after the first time.
        settings.c_cflag &= ~static_cast<tcflag_t>(PARENB);
        result = ::tcsetattr(fd, TCSANOW, &settings);
    }
    int lines = TIOCM_DTR | TIOCM_RTS;
    return result == 0 && (::ioctl(fd, TIOCMBIS, &lines) == 0 || (pty && errno == ENOTTY));
}

}  // namespace

CComPortImp::CComPortImp(const std::string& portName, std::uint32_t timeoutMs)
    : m_pImpl(std::make_unique<ComPortState>()) {
    m_pImpl->portName = portName;
    m_pImpl->timeoutMs = timeoutMs;
    const std::string path = ResolvePortName(portName);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        WriteTraceLog("ComPortImp", "Impl()", "Failed opening COM port : " + portName);
        ThrowDriverError(DE_HardwareNotResponding);
    }
    const bool pty = IsPseudoTerminal(fd);
    // TIOCEXCL keeps out programs that do not take the lock; a pseudo-terminal
    // may refuse it.
    if (::ioctl(fd, TIOCEXCL) != 0 && !pty) {
        ClosePort(fd);
        WriteTraceLog("ComPortImp", "Impl()", "Failed opening COM port : " + portName);
        ThrowDriverError(DE_HardwareNotResponding);
    }
    if (!SetLineSettings(fd, pty)) {
        ClosePort(fd);
        ThrowDriverError(DE_UnknownDriverError);
    }
    m_pImpl->hPort = fd;
    ::tcflush(fd, TCIFLUSH);  // stale input only: output of an earlier user is still on its way
}

CComPortImp::~CComPortImp() {
    if (m_pImpl->hPort >= 0) {
        const int result = ClosePort(m_pImpl->hPort);
        const bool bResult = result == 0 || errno == EINTR;
        GY_ASSERT(bResult);
    }
}

const std::string& CComPortImp::Name() const {
    return m_pImpl->portName;
}

bool CComPortImp::Write(const ByteMessage& message) {
    GY_ASSERT(message.size() > 0);
    std::vector<std::uint8_t> buffer;
    try {
        buffer.assign(message.begin(), message.end());
    } catch (const std::bad_alloc&) {
        ThrowDriverError(DE_NotEnoughMemory);
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(m_pImpl->timeoutMs);
    std::size_t written = 0;
    while (written < buffer.size()) {
        const ssize_t count =
            ::write(m_pImpl->hPort, buffer.data() + written, buffer.size() - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR) {
            OutputDebugText("WriteFile error " + ErrorText(errno));
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            OutputDebugText("Write timeout!");
            return false;
        }
        pollfd watch{m_pImpl->hPort, POLLOUT, 0};
        ::poll(&watch, 1, static_cast<int>(left.count()));
    }
    return true;
}

ByteMessage CComPortImp::Read(std::chrono::milliseconds wait) {
    pollfd watch{m_pImpl->hPort, POLLIN, 0};
    const int ready = ::poll(&watch, 1, static_cast<int>(wait.count()));
    if (ready < 0 && errno != EINTR) {
        OutputDebugText("ReadFile error " + ErrorText(errno));
        ThrowDriverError(DE_HardwareNotResponding);
    }
    if (ready <= 0) {
        return {};
    }
    std::uint8_t bytes[f_nReadChunk];
    const ssize_t count = ::read(m_pImpl->hPort, bytes, sizeof bytes);
    if (count < 0 && errno != EAGAIN && errno != EINTR) {
        OutputDebugText("ReadFile error " + ErrorText(errno));
        ThrowDriverError(DE_HardwareNotResponding);
    }
    if (count == 0 || (count < 0 && (watch.revents & (POLLHUP | POLLERR)) != 0)) {
        // The far end has gone (an unplugged adapter, a closed pseudo-terminal).
        OutputDebugText("ReadFile error: line closed");
        ThrowDriverError(DE_HardwareNotResponding);
    }
    return count > 0 ? ByteMessage(bytes, bytes + count) : ByteMessage();
}

}  // namespace gantry::driver
