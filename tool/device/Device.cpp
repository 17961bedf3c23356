#include "tool/device/Device.h"

#include "tool/device/IdentityValues.h"

#include <chrono>

namespace gantry::tool {

namespace {

constexpr std::int16_t f_nAttrRevision = 4;
constexpr std::int16_t f_nAttrSerialNumber = 6;
constexpr std::int16_t f_nAttrProductName = 7;
constexpr std::int16_t f_nAttrCarried = 100;
constexpr std::int16_t f_nAttrClientType = 101;
constexpr std::int16_t f_nAttrServerType = 102;
constexpr std::int16_t f_nAttrRunState = 103;
constexpr std::int16_t f_nAttrMajorFault = 104;
constexpr int f_nRunStatePolls = 10;

}  // namespace

CDevice::CDevice(CRequestGate& gate, const OfflineIdentity& offline)
    : m_gate(gate), m_offline(offline) {}

bool CDevice::ReadIdentityAttribute(std::int16_t attribute, DeviceReply& reply) {
    const DeviceRequest request = MakeGetRequest(CLS_Identity, 1, attribute);
    return Succeeded(m_gate.SendDeviceRequest(request, reply));
}

int CDevice::ReadRunState() {
    if (m_gate.IsOffline()) {
        m_cache.runState = RS_Idle;
        return m_cache.runState;
    }
    if (!m_gate.IsConnected()) {
        m_gate.ConnectDevice();
        if (!m_gate.IsConnected()) {
            m_cache.runState = RS_NotDetected;
            return m_cache.runState;
        }
    }
    DeviceReply reply;
    m_cache.runState =
        ReadIdentityAttribute(f_nAttrRunState, reply) ? int{reply.Byte(0)} : int{RS_NotDetected};
    return m_cache.runState;
}

void CDevice::SetRunState(int value) {
    if (value != RS_Idle && value != RS_Run) {
        return;
    }
    const std::uint8_t byte[1] = {static_cast<std::uint8_t>(value)};
    const DeviceRequest request = MakeSetRequest(CLS_Identity, 1, f_nAttrRunState, byte);
    DeviceReply reply;
    m_gate.SendDeviceRequest(request, reply);
    AwaitRunState(value);
}

void CDevice::AwaitRunState(int value) {
    m_gate.Clock().Sleep(std::chrono::milliseconds(1));
    for (int poll = 0; poll < f_nRunStatePolls; ++poll) {
        const int state = ReadRunState();
        if (state == value || state == RS_Faulted || state == RS_NotDetected) {
            return;
        }
        m_gate.Clock().Sleep(std::chrono::milliseconds(100));
    }
}

std::uint32_t CDevice::ReadSerialNumber() {
    if (m_gate.IsOffline()) {
        m_cache.serialNumber = 0;
        return m_cache.serialNumber;
    }
    DeviceReply reply;
    if (ReadIdentityAttribute(f_nAttrSerialNumber, reply)) {
        m_cache.serialNumber = reply.Long(0);
    }
    return m_cache.serialNumber;
}

std::uint16_t CDevice::ReadRevision() {
    if (m_gate.IsOffline()) {
        m_cache.revision = m_offline.product.revision;
        m_cache.attribute100 = m_offline.attribute100;
        return m_cache.revision;
    }
    DeviceReply reply;
    if (ReadIdentityAttribute(f_nAttrRevision, reply)) {
        m_cache.revision = MakeRevision(reply.Byte(0), reply.Byte(1));
    }
    if (ReadIdentityAttribute(f_nAttrCarried, reply)) {
        m_cache.attribute100 = reply.Byte(0);
    }
    return m_cache.revision;
}

std::string CDevice::ReadProductName() {
    if (m_gate.IsOffline()) {
        m_cache.productName = m_offline.product.name;
        return m_cache.productName;
    }
    DeviceReply reply;
    if (ReadIdentityAttribute(f_nAttrProductName, reply)) {
        // the length byte can claim more than the reply holds: take what came
        int length = reply.Byte(0);
        if (length > reply.dataLength - 1) {
            length = reply.dataLength > 0 ? reply.dataLength - 1 : 0;
        }
        m_cache.productName.assign(reinterpret_cast<const char*>(reply.data + 1),
                                   static_cast<std::size_t>(length));
    }
    return m_cache.productName;
}

int CDevice::ReadClientType() {
    if (m_gate.IsOffline()) {
        m_cache.clientType = m_offline.product.clientType;
        return m_cache.clientType;
    }
    DeviceReply reply;
    if (ReadIdentityAttribute(f_nAttrClientType, reply)) {
        m_cache.clientType = reply.Byte(0);
    }
    return m_cache.clientType;
}

int CDevice::ReadServerType() {
    if (m_gate.IsOffline()) {
        m_cache.serverType = m_offline.product.serverType;
        return m_cache.serverType;
    }
    DeviceReply reply;
    if (ReadIdentityAttribute(f_nAttrServerType, reply)) {
        m_cache.serverType = reply.Byte(0);
    }
    return m_cache.serverType;
}

int CDevice::ReadMajorFault() {
    if (m_gate.IsOffline()) {
        m_cache.majorFault = 0;
        return m_cache.majorFault;
    }
    DeviceReply reply;
    if (ReadIdentityAttribute(f_nAttrMajorFault, reply)) {
        m_cache.majorFault = reply.Byte(0);
    }
    return m_cache.majorFault;
}

DeviceResult CDevice::ClearMajorFault() {
    const DeviceRequest request = MakeSetRequest(CLS_Identity, 1, f_nAttrMajorFault);
    DeviceReply reply;
    return m_gate.SendDeviceRequest(request, reply);
}

void CDevice::RefreshIdentity() {
    if (ReadRunState() == RS_NotDetected) {
        return;
    }
    ReadProductName();
    ReadSerialNumber();
    ReadRevision();
    ReadClientType();
    ReadServerType();
    ReadMajorFault();
}

DeviceResult CDevice::ResetDevice() {
    m_gate.ResetDevice();
    m_cache.runState = RS_NotDetected;
    return DeviceResult::Done;
}

}  // namespace gantry::tool
