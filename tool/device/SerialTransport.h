// CSerialTransport: the RP1210 client transport. Owns the RP1210 library
// (loaded at run time by file name, never linked), finds a gateway by trying
// every COM port, keeps one client open on the protocol "CIP" and carries one
// request/reply pair at a time. Connection diagnostics go to the trace log;
// message boxes go through the notifier the gate attaches. Gate thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/SharedLibrary.h"
#include "rp1210/RP1210.h"
#include "tool/device/DeviceRequest.h"
#include "tool/device/DeviceResponder.h"
#include "tool/device/DeviceResult.h"
#include "tool/device/Notifier.h"

namespace gantry::tool {

// The reply window of one request: the receive queue is polled every 1 ms for
// the first 100 ms, then every 10 ms, until 10 s of pauses have passed.
inline constexpr std::chrono::milliseconds kReplyWait{10000};
inline constexpr std::chrono::milliseconds kFastReplyPolling{100};
inline constexpr std::chrono::milliseconds kFastReplyPollStep{1};
inline constexpr std::chrono::milliseconds kReplyPollStep{10};
inline constexpr int kHighestComPort = 255;  // COM port numbers run from 1 to 255

// The RP1210 device id for COM port n: 100 + n (COM1 → 101 … COM255 → 355).
short ComPortDeviceId(int port);

// Reads a COM port number from a device name the way the port scan does: names
// longer than three characters whose first three are "COM" (case ignored); the
// rest read as a decimal number (leading blanks and a sign allowed; no digits
// give 0). Returns the number when it is 1 to 255, else 0.
int ComPortNumberFromName(const std::string& name);

// The COM port numbers found as entries of the Gantry directory's dosdevices/
// folder, ascending, each once (com3 and COM3 are one port).
std::vector<int> ListComPorts();

// One port the last Connect tried: its number and what RP1210_ClientConnect
// returned (a client id 0..126 on success, else the RP1210 error code).
struct ConnectAttempt {
    int port = 0;
    short result = 0;
};

inline constexpr const char* f_szRP1210Library = "libKV121032.so";

// The RP1210 library the program loads: the file beside the program or in
// ../lib, where its RUNPATH points (a full path, so that a loader that does
// not honour the program's RUNPATH for dlopen, as under a sanitizer, finds it
// too); else the bare name for the usual search.
std::string RP1210LibraryPath();

class CSerialTransport : public IDeviceResponder {
public:
    // `libraryName` is the RP1210 library's file name (a path for tests).
    // `onlyPort` ("COMn", case ignored) limits Connect to that one port; a
    // name that is no COM port makes every Connect fail (said in the trace log).
    explicit CSerialTransport(std::string libraryName = "libKV121032.so",
                              std::optional<std::string> onlyPort = std::nullopt);
    // Closes a client still open, then frees the library.
    ~CSerialTransport() override;
    CSerialTransport(const CSerialTransport&) = delete;
    CSerialTransport& operator=(const CSerialTransport&) = delete;

    void Attach(INotifier& notifier, IClock& clock) override;
    // Loads the library and binds ClientConnect, ClientDisconnect, SendMessage,
    // ReadMessage and GetErrorMsg in that order; a failure shows "Unable to load
    // KV121032.dll" or "Unable to locate <name> entry point in the KV121032.dll"
    // (title "Error") for the first missing one and fails.
    DeviceResult BindLibrary() override;
    // Scans the COM ports in ascending order (or tries the one port given to
    // the constructor) with device id 100 + n and keeps the first client that
    // opens (result 0..126); logs every failure. An open client is closed
    // first. Done when connected.
    DeviceResult Connect() override;
    // Closes the open client: Done when the library closed it, Failed when
    // it refused or none was open.
    DeviceResult Disconnect() override;
    // Sends the encoded request and polls for the reply (kReplyWait, polls
    // 1 ms apart for the first 100 ms, then 10 ms apart); the first message is
    // the reply. A refused send shows the library's error text. Replies longer
    // than 512 bytes are refused.
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override;
    // Fills `ports` with ListComPorts().
    void GetComPorts(std::vector<int>& ports);

    // The ports the last Connect tried, in order, with their results (for
    // telling the user why no gateway was found).
    const std::vector<ConnectAttempt>& LastConnectAttempts() const { return m_attempts; }
    // The port of the open client, 0 when none is open.
    int ConnectedPort() const {
        return HasClient() && !m_attempts.empty() ? m_attempts.back().port : 0;
    }
    // The RP1210 library's file name as given to the constructor.
    const std::string& LibraryName() const { return m_libraryName; }

    bool IsBound() const { return m_fnReadMessage != nullptr; }
    bool HasClient() const { return m_nClientId >= 0; }
    short ClientId() const { return m_nClientId; }

private:
    void ShowError(const std::string& text);
    // The COM port numbers Connect tries, in order.
    std::vector<int> PortsToTry();
    // Polls for the reply into `received` (kTransferBufferSize bytes); its
    // length, or 0 when none came within the reply window.
    short AwaitReply(char* received);

    std::string m_libraryName;
    std::optional<std::string> m_onlyPort;
    CSharedLibrary m_library;
    RP1210ClientConnectFn m_fnClientConnect = nullptr;
    RP1210ClientDisconnectFn m_fnClientDisconnect = nullptr;
    RP1210SendMessageFn m_fnSendMessage = nullptr;
    RP1210ReadMessageFn m_fnReadMessage = nullptr;
    RP1210GetErrorMsgFn m_fnGetErrorMsg = nullptr;
    short m_nClientId = -1;
    std::vector<ConnectAttempt> m_attempts;
    INotifier* m_notifier = nullptr;
    IClock* m_clock = nullptr;
};

}  // namespace gantry::tool
