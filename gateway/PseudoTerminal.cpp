#include "gateway/PseudoTerminal.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

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

}  // namespace

CGatewayLine::~CGatewayLine() {
    if (!m_link.empty()) {
        ::unlink(m_link.c_str());
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
    // Re-point atomically: a new link under a temporary name, then rename.
    const std::string temporary = link + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(m_path.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), link.c_str()) != 0) {
        error = "cannot link " + link + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    m_link = link;
    return true;
}

}  // namespace gantry::gateway
