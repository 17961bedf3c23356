// The DF1 link over a real pseudo-terminal: the receive step and the transmit
// procedure, with the test playing the gateway byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>

#include "DriverTestSupport.h"
#include "TestSupport.h"
#include "driver/ComPortImp.h"
#include "driver/Df1Protocol.h"

using namespace gantry;

using namespace gantry::driver;

namespace {

class RecordingSink : public IDf1MessageSink {
public:
    void ReceiveMessage(const ByteMessage& message) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_messages.push_back(ToBytes(message));
    }
    std::vector<Bytes> Messages() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_messages;
    }

private:
    std::mutex m_lock;
    std::vector<Bytes> m_messages;
};

class Df1LinkTest : public ::testing::Test {
protected:
    Df1LinkTest() : port(peer.SlavePath()), link(&port, &sink) {}

    // Receive with 100 polls while the peer has already sent `bytes`.
    Df1ReceiveResult ReceiveAfter(const Bytes& bytes, ByteMessage& out) {
        peer.Write(bytes);
        return link.Receive(out, false, 100);
    }

    ScopedGantryDir gantryDir;
    PtyPeer peer;
    CComPortImp port;
    RecordingSink sink;
    CDf1Protocol link;
};

const Bytes kFrame010001{0x10, 0x02, 0x01, 0x00, 0x01, 0x10, 0x03, 0xFE};

// The link over a line in memory, every wait on the fake clock.
class Df1LinkOnFakeClock : public ::testing::Test {
protected:
    CInstantClock clock;
    MemoryLine line{clock};
    RecordingSink sink;
    CDf1Protocol link{&line, &sink, clock};
};

}  // namespace

TEST_F(Df1LinkTest, GoodFrame_IsAcknowledgedAndYieldsItsMessage) {
    ByteMessage out;
    EXPECT_EQ(ReceiveAfter(kFrame010001, out), MessageReceived);
    EXPECT_EQ(ToBytes(out), (Bytes{0x01, 0x00, 0x01}));
    EXPECT_EQ(peer.ReadAll(100), (Bytes{0x10, 0x06}));
    EXPECT_TRUE(sink.Messages().empty());  // not dispatched
}

TEST_F(Df1LinkTest, BadCheckByte_IsAnsweredWithNakAndStillFillsOut) {
    ByteMessage out;
    Bytes bad = kFrame010001;
    bad.back() = 0xFF;
    EXPECT_EQ(ReceiveAfter(bad, out), NothingReceived);
    EXPECT_EQ(ToBytes(out), (Bytes{0x01, 0x00, 0x01}));
    EXPECT_EQ(peer.ReadAll(100), (Bytes{0x10, 0x0F}));
}

TEST_F(Df1LinkTest, DoubledDleFrame_ExtractsOneDle) {
    ByteMessage out;
    EXPECT_EQ(ReceiveAfter({0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0xF0}, out), MessageReceived);
    EXPECT_EQ(ToBytes(out), (Bytes{0x10}));
}

TEST_F(Df1LinkTest, ControlCodes_AreReportedAnd1015IsNakked) {
    ByteMessage out;
    EXPECT_EQ(ReceiveAfter({0x10, 0x06}, out), AckReceived);
    EXPECT_EQ(ReceiveAfter({0x10, 0x0F}, out), NakReceived);
    EXPECT_EQ(ReceiveAfter({0x10, 0x05}, out), EnqReceived);
    EXPECT_TRUE(peer.ReadAll(50).empty());
    // 10 15 is not this link's NAK: it is a malformed unit.
    peer.Write({0x10, 0x15});
    peer.Write({0x10, 0x02, 0x01, 0x10, 0x03, 0xFF});  // completes the port's unit
    EXPECT_EQ(link.Receive(out, false, 100), NothingReceived);
    EXPECT_EQ(peer.ReadAll(100), (Bytes{0x10, 0x0F}));
    EXPECT_TRUE(out.empty());
}

TEST_F(Df1LinkTest, StrayBytesBeforeAFrame_AreDropped) {
    ByteMessage out;
    Bytes bytes{0x55, 0xAA};
    bytes.insert(bytes.end(), kFrame010001.begin(), kFrame010001.end());
    EXPECT_EQ(ReceiveAfter(bytes, out), MessageReceived);
    EXPECT_EQ(ToBytes(out), (Bytes{0x01, 0x00, 0x01}));
}

TEST_F(Df1LinkTest, IdleLineWithZeroPolls_ReturnsNothingAtOnce) {
    ByteMessage out;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.Receive(out, false, 0), NothingReceived);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_TRUE(out.empty());
}

TEST_F(Df1LinkTest, OneAndTwoByteFrames_AreAcknowledgedWithoutHarm) {
    ByteMessage out;
    EXPECT_EQ(ReceiveAfter({0x10, 0x02, 0xAA, 0x10, 0x03, 0x56}, out), MessageReceived);
    EXPECT_EQ(ToBytes(out), (Bytes{0xAA}));
    EXPECT_EQ(ReceiveAfter({0x10, 0x02, 0x01, 0x02, 0x10, 0x03, 0xFD}, out), MessageReceived);
    EXPECT_EQ(ToBytes(out), (Bytes{0x01, 0x02}));
}

TEST_F(Df1LinkTest, Transmit_SendsTheFrameAndSucceedsOnAck) {
    auto sent = std::async(std::launch::async, [&] { return link.Transmit(ToMessage({1, 0, 1})); });
    EXPECT_EQ(peer.ReadUnit(), kFrame010001);
    peer.Write({0x10, 0x06});
    EXPECT_TRUE(sent.get());
}

TEST_F(Df1LinkTest, TransmitOnEnq_ResendsTheIdenticalFrame) {
    auto sent = std::async(std::launch::async, [&] { return link.Transmit(ToMessage({1, 0, 1})); });
    EXPECT_EQ(peer.ReadUnit(), kFrame010001);
    peer.Write({0x10, 0x05});
    EXPECT_EQ(peer.ReadUnit(), kFrame010001);
    peer.Write({0x10, 0x06});
    EXPECT_TRUE(sent.get());
}

TEST_F(Df1LinkTest, TransmitAnsweredWithNak_FailsWithoutResend) {
    auto sent = std::async(std::launch::async, [&] { return link.Transmit(ToMessage({1, 0, 1})); });
    EXPECT_EQ(peer.ReadUnit(), kFrame010001);
    peer.Write({0x10, 0x0F});
    EXPECT_FALSE(sent.get());
    EXPECT_TRUE(peer.ReadAll(50).empty());
}

TEST_F(Df1LinkOnFakeClock, TransmitWithoutAnswer_FailsAfterTheWait) {
    const auto start = clock.Now();
    EXPECT_FALSE(link.Transmit(ToMessage({1, 0, 1})));
    const auto waited = clock.Now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(100));
    EXPECT_LT(waited, std::chrono::milliseconds(2500));
    EXPECT_EQ(line.Written(), std::vector<Bytes>{kFrame010001});
}

TEST_F(Df1LinkTest, PeerFrameDuringTransmitWait_IsAcknowledgedAndDelivered) {
    auto sent = std::async(std::launch::async, [&] { return link.Transmit(ToMessage({1, 0, 1})); });
    EXPECT_EQ(peer.ReadUnit(), kFrame010001);
    peer.SendMessage({0x06, 0x00, 0x07, 0xAB});
    EXPECT_EQ(peer.ReadUnit(), (Bytes{0x10, 0x06}));
    peer.Write({0x10, 0x06});
    EXPECT_TRUE(sent.get());
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0], (Bytes{0x06, 0x00, 0x07, 0xAB}));
}

TEST_F(Df1LinkTest, ThirdEnqInARow_FailsTheTransmit) {
    auto sent = std::async(std::launch::async, [&] { return link.Transmit(ToMessage({1, 0, 1})); });
    EXPECT_EQ(peer.ReadUnit(), kFrame010001);
    peer.Write({0x10, 0x05});
    EXPECT_EQ(peer.ReadUnit(), kFrame010001);
    peer.Write({0x10, 0x05});
    EXPECT_EQ(peer.ReadUnit(), kFrame010001);
    peer.Write({0x10, 0x05});
    EXPECT_FALSE(sent.get());
    EXPECT_TRUE(peer.ReadAll(50).empty());
}

TEST_F(Df1LinkOnFakeClock, EndlessForeignFrames_EndTheTransmitWithinTwoSeconds) {
    auto next = clock.Now();
    line.onLook = [&](std::chrono::milliseconds now) {
        if (now >= next) {
            line.Deliver(ToBytes(BuildDf1AppMessage(ToMessage({0x06, 0x00, 0x01, 0x55}))));
            next = now + std::chrono::milliseconds(20);
        }
    };
    const auto start = clock.Now();
    EXPECT_FALSE(link.Transmit(ToMessage({1, 0, 1})));
    const auto waited = clock.Now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(1900));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));  // without the bound: for ever
    EXPECT_GT(sink.Messages().size(), 10u);
}

TEST_F(Df1LinkTest, LineGone_TransmitFailsAndLogsOncePerRunOfFailures) {
    peer.CloseMaster();
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(link.Transmit(ToMessage({1, 0, 1})));
    }
    const std::string log = ReadFileBytes(gantryDir.File("GyConfig.log"));
    const std::string record = "\tCDf1Protocol::Transmit()\t\tTransmitting DF1 message failed !\n";
    const auto first = log.find(record);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find(record, first + 1), std::string::npos);
}
