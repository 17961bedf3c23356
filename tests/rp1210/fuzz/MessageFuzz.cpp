// Arbitrary calls through the real libKV121032.so to the echo stub driver (a
// real shared library that sends every transmitted packet straight back):
// messages of any size and content, commands, status requests and reads into
// buffers of any size, on one CIP or J1708 client. Every call returns 0, a
// byte count within the buffer, or a code the library documents; nothing is
// written past a read's buffer; every message read back is one the client
// sent, and a CIP client reads back all of them, in order.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "common/GantryDirectory.h"
#include "common/Packet.h"
#include "common/SharedLibrary.h"
#include "rp1210/Exception.h"
#include "rp1210/RP1210.h"

using namespace gantry;
using namespace gantry::rp1210;

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

struct Api {
    CSharedLibrary driver;  // held, so that the library never unloads it between runs
    CSharedLibrary library;
    RP1210ClientConnectFn connect = nullptr;
    RP1210ClientDisconnectFn disconnect = nullptr;
    RP1210SendMessageFn send = nullptr;
    RP1210ReadMessageFn read = nullptr;
    RP1210SendCommandFn command = nullptr;
    RP1210GetErrorMsgFn errorMessage = nullptr;
    RP1210GetHardwareStatusFn status = nullptr;
};

Api& Library() {
    static Api api;
    return api;
}

// 0, or a code RP1210_GetErrorMsg has a text for.
void CheckCode(std::int16_t code) {
    char text[100];
    Check(code == 0 || Library().errorMessage(code, text) == 0);
}

// The input, taken a byte at a time; zeros once it is used up.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_at >= m_size; }
    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::vector<char> Bytes(std::size_t count) {
        std::vector<char> bytes(count, 0);
        for (char& byte : bytes) {
            byte = static_cast<char>(Byte());
        }
        return bytes;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// One client's run: what it sent that has not been read back yet.
class Client {
public:
    explicit Client(bool j1708) : m_j1708(j1708) {
        m_id = Library().connect(nullptr, 1, j1708 ? "J1708" : "CIP", 512, 512, 0);
        Check(m_id >= 0 && m_id <= 127);
    }
    ~Client() { Check(Library().disconnect(m_id) == 0); }

    void Step(Input& input) {
        const std::uint8_t op = input.Byte();
        const std::size_t size = input.Byte() + 256u * ((op >> 2) & 0x0F);
        switch (op & 3) {
            case 0:
                Send(input.Bytes(size));
                break;
            case 1:
                Read(size);
                break;
            case 2: {
                std::vector<char> bytes = input.Bytes(size);
                Command(bytes);
                break;
            }
            default: {
                char status[16];
                CheckCode(Library().status(m_id, status, 16, 0));
            }
        }
    }
    // Reads until every CIP message came back (the stub echoes at once).
    void Drain() {
        if (m_j1708 || !m_linked) {
            return;  // J1708 reads drop what the filters refuse; a reset lost the rest
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!m_pending.empty() && std::chrono::steady_clock::now() < until) {
            if (Read(f_nPacketDataSize + 8) == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }
        Check(m_pending.empty());
    }

private:
    void Send(const std::vector<char>& bytes) {
        const auto size = static_cast<std::int16_t>(bytes.size());
        const std::int16_t result = Library().send(m_id, bytes.data(), size, 0, 0);
        CheckCode(result);
        if (result == 0) {
            // what a read gives back: CIP the message, J1708 MID and data
            m_pending.emplace_back(bytes.begin() + (m_j1708 ? 1 : 0), bytes.end());
        }
    }
    std::int16_t Read(std::size_t size) {
        constexpr std::size_t kGuard = 16;
        std::vector<char> buffer(size + kGuard, '\x5A');
        const auto wanted = static_cast<std::int16_t>(size);
        const std::int16_t result = Library().read(m_id, buffer.data(), wanted, 0);
        for (std::size_t i = size; i < buffer.size(); ++i) {
            Check(buffer[i] == '\x5A');
        }
        if (result < 0) {
            CheckCode(static_cast<std::int16_t>(-result));
            if (-result == ERR_MESSAGE_TOO_LONG && !m_j1708 && !m_pending.empty()) {
                m_pending.pop_front();  // taken from the queue, too long to give
            }
            return result;
        }
        Check(result <= wanted);
        if (result > 0) {
            Match(std::string(buffer.data(), static_cast<std::size_t>(result)));
        }
        return result;
    }
    // A message read must be the oldest one pending; for J1708 older ones may
    // have been filtered out, after the header (time stamp, echo flag).
    void Match(const std::string& message) {
        if (!m_j1708) {
            Check(!m_pending.empty() && message == m_pending.front());
            m_pending.pop_front();
            return;
        }
        const std::size_t header = m_echo ? 5 : 4;
        Check(message.size() > header);
        const std::string body = message.substr(header);
        while (!m_pending.empty() && m_pending.front() != body) {
            m_pending.pop_front();
        }
        Check(!m_pending.empty());
        m_pending.pop_front();
    }
    void Command(std::vector<char>& bytes) {
        const std::int16_t number = bytes.empty() ? 0 : static_cast<std::uint8_t>(bytes[0]) % 24;
        char* argument = bytes.size() > 1 ? bytes.data() + 1 : nullptr;
        const auto size = static_cast<std::int16_t>(bytes.empty() ? 0 : bytes.size() - 1);
        const std::int16_t result = Library().command(number, m_id, argument, size);
        CheckCode(result);
        if (result == 0 && number == RC_EchoTransmittedMessages) {
            m_echo = argument[0] != 0;
        }
        if (result == 0 && number == RC_ResetDevice) {
            m_linked = false;  // what was queued is gone with the link
        }
    }

    bool m_j1708;
    std::int16_t m_id = -1;
    bool m_echo = false;
    bool m_linked = true;
    std::deque<std::string> m_pending;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string directory = "/tmp/gantry-fuzz-rp1210-XXXXXX";
    Check(::mkdtemp(directory.data()) != nullptr);
    ::setenv("GANTRY_DIR", directory.c_str(), 1);
    WriteFileBytes(ResolveGantryPath("KV121032.INI"),
                   "[DeviceInformation1]\r\nDeviceParams=" STUB_DIR
                   "/libStubDriverEcho.so COM1\r\n");
    Api& api = Library();
    Check(api.driver.Open(STUB_DIR "/libStubDriverEcho.so"));
    Check(api.library.Open(KV121032_PATH));
    api.connect = api.library.Resolve<RP1210ClientConnectFn>("RP1210_ClientConnect");
    api.disconnect = api.library.Resolve<RP1210ClientDisconnectFn>("RP1210_ClientDisconnect");
    api.send = api.library.Resolve<RP1210SendMessageFn>("RP1210_SendMessage");
    api.read = api.library.Resolve<RP1210ReadMessageFn>("RP1210_ReadMessage");
    api.command = api.library.Resolve<RP1210SendCommandFn>("RP1210_SendCommand");
    api.errorMessage = api.library.Resolve<RP1210GetErrorMsgFn>("RP1210_GetErrorMsg");
    api.status = api.library.Resolve<RP1210GetHardwareStatusFn>("RP1210_GetHardwareStatus");
    Check(api.connect && api.disconnect && api.send && api.read && api.command &&
          api.errorMessage && api.status);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    Client client((input.Byte() & 1) != 0);
    for (int steps = 0; steps < 64 && !input.Empty(); ++steps) {
        client.Step(input);
    }
    client.Drain();
    return 0;
}
