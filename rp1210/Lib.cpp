#include "rp1210/Lib.h"

#include <cstring>

#include "common/Assert.h"
#include "common/ProfileFile.h"
#include "common/SharedLibrary.h"
#include "driver/DriverInterface.h"
#include "rp1210/Exception.h"

namespace gantry::rp1210 {

namespace {

constexpr const char* f_szIniFile = "KV121032.INI";
constexpr const char* f_szMissingKey = "NoSuchINIFileKey!";
constexpr std::size_t f_nDriverNameSize = 80;  // 79 characters and the terminator

}  // namespace

std::string ReadDeviceParams(std::int32_t deviceId) {
    // A 10-byte buffer is enough to tell "no sections" from "some".
    char sections[10];
    if (GetProfileSectionNames(sections, sizeof sections, f_szIniFile) == 0) {
        ThrowError(PE_IniFileError);
    }
    const std::string section = "DeviceInformation" + std::to_string(deviceId);
    char value[100];
    GetProfileString(section.c_str(), "DeviceParams", f_szMissingKey, value, sizeof value,
                     f_szIniFile);
    if (std::strcmp(value, f_szMissingKey) == 0 || value[0] == '\0') {
        ThrowError(ERR_INVALID_DEVICE);
    }
    return value;
}

struct Lib::Impl {
    CSharedLibrary module;
    std::int32_t m_nClientCount = 0;
    SP_GetDllVersionInfoFn getDllVersionInfo = nullptr;
    SP_ConnectFn connect = nullptr;
    SP_DisconnectFn disconnect = nullptr;
    SP_SetReceiveFlagFn setReceiveFlag = nullptr;
    SP_TrafficDetectedFn trafficDetected = nullptr;
    std::uint32_t versionLow = 0;
    std::uint32_t versionHigh = 0;
    std::string fileName;
};

Lib::Lib(const std::string& fileName) : m_pImpl(std::make_unique<Impl>()) {
    Impl& lib = *m_pImpl;
    if (fileName.size() >= f_nDriverNameSize || !lib.module.Open(fileName)) {
        ThrowError(PE_InvalidDriver);
    }
    // From here on a throw destroys the Impl, which unloads the module again.
    lib.getDllVersionInfo = lib.module.Resolve<SP_GetDllVersionInfoFn>("SP_GetDllVersionInfo");
    if (lib.getDllVersionInfo == nullptr) {
        ThrowError(PE_InvalidDriver);
    }
    const std::uint64_t version = lib.getDllVersionInfo();
    lib.versionLow = static_cast<std::uint32_t>(version);
    lib.versionHigh = static_cast<std::uint32_t>(version >> 32);
    if (static_cast<std::int32_t>(lib.versionLow) > 1) {
        ThrowError(PE_IncompatibleDriver);
    }
    lib.connect = lib.module.Resolve<SP_ConnectFn>("SP_Connect");
    lib.disconnect = lib.module.Resolve<SP_DisconnectFn>("SP_Disconnect");
    lib.setReceiveFlag = lib.module.Resolve<SP_SetReceiveFlagFn>("SP_SetReceiveFlag");
    lib.trafficDetected = lib.module.Resolve<SP_TrafficDetectedFn>("SP_TrafficDetected");
    if (lib.connect == nullptr || lib.disconnect == nullptr || lib.setReceiveFlag == nullptr ||
        lib.trafficDetected == nullptr) {
        ThrowError(PE_InvalidDriver);
    }
    lib.fileName = fileName;
}

Lib::~Lib() = default;

const std::string& Lib::FileName() const {
    return m_pImpl->fileName;
}

std::uint64_t Lib::Version() const {
    return (static_cast<std::uint64_t>(m_pImpl->versionHigh) << 32) | m_pImpl->versionLow;
}

void Lib::AddClient() {
    GY_ASSERT(m_pImpl->m_nClientCount < f_nReasonableMaximumClientCount);
    ++m_pImpl->m_nClientCount;
}

void Lib::RemoveClient() {
    GY_ASSERT(m_pImpl->m_nClientCount > 0);
    --m_pImpl->m_nClientCount;
}

std::int32_t Lib::ClientCount() const {
    return m_pImpl->m_nClientCount;
}

std::int16_t Lib::Connect(std::int32_t deviceId, const std::string& port, std::int32_t protocol,
                          CPacketQueue* transmit, CPacketQueue* command, CPacketQueue* receive) {
    return m_pImpl->connect(deviceId, port.c_str(), protocol, transmit, command, receive);
}

std::int16_t Lib::Disconnect(std::int32_t deviceId) {
    return m_pImpl->disconnect(deviceId);
}

std::uint8_t Lib::TrafficDetected(std::int32_t deviceId) {
    return m_pImpl->trafficDetected(deviceId);
}

}  // namespace gantry::rp1210
