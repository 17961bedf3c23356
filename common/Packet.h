// Packets exchanged between an RP1210 client connection and the serial driver.
//
// This header is a layout contract: libKV121032.so builds the packets and the
// queues that hold them, libKVGYSrl.so reads and writes them from its worker
// thread. Both libraries compile this one declaration; the static_asserts at
// the end pin the layout both sides rely on.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gantry {

// Protocol codes; also the type of a client's transmit and receive queues.
enum EProtocolCode : std::int32_t {
    PROTOCOL_CIP = 1,
    PROTOCOL_J1708 = 2,
    PROTOCOL_J1850 = 3,
    PROTOCOL_J1939 = 4,
    PROTOCOL_CAN = 5,
};

// Queue type of a client's command queue.
constexpr std::int32_t f_nCommandQueueType = -1;

// Size of every packet's data area. 2049, not 2048.
constexpr int f_nPacketDataSize = 2049;

// Maps a protocol name ("CIP", "J1708", ...) to its code; 0 for an unknown name.
// The comparison is exact, as RP1210 protocol strings are.
std::int32_t ProtocolCodeFromName(const char* name);

// Checks a client message for the protocol's packet before any packet is built.
// Returns 0 when it fits, else the RP1210 error code to refuse it with:
// 207 ("Invalid buffer size") for a CIP message longer than 2049 bytes, a J1708
// message longer than 2051 bytes or shorter than 2 bytes, or any size <= 0.
std::int16_t CheckClientMessageSize(std::int32_t protocol, std::int32_t size);

// Base of all packets.
class CDALPacket {
public:
    CDALPacket() {}  // data bytes stay unset: only `length` of them are ever valid
    // Copies `length` bytes of `bytes` into the data area. The caller checks the
    // length first (CheckClientMessageSize); a length outside 0..2049 is clamped
    // so that a bad call can never write past the data area.
    CDALPacket(int length, const std::uint8_t* bytes);
    CDALPacket(const CDALPacket& other) { *this = other; }
    // Copies the length, exactly `length` data bytes, the time stamp and the
    // echo flag. Data bytes beyond `length` are not copied.
    CDALPacket& operator=(const CDALPacket& other);

    // Writes the packet's outgoing form into `buffer`; returns the number of
    // bytes written, or -1 when `size` is too small (nothing is written then).
    virtual std::int32_t WriteTo(std::uint8_t* buffer, std::int32_t size) const;

    // Number of valid data bytes, always within 0..2049.
    int ValidLength() const;

    std::uint32_t m_nTimeStamp = 0;  // driver tick count at receipt; 0 in library packets
    std::uint8_t m_bEcho = 0;        // 1 for the echo of the client's own message
    std::uint8_t m_data[f_nPacketDataSize];
    std::int16_t m_nLength = 0;
    ~CDALPacket() = default;  // not virtual: packets are never deleted through the base
};

// One CIP message (an object request or its reply) as opaque bytes.
class CPacketCIP : public CDALPacket {
public:
    CPacketCIP() {}
    CPacketCIP(int length, const std::uint8_t* bytes) : CDALPacket(length, bytes) {}
    CPacketCIP(const CPacketCIP& other) : CDALPacket(other) {}
    CPacketCIP& operator=(const CPacketCIP& other) = default;
    ~CPacketCIP() = default;

    // The data bytes; needs size >= length.
    std::int32_t WriteTo(std::uint8_t* buffer, std::int32_t size) const override;
};

// One J1708 message: priority and MID, then the bytes after the MID.
class CPacket1708 : public CDALPacket {
public:
    CPacket1708() {}
    CPacket1708(std::uint8_t priority, std::uint8_t mid, int length, const std::uint8_t* bytes)
        : CDALPacket(length, bytes), m_nPriority(priority), m_nMid(mid) {}
    CPacket1708(const CPacket1708& other) : CDALPacket(other) { CopyOwnFields(other); }
    CPacket1708& operator=(const CPacket1708& other);
    ~CPacket1708() = default;

    // Priority, MID, then the data bytes; needs size >= length + 2.
    std::int32_t WriteTo(std::uint8_t* buffer, std::int32_t size) const override;

    std::uint8_t m_nPriority = 0;
    std::uint8_t m_nMid = 0;

private:
    void CopyOwnFields(const CPacket1708& other);
};

// The RP1210 command numbers (RP1210_SendCommand) that the library checks and
// the driver executes; the library refuses every other number with 143.
enum ERP1210Command : std::int16_t {
    RC_ResetDevice = 0,
    RC_SetAllFiltersStatesToPass = 3,
    RC_SetMessageFilteringForJ1939 = 4,
    RC_SetMessageFilteringForCAN = 5,
    RC_SetMessageFilteringForJ1708 = 7,
    RC_GenericDriverCommand = 14,
    RC_SetJ1708Mode = 15,
    RC_EchoTransmittedMessages = 16,
    RC_SetAllFiltersStatesToDiscard = 17,
    RC_SetMessageReceive = 18,
    RC_ReleaseJ1939Address = 19,
};

// One RP1210 command for the driver.
class CCmdPacket : public CDALPacket {
public:
    CCmdPacket() {}
    explicit CCmdPacket(std::int16_t command) : m_nCommand(command) {}
    CCmdPacket(std::int16_t command, std::uint8_t value) : m_nCommand(command), m_nValue(value) {}
    // Command 7: the buffer is the list of MIDs. Value 0.
    CCmdPacket(std::int16_t command, const std::uint8_t* bytes, int length)
        : CDALPacket(length, bytes), m_nCommand(command) {}
    CCmdPacket(const CCmdPacket& other) : CDALPacket(other) { CopyOwnFields(other); }
    CCmdPacket& operator=(const CCmdPacket& other);
    ~CCmdPacket() = default;

    // The data bytes; needs size >= length.
    std::int32_t WriteTo(std::uint8_t* buffer, std::int32_t size) const override;

    std::int16_t m_nCommand = 0;
    std::uint8_t m_nValue = 0;  // on/off argument of commands 15, 16 and 18

private:
    void CopyOwnFields(const CCmdPacket& other);
};

// The layout both libraries rely on (x86-64 and other LP64 targets with an
// 8-byte virtual table pointer first). offsetof on a polymorphic class is
// conditionally supported; g++ and clang lay these out as plain structs.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(sizeof(void*) == 8, "the packet layout is fixed for 64-bit targets");
static_assert(offsetof(CDALPacket, m_nTimeStamp) == 8);
static_assert(offsetof(CDALPacket, m_bEcho) == 12);
static_assert(offsetof(CDALPacket, m_data) == 13);
static_assert(offsetof(CDALPacket, m_nLength) == 2062);
static_assert(sizeof(CDALPacket) == 2064);
static_assert(sizeof(CPacketCIP) == 2064);
static_assert(offsetof(CPacket1708, m_nPriority) == 2064);
static_assert(offsetof(CPacket1708, m_nMid) == 2065);
static_assert(sizeof(CPacket1708) == 2072);
static_assert(offsetof(CCmdPacket, m_nCommand) == 2064);
static_assert(offsetof(CCmdPacket, m_nValue) == 2066);
static_assert(sizeof(CCmdPacket) == 2072);
#pragma GCC diagnostic pop

}  // namespace gantry
