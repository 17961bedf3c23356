// Failures inside the driver: an exception that carries only a driver error code
// (133, 135, 136, 142 or 240). It is caught at the exported entry points and at
// the worker thread's boundary, never let across the C interface.
#pragma once

#include <cstdint>

namespace gantry::driver {

enum EDriverErrorCode : std::int16_t {
    DE_NotEnoughMemory = 133,
    DE_DeviceInUse = 135,
    DE_InvalidProtocol = 136,
    DE_HardwareNotResponding = 142,
    DE_UnknownDriverError = 240,
};

class CDriverError {
public:
    explicit CDriverError(std::int16_t code) : m_nErrorCode(code) {}
    std::int16_t GetErrorCode() const { return m_nErrorCode; }

private:
    std::int16_t m_nErrorCode;
};

[[noreturn]] inline void ThrowDriverError(std::int16_t code) {
    throw CDriverError(code);
}

}  // namespace gantry::driver
