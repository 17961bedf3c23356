// Messages, reads, commands and the hardware status of connected clients,
// against the logging stub driver whose queues the tests fill and drain.
#include <cstring>

#include "Rp1210Fixture.h"

using namespace gantry;

namespace {

class Connections : public Rp1210Test {
protected:
    void SetUp() override {
        Rp1210Test::SetUp();
        WriteIni({{101, StubPath("StubDriver") + " COM1"},
                  {102, StubPath("StubDriver") + " COM2"},
                  {103, StubPath("StubDriver") + " COM3"}});
    }

    // A received J1708 message as the driver pushes it.
    static CPacket1708 J1708(std::uint8_t mid, const std::string& data,
                             std::uint32_t timeStamp = 0x04030201, std::uint8_t echo = 0) {
        CPacket1708 packet(7, mid, static_cast<int>(data.size()),
                           reinterpret_cast<const std::uint8_t*>(data.data()));
        packet.m_nTimeStamp = timeStamp;
        packet.m_bEcho = echo;
        return packet;
    }
    static CPacketCIP Cip(const std::string& data) {
        return CPacketCIP(static_cast<int>(data.size()),
                          reinterpret_cast<const std::uint8_t*>(data.data()));
    }
    std::int16_t Command(std::int16_t command, std::int16_t client, std::uint8_t value) {
        char buffer[1] = {static_cast<char>(value)};
        return SendCommand(command, client, buffer, 1);
    }
    std::string Read(std::int16_t client, std::int16_t size, std::int16_t* result) {
        std::string buffer(static_cast<std::size_t>(size), '\0');
        *result = ReadMessage(client, buffer.data(), size, 0);
        return buffer.substr(0, *result > 0 ? *result : 0);
    }
    // Drains the command queue of a device into (command, value, data) texts.
    static std::vector<std::string> Commands(int deviceId) {
        std::vector<std::string> commands;
        CCmdPacket packet;
        while (CommandQueue(deviceId)->Pop(packet)) {
            commands.push_back(
                std::to_string(packet.m_nCommand) + "," + std::to_string(packet.m_nValue) + "," +
                std::string(reinterpret_cast<const char*>(packet.m_data), packet.ValidLength()));
        }
        return commands;
    }
};

TEST_F(Connections, CipMessagesAreQueuedWholeUntilFiftyWaitThen137) {
    ASSERT_EQ(Connect(101, "CIP"), 0);
    EXPECT_EQ(SendMessage(0, "\x0e\x01\x01", 3, 0, 0), 0);
    CPacketCIP sent;
    ASSERT_TRUE(TransmitQueue(101)->Pop(sent));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(sent.m_data), sent.m_nLength), "\x0e\x01\x01");
    EXPECT_EQ(sent.m_nTimeStamp, 0u);

    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(SendMessage(0, "abc", 3, 0, 0), 0) << i;
    }
    EXPECT_EQ(SendMessage(0, "abc", 3, 0, 0), 137);
    ASSERT_TRUE(TransmitQueue(101)->Pop(sent));
    EXPECT_EQ(SendMessage(0, "abc", 3, 0, 0), 0);

    std::string tooLong(2050, 'x');
    EXPECT_EQ(SendMessage(0, tooLong.data(), 2050, 0, 0), 207);
}

TEST_F(Connections, J1708MessagesSplitIntoPriorityMidAndDataWithinThePacket) {
    ASSERT_EQ(Connect(101, "J1708"), 0);
    EXPECT_EQ(SendMessage(0, "\x03\x80xyz", 5, 0, 0), 0);
    CPacket1708 sent;
    ASSERT_TRUE(TransmitQueue(101)->Pop(sent));
    EXPECT_EQ(sent.m_nPriority, 3);
    EXPECT_EQ(sent.m_nMid, 0x80);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(sent.m_data), sent.m_nLength), "xyz");

    EXPECT_EQ(SendMessage(0, "\x03", 1, 0, 0), 207) << "no room for the MID";
    EXPECT_EQ(SendMessage(0, "\x03\x80", 2, 0, 0), 0) << "a MID without data";
    std::string longest(2051, 'x');
    EXPECT_EQ(SendMessage(0, longest.data(), 2051, 0, 0), 0);
    longest.push_back('x');
    EXPECT_EQ(SendMessage(0, longest.data(), 2052, 0, 0), 207);
}

TEST_F(Connections, CipReadTooSmallLosesThatMessageOnly) {
    ASSERT_EQ(Connect(101, "CIP"), 0);
    std::int16_t result = 0;
    EXPECT_EQ(Read(0, 64, &result), "");
    EXPECT_EQ(result, 0) << "nothing there, not blocking";

    const std::string twenty = "0123456789abcdefghij";
    ASSERT_TRUE(ReceiveQueue(101)->Push(Cip(twenty)));
    ASSERT_TRUE(ReceiveQueue(101)->Push(Cip("next")));
    Read(0, 19, &result);
    EXPECT_EQ(result, -141);
    EXPECT_EQ(Read(0, 19, &result), "next");
    EXPECT_EQ(result, 4);

    ASSERT_TRUE(ReceiveQueue(101)->Push(Cip(twenty)));
    EXPECT_EQ(Read(0, 20, &result), twenty) << "an exact fit";
}

TEST_F(Connections, J1708ReadsNothingUntilCommand3ThenTimeStampMidAndData) {
    ASSERT_EQ(Connect(101, "J1708"), 0);
    std::int16_t result = 0;
    ASSERT_TRUE(ReceiveQueue(101)->Push(J1708(0x80, "ab")));
    EXPECT_EQ(Read(0, 64, &result), "");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Read(0, 64, &result), "");
    EXPECT_EQ(result, 0) << "the dropped message is gone";

    EXPECT_EQ(SendCommand(3, 0, nullptr, 0), 0);
    ASSERT_TRUE(ReceiveQueue(101)->Push(J1708(0x80, "ab", 0xA1B2C3D4)));
    EXPECT_EQ(Read(0, 64, &result), std::string("\xD4\xC3\xB2\xA1\x80"
                                                "ab",
                                                7));
    EXPECT_EQ(result, 7);
    EXPECT_EQ(Commands(101), (std::vector<std::string>{"3,0,"}));
}

TEST_F(Connections, MidFilterPassesListedMidsAndSurvivesDiscardAll) {
    ASSERT_EQ(Connect(101, "J1708"), 0);
    char mids[] = {static_cast<char>(128), static_cast<char>(130)};
    EXPECT_EQ(SendCommand(7, 0, mids, 2), 0);
    // the same MIDs again change nothing in what passes
    EXPECT_EQ(SendCommand(7, 0, mids, 2), 0);
    std::int16_t result = 0;
    auto* receive = ReceiveQueue(101);
    ASSERT_TRUE(receive->Push(J1708(129, "x")));
    ASSERT_TRUE(receive->Push(J1708(130, "y")));
    EXPECT_EQ(Read(0, 64, &result), "");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Read(0, 64, &result).substr(4), "\x82y");

    EXPECT_EQ(SendCommand(17, 0, nullptr, 0), 0);
    EXPECT_EQ(SendCommand(17, 0, nullptr, 0), 0) << "a repeated discard-all is not queued";
    ASSERT_TRUE(receive->Push(J1708(130, "z")));
    EXPECT_EQ(Read(0, 64, &result).substr(4), "\x82z");

    // pass-all lets everything through until a filter is set again
    EXPECT_EQ(SendCommand(3, 0, nullptr, 0), 0);
    ASSERT_TRUE(receive->Push(J1708(129, "p")));
    EXPECT_EQ(Read(0, 64, &result).substr(4), "\x81p");
    EXPECT_EQ(SendCommand(7, 0, mids, 1), 0);
    ASSERT_TRUE(receive->Push(J1708(129, "q")));
    EXPECT_EQ(Read(0, 64, &result), "");
    EXPECT_EQ(Commands(101), (std::vector<std::string>{"7,0,\x80\x82", "7,0,\x80\x82", "17,0,",
                                                       "3,0,", "7,0,\x80"}));
}

TEST_F(Connections, MidFilterOfTheLargestSizeTravelsWhole) {
    ASSERT_EQ(Connect(101, "J1708"), 0);
    const std::string mids(f_nPacketDataSize, '\x80');  // one packet's whole data area
    EXPECT_EQ(SendCommand(7, 0, const_cast<char*>(mids.data()), f_nPacketDataSize), 0);
    const std::vector<std::string> commands = Commands(101);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].size(), 4u + f_nPacketDataSize);
    EXPECT_TRUE(commands[0].ends_with(mids));
}

TEST_F(Connections, J1708ReadNeedsRoomForEachPartExactly) {
    ASSERT_EQ(Connect(101, "J1708"), 0);
    ASSERT_EQ(SendCommand(3, 0, nullptr, 0), 0);
    auto* receive = ReceiveQueue(101);
    std::int16_t result = 0;
    const struct {
        bool echo;
        std::string data;
        std::int16_t size;
        std::int16_t expected;
    } cases[] = {
        {false, "", 3, -141},
        {false, "", 4, -141},
        {false, "", 5, 5},
        {false, "0123456789", 14, -141},
        {false, "0123456789", 15, 15},
        {true, "", 4, -141},
        {true, "", 5, -141},
        {true, "", 6, 6},
        {true, "abc", 8, -141},
        {true, "abc", 9, 9},
    };
    std::uint8_t echoState = 0;
    for (const auto& check : cases) {
        if (check.echo != (echoState != 0)) {
            echoState = check.echo ? 1 : 0;
            ASSERT_EQ(Command(16, 0, echoState), 0);
        }
        ASSERT_TRUE(receive->Push(J1708(0x99, check.data, 0x01020304, 1)));
        const std::string got = Read(0, check.size, &result);
        EXPECT_EQ(result, check.expected) << check.data << " into " << check.size;
        if (check.expected > 0 && check.echo) {
            EXPECT_EQ(got.substr(4, 2), "\x01\x99");
        }
    }
}

TEST_F(Connections, J1708ModeZeroKeepsOthersOutAndCannotBeSetWithTwoClients) {
    ASSERT_EQ(Connect(101, "J1708"), 0);
    EXPECT_EQ(Command(15, 0, 0), 0);
    EXPECT_EQ(Connect(102, "J1708"), 149);
    EXPECT_EQ(Command(15, 0, 1), 0);
    ASSERT_EQ(Connect(102, "J1708"), 1);
    EXPECT_EQ(Command(15, 1, 0), 150);
    EXPECT_EQ(Command(15, 1, 1), 0);
    EXPECT_EQ(Commands(101), (std::vector<std::string>{"15,0,", "15,1,"}));
    EXPECT_EQ(Commands(102), (std::vector<std::string>{"15,1,"}));
    // with three clients the rule on 149 no longer applies
    ASSERT_EQ(ClientDisconnect(1), 0);
    ASSERT_EQ(Connect(103, "CIP"), 1);
    EXPECT_EQ(Command(15, 0, 1), 0);
}

TEST_F(Connections, ReceiveSwitchIsQueuedOnlyOnAChange) {
    ASSERT_EQ(Connect(101, "J1708"), 0);
    EXPECT_EQ(Command(18, 0, 1), 0);
    EXPECT_TRUE(Commands(101).empty()) << "receiving is on from the start";
    EXPECT_EQ(Command(18, 0, 0), 0);
    EXPECT_EQ(Command(18, 0, 0), 0);
    EXPECT_EQ(Command(18, 0, 1), 0);
    EXPECT_EQ(Command(16, 0, 1), 0);
    EXPECT_EQ(Commands(101), (std::vector<std::string>{"18,0,", "18,1,", "16,1,"}));
    EXPECT_EQ(CountInLog("SP_SetReceiveFlag 101 0"), 0) << "the switch travels as a command";
}

TEST_F(Connections, FullCommandQueueGives137AndChangesNothing) {
    ASSERT_EQ(Connect(101, "J1708"), 0);
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(SendCommand(3, 0, nullptr, 0), 0) << i;
    }
    EXPECT_EQ(SendCommand(3, 0, nullptr, 0), 137);
    EXPECT_EQ(Command(16, 0, 1), 137);
    // echo is still off: a MID-only message fits into 5 bytes
    ASSERT_TRUE(ReceiveQueue(101)->Push(J1708(0x80, "")));
    std::int16_t result = 0;
    Read(0, 5, &result);
    EXPECT_EQ(result, 5);
}

TEST_F(Connections, ResetNeedsASingleClientThenTheClientIsRefusedWith148UntilDisconnect) {
    ASSERT_EQ(Connect(101, "CIP"), 0);
    ASSERT_EQ(Connect(102, "CIP"), 1);
    EXPECT_EQ(SendCommand(0, 0, nullptr, 0), 156);
    ASSERT_EQ(ClientDisconnect(1), 0);
    EXPECT_EQ(SendCommand(0, 0, nullptr, 0), 0);
    EXPECT_EQ(CountInLog("SP_Disconnect 101"), 1);
    EXPECT_EQ(ReceiveQueue(101), nullptr) << "the driver link is closed";

    char buffer[16] = {};
    EXPECT_EQ(SendMessage(0, "abc", 3, 0, 0), 148);
    EXPECT_EQ(ReadMessage(0, buffer, 16, 0), -148);
    EXPECT_EQ(ReadMessage(0, buffer, 16, 1), -148);
    EXPECT_EQ(SendCommand(3, 0, nullptr, 0), 148);
    EXPECT_EQ(SendCommand(0, 0, nullptr, 0), 148);
    EXPECT_EQ(GetHardwareStatus(0, buffer, 16, 0), 148);
    EXPECT_EQ(SendCommand(200, 0, nullptr, 0), 143) << "the pre-check still comes first";

    // the id stays taken, and the driver link is not closed a second time
    EXPECT_EQ(Connect(101, "CIP"), 1);
    EXPECT_EQ(ClientDisconnect(0), 0);
    EXPECT_EQ(CountInLog("SP_Disconnect 101"), 1);
    EXPECT_NE(ReceiveQueue(101), nullptr) << "the new client's link is untouched";
    EXPECT_EQ(Connect(101, "CIP"), 0);
}

TEST_F(Connections, HardwareStatusReportsTrafficFromTheDriver) {
    ASSERT_EQ(Connect(101, "CIP"), 0);
    char status[16];
    std::memset(status, 0x55, sizeof status);
    EXPECT_EQ(GetHardwareStatus(0, status, 16, 0), 0);
    EXPECT_EQ(std::string(status, 16),
              std::string("\x03\x01\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 16));
    StubHook<void (*)(std::uint8_t)>("StubDriver", "Stub_SetTraffic")(1);
    EXPECT_EQ(GetHardwareStatus(0, status, 16, 1), 0);
    EXPECT_EQ(status[4], 0x03);
    StubHook<void (*)(std::uint8_t)>("StubDriver", "Stub_SetTraffic")(0);
    EXPECT_EQ(CountInLog("SP_TrafficDetected 101"), 2);
}

}  // namespace
