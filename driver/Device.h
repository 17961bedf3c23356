// One connected gateway: its serial port, its application protocol and the
// worker thread that moves packets between the client's three queues and the
// line.
//
// Threads: the entry-point caller constructs, starts, stops and destroys the
// device and reads or writes its flags; the worker thread alone uses the port
// and the protocol between StartThread and StopThread. Shared between the two
// are only the atomic flags below and the queues, which hold their own lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "common/PacketQueue.h"
#include "driver/ApplicationProtocol.h"
#include "driver/ComPortImp.h"

namespace gantry::driver {

class CDevice : public IDf1MessageSink {
public:
    // Buffer offered to a packet's outgoing form (8092, not 8192).
    static constexpr int f_nSendBufferSize = 8092;

    // Opens the port and runs the connect handshake. Raises 136 for a protocol
    // other than 1 and 2, the port's errors (142, 240), and 240 when a
    // handshake step fails; the port is closed again then.
    CDevice(std::int32_t deviceId, const std::string& portName, std::int32_t protocol,
            CPacketQueue* transmitQueue, CPacketQueue* commandQueue, CPacketQueue* receiveQueue);
    // As above over a port the caller built, the link and the worker waiting
    // on `clock` (tests).
    CDevice(std::int32_t deviceId, std::unique_ptr<CComPort> port, std::int32_t protocol,
            CPacketQueue* transmitQueue, CPacketQueue* commandQueue, CPacketQueue* receiveQueue,
            IClock& clock = SystemClock());
    virtual ~CDevice();
    CDevice(const CDevice&) = delete;
    CDevice& operator=(const CDevice&) = delete;

    // Starts the worker and returns once it runs; false when it cannot be created.
    bool StartThread();
    // Ends the worker after its current pass and waits for it.
    void StopThread();
    // The disconnect exchange; only while the worker is stopped.
    bool Disconnect();

    void SetReceiveFlag(std::uint8_t flag) { m_bReceive = flag; }
    std::uint8_t TrafficDetected() const { return m_bTraffic; }

    // A message that arrived during a link wait: the header is dropped and the
    // rest queued for the client with time stamp 0; ignored while not running.
    void ReceiveMessage(const ByteMessage& message) override;
    // The body of such a message (J1708: priority, MID, data).
    void ReceiveRaw(const std::uint8_t* bytes, int length);

    std::int32_t DeviceId() const { return m_nDeviceId; }
    // The name the port was opened with, and the device it resolves to.
    const std::string& PortName() const { return m_portName; }
    const std::string& PortPath() const { return m_portPath; }
    // The application protocol; for the connect handshake's tests only.
    CApplicationProtocol& Protocol() { return *m_pProtocol; }

private:
    void Handshake();
    void ThreadProc();
    void RunPass();
    bool ReceivePass();
    bool CommandPass();
    bool TransmitPass();
    void DeliverData(const ByteMessage& message, std::uint32_t timeStamp);
    bool ExecuteCommand(const CCmdPacket& command);
    template <class Packet>
    bool TransmitPacket();
    void ReportWorkerError(int code, const std::string& text);
    // The time stamp of a received packet: the clock's milliseconds, 32 bits.
    std::uint32_t TickCount();

    std::int32_t m_nDeviceId;
    IClock& m_clock;
    std::string m_portName;
    std::string m_portPath;
    std::unique_ptr<CComPort> m_pPort;
    std::thread m_thread;
    std::atomic<std::int32_t> m_nRunning{0};
    CPacketQueue* m_pTransmitQueue;
    CPacketQueue* m_pCommandQueue;
    CPacketQueue* m_pReceiveQueue;
    std::unique_ptr<CApplicationProtocol> m_pProtocol;
    std::atomic<std::uint8_t> m_bStarted{0};
    std::atomic<std::uint8_t> m_bReceive{1};
    std::uint8_t m_bDiscardAll = 1;  // worker thread only
    std::uint8_t m_bEcho = 0;        // worker thread only
    std::uint8_t m_bJ1708Mode = 1;   // worker thread only
    std::atomic<std::uint8_t> m_bTraffic{0};
    std::int32_t m_nProtocol;
    std::set<int> m_reportedErrors;  // worker thread only: kinds already logged
    int m_nIdlePasses = 0;           // worker thread only: passes without work in a row
};

}  // namespace gantry::driver
