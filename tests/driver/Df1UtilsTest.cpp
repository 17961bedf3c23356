// DF1 framing and unit cutting, byte for byte.
#include <gtest/gtest.h>

#include "DriverTestSupport.h"
#include "driver/Df1Utils.h"

using namespace gantry::driver;

namespace {

Bytes Frame(const Bytes& message) {
    return ToBytes(BuildDf1AppMessage(ToMessage(message)));
}

// Feeds bytes to an assembler; the count of bytes taken when it first reported
// a complete unit, or 0.
std::size_t CompleteAfter(const Bytes& bytes) {
    CDf1UnitAssembler unit;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (unit.Add(bytes[i])) {
            return i + 1;
        }
    }
    return 0;
}

}  // namespace

TEST(Df1Framing, ExampleMessages_GiveTheExactFrames) {
    EXPECT_EQ(Frame({0x01, 0x00, 0x01}), (Bytes{0x10, 0x02, 0x01, 0x00, 0x01, 0x10, 0x03, 0xFE}));
    EXPECT_EQ(Frame({0x10, 0x05}), (Bytes{0x10, 0x02, 0x10, 0x10, 0x05, 0x10, 0x03, 0xEB}));
    EXPECT_EQ(Frame({0x10}), (Bytes{0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0xF0}));
    EXPECT_EQ(Frame({0x01, 0x10}), (Bytes{0x10, 0x02, 0x01, 0x10, 0x10, 0x10, 0x03, 0xEF}));
    EXPECT_EQ(Frame({0x10, 0x03}), (Bytes{0x10, 0x02, 0x10, 0x10, 0x03, 0x10, 0x03, 0xED}));
    EXPECT_EQ(Df1AckMessage(), ToMessage({0x10, 0x06}));
    EXPECT_EQ(Df1NakMessage(), ToMessage({0x10, 0x0F}));
}

TEST(Df1Framing, ChecksumIsTwosComplementOfTheUndoubledSum) {
    EXPECT_EQ(ComputeDf1Checksum(ToMessage({})), 0x00);
    EXPECT_EQ(ComputeDf1Checksum(ToMessage({0x80, 0x80})), 0x00);
    EXPECT_EQ(ComputeDf1Checksum(ToMessage({0xFF})), 0x01);
    EXPECT_EQ(ComputeDf1Checksum(ToMessage({0x10})), 0xF0);
}

TEST(Df1Framing, ExtractAndChecksum_RoundTripEveryByteValue) {
    Bytes message;
    for (int value = 0; value < 256; ++value) {
        message.push_back(static_cast<std::uint8_t>(value));
    }
    const ByteMessage frame = BuildDf1AppMessage(ToMessage(message));
    ASSERT_TRUE(IsValidDf1AppMessage(frame));
    EXPECT_EQ(ToBytes(ExtractDf1AppData(frame)), message);
    EXPECT_EQ(GetDf1Checksum(frame), ComputeDf1Checksum(ToMessage(message)));
    EXPECT_EQ(ToBytes(ExtractDf1AppData(ToMessage(Frame({0x10})))), (Bytes{0x10}));
}

TEST(Df1Framing, Validity_RejectsLoneDleShortAndBadEnds) {
    EXPECT_TRUE(IsValidDf1AppMessage(ToMessage({})));
    EXPECT_TRUE(IsValidDf1AppMessage(ToMessage({0x10, 0x02, 0x01, 0x10, 0x03, 0xFF})));
    EXPECT_FALSE(IsValidDf1AppMessage(ToMessage({0x10, 0x02, 0x01, 0x10, 0x05, 0x10, 0x03, 0x00})));
    EXPECT_FALSE(IsValidDf1AppMessage(ToMessage({0x10, 0x02, 0x10, 0x03, 0x00})));  // 5 bytes
    EXPECT_FALSE(IsValidDf1AppMessage(ToMessage({0x10, 0x03, 0x01, 0x10, 0x03, 0x00})));
    EXPECT_FALSE(IsValidDf1AppMessage(ToMessage({0x10, 0x02, 0x01, 0x10, 0x02, 0x00})));
    // A doubled DLE right before the end: the closing DLE must not be taken as its pair.
    EXPECT_FALSE(IsValidDf1AppMessage(ToMessage({0x10, 0x02, 0x01, 0x10, 0x10, 0x03, 0x00})));
}

TEST(Df1Framing, AnEtxWithoutTheDleBeforeItEndsNoFrame) {
    const Bytes bare{0x10, 0x02, 0x01, 0x02, 0x03, 0xFA};
    EXPECT_FALSE(IsValidDf1AppMessage(ToMessage(bare)));
    ByteMessage buffer = ToMessage(bare);
    EXPECT_EQ(ToBytes(CutDf1Unit(buffer)), (Bytes{0x10, 0x02}));
    EXPECT_EQ(CompleteAfter(bare), 0u);
}

TEST(Df1Framing, ControlMessages_AreExactlyDleAndEnqAckOrNak) {
    EXPECT_TRUE(IsDf1ControlMessage(ToMessage({0x10, 0x05})));
    EXPECT_TRUE(IsDf1ControlMessage(ToMessage({0x10, 0x06})));
    EXPECT_TRUE(IsDf1ControlMessage(ToMessage({0x10, 0x0F})));
    EXPECT_FALSE(IsDf1ControlMessage(ToMessage({0x10, 0x15})));  // not this link's NAK
    EXPECT_FALSE(IsDf1ControlMessage(ToMessage({0x10, 0x06, 0x00})));
    EXPECT_FALSE(IsDf1ControlMessage(ToMessage({0x11, 0x06})));
}

TEST(Df1UnitCutter, StrayBytesBeforeADle_AreDroppedWithTheUnit) {
    ByteMessage buffer = ToMessage({0x55, 0xAA, 0x10, 0x06});
    EXPECT_EQ(ToBytes(CutDf1Unit(buffer)), (Bytes{0x10, 0x06}));
    EXPECT_TRUE(buffer.empty());
}

TEST(Df1UnitCutter, NoDleOrDleLast_ClearsTheBuffer) {
    ByteMessage noDle = ToMessage({0x01, 0x02, 0x03});
    EXPECT_TRUE(CutDf1Unit(noDle).empty());
    EXPECT_TRUE(noDle.empty());
    ByteMessage dleLast = ToMessage({0x01, 0x02, 0x10});
    EXPECT_TRUE(CutDf1Unit(dleLast).empty());
    EXPECT_TRUE(dleLast.empty());
}

TEST(Df1UnitCutter, FrameThenControl_AreCutOneAtATime) {
    Bytes bytes{0x33};
    const Bytes frame = Frame({0x01, 0x10, 0x03});
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    bytes.insert(bytes.end(), {0x10, 0x05});
    ByteMessage buffer = ToMessage(bytes);
    EXPECT_EQ(ToBytes(CutDf1Unit(buffer)), frame);
    EXPECT_EQ(ToBytes(CutDf1Unit(buffer)), (Bytes{0x10, 0x05}));
    EXPECT_TRUE(CutDf1Unit(buffer).empty());
}

TEST(Df1UnitCutter, FrameWithoutEnd_GivesDleStxAndKeepsTheRest) {
    ByteMessage buffer = ToMessage({0x10, 0x02, 0x01, 0x02, 0x10, 0x06});
    EXPECT_EQ(ToBytes(CutDf1Unit(buffer)), (Bytes{0x10, 0x02}));
    EXPECT_EQ(ToBytes(buffer), (Bytes{0x01, 0x02, 0x10, 0x06}));
    EXPECT_EQ(ToBytes(CutDf1Unit(buffer)), (Bytes{0x10, 0x06}));
    // DLE ETX without its check byte is no end either.
    ByteMessage noCheck = ToMessage({0x10, 0x02, 0x01, 0x10, 0x03});
    EXPECT_EQ(ToBytes(CutDf1Unit(noCheck)), (Bytes{0x10, 0x02}));
}

TEST(Df1UnitAssembler, UnitEnds_FollowTheOddDleRunRule) {
    // 01 10 travels as 10 02 01 10 10 10 03 EF: complete after the eighth byte.
    EXPECT_EQ(CompleteAfter(Frame({0x01, 0x10})), 8u);
    // 10 03 as 10 02 10 10 03 10 03 ED: the first 03 follows an even run and is data.
    EXPECT_EQ(CompleteAfter(Frame({0x10, 0x03})), 8u);
    EXPECT_EQ(CompleteAfter({0x10, 0x06, 0x00}), 2u);
    EXPECT_EQ(CompleteAfter({0x10, 0x02}), 0u);
    // A control message behind stray bytes does not complete a unit.
    EXPECT_EQ(CompleteAfter({0x55, 0x10, 0x06}), 0u);
}

TEST(Df1UnitAssembler, UnitLongerThan2048Bytes_IsDiscarded) {
    CDf1UnitAssembler unit;
    for (int i = 0; i < 2048; ++i) {
        ASSERT_FALSE(unit.Add(0x41));
    }
    EXPECT_EQ(unit.Count(), 2048u);
    EXPECT_FALSE(unit.Add(0x10));
    EXPECT_EQ(unit.Count(), 1u);
    EXPECT_EQ(unit.DiscardedUnits(), 1u);
    EXPECT_TRUE(unit.Add(0x06));
    EXPECT_EQ(ToBytes(unit.Take()), (Bytes{0x10, 0x06}));
}
