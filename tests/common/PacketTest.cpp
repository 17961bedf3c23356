#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/Packet.h"

using namespace gantry;

namespace {

std::vector<std::uint8_t> Bytes(int count, std::uint8_t first = 1) {
    std::vector<std::uint8_t> bytes(count);
    for (int i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(first + i);
    }
    return bytes;
}

TEST(Packet, WriteToNeedsRoomForEveryByte) {
    const auto data = Bytes(10, 0x30);
    CPacket1708 j1708(3, 0x80, 10, data.data());
    std::uint8_t buffer[16];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(j1708.WriteTo(buffer, 11), -1);
    EXPECT_EQ(buffer[0], 0xEE) << "nothing is written when the buffer is too small";
    EXPECT_EQ(j1708.WriteTo(buffer, 12), 12);
    EXPECT_EQ(buffer[0], 3);
    EXPECT_EQ(buffer[1], 0x80);
    EXPECT_EQ(0, std::memcmp(buffer + 2, data.data(), 10));

    CPacketCIP cip(10, data.data());
    EXPECT_EQ(cip.WriteTo(buffer, 9), -1);
    EXPECT_EQ(cip.WriteTo(buffer, 10), 10);
    EXPECT_EQ(0, std::memcmp(buffer, data.data(), 10));

    CCmdPacket command(7, data.data(), 4);
    EXPECT_EQ(command.WriteTo(buffer, 3), -1);
    EXPECT_EQ(command.WriteTo(buffer, 4), 4);
    EXPECT_EQ(command.m_nValue, 0);

    CDALPacket base;
    EXPECT_EQ(base.WriteTo(buffer, 16), 0);
    EXPECT_EQ(CPacketCIP().WriteTo(buffer, 0), 0);
}

TEST(Packet, ConstructorsSetTheirFieldsAndClearStampAndEcho) {
    EXPECT_EQ(CCmdPacket(3).m_nCommand, 3);
    EXPECT_EQ(CCmdPacket(3).m_nValue, 0);
    const CCmdPacket receive(18, std::uint8_t{1});
    EXPECT_EQ(receive.m_nCommand, 18);
    EXPECT_EQ(receive.m_nValue, 1);
    EXPECT_EQ(receive.m_nLength, 0);
    const CPacket1708 empty;
    EXPECT_EQ(empty.m_nPriority, 0);
    EXPECT_EQ(empty.m_nMid, 0);
    EXPECT_EQ(empty.m_nLength, 0);
    EXPECT_EQ(empty.m_nTimeStamp, 0u);
    EXPECT_EQ(empty.m_bEcho, 0);
}

TEST(Packet, CopyTakesExactlyLengthBytesAndEveryField) {
    const auto data = Bytes(f_nPacketDataSize);
    CPacket1708 source(5, 0x99, 4, data.data());
    source.m_nTimeStamp = 0xA1B2C3D4;
    source.m_bEcho = 1;
    CPacket1708 target(1, 2, f_nPacketDataSize, std::vector<std::uint8_t>(2049, 0xEE).data());
    target = source;
    EXPECT_EQ(target.m_nLength, 4);
    EXPECT_EQ(target.m_nPriority, 5);
    EXPECT_EQ(target.m_nMid, 0x99);
    EXPECT_EQ(target.m_nTimeStamp, 0xA1B2C3D4u);
    EXPECT_EQ(target.m_bEcho, 1);
    EXPECT_EQ(0, std::memcmp(target.m_data, data.data(), 4));
    EXPECT_EQ(target.m_data[4], 0xEE) << "bytes beyond length are not copied";

    CCmdPacket command(16, std::uint8_t{1});
    CCmdPacket copy;
    copy = command;
    EXPECT_EQ(copy.m_nCommand, 16);
    EXPECT_EQ(copy.m_nValue, 1);

    const CPacketCIP full(f_nPacketDataSize, data.data());
    const CPacketCIP fullCopy(full);
    EXPECT_EQ(fullCopy.m_nLength, f_nPacketDataSize);
    EXPECT_EQ(fullCopy.m_data[2048], data[2048]);
}

TEST(Packet, BadLengthsNeverReachPastTheDataArea) {
    const auto data = Bytes(4000);
    const CPacketCIP tooLong(4000, data.data());
    EXPECT_EQ(tooLong.m_nLength, f_nPacketDataSize);
    const CPacketCIP negative(-5, data.data());
    EXPECT_EQ(negative.m_nLength, 0);
    CPacketCIP corrupt;
    corrupt.m_nLength = 30000;  // as a damaged shared queue could hold
    CPacketCIP copy;
    copy = corrupt;
    EXPECT_EQ(copy.m_nLength, f_nPacketDataSize);
}

TEST(Packet, ClientMessageSizesThatDoNotFitAreRefusedWith207) {
    EXPECT_EQ(CheckClientMessageSize(PROTOCOL_CIP, 1), 0);
    EXPECT_EQ(CheckClientMessageSize(PROTOCOL_CIP, 2049), 0);
    EXPECT_EQ(CheckClientMessageSize(PROTOCOL_CIP, 2050), 207);
    EXPECT_EQ(CheckClientMessageSize(PROTOCOL_CIP, 0), 207);
    EXPECT_EQ(CheckClientMessageSize(PROTOCOL_CIP, -1), 207);
    EXPECT_EQ(CheckClientMessageSize(PROTOCOL_J1708, 1), 207);
    EXPECT_EQ(CheckClientMessageSize(PROTOCOL_J1708, 2), 0);
    EXPECT_EQ(CheckClientMessageSize(PROTOCOL_J1708, 2051), 0);
    EXPECT_EQ(CheckClientMessageSize(PROTOCOL_J1708, 2052), 207);
}

TEST(Packet, ProtocolNamesMapToTheirCodes) {
    EXPECT_EQ(ProtocolCodeFromName("CIP"), 1);
    EXPECT_EQ(ProtocolCodeFromName("J1708"), 2);
    EXPECT_EQ(ProtocolCodeFromName("J1850"), 3);
    EXPECT_EQ(ProtocolCodeFromName("J1939"), 4);
    EXPECT_EQ(ProtocolCodeFromName("CAN"), 5);
    EXPECT_EQ(ProtocolCodeFromName("cip"), 0);
    EXPECT_EQ(ProtocolCodeFromName(""), 0);
    EXPECT_EQ(ProtocolCodeFromName(nullptr), 0);
}

}  // namespace
