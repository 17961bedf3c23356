#include "driver/ApplicationProtocol.h"

#include <algorithm>

#include "common/TraceLog.h"

namespace gantry::driver {

CApplicationProtocol::CApplicationProtocol(CComPort* port, IDf1MessageSink* sink, IClock& clock)
    : m_df1(port, sink, clock) {}

bool CApplicationProtocol::TransmitRequest(std::uint8_t type, const std::uint8_t* body,
                                           int length) {
    ++m_nSequence;
    ByteMessage message(f_nAppHeaderLength + static_cast<std::size_t>(std::max(length, 0)));
    message[0] = type;
    message[1] = static_cast<std::uint8_t>(m_nSequence >> 8);
    message[2] = static_cast<std::uint8_t>(m_nSequence & 0xFF);
    if (length > 0) {
        std::copy(body, body + length, message.begin() + f_nAppHeaderLength);
    }
    return m_df1.Transmit(message);
}

// A reply is exactly 5 bytes: 0x12, two bytes not examined, the request type, a status.
bool CApplicationProtocol::IsReply(const ByteMessage& message, std::uint8_t requestType) {
    return message.size() == 5 && message[0] == AM_Reply && message[3] == requestType;
}

bool CApplicationProtocol::TransmitConnectRequest() {
    if (TransmitRequest(AM_ConnectRequest, nullptr, 0)) {
        return true;
    }
    WriteTraceLog("CApplicationProtocol", "TransmitConnectRequest()",
                  "TransmitConnectRequest() - failed !");
    return false;
}

bool CApplicationProtocol::ReceiveConnectAck() {
    ByteMessage reply;
    if (m_df1.Receive(reply, false, f_nReplyPolls) == MessageReceived &&
        IsReply(reply, AM_ConnectRequest) && reply[4] == 0x01) {
        return true;
    }
    WriteTraceLog("CApplicationProtocol", "ReceiveConnectAck()", "ReceiveConnectAck() - failed !");
    return false;
}

bool CApplicationProtocol::SelectProtocol(std::int32_t protocol) {
    const std::uint8_t code = static_cast<std::uint8_t>(protocol);
    return TransmitRequest(AM_SelectProtocolRequest, &code, 1);
}

// A reply whose check byte was wrong counts here too (the gateway got a NAK all
// the same); only a bare ACK does not.
bool CApplicationProtocol::ReceiveSelectProtocolAck() {
    ByteMessage reply;
    if (m_df1.Receive(reply, false, f_nReplyPolls) == AckReceived) {
        return false;
    }
    return IsReply(reply, AM_SelectProtocolRequest) && reply[4] != 0x00;
}

bool CApplicationProtocol::DiscardAll() {
    return TransmitRequest(AM_DiscardAllRequest, nullptr, 0);
}

bool CApplicationProtocol::PassAll() {
    return TransmitRequest(AM_PassAllRequest, nullptr, 0);
}

bool CApplicationProtocol::SendData(const std::uint8_t* bytes, int length, bool echo) {
    return TransmitRequest(echo ? AM_DataMessageWithEcho : AM_DataMessage, bytes, length);
}

bool CApplicationProtocol::ReceiveEchoConfirm() {
    ByteMessage reply;
    if (m_df1.Receive(reply, true, f_nReplyPolls) == AckReceived) {
        return false;
    }
    return !reply.empty() && reply[0] == AM_EchoConfirm;
}

bool CApplicationProtocol::ReceiveData(ByteMessage& message) {
    ByteMessage received;
    if (m_df1.Receive(received, false, 0) != MessageReceived) {
        return false;
    }
    message = std::move(received);
    return true;
}

bool CApplicationProtocol::Disconnect() {
    if (!TransmitRequest(AM_DisconnectRequest, nullptr, 0)) {
        return false;
    }
    ByteMessage reply;
    if (m_df1.Receive(reply, false, f_nReplyPolls) == AckReceived) {
        return false;
    }
    return IsReply(reply, AM_DisconnectRequest) && reply[4] == 0x01;
}

}  // namespace gantry::driver
