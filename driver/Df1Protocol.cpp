#include "driver/Df1Protocol.h"

#include "common/Assert.h"
#include "common/TraceLog.h"
#include "driver/Df1Utils.h"
#include "driver/DriverError.h"

namespace gantry::driver {

CDf1UnitReader::CDf1UnitReader(CComPort* port, IClock& clock) : m_pPort(port), m_clock(clock) {}

bool CDf1UnitReader::NextByte(std::uint8_t& byte) {
    if (m_nPendingAt == m_pending.size()) {
        m_pending = m_pPort->Read(f_byteWait);
        m_nPendingAt = 0;
        if (m_pending.empty()) {
            return false;
        }
    }
    byte = m_pending[m_nPendingAt++];
    return true;
}

ByteMessage CDf1UnitReader::ReadUnit(Deadline deadline) {
    m_unit.Clear();
    int allowance = f_nEmptyReadAllowance;
    for (;;) {
        std::uint8_t byte = 0;
        if (NextByte(byte)) {
            const std::size_t discarded = m_unit.DiscardedUnits();
            if (m_unit.Add(byte)) {
                return m_unit.Take();
            }
            if (m_unit.DiscardedUnits() != discarded) {
                // Too long for any unit: give up on it, so that a babbling line
                // cannot keep one read going for ever.
                m_unit.Clear();
                return {};
            }
            continue;
        }
        if (m_unit.Count() == 0 || --allowance <= 0 || m_clock.Now() >= deadline) {
            m_unit.Clear();
            return {};
        }
    }
}

CDf1Protocol::CDf1Protocol(CComPort* port, IDf1MessageSink* sink, IClock& clock)
    : m_pPort(port), m_pSink(sink), m_clock(clock), m_reader(port, clock) {}

ByteMessage CDf1Protocol::NextDf1Unit(Deadline deadline) {
    if (m_buffer.empty()) {
        m_buffer = m_reader.ReadUnit(deadline);
    }
    return CutDf1Unit(m_buffer);
}

void CDf1Protocol::WriteControl(const ByteMessage& control) {
    if (!m_pPort->Write(control)) {
        ThrowDriverError(DE_UnknownDriverError);
    }
}

Df1ReceiveResult CDf1Protocol::Receive(ByteMessage& out, bool dispatch, int polls) {
    return ReceiveUntil(out, dispatch, polls, CDf1UnitReader::f_noDeadline);
}

Df1ReceiveResult CDf1Protocol::ReceiveUntil(ByteMessage& out, bool dispatch, int polls,
                                            Deadline deadline) {
    ByteMessage unit;
    for (;;) {
        unit = NextDf1Unit(deadline);
        if (!unit.empty()) {
            break;
        }
        if (polls == 0 || m_clock.Now() >= deadline) {
            return NothingReceived;
        }
        m_clock.Sleep(std::chrono::milliseconds(1));
        --polls;
    }
    if (IsDf1ControlMessage(unit)) {
        switch (unit[1]) {
            case DF1_ACK:
                return AckReceived;
            case DF1_NAK:
                return NakReceived;
            default:
                return EnqReceived;
        }
    }
    if (!IsValidDf1AppMessage(unit)) {
        // DLE STX without an end, DLE ETX, DLE 15 and other malformed units.
        WriteControl(Df1NakMessage());
        return NothingReceived;
    }
    out = ExtractDf1AppData(unit);
    if (ComputeDf1Checksum(out) != GetDf1Checksum(unit)) {
        WriteControl(Df1NakMessage());
        return NothingReceived;
    }
    WriteControl(Df1AckMessage());
    if (dispatch && m_pSink != nullptr) {
        m_pSink->ReceiveMessage(out);
    }
    return MessageReceived;
}

bool CDf1Protocol::Transmit(const ByteMessage& message) {
    GY_ASSERT(message.size() > 0);
    const ByteMessage frame = BuildDf1AppMessage(message);
    const Deadline deadline = m_clock.Now() + f_transmitAckWait;
    int enqsInARow = 0;
    bool send = true;
    for (;;) {
        if (send && !m_pPort->Write(frame)) {
            // Once per run of failures: a pulled adapter must not flood the log.
            if (!m_bWriteFailing) {
                WriteTraceLog("CDf1Protocol", "Transmit()", "Transmitting DF1 message failed !");
            }
            m_bWriteFailing = true;
            return false;
        }
        m_bWriteFailing = false;
        send = false;
        ByteMessage scratch;
        switch (ReceiveUntil(scratch, true, 100, deadline)) {
            case AckReceived:
                return true;
            case EnqReceived:
                // The peer missed the frame; a faulty peer asking forever must not hang us.
                if (++enqsInARow >= f_nMaxEnqsInARow) {
                    return false;
                }
                send = true;
                break;
            case MessageReceived:
                // The peer's own frame, acknowledged and handed on; keep waiting.
                enqsInARow = 0;
                break;
            default:
                return false;
        }
        if (m_clock.Now() >= deadline) {
            return false;
        }
    }
}

}  // namespace gantry::driver
