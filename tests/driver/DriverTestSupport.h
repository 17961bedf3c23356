// Test helpers for the serial driver: the far end of a pseudo-terminal, and a
// scripted gateway on it that can be told what to answer and what to send.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/Clock.h"
#include "driver/ComPort.h"
#include "driver/Df1Utils.h"

using namespace gantry;

using namespace gantry::driver;

using Bytes = std::vector<std::uint8_t>;

// Polls `condition` until it holds or `timeoutMs` pass; its last value.
template <class Condition>
bool WaitUntil(Condition condition, int timeoutMs = 3000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= until) {
            return condition();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

inline ByteMessage ToMessage(const Bytes& bytes) {
    return ByteMessage(bytes.begin(), bytes.end());
}
inline Bytes ToBytes(const ByteMessage& message) {
    return Bytes(message.begin(), message.end());
}

// A pseudo-terminal pair: the driver opens SlavePath(), the test plays the
// gateway on the master side. The slave stays open here too, so the master
// never sees a hang-up while the driver reconnects.
class PtyPeer {
public:
    PtyPeer() {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
            std::abort();
        }
        for (int fd : {m_master, m_slave}) {
            termios settings{};
            ::tcgetattr(fd, &settings);
            ::cfmakeraw(&settings);
            ::tcsetattr(fd, TCSANOW, &settings);
        }
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_path = name;
    }
    ~PtyPeer() {
        CloseMaster();
        if (m_slave >= 0) {
            ::close(m_slave);
        }
    }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& SlavePath() const { return m_path; }

    void Write(const Bytes& bytes) {
        std::lock_guard<std::mutex> lock(m_writeLock);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t count = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (count > 0) {
                done += static_cast<std::size_t>(count);
            } else {
                pollfd watch{m_master, POLLOUT, 0};
                ::poll(&watch, 1, 10);
            }
        }
    }

    // Up to one byte within `timeoutMs`; false when none came.
    bool ReadByte(std::uint8_t& byte, int timeoutMs) {
        pollfd watch{m_master, POLLIN, 0};
        if (::poll(&watch, 1, timeoutMs) <= 0) {
            return false;
        }
        return ::read(m_master, &byte, 1) == 1;
    }

    // Everything that arrives within `timeoutMs`, waiting at most that long for
    // each byte.
    Bytes ReadAll(int timeoutMs) {
        Bytes bytes;
        std::uint8_t byte = 0;
        while (ReadByte(byte, timeoutMs)) {
            bytes.push_back(byte);
        }
        return bytes;
    }

    Bytes ReadExactly(std::size_t count, int timeoutMs = 2000) {
        Bytes bytes;
        std::uint8_t byte = 0;
        while (bytes.size() < count && ReadByte(byte, timeoutMs)) {
            bytes.push_back(byte);
        }
        return bytes;
    }

    // The next control message or frame (without stray bytes in front), or
    // empty after `timeoutMs` of silence.
    Bytes ReadUnit(int timeoutMs = 2000) {
        CDf1UnitAssembler unit;
        std::uint8_t byte = 0;
        while (ReadByte(byte, timeoutMs)) {
            if (unit.Add(byte)) {
                ByteMessage chunk = unit.Take();
                return ToBytes(CutDf1Unit(chunk));
            }
        }
        return {};
    }

    // The next frame's application message; ACKs it first when `ack`.
    Bytes ReadMessage(bool ack = true, int timeoutMs = 2000) {
        const Bytes unit = ReadUnit(timeoutMs);
        const ByteMessage frame = ToMessage(unit);
        if (unit.size() < 6 || !IsValidDf1AppMessage(frame)) {
            return {};
        }
        if (ack) {
            Write({0x10, 0x06});
        }
        return ToBytes(ExtractDf1AppData(frame));
    }

    void SendMessage(const Bytes& message) {
        Write(ToBytes(BuildDf1AppMessage(ToMessage(message))));
    }

    // The line goes away as if the adapter was unplugged.
    void CloseMaster() {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
    std::mutex m_writeLock;
};

// A gateway on a PtyPeer, run on its own thread: acknowledges every good
// frame, answers connect, select protocol and disconnect with status 1 (or
// stays silent once told), answers data messages with a responder, confirms
// echo requests, and records every application message it took.
class ScriptedGateway {
public:
    using Responder = std::function<Bytes(const Bytes& request)>;

    ScriptedGateway() : m_thread([this] { Serve(); }) {}
    ~ScriptedGateway() {
        m_stop = true;
        m_thread.join();
    }

    PtyPeer& Peer() { return m_peer; }
    const std::string& Path() const { return m_peer.SlavePath(); }
    void SetSilent(bool silent) { m_silent = silent; }
    // The next data message is answered by first sending `message` in a frame
    // of its own: before the link ACK, or between ACK and echo confirmation.
    void InterjectBeforeAck(const Bytes& message) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_beforeAck = message;
    }
    void InterjectBeforeEchoConfirm(const Bytes& message) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_beforeConfirm = message;
    }
    void SetResponder(Responder responder) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_responder = std::move(responder);
    }
    // Sends one application message (type and sequence number included) in a frame.
    void Send(const Bytes& message) { m_peer.SendMessage(message); }

    std::vector<Bytes> Messages() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_messages;
    }
    // Waits until a message of `type` has come; the messages so far.
    bool WaitForType(std::uint8_t type, int timeoutMs = 3000) {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (const Bytes& message : m_messages) {
                if (!message.empty() && message[0] == type) {
                    return true;
                }
            }
            return false;
        });
    }
    std::size_t CountType(std::uint8_t type) {
        std::lock_guard<std::mutex> lock(m_lock);
        std::size_t count = 0;
        for (const Bytes& message : m_messages) {
            count += !message.empty() && message[0] == type ? 1 : 0;
        }
        return count;
    }

private:
    void Serve() {
        while (!m_stop) {
            const Bytes unit = m_peer.ReadUnit(20);
            if (unit.size() < 6 || m_silent) {
                continue;
            }
            const ByteMessage frame = ToMessage(unit);
            if (!IsValidDf1AppMessage(frame)) {
                continue;
            }
            const Bytes message = ToBytes(ExtractDf1AppData(frame));
            const bool data = message[0] == 0x06 || message[0] == 0x07;
            Responder responder;
            Bytes beforeAck;
            Bytes beforeConfirm;
            {
                std::lock_guard<std::mutex> lock(m_lock);
                m_messages.push_back(message);
                responder = m_responder;
                if (data) {
                    beforeAck.swap(m_beforeAck);
                    beforeConfirm.swap(m_beforeConfirm);
                }
            }
            if (!beforeAck.empty()) {
                m_peer.SendMessage(beforeAck);
            }
            m_peer.Write({0x10, 0x06});
            if (!beforeConfirm.empty()) {
                m_peer.SendMessage(beforeConfirm);
            }
            m_changed.notify_all();
            Answer(message, responder);
        }
    }

    void Answer(const Bytes& message, const Responder& responder) {
        const std::uint8_t type = message[0];
        if (type == 0x01 || type == 0x03 || type == 0x08) {
            m_peer.SendMessage({0x12, 0x00, 0x00, type, 0x01});
        } else if (type == 0x06 || type == 0x07) {
            if (type == 0x07) {
                m_peer.SendMessage({0x13, 0x00, 0x00});
            }
            if (responder) {
                const Bytes reply = responder(Bytes(message.begin() + 3, message.end()));
                if (!reply.empty()) {
                    Bytes data{0x06, 0x00, 0x00};
                    data.insert(data.end(), reply.begin(), reply.end());
                    m_peer.SendMessage(data);
                }
            }
        }
    }

    PtyPeer m_peer;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_silent{false};
    std::mutex m_lock;  // protects m_messages, m_responder and the interjections
    std::condition_variable m_changed;
    std::vector<Bytes> m_messages;
    Responder m_responder;
    Bytes m_beforeAck;
    Bytes m_beforeConfirm;
    std::thread m_thread;
};

// A serial line in memory for the link's timing tests on the fake clock: what
// the driver writes is recorded, the test (or `onLook`, called with the time
// before every look at the line) delivers what the gateway sends, and a look
// at an empty line lets the clock move on by the look's wait.
class MemoryLine : public CComPort {
public:
    explicit MemoryLine(CInstantClock& clock) : m_clock(clock) {}

    std::function<void(std::chrono::milliseconds now)> onLook;

    void Deliver(const Bytes& bytes) {
        m_inbound.insert(m_inbound.end(), bytes.begin(), bytes.end());
    }
    const std::vector<Bytes>& Written() const { return m_written; }

    bool Write(const ByteMessage& message) override {
        m_written.push_back(ToBytes(message));
        return true;
    }
    ByteMessage Read(std::chrono::milliseconds wait) override {
        if (onLook) {
            onLook(m_clock.Now());
        }
        if (m_inbound.empty()) {
            m_clock.Sleep(wait);
            return {};
        }
        ByteMessage bytes = ToMessage(m_inbound);
        m_inbound.clear();
        return bytes;
    }

private:
    CInstantClock& m_clock;
    Bytes m_inbound;
    std::vector<Bytes> m_written;
};
