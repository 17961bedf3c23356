// The DF1 link of one device: reliable transmit of application messages and
// the receive step that cuts, checks, acknowledges and classifies one unit.
#pragma once

#include <chrono>
#include <cstdint>

#include "driver/ByteMessage.h"
#include "driver/ComPort.h"

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

class CDf1Protocol {
public:
    // Consecutive ENQs after which a transmit gives up instead of resending.
    static constexpr int f_nMaxEnqsInARow = 3;
    // Longest a transmit waits for its ACK in all, foreign frames and port reads included.
    static constexpr std::chrono::milliseconds f_transmitAckWait{2000};

    // Neither pointer is owned; `sink` may be null (messages are then dropped).
    CDf1Protocol(CComPort* port, IDf1MessageSink* sink);

    // Sends one non-empty application message and waits for DLE ACK: resends
    // the identical frame on ENQ, gives up on NAK, silence, the third ENQ in a
    // row or after f_transmitAckWait. A frame the peer sends meanwhile is
    // acknowledged and handed to the sink. Port failures raise 142; a failed
    // ACK/NAK write raises 240.
    bool Transmit(const ByteMessage& message);

    // Takes at most one unit off the link, looking up to polls + 1 times with a
    // 1 ms sleep in between, and acts on it (ACK/NAK a frame, report a control
    // code). `out` receives the application message of a frame that was
    // accepted, or of a well-formed frame rejected for its check byte; it is
    // left alone otherwise. With `dispatch` an accepted message also goes to
    // the sink.
    Df1ReceiveResult Receive(ByteMessage& out, bool dispatch, int polls);

    // The link receive buffer (bytes read but not yet cut into units).
    const ByteMessage& Buffer() const { return m_buffer; }

private:
    Df1ReceiveResult ReceiveUntil(ByteMessage& out, bool dispatch, int polls,
                                  CComPort::Deadline deadline);
    ByteMessage NextDf1Unit(CComPort::Deadline deadline);
    void WriteControl(const ByteMessage& control);

    CComPort* m_pPort;
    IDf1MessageSink* m_pSink;
    ByteMessage m_buffer;
    bool m_bWriteFailing = false;  // the last frame could not be written
};

}  // namespace gantry::driver
