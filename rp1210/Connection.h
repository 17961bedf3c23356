// One RP1210 client connection: a client id tied to a device id, a protocol,
// a driver binding and the three packet queues it shares with the driver.
//
// Not thread-safe by itself: the connection manager calls every member under
// its lock. The queues are held by shared ownership, so a reader that popped
// outside that lock keeps its queue alive even when another thread closes the
// link or disconnects the client meanwhile.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/Packet.h"
#include "common/PacketQueue.h"

namespace gantry::rp1210 {

class Lib;

// Capacity of each of a connection's three queues.
constexpr std::uint32_t f_nQueueCapacity = 50;

class CConnection {
public:
    // Counts itself as a client of `lib`; `serial` tells this connection apart
    // from a later one that reuses the client id.
    CConnection(std::int16_t clientId, std::int32_t deviceId, std::string portParams, Lib& lib,
                std::int32_t protocol, std::int32_t sendSize, std::int32_t receiveSize,
                std::uint64_t serial);
    // Frees the MID filter and uncounts itself from its Lib (the link must be
    // closed already, or never have opened).
    virtual ~CConnection();
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;

    // Builds the three queues and calls the driver's connect; returns the
    // driver's raw result. The queues are dropped again when it failed.
    std::int16_t OpenLink();
    // Calls the driver's disconnect and drops the queues. Does nothing when the
    // link is already closed (command 0), so that the driver link of another
    // client on the same device id is never torn down by a stale client.
    void CloseLink();
    bool IsLinked() const { return m_pReceive != nullptr; }

    // Queues a client message; throws 207 for a size the packet cannot take,
    // 137 when the transmit queue is full.
    void Send(const std::uint8_t* message, std::int32_t size);

    // The receive queue, shared with whoever pops from it.
    std::shared_ptr<CPacketQueue> ReceiveQueue() const { return m_pReceive; }
    // The client's form of a received packet, written into `buffer`: returns
    // the number of bytes written, 0 for a J1708 packet the MID filter drops;
    // throws 141 when the buffer is too small (the packet is lost then).
    std::int16_t FormatReceived(const CPacketCIP& packet, std::uint8_t* buffer,
                                std::int16_t size) const;
    std::int16_t FormatReceived(const CPacket1708& packet, std::uint8_t* buffer,
                                std::int16_t size) const;

    // Commands 3, 7, 15, 16, 17 and 18, after their pre-check;
    // `clientCount` is the number of clients connected on any device.
    void Execute(std::int16_t command, const std::uint8_t* buffer, std::int16_t size,
                 std::size_t clientCount);

    // The 16 hardware status bytes.
    void WriteStatus(std::uint8_t* buffer);

    std::int16_t ClientId() const { return m_nClientId; }
    std::int32_t DeviceId() const { return m_nDeviceId; }
    std::int32_t Protocol() const { return m_nProtocol; }
    std::uint64_t Serial() const { return m_nSerial; }
    Lib& Driver() const { return m_lib; }
    std::int32_t SendBufferSize() const { return m_nSendBufferSize; }
    std::int32_t ReceiveBufferSize() const { return m_nReceiveBufferSize; }
    bool J1708Mode() const { return m_bJ1708Mode != 0; }
    const std::vector<std::uint8_t>& MidFilter() const { return m_midFilter; }

private:
    void PushCommand(const CCmdPacket& packet);
    void AddMids(const std::uint8_t* mids, std::int16_t count);
    bool Passes(std::uint8_t mid) const;

    std::vector<std::uint8_t> m_midFilter;  // each MID once
    std::int16_t m_nClientId;
    std::int32_t m_nDeviceId;
    std::string m_portParams;
    Lib& m_lib;
    std::int32_t m_nProtocol;
    std::int32_t m_nSendBufferSize;
    std::int32_t m_nReceiveBufferSize;
    std::shared_ptr<CPacketQueue> m_pTransmit;
    std::shared_ptr<CPacketQueue> m_pCommand;
    std::shared_ptr<CPacketQueue> m_pReceive;
    std::uint8_t m_bEcho = 0;
    std::uint8_t m_bJ1708Mode = 1;
    std::uint8_t m_bReceiveEnabled = 1;
    std::uint8_t m_bDiscardAll = 0;
    std::uint8_t m_bPassAll = 0;
    std::uint64_t m_nSerial;
};

}  // namespace gantry::rp1210
