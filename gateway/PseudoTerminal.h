// The line the virtual gateway serves: a new pseudo-terminal, or a serial
// device given by path, in raw mode.
#pragma once

#include <chrono>
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
    // Opens a serial device at 19200 baud, 8E1, raw; anything that is not a
    // terminal (a file, /dev/zero, a FIFO) is refused with the reason.
    bool OpenDevice(const std::string& path, std::string& error);
    // Makes `link` a symbolic link to Path(). Only nothing or an old symbolic
    // link at `link` is replaced, and only while no other gateway serves the
    // same `link`. The link goes again with the object if it still points at
    // Path(); one that was re-pointed since is left alone.
    bool CreateLink(const std::string& link, std::string& error);
    // The port vanishes and comes back: the pseudo-terminal closes (its
    // clients see the line hang up) and the link goes; after `absence` a new
    // pseudo-terminal opens and the link points at it. False with a message
    // when the new line or link cannot be made.
    bool Reopen(std::chrono::milliseconds absence, std::string& error);

    int Fd() const { return m_fd; }
    const std::string& Path() const { return m_path; }

private:
    // Points `link` at Path(), replacing what is there atomically.
    bool PointLink(const std::string& link, std::string& error);

    int m_fd = -1;
    int m_slaveFd = -1;  // kept open so the line survives clients closing it
    std::string m_path;
    std::string m_link;
    int m_claimFd = -1;  // holds the link's name while this gateway serves it
};

}  // namespace gantry::gateway
