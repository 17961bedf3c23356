// DF1 framing: pure functions on byte messages, no I/O.
//
// A frame is DLE STX, the application message with every 0x10 doubled, DLE ETX
// and a check byte (two's complement of the 8-bit sum of the undoubled message).
// A control message is DLE followed by ENQ, ACK or NAK.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/ByteMessage.h"

namespace gantry::driver {

constexpr std::uint8_t DF1_DLE = 0x10;
constexpr std::uint8_t DF1_STX = 0x02;
constexpr std::uint8_t DF1_ETX = 0x03;
constexpr std::uint8_t DF1_ENQ = 0x05;
constexpr std::uint8_t DF1_ACK = 0x06;
constexpr std::uint8_t DF1_NAK = 0x0F;  // 0x0F, not 0x15: this link's NAK

// Longest unit the port assembles; a longer one is discarded.
constexpr std::size_t f_nMaxDf1UnitLength = 2048;

// The two control messages the driver sends, built once and shared read-only.
const ByteMessage& Df1AckMessage();  // 10 06
const ByteMessage& Df1NakMessage();  // 10 0F

// Two's complement of the 8-bit sum of all bytes.
std::uint8_t ComputeDf1Checksum(const ByteMessage& message);

// The frame for an application message of at least one byte.
ByteMessage BuildDf1AppMessage(const ByteMessage& message);

// True for the empty message, and for a message of more than 5 bytes that
// starts DLE STX, ends DLE ETX plus one byte, and has every DLE in between
// doubled.
bool IsValidDf1AppMessage(const ByteMessage& message);

// Exactly DLE ENQ, DLE ACK or DLE NAK.
bool IsDf1ControlMessage(const ByteMessage& message);

// The application message in a valid frame (doubled DLEs collapsed); the frame
// must satisfy IsValidDf1AppMessage.
ByteMessage ExtractDf1AppData(const ByteMessage& frame);

// The check byte of a valid frame (its last byte).
std::uint8_t GetDf1Checksum(const ByteMessage& frame);

// Cuts the next unit off the front of the link receive buffer: stray bytes
// before the first DLE go with it; a buffer without a DLE, or whose first DLE
// is its last byte, is cleared and gives the empty unit. A DLE STX whose frame
// end is not (yet) in the buffer gives the two-byte unit DLE STX.
ByteMessage CutDf1Unit(ByteMessage& buffer);

// Assembles one unit from bytes read one at a time off the line: complete
// after DLE plus ENQ/ACK/NAK as the first two bytes, or after the byte that
// follows an ETX preceded by an odd run of DLEs. Never holds more than
// f_nMaxDf1UnitLength bytes: a longer unit is dropped and counted.
class CDf1UnitAssembler {
public:
    // Adds one byte; true when the bytes held now form a complete unit.
    bool Add(std::uint8_t byte);
    // The bytes held (the unit once Add returned true); empties the assembler.
    ByteMessage Take();
    void Clear() { m_nCount = 0; }
    std::size_t Count() const { return m_nCount; }
    std::size_t DiscardedUnits() const { return m_nDiscarded; }

private:
    bool IsComplete() const;

    std::uint8_t m_buffer[f_nMaxDf1UnitLength] = {};
    std::size_t m_nCount = 0;
    std::size_t m_nDiscarded = 0;
};

}  // namespace gantry::driver
