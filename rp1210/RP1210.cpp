// The exported entry points and the library's one state object.
#include "rp1210/RP1210.h"

#include <cstdlib>
#include <cstring>
#include <exception>

#include "rp1210/ConnectionManager.h"
#include "rp1210/Exception.h"

#if defined(__SANITIZE_THREAD__)
#define KV121032_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KV121032_THREAD_SANITIZER 1
#endif
#endif

namespace {

using namespace gantry::rp1210;

void DisconnectAllAtExit();

// The library state: built on the first call of any entry point, destroyed
// when the library is unloaded (which disconnects every remaining client).
class CLibraryState {
public:
    CLibraryState() {
        // A program that ends without unloading the library destroys its
        // static objects in reverse order of creation, so a driver loaded
        // after this state would lose its own objects first and then be asked
        // to disconnect. A clean-up registered after each driver load runs
        // while that driver is still whole.
#if !defined(KV121032_THREAD_SANITIZER)
        m_connections.SetDriverLoadedHook([] { std::atexit(DisconnectAllAtExit); });
#else
        // ThreadSanitizer keeps such a handler after this library is unloaded
        // and calls it at exit; its builds go without the clean-up.
        (void)&DisconnectAllAtExit;
#endif
    }
    ConnectionManager& Connections() {
        return m_connections;
    }

private:
    ConnectionManager m_connections;
};

CLibraryState& State() {
    static CLibraryState state;
    return state;
}

void DisconnectAllAtExit() {
    try {
        State().Connections().DisconnectAll();
    } catch (...) {
        // nothing may escape an exit handler; the program ends anyway
    }
}

// Runs `work` and turns any exception into its code: a CException gives its
// own, a standard-library exception 201, anything else 200.
template <class Work>
std::int16_t Guarded(Work&& work) {
    try {
        return work();
    } catch (const CException& error) {
        return error.GetErrorCode();
    } catch (const std::exception&) {
        return CException::FromTag(PE_UnknownStdLibError).GetErrorCode();
    } catch (...) {
        return CException::FromTag(PE_UnknownInternalError).GetErrorCode();
    }
}

}  // namespace

std::int16_t RP1210_ClientConnect(void*, std::int16_t nDeviceId, const char* fpchProtocol,
                                  std::int32_t lTxBufferSize, std::int32_t lRcvBufferSize,
                                  std::int16_t) {
    return Guarded([&]() -> std::int16_t {
        if (lTxBufferSize < 0 || lRcvBufferSize < 0) {
            ThrowError(PE_InvalidBufferSizes);
        }
        return State().Connections().Connect(nDeviceId, fpchProtocol, lTxBufferSize,
                                             lRcvBufferSize);
    });
}

std::int16_t RP1210_ClientDisconnect(std::int16_t nClientId) {
    return Guarded([&]() -> std::int16_t {
        State().Connections().Disconnect(nClientId);
        return ERR_SUCCESS;
    });
}

std::int16_t RP1210_SendMessage(std::int16_t nClientId, const char* fpchClientMessage,
                                std::int16_t nMessageSize, std::int16_t, std::int16_t) {
    return Guarded([&]() -> std::int16_t {
        if (fpchClientMessage == nullptr) {
            ThrowError(PE_InvalidBuffer);
        }
        if (nMessageSize <= 0) {
            ThrowError(PE_InvalidBufferSize);
        }
        State().Connections().Send(
            nClientId, reinterpret_cast<const std::uint8_t*>(fpchClientMessage), nMessageSize);
        return ERR_SUCCESS;
    });
}

std::int16_t RP1210_ReadMessage(std::int16_t nClientId, char* fpchAPIMessage,
                                std::int16_t nBufferSize, std::int16_t nBlockOnRead) {
    std::int16_t bytesRead = 0;
    const std::int16_t error = Guarded([&]() -> std::int16_t {
        if (fpchAPIMessage == nullptr) {
            ThrowError(PE_InvalidBuffer);
        }
        if (nBufferSize <= 0) {
            ThrowError(PE_InvalidBufferSize);
        }
        bytesRead =
            State().Connections().Read(nClientId, reinterpret_cast<std::uint8_t*>(fpchAPIMessage),
                                       nBufferSize, nBlockOnRead != 0);
        return ERR_SUCCESS;
    });
    return error != ERR_SUCCESS ? static_cast<std::int16_t>(-error) : bytesRead;
}

std::int16_t RP1210_SendCommand(std::int16_t nCommandNumber, std::int16_t nClientId,
                                char* fpchClientCommand, std::int16_t nMessageSize) {
    return Guarded([&]() -> std::int16_t {
        PreCheckCommand(nCommandNumber, fpchClientCommand, nMessageSize);
        State().Connections().Command(nCommandNumber, nClientId,
                                      reinterpret_cast<const std::uint8_t*>(fpchClientCommand),
                                      nMessageSize);
        return ERR_SUCCESS;
    });
}

void RP1210_ReadVersion(char* fpchDLLMajorVersion, char* fpchDLLMinorVersion,
                        char* fpchAPIMajorVersion, char* fpchAPIMinorVersion) {
    if (fpchDLLMajorVersion == nullptr || fpchDLLMinorVersion == nullptr ||
        fpchAPIMajorVersion == nullptr || fpchAPIMinorVersion == nullptr) {
        return;
    }
    *fpchDLLMajorVersion = '1';
    *fpchDLLMinorVersion = '0';
    *fpchAPIMajorVersion = '2';
    *fpchAPIMinorVersion = '0';
}

std::int16_t RP1210_GetErrorMsg(std::int16_t nErrorCode, char* fpchDescription) {
    return Guarded([&]() -> std::int16_t {
        if (fpchDescription == nullptr) {
            return ERR_SUCCESS;
        }
        const char* text = LookupErrorText(nErrorCode);
        if (text == nullptr) {
            return ERR_CODE_NOT_FOUND;
        }
        std::strcpy(fpchDescription, text);
        return ERR_SUCCESS;
    });
}

std::int16_t RP1210_GetHardwareStatus(std::int16_t nClientId, char* fpchClientInfo,
                                      std::int16_t nInfoSize, std::int16_t) {
    return Guarded([&]() -> std::int16_t {
        if (nInfoSize != 16) {
            ThrowError(PE_InvalidBufferSize);
        }
        if (fpchClientInfo == nullptr) {
            ThrowError(PE_InvalidBuffer);
        }
        State().Connections().Status(nClientId, reinterpret_cast<std::uint8_t*>(fpchClientInfo));
        return ERR_SUCCESS;
    });
}
