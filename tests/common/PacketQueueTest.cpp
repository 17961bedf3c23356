#include <gtest/gtest.h>

#include "common/PacketQueue.h"

using namespace gantry;

namespace {

CPacketCIP Numbered(std::uint8_t number) {
    const std::uint8_t bytes[2] = {number, static_cast<std::uint8_t>(~number)};
    return CPacketCIP(2, bytes);
}

TEST(PacketQueue, FullQueueRefusesPushAndKeepsContents) {
    CPacketQueue queue(50, PROTOCOL_CIP);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(queue.Push(Numbered(static_cast<std::uint8_t>(i))));
    }
    EXPECT_EQ(queue.State(), CPacketQueue::QS_Full);
    EXPECT_FALSE(queue.Push(Numbered(99)));
    EXPECT_EQ(queue.State(), CPacketQueue::QS_Full);

    CPacketCIP out;
    ASSERT_TRUE(queue.Pop(out));
    EXPECT_EQ(out.m_data[0], 0);
    EXPECT_EQ(queue.State(), CPacketQueue::QS_Partial);
    EXPECT_TRUE(queue.Push(Numbered(50)));
    EXPECT_FALSE(queue.Push(Numbered(51)));
    for (int i = 1; i <= 50; ++i) {
        ASSERT_TRUE(queue.Pop(out));
        EXPECT_EQ(out.m_data[0], i) << "the refused packet never entered the queue";
    }
    EXPECT_EQ(queue.State(), CPacketQueue::QS_Empty);
}

TEST(PacketQueue, EmptyQueueRefusesPopAndLeavesThePacket) {
    CPacketQueue queue(50, PROTOCOL_CIP);
    CPacketCIP out = Numbered(7);
    EXPECT_FALSE(queue.Pop(out));
    EXPECT_EQ(out.m_nLength, 2);
    EXPECT_EQ(out.m_data[0], 7);
}

TEST(PacketQueue, FiftyInFiftyOutReturnsBothIndicesToFirst) {
    CPacketQueue queue(50, PROTOCOL_CIP);
    CPacketCIP out;
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(queue.Push(Numbered(static_cast<std::uint8_t>(i))));
    }
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(queue.Pop(out));
    }
    EXPECT_EQ(queue.State(), CPacketQueue::QS_Empty);
    EXPECT_EQ(queue.ReadIndex(), 0u);
    EXPECT_EQ(queue.WriteIndex(), 0u);
}

TEST(PacketQueue, WrapsAroundInOrder) {
    CPacketQueue queue(5, PROTOCOL_CIP);
    CPacketCIP out;
    int next = 0;
    int expected = 0;
    // keep 3 stored while the indices go round the 5 slots several times
    for (int round = 0; round < 4; ++round) {
        ASSERT_TRUE(queue.Push(Numbered(static_cast<std::uint8_t>(next++))));
    }
    for (int step = 0; step < 23; ++step) {
        ASSERT_TRUE(queue.Pop(out));
        EXPECT_EQ(out.m_data[0], expected++);
        ASSERT_TRUE(queue.Push(Numbered(static_cast<std::uint8_t>(next++))));
    }
    while (queue.Pop(out)) {
        EXPECT_EQ(out.m_data[0], expected++);
    }
    EXPECT_EQ(expected, next);
}

TEST(PacketQueue, EachQueueHoldsOnlyItsOwnClass) {
    CPacketQueue j1708(50, PROTOCOL_J1708);
    CPacketQueue commands(50, -1);
    const std::uint8_t bytes[3] = {1, 2, 3};
    EXPECT_FALSE(j1708.Push(CPacketCIP(3, bytes)));
    EXPECT_FALSE(commands.Push(CPacket1708(1, 2, 3, bytes)));
    EXPECT_TRUE(j1708.Push(CPacket1708(4, 0x80, 3, bytes)));
    EXPECT_TRUE(commands.Push(CCmdPacket(15, std::uint8_t{1})));

    CPacketCIP wrong;
    EXPECT_FALSE(j1708.Pop(wrong));
    CPacket1708 message;
    ASSERT_TRUE(j1708.Pop(message));
    EXPECT_EQ(message.m_nPriority, 4);
    EXPECT_EQ(message.m_nMid, 0x80);
    EXPECT_EQ(message.m_nLength, 3);
    CCmdPacket command;
    ASSERT_TRUE(commands.Pop(command));
    EXPECT_EQ(command.m_nCommand, 15);
    EXPECT_EQ(command.m_nValue, 1);
    EXPECT_EQ(commands.Type(), -1);
}

TEST(PacketQueue, ClearEmptiesAndRestarts) {
    CPacketQueue queue(50, PROTOCOL_CIP);
    for (int i = 0; i < 7; ++i) {
        queue.Push(Numbered(static_cast<std::uint8_t>(i)));
    }
    queue.Clear();
    EXPECT_EQ(queue.State(), CPacketQueue::QS_Empty);
    EXPECT_EQ(queue.ReadIndex(), 0u);
    EXPECT_EQ(queue.WriteIndex(), 0u);
    CPacketCIP out;
    EXPECT_FALSE(queue.Pop(out));
    EXPECT_TRUE(queue.Push(Numbered(42)));
    ASSERT_TRUE(queue.Pop(out));
    EXPECT_EQ(out.m_data[0], 42);
}

TEST(PacketQueue, ZeroCapacityQueueStoresNothing) {
    CPacketQueue queue(0, PROTOCOL_CIP);
    CPacketCIP out;
    EXPECT_FALSE(queue.Push(Numbered(1)));
    EXPECT_FALSE(queue.Pop(out));
}

}  // namespace
