// The RP1210 client transport against a fake libKV121032.so loaded by path:
// port scan, device ids, reply polling, refusals and the trace log.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestSupport.h"
#include "tool/device/Device.h"
#include "tool/device/Notifier.h"
#include "tool/device/SerialTransport.h"

using namespace gantry;

using namespace gantry::tool;

namespace {

struct Notice {
    std::string text;
    std::string caption;
    NotifyButtons buttons;
    NotifyIcon icon;
};

class CRecordingNotifier : public INotifier {
public:
    NotifyAnswer Notify(const std::string& text, const std::string& caption, NotifyButtons buttons,
                        NotifyIcon icon, NotifyAnswer) override {
        notices.push_back({text, caption, buttons, icon});
        return NotifyAnswer::Ok;
    }
    std::vector<Notice> notices;
};

const char* const f_fakeVariables[] = {"FAKE_RP1210_LOG",           "FAKE_RP1210_CONNECT",
                                       "FAKE_RP1210_SEND_RESULT",   "FAKE_RP1210_ERROR_TEXT",
                                       "FAKE_RP1210_REPLY",         "FAKE_RP1210_REPLY_AFTER",
                                       "FAKE_RP1210_REPLY_DELAY_MS"};

class TransportTest : public ::testing::Test {
protected:
    TransportTest() {
        for (const char* name : f_fakeVariables) {
            ::unsetenv(name);
        }
        ::setenv("FAKE_RP1210_LOG", m_dir.File("fake.log").c_str(), 1);
    }
    ~TransportTest() override {
        for (const char* name : f_fakeVariables) {
            ::unsetenv(name);
        }
    }

    // Makes a gate over a transport bound to `library`.
    CRequestGate& Gate(const std::string& library = FAKE_KV121032_PATH, IClock* clock = nullptr) {
        auto transport = std::make_unique<CSerialTransport>(library);
        m_transport = transport.get();
        m_gate = std::make_unique<CRequestGate>(std::move(transport), &m_notifier,
                                                clock != nullptr ? clock : &m_clock);
        m_gate->SetDeviceLostHandler([this] { ++m_lost; });
        return *m_gate;
    }
    void Port(const std::string& name) {
        const std::string folder = m_dir.File("dosdevices");
        std::filesystem::create_directories(folder);
        std::filesystem::create_symlink("/dev/null", folder + "/" + name);
    }
    std::vector<std::string> FakeCalls(const std::string& prefix = "") {
        std::vector<std::string> lines;
        std::istringstream in(ReadFileBytes(m_dir.File("fake.log")));
        for (std::string line; std::getline(in, line);) {
            if (line.rfind(prefix, 0) == 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }
    std::string TraceLog() { return ReadFileBytes(m_dir.File("GyConfig.log")); }
    static bool Logged(const std::string& log, const std::string& message) {
        return log.find("\tCSerialTransport::Connect()\t\t" + message + "\n") != std::string::npos;
    }
    // Binds, connects on COM1 (client id 4) and sends G 1/1/103.
    DeviceResult ConnectAndRead(DeviceReply& reply) {
        Port("COM1");
        ::setenv("FAKE_RP1210_CONNECT", "101:4", 1);
        CRequestGate& gate = Gate();
        EXPECT_EQ(gate.BindLibrary(), DeviceResult::Done);
        EXPECT_EQ(gate.ConnectDevice(), DeviceResult::Done);
        return gate.SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 103), reply);
    }

    ScopedGantryDir m_dir;
    CInstantClock m_clock;
    CRecordingNotifier m_notifier;
    CSerialTransport* m_transport = nullptr;
    std::unique_ptr<CRequestGate> m_gate;
    int m_lost = 0;
};

TEST(ComPortNames, NumbersAfterComWithCaseIgnored) {
    EXPECT_EQ(ComPortNumberFromName("COM3"), 3);
    EXPECT_EQ(ComPortNumberFromName("com7"), 7);
    EXPECT_EQ(ComPortNumberFromName("Com12"), 12);
    EXPECT_EQ(ComPortNumberFromName("COM 4"), 4);
    EXPECT_EQ(ComPortNumberFromName("COM+5"), 5);
    EXPECT_EQ(ComPortNumberFromName("COM9x"), 9);
    EXPECT_EQ(ComPortNumberFromName("COM255"), 255);
    for (const char* skipped : {"COMMAND", "COM", "COM0", "COM-3", "COM256", "COM99999999999",
                                "XCOM3", "CO3", "LPT1", ""}) {
        EXPECT_EQ(ComPortNumberFromName(skipped), 0) << skipped;
    }
    EXPECT_EQ(ComPortDeviceId(1), 101);
    EXPECT_EQ(ComPortDeviceId(9), 109);
    EXPECT_EQ(ComPortDeviceId(10), 110);
    EXPECT_EQ(ComPortDeviceId(255), 355);
}

TEST_F(TransportTest, PortList_SortedUniqueFromTheDosDevicesFolder) {
    EXPECT_TRUE(ListComPorts().empty());  // no folder at all
    for (const char* name : {"COM10", "com3", "COM3", "COMMAND", "COM5", "lpt1", "com300"}) {
        Port(name);
    }
    EXPECT_EQ(ListComPorts(), (std::vector<int>{3, 5, 10}));
    std::vector<int> ports = {99};
    CSerialTransport transport;
    transport.GetComPorts(ports);
    EXPECT_EQ(ports, (std::vector<int>{3, 5, 10}));
}

TEST_F(TransportTest, Bind_MissingLibraryShowsTheLoadMessage) {
    CRequestGate& gate = Gate(m_dir.File("nowhere/libKV121032.so"));
    EXPECT_EQ(gate.BindLibrary(), DeviceResult::Failed);
    ASSERT_EQ(m_notifier.notices.size(), 1u);
    EXPECT_EQ(m_notifier.notices[0].text, "Unable to load KV121032.dll");
    EXPECT_EQ(m_notifier.notices[0].caption, "Error");
    EXPECT_EQ(m_notifier.notices[0].buttons, NotifyButtons::Ok);
}

TEST_F(TransportTest, Bind_MissingEntryPointNamesTheFirstOneMissing) {
    CRequestGate& gate = Gate(FAKE_KV121032_NOREAD_PATH);
    EXPECT_EQ(gate.BindLibrary(), DeviceResult::Failed);
    ASSERT_EQ(m_notifier.notices.size(), 1u);
    EXPECT_EQ(m_notifier.notices[0].text,
              "Unable to locate RP1210_ReadMessage entry point in the KV121032.dll");
    EXPECT_FALSE(m_transport->IsBound());
    EXPECT_EQ(gate.ConnectDevice(), DeviceResult::Failed);
}

TEST_F(TransportTest, Connect_OnlyCom5Answers_TriesDeviceIds103Then105) {
    Port("COM5");
    Port("COM3");
    ::setenv("FAKE_RP1210_CONNECT", "103:-1,105:3", 1);
    CRequestGate& gate = Gate();
    ASSERT_EQ(gate.BindLibrary(), DeviceResult::Done);
    EXPECT_EQ(gate.ConnectDevice(), DeviceResult::Done);
    EXPECT_EQ(m_transport->ClientId(), 3);
    EXPECT_EQ(FakeCalls("connect"),
              (std::vector<std::string>{"connect 103 CIP 512 512 0", "connect 105 CIP 512 512 0"}));
    const std::string log = TraceLog();
    EXPECT_TRUE(Logged(log, "Connecting to COM port : 3 failed ! Error Code : -1")) << log;
    EXPECT_FALSE(Logged(log, "Connection to the device failed !"));
    EXPECT_TRUE(m_notifier.notices.empty());
}

TEST_F(TransportTest, Connect_ResultsZeroTo126AreClientIds) {
    Port("COM1");
    struct Case {
        const char* result;
        int connected;
    };
    for (const Case c : {Case{"0", 1}, Case{"126", 1}, Case{"127", 0}, Case{"-1", 0},
                         Case{"128", 0}, Case{"-200", 0}}) {
        ::setenv("FAKE_RP1210_CONNECT", (std::string("101:") + c.result).c_str(), 1);
        CRequestGate& gate = Gate();
        ASSERT_EQ(gate.BindLibrary(), DeviceResult::Done);
        EXPECT_EQ(gate.ConnectDevice(), ResultOf(c.connected == 1)) << c.result;
        EXPECT_EQ(gate.IsConnected(), c.connected == 1) << c.result;
    }
    const std::string log = TraceLog();
    EXPECT_TRUE(Logged(log, "Connecting to COM port : 1 failed ! Error Code : 127"));
    EXPECT_TRUE(Logged(log, "Connecting to COM port : 1 failed ! Error Code : -200"));
}

TEST_F(TransportTest, Connect_AllPortsFail_LogsEachAndTheEnd) {
    Port("com7");
    Port("COMMAND");
    Port("COM12");
    CRequestGate& gate = Gate();
    ASSERT_EQ(gate.BindLibrary(), DeviceResult::Done);
    EXPECT_EQ(gate.ConnectDevice(), DeviceResult::Failed);
    EXPECT_EQ(FakeCalls("connect"),
              (std::vector<std::string>{"connect 107 CIP 512 512 0", "connect 112 CIP 512 512 0"}));
    const std::string log = TraceLog();
    EXPECT_TRUE(Logged(log, "Connecting to COM port : 7 failed ! Error Code : 130"));
    EXPECT_TRUE(Logged(log, "Connecting to COM port : 12 failed ! Error Code : 130"));
    EXPECT_TRUE(Logged(log, "Connection to the device failed !"));
    EXPECT_LT(log.find("COM port : 7"), log.find("COM port : 12"));
    EXPECT_TRUE(m_notifier.notices.empty());
}

TEST_F(TransportTest, Connect_NoPorts_LogsNoPortsAndFails) {
    CRequestGate& gate = Gate();
    ASSERT_EQ(gate.BindLibrary(), DeviceResult::Done);
    EXPECT_EQ(gate.ConnectDevice(), DeviceResult::Failed);
    EXPECT_TRUE(FakeCalls("connect").empty());
    const std::string log = TraceLog();
    EXPECT_TRUE(Logged(log, "No serial COM ports detected !"));
    EXPECT_TRUE(Logged(log, "Connection to the device failed !"));
}

TEST_F(TransportTest, Request_SentAsEncodedBytesAndFirstMessageIsTheReply) {
    ::setenv("FAKE_RP1210_REPLY", "8E00000001", 1);
    DeviceReply reply;
    EXPECT_EQ(ConnectAndRead(reply), DeviceResult::Done);
    EXPECT_EQ(reply.service, SVC_GetAttributeSingle);
    EXPECT_EQ(reply.dataLength, 1);
    EXPECT_EQ(reply.Byte(0), 1);
    EXPECT_EQ(FakeCalls("send"), (std::vector<std::string>{"send 4 0E0100010067 0 0"}));
    EXPECT_EQ(FakeCalls("read"), (std::vector<std::string>{"read 4 600 0 after 1"}));
    EXPECT_EQ(m_clock.SleepCount(), 0);
    // the status is not judged by the transport
    ::setenv("FAKE_RP1210_REPLY", "8E14AAAA", 1);
    EXPECT_EQ(m_gate->SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 100), reply),
              DeviceResult::Done);
    EXPECT_EQ(reply.generalStatus, 0x14);
    EXPECT_TRUE(m_gate->IsConnected());
}

TEST_F(TransportTest, Request_ReplyOnTheThousandthPollAt9_99sIsAccepted) {
    ::setenv("FAKE_RP1210_REPLY", "8E00000000", 1);
    // the last poll of the window: 101 polls 1 ms apart, then 989 10 ms apart
    ::setenv("FAKE_RP1210_REPLY_AFTER", "1090", 1);
    DeviceReply reply;
    EXPECT_EQ(ConnectAndRead(reply), DeviceResult::Done);
    EXPECT_EQ(m_clock.Slept(), std::chrono::milliseconds(9990));
    EXPECT_TRUE(m_gate->IsConnected());
}

TEST_F(TransportTest, Request_NoReplyAfter1000Polls_FailsDropsAndMarksNotDetected) {
    Port("COM1");
    ::setenv("FAKE_RP1210_CONNECT", "101:4", 1);
    CRequestGate& gate = Gate();
    OfflineIdentity offline;
    CDevice device(gate, offline);
    gate.SetDeviceLostHandler([&device] { device.MarkNotDetected(); });
    ASSERT_EQ(gate.BindLibrary(), DeviceResult::Done);
    ASSERT_EQ(gate.ConnectDevice(), DeviceResult::Done);
    device.ReadSerialNumber();
    EXPECT_EQ(device.GetRunState(), RS_NotDetected);
    EXPECT_FALSE(gate.IsConnected());
    EXPECT_EQ(m_clock.SleepCount(), 100 + 990);  // 100 pauses of 1 ms, then 990 of 10 ms
    EXPECT_EQ(m_clock.Slept(), std::chrono::milliseconds(10000));
    EXPECT_EQ(FakeCalls("disconnect"), (std::vector<std::string>{"disconnect 4"}));
    EXPECT_FALSE(m_transport->HasClient());
    EXPECT_TRUE(m_notifier.notices.empty());
    // the next run-state read scans the ports again
    ::setenv("FAKE_RP1210_REPLY", "8E00000000", 1);
    EXPECT_EQ(device.ReadRunState(), RS_Idle);
    EXPECT_EQ(FakeCalls("connect").size(), 2u);
}

TEST_F(TransportTest, Request_SendRefused_ShowsTheLibraryTextAndDrops) {
    ::setenv("FAKE_RP1210_SEND_RESULT", "134", 1);
    ::setenv("FAKE_RP1210_ERROR_TEXT", "Device not connected", 1);
    DeviceReply reply;
    EXPECT_EQ(ConnectAndRead(reply), DeviceResult::Failed);
    ASSERT_EQ(m_notifier.notices.size(), 1u);
    EXPECT_EQ(m_notifier.notices[0].text, "Device not connected");
    EXPECT_EQ(m_notifier.notices[0].buttons, NotifyButtons::Ok);
    EXPECT_EQ(FakeCalls("errormsg"), (std::vector<std::string>{"errormsg 134"}));
    EXPECT_FALSE(m_gate->IsConnected());
    EXPECT_EQ(m_lost, 1);
    EXPECT_TRUE(FakeCalls("read").empty());
}

TEST_F(TransportTest, Request_SendRefusedWithoutErrorText_ShowsNothing) {
    ::setenv("FAKE_RP1210_SEND_RESULT", "129", 1);
    DeviceReply reply;
    EXPECT_EQ(ConnectAndRead(reply), DeviceResult::Failed);
    EXPECT_TRUE(m_notifier.notices.empty());
    EXPECT_EQ(m_lost, 1);
}

TEST_F(TransportTest, Request_ReplyShorterThanFourBytes_Fails) {
    ::setenv("FAKE_RP1210_REPLY", "8E0000", 1);
    DeviceReply reply;
    EXPECT_EQ(ConnectAndRead(reply), DeviceResult::Failed);
    EXPECT_FALSE(m_gate->IsConnected());
    EXPECT_EQ(m_lost, 1);
}

TEST_F(TransportTest, Request_ReplyLongerThanTheDataArea_IsRefusedNotCut) {
    const std::string header = "8E000000";
    ::setenv("FAKE_RP1210_REPLY", (header + std::string(2 * (kDeviceDataSize + 1), 'A')).c_str(),
             1);
    DeviceReply reply;
    EXPECT_EQ(ConnectAndRead(reply), DeviceResult::Failed);
    EXPECT_EQ(reply.dataLength, 0);
    EXPECT_EQ(m_lost, 1);

    ::setenv("FAKE_RP1210_REPLY", (header + std::string(2 * kDeviceDataSize, 'A')).c_str(), 1);
    ASSERT_EQ(m_gate->ConnectDevice(), DeviceResult::Done);
    EXPECT_EQ(m_gate->SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 7), reply),
              DeviceResult::Done);
    EXPECT_EQ(reply.dataLength, kDeviceDataSize);
    EXPECT_EQ(reply.Byte(kDeviceDataSize - 1), 0xAA);
}

TEST_F(TransportTest, Request_RealClockWaitsForALateReply) {
    ::setenv("FAKE_RP1210_REPLY", "8E00000001", 1);
    ::setenv("FAKE_RP1210_REPLY_DELAY_MS", "60", 1);
    Port("COM2");
    ::setenv("FAKE_RP1210_CONNECT", "102:0", 1);
    CRequestGate& gate = Gate(FAKE_KV121032_PATH, &SystemClock());
    ASSERT_EQ(gate.BindLibrary(), DeviceResult::Done);
    ASSERT_EQ(gate.ConnectDevice(), DeviceResult::Done);
    const auto start = std::chrono::steady_clock::now();
    DeviceReply reply;
    EXPECT_EQ(gate.SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 103), reply),
              DeviceResult::Done);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
    EXPECT_EQ(reply.Byte(0), 1);
}

TEST_F(TransportTest, Disconnect_ClosesTheClientOnce) {
    DeviceReply reply;
    ::setenv("FAKE_RP1210_REPLY", "8E00000000", 1);
    ASSERT_EQ(ConnectAndRead(reply), DeviceResult::Done);
    EXPECT_EQ(m_gate->DisconnectDevice(), DeviceResult::Done);
    EXPECT_EQ(m_gate->DisconnectDevice(), DeviceResult::Done);
    EXPECT_EQ(FakeCalls("disconnect"), (std::vector<std::string>{"disconnect 4"}));
    // a second connect while a client is open closes the old one first
    ASSERT_EQ(m_gate->ConnectDevice(), DeviceResult::Done);
    ASSERT_EQ(m_transport->Connect(), DeviceResult::Done);
    EXPECT_EQ(FakeCalls("disconnect").size(), 2u);
    // and the client still open when the tool ends is closed before the library goes
    m_gate.reset();
    EXPECT_EQ(FakeCalls("disconnect").size(), 3u);
}

TEST_F(TransportTest, Offline_NeedsNoLibraryAndTheSimulatorAnswers) {
    WriteFileBytes(m_dir.File("GYSim.ini"), "[Identity]\nSerial Number=0x1A2B\n");
    CRequestGate& gate = Gate(m_dir.File("nowhere/libKV121032.so"));
    gate.SetOffline(true);
    EXPECT_EQ(gate.BindLibrary(), DeviceResult::Done);
    EXPECT_EQ(gate.ConnectDevice(), DeviceResult::Done);
    OfflineIdentity offline;
    CDevice device(gate, offline);
    EXPECT_EQ(device.ReadRunState(), RS_Idle);
    DeviceReply reply;
    EXPECT_EQ(gate.SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 6), reply),
              DeviceResult::Done);
    EXPECT_EQ(reply.Long(0), 0x1A2Bu);
    EXPECT_EQ(gate.SendDeviceRequest(MakeGetRequest(999, 1, 1), reply), DeviceResult::Done);
    EXPECT_EQ(reply.generalStatus, DST_ObjectNotFound);
    EXPECT_EQ(device.ResetDevice(), DeviceResult::Done);
    EXPECT_TRUE(m_notifier.notices.empty());
    EXPECT_FALSE(m_transport->IsBound());
    EXPECT_EQ(m_lost, 0);
}

}  // namespace

TEST_F(TransportTest, OnlyPort_TriesThatPortAloneAndANameThatIsNoPortConnectsNowhere) {
    Port("COM3");
    Port("COM5");
    ::setenv("FAKE_RP1210_CONNECT", "105:2", 1);
    auto only = std::make_unique<CSerialTransport>(FAKE_KV121032_PATH, "com5");
    CRequestGate gate(std::move(only), &m_notifier, &m_clock);
    ASSERT_EQ(gate.BindLibrary(), DeviceResult::Done);
    EXPECT_EQ(gate.ConnectDevice(), DeviceResult::Done);
    EXPECT_EQ(FakeCalls("connect"), (std::vector<std::string>{"connect 105 CIP 512 512 0"}));

    CRequestGate nowhere(std::make_unique<CSerialTransport>(FAKE_KV121032_PATH, "LPT1"),
                         &m_notifier, &m_clock);
    ASSERT_EQ(nowhere.BindLibrary(), DeviceResult::Done);
    EXPECT_EQ(nowhere.ConnectDevice(), DeviceResult::Failed);
    EXPECT_EQ(FakeCalls("connect").size(), 1u);
    EXPECT_TRUE(Logged(TraceLog(), "No COM port named LPT1 !"));
    EXPECT_FALSE(Logged(TraceLog(), "No serial COM ports detected !"));
}
