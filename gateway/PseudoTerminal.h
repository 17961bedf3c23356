// The line the virtual gateway serves: a new pseudo-terminal, or a serial
// device given by path, in raw mode.
#pragma once

#include <string>

namespace gantry::gateway {

class CGatewayLine {
public:
    CGatewayLine() = default;
    ~CGatewayLine();
    CGatewayLine(const CGatewayLine&) = delete;
    CGatewayLine& operator=(const CGatewayLine&) = delete;

    // Opens a new pseudo-terminal; its slave side is the path clients open.
    // False with a message in `error` when it cannot.
    bool OpenPseudoTerminal(std::string& error);
    // Opens a serial device at 19200 baud, 8E1, raw.
    bool OpenDevice(const std::string& path, std::string& error);
    // Makes `link` a symbolic link to Path(), replacing what was there; it goes again
    // with the object.
    bool CreateLink(const std::string& link, std::string& error);

    int Fd() const { return m_fd; }
    const std::string& Path() const { return m_path; }

private:
    int m_fd = -1;
    int m_slaveFd = -1;  // kept open so the line survives clients closing it
    std::string m_path;
    std::string m_link;
};

}  // namespace gantry::gateway
