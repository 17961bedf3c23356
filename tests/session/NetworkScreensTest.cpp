// The network screens' lists and switches, and the firmware update run on the
// session: list texts and how each list stands for its field, the Modbus
// timeout switch, and the revision rows, Idle report and Upload of a firmware
// update against the simulator as a gateway.
#include <filesystem>

#include "SessionTestSupport.h"
#include "tool/session/FirmwareSession.h"
#include "tool/session/NetworkLists.h"
#include "tool/session/PaneChoices.h"

using namespace gantry::tool;

namespace {

TEST(NetworkLists, ListsSetByTextKeepTheirSelectionForAValueWithoutAnItem) {
    EXPECT_EQ(NetworkListItems(NetworkList::ModbusBaudRate),
              (std::vector<std::string>{"4800", "9600", "19200"}));
    EXPECT_EQ(NetworkListSelection(NetworkList::ModbusBaudRate, 9600, 2), 1);
    EXPECT_EQ(NetworkListSelection(NetworkList::ModbusBaudRate, 38400, 2), 2);
    EXPECT_EQ(NetworkListSelection(NetworkList::ModbusStopBits, 3, 0), 0);
    EXPECT_EQ(NetworkListSelection(NetworkList::ModbusParity, 2, 0), 2);
    EXPECT_EQ(NetworkListSelection(NetworkList::ModbusParity, 255, 1), 1);
    EXPECT_EQ(NetworkListSelection(NetworkList::NetworkDuplex, 1, -1), 1);
    EXPECT_EQ(NetworkListSelection(NetworkList::DeviceNetBaudRate, 3, 1), 1);
}

TEST(NetworkLists, ListsSetByIndex_SafeStateFallsBackToZeroEthernetToNoSelection) {
    EXPECT_EQ(NetworkListSelection(NetworkList::InputSafeState, 1, 0), 1);
    EXPECT_EQ(NetworkListSelection(NetworkList::InputSafeState, 7, 1), 0);
    EXPECT_EQ(NetworkListSelection(NetworkList::EthernetSpeed, 2, 0), 2);
    EXPECT_EQ(NetworkListSelection(NetworkList::EthernetDuplex, 3, 0), -1);
    EXPECT_EQ(NetworkListItems(NetworkList::EthernetDhcp), (std::vector<std::string>{"OFF", "ON"}));
}

TEST(NetworkLists, ValuesOfASelection_NumberShownIndexOrTextValue) {
    EXPECT_EQ(NetworkListValue(NetworkList::ModbusBaudRate, 0), 4800u);
    EXPECT_EQ(NetworkListValue(NetworkList::ModbusStopBits, 1), 2u);
    EXPECT_EQ(NetworkListValue(NetworkList::ModbusBaudRate, -1), std::nullopt);
    EXPECT_EQ(NetworkListValue(NetworkList::ModbusParity, 1), 1u);
    EXPECT_EQ(NetworkListValue(NetworkList::NetworkType, -1), 255u);
    EXPECT_EQ(NetworkListValue(NetworkList::EthernetSpeed, 2), 2u);
    EXPECT_EQ(NetworkListValue(NetworkList::EthernetDhcp, -1), f_nNoListSelection);
}

TEST(NetworkLists, IpAddressTexts) {
    EXPECT_EQ(FormatIpAddress(Ipv4Address{192, 168, 1, 10}), "192.168.1.10");
    EXPECT_EQ(ParseIpAddress("10.0.255.1"), (Ipv4Address{10, 0, 255, 1}));
    EXPECT_EQ(ParseIpAddress(""), (Ipv4Address{}));
    for (const char* bad :
         {"10.0.256.1", "10.0.1", "10.0.1.1.", "1.2.3.4x", "1..2.3", "-1.2.3.4"}) {
        EXPECT_EQ(ParseIpAddress(bad), std::nullopt) << bad;
    }
}

TEST_F(SessionTest, ModbusTimeoutSwitchOff_WritesZeroAtDownload) {
    PlugAndStart(f_ethernetJ1939);
    m_session->EditConfiguration().ethernet.modbusTimeoutMs = 2500;
    m_session->SetModbusTimeoutEnabled(true);
    EXPECT_EQ(m_session->Configuration().ethernet.modbusTimeoutMs, 2500u);
    m_session->SetModbusTimeoutEnabled(false);
    EXPECT_EQ(m_session->Configuration().ethernet.modbusTimeoutMs, 0u);
    ASSERT_EQ(m_listener.screenChanges.size(), 1u);
    EXPECT_EQ(m_listener.screenChanges[0], std::vector<ScreenKind>{ScreenKind::Ethernet});
    EXPECT_EQ(m_session->Download().outcome, DownloadOutcome::Written);
    const std::vector<std::string> requests = TakeRequests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "S 141/1/1 0000"), requests.end());
}

// The firmware update on the session against the simulator: two storage
// areas reported, one image per area.
class FirmwareSessionTest : public SessionTest {
protected:
    void SetUp() override {
        const std::string areas =
            "[NVS_1]\nStatus=1\nRevision=0x0A02\n[NVS_2]\nStatus=1\nRevision=0x0301\n";
        GatewayIdentity gateway = f_j1939Modbus;
        gateway.runMode = "Run";
        PlugAndStart(gateway, areas);
        m_gateway->Simulator().SetResetDowntime(std::chrono::milliseconds(0));
        WriteFileBytes(m_dir.File("boot.bin"), std::string(300, 'b'));
        WriteFileBytes(m_dir.File("two.nvs"),
                       "[Device]\nDescription=Two images\nNumberUpdates=2\n"
                       "[Update1]\nNVSInstance=2\nMajorRevision=1\nMinorRevision=3\n"
                       "DataFileName=boot.bin\nFileSize=300\n"
                       "[Update2]\nNVSInstance=1\nMajorRevision=0x2\nMinorRevision=10\n");
    }
};

TEST_F(FirmwareSessionTest, Update_RowsIdleReportAndUploadAfterTheDialogCloses) {
    CFirmwareSession firmware(*m_session, nullptr);
    ASSERT_TRUE(firmware.Open());
    EXPECT_EQ(firmware.DeviceRows(),
              (std::vector<RevisionRow>{{"Carrier Board", "2.10"}, {"Boot", "1.03"}}));
    ASSERT_TRUE(firmware.SelectFile(m_dir.File("two.nvs")));
    EXPECT_EQ(firmware.ImageRows(),
              (std::vector<RevisionRow>{{"Carrier Board", "2.10"}, {"Boot", "1.03"}}));
    TakeRequests();
    EXPECT_EQ(firmware.Start(), FlashOutcome::Verified);
    // the gateway in Run went to Idle before anything was written, and the
    // status view was told
    EXPECT_EQ(m_listener.runStates, std::vector<int>{RS_Idle});
    ASSERT_FALSE(m_notifier.shown.empty());
    EXPECT_EQ(m_notifier.shown.back().text, "Device was successfully flashed and reset");
    ASSERT_TRUE(firmware.ClosesDialog());
    EXPECT_EQ(CountPrefix(TakeRequests(), "G 130/"), 0);
    firmware.Finish();  // Upload: the identity and every record read again
    EXPECT_GT(CountPrefix(TakeRequests(), "G 130/"), 0);
    firmware.Finish();
    EXPECT_TRUE(TakeRequests().empty());  // one Upload per procedure
}

TEST_F(FirmwareSessionTest, ImageCheckFails_NothingSentDialogStaysAndNoUpload) {
    WriteFileBytes(m_dir.File("boot.bin"), std::string(299, 'b'));
    CFirmwareSession firmware(*m_session, nullptr);
    ASSERT_TRUE(firmware.Open());
    ASSERT_TRUE(firmware.SelectFile(m_dir.File("two.nvs")));
    TakeRequests();
    EXPECT_EQ(firmware.Start(), FlashOutcome::StoppedBeforeTransfer);
    EXPECT_FALSE(firmware.ClosesDialog());
    firmware.Finish();
    EXPECT_EQ(CountWrites(TakeRequests()), 0);
    EXPECT_TRUE(m_listener.runStates.empty());
}

}  // namespace

namespace {

// A pane's list or box sets its field; the Modbus pane's choices go to the
// record of the configuration's pair (the enhanced one for server type 12).
TEST(PaneChoices, AModbusChoiceGoesToTheRecordOfThePair) {
    CConfiguration config;
    config.clientType = 9;
    config.serverType = 12;
    ApplyChoice(config, Choice::ModbusBaud, 9600);
    ApplyChoice(config, Choice::ModbusWatchdog, 3000);
    ApplyChoice(config, Choice::ModbusNetworkDuplex, 1);
    EXPECT_EQ(config.modbusEnhanced.baudRate, 9600u);
    EXPECT_EQ(config.modbusEnhanced.watchdogMs, 3000u);
    EXPECT_EQ(config.modbusEnhanced.networkDuplex, 1u);
    EXPECT_EQ(config.modbus.baudRate, ModbusSettings{}.baudRate);
    config.serverType = 8;
    ApplyChoice(config, Choice::ModbusParity, 2);
    EXPECT_EQ(config.modbus.parity, 2u);
    EXPECT_EQ(config.modbusEnhanced.parity, ModbusSettings{}.parity);
    ApplyChoice(config, Choice::J1939SwapIo, 1);
    ApplyChoice(config, Choice::DeviceNetAutobaud, 1);
    EXPECT_TRUE(config.j1939.swapIo);
    EXPECT_TRUE(config.deviceNet.autobaud);
    EXPECT_FALSE(config.deviceNet.swapIo);
}

}  // namespace
