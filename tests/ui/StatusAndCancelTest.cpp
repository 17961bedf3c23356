// A truthful status and a read that can be cancelled, in the main window on
// the real session: the error line after Clear Error Status and after a
// change of mode, the save question before an upload replaces edits, a
// cancelled Offline Configuration, --offline on GYSim.ini's gateway, Escape
// during an upload of 200 points, and writes that say they run to the end.
#include <QStatusBar>

#include "FrameTestSupport.h"
#include "tool/ui/GYConfigView.h"
#include "tool/ui/J1939ListIO.h"
#include "tool/ui/TableCtrl.h"

namespace {

std::string IoSection(int instance, int direction, int offset, unsigned pgn) {
    return "[J1939IO_" + std::to_string(instance) + "]\nDirection=" + std::to_string(direction) +
           "\nOffset=" + std::to_string(offset) +
           "\nSize=8\nUpdate Rate=100\nTarget Address=5\nPGN=" + std::to_string(pgn) +
           "\nMessage Offset=0\n";
}

// 200 input points of 8 bits, PGN base + n.
std::string Table200(unsigned base) {
    std::string table = "[J1939IO_0]\nNumberOfEntries=200\n";
    for (int i = 1; i <= 200; ++i) {
        table += IoSection(i, 0, (i - 1) * 8, base + static_cast<unsigned>(i % 50));
    }
    return table;
}

class StatusAndCancelTest : public FrameTest {
protected:
    QString Shown(const char* field) const {
        return m_frame->StatusView()->Value(QString::fromLatin1(field))->text();
    }
    // The gateway's identity as GYSim.ini has it, with a major fault.
    void WriteGateway(GatewayIdentity identity, int fault, const std::string& extra = "") {
        WriteIdentity(identity, extra);
        std::string profile = ReadFileBytes(m_dir.File("GYSim.ini"));
        profile.insert(profile.find('\n') + 1, "Major Fault=" + std::to_string(fault) + "\n");
        WriteFileBytes(m_dir.File("GYSim.ini"), profile);
    }
    std::string Status() const { return m_frame->statusBar()->currentMessage().toStdString(); }
};

TEST_F(StatusAndCancelTest, ClearErrorAndAChangeOfModeReadTheErrorAgain) {
    WriteGateway(f_j1939Modbus, 5);
    StartFrame();
    EXPECT_EQ(Shown("Error"), "0x5");
    Trigger(FrameCommand::ClearErrorStatus);  // the simulator clears it
    EXPECT_EQ(Shown("Error"), "No Error");
    EXPECT_EQ(TakeRequests().back(), "G 1/1/104");

    GatewayIdentity running = f_j1939Modbus;
    running.runMode = "Run";
    WriteGateway(running, 7);  // the same gateway, now in Run with a new fault
    Trigger(FrameCommand::RefreshDeviceStatus);
    EXPECT_EQ(m_frame->StatusView()->ModeBox()->currentText(), "Run");
    EXPECT_EQ(Shown("Error"), "0x7");
}

TEST_F(StatusAndCancelTest, UploadAsksBeforeReplacingEdits_CancelReadsNothing) {
    OpenFrame(f_j1939Modbus);
    m_session->EditConfiguration().modbus.networkAddress = 42;
    m_notifier.answerCancel = true;
    Trigger(FrameCommand::Upload);
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].text, "Save changes to Untitled?");
    EXPECT_TRUE(TakeRequests().empty());
    EXPECT_EQ(m_session->Configuration().modbus.networkAddress, 42u);

    m_notifier.answerCancel = false;
    m_notifier.answerYes = false;  // No: the gateway's records replace the edits
    Trigger(FrameCommand::Upload);
    EXPECT_EQ(m_session->Configuration().modbus.networkAddress, 5u);
    EXPECT_FALSE(m_session->IsModified());
}

TEST_F(StatusAndCancelTest, CancelledOfflineConfigurationLeavesTheToolAsItWas) {
    OpenFrame(f_j1939Modbus);
    m_gateway->unplugged = true;
    Trigger(FrameCommand::RefreshDeviceStatus);
    ASSERT_EQ(m_frame->ModulePane()->text(), "NO MODULE");
    AnswerNextDialog(false);
    Trigger(FrameCommand::OfflineConfiguration);
    EXPECT_EQ(m_frame->ModulePane()->text(), "NO MODULE");
    EXPECT_FALSE(m_session->IsOffline());
    EXPECT_EQ(Shown("Error"), "Unable to detect the device");
}

TEST_F(StatusAndCancelTest, OfflineStartShowsTheGatewayOfGYSimIni_WithoutOneAsksTheProduct) {
    for (const bool profile : {true, false}) {
        m_frame.reset();
        if (profile) {
            WriteIdentity(f_j1939Modbus);
        } else {
            std::filesystem::remove(m_dir.File("GYSim.ini"));
            AnswerNextDialog(true);  // the new-module dialog: its first product
        }
        m_session = std::make_unique<ConfigurationSession>(std::make_unique<CUnpluggableGateway>(),
                                                           &m_notifier, &m_clock);
        EXPECT_EQ(m_session->StartOffline(), profile);
        m_frame = std::make_unique<CMainFrame>(*m_session);
        bool started = false;
        QObject::connect(m_frame.get(), &CMainFrame::StartupFinished, [&] { started = true; });
        m_frame->PostStartupRefresh();
        ASSERT_TRUE(QTest::qWaitFor([&] { return started; }, 10000));
        EXPECT_EQ(m_frame->ModulePane()->text(), "OFFLINE");
        EXPECT_EQ(ShownKinds(), AllPairRows()[profile ? 2 : 0].rows);
        EXPECT_EQ(Shown("Firmware Revision"), profile ? "2.07" : "2.02");
    }
}

TEST_F(StatusAndCancelTest, EscapeCancelsAnUploadOf200Points_AWriteRunsToItsEnd) {
    OpenFrame(f_profibusJ1939, Table200(61000));
    auto* lists = dynamic_cast<CJ1939ListIO*>(m_frame->Pane(ScreenKind::J1939IoLists));
    ASSERT_NE(lists, nullptr);
    ASSERT_EQ(lists->List(IoDirection::Input)->rowCount(), 200);
    const CConfiguration before = m_session->Configuration();
    const QString firstPgn =
        lists->List(IoDirection::Input)->item(0, static_cast<int>(IoColumn::Pgn))->text();
    WriteIdentity(f_profibusJ1939, Table200(62000));  // what an upload would bring

    int seen = 0;
    std::string during;
    m_frame->ObserveRequests([&](const std::vector<std::uint8_t>&, int, const DeviceReply&) {
        if (++seen == 1) {
            during = Status();
        }
        if (seen == 60) {
            QTest::keyClick(m_frame.get(), Qt::Key_Escape);  // the user, mid-table
        }
    });
    Trigger(FrameCommand::Upload);
    EXPECT_EQ(seen, 60);  // stopped before the next request
    EXPECT_EQ(during, "Uploading from the module...");
    EXPECT_TRUE(m_session->Configuration().SameStoredValues(before));
    EXPECT_EQ(lists->List(IoDirection::Input)->item(0, static_cast<int>(IoColumn::Pgn))->text(),
              firstPgn);
    EXPECT_EQ(m_frame->ModulePane()->text(), "ONLINE");
    EXPECT_TRUE(m_session->Gate().IsConnected());
    EXPECT_FALSE(m_frame->ProgressBar()->isVisible());
    EXPECT_EQ(Status(), "The read was cancelled: the screens show what they showed before.");

    // a download cannot be cancelled: it writes every point and says so
    seen = 0;
    TakeRequests();
    m_frame->ObserveRequests([&](const std::vector<std::uint8_t>& bytes, int, const DeviceReply&) {
        m_requests.push_back(DescribeRequest(bytes));
        if (++seen == 1) {
            during = Status();
        }
        if (seen == 10) {
            QTest::keyClick(m_frame.get(), Qt::Key_Escape);
        }
    });
    Trigger(FrameCommand::Download);
    EXPECT_EQ(during,
              "Downloading to the module... (a write to the gateway: it cannot be "
              "cancelled)");
    EXPECT_EQ(Saves(TakeRequests()).size(), 1u);
    // the status bar then says where the backup went and that the read-back matched
    EXPECT_EQ(Status().rfind("Downloaded and verified; backup: ", 0), 0u) << Status();

    // an upload the gateway stops answering leaves no progress bar behind
    m_gateway->loseFrom = 40;
    Trigger(FrameCommand::Upload);
    EXPECT_FALSE(m_frame->ProgressBar()->isVisible());
}

}  // namespace
