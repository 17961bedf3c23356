// The gateway's side of the serial line: the DF1 link (ACK, NAK for a bad
// check byte, the last frame again on ENQ, and once again on a NAK of it),
// the application protocol (connect, select protocol, discard/pass all, data
// messages, echo confirmations, disconnect), optional pacing at a baud rate,
// and faults a test can ask for, fixed or at random from a seed. Object requests go to a handler,
// normally the device simulator.
//
// One thread serves the line (Run or Poll); the counters may be read from any
// thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

#include "driver/ByteMessage.h"
#include "driver/Df1Utils.h"
#include "gateway/FaultInjector.h"
#include "gateway/GatewayOptions.h"

namespace gantry::gateway {

class CVirtualGateway {
public:
    // Answers the encoded request in buffer[0..length) in place (room for
    // `capacity` bytes); returns the reply length.
    using RequestHandler = std::function<int(std::uint8_t* buffer, int length, int capacity)>;
    // True while the gateway is to ignore the line (after a Reset).
    using UnreachableCheck = std::function<bool()>;
    // Replaces a vanished line with a new one (the port comes back): the new
    // line's fd, or -1 when there is none.
    using LineReplacer = std::function<int()>;

    // `fd` is the line, non-blocking, owned by the caller.
    CVirtualGateway(int fd, const GatewayOptions& options, RequestHandler handler,
                    UnreachableCheck unreachable = {});

    // Without a replacer a vanished-port fault acts as a reset.
    void SetLineReplacer(LineReplacer replacer) { m_replaceLine = std::move(replacer); }

    // Serves until `stop` is set. Returns false when the line failed.
    bool Run(const std::atomic<bool>& stop);
    // Reads what arrives within `timeoutMs` and answers every complete unit;
    // false when the line failed.
    bool Poll(int timeoutMs);

    std::uint64_t BytesReceived() const { return m_nBytesIn; }
    std::uint64_t BytesSent() const { return m_nBytesOut; }
    std::uint64_t FramesReceived() const { return m_nFramesIn; }
    std::uint64_t J1708MessagesReceived() const { return m_nJ1708In; }
    // Time spent answering object requests (the gateway's own work, not the line's).
    double HandlerSeconds() const { return static_cast<double>(m_nHandlerNanoseconds) / 1e9; }
    std::int32_t SelectedProtocol() const { return m_nProtocol; }
    bool PassAll() const { return m_bPassAll; }
    bool Connected() const { return m_bConnected; }
    // The random faults injected so far (read after Run returned).
    const CFaultInjector& Faults() const { return m_faults; }

private:
    using Clock = std::chrono::steady_clock;

    void HandleChunk(driver::ByteMessage chunk);
    void HandleUnit(const driver::ByteMessage& unit);
    void HandleMessage(const driver::ByteMessage& message);
    void AnswerData(const driver::ByteMessage& message);
    void SendReply(std::uint8_t requestType, std::uint8_t status);
    void SendMessage(std::uint8_t type, const std::uint8_t* body, std::size_t length);
    void SendFrame(const driver::ByteMessage& frame);
    void SendBytes(const driver::ByteMessage& bytes);
    void MaybeSendJ1708();
    // Draws the random fault for a good frame; true when the frame is not answered.
    bool InjectFault();
    // A reset or a new line: the link's state is gone.
    void ForgetLink();
    bool ReplaceLine();
    void PaceUntil(Clock::time_point when) const;
    Clock::time_point NextSlot(Clock::time_point last, Clock::time_point now) const;

    int m_fd;
    GatewayOptions m_options;
    RequestHandler m_handler;
    UnreachableCheck m_unreachable;
    LineReplacer m_replaceLine;
    CFaultInjector m_faults;
    Clock::time_point m_deafUntil{};  // a silence or reset ignores the line until then
    bool m_bCorruptNext = false;
    bool m_bVanish = false;
    std::chrono::nanoseconds m_charTime{0};
    Clock::time_point m_rxDone{};
    Clock::time_point m_txDone{};
    Clock::time_point m_lastByte{};
    Clock::time_point m_nextJ1708{};
    driver::CDf1UnitAssembler m_unit;
    driver::ByteMessage m_lastFrame;
    bool m_bResentAfterNak = false;  // the last frame already went again after a NAK
    std::uint16_t m_nSequence = 0;
    std::uint64_t m_nFramesSent = 0;
    std::uint8_t m_nJ1708Value = 0;
    std::atomic<std::uint64_t> m_nBytesIn{0};
    std::atomic<std::uint64_t> m_nBytesOut{0};
    std::atomic<std::uint64_t> m_nFramesIn{0};
    std::atomic<std::uint64_t> m_nJ1708In{0};
    std::atomic<std::uint64_t> m_nHandlerNanoseconds{0};
    std::atomic<std::int32_t> m_nProtocol{0};
    std::atomic<bool> m_bPassAll{false};
    std::atomic<bool> m_bConnected{false};
};

}  // namespace gantry::gateway
