#include "driver/Df1Protocol.h"

#include <thread>

#include "common/Assert.h"
#include "common/TraceLog.h"
#include "driver/Df1Utils.h"
#include "driver/DriverError.h"

namespace gantry::driver {

CDf1Protocol::CDf1Protocol(CComPort* port, IDf1MessageSink* sink) : m_pPort(port), m_pSink(sink) {}

ByteMessage CDf1Protocol::NextDf1Unit(CComPort::Deadline deadline) {
    if (m_buffer.empty()) {
        m_buffer = m_pPort->Read(deadline);
    }
    return CutDf1Unit(m_buffer);
}

void CDf1Protocol::WriteControl(const ByteMessage& control) {
    if (!m_pPort->Write(control)) {
        ThrowDriverError(DE_UnknownDriverError);
    }
}

Df1ReceiveResult CDf1Protocol::Receive(ByteMessage& out, bool dispatch, int polls) {
    return ReceiveUntil(out, dispatch, polls, CComPort::Deadline::max());
}

Df1ReceiveResult CDf1Protocol::ReceiveUntil(ByteMessage& out, bool dispatch, int polls,
                                            CComPort::Deadline deadline) {
    ByteMessage unit;
    for (;;) {
        unit = NextDf1Unit(deadline);
        if (!unit.empty()) {
            break;
        }
        if (polls == 0 || std::chrono::steady_clock::now() >= deadline) {
            return NothingReceived;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
    const auto deadline = std::chrono::steady_clock::now() + f_transmitAckWait;
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
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
    }
}

}  // namespace gantry::driver
