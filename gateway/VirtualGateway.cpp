#include "gateway/VirtualGateway.h"

#include <poll.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>
#include <utility>
#include <vector>

#include "common/Packet.h"
#include "driver/ApplicationProtocol.h"

namespace gantry::gateway {

using namespace gantry::driver;

namespace {

constexpr int f_nRequestCapacity = 4096;
// A partial unit older than this is line noise.
constexpr std::chrono::milliseconds f_partialUnitAge{500};

}  // namespace

CVirtualGateway::CVirtualGateway(int fd, const GatewayOptions& options, RequestHandler handler,
                                 UnreachableCheck unreachable)
    : m_fd(fd),
      m_options(options),
      m_handler(std::move(handler)),
      m_unreachable(std::move(unreachable)),
      m_faults(static_cast<std::uint32_t>(options.faultSeed), options.faultEvery) {
    if (options.baud > 0) {
        m_charTime = std::chrono::nanoseconds(11LL * 1000000000LL / options.baud);
    }
    m_nextJ1708 = Clock::now();
}

void CVirtualGateway::PaceUntil(Clock::time_point when) const {
    const auto since = when.time_since_epoch();
    timespec deadline{};
    deadline.tv_sec =
        static_cast<time_t>(std::chrono::duration_cast<std::chrono::seconds>(since).count());
    deadline.tv_nsec = static_cast<long>((since - std::chrono::seconds(deadline.tv_sec)).count());
    // steady_clock is CLOCK_MONOTONIC on Linux.
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

// The end of the next character slot after one that ended at `last`. A line
// that kept going (the sleep overshot by less than a character) continues from
// `last`, so wake-up delays do not add up across a frame.
CVirtualGateway::Clock::time_point CVirtualGateway::NextSlot(Clock::time_point last,
                                                             Clock::time_point now) const {
    const Clock::time_point start = now - last < m_charTime ? last : now;
    return start + m_charTime;
}

bool CVirtualGateway::Run(const std::atomic<bool>& stop) {
    // Pacing wants wake-ups on time, not up to 50 us late.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    while (!stop) {
        if (!Poll(20)) {
            return false;
        }
    }
    return true;
}

bool CVirtualGateway::Poll(int timeoutMs) {
    MaybeSendJ1708();
    pollfd watch{m_fd, POLLIN, 0};
    const int ready = ::poll(&watch, 1, timeoutMs);
    if (ready < 0) {
        return errno == EINTR;
    }
    if (ready == 0) {
        if (m_unit.Count() > 0 && Clock::now() - m_lastByte > f_partialUnitAge) {
            m_unit.Clear();
        }
        return true;
    }
    std::uint8_t bytes[256];
    const ssize_t count = ::read(m_fd, bytes, sizeof bytes);
    if (count < 0) {
        return errno == EAGAIN || errno == EINTR;
    }
    if (count == 0) {
        return false;
    }
    const auto readAt = Clock::now();
    m_nBytesIn += static_cast<std::uint64_t>(count);
    for (ssize_t i = 0; i < count; ++i) {
        if (m_charTime.count() > 0) {
            // A byte is here when its stop bit has ended.
            m_rxDone = NextSlot(m_rxDone, readAt);
            PaceUntil(m_rxDone);
        }
        m_lastByte = Clock::now();
        if (m_unit.Add(bytes[i])) {
            HandleChunk(m_unit.Take());
        }
    }
    return !m_bVanish || ReplaceLine();
}

bool CVirtualGateway::InjectFault() {
    switch (m_faults.Next()) {
        case LineFault::None:
            return false;
        case LineFault::Corrupt:
            m_bCorruptNext = true;
            return false;
        case LineFault::Nak:
            SendBytes(Df1NakMessage());
            return true;
        case LineFault::Silence:
            m_deafUntil = Clock::now() + m_faults.SilenceLength();
            return true;
        case LineFault::Vanish:
            m_bVanish = true;
            return true;
        case LineFault::Reset:
            break;
    }
    ForgetLink();
    const double downtime =
        m_options.resetDowntimeSeconds > 0 ? m_options.resetDowntimeSeconds : 1.0;
    m_deafUntil = Clock::now() + std::chrono::milliseconds(static_cast<long long>(downtime * 1e3));
    return true;
}

void CVirtualGateway::ForgetLink() {
    m_unit.Clear();
    m_lastFrame.clear();
    m_bConnected = false;
    m_bPassAll = false;
    m_nProtocol = 0;
}

bool CVirtualGateway::ReplaceLine() {
    m_bVanish = false;
    ForgetLink();
    if (!m_replaceLine) {
        return true;
    }
    const int fd = m_replaceLine();
    if (fd < 0) {
        return false;
    }
    m_fd = fd;
    return true;
}

void CVirtualGateway::HandleChunk(ByteMessage chunk) {
    for (;;) {
        ByteMessage unit = CutDf1Unit(chunk);
        if (unit.empty()) {
            return;
        }
        HandleUnit(unit);
    }
}

void CVirtualGateway::HandleUnit(const ByteMessage& unit) {
    const bool silent = m_options.silentAfter > 0 &&
                        m_nFramesIn >= static_cast<std::uint64_t>(m_options.silentAfter);
    if (silent || m_bVanish || Clock::now() < m_deafUntil || (m_unreachable && m_unreachable())) {
        return;
    }
    if (IsDf1ControlMessage(unit)) {
        if (unit[1] == DF1_ENQ && !m_lastFrame.empty()) {
            SendBytes(m_lastFrame);
        } else if (unit[1] == DF1_NAK && !m_lastFrame.empty() && !m_bResentAfterNak) {
            // the peer rejected our last frame: it comes again, once, as sent
            // before any corruption the fault options applied
            m_bResentAfterNak = true;
            SendBytes(m_lastFrame);
        }
        return;  // an ACK needs nothing
    }
    const std::uint64_t frames = ++m_nFramesIn;
    if (!IsValidDf1AppMessage(unit)) {
        SendBytes(Df1NakMessage());
        return;
    }
    const ByteMessage message = ExtractDf1AppData(unit);
    if (ComputeDf1Checksum(message) != GetDf1Checksum(unit)) {
        SendBytes(Df1NakMessage());
        return;
    }
    if (InjectFault()) {
        return;
    }
    if (m_options.enqEvery > 0 && frames % static_cast<std::uint64_t>(m_options.enqEvery) == 0) {
        SendBytes({DF1_DLE, DF1_ENQ});  // as if the frame was missed: it comes again
        return;
    }
    if (m_options.nakEvery > 0 && frames % static_cast<std::uint64_t>(m_options.nakEvery) == 0) {
        SendBytes(Df1NakMessage());
        return;
    }
    SendBytes(Df1AckMessage());
    HandleMessage(message);
}

void CVirtualGateway::HandleMessage(const ByteMessage& message) {
    switch (message[0]) {
        case AM_ConnectRequest:
            m_bConnected = true;
            m_bPassAll = false;
            SendReply(AM_ConnectRequest, 0x01);
            break;
        case AM_SelectProtocolRequest: {
            const std::int32_t protocol =
                message.size() > f_nAppHeaderLength ? message[f_nAppHeaderLength] : 0;
            const bool known = protocol == PROTOCOL_CIP || protocol == PROTOCOL_J1708;
            if (known) {
                m_nProtocol = protocol;
                m_bPassAll = protocol == PROTOCOL_CIP;
            }
            SendReply(AM_SelectProtocolRequest, known ? 0x01 : 0x00);
            break;
        }
        case AM_DiscardAllRequest:
            m_bPassAll = false;
            break;
        case AM_PassAllRequest:
            m_bPassAll = true;
            break;
        case AM_DataMessage:
        case AM_DataMessageWithEcho:
            AnswerData(message);
            break;
        case AM_DisconnectRequest:
            m_bConnected = false;
            SendReply(AM_DisconnectRequest, 0x01);
            break;
        default:
            break;
    }
}

void CVirtualGateway::AnswerData(const ByteMessage& message) {
    if (message[0] == AM_DataMessageWithEcho) {
        SendMessage(AM_EchoConfirm, nullptr, 0);
    }
    if (message.size() < f_nAppHeaderLength) {
        return;
    }
    if (m_nProtocol == PROTOCOL_J1708) {
        ++m_nJ1708In;  // J1708 traffic from the client goes out on the bus, not back
        return;
    }
    std::vector<std::uint8_t> buffer(message.begin() + f_nAppHeaderLength, message.end());
    const int length = static_cast<int>(buffer.size());
    buffer.resize(f_nRequestCapacity);
    const auto started = Clock::now();
    const int replyLength = m_handler ? m_handler(buffer.data(), length, f_nRequestCapacity) : 0;
    m_nHandlerNanoseconds += static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - started).count());
    if (replyLength > 0 && replyLength <= f_nRequestCapacity) {
        SendMessage(AM_DataMessage, buffer.data(), static_cast<std::size_t>(replyLength));
    }
}

void CVirtualGateway::SendReply(std::uint8_t requestType, std::uint8_t status) {
    const std::uint8_t body[2] = {requestType, status};
    SendMessage(AM_Reply, body, 2);
}

void CVirtualGateway::SendMessage(std::uint8_t type, const std::uint8_t* body, std::size_t length) {
    ++m_nSequence;
    ByteMessage message(f_nAppHeaderLength + length);
    message[0] = type;
    message[1] = static_cast<std::uint8_t>(m_nSequence >> 8);
    message[2] = static_cast<std::uint8_t>(m_nSequence & 0xFF);
    if (length > 0) {
        std::copy(body, body + length, message.begin() + f_nAppHeaderLength);
    }
    SendFrame(BuildDf1AppMessage(message));
}

void CVirtualGateway::SendFrame(const ByteMessage& frame) {
    m_lastFrame = frame;
    m_bResentAfterNak = false;
    ++m_nFramesSent;
    ByteMessage sent = frame;
    const bool corrupt = m_options.corruptEvery > 0 &&
                         m_nFramesSent % static_cast<std::uint64_t>(m_options.corruptEvery) == 0;
    if (corrupt || std::exchange(m_bCorruptNext, false)) {
        sent.back() = static_cast<std::uint8_t>(sent.back() ^ 0x5A);
    }
    SendBytes(sent);
}

void CVirtualGateway::SendBytes(const ByteMessage& bytes) {
    const std::vector<std::uint8_t> flat(bytes.begin(), bytes.end());
    for (std::size_t i = 0; i < flat.size();) {
        std::size_t chunk = flat.size() - i;
        if (m_charTime.count() > 0) {
            // Advance the deadline first, then write: a byte is sent when its slot ends.
            m_txDone = NextSlot(m_txDone, Clock::now());
            PaceUntil(m_txDone);
            chunk = 1;
        }
        const ssize_t count = ::write(m_fd, flat.data() + i, chunk);
        if (count > 0) {
            i += static_cast<std::size_t>(count);
            m_nBytesOut += static_cast<std::uint64_t>(count);
        } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
            return;  // the line has gone; the reader notices
        } else {
            pollfd watch{m_fd, POLLOUT, 0};
            ::poll(&watch, 1, 10);
        }
    }
}

void CVirtualGateway::MaybeSendJ1708() {
    if (m_options.j1708EveryMs <= 0 || m_nProtocol != PROTOCOL_J1708 || !m_bPassAll ||
        !m_bConnected) {
        return;
    }
    const auto now = Clock::now();
    if (now < m_nextJ1708) {
        return;
    }
    m_nextJ1708 = now + std::chrono::milliseconds(m_options.j1708EveryMs);
    // Priority 8, MID 128 (engine), then PID 84 (road speed) and its value.
    const std::uint8_t body[4] = {8, 128, 84, m_nJ1708Value++};
    SendMessage(AM_DataMessage, body, sizeof body);
}

}  // namespace gantry::gateway
