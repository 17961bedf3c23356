#include "cli/PortTransport.h"

#include <cstdint>
#include <cstring>

#include "common/SharedLibrary.h"
#include "common/TraceLog.h"
#include "tool/device/SerialTransport.h"

namespace {

constexpr const char* f_szClassName = "CSinglePortTransport";
constexpr std::int32_t f_nClientBufferSize = 512;
constexpr short f_nHighestClientId = 126;

class CSinglePortTransport : public IDeviceResponder {
public:
    CSinglePortTransport(std::string portName, std::string libraryName)
        : m_portName(std::move(portName)),
          m_port(ComPortNumberFromName(m_portName)),
          m_libraryName(std::move(libraryName)) {}
    ~CSinglePortTransport() override { Disconnect(); }

    void Attach(INotifier& notifier, IClock& clock) override {
        m_notifier = &notifier;
        m_clock = &clock;
    }

    int BindLibrary() override {
        if (m_fnReadMessage != nullptr) {
            return 1;
        }
        if (!m_library.Open(m_libraryName)) {
            ShowError("Unable to load KV121032.dll");
            return 0;
        }
        auto bind = [this](auto& function, const char* name) {
            using Function = std::remove_reference_t<decltype(function)>;
            function = m_library.Resolve<Function>(name);
            if (function == nullptr) {
                ShowError(std::string("Unable to locate ") + name +
                          " entry point in the KV121032.dll");
                return false;
            }
            return true;
        };
        if (!(bind(m_fnClientConnect, "RP1210_ClientConnect") &&
              bind(m_fnClientDisconnect, "RP1210_ClientDisconnect") &&
              bind(m_fnSendMessage, "RP1210_SendMessage") &&
              bind(m_fnReadMessage, "RP1210_ReadMessage") &&
              bind(m_fnGetErrorMsg, "RP1210_GetErrorMsg"))) {
            m_fnReadMessage = nullptr;
            m_library.Close();
            return 0;
        }
        return 1;
    }

    int Connect() override {
        if (m_fnReadMessage == nullptr) {
            return 0;
        }
        Disconnect();
        if (m_port == 0) {
            WriteTraceLog(f_szClassName, "Connect()", "No COM port named " + m_portName + " !");
            return 0;
        }
        const short result = m_fnClientConnect(nullptr, ComPortDeviceId(m_port), "CIP",
                                               f_nClientBufferSize, f_nClientBufferSize, 0);
        if (result >= 0 && result <= f_nHighestClientId) {
            m_clientId = result;
            return 1;
        }
        WriteTraceLog(f_szClassName, "Connect()",
                      "Connecting to COM port : " + std::to_string(m_port) +
                          " failed ! Error Code : " + std::to_string(result));
        return 0;
    }

    int Disconnect() override {
        if (m_fnReadMessage == nullptr || m_clientId < 0) {
            return -1;
        }
        const short clientId = m_clientId;
        m_clientId = -1;
        return m_fnClientDisconnect(clientId);
    }

    int SendRequest(const DeviceRequest& request, DeviceReply& reply) override {
        reply = DeviceReply{};
        std::uint8_t buffer[kTransferBufferSize] = {};
        const int length = EncodeRequest(request, buffer, kTransferBufferSize);
        if (length < 0 || m_fnReadMessage == nullptr || m_clientId < 0) {
            return 0;
        }
        const short sent = m_fnSendMessage(m_clientId, reinterpret_cast<const char*>(buffer),
                                           static_cast<short>(length), 0, 0);
        if (sent != 0) {
            char text[80] = {};
            if (m_fnGetErrorMsg(sent, text) == 0) {
                text[sizeof text - 1] = '\0';
                ShowError(text);
            }
            return 0;
        }
        IClock& clock = m_clock != nullptr ? *m_clock : SystemClock();
        char received[kTransferBufferSize];
        for (int poll = 0; poll < kReplyPolls; ++poll) {
            const short count = m_fnReadMessage(m_clientId, received, kTransferBufferSize, 0);
            if (count > 0) {
                if (count > kMaxReplySize) {
                    return 0;
                }
                std::memcpy(buffer, received, static_cast<std::size_t>(count));
                return DecodeReply(buffer, count, reply) < 0 ? 0 : 1;
            }
            clock.Sleep(std::chrono::milliseconds(kReplyPollMs));
        }
        return 0;
    }

private:
    using ClientConnectFn = std::int16_t (*)(void*, std::int16_t, const char*, std::int32_t,
                                             std::int32_t, std::int16_t);
    using ClientDisconnectFn = std::int16_t (*)(std::int16_t);
    using SendMessageFn = std::int16_t (*)(std::int16_t, const char*, std::int16_t, std::int16_t,
                                           std::int16_t);
    using ReadMessageFn = std::int16_t (*)(std::int16_t, char*, std::int16_t, std::int16_t);
    using GetErrorMsgFn = std::int16_t (*)(std::int16_t, char*);

    void ShowError(const std::string& text) {
        if (m_notifier != nullptr) {
            m_notifier->Notify(text, "Error", NotifyButtons::Ok, NotifyIcon::Error);
        }
    }

    std::string m_portName;
    int m_port = 0;
    std::string m_libraryName;
    CSharedLibrary m_library;
    ClientConnectFn m_fnClientConnect = nullptr;
    ClientDisconnectFn m_fnClientDisconnect = nullptr;
    SendMessageFn m_fnSendMessage = nullptr;
    ReadMessageFn m_fnReadMessage = nullptr;
    GetErrorMsgFn m_fnGetErrorMsg = nullptr;
    short m_clientId = -1;
    INotifier* m_notifier = nullptr;
    IClock* m_clock = nullptr;
};

}  // namespace

std::unique_ptr<IDeviceResponder> MakeSinglePortTransport(const std::string& portName,
                                                          std::string libraryName) {
    return std::make_unique<CSinglePortTransport>(portName, std::move(libraryName));
}
