#include "driver/Device.h"

#include <algorithm>
#include <chrono>

#include "common/Clock.h"
#include "common/TraceLog.h"
#include "driver/DriverError.h"

namespace gantry::driver {

namespace {

// A worker that met an error pauses this long before the next pass, so a
// failing line cannot make it spin.
constexpr std::chrono::milliseconds f_errorBackOff{200};
// About 100 ms without work (passes of ~2 ms) make the device idle.
constexpr int f_nIdlePassesBeforeLongWait = 50;
constexpr std::chrono::milliseconds f_longIdleWait{4};

std::unique_ptr<CComPort> OpenPort(const std::string& portName, std::int32_t protocol) {
    if (protocol != PROTOCOL_CIP && protocol != PROTOCOL_J1708) {
        ThrowDriverError(DE_InvalidProtocol);
    }
    return std::make_unique<CComPortImp>(portName);
}

}  // namespace

CDevice::CDevice(std::int32_t deviceId, const std::string& portName, std::int32_t protocol,
                 CPacketQueue* transmitQueue, CPacketQueue* commandQueue,
                 CPacketQueue* receiveQueue)
    : CDevice(deviceId, OpenPort(portName, protocol), protocol, transmitQueue, commandQueue,
              receiveQueue) {
    m_portName = portName;
    m_portPath = CanonicalPortPath(portName);
}

CDevice::CDevice(std::int32_t deviceId, std::unique_ptr<CComPort> port, std::int32_t protocol,
                 CPacketQueue* transmitQueue, CPacketQueue* commandQueue,
                 CPacketQueue* receiveQueue, IClock& clock)
    : m_nDeviceId(deviceId),
      m_clock(clock),
      m_pPort(std::move(port)),
      m_pTransmitQueue(transmitQueue),
      m_pCommandQueue(commandQueue),
      m_pReceiveQueue(receiveQueue),
      m_bDiscardAll(protocol == PROTOCOL_CIP ? 0 : 1),
      m_nProtocol(protocol) {
    if (protocol != PROTOCOL_CIP && protocol != PROTOCOL_J1708) {
        ThrowDriverError(DE_InvalidProtocol);
    }
    m_pProtocol = std::make_unique<CApplicationProtocol>(m_pPort.get(), this, m_clock);
    // A failing step leaves the constructor by exception: the members, the port
    // among them, are destroyed on the way out.
    Handshake();
}

void CDevice::Handshake() {
    CApplicationProtocol& protocol = *m_pProtocol;
    const bool connected = protocol.TransmitConnectRequest() && protocol.ReceiveConnectAck() &&
                           protocol.SelectProtocol(m_nProtocol) &&
                           protocol.ReceiveSelectProtocolAck() &&
                           (m_nProtocol != PROTOCOL_J1708 || protocol.DiscardAll());
    if (!connected) {
        ThrowDriverError(DE_UnknownDriverError);
    }
}

CDevice::~CDevice() {
    StopThread();
    m_pProtocol.reset();
    m_pPort.reset();
}

bool CDevice::StartThread() {
    m_nRunning = 1;
    try {
        m_thread = std::thread(&CDevice::ThreadProc, this);
    } catch (const std::system_error&) {
        m_nRunning = 0;
        return false;
    }
    while (m_bStarted == 0) {
        std::this_thread::yield();
    }
    return true;
}

void CDevice::StopThread() {
    m_nRunning = 0;
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool CDevice::Disconnect() {
    return m_pProtocol->Disconnect();
}

void CDevice::ThreadProc() {
    m_bStarted = 1;
    while (m_nRunning == 1) {
        try {
            RunPass();
            continue;
        } catch (const CDriverError& error) {
            ReportWorkerError(error.GetErrorCode(), "Driver error " +
                                                        std::to_string(error.GetErrorCode()) +
                                                        " on the line; the device keeps trying");
        } catch (const std::exception& error) {
            ReportWorkerError(-1, std::string("Unexpected failure: ") + error.what());
        } catch (...) {
            ReportWorkerError(-2, "Unexpected failure");
        }
        // Back off in small steps so that StopThread is not kept waiting.
        const auto until = m_clock.Now() + f_errorBackOff;
        while (m_nRunning == 1 && m_clock.Now() < until) {
            m_clock.Sleep(std::chrono::milliseconds(10));
        }
    }
}

std::uint32_t CDevice::TickCount() {
    return static_cast<std::uint32_t>(m_clock.Now().count());
}

void CDevice::ReportWorkerError(int code, const std::string& text) {
    if (m_reportedErrors.insert(code).second) {
        WriteTraceLog("CDevice", "ThreadProc()", text);
    }
}

void CDevice::RunPass() {
    bool worked = ReceivePass();
    worked = CommandPass() || worked;
    if (TransmitPass()) {
        m_bTraffic = 1;
        m_nIdlePasses = 0;
        return;  // a busy line is served without sleeping
    }
    if (worked) {
        m_bTraffic = 1;
        m_nIdlePasses = 0;
    } else {
        // A line that has been idle for a while is looked at less often, so an idle
        // device costs little CPU; the first message after the pause waits a few ms more.
        const bool longIdle = ++m_nIdlePasses > f_nIdlePassesBeforeLongWait;
        m_clock.Sleep(longIdle ? f_longIdleWait : std::chrono::milliseconds(1));
    }
}

bool CDevice::ReceivePass() {
    ByteMessage message;
    if (m_bReceive == 0 || !m_pProtocol->ReceiveData(message)) {
        return false;
    }
    if (m_bDiscardAll == 0 && (m_nProtocol != PROTOCOL_J1708 || m_bJ1708Mode != 0)) {
        DeliverData(message, TickCount());
    }
    return true;
}

// Drops the header and queues the body; a message too short for its packet
// form (CIP under 3 bytes, J1708 under 5) is dropped. A full queue drops it too.
void CDevice::DeliverData(const ByteMessage& message, std::uint32_t timeStamp) {
    const int length = static_cast<int>(message.size());
    const int headerLength = static_cast<int>(f_nAppHeaderLength);
    const int packetHeader = m_nProtocol == PROTOCOL_J1708 ? 2 : 0;
    const int dataLength = length - headerLength - packetHeader;
    if (dataLength < 0 || dataLength > f_nPacketDataSize) {
        return;
    }
    std::uint8_t bytes[f_nPacketDataSize + 2];
    std::copy(message.begin() + headerLength, message.end(), bytes);
    if (m_nProtocol == PROTOCOL_J1708) {
        CPacket1708 packet(bytes[0], bytes[1], dataLength, bytes + 2);
        packet.m_nTimeStamp = timeStamp;
        m_pReceiveQueue->Push(packet);
    } else {
        CPacketCIP packet(dataLength, bytes);
        packet.m_nTimeStamp = timeStamp;
        m_pReceiveQueue->Push(packet);
    }
}

void CDevice::ReceiveMessage(const ByteMessage& message) {
    if (m_nRunning == 0) {
        return;
    }
    DeliverData(message, 0);
}

void CDevice::ReceiveRaw(const std::uint8_t* bytes, int length) {
    ByteMessage message(f_nAppHeaderLength + static_cast<std::size_t>(std::max(length, 0)));
    if (length > 0) {
        std::copy(bytes, bytes + length, message.begin() + f_nAppHeaderLength);
    }
    ReceiveMessage(message);
}

bool CDevice::CommandPass() {
    CCmdPacket command;
    if (!m_pCommandQueue->Pop(command)) {
        return false;
    }
    if (!ExecuteCommand(command)) {
        ReportWorkerError(1000 + command.m_nCommand,
                          "Command " + std::to_string(command.m_nCommand) + " failed");
    }
    return true;
}

bool CDevice::ExecuteCommand(const CCmdPacket& command) {
    switch (command.m_nCommand) {
        case RC_ResetDevice:
        case RC_SetMessageFilteringForJ1708:  // the library filters by MID itself
        case RC_SetMessageReceive:
            return true;
        case RC_SetAllFiltersStatesToPass:
            m_bDiscardAll = 0;
            return m_pProtocol->PassAll();
        case RC_SetJ1708Mode:
            m_bJ1708Mode = command.m_nValue;
            return true;
        case RC_EchoTransmittedMessages:
            m_bEcho = command.m_nValue;
            return true;
        case RC_SetAllFiltersStatesToDiscard:
            m_bDiscardAll = command.m_nValue;
            return command.m_nValue != 0 ? m_pProtocol->DiscardAll() : m_pProtocol->PassAll();
        default:
            return false;
    }
}

bool CDevice::TransmitPass() {
    return m_nProtocol == PROTOCOL_J1708 ? TransmitPacket<CPacket1708>()
                                         : TransmitPacket<CPacketCIP>();
}

template <class Packet>
bool CDevice::TransmitPacket() {
    Packet packet;
    if (!m_pTransmitQueue->Pop(packet)) {
        return false;
    }
    std::uint8_t buffer[f_nSendBufferSize];
    const std::int32_t length = packet.WriteTo(buffer, f_nSendBufferSize);
    if (length < 0) {
        ThrowDriverError(DE_NotEnoughMemory);
    }
    const bool echo = m_bEcho != 0;
    m_pProtocol->SendData(buffer, length, echo);  // an undelivered message is dropped
    if (echo && m_pProtocol->ReceiveEchoConfirm()) {
        packet.m_nTimeStamp = TickCount();
        packet.m_bEcho = 1;
        m_pReceiveQueue->Push(packet);
    }
    return true;
}

}  // namespace gantry::driver
