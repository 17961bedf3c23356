// The serial port on a POSIX terminal device (termios).
//
// A name containing '/' is a device path, opened as given; any other name
// (COM3) is looked up in the dosdevices/ folder of the Gantry directory, whose
// entries link to device paths (names compared without regard to case).
// The line runs at 19200 baud, 8 data bits, even parity, 1 stop bit, raw, no
// flow control, DTR and RTS on. The port is held exclusively: a second open,
// from this or another program, fails with 142.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "driver/ComPort.h"

namespace gantry::driver {

// The device path a port name stands for (a DOS name resolved through
// dosdevices/); the name unchanged when it has a '/' or no link matches.
std::string ResolvePortName(const std::string& portName);

// The canonical path of the device behind a port name (symbolic links
// followed), so that two names of one device compare equal; the resolved path
// when the device does not exist.
std::string CanonicalPortPath(const std::string& portName);

class CComPortImp : public CComPort {
public:
    // Opens and configures the port. Raises 142 (with a trace-log line) when it
    // cannot be opened or is in use, 240 when the line settings are refused.
    explicit CComPortImp(const std::string& portName, std::uint32_t timeoutMs = 2000);
    ~CComPortImp() override;
    CComPortImp(const CComPortImp&) = delete;
    CComPortImp& operator=(const CComPortImp&) = delete;

    bool Write(const ByteMessage& message) override;
    // At most f_nReadChunk bytes per call.
    ByteMessage Read(std::chrono::milliseconds wait) override;

    const std::string& Name() const;

private:
    struct ComPortState;
    std::unique_ptr<ComPortState> m_pImpl;
};

}  // namespace gantry::driver
