// The application messages on the wire: the connect handshake's replies,
// sequence numbers, data messages and echo confirmations.
#include <gtest/gtest.h>

#include <future>

#include "DriverTestSupport.h"
#include "TestSupport.h"
#include "driver/ApplicationProtocol.h"
#include "driver/ComPortImp.h"

using namespace gantry;

using namespace gantry::driver;

namespace {

class AppProtocolTest : public ::testing::Test {
protected:
    AppProtocolTest() : port(peer.SlavePath()), protocol(&port, nullptr) {}

    // Runs `step` on another thread while the test plays the gateway.
    template <class Step>
    std::future<bool> Start(Step step) {
        return std::async(std::launch::async, step);
    }

    ScopedGantryDir gantryDir;
    PtyPeer peer;
    CComPortImp port;
    CApplicationProtocol protocol;
};

}  // namespace

TEST_F(AppProtocolTest, ConnectRequest_IsTheFirstSequenceNumberInItsFrame) {
    auto sent = Start([&] { return protocol.TransmitConnectRequest(); });
    EXPECT_EQ(peer.ReadUnit(), (Bytes{0x10, 0x02, 0x01, 0x00, 0x01, 0x10, 0x03, 0xFE}));
    peer.Write({0x10, 0x06});
    EXPECT_TRUE(sent.get());
}

TEST_F(AppProtocolTest, ConnectReply_PassesOnlyAsExactReplyWithStatusOne) {
    peer.SendMessage({0x12, 0x00, 0x09, 0x01, 0x01});
    EXPECT_TRUE(protocol.ReceiveConnectAck());
    EXPECT_EQ(peer.ReadAll(100), (Bytes{0x10, 0x06}));

    peer.SendMessage({0x12, 0x00, 0x09, 0x01, 0x00});  // status 0
    EXPECT_FALSE(protocol.ReceiveConnectAck());
    peer.SendMessage({0x12, 0x00, 0x09, 0x01, 0x01, 0x00});  // 6 bytes
    EXPECT_FALSE(protocol.ReceiveConnectAck());
    Bytes spoiled = ToBytes(BuildDf1AppMessage(ToMessage({0x12, 0x00, 0x09, 0x01, 0x01})));
    spoiled.back() ^= 0xFF;
    peer.Write(spoiled);
    EXPECT_FALSE(protocol.ReceiveConnectAck());
    const std::string log = ReadFileBytes(gantryDir.File("GyConfig.log"));
    EXPECT_NE(log.find("\tCApplicationProtocol::ReceiveConnectAck()\t\t"
                       "ReceiveConnectAck() - failed !\n"),
              std::string::npos);
}

TEST_F(AppProtocolTest, SelectProtocolReply_AcceptsAnyNonZeroStatusEvenWithBadCheckByte) {
    auto sent = Start([&] { return protocol.SelectProtocol(2); });
    EXPECT_EQ(peer.ReadMessage(), (Bytes{0x03, 0x00, 0x01, 0x02}));
    EXPECT_TRUE(sent.get());

    peer.SendMessage({0x12, 0x00, 0x00, 0x03, 0x7F});
    EXPECT_TRUE(protocol.ReceiveSelectProtocolAck());
    Bytes spoiled = ToBytes(BuildDf1AppMessage(ToMessage({0x12, 0x00, 0x00, 0x03, 0x01})));
    spoiled.back() ^= 0xFF;
    peer.ReadAll(50);
    peer.Write(spoiled);
    EXPECT_TRUE(protocol.ReceiveSelectProtocolAck());
    EXPECT_EQ(peer.ReadAll(100), (Bytes{0x10, 0x0F}));
    peer.SendMessage({0x12, 0x00, 0x00, 0x03, 0x00});
    EXPECT_FALSE(protocol.ReceiveSelectProtocolAck());
}

TEST(AppProtocolOnFakeClock, SelectProtocolWithoutReply_FailsAfterTheWait) {
    CInstantClock clock;
    MemoryLine line(clock);
    CApplicationProtocol protocol(&line, nullptr, clock);
    const auto start = clock.Now();
    EXPECT_FALSE(protocol.ReceiveSelectProtocolAck());
    EXPECT_GE(clock.Now() - start, std::chrono::milliseconds(100));
}

TEST_F(AppProtocolTest, SequenceNumber_WrapsTo0000OnThe65536thRequest) {
    protocol.SetSequenceNumber(0xFFFE);
    auto first = Start([&] { return protocol.PassAll(); });
    EXPECT_EQ(peer.ReadMessage(), (Bytes{0x05, 0xFF, 0xFF}));
    EXPECT_TRUE(first.get());
    auto second = Start([&] { return protocol.DiscardAll(); });
    EXPECT_EQ(peer.ReadMessage(), (Bytes{0x04, 0x00, 0x00}));
    EXPECT_TRUE(second.get());
    auto third = Start([&] { return protocol.PassAll(); });
    EXPECT_EQ(peer.ReadMessage(), (Bytes{0x05, 0x00, 0x01}));
    EXPECT_TRUE(third.get());
}

TEST_F(AppProtocolTest, ResentFrame_KeepsItsSequenceNumber) {
    auto sent = Start([&] {
        const std::uint8_t body[] = {0x0E, 0x01, 0x00};
        return protocol.SendData(body, 3, false);
    });
    const Bytes frame = peer.ReadUnit();
    peer.Write({0x10, 0x05});
    EXPECT_EQ(peer.ReadUnit(), frame);
    peer.Write({0x10, 0x06});
    EXPECT_TRUE(sent.get());
    EXPECT_EQ(ToBytes(ExtractDf1AppData(ToMessage(frame))),
              (Bytes{0x06, 0x00, 0x01, 0x0E, 0x01, 0x00}));
}

TEST_F(AppProtocolTest, EchoData_UsesType07AndTheConfirmationIsRecognised) {
    auto sent = Start([&] {
        const std::uint8_t body[] = {0xAA};
        return protocol.SendData(body, 1, true) && protocol.ReceiveEchoConfirm();
    });
    EXPECT_EQ(peer.ReadMessage(), (Bytes{0x07, 0x00, 0x01, 0xAA}));
    peer.SendMessage({0x13, 0x00, 0x05});
    EXPECT_TRUE(sent.get());
}

TEST_F(AppProtocolTest, Disconnect_NeedsTheDisconnectReply) {
    auto done = Start([&] { return protocol.Disconnect(); });
    EXPECT_EQ(peer.ReadMessage(), (Bytes{0x08, 0x00, 0x01}));
    peer.SendMessage({0x12, 0x00, 0x00, 0x08, 0x01});
    EXPECT_TRUE(done.get());
    EXPECT_EQ(peer.ReadAll(50), (Bytes{0x10, 0x06}));  // the reply was acknowledged
    auto silent = Start([&] { return protocol.Disconnect(); });
    EXPECT_EQ(peer.ReadMessage(), (Bytes{0x08, 0x00, 0x02}));
    EXPECT_FALSE(silent.get());
}
