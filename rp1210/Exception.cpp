#include "rp1210/Exception.h"

#include "common/Assert.h"

namespace gantry::rp1210 {

namespace {

const std::map<std::int16_t, const char*>& RP1210ErrorMap() {
    static const std::map<std::int16_t, const char*> kTable = {
        {0, "Success"},
        {128, "DLL Not Initialized"},
        {129, "Invalid Client ID"},
        {130, "Client Already Connected"},
        {131, "Client Area Full"},
        {132, "Free Memory"},
        {133, "Not Enough Memory"},
        {134, "Invalid Device"},
        {135, "Device In Use"},
        {136, "Invalid Protocol"},
        {137, "Transmit Queue Full"},
        {138, "Transmit Queue Corrupt"},
        {139, "Receive Queue Full"},
        {140, "Receive Queue Corrupt"},
        {141, "Message Too Long"},
        {142, "Hardware Not Responding"},
        {143, "Command Not Supported"},
        {144, "Invalid Command"},
        {145, "Transmit Message Status"},
        {146, "Address Not Available"},
        {147, "Cannot Set Priority"},
        {148, "Client Disconnected"},
        {149, "Connect Not Allowed"},
        {150, "Change Mode Failed"},
        {151, "Bus Off"},
        {152, "Could Not Transmit Address Claimed"},
        {153, "Address Lost"},
        {154, "Code Not Found"},
        {155, "Block Not Allowed"},
        {156, "Multiple Clients Connected"},
        {157, "Address Never Claimed"},
        {158, "Window Handle Required"},
        {159, "Message Not Sent"},
        {160, "Max Notify Exceeded"},
        {161, "Max Filters Exceeded"},
        {162, "Hardware Status Change"},
    };
    return kTable;
}

const std::map<std::int16_t, const char*>& DriverErrorMap() {
    static const std::map<std::int16_t, const char*> kTable = {
        {240, "Unknown driver error"},
    };
    return kTable;
}

const std::map<std::int32_t, const char*>& BuildProprietaryErrorMap() {
    static const std::map<std::int32_t, const char*> kTable = {
        {PE_UnknownInternalError, "Unknown internal error"},
        {PE_UnknownStdLibError, "Unknown internal standard library error"},
        {PE_IniFileError, "Error reading KV121032.INI file"},
        {PE_InvalidBufferSizes, "Invalid Tx or Rx buffer size"},
        {PE_InvalidDriver, "Invalid driver DLL - file does not exist, or it is not a valid driver"},
        {PE_IncompatibleDriver, "Driver DLL version is incompatible with KV121032.DLL"},
        {PE_InvalidBuffer, "Invalid buffer"},
        {PE_InvalidBufferSize, "Invalid buffer size"},
    };
    GY_ASSERT(PE_LastErrorTag - PE_FirstErrorTag - 1 == static_cast<int>(kTable.size()));
    return kTable;
}

}  // namespace

CException::CException(std::int16_t code) : m_nErrorCode(code) {}

CException CException::FromTag(EProprietaryError tag) {
    GY_ASSERT(GetProprietaryErrorMap().count(tag) == 1);
    return CException(static_cast<std::int16_t>(tag + f_nProprietaryCodeOffset));
}

std::int16_t CException::GetErrorCode() const {
    GY_ASSERT(m_nErrorCode >= 0);
    return m_nErrorCode;
}

void ThrowError(std::int16_t code) {
    throw CException(code);
}

void ThrowError(EProprietaryError tag) {
    throw CException::FromTag(tag);
}

const std::map<std::int32_t, const char*>& GetProprietaryErrorMap() {
    return BuildProprietaryErrorMap();
}

const char* LookupErrorText(std::int16_t code) {
    if (const auto hit = RP1210ErrorMap().find(code); hit != RP1210ErrorMap().end()) {
        return hit->second;
    }
    if (const auto hit = DriverErrorMap().find(code); hit != DriverErrorMap().end()) {
        return hit->second;
    }
    const auto& proprietary = GetProprietaryErrorMap();
    if (const auto hit = proprietary.find(code - f_nProprietaryCodeOffset);
        hit != proprietary.end()) {
        return hit->second;
    }
    return nullptr;
}

}  // namespace gantry::rp1210
