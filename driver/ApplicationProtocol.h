// The application messages between the driver and the gateway: connect,
// select protocol, discard/pass all, data messages with or without echo, and
// disconnect. Every request starts with its type and a big-endian sequence
// number that is incremented before each request is built.
#pragma once

#include <cstdint>

#include "driver/ByteMessage.h"
#include "driver/ComPort.h"
#include "driver/Df1Protocol.h"

namespace gantry::driver {

enum EAppMessageType : std::uint8_t {
    AM_ConnectRequest = 0x01,
    AM_SelectProtocolRequest = 0x03,
    AM_DiscardAllRequest = 0x04,
    AM_PassAllRequest = 0x05,
    AM_DataMessage = 0x06,
    AM_DataMessageWithEcho = 0x07,
    AM_DisconnectRequest = 0x08,
    AM_Reply = 0x12,
    AM_EchoConfirm = 0x13,
};

// Length of the type and sequence number in front of every application message.
constexpr std::size_t f_nAppHeaderLength = 3;

class CApplicationProtocol {
public:
    // Waits for a reply or an echo confirmation look this many times (1 ms apart).
    static constexpr int f_nReplyPolls = 100;

    // Nothing is owned. `sink` takes messages that arrive while a transmit or
    // an echo confirmation is awaited; the link waits on `clock`.
    CApplicationProtocol(CComPort* port, IDf1MessageSink* sink, IClock& clock = SystemClock());

    // Each returns true on success; port failures raise 142, a failed ACK/NAK
    // write 240. The two connect steps log their failure.
    bool TransmitConnectRequest();
    bool ReceiveConnectAck();
    bool SelectProtocol(std::int32_t protocol);
    bool ReceiveSelectProtocolAck();
    bool DiscardAll();
    bool PassAll();
    bool SendData(const std::uint8_t* bytes, int length, bool echo);
    bool ReceiveEchoConfirm();
    // One look at the line: true when a message arrived; the whole message,
    // header included, is then in `message`.
    bool ReceiveData(ByteMessage& message);
    bool Disconnect();

    std::uint16_t SequenceNumber() const { return m_nSequence; }
    // Lets a test start a connection near the wrap of the counter.
    void SetSequenceNumber(std::uint16_t value) { m_nSequence = value; }

private:
    bool TransmitRequest(std::uint8_t type, const std::uint8_t* body, int length);
    static bool IsReply(const ByteMessage& message, std::uint8_t requestType);

    CDf1Protocol m_df1;
    std::uint16_t m_nSequence = 0;
};

}  // namespace gantry::driver
