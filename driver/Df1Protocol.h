// The DF1 link of one device: reliable transmit of application messages and
// the receive step that cuts, checks, acknowledges and classifies one unit.
#pragma once

#include <chrono>
#include <cstdint>

#include "common/Clock.h"
#include "driver/ByteMessage.h"
#include "driver/ComPort.h"
#include "driver/Df1Utils.h"

namespace gantry::driver {

enum Df1ReceiveResult : int {
    AckReceived = 0,
    NakReceived = 1,
    EnqReceived = 2,
    MessageReceived = 3,
    NothingReceived = 4,
};

// Takes application messages that arrive while the driver waits for an
// acknowledgement or an echo confirmation (header still in front).
class IDf1MessageSink {
public:
    virtual void ReceiveMessage(const ByteMessage& message) = 0;

protected:
    ~IDf1MessageSink() = default;
};

// Reads DF1 units off a port that delivers bytes as they come.
class CDf1UnitReader {
public:
    // A time of the link's clock; f_noDeadline for none.
    using Deadline = std::chrono::milliseconds;
    static constexpr Deadline f_noDeadline = Deadline::max();
    // Empty looks at the line (about 1 ms each) allowed while a unit is partial.
    static constexpr int f_nEmptyReadAllowance = 5000;
    static constexpr std::chrono::milliseconds f_byteWait{1};

    // Neither is owned.
    CDf1UnitReader(CComPort* port, IClock& clock);

    // One whole DF1 frame or control message, possibly preceded by stray
    // bytes, or the empty message when nothing (complete) arrived. An idle
    // line gives the empty message after one look (about 1 ms). A partial unit
    // is read on until it is complete, f_nEmptyReadAllowance looks in a row
    // bring nothing, `deadline` passes, or it grows longer than any unit
    // (counted in DiscardedUnits); then its bytes are dropped. Bytes after the
    // unit's end are kept for the next call. The port's failures (142) pass
    // through.
    ByteMessage ReadUnit(Deadline deadline = f_noDeadline);
    // Units longer than f_nMaxDf1UnitLength that were dropped so far.
    std::size_t DiscardedUnits() const { return m_unit.DiscardedUnits(); }

private:
    bool NextByte(std::uint8_t& byte);

    CComPort* m_pPort;
    IClock& m_clock;
    CDf1UnitAssembler m_unit;
    ByteMessage m_pending;  // bytes read off the port but not yet assembled
    std::size_t m_nPendingAt = 0;
};

class CDf1Protocol {
public:
    // Consecutive ENQs after which a transmit gives up instead of resending.
    static constexpr int f_nMaxEnqsInARow = 3;
    // Longest a transmit waits for its ACK in all, foreign frames and port reads included.
    static constexpr std::chrono::milliseconds f_transmitAckWait{2000};

    // Nothing is owned; `sink` may be null (messages are then dropped). Every
    // wait and time-out of the link runs on `clock`.
    CDf1Protocol(CComPort* port, IDf1MessageSink* sink, IClock& clock = SystemClock());

    // Sends one non-empty application message and waits for DLE ACK: resends
    // the identical frame on ENQ, gives up on NAK, silence, the third ENQ in a
    // row or after f_transmitAckWait. A frame the peer sends meanwhile is
    // acknowledged and handed to the sink. Port failures raise 142; a failed
    // ACK/NAK write raises 240.
    bool Transmit(const ByteMessage& message);

    // Takes at most one unit off the link, looking up to polls + 1 times with a
    // 1 ms sleep of the clock in between, and acts on it (ACK/NAK a frame, report a control
    // code). `out` receives the application message of a frame that was
    // accepted, or of a well-formed frame rejected for its check byte; it is
    // left alone otherwise. With `dispatch` an accepted message also goes to
    // the sink.
    Df1ReceiveResult Receive(ByteMessage& out, bool dispatch, int polls);

    // The link receive buffer (bytes read but not yet cut into units).
    const ByteMessage& Buffer() const { return m_buffer; }

private:
    using Deadline = CDf1UnitReader::Deadline;

    Df1ReceiveResult ReceiveUntil(ByteMessage& out, bool dispatch, int polls, Deadline deadline);
    ByteMessage NextDf1Unit(Deadline deadline);
    void WriteControl(const ByteMessage& control);

    CComPort* m_pPort;
    IDf1MessageSink* m_pSink;
    IClock& m_clock;
    CDf1UnitReader m_reader;
    ByteMessage m_buffer;
    bool m_bWriteFailing = false;  // the last frame could not be written
};

}  // namespace gantry::driver
