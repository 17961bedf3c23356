#include "tool/device/DeviceSimulator.h"

DeviceSimulator::DeviceSimulator(std::string profile) : m_profile(std::move(profile)) {}
void DeviceSimulator::SetCompleteMode(bool complete) {
    m_complete = complete;
}
void DeviceSimulator::SetResetDowntime(std::chrono::milliseconds downtime) {
    m_resetDowntime = downtime;
}
bool DeviceSimulator::IsUnreachable() const {
    return m_complete && std::chrono::steady_clock::now() < m_unreachableUntil;
}
int DeviceSimulator::SimulateRequest(std::uint8_t* buffer, int /*length*/, int /*capacity*/) {
    buffer[0] |= 0x80;
    buffer[1] = 8;
    buffer[2] = 0;
    return 4;
}
