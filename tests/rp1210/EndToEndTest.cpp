// End to end: libKV121032.so with the real serial driver libKVGYSrl.so and
// the virtual gateway on a pseudo-terminal; then the tool's transport through
// both libraries.
#include <pty.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "GatewayProcess.h"
#include "Rp1210Fixture.h"
#include "common/Clock.h"
#include "common/GantryDirectory.h"
#include "tool/device/Device.h"
#include "tool/device/Notifier.h"
#include "tool/device/SerialTransport.h"

using namespace gantry;

using namespace gantry::tool;

namespace {

using namespace std::chrono_literals;

const std::string f_identityRequest("\x0e\x01\x00\x01\x00\x07", 6);  // product name

class EndToEnd : public Rp1210Test {
protected:
    void SetUp() override {
        Rp1210Test::SetUp();
        ASSERT_TRUE(MakeDirectories(m_dir.File("dosdevices")));
        WriteFileBytes(m_dir.File("GYSim.ini"),
                       "[Identity]\r\nProduct Name=Gateway E2E\r\nSerial Number=0x1234ABCD\r\n"
                       "Run Mode=Idle\r\nFirmware Revision=2.05\r\n");
    }

    std::string ComLink(int port) const {
        return m_dir.File("dosdevices/com" + std::to_string(port));
    }
    static std::string Driver(const std::string& port) {
        return std::string(KVGYSRL_PATH) + " " + port;
    }

    // Reads without blocking every millisecond until a message comes or
    // `wait` has passed; the result of the last read.
    std::int16_t ReadWithin(std::int16_t client, std::string& message,
                            std::chrono::milliseconds wait) {
        const auto until = std::chrono::steady_clock::now() + wait;
        char buffer[600];
        std::int16_t result = 0;
        do {
            result = ReadMessage(client, buffer, sizeof buffer, 0);
            if (result != 0) {
                break;
            }
            std::this_thread::sleep_for(1ms);
        } while (std::chrono::steady_clock::now() < until);
        message.assign(buffer, result > 0 ? result : 0);
        return result;
    }

    std::uint8_t TrafficByte(std::int16_t client) {
        char status[16] = {};
        EXPECT_EQ(GetHardwareStatus(client, status, 16, 0), 0);
        return static_cast<std::uint8_t>(status[4]);
    }

    CGatewayProcess m_gateway;
};

TEST_F(EndToEnd, CipClientReadsTheIdentityAndTheStatusShowsTraffic) {
    ASSERT_TRUE(m_gateway.Start(ComLink(1)));
    WriteIni({{101, Driver("COM1")}});
    ASSERT_EQ(Connect(101, "CIP"), 0);
    EXPECT_EQ(TrafficByte(0), 0x01) << "no exchange yet";

    ASSERT_EQ(SendMessage(0, f_identityRequest.data(), 6, 0, 0), 0);
    auto reader = std::async(std::launch::async, [this] {
        char buffer[600];
        const std::int16_t result = ReadMessage(0, buffer, sizeof buffer, 1);
        return std::string(buffer, result > 0 ? result : 0);
    });
    ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
    const std::string reply = reader.get();
    ASSERT_GE(reply.size(), 4u);
    EXPECT_NE(reply.find("Gateway E2E"), std::string::npos);
    EXPECT_EQ(TrafficByte(0), 0x03);
    EXPECT_EQ(ClientDisconnect(0), 0);
}

TEST_F(EndToEnd, J1708ClientGetsNothingUntilCommand3ThenTimeStampedMessagesAndItsEcho) {
    ASSERT_TRUE(m_gateway.Start(ComLink(1), {"--j1708-every", "20"}));
    WriteIni({{101, Driver("COM1")}});
    ASSERT_EQ(Connect(101, "J1708"), 0);
    std::string message;
    EXPECT_EQ(ReadWithin(0, message, 300ms), 0) << "nothing passes before command 3";

    ASSERT_EQ(SendCommand(3, 0, nullptr, 0), 0);
    ASSERT_EQ(ReadWithin(0, message, 5s), 7) << "time stamp, MID 128, PID 84 and its value";
    std::uint32_t timeStamp = 0;
    for (int i = 3; i >= 0; --i) {
        timeStamp = (timeStamp << 8) | static_cast<std::uint8_t>(message[i]);
    }
    EXPECT_LT(GetTickCount32() - timeStamp, 5000u) << "the driver's tick count at receipt";
    EXPECT_EQ(static_cast<std::uint8_t>(message[4]), 128);
    EXPECT_EQ(static_cast<std::uint8_t>(message[5]), 84);

    char echoOn[1] = {1};
    ASSERT_EQ(SendCommand(16, 0, echoOn, 1), 0);
    std::this_thread::sleep_for(100ms);  // the driver takes the command from its queue
    ASSERT_EQ(SendMessage(0, "\x03\x8f\x01\x02\x03", 5, 0, 0), 0);
    bool echoed = false;
    for (int reads = 0; reads < 200 && !echoed; ++reads) {
        const std::int16_t result = ReadWithin(0, message, 5s);
        ASSERT_GT(result, 0);
        // time stamp, echo flag, MID, data
        if (message[4] == 1) {
            EXPECT_EQ(message.substr(5), "\x8f\x01\x02\x03");
            echoed = true;
        } else {
            EXPECT_EQ(static_cast<std::uint8_t>(message[5]), 128);
        }
    }
    EXPECT_TRUE(echoed);
    EXPECT_EQ(ClientDisconnect(0), 0);
}

TEST_F(EndToEnd, TwoDeviceIdsOnOnePortGet135AndDisconnectFreesThePort) {
    ASSERT_TRUE(m_gateway.Start(ComLink(1)));
    WriteIni({{101, Driver("COM1")}, {201, Driver("COM1")}});
    ASSERT_EQ(Connect(101, "CIP"), 0);
    EXPECT_EQ(Connect(201, "CIP"), 135);
    EXPECT_EQ(ClientDisconnect(0), 0);
    ASSERT_EQ(Connect(201, "CIP"), 0) << "the port is free again";
    ASSERT_EQ(SendMessage(0, f_identityRequest.data(), 6, 0, 0), 0);
    std::string reply;
    EXPECT_GT(ReadWithin(0, reply, 10s), 0);
    EXPECT_NE(reply.find("Gateway E2E"), std::string::npos);
}

// The tool's transport, gate and device accessor over both libraries.
class ToolEndToEnd : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        // COM1 is a line nobody answers on; the gateway sits on COM2
        ASSERT_EQ(::openpty(&m_deadMaster, &m_deadSlave, m_deadName, nullptr, nullptr), 0);
        std::filesystem::create_symlink(m_deadName, ComLink(1));
        ASSERT_TRUE(m_gateway.Start(ComLink(2)));
        WriteIni({{101, Driver("COM1")}, {102, Driver("COM2")}});
        m_gate = std::make_unique<CRequestGate>(std::make_unique<CSerialTransport>(KV121032_PATH),
                                                &m_notifier);
        m_gate->SetDeviceLostHandler([this] { m_device->MarkNotDetected(); });
        m_device = std::make_unique<CDevice>(*m_gate, m_offline);
        ASSERT_EQ(m_gate->BindLibrary(), DeviceResult::Done);
    }
    void TearDown() override {
        m_device.reset();
        m_gate.reset();
        ::close(m_deadMaster);
        ::close(m_deadSlave);
        EndToEnd::TearDown();
    }

    CStderrNotifier m_notifier;
    OfflineIdentity m_offline;
    std::unique_ptr<CRequestGate> m_gate;
    std::unique_ptr<CDevice> m_device;
    int m_deadMaster = -1;
    int m_deadSlave = -1;
    char m_deadName[256] = {};
};

TEST_F(ToolEndToEnd, ConnectsOnCom2ReadsTheIdentityLosesTheGatewayAndReconnects) {
    EXPECT_EQ(m_device->ReadRunState(), RS_Idle);
    const std::string log = ReadFileBytes(m_dir.File("GyConfig.log"));
    EXPECT_NE(log.find("Connecting to COM port : 1 failed ! Error Code : "), std::string::npos)
        << log;
    EXPECT_EQ(log.find("Connecting to COM port : 2 failed"), std::string::npos) << log;

    m_device->RefreshIdentity();
    EXPECT_EQ(m_device->ProductName(), "Gateway E2E");
    EXPECT_EQ(m_device->SerialNumber(), 0x1234ABCDu);
    EXPECT_EQ(m_device->GetRunState(), RS_Idle);

    m_gateway.Stop(SIGKILL);
    EXPECT_EQ(m_device->ReadRunState(), RS_NotDetected);
    EXPECT_FALSE(m_gate->IsConnected());
    EXPECT_FALSE(m_device->IsPresent());

    ASSERT_TRUE(m_gateway.Start(ComLink(2)));
    EXPECT_EQ(m_device->ReadRunState(), RS_Idle) << "the next read scans the ports again";
    EXPECT_TRUE(m_gate->IsConnected());
}

}  // namespace
