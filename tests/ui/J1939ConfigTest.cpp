// The J1939 settings pane and the NAME dialog, offscreen, driven through
// their widgets against the real session with the in-process simulator as
// the gateway. Screenshots go to the test's working folder in the build tree.
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "session/SessionTestSupport.h"
#include "tool/device/Notifier.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/ui/J1939Config.h"
#include "tool/ui/J1939DeviceName.h"

using namespace gantry::tool;
using namespace gantry::ui;

namespace {

using Requests = std::vector<std::string>;

const GatewayIdentity f_gateway106{IT_J1939, IT_ProfibusSlave, "1.06", 0x1006};
const GatewayIdentity f_gateway107{IT_J1939, IT_ProfibusSlave, "1.07", 0x1007};
const std::string f_j1939Section =
    "[J1939Config]\nStatus=1\nMajor Fault=0\nNetwork Address=0x82\n"
    "Device Name=A00064001E00A003\nNetwork Address List=82\nOffline Detection Time=0\n"
    "Baud Rate=1\n";

// Does what the main frame does with the session's reports for this pane.
class CPaneRefresher : public ISessionListener {
public:
    void ScreensChanged(const std::vector<ScreenKind>& screens) override {
        if (pane != nullptr &&
            std::find(screens.begin(), screens.end(), ScreenKind::J1939Settings) != screens.end()) {
            pane->RefreshFromSession();
        }
    }
    CJ1939Config* pane = nullptr;
};

class J1939ConfigTest : public SessionTest {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "ui_j1939config";
        static char* argv[] = {name, nullptr};
        s_app = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete s_app;
        s_app = nullptr;
    }

    // A started session on `identity` and its pane, shown at the frame's width.
    void Open(const GatewayIdentity& identity) {
        PlugAndStart(identity, f_j1939Section);
        m_session->SetListener(&m_refresher);
        m_pane = std::make_unique<CJ1939Config>(*m_session);
        m_refresher.pane = m_pane.get();
        m_pane->resize(800, m_pane->sizeHint().height());
        m_pane->show();
    }
    void Screenshot(QWidget* widget, const char* file) {
        ASSERT_TRUE(widget->grab().save(QString::fromLatin1(file)));
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : m_notifier.shown) {
            texts.push_back(m.caption + ": " + m.text);
        }
        return texts;
    }
    std::vector<std::string> ListLines() const {
        std::vector<std::string> lines;
        for (int i = 0; i < m_pane->AddressList()->count(); ++i) {
            lines.push_back(m_pane->AddressList()->item(i)->text().toStdString());
        }
        return lines;
    }
    static Requests J1939Writes(const Requests& requests) {
        Requests writes;
        std::copy_if(requests.begin(), requests.end(), std::back_inserter(writes),
                     [](const std::string& r) { return r.rfind("S 110/", 0) == 0; });
        return writes;
    }
    DownloadReport Download() {
        ScreenEntries entries;
        m_pane->CollectEntries(entries);
        TakeRequests();
        m_notifier.shown.clear();
        return m_session->Download(entries);
    }

    static inline QApplication* s_app = nullptr;
    CPaneRefresher m_refresher;
    std::unique_ptr<CJ1939Config> m_pane;
};

// ---- refresh ----

TEST_F(J1939ConfigTest, BaudListFollowsTheRevision) {
    struct Case {
        GatewayIdentity identity;
        std::vector<QString> items;
    } cases[] = {{f_gateway106, {}},
                 {f_gateway107, {"250k", "500k"}},
                 {f_ethernetJ1939, {"250k", "500k", "125k"}},
                 {f_j1939Modbus, {"250k", "500k", "125k"}},
                 {f_profibusJ1939, {"250k", "500k", "125k"}}};  // last: the screenshot
    for (const Case& c : cases) {
        Open(c.identity);
        SCOPED_TRACE(std::to_string(c.identity.serverType) + " " + c.identity.revision);
        QComboBox* baud = m_pane->BaudRate();
        EXPECT_EQ(baud->isVisible(), !c.items.empty());
        EXPECT_EQ(m_pane->BaudLabel()->isVisible(), !c.items.empty());
        ASSERT_EQ(baud->count(), static_cast<int>(c.items.size()));
        for (int i = 0; i < baud->count(); ++i) {
            EXPECT_EQ(baud->itemText(i), c.items[static_cast<std::size_t>(i)]);
        }
        EXPECT_EQ(baud->currentIndex(), c.items.empty() ? -1 : 1);
        EXPECT_EQ(m_pane->StatusInInput()->isVisible(), c.identity.serverType == IT_ProfibusSlave);
        EXPECT_EQ(m_pane->StatusValue()->text(), "Online");
        EXPECT_EQ(m_pane->ErrorValue()->text(), "No Error");
        EXPECT_EQ(m_pane->NetAddressValue()->text(), "130");
        EXPECT_EQ(m_pane->NameDisplay()->text(), "A00064001E00A003");
        EXPECT_EQ(ListLines(), (std::vector<std::string>{"130"}));
        EXPECT_FALSE(m_pane->OfflineTime()->isEnabled());
    }
    Screenshot(m_pane.get(), "J1939Config_online.png");
}

TEST_F(J1939ConfigTest, NoModuleEmptiesTheTextsAndOfflineShowsOfflineAndNone) {
    Open(f_profibusJ1939);
    m_gateway->unplugged = true;
    m_session->RefreshDeviceStatus();
    EXPECT_EQ(m_pane->StatusValue()->text(), "");
    EXPECT_EQ(m_pane->ErrorValue()->text(), "");
    EXPECT_EQ(m_pane->NetAddressValue()->text(), "");
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_pane->NameDisplay(), m_pane->AddressEntry(), m_pane->AddressList(),
             m_pane->AddButton(), m_pane->RemoveButton(), m_pane->BusOffReset(), m_pane->SwapIo(),
             m_pane->StatusInInput(), m_pane->OfflineDetection(), m_pane->OfflineTime(),
             m_pane->BaudRate()}) {
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    }
    Screenshot(m_pane.get(), "J1939Config_no_module.png");

    m_gateway->unplugged = false;
    m_session->RefreshDeviceStatus();
    m_session->OfflineConfiguration();
    EXPECT_EQ(m_pane->StatusValue()->text(), "Offline");
    EXPECT_EQ(m_pane->ErrorValue()->text(), "None");
    EXPECT_TRUE(m_pane->AddButton()->isEnabled());
    Screenshot(m_pane.get(), "J1939Config_offline.png");
}

// ---- the address list ----

TEST_F(J1939ConfigTest, AddressEntry_RefusesAbove255AndReadsHexAfter0x) {
    Open(f_profibusJ1939);
    auto add = [this](const char* text) {
        m_pane->AddressEntry()->clear();
        QTest::keyClicks(m_pane->AddressEntry(), QString::fromLatin1(text));
        QTest::mouseClick(m_pane->AddButton(), Qt::LeftButton);
    };
    add("256");
    ASSERT_EQ(Texts(), (std::vector<std::string>{
                           "Invalid Address Entry: Network Address must be in the 0 - 255 range"}));
    EXPECT_EQ(m_notifier.shown[0].icon, NotifyIcon::Warning);
    EXPECT_EQ(m_pane->AddressEntry()->text(), "256");
    EXPECT_EQ(ListLines(), (std::vector<std::string>{"130"}));

    m_notifier.shown.clear();
    add("0");
    add("0x10");
    EXPECT_TRUE(m_notifier.shown.empty());
    EXPECT_EQ(ListLines(), (std::vector<std::string>{"130", "0", "16"}));
}

TEST_F(J1939ConfigTest, RemoveWithoutASelectionIsRefused_WithOneRemovesIt) {
    Open(f_profibusJ1939);
    QTest::mouseClick(m_pane->RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{"Request Failed: Please select an entry in the list box "
                                        "and click Remove button again"}));
    EXPECT_EQ(ListLines(), (std::vector<std::string>{"130"}));

    m_pane->AddressList()->setCurrentRow(0);
    QTest::mouseClick(m_pane->RemoveButton(), Qt::LeftButton);
    EXPECT_TRUE(ListLines().empty());
    EXPECT_TRUE(m_session->Configuration().j1939.addressList.empty());
}

// ---- offline detection and the download ----

TEST_F(J1939ConfigTest, OfflineDetection_BoxSetsTheTimeAndABadTimeBlocksTheDownload) {
    Open(f_profibusJ1939);
    QCheckBox* box = m_pane->OfflineDetection();
    QLineEdit* time = m_pane->OfflineTime();
    box->click();
    EXPECT_EQ(time->text(), "1000");
    EXPECT_TRUE(time->isEnabled());
    box->click();
    EXPECT_EQ(time->text(), "0");
    EXPECT_FALSE(time->isEnabled());
    EXPECT_EQ(m_session->Configuration().j1939.offlineTimeMs, 0u);

    box->click();
    time->selectAll();
    QTest::keyClicks(time, QStringLiteral("50"));
    QTest::keyClick(time, Qt::Key_Return);  // leaving the entry checks it
    const std::string refusal =
        "Offline Detect Time Entry Error: Offline Detection Time must be between 100ms and "
        "60000ms";
    EXPECT_EQ(Texts(), (std::vector<std::string>{refusal}));
    EXPECT_EQ(time->text(), "50");

    const DownloadReport report = Download();
    EXPECT_EQ(report.outcome, DownloadOutcome::Refused);
    EXPECT_EQ(Texts().back(), refusal);  // after the caution question
    EXPECT_EQ(CountWrites(TakeRequests()), 0);
}

TEST_F(J1939ConfigTest, Download_WritesTheSettingsInOrderWithTheBaudIndex) {
    Open(f_profibusJ1939);
    m_pane->BusOffReset()->click();
    m_pane->StatusInInput()->click();
    EXPECT_EQ(m_session->Configuration().limits.inputBytes, 232);
    m_pane->OfflineDetection()->click();
    m_pane->OfflineTime()->selectAll();
    QTest::keyClicks(m_pane->OfflineTime(), QStringLiteral("5000"));
    m_pane->BaudRate()->setCurrentIndex(2);
    emit m_pane->BaudRate()->activated(2);

    const DownloadReport report = Download();
    ASSERT_EQ(report.outcome, DownloadOutcome::Written);
    EXPECT_EQ(J1939Writes(TakeRequests()),
              (Requests{"S 110/1/4 03A0001E006400A0", "S 110/1/5 0182", "S 110/1/6 01",
                        "S 110/1/7 00", "S 110/1/8 01", "S 110/1/9 8813", "S 110/1/10 02"}));
}

TEST_F(J1939ConfigTest, Download_HiddenBaudListWritesNoSelection) {
    Open(f_gateway106);
    ASSERT_EQ(Download().outcome, DownloadOutcome::Written);
    const Requests writes = J1939Writes(TakeRequests());
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back(), "S 110/1/10 FF");
}

// ---- the NAME dialog ----

TEST_F(J1939ConfigTest, NameDialog_PadsRefusesAndAppliesOnlyToItsCopy) {
    Open(f_profibusJ1939);
    const J1939Name before = m_session->Configuration().j1939.name;
    CJ1939DeviceName dialog(*m_session, before, m_pane.get());
    dialog.open();
    EXPECT_EQ(dialog.windowTitle(), "J1939 Device NAME");

    dialog.ByteEntry(0)->clear();
    QTest::keyClicks(dialog.ByteEntry(0), QStringLiteral("F"));
    QTest::mouseClick(dialog.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.ByteEntry(0)->text(), "0F");
    EXPECT_EQ(dialog.Name()[0], 0x0F);
    Screenshot(&dialog, "J1939DeviceName.png");

    dialog.ByteEntry(7)->clear();
    QTest::keyClicks(dialog.ByteEntry(7), QStringLiteral("FFF"));
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(Texts().back(),
              "Warning: Byte length is limited to 2 hexadecimal characters in the range 0 - F");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ByteEntry(7)->text(), "FFF");

    QLineEdit* functionInstance = dialog.ComponentEntry(NameComponent::FunctionInstance);
    functionInstance->clear();
    QTest::keyClicks(functionInstance, QStringLiteral("32"));
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(Texts().back(), "Warning: Function Instance must be between 0 and 31");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(functionInstance->text(), "32");

    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(m_session->Configuration().j1939.name, before);
    EXPECT_EQ(m_pane->NameDisplay()->text(), "A00064001E00A003");
}

TEST_F(J1939ConfigTest, EditThenOk_RewritesThePanesName) {
    Open(f_profibusJ1939);
    bool driven = false;
    QTimer::singleShot(0, [this, &driven] {
        auto* dialog = m_pane->findChild<CJ1939DeviceName*>();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->isModal());
        dialog->ArbitraryAddressCapable()->click();  // components become the source
        QLineEdit* identity = dialog->ComponentEntry(NameComponent::IdentityNumber);
        identity->clear();
        QTest::keyClicks(identity, QStringLiteral("1"));
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        driven = true;
    });
    QTest::mouseClick(m_pane->EditButton(), Qt::LeftButton);
    ASSERT_TRUE(driven);
    EXPECT_EQ(m_pane->NameDisplay()->text(), "200064001E000001");
    EXPECT_EQ(FormatJ1939Name(m_session->Configuration().j1939.name), "200064001E000001");
}

}  // namespace
