// The RP1210 interface of libKV121032.so: eight undecorated C entry points.
// "short" arguments and results are signed 16-bit, "long" ones signed 32-bit.
//
// Every entry point may be called from any thread; a blocking
// RP1210_ReadMessage does not stop other threads from sending, commanding or
// disconnecting meanwhile. Failures are returned as codes (see
// rp1210/Exception.h and RP1210_GetErrorMsg); RP1210_ReadMessage returns them
// negated.
#pragma once

#include <cstdint>

#if defined(KV121032_BUILD)
#define KV121032_API extern "C" __attribute__((visibility("default")))
#else
#define KV121032_API extern "C"
#endif

// Returns the new client id 0..127, or an error code (203, 202, 134, 136, 149,
// 204, 205, 131, or the code with which the driver refused the connect).
KV121032_API std::int16_t RP1210_ClientConnect(void* hwndClient, std::int16_t nDeviceId,
                                               const char* fpchProtocol, std::int32_t lTxBufferSize,
                                               std::int32_t lRcvBufferSize,
                                               std::int16_t nIsAppPacketizingIncomingMsgs);
KV121032_API std::int16_t RP1210_ClientDisconnect(std::int16_t nClientId);
// Queues the message for the driver; 0 once it is queued.
KV121032_API std::int16_t RP1210_SendMessage(std::int16_t nClientId, const char* fpchClientMessage,
                                             std::int16_t nMessageSize,
                                             std::int16_t nNotifyStatusOnTx,
                                             std::int16_t nBlockOnSend);
// Bytes written, 0 when no message is there, or a negated error code.
KV121032_API std::int16_t RP1210_ReadMessage(std::int16_t nClientId, char* fpchAPIMessage,
                                             std::int16_t nBufferSize, std::int16_t nBlockOnRead);
KV121032_API std::int16_t RP1210_SendCommand(std::int16_t nCommandNumber, std::int16_t nClientId,
                                             char* fpchClientCommand, std::int16_t nMessageSize);
// Writes '1', '0', '2', '0' (no terminators) when all four pointers are set.
KV121032_API void RP1210_ReadVersion(char* fpchDLLMajorVersion, char* fpchDLLMinorVersion,
                                     char* fpchAPIMajorVersion, char* fpchAPIMinorVersion);
// Copies the code's text with its terminator (at most 70 bytes); 154 for an
// unknown code; 0 without writing for a null buffer.
KV121032_API std::int16_t RP1210_GetErrorMsg(std::int16_t nErrorCode, char* fpchDescription);
// Writes 16 status bytes; the size must be 16.
KV121032_API std::int16_t RP1210_GetHardwareStatus(std::int16_t nClientId, char* fpchClientInfo,
                                                   std::int16_t nInfoSize,
                                                   std::int16_t nBlockOnRequest);

// Function pointer types for programs that load the library at run time.
using RP1210ClientConnectFn = decltype(&RP1210_ClientConnect);
using RP1210ClientDisconnectFn = decltype(&RP1210_ClientDisconnect);
using RP1210SendMessageFn = decltype(&RP1210_SendMessage);
using RP1210ReadMessageFn = decltype(&RP1210_ReadMessage);
using RP1210SendCommandFn = decltype(&RP1210_SendCommand);
using RP1210ReadVersionFn = decltype(&RP1210_ReadVersion);
using RP1210GetErrorMsgFn = decltype(&RP1210_GetErrorMsg);
using RP1210GetHardwareStatusFn = decltype(&RP1210_GetHardwareStatus);
