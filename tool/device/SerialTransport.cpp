#include "tool/device/SerialTransport.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "common/GantryDirectory.h"
#include "common/TraceLog.h"
#include "tool/device/Notifier.h"

namespace gantry::tool {

namespace {

constexpr const char* f_szClassName = "CSerialTransport";
constexpr const char* f_szConnectName = "Connect()";
constexpr const char* f_szProtocol = "CIP";
constexpr std::int32_t f_nClientBufferSize = 512;
constexpr short f_nHighestClientId = 126;

}  // namespace

short ComPortDeviceId(int port) {
    return static_cast<short>(100 + port);
}

int ComPortNumberFromName(const std::string& name) {
    if (name.size() <= 3) {
        return 0;
    }
    for (int i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
            return 0;
        }
    }
    // leading digits after optional blanks and sign, as atoi reads them
    const char* rest = name.c_str() + 3;
    while (*rest == ' ' || *rest == '\t') {
        ++rest;
    }
    bool negative = false;
    if (*rest == '+' || *rest == '-') {
        negative = *rest == '-';
        ++rest;
    }
    long number = 0;
    while (std::isdigit(static_cast<unsigned char>(*rest)) && number <= kHighestComPort) {
        number = number * 10 + (*rest - '0');
        ++rest;
    }
    if (negative || number < 1 || number > kHighestComPort) {
        return 0;
    }
    return static_cast<int>(number);
}

std::vector<int> ListComPorts() {
    std::set<int> numbers;
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(GantryDirectory()) / "dosdevices";
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const int number = ComPortNumberFromName(it->path().filename().string());
        if (number > 0) {
            numbers.insert(number);
        }
    }
    return std::vector<int>(numbers.begin(), numbers.end());
}

CSerialTransport::CSerialTransport(std::string libraryName, std::optional<std::string> onlyPort)
    : m_libraryName(std::move(libraryName)), m_onlyPort(std::move(onlyPort)) {}

CSerialTransport::~CSerialTransport() {
    // a client left open would outlive the library that holds it
    Disconnect();
}

void CSerialTransport::Attach(INotifier& notifier, IClock& clock) {
    m_notifier = &notifier;
    m_clock = &clock;
}

void CSerialTransport::ShowError(const std::string& text) {
    if (m_notifier != nullptr) {
        m_notifier->Notify(text, "Error", NotifyButtons::Ok, NotifyIcon::Error);
    } else {
        CStderrNotifier().Notify(text, "Error", NotifyButtons::Ok, NotifyIcon::Error,
                                 NotifyAnswer::Ok);
    }
}

DeviceResult CSerialTransport::BindLibrary() {
    if (IsBound()) {
        return DeviceResult::Done;
    }
    if (!m_library.Open(m_libraryName)) {
        ShowError("Unable to load KV121032.dll");
        return DeviceResult::Failed;
    }
    auto bind = [this](auto& function, const char* name) {
        using Function = std::remove_reference_t<decltype(function)>;
        function = m_library.Resolve<Function>(name);
        if (function == nullptr) {
            ShowError(std::string("Unable to locate ") + name + " entry point in the KV121032.dll");
            return false;
        }
        return true;
    };
    const bool bound = bind(m_fnClientConnect, "RP1210_ClientConnect") &&
                       bind(m_fnClientDisconnect, "RP1210_ClientDisconnect") &&
                       bind(m_fnSendMessage, "RP1210_SendMessage") &&
                       bind(m_fnReadMessage, "RP1210_ReadMessage") &&
                       bind(m_fnGetErrorMsg, "RP1210_GetErrorMsg");
    if (!bound) {
        m_fnClientConnect = nullptr;
        m_fnClientDisconnect = nullptr;
        m_fnSendMessage = nullptr;
        m_fnReadMessage = nullptr;
        m_fnGetErrorMsg = nullptr;
        m_library.Close();
        return DeviceResult::Failed;
    }
    return DeviceResult::Done;
}

void CSerialTransport::GetComPorts(std::vector<int>& ports) {
    ports.clear();
    ports = ListComPorts();
}

std::vector<int> CSerialTransport::PortsToTry() {
    std::vector<int> ports;
    if (!m_onlyPort) {
        GetComPorts(ports);
    } else if (const int port = ComPortNumberFromName(*m_onlyPort); port != 0) {
        ports.push_back(port);
    } else {
        WriteTraceLog(f_szClassName, f_szConnectName, "No COM port named " + *m_onlyPort + " !");
    }
    return ports;
}

DeviceResult CSerialTransport::Connect() {
    if (!IsBound()) {
        return DeviceResult::Failed;
    }
    if (HasClient()) {
        // a second client on the same port would be refused: close the old one
        Disconnect();
    }
    const std::vector<int> ports = PortsToTry();
    m_attempts.clear();
    if (ports.empty() && !m_onlyPort) {
        WriteTraceLog(f_szClassName, f_szConnectName, "No serial COM ports detected !");
    }
    for (int port : ports) {
        if (port != ports.front()) {
            BetweenAttempts();  // a cancelled start-up scan stops before the next port
        }
        const short result = m_fnClientConnect(nullptr, ComPortDeviceId(port), f_szProtocol,
                                               f_nClientBufferSize, f_nClientBufferSize, 0);
        m_attempts.push_back(ConnectAttempt{port, result});
        if (result >= 0 && result <= f_nHighestClientId) {
            m_nClientId = result;
            return DeviceResult::Done;
        }
        WriteTraceLog(f_szClassName, f_szConnectName,
                      "Connecting to COM port : " + std::to_string(port) +
                          " failed ! Error Code : " + std::to_string(result));
    }
    WriteTraceLog(f_szClassName, f_szConnectName, "Connection to the device failed !");
    return DeviceResult::Failed;
}

DeviceResult CSerialTransport::Disconnect() {
    if (!IsBound() || !HasClient()) {
        return DeviceResult::Failed;
    }
    const short clientId = m_nClientId;
    m_nClientId = -1;
    return ResultOf(m_fnClientDisconnect(clientId) == 0);
}

DeviceResult CSerialTransport::SendRequest(const DeviceRequest& request, DeviceReply& reply) {
    reply = DeviceReply{};
    std::uint8_t buffer[kTransferBufferSize] = {};
    const int length = EncodeRequest(request, buffer, kTransferBufferSize);
    if (length < 0 || !IsBound()) {
        return DeviceResult::Failed;
    }
    const short sent = m_fnSendMessage(m_nClientId, reinterpret_cast<const char*>(buffer),
                                       static_cast<short>(length), 0, 0);
    if (sent != 0) {
        char text[80] = {};
        if (m_fnGetErrorMsg(sent, text) == 0) {
            text[sizeof text - 1] = '\0';
            ShowError(text);
        }
        return DeviceResult::Failed;
    }
    char received[kTransferBufferSize];
    const short count = AwaitReply(received);
    if (count <= 0) {
        return DeviceResult::Failed;
    }
    // longer than the reply record can hold: refused, never cut
    if (count > kMaxReplySize) {
        return DeviceResult::Failed;
    }
    std::memcpy(buffer, received, static_cast<std::size_t>(count));
    return ResultOf(DecodeReply(buffer, count, reply) >= 0);
}

short CSerialTransport::AwaitReply(char* received) {
    IClock& clock = m_clock != nullptr ? *m_clock : SystemClock();
    // The waits are counted, not read off the clock, so a clock that handles
    // window events while it sleeps does not shorten the window.
    std::chrono::milliseconds waited{0};
    while (waited < kReplyWait) {
        const short count = m_fnReadMessage(m_nClientId, received, kTransferBufferSize, 0);
        if (count > 0) {
            return count;
        }
        // A reply is due within a few tens of milliseconds: look often until
        // then, so it is taken when it arrives, not up to a long pause later.
        const auto pause = waited < kFastReplyPolling ? kFastReplyPollStep : kReplyPollStep;
        clock.Sleep(pause);
        waited += pause;
    }
    return 0;
}

std::string RP1210LibraryPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        // where the RUNPATH would look: beside the program, then ../lib
        for (const std::filesystem::path& folder :
             {self.parent_path(), self.parent_path().parent_path() / "lib"}) {
            const std::filesystem::path candidate = folder / f_szRP1210Library;
            if (std::filesystem::exists(candidate, error)) {
                return candidate.string();
            }
        }
    }
    return f_szRP1210Library;
}

}  // namespace gantry::tool
