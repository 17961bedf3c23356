#include "gateway/PseudoTerminal.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

namespace gantry::gateway {

namespace {

void MakeRaw(int fd, bool serial) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return;
    }
    ::cfmakeraw(&settings);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (serial) {
        settings.c_cflag |= PARENB | CLOCAL | CREAD;
        ::cfsetispeed(&settings, B19200);
        ::cfsetospeed(&settings, B19200);
    }
    ::tcsetattr(fd, TCSANOW, &settings);
}

// Claims `link` for this process: a socket bound to a name made from the
// link's absolute path in the abstract namespace, which the system frees when
// the process ends however it ends. -1 when another process holds the name.
int ClaimLinkName(const std::filesystem::path& link) {
    std::error_code ignored;
    // the folder resolved, not the link itself: that points at the line being served
    const std::filesystem::path folder = link.has_parent_path() ? link.parent_path() : ".";
    const std::string absolute =
        (std::filesystem::weakly_canonical(folder, ignored) / link.filename()).string();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // sun_path[0] stays 0: the abstract namespace, no file is made
    const int length = std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1,
                                     "gantry-gateway:%zx", std::hash<std::string>{}(absolute));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Why the gateway may not link at `link`; "" when it may.
std::string LinkProblem(const std::string& link) {
    struct stat info {};
    if (::lstat(link.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        return link +
               " exists and is not a symbolic link: the gateway links only over nothing or an "
               "old link, so it is left as it is";
    }
    return "";
}

}  // namespace

CGatewayLine::~CGatewayLine() {
    std::error_code error;
    if (!m_link.empty() && std::filesystem::read_symlink(m_link, error) == m_path && !error) {
        ::unlink(m_link.c_str());
    }
    if (m_claimFd >= 0) {
        ::close(m_claimFd);
    }
    if (m_slaveFd >= 0) {
        ::close(m_slaveFd);
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool CGatewayLine::OpenPseudoTerminal(std::string& error) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    MakeRaw(master, false);
    MakeRaw(slave, false);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    m_fd = master;
    m_slaveFd = slave;
    m_path = name;
    return true;
}

bool CGatewayLine::OpenDevice(const std::string& path, std::string& error) {
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!::isatty(m_fd)) {
        error = path +
                " is not a terminal (a serial device or a pseudo-terminal): the gateway "
                "serves only those";
        return false;
    }
    MakeRaw(m_fd, true);
    m_path = path;
    return true;
}

bool CGatewayLine::CreateLink(const std::string& link, std::string& error) {
    std::error_code ignored;
    const std::filesystem::path target(link);
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), ignored);
    }
    m_claimFd = ClaimLinkName(target);
    if (m_claimFd < 0) {
        error = "another gantry-gateway serves " + link + ": stop it first";
        return false;
    }
    if (std::string problem = LinkProblem(link); !problem.empty()) {
        error = std::move(problem);
        return false;
    }
    return PointLink(link, error);
}

bool CGatewayLine::Reopen(std::chrono::milliseconds absence, std::string& error) {
    std::error_code ignored;
    if (!m_link.empty() && std::filesystem::read_symlink(m_link, ignored) == m_path) {
        ::unlink(m_link.c_str());
    }
    ::close(m_slaveFd);
    ::close(m_fd);
    m_slaveFd = m_fd = -1;
    std::this_thread::sleep_for(absence);
    return OpenPseudoTerminal(error) && (m_link.empty() || PointLink(m_link, error));
}

bool CGatewayLine::PointLink(const std::string& link, std::string& error) {
    // Re-point atomically: a new link under a name of this process, then rename.
    const std::string temporary = link + ".new." + std::to_string(::getpid());
    if (::symlink(m_path.c_str(), temporary.c_str()) != 0) {
        error = "cannot link " + temporary + ": " + std::strerror(errno);
        return false;
    }
    if (::rename(temporary.c_str(), link.c_str()) != 0) {
        error = "cannot link " + link + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    m_link = link;
    return true;
}

}  // namespace gantry::gateway
