// libKVGYSrl.so as its RP1210 client uses it: loaded with dlopen, three
// queues made here, a gateway on a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "DriverTestSupport.h"
#include "TestSupport.h"
#include "common/PacketQueue.h"
#include "common/SharedLibrary.h"
#include "driver/ComPortImp.h"
#include "driver/DriverInterface.h"

using namespace gantry;

using namespace gantry::driver;

namespace {

constexpr std::uint32_t kQueueCapacity = 50;

struct Queues {
    explicit Queues(std::int32_t protocol)
        : transmit(kQueueCapacity, protocol),
          command(kQueueCapacity, -1),
          receive(kQueueCapacity, protocol) {}
    CPacketQueue transmit;
    CPacketQueue command;
    CPacketQueue receive;
};

class DriverLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.Open(KVGYSRL_PATH)) << library.Error();
        version = library.Resolve<SP_GetDllVersionInfoFn>("SP_GetDllVersionInfo");
        connect = library.Resolve<SP_ConnectFn>("SP_Connect");
        disconnect = library.Resolve<SP_DisconnectFn>("SP_Disconnect");
        setReceiveFlag = library.Resolve<SP_SetReceiveFlagFn>("SP_SetReceiveFlag");
        trafficDetected = library.Resolve<SP_TrafficDetectedFn>("SP_TrafficDetected");
        ASSERT_TRUE(version && connect && disconnect && setReceiveFlag && trafficDetected);
    }

    std::int16_t Connect(std::int32_t id, const std::string& port, std::int32_t protocol,
                         Queues& queues) {
        return connect(id, port.c_str(), protocol, &queues.transmit, &queues.command,
                       &queues.receive);
    }

    // Pops a packet of class Packet within `timeoutMs`.
    template <class Packet>
    bool PopWithin(CPacketQueue& queue, Packet& packet, int timeoutMs = 2000) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < until) {
            if (queue.Pop(packet)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    static Bytes Data(const CDALPacket& packet) {
        return Bytes(packet.m_data, packet.m_data + packet.m_nLength);
    }

    ScopedGantryDir gantryDir;
    CSharedLibrary library;
    SP_GetDllVersionInfoFn version = nullptr;
    SP_ConnectFn connect = nullptr;
    SP_DisconnectFn disconnect = nullptr;
    SP_SetReceiveFlagFn setReceiveFlag = nullptr;
    SP_TrafficDetectedFn trafficDetected = nullptr;
};

}  // namespace

TEST_F(DriverLibraryTest, VersionInfo_HasVersionOneInTheLowHalf) {
    const std::uint64_t info = version();
    EXPECT_EQ(info & 0xFFFFFFFFu, 1u);
    EXPECT_EQ(info >> 32, 0u);
}

TEST_F(DriverLibraryTest, CipConnectAndDisconnect_RunTheExactHandshake) {
    ScriptedGateway gateway;
    Queues queues(1);
    ASSERT_EQ(Connect(101, gateway.Path(), 1, queues), 0);
    EXPECT_EQ(trafficDetected(101), 0);
    EXPECT_EQ(disconnect(101), 0);
    const std::vector<Bytes> expected{
        {0x01, 0x00, 0x01}, {0x03, 0x00, 0x02, 0x01}, {0x08, 0x00, 0x03}};
    EXPECT_EQ(gateway.Messages(), expected);
    EXPECT_EQ(disconnect(101), 0);  // unknown by now
    EXPECT_EQ(trafficDetected(101), 0);
    EXPECT_EQ(setReceiveFlag(101, 1), 0);
}

TEST_F(DriverLibraryTest, J1708Connect_EndsWithDiscardAll) {
    ScriptedGateway gateway;
    Queues queues(2);
    ASSERT_EQ(Connect(102, gateway.Path(), 2, queues), 0);
    EXPECT_EQ(disconnect(102), 0);
    ASSERT_GE(gateway.Messages().size(), 3u);
    EXPECT_EQ(gateway.Messages()[1], (Bytes{0x03, 0x00, 0x02, 0x02}));
    EXPECT_EQ(gateway.Messages()[2], (Bytes{0x04, 0x00, 0x03}));
}

TEST_F(DriverLibraryTest, CallerErrors_Return240AndUnknownProtocol136) {
    ScriptedGateway gateway;
    Queues queues(1);
    EXPECT_EQ(Connect(0, gateway.Path(), 1, queues), -240);
    EXPECT_EQ(connect(5, nullptr, 1, &queues.transmit, &queues.command, &queues.receive), -240);
    EXPECT_EQ(Connect(5, gateway.Path(), 3, queues), -136);
    EXPECT_TRUE(gateway.Messages().empty());
    EXPECT_EQ(Connect(5, "/nonexistent/tty", 1, queues), -142);
}

TEST_F(DriverLibraryTest, SecondDeviceOnTheSamePort_Fails135AndTheFirstKeepsRunning) {
    ScriptedGateway gateway;
    gateway.SetResponder([](const Bytes& request) {
        Bytes reply{0x8E, 0x00, 0x00, 0x00};
        reply.insert(reply.end(), request.begin(), request.end());
        return reply;
    });
    std::filesystem::create_directories(gantryDir.File("dosdevices"));
    std::filesystem::create_symlink(gateway.Path(), gantryDir.File("dosdevices/com7"));
    Queues first(1);
    Queues second(1);
    ASSERT_EQ(Connect(107, gateway.Path(), 1, first), 0);
    EXPECT_EQ(Connect(108, gateway.Path(), 1, second), -135);
    EXPECT_EQ(Connect(108, "COM7", 1, second), -135);       // another name of the same device
    EXPECT_EQ(Connect(107, "/dev/null", 1, second), -135);  // the id already has a device

    const std::uint8_t request[] = {0x0E, 0x01, 0x00, 0x01, 0x00, 0x04};
    ASSERT_TRUE(first.transmit.Push(CPacketCIP(6, request)));
    CPacketCIP reply;
    ASSERT_TRUE(PopWithin(first.receive, reply));
    EXPECT_EQ(Data(reply), (Bytes{0x8E, 0x00, 0x00, 0x00, 0x0E, 0x01, 0x00, 0x01, 0x00, 0x04}));
    EXPECT_NE(reply.m_nTimeStamp, 0u);
    EXPECT_EQ(reply.m_bEcho, 0);
    EXPECT_EQ(trafficDetected(107), 1);
    EXPECT_EQ(disconnect(107), 0);
    EXPECT_EQ(Connect(108, "COM7", 1, second), 0);  // free again
    EXPECT_EQ(disconnect(108), 0);
}

TEST_F(DriverLibraryTest, LineWithoutGateway_Fails240AndLeavesThePortFree) {
    PtyPeer line;
    Queues queues(1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Connect(110, line.SlavePath(), 1, queues), -240);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(line.ReadUnit(100), (Bytes{0x10, 0x02, 0x01, 0x00, 0x01, 0x10, 0x03, 0xFE}));
    EXPECT_NO_THROW(CComPortImp again(line.SlavePath()));
    EXPECT_EQ(trafficDetected(110), 0);
    const std::string log = ReadFileBytes(gantryDir.File("GyConfig.log"));
    EXPECT_NE(log.find("TransmitConnectRequest() - failed !"), std::string::npos);
}

TEST_F(DriverLibraryTest, SilentGatewayAtDisconnect_StillReturnsZero) {
    ScriptedGateway gateway;
    Queues queues(1);
    ASSERT_EQ(Connect(111, gateway.Path(), 1, queues), 0);
    gateway.SetSilent(true);
    EXPECT_EQ(disconnect(111), 0);
    EXPECT_EQ(trafficDetected(111), 0);
}

TEST_F(DriverLibraryTest, CipReceive_StripsTheHeaderAndDropsTooShortMessages) {
    ScriptedGateway gateway;
    Queues queues(1);
    ASSERT_EQ(Connect(112, gateway.Path(), 1, queues), 0);
    gateway.Peer().Write({0x10, 0x02, 0xAA, 0x10, 0x03, 0x56});        // 1 byte
    gateway.Peer().Write({0x10, 0x02, 0x06, 0x00, 0x10, 0x03, 0xFA});  // 2 bytes
    gateway.Send({0x06, 0x00, 0x01});                                  // header only
    gateway.Send({0x06, 0x00, 0x02, 0xAB, 0xCD});
    CPacketCIP packet;
    ASSERT_TRUE(PopWithin(queues.receive, packet));
    EXPECT_EQ(packet.m_nLength, 0);
    ASSERT_TRUE(PopWithin(queues.receive, packet));
    EXPECT_EQ(Data(packet), (Bytes{0xAB, 0xCD}));
    EXPECT_FALSE(PopWithin(queues.receive, packet, 100));
    EXPECT_EQ(trafficDetected(112), 1);

    EXPECT_EQ(setReceiveFlag(112, 0x100), 1);                     // low byte 0: stop looking
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // from the next pass on
    gateway.Send({0x06, 0x00, 0x03, 0x01});
    EXPECT_FALSE(PopWithin(queues.receive, packet, 200));
    EXPECT_EQ(setReceiveFlag(112, 1), 1);
    ASSERT_TRUE(PopWithin(queues.receive, packet));
    EXPECT_EQ(Data(packet), (Bytes{0x01}));
    EXPECT_EQ(disconnect(112), 0);
}

TEST_F(DriverLibraryTest, J1708Receive_FollowsTheDiscardAndModeCommands) {
    ScriptedGateway gateway;
    Queues queues(2);
    ASSERT_EQ(Connect(113, gateway.Path(), 2, queues), 0);
    CPacket1708 packet;
    gateway.Send({0x06, 0x00, 0x01, 0x08, 0x80, 0x54, 0x01});
    EXPECT_FALSE(PopWithin(queues.receive, packet, 200));  // discard-all at first

    ASSERT_TRUE(queues.command.Push(CCmdPacket(3)));
    ASSERT_TRUE(gateway.WaitForType(0x05));
    gateway.Send({0x06, 0x00, 0x02, 0x08, 0x80, 0x54, 0x02});
    ASSERT_TRUE(PopWithin(queues.receive, packet));
    EXPECT_EQ(packet.m_nPriority, 0x08);
    EXPECT_EQ(packet.m_nMid, 0x80);
    EXPECT_EQ(Data(packet), (Bytes{0x54, 0x02}));
    EXPECT_NE(packet.m_nTimeStamp, 0u);

    gateway.Send({0x06, 0x00, 0x03, 0x08});  // too short for priority and MID
    gateway.Send({0x06, 0x00, 0x04, 0x08, 0x80});
    ASSERT_TRUE(PopWithin(queues.receive, packet));
    EXPECT_EQ(packet.m_nLength, 0);
    EXPECT_EQ(packet.m_nMid, 0x80);

    ASSERT_TRUE(queues.command.Push(CCmdPacket(15, 0)));
    // Taken off the queue means carried out before the next look at the line.
    ASSERT_TRUE(WaitUntil([&] { return queues.command.State() == CPacketQueue::QS_Empty; }));
    gateway.Send({0x06, 0x00, 0x05, 0x08, 0x80, 0x54, 0x03});
    EXPECT_FALSE(PopWithin(queues.receive, packet, 200));

    // A J1708 client message goes out as priority, MID, data.
    const std::uint8_t data[] = {0xC2, 0x01};
    ASSERT_TRUE(queues.transmit.Push(CPacket1708(0x04, 0xAC, 2, data)));
    ASSERT_TRUE(gateway.WaitForType(0x06));
    EXPECT_EQ(gateway.Messages().back(), (Bytes{0x06, 0x00, 0x05, 0x04, 0xAC, 0xC2, 0x01}));
    EXPECT_EQ(disconnect(113), 0);
}

TEST_F(DriverLibraryTest, Commands_5FailsQuietly18DoesNothing17And3SwitchForwarding) {
    ScriptedGateway gateway;
    Queues queues(1);
    ASSERT_EQ(Connect(114, gateway.Path(), 1, queues), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(trafficDetected(114), 0);  // an idle line is no traffic
    ASSERT_TRUE(queues.command.Push(CCmdPacket(5)));
    ASSERT_TRUE(queues.command.Push(CCmdPacket(18, 1)));
    EXPECT_TRUE(WaitUntil([&] { return queues.command.State() == CPacketQueue::QS_Empty; }));
    EXPECT_TRUE(WaitUntil([&] { return trafficDetected(114) == 1; }));
    EXPECT_EQ(gateway.Messages().size(), 2u);  // nothing sent for 5 and 18

    ASSERT_TRUE(queues.command.Push(CCmdPacket(17, 1)));
    ASSERT_TRUE(gateway.WaitForType(0x04));
    CPacketCIP packet;
    gateway.Send({0x06, 0x00, 0x01, 0x77});
    EXPECT_FALSE(PopWithin(queues.receive, packet, 200));  // discarded
    ASSERT_TRUE(queues.command.Push(CCmdPacket(17, 0)));
    ASSERT_TRUE(gateway.WaitForType(0x05));
    ASSERT_TRUE(queues.command.Push(CCmdPacket(17, 1)));
    ASSERT_TRUE(queues.command.Push(CCmdPacket(3)));
    EXPECT_TRUE(WaitUntil([&] { return gateway.CountType(0x05) == 2; }));
    gateway.Send({0x06, 0x00, 0x02, 0x78});
    ASSERT_TRUE(PopWithin(queues.receive, packet));
    EXPECT_EQ(Data(packet), (Bytes{0x78}));
    EXPECT_EQ(trafficDetected(114), 1);
    EXPECT_EQ(disconnect(114), 0);
}

TEST_F(DriverLibraryTest, EchoOn_QueuesTheConfirmedMessageWithEchoFlagAndTimeStamp) {
    ScriptedGateway gateway;
    Queues queues(1);
    ASSERT_EQ(Connect(115, gateway.Path(), 1, queues), 0);
    ASSERT_TRUE(queues.command.Push(CCmdPacket(16, 1)));
    const std::uint8_t request[] = {0x0E, 0x01, 0x00, 0x01, 0x00, 0x07};
    ASSERT_TRUE(queues.transmit.Push(CPacketCIP(6, request)));
    ASSERT_TRUE(gateway.WaitForType(0x07));
    EXPECT_EQ(gateway.Messages().back(),
              (Bytes{0x07, 0x00, 0x03, 0x0E, 0x01, 0x00, 0x01, 0x00, 0x07}));
    bool echoed = false;
    CPacketCIP packet;
    while (!echoed && PopWithin(queues.receive, packet, 500)) {
        if (packet.m_bEcho == 1) {
            echoed = true;
            EXPECT_EQ(Data(packet), Bytes(request, request + 6));
            EXPECT_NE(packet.m_nTimeStamp, 0u);
        }
    }
    EXPECT_TRUE(echoed);
    EXPECT_EQ(disconnect(115), 0);
}

TEST_F(DriverLibraryTest, UnpluggedLine_IsLoggedOnceAndDisconnectStillReturns) {
    auto gateway = std::make_unique<ScriptedGateway>();
    Queues queues(1);
    ASSERT_EQ(Connect(116, gateway->Path(), 1, queues), 0);
    gateway.reset();  // the adapter is pulled
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const std::string log = ReadFileBytes(gantryDir.File("GyConfig.log"));
    std::size_t lines = 0;
    for (std::size_t at = log.find("CDevice::ThreadProc()"); at != std::string::npos;
         at = log.find("CDevice::ThreadProc()", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 1u);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(disconnect(116), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST_F(DriverLibraryTest, FramesDuringLinkWaits_ReachTheClientWithoutTheirHeader) {
    ScriptedGateway gateway;
    Queues queues(1);
    ASSERT_EQ(Connect(117, gateway.Path(), 1, queues), 0);
    // While the driver waits for the ACK of a client message.
    gateway.InterjectBeforeAck({0x06, 0x00, 0x21, 0xA1, 0xA2});
    const std::uint8_t request[] = {0x0E};
    ASSERT_TRUE(queues.transmit.Push(CPacketCIP(1, request)));
    CPacketCIP packet;
    ASSERT_TRUE(PopWithin(queues.receive, packet));
    EXPECT_EQ(Data(packet), (Bytes{0xA1, 0xA2}));
    EXPECT_EQ(packet.m_nTimeStamp, 0u);  // handed over from inside the link wait

    // While it waits for an echo confirmation.
    ASSERT_TRUE(queues.command.Push(CCmdPacket(16, 1)));
    gateway.InterjectBeforeEchoConfirm({0x06, 0x00, 0x22, 0xB1});
    ASSERT_TRUE(queues.transmit.Push(CPacketCIP(1, request)));
    ASSERT_TRUE(PopWithin(queues.receive, packet));
    EXPECT_EQ(Data(packet), (Bytes{0xB1}));
    EXPECT_EQ(packet.m_nTimeStamp, 0u);
    EXPECT_EQ(disconnect(117), 0);
}
