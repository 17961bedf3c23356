// The main window through the real session with the simulator as the gateway:
// rows per pair, the status view's mode list, the commands' request
// sequences, modes and enable rules, the document commands, and a long
// operation that swallows input.
#include <QComboBox>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include "FrameTestSupport.h"
#include "tool/device/Notifier.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/model/ConfigFile.h"
#include "tool/ui/AboutDlg.h"
#include "tool/ui/BusyScope.h"
#include "tool/ui/GYConfigView.h"
#include "tool/ui/GuiClock.h"
#include "tool/ui/J1939ListIO.h"
#include "tool/ui/TableCtrl.h"

using namespace gantry::tool;
using namespace gantry::ui;

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

bool Shown(const std::vector<ShownMessage>& shown, const std::string& text) {
    for (const ShownMessage& message : shown) {
        if (message.text == text) {
            return true;
        }
    }
    return false;
}

QStringList ModeItems(CGYConfigView* view) {
    QStringList items;
    for (int i = 0; i < view->ModeBox()->count(); ++i) {
        items << view->ModeBox()->itemText(i);
    }
    return items;
}

}  // namespace

TEST_F(FrameTest, EveryPair_ShowsItsRowsInOrderAtLeastTheirHeight) {
    for (const PairRows& pair : AllPairRows()) {
        SCOPED_TRACE(pair.identity.serial);
        OpenFrame(pair.identity);
        EXPECT_EQ(ShownKinds(), pair.rows);
        const ScreenLayout layout =
            LayoutOfPair(pair.identity.clientType, pair.identity.serverType);
        ASSERT_EQ(layout.rows.size(), m_frame->Panes().size());
        for (std::size_t i = 0; i < layout.rows.size(); ++i) {
            EXPECT_GE(m_frame->Panes()[i]->height(), layout.rows[i].height);
        }
        EXPECT_EQ(m_frame->ModulePane()->text(), "ONLINE");
        EXPECT_EQ(m_frame->StatusView()->Value("Device")->text(), "Test Gateway");
        // the first document asks nothing
        EXPECT_TRUE(m_startupMessages.empty()) << m_startupMessages.front().text;
        TearDown();
    }
}

TEST_F(FrameTest, ModeList_FollowsRunStateAndAChoiceWritesIt) {
    const std::vector<std::pair<std::string, QStringList>> states = {
        {"Idle", {"Idle", "Run"}}, {"Run", {"Idle", "Run"}}, {"Faulted", {"Faulted"}}};
    for (const auto& [mode, items] : states) {
        GatewayIdentity identity = f_j1939Modbus;
        identity.runMode = mode;
        OpenFrame(identity);
        EXPECT_EQ(ModeItems(m_frame->StatusView()), items);
        EXPECT_EQ(m_frame->StatusView()->ModeBox()->currentText().toStdString(), mode);
        TearDown();
    }
    OpenFrame(f_j1939Modbus);  // Idle
    QComboBox* mode = m_frame->StatusView()->ModeBox();
    mode->setFocus();
    QTest::keyClick(mode, Qt::Key_Down);  // "Run"
    EXPECT_TRUE(Contains(TakeRequests(), "S 1/1/103 01"));
    EXPECT_EQ(mode->currentText(), "Run");
    m_gateway->unplugged = true;
    Trigger(FrameCommand::RefreshDeviceStatus);
    EXPECT_EQ(ModeItems(m_frame->StatusView()), QStringList{"Not Detected"});
    EXPECT_EQ(m_frame->StatusView()->Value("Error")->text(), "Unable to detect the device");
    EXPECT_EQ(m_frame->StatusView()->Value("Device")->text(), "");
}

TEST_F(FrameTest, UploadAndDownload_SendTheSessionsSequences) {
    OpenFrame(f_profibusJ1939);
    Trigger(FrameCommand::Upload);
    const std::vector<std::string> upload = TakeRequests();
    ASSERT_FALSE(upload.empty());
    EXPECT_EQ(upload.front(), "G 1/1/103");
    EXPECT_TRUE(Contains(upload, "G 111/0/1"));
    EXPECT_EQ(CountWrites(upload), 0);

    m_notifier.answerYes = false;
    Trigger(FrameCommand::Download);
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].text, f_szDownloadCaution);
    EXPECT_EQ(m_notifier.shown[0].caption, "Configuration Download");
    EXPECT_TRUE(TakeRequests().empty());

    m_notifier.answerYes = true;
    Trigger(FrameCommand::Download);
    const std::vector<std::string> download = TakeRequests();
    EXPECT_GT(CountWrites(download), 0);
    EXPECT_EQ(Saves(download), std::vector<std::string>{"Save 111/0"});
    // read back and found as sent; the backup kept in the Gantry directory
    EXPECT_TRUE(m_frame->statusBar()->currentMessage().startsWith(
        QStringLiteral("Downloaded and verified; backup: %1/backups/")
            .arg(QString::fromStdString(m_dir.Path()))))
        << m_frame->statusBar()->currentMessage().toStdString();
}

TEST_F(FrameTest, RefusedDownload_WritesNothing) {
    OpenFrame(f_j1939Modbus);
    m_session->EditConfiguration().modbus.networkAddress = 0;  // outside 1..247
    m_frame->ScreensChanged({ScreenKind::Modbus});
    Trigger(FrameCommand::Download);
    const std::vector<std::string> requests = TakeRequests();
    EXPECT_EQ(CountWrites(requests), 0);
    ASSERT_GE(m_notifier.shown.size(), 2u);  // the caution, then the refusal
    EXPECT_EQ(m_notifier.shown[1].caption, "Invalid Entry");
}

TEST_F(FrameTest, Modes_ModulePaneAndEveryCommandsEnableState) {
    using C = FrameCommand;
    const std::vector<C> always = {C::FileNew, C::FileOpen,    C::FileSave,      C::FileSaveAs,
                                   C::AppExit, C::ViewToolbar, C::ViewStatusBar, C::AppAbout};
    const std::vector<C> ruled = {
        C::Connect,     C::OfflineConfiguration, C::RefreshDeviceStatus, C::Upload,
        C::Download,    C::ClearErrorStatus,     C::FlashUpdate,         C::AddIoPoint,
        C::EditIoPoint, C::RemoveIoPoint,        C::RemoveAllIoPoints};
    // expected for: Connect, Offline, Refresh, Upload, Download, Clear, Flash, Add, Edit x3
    auto check = [&](const std::string& pane, const std::vector<bool>& expected) {
        SCOPED_TRACE(pane);
        EXPECT_EQ(m_frame->ModulePane()->text().toStdString(), pane);
        for (C command : always) {
            EXPECT_TRUE(Enabled(command));
        }
        for (std::size_t i = 0; i < ruled.size(); ++i) {
            EXPECT_EQ(Enabled(ruled[i]), expected[i]) << "command " << i;
        }
    };
    OpenFrame(f_ethernetJ1939);
    check("ONLINE", {false, true, true, true, true, true, true, true, false, false, false});
    // the focus in one of the two I/O lists enables Edit, Remove and Remove All
    auto* lists = static_cast<CJ1939ListIO*>(m_frame->Pane(ScreenKind::J1939IoLists));
    lists->List(IoDirection::Output)->setFocus();
    m_frame->UpdateCommandUI();
    check("ONLINE", {false, true, true, true, true, true, true, true, true, true, true});
    m_frame->StatusView()->ModeBox()->setFocus();
    m_frame->UpdateCommandUI();
    Trigger(C::OfflineConfiguration);
    check("OFFLINE", {true, false, false, false, false, false, false, true, false, false, false});
    EXPECT_EQ(ShownKinds(), AllPairRows()[3].rows);  // the gateway's pair stays
    Trigger(C::Connect);
    check("ONLINE", {false, true, true, true, true, true, true, true, false, false, false});
    EXPECT_TRUE(Contains(TakeRequests(), "G 1/1/103"));
    m_gateway->unplugged = true;
    Trigger(C::RefreshDeviceStatus);
    check("NO MODULE", {false, true, true, false, false, false, false, false, false, false, false});
}

TEST_F(FrameTest, Documents_NewCancelAndOpenOfAnotherProduct) {
    OpenFrame(f_j1939Modbus);
    // a modified document: New asks to save; Cancel keeps everything
    m_session->EditConfiguration().modbus.networkAddress = 42;
    ASSERT_TRUE(m_session->IsModified());
    m_notifier.answerCancel = true;
    Trigger(FrameCommand::FileNew);
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].buttons, NotifyButtons::YesNoCancel);
    EXPECT_EQ(m_session->Configuration().modbus.networkAddress, 42u);
    EXPECT_TRUE(m_session->IsModified());

    // a file for another product while a working gateway is connected
    CConfiguration other;
    other.clientType = IT_J1939;
    other.serverType = IT_EthernetServer;
    const std::string path = m_dir.File("other.cfg");
    const std::vector<std::uint8_t> bytes = WriteConfigFile(other, 0);
    WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
    m_notifier.answerCancel = false;
    m_notifier.answerYes = false;  // do not save the modified one
    m_notifier.shown.clear();
    EXPECT_FALSE(m_frame->Document().Open(QString::fromStdString(path)));
    EXPECT_TRUE(Shown(m_notifier.shown,
                      "Failed to open document.\n" + path +
                          ": The file is for the Ethernet to J1939 Gateway; the connected "
                          "gateway is the J1939 to Modbus Interface."));
    EXPECT_EQ(ShownKinds(), AllPairRows()[2].rows);
    EXPECT_EQ(m_frame->ModulePane()->text(), "ONLINE");
    EXPECT_TRUE(m_frame->Document().RecentFiles().isEmpty());

    // a file of the gateway's pair opens and becomes the first recent file
    const std::string own = m_dir.File("own.cfg");
    ASSERT_TRUE(m_session->SaveDocument(own, {}));
    EXPECT_TRUE(m_frame->Document().Open(QString::fromStdString(own)));
    m_frame->UpdateCommandUI();
    ASSERT_EQ(m_frame->Document().RecentFiles(), QStringList{QString::fromStdString(own)});
    EXPECT_EQ(m_frame->RecentFileActions()[0]->text(), "&1 own.cfg");
    EXPECT_FALSE(m_frame->RecentFileActions()[1]->isVisible());
    EXPECT_EQ(m_frame->windowHandle()->title(), "own.cfg - Gantry Configuration");

    // without a gateway New asks for the product; Cancel changes nothing
    m_gateway->unplugged = true;
    Trigger(FrameCommand::RefreshDeviceStatus);
    m_session->EditConfiguration().modbus.networkAddress = 42;
    m_notifier.shown.clear();
    AnswerNextDialog(false);
    Trigger(FrameCommand::FileNew);
    EXPECT_EQ(m_frame->ModulePane()->text(), "NO MODULE");
    EXPECT_EQ(m_session->Configuration().modbus.networkAddress, 42u);
}

// A gateway that takes its time: every reply waits on the session's clock,
// which keeps the window's events running.
class CSlowGateway : public CUnpluggableGateway {
public:
    void Attach(INotifier& notifier, IClock& clock) override {
        CUnpluggableGateway::Attach(notifier, clock);
        m_clock = &clock;
    }
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override {
        m_clock->Sleep(std::chrono::milliseconds(2));
        return CUnpluggableGateway::SendRequest(request, reply);
    }

private:
    IClock* m_clock = nullptr;
};

// Sections of GYSim.ini for `count` input points.
std::string IoPointSections(int count) {
    std::string sections = "[J1939IO_0]\nNumberOfEntries=" + std::to_string(count) + "\n";
    for (int i = 1; i <= count; ++i) {
        sections +=
            "[J1939IO_" + std::to_string(i) +
            "]\nDirection=Input\nOffset=" + std::to_string((i - 1) * 8) +
            "\nSize=8\nUpdate Rate=100\nTarget Address=0\nPGN=" + std::to_string(65000 + i) +
            "\nMessage Offset=0\n";
    }
    return sections;
}

TEST_F(FrameTest, LongOperation_SwallowsInputAndShowsProgress) {
    CGuiClock clock;
    OpenFrame(f_profibusJ1939, IoPointSections(12), &clock, std::make_unique<CSlowGateway>());
    auto* download = qobject_cast<QToolButton*>(
        m_frame->findChild<QToolBar*>()->widgetForAction(m_frame->Action(FrameCommand::Download)));
    ASSERT_NE(download, nullptr);
    QStringList messages;
    bool waitCursor = false;
    int ticks = 0;
    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] {
        if (!CBusyScope::IsBusy()) {
            return;
        }
        ++ticks;
        messages << m_frame->statusBar()->currentMessage();
        waitCursor = waitCursor || (QApplication::overrideCursor() &&
                                    QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        QTest::mouseClick(download, Qt::LeftButton);                     // a second command
        QTest::keyClick(m_frame.get(), Qt::Key_S, Qt::ControlModifier);  // Save
        m_frame->close();
    });
    poke.start(1);
    Trigger(FrameCommand::Upload);
    poke.stop();
    EXPECT_GT(ticks, 0);
    EXPECT_TRUE(waitCursor);
    EXPECT_TRUE(messages.contains("I/O table: point 12 of 12")) << messages.join('|').toStdString();
    EXPECT_TRUE(m_notifier.shown.empty());  // no caution: the click did not start a download
    EXPECT_TRUE(m_frame->isVisible());
    EXPECT_EQ(CountWrites(TakeRequests()), 0);
    EXPECT_FALSE(m_frame->ProgressBar()->isVisible());
    // afterwards the window takes input again
    m_notifier.answerYes = false;
    QTest::mouseClick(download, Qt::LeftButton);
    EXPECT_EQ(m_notifier.shown.size(), 1u);
}

TEST_F(FrameTest, NewPair_GrowsTheWindowByTheNewRowsAndKeepsItOnTheDesktop) {
    OpenFrame(f_profibusDeviceNet);
    m_gateway->unplugged = true;
    Trigger(FrameCommand::RefreshDeviceStatus);  // no module: the rows stay
    m_frame->move(0, 0);
    const int before = m_frame->height();
    const int deviceNetRow = m_frame->Pane(ScreenKind::DeviceNet)->height();
    // another gateway with one row more (Ethernet) comes on the line
    m_gateway->unplugged = false;
    WriteIdentity(f_ethernetDeviceNet);
    Trigger(FrameCommand::RefreshDeviceStatus);
    ASSERT_EQ(ShownKinds(), AllPairRows()[0].rows);
    EXPECT_GE(m_frame->height() - before, m_frame->Pane(ScreenKind::Ethernet)->minimumHeight());
    EXPECT_EQ(m_frame->Pane(ScreenKind::DeviceNet)->height(), deviceNetRow);
    const QRect desktop = m_frame->screen()->availableGeometry();
    EXPECT_LE(m_frame->frameGeometry().bottom(), desktop.bottom());
}
