// Error codes of the RP1210 library and their texts.
//
// Inside the library a failure is a thrown CException carrying its public
// code; the exported entry points catch it and return the code.
#pragma once

#include <cstdint>
#include <map>

namespace gantry::rp1210 {

// RP1210 codes this library raises or passes back.
enum ERP1210Error : std::int16_t {
    ERR_SUCCESS = 0,
    ERR_DLL_NOT_INITIALIZED = 128,
    ERR_INVALID_CLIENT_ID = 129,
    ERR_CLIENT_ALREADY_CONNECTED = 130,
    ERR_CLIENT_AREA_FULL = 131,
    ERR_INVALID_DEVICE = 134,
    ERR_DEVICE_IN_USE = 135,
    ERR_INVALID_PROTOCOL = 136,
    ERR_TX_QUEUE_FULL = 137,
    ERR_MESSAGE_TOO_LONG = 141,
    ERR_HARDWARE_NOT_RESPONDING = 142,
    ERR_COMMAND_NOT_SUPPORTED = 143,
    ERR_INVALID_COMMAND = 144,
    ERR_CLIENT_DISCONNECTED = 148,
    ERR_CONNECT_NOT_ALLOWED = 149,
    ERR_CHANGE_MODE_FAILED = 150,
    ERR_CODE_NOT_FOUND = 154,
    ERR_MULTIPLE_CLIENTS_CONNECTED = 156,
    ERR_UNKNOWN_DRIVER_ERROR = 240,
};

// Tags of the library's own errors; public code = tag + 1199 (200..207).
enum EProprietaryError : std::int32_t {
    PE_FirstErrorTag = -1000,
    PE_UnknownInternalError = -999,  // 200
    PE_UnknownStdLibError = -998,    // 201
    PE_IniFileError = -997,          // 202
    PE_InvalidBufferSizes = -996,    // 203
    PE_InvalidDriver = -995,         // 204
    PE_IncompatibleDriver = -994,    // 205
    PE_InvalidBuffer = -993,         // 206
    PE_InvalidBufferSize = -992,     // 207
    PE_LastErrorTag = -991,
};

constexpr std::int32_t f_nProprietaryCodeOffset = 1199;

class CException {
public:
    // From a public code (0, 128..162, 200..207, 240 or a code a driver passed back).
    explicit CException(std::int16_t code);
    // From a proprietary tag; the tag must be one of the eight.
    static CException FromTag(EProprietaryError tag);

    // The public code; never negative.
    std::int16_t GetErrorCode() const;

private:
    std::int16_t m_nErrorCode;
};

// Throw helpers.
[[noreturn]] void ThrowError(std::int16_t code);
[[noreturn]] void ThrowError(EProprietaryError tag);

// The text of a code, looked up in the RP1210 table, then the driver table,
// then (as code - 1199) the proprietary table; null when none has it.
const char* LookupErrorText(std::int16_t code);

// The proprietary table, keyed by tag (-999..-992).
const std::map<std::int32_t, const char*>& GetProprietaryErrorMap();

}  // namespace gantry::rp1210
