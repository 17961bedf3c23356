#include <gtest/gtest.h>

#include <thread>

#include "common/PacketQueue.h"

using namespace gantry;

namespace {

// Length and contents both derive from the sequence number, so a packet that
// is lost, duplicated, reordered or torn shows up on the consumer side.
int LengthOf(std::uint32_t sequence) {
    return 4 + static_cast<int>(sequence * 7919u % 2046u);
}

std::uint8_t ByteOf(std::uint32_t sequence, int index) {
    return static_cast<std::uint8_t>(sequence * 31u + static_cast<std::uint32_t>(index));
}

TEST(PacketQueueThreads, ProducerAndConsumerMoveEveryPacketInOrder) {
    constexpr std::uint32_t kCount = 100000;
    CPacketQueue queue(50, PROTOCOL_CIP);

    std::thread producer([&] {
        CPacketCIP packet;
        for (std::uint32_t sequence = 0; sequence < kCount; ++sequence) {
            const int length = LengthOf(sequence);
            packet.m_nLength = static_cast<std::int16_t>(length);
            for (int i = 0; i < length; ++i) {
                packet.m_data[i] = ByteOf(sequence, i);
            }
            packet.m_nTimeStamp = sequence;
            while (!queue.Push(packet)) {
                std::this_thread::yield();
            }
        }
    });

    std::uint32_t received = 0;
    std::uint32_t faults = 0;
    CPacketCIP packet;
    while (received < kCount) {
        if (!queue.Pop(packet)) {
            std::this_thread::yield();
            continue;
        }
        const int length = LengthOf(received);
        bool intact = packet.m_nTimeStamp == received && packet.m_nLength == length;
        for (int i = 0; intact && i < length; ++i) {
            intact = packet.m_data[i] == ByteOf(received, i);
        }
        faults += intact ? 0 : 1;
        ++received;
    }
    producer.join();

    EXPECT_EQ(faults, 0u);
    EXPECT_FALSE(queue.Pop(packet)) << "nothing beyond what was sent";
    EXPECT_EQ(queue.State(), CPacketQueue::QS_Empty);
}

}  // namespace
