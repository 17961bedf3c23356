// The firmware update the whole way: the transport loads the real
// libKV121032.so, which loads the real serial driver, which talks DF1 at
// 19200 baud over a pseudo-terminal to the virtual gateway program. A Reset
// makes the gateway drop off the line for its downtime, so every image is
// followed by a real reconnection.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "FirmwareFixture.h"
#include "TestSupport.h"
#include "rp1210/GatewayProcess.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/SerialTransport.h"

using namespace gantry;

using namespace gantry::tool;

namespace {

const char* const f_szGateway =
    "[Identity]\r\nFirmware Revision=2.10\r\nProduct Name=J1939 to Modbus Interface\r\n"
    "Client Type=J1939\r\nServer Type=Modbus Slave\r\nRun Mode=Idle\r\n"
    "[NVS_1]\r\nStatus=1\r\nRevision=0x0A02\r\n"
    "[NVS_2]\r\nStatus=1\r\nRevision=0x0301\r\n";

// Real time, except that the 10 s pause after a reset is cut to one second:
// the gateway's downtime is longer than that, so the reconnection still has
// to retry.
class CShortPauseClock : public IClock {
public:
    void Sleep(std::chrono::milliseconds duration) override {
        if (duration >= std::chrono::seconds(10)) {
            ++longPauses;
            duration = std::chrono::seconds(1);
        }
        std::this_thread::sleep_for(duration);
    }
    std::chrono::milliseconds Now() override { return SystemClock().Now(); }
    int longPauses = 0;
};

class FirmwareEndToEnd : public ::testing::Test {
protected:
    FirmwareEndToEnd() {
        WriteFileBytes(m_dir.File("GYSim.ini"), f_szGateway);
        WriteFileBytes(m_dir.File("KV121032.INI"), std::string("[DeviceInformation104]\r\n"
                                                               "DeviceParams=") +
                                                       KVGYSRL_PATH + " COM4\r\n");
        WriteTwoImageUpdate(m_dir.Path(), 1000);
    }
    void TearDown() override {
        m_update.reset();
        m_device.reset();
        m_gate.reset();
        m_gateway.Stop();
    }
    void Start(const std::vector<std::string>& gatewayOptions) {
        std::vector<std::string> options = {"--baud", "19200", "--reset-downtime", "2"};
        options.insert(options.end(), gatewayOptions.begin(), gatewayOptions.end());
        ASSERT_TRUE(m_gateway.Start(m_dir.File("dosdevices/com4"), options));
        m_gate = std::make_unique<CRequestGate>(std::make_unique<CSerialTransport>(KV121032_PATH),
                                                &m_messages, &m_clock);
        m_device = std::make_unique<CDevice>(*m_gate, m_offline);
        m_gate->SetDeviceLostHandler([this] { m_device->MarkNotDetected(); });
        m_log.Install(*m_gate);
        ASSERT_EQ(m_gate->BindLibrary(), DeviceResult::Done);
        ASSERT_EQ(m_device->ReadRunState(), RS_Idle);
        m_update = std::make_unique<CFirmwareUpdate>(*m_gate, *m_device, &m_progress);
        ASSERT_TRUE(m_update->Open());
        ASSERT_TRUE(m_update->SelectFile(m_dir.File("two.nvs")));
    }

    ScopedGantryDir m_dir;
    CGatewayProcess m_gateway;
    CShortPauseClock m_clock;
    OfflineIdentity m_offline;
    CMessageRecorder m_messages;
    CProgressRecorder m_progress;
    CFirmwareRequestLog m_log;
    std::unique_ptr<CRequestGate> m_gate;
    std::unique_ptr<CDevice> m_device;
    std::unique_ptr<CFirmwareUpdate> m_update;
};

TEST_F(FirmwareEndToEnd, TwoImagesWithAResetAfterEachReconnectAndVerify) {
    Start({});
    EXPECT_EQ(m_update->Start(), FlashOutcome::Verified);
    EXPECT_EQ(m_messages.Texts(),
              std::vector<std::string>{"Device was successfully flashed and reset"});
    EXPECT_EQ(m_log.Count(SVC_FirmwareUpdate), 2);
    EXPECT_EQ(m_log.Count(SVC_FirmwareTransfer), 5 + 8);
    EXPECT_EQ(m_log.resets, 2);
    EXPECT_EQ(m_clock.longPauses, 2);
    EXPECT_TRUE(m_gate->IsConnected());
    // after each image the revisions were read again over the new connection
    EXPECT_EQ(m_progress.revisionReads, 3);
    EXPECT_EQ(FormatRevision(m_progress.lastRevisions[0].revision), "2.10");
    EXPECT_EQ(FormatRevision(m_progress.lastRevisions[1].revision), "1.03");
}

TEST_F(FirmwareEndToEnd, TransferFailureInTheMiddleResetsReconnectsAndRecovers) {
    Start({"--fail-transfer-at", "3"});
    EXPECT_EQ(m_update->Start(), FlashOutcome::FailedAndRecovered);
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{"Transfer status error"});
    EXPECT_EQ(m_log.Count(SVC_FirmwareUpdate), 1);
    EXPECT_EQ(m_log.Count(SVC_FirmwareTransfer), 3);
    EXPECT_EQ(m_log.resets, 1);
    EXPECT_EQ(m_progress.statusTexts,
              (std::vector<std::string>{"Resetting and Polling for Device.|Please Wait...", "|"}));
    EXPECT_TRUE(m_gate->IsConnected());
    // the gateway answers again after the reset
    EXPECT_EQ(m_device->ReadRunState(), RS_Idle);
}

}  // namespace
