// The four network panes in the main frame, offscreen, driven through their
// widgets against the real session with the in-process simulator as the
// gateway: visibility by pair and revision, lists that keep their selection,
// the I/O size and address refusals with the focus, the writes of a download,
// and screenshots online and offline in the test's build folder.
#include <algorithm>

#include "FrameTestSupport.h"
#include "common/ProfileFile.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/ui/DNetConfig.h"
#include "tool/ui/IpConfig.h"
#include "tool/ui/ModbusConfigEnh.h"

using namespace gantry::tool;
using namespace gantry::ui;

namespace {

using Requests = std::vector<std::string>;

const GatewayIdentity f_j1939EnhancedModbus{IT_J1939, 12, "2.07", 0x6006};
const GatewayIdentity f_modbusMaster{7, IT_ModbusSlave, "2.07", 0x7007};
// What an Ethernet gateway keeps of its Modbus/TCP side.
const std::string f_modbusTcp = "[ModbusTCPConfig]\nTimeout=0\nIO Size=500\n";

class NetworkScreensTest : public FrameTest {
protected:
    // Another gateway in a new window: the old window goes before its session.
    void Reopen(const GatewayIdentity& identity) {
        m_frame.reset();
        m_session.reset();
        OpenFrame(identity);
    }
    template <typename Pane>
    Pane* PaneOf(ScreenKind kind) const {
        auto* pane = dynamic_cast<Pane*>(m_frame->Pane(kind));
        EXPECT_NE(pane, nullptr);
        return pane;
    }
    // Types into an edit as the user does, replacing its text.
    static void Type(QLineEdit* edit, const char* text) {
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(text));
    }
    // Picks an item of a list as the user does.
    static void Pick(QComboBox* combo, const char* text) {
        const int index = combo->findText(QString::fromLatin1(text));
        ASSERT_GE(index, 0) << text;
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    // The messages shown, the download's caution question aside.
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : m_notifier.shown) {
            if (m.text != f_szDownloadCaution) {
                texts.push_back(m.caption + ": " + m.text);
            }
        }
        return texts;
    }
    // Clicks a check box on its indicator, as the user does.
    static void Click(QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    // The Set requests to `prefix` ("S 3/1/") and every Save, in order.
    static Requests WritesTo(const Requests& requests, const std::string& prefix) {
        Requests writes;
        std::copy_if(requests.begin(), requests.end(), std::back_inserter(writes),
                     [&](const std::string& r) {
                         return r.rfind(prefix, 0) == 0 || r.rfind("Save ", 0) == 0;
                     });
        return writes;
    }
    void Screenshot(QWidget* widget, const std::string& file) {
        ASSERT_TRUE(widget->grab().save(QString::fromStdString(file)));
    }
    // The session's answer to the caution question is Yes (the notifier).
    Requests Download() {
        TakeRequests();
        m_notifier.shown.clear();
        Trigger(FrameCommand::Download);
        return TakeRequests();
    }
};

TEST_F(NetworkScreensTest, DeviceNetOptions_ShowByPairAndRevision) {
    struct Case {
        GatewayIdentity gateway;
        const char* revision;
        bool statusData;
        bool safeState;
    };
    for (const Case& c : {Case{f_profibusDeviceNet, "1.09", false, false},
                          Case{f_profibusDeviceNet, "1.10", true, true},
                          Case{f_ethernetDeviceNet, "1.10", false, false},
                          Case{f_ethernetDeviceNet, "1.11", false, true}}) {
        GatewayIdentity gateway = c.gateway;
        gateway.revision = c.revision;
        Reopen(gateway);
        auto* pane = PaneOf<CDNetConfig>(ScreenKind::DeviceNet);
        ASSERT_NE(pane, nullptr);
        EXPECT_EQ(pane->StatusInInput()->isVisible(), c.statusData) << c.revision;
        EXPECT_EQ(pane->InputSafeState()->isVisible(), c.safeState) << c.revision;
        EXPECT_TRUE(pane->MacAddress()->isEnabled());
        EXPECT_EQ(pane->MacAddress()->text(), "63");
    }
}

TEST_F(NetworkScreensTest, ModbusBaudRateNoItemShows_KeepsTheListSelection) {
    OpenFrame(f_j1939Modbus);
    auto* pane = PaneOf<CModbusConfig>(ScreenKind::Modbus);
    ASSERT_NE(pane, nullptr);
    Pick(pane->BaudRate(), "9600");
    EXPECT_EQ(m_session->Configuration().modbus.baudRate, 9600u);
    const std::string profile = m_dir.File("GYSim.ini");
    WriteProfileString(profile, "ModbusConfig", "Baud Rate", "38400");
    m_notifier.answerYes = false;  // the edit is not saved before the upload replaces it
    Trigger(FrameCommand::Upload);
    EXPECT_EQ(pane->BaudRate()->currentText(), "9600");
    WriteProfileString(profile, "ModbusConfig", "Baud Rate", "4800");
    Trigger(FrameCommand::Upload);
    EXPECT_EQ(pane->BaudRate()->currentText(), "4800");
}

TEST_F(NetworkScreensTest, IoSizeOutsideItsRange_ShowsTheMessageAndKeepsTheLimits) {
    OpenFrame(f_ethernetJ1939);
    auto* pane = PaneOf<CIpConfig>(ScreenKind::Ethernet);
    ASSERT_NE(pane, nullptr);
    const DataTableLimits before = m_session->Configuration().limits;
    Type(pane->IoSize(), "600");
    QTest::keyClick(pane->IoSize(), Qt::Key_Return);  // leaves the entry
    EXPECT_EQ(Messages(), std::vector<std::string>{
                              "I/O Size Entry Error: I/O Size must be between 4 and 500 bytes"});
    EXPECT_EQ(m_session->Configuration().limits, before);
    EXPECT_EQ(pane->IoSize()->text(), "600");

    m_notifier.shown.clear();
    Type(pane->IoSize(), "300");
    QTest::keyClick(pane->IoSize(), Qt::Key_Return);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(m_session->Configuration().limits, (DataTableLimits{296, 292, 588}));
}

TEST_F(NetworkScreensTest, ModbusTimeoutBox_UncheckedWritesZeroAndDisablesTheEntry) {
    OpenFrame(f_ethernetJ1939, f_modbusTcp);
    auto* pane = PaneOf<CIpConfig>(ScreenKind::Ethernet);
    ASSERT_NE(pane, nullptr);
    EXPECT_FALSE(pane->ModbusTimeout()->isEnabled());
    Click(pane->ModbusTimeoutEnabled());
    ASSERT_TRUE(pane->ModbusTimeout()->isEnabled());
    Type(pane->ModbusTimeout(), "1500");
    EXPECT_EQ(pane->ModbusTimeout()->text(), "1500");
    EXPECT_EQ(m_session->Configuration().ethernet.modbusTimeoutMs, 1500u);
    Click(pane->ModbusTimeoutEnabled());
    EXPECT_FALSE(pane->ModbusTimeout()->isEnabled());
    EXPECT_EQ(pane->ModbusTimeout()->text(), "0");
    EXPECT_EQ(WritesTo(Download(), "S 141/"),
              (Requests{"S 141/1/1 0000", "S 141/1/2 F401", "Save 140/0"}));
}

TEST_F(NetworkScreensTest, MacAddressOutOfRange_RefusedNothingWrittenFieldFocused) {
    OpenFrame(f_profibusDeviceNet);
    m_frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    auto* pane = PaneOf<CDNetConfig>(ScreenKind::DeviceNet);
    ASSERT_NE(pane, nullptr);
    Type(pane->MacAddress(), "64");
    const Requests requests = Download();
    EXPECT_EQ(Messages(), std::vector<std::string>{"Invalid Entry: Invalid MAC Address. Please "
                                                   "specify the MAC Address in the 0 - 63 range."});
    EXPECT_EQ(CountWrites(requests), 0);
    EXPECT_EQ(QApplication::focusWidget(), pane->MacAddress());
    EXPECT_EQ(pane->MacAddress()->selectedText(), "64");
}

TEST_F(NetworkScreensTest, NetworkAddressOutOfRange_RefusedNothingWrittenFieldFocused) {
    OpenFrame(f_j1939Modbus);
    m_frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    auto* pane = PaneOf<CModbusConfig>(ScreenKind::Modbus);
    ASSERT_NE(pane, nullptr);
    Type(pane->NetworkAddress(), "248");
    const Requests requests = Download();
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Invalid Entry: Invalid Network Address. Please specify the "
                                       "Network Address in the 1 - 247 range."});
    EXPECT_EQ(CountWrites(requests), 0);
    EXPECT_EQ(QApplication::focusWidget(), pane->NetworkAddress());
    EXPECT_EQ(pane->NetworkAddress()->selectedText(), "248");
}

TEST_F(NetworkScreensTest, DownloadDeviceNet_WritesItsAttributesAndOneSave) {
    OpenFrame(f_profibusDeviceNet);
    auto* pane = PaneOf<CDNetConfig>(ScreenKind::DeviceNet);
    ASSERT_NE(pane, nullptr);
    Type(pane->MacAddress(), "0x0A");
    Pick(pane->BaudRate(), "500K");
    Click(pane->SwapIo());
    Pick(pane->InputSafeState(), "Zero Data");
    EXPECT_EQ(WritesTo(Download(), "S 3/"),
              (Requests{"S 3/1/101 01", "S 3/1/103 00", "S 3/1/104 01", "S 3/1/100 00",
                        "S 3/1/2 02", "S 3/1/1 0A", "Save 3/0"}));
}

TEST_F(NetworkScreensTest, DownloadModbus_WritesItsAttributesAndOneSave) {
    OpenFrame(f_j1939Modbus);
    auto* pane = PaneOf<CModbusConfig>(ScreenKind::Modbus);
    ASSERT_NE(pane, nullptr);
    Type(pane->NetworkAddress(), "0xF7");
    Pick(pane->BaudRate(), "9600");
    Pick(pane->Parity(), "Even");
    Pick(pane->StopBits(), "2");
    Type(pane->WatchdogTimeout(), "1000");
    EXPECT_EQ(WritesTo(Download(), "S 130/"),
              (Requests{"S 130/1/3 F7", "S 130/1/4 6000", "S 130/1/5 02", "S 130/1/6 02",
                        "S 130/1/7 E803", "Save 111/0"}));
}

TEST_F(NetworkScreensTest, DownloadEnhancedModbus_WritesItsAttributesAndOneSave) {
    OpenFrame(f_j1939EnhancedModbus);
    auto* pane = PaneOf<CModbusConfigEnh>(ScreenKind::EnhancedModbus);
    ASSERT_NE(pane, nullptr);
    Type(pane->NetworkAddress(), "17");
    Pick(pane->NetworkType(), "RS-232");
    Pick(pane->NetworkDuplex(), "Full-Duplex");
    Type(pane->WatchdogTimeout(), "250");
    EXPECT_EQ(WritesTo(Download(), "S 130/"),
              (Requests{"S 130/1/3 11", "S 130/1/4 C000", "S 130/1/5 00", "S 130/1/6 01",
                        "S 130/1/7 FA00", "S 130/1/8 01", "S 130/1/9 01", "Save 111/0"}));
}

TEST_F(NetworkScreensTest, DownloadEthernet_WritesItsAttributesAndOneSave) {
    OpenFrame(f_ethernetDeviceNet, f_modbusTcp);
    auto* pane = PaneOf<CIpConfig>(ScreenKind::Ethernet);
    ASSERT_NE(pane, nullptr);
    Pick(pane->Dhcp(), "OFF");
    Type(pane->IpAddress(), "192.168.1.10");
    Type(pane->SubnetMask(), "255.255.255.0");
    Type(pane->GatewayAddress(), "192.168.1.1");
    Pick(pane->Speed(), "100");
    Pick(pane->Duplex(), "Full");
    const Requests requests = Download();
    EXPECT_TRUE(Messages().empty()) << Messages().front();
    EXPECT_EQ(WritesTo(requests, "S 14"),
              (Requests{"S 140/1/1 C0A8010AFFFFFF00C0A80101000201"
                        "00",
                        "S 141/1/1 0000", "S 141/1/2 F401", "Save 140/0"}));
    EXPECT_EQ(Saves(requests).size(), 1u);  // DeviceNet is written too, without a Save of its own
}

TEST_F(NetworkScreensTest, ModbusMaster_HidesAndNeverWritesTheNetworkAddress) {
    OpenFrame(f_modbusMaster);
    auto* pane = PaneOf<CModbusConfig>(ScreenKind::Modbus);
    ASSERT_NE(pane, nullptr);
    EXPECT_FALSE(pane->NetworkAddress()->isVisible());
    Type(pane->NetworkAddress(), "999");  // hidden: never judged
    const Requests writes = WritesTo(Download(), "S 130/");
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), "S 130/1/4 C000");
}

TEST_F(NetworkScreensTest, NoModule_DisablesTheControlsAndEmptiesTheTexts) {
    OpenFrame(f_j1939Modbus);
    auto* pane = PaneOf<CModbusConfig>(ScreenKind::Modbus);
    ASSERT_NE(pane, nullptr);
    EXPECT_FALSE(pane->StatusText()->text().isEmpty());
    m_gateway->unplugged = true;
    Trigger(FrameCommand::RefreshDeviceStatus);
    EXPECT_FALSE(pane->BaudRate()->isEnabled());
    EXPECT_FALSE(pane->NetworkAddress()->isEnabled());
    EXPECT_TRUE(pane->StatusText()->text().isEmpty());
    EXPECT_TRUE(pane->ErrorText()->text().isEmpty());
}

// The records hold the values the gateway reports; the panes make the texts:
// read online, "Offline" and "None" in offline mode, nothing without a module.
TEST_F(NetworkScreensTest, StatusTexts_OnlineOfflineAndWithoutAModule) {
    struct Case {
        GatewayIdentity gateway;
        ScreenKind kind;
        const char* online[2];
    };
    const Case cases[] = {
        {f_profibusDeviceNet, ScreenKind::DeviceNet, {"OK", "No Error"}},
        {f_j1939Modbus, ScreenKind::Modbus, {"Offline", "No Error"}},
        {f_j1939EnhancedModbus, ScreenKind::EnhancedModbus, {"Offline", "No Error"}}};
    auto texts = [this](ScreenKind kind) {
        if (auto* deviceNet = dynamic_cast<CDNetConfig*>(m_frame->Pane(kind))) {
            return deviceNet->StatusText()->text() + "|" + deviceNet->ErrorText()->text();
        }
        auto* modbus = dynamic_cast<CModbusConfig*>(m_frame->Pane(kind));
        return modbus ? modbus->StatusText()->text() + "|" + modbus->ErrorText()->text() : "?";
    };
    for (const Case& c : cases) {
        Reopen(c.gateway);
        EXPECT_EQ(texts(c.kind), QString(c.online[0]) + "|" + c.online[1]) << c.gateway.serverType;
        Trigger(FrameCommand::OfflineConfiguration);
        EXPECT_EQ(texts(c.kind), "Offline|None") << c.gateway.serverType;
        Reopen(c.gateway);
        m_gateway->unplugged = true;
        Trigger(FrameCommand::RefreshDeviceStatus);
        EXPECT_EQ(texts(c.kind), "|") << c.gateway.serverType;
    }
}

TEST_F(NetworkScreensTest, Screenshots_EachPaneOnlineAndOffline) {
    struct Shot {
        GatewayIdentity gateway;
        ScreenKind kind;
        const char* name;
    };
    GatewayIdentity profibus110 = f_profibusDeviceNet;
    for (const Shot& shot : {Shot{profibus110, ScreenKind::DeviceNet, "devicenet"},
                             Shot{f_j1939Modbus, ScreenKind::Modbus, "modbus"},
                             Shot{f_j1939EnhancedModbus, ScreenKind::EnhancedModbus, "modbus_enh"},
                             Shot{f_ethernetDeviceNet, ScreenKind::Ethernet, "ethernet"}}) {
        Reopen(shot.gateway);
        Screenshot(m_frame->Pane(shot.kind), std::string("network_") + shot.name + "_online.png");
        Screenshot(m_frame.get(), std::string("network_frame_") + shot.name + "_online.png");
        Trigger(FrameCommand::OfflineConfiguration);
        CScreenPane* pane = m_frame->Pane(shot.kind);
        ASSERT_NE(pane, nullptr);
        Screenshot(pane, std::string("network_") + shot.name + "_offline.png");
    }
    auto* modbus = PaneOf<CIpConfig>(ScreenKind::Ethernet);
    ASSERT_NE(modbus, nullptr);
    EXPECT_TRUE(modbus->IoSize()->isEnabled());
}

}  // namespace
