// The whole way a request travels in the field: the transport loads the real
// libKV121032.so, which loads the real serial driver named in KV121032.INI,
// which talks DF1 at 19200 baud over a pseudo-terminal to the virtual gateway
// program, whose objects are the simulator over GYSim.ini.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "TestSupport.h"
#include "common/ProfileFile.h"
#include "tool/device/Device.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/Notifier.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/device/SerialTransport.h"

using namespace gantry;

using namespace gantry::tool;

namespace {

class CRecordingNotifier : public INotifier {
public:
    NotifyAnswer Notify(const std::string& text, const std::string&, NotifyButtons, NotifyIcon,
                        NotifyAnswer) override {
        texts.push_back(text);
        return NotifyAnswer::Ok;
    }
    std::vector<std::string> texts;
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(m_dir.File("GYSim.ini"),
                       "[Identity]\r\nFirmware Revision=2.06\r\nSerial Number=0x00C0FFEE\r\n"
                       "Product Name=J1939 to Modbus Interface\r\nClient Type=J1939\r\n"
                       "Server Type=Modbus Slave\r\nRun Mode=Idle\r\n");
        WriteFileBytes(
            m_dir.File("KV121032.INI"),
            std::string("[DeviceInformation104]\r\nDeviceParams=") + KVGYSRL_PATH + " COM4\r\n");
        StartGateway();
    }
    void TearDown() override {
        if (m_child > 0) {
            ::kill(m_child, SIGTERM);
            int status = 0;
            ::waitpid(m_child, &status, 0);
        }
        if (m_stream != nullptr) {
            std::fclose(m_stream);
        }
    }
    // Starts the gateway on a pseudo-terminal linked as COM4 and waits until
    // it is there.
    void StartGateway() {
        const std::string link = m_dir.File("dosdevices/com4");
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        m_child = ::fork();
        ASSERT_GE(m_child, 0);
        if (m_child == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::execl(GATEWAY_PATH, GATEWAY_PATH, "--link", link.c_str(), "--baud", "19200",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        m_stream = ::fdopen(out[0], "r");
        char line[256] = {};
        ASSERT_NE(std::fgets(line, sizeof line, m_stream), nullptr);
        ASSERT_TRUE(std::filesystem::exists(link));
    }

    ScopedGantryDir m_dir;
    pid_t m_child = -1;
    FILE* m_stream = nullptr;
    CRecordingNotifier m_notifier;
};

TEST_F(EndToEnd, IdentityRunStateAndSettingsTravelThroughTheRealLibraries) {
    CRequestGate gate(std::make_unique<CSerialTransport>(KV121032_PATH), &m_notifier);
    OfflineIdentity offline;
    CDevice device(gate, offline);
    gate.SetDeviceLostHandler([&device] { device.MarkNotDetected(); });
    ASSERT_EQ(gate.BindLibrary(), DeviceResult::Done);

    device.RefreshIdentity();
    ASSERT_EQ(device.GetRunState(), RS_Idle);
    EXPECT_TRUE(gate.IsConnected());
    EXPECT_EQ(device.ProductName(), "J1939 to Modbus Interface");
    EXPECT_EQ(FormatSerialNumber(device.SerialNumber()), "00C0FFEE");
    EXPECT_EQ(FormatRevision(device.Revision()), "2.06");
    EXPECT_EQ(device.ClientType(), IT_J1939);
    EXPECT_EQ(device.ServerType(), IT_ModbusSlave);

    device.SetRunState(RS_Run);
    EXPECT_EQ(device.GetRunState(), RS_Run);
    EXPECT_EQ(ReadProfileString("GYSim.ini", "Identity", "Run Mode", ""), "1");

    const std::vector<std::uint8_t> name = {8, 7, 6, 5, 4, 3, 2, 1};
    DeviceReply reply;
    ASSERT_EQ(gate.SendDeviceRequest(MakeSetRequest(CLS_J1939Settings, 1, 4, name), reply),
              DeviceResult::Done);
    EXPECT_EQ(reply.generalStatus, 0);
    ASSERT_EQ(gate.SendDeviceRequest(MakeGetRequest(CLS_J1939Settings, 1, 4), reply),
              DeviceResult::Done);
    EXPECT_EQ(std::vector<std::uint8_t>(reply.data, reply.data + reply.dataLength), name);
    EXPECT_EQ(ReadProfileString("GYSim.ini", "J1939Config", "Device Name", ""), "0102030405060708");

    // the time one exchange takes on the line, for the record
    const auto start = std::chrono::steady_clock::now();
    constexpr int reads = 20;
    for (int i = 0; i < reads; ++i) {
        ASSERT_EQ(gate.SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 103), reply),
                  DeviceResult::Done);
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    RecordProperty("microseconds_per_exchange", static_cast<int>(elapsed.count() / reads));
    std::printf("one run-state read: %lld us\n", static_cast<long long>(elapsed.count() / reads));

    EXPECT_EQ(gate.DisconnectDevice(), DeviceResult::Done);
    EXPECT_TRUE(m_notifier.texts.empty());
}

}  // namespace
