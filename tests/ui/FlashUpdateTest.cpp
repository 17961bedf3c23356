// The Flash Update dialog, offscreen, through the real session, the real
// RP1210 library and serial driver, at 19200 baud over a pseudo-terminal to
// the virtual gateway program, whose Reset makes it drop off the line for a
// while. Screenshots of the dialog before, during and after an update go to
// the test's build folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "TestSupport.h"
#include "device/FirmwareFixture.h"
#include "rp1210/GatewayProcess.h"
#include "tool/device/Notifier.h"
#include "tool/device/SerialTransport.h"
#include "tool/session/ConfigurationSession.h"
#include "tool/session/FirmwareSession.h"
#include "tool/ui/BusyScope.h"
#include "tool/ui/FlashUpdate.h"
#include "tool/ui/GYConfigView.h"
#include "tool/ui/GuiClock.h"
#include "tool/ui/MainFrame.h"

using namespace gantry;

using namespace gantry::tool;
using namespace gantry::ui;

namespace {

const char* const f_szGateway =
    "[Identity]\r\nFirmware Revision=2.10\r\nProduct Name=J1939 to Modbus Interface\r\n"
    "Client Type=J1939\r\nServer Type=Modbus Slave\r\nRun Mode=Run\r\nSerial Number=4660\r\n"
    "[NVS_1]\r\nStatus=1\r\nRevision=0x0A02\r\n"
    "[NVS_2]\r\nStatus=1\r\nRevision=0x0301\r\n";

// The desktop tool's clock, except that the 10 s pause after a reset is cut
// to one second (the gateway's downtime is longer: reconnecting still retries).
class CShortPauseGuiClock : public IClock {
public:
    void Sleep(std::chrono::milliseconds duration) override {
        m_clock.Sleep(std::min<std::chrono::milliseconds>(duration, std::chrono::seconds(1)));
    }
    std::chrono::milliseconds Now() override { return m_clock.Now(); }

private:
    CGuiClock m_clock;
};

// What the status view and the screens were told.
class CScreenRecorder : public ISessionListener {
public:
    void ScreensChanged(const std::vector<ScreenKind>& screens) override {
        screenChanges.push_back(screens);
    }
    void RunStateChanged(int runState) override { runStates.push_back(runState); }
    void Clear() { *this = CScreenRecorder{}; }

    std::vector<std::vector<ScreenKind>> screenChanges;
    std::vector<int> runStates;
};

// The message recorder that also lets the test look at the window the moment
// a box would open.
class CWatchedNotifier : public CMessageRecorder {
public:
    NotifyAnswer Notify(const std::string& text, const std::string& caption, NotifyButtons buttons,
                        NotifyIcon icon, NotifyAnswer answer) override {
        if (onMessage) {
            onMessage();
        }
        return CMessageRecorder::Notify(text, caption, buttons, icon, answer);
    }
    std::function<void()> onMessage;
};

// Counts the paint events of a widget.
class CPaintCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return QObject::eventFilter(watched, event);
    }
    int paints = 0;
};

class FlashUpdateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "ui_flashupdate";
        static char* argv[] = {name, nullptr};
        s_app = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete s_app;
        s_app = nullptr;
    }
    FlashUpdateTest() {
        WriteFileBytes(m_dir.File("GYSim.ini"), f_szGateway);
        WriteFileBytes(
            m_dir.File("KV121032.INI"),
            std::string("[DeviceInformation104]\r\nDeviceParams=") + KVGYSRL_PATH + " COM4\r\n");
        WriteTwoImageUpdate(m_dir.Path(), 3000);
    }
    void TearDown() override {
        m_notifier.onMessage = nullptr;
        m_dialog.reset();
        m_session.reset();
        m_gateway.Stop();
    }
    // The gateway on COM4, the session started on it, the dialog open on the
    // description chosen.
    void Open(const std::vector<std::string>& gatewayOptions) {
        std::vector<std::string> options = {"--baud", "19200", "--reset-downtime", "2"};
        options.insert(options.end(), gatewayOptions.begin(), gatewayOptions.end());
        ASSERT_TRUE(m_gateway.Start(m_dir.File("dosdevices/com4"), options));
        m_session = std::make_unique<ConfigurationSession>(
            std::make_unique<CSerialTransport>(KV121032_PATH), &m_notifier, &m_clock, &m_listener);
        ASSERT_EQ(m_session->Gate().BindLibrary(), DeviceResult::Done);
        m_session->Start();
        ASSERT_EQ(m_session->ModulePaneText(), "ONLINE");
        m_log.Install(m_session->Gate());
        m_dialog = std::make_unique<CFlashUpdate>(*m_session);
        ASSERT_TRUE(m_dialog->IsOpen());
        m_dialog->SetFileChooser([this] { return QString::fromStdString(m_dir.File("two.nvs")); });
        m_dialog->show();
        QTest::mouseClick(m_dialog->SelectFileButton(), Qt::LeftButton);
        m_notifier.messages.clear();
        m_listener.Clear();
    }
    static std::vector<std::string> Rows(const QTableWidget* table) {
        std::vector<std::string> rows;
        for (int row = 0; row < table->rowCount(); ++row) {
            rows.push_back(table->item(row, 0)->text().toStdString() + " " +
                           table->item(row, 1)->text().toStdString());
        }
        return rows;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : m_notifier.messages) {
            texts.push_back(m.caption + ": " + m.text);
        }
        return texts;
    }
    void Screenshot(const char* file) {
        ASSERT_TRUE(m_dialog->grab().save(QString::fromLatin1(file)));
    }
    // The dialog's two status texts each time a box opens.
    void WatchTextsAtMessages(CFlashUpdate* const& dialog) {
        m_notifier.onMessage = [this, &dialog] {
            if (dialog == nullptr) {
                return;
            }
            m_textsAtMessage.push_back(dialog->TransferredText()->text().toStdString() + "|" +
                                       dialog->UpdateText()->text().toStdString());
            dialog->grab().save(QStringLiteral("flash_box_%1.png").arg(m_textsAtMessage.size()));
        };
    }

    std::vector<std::string> m_textsAtMessage;

    static inline QApplication* s_app = nullptr;
    ScopedGantryDir m_dir;
    CGatewayProcess m_gateway;
    CShortPauseGuiClock m_clock;
    CWatchedNotifier m_notifier;
    CScreenRecorder m_listener;
    CFirmwareRequestLog m_log;
    std::unique_ptr<ConfigurationSession> m_session;
    std::unique_ptr<CFlashUpdate> m_dialog;
};

TEST_F(FlashUpdateTest, TwoImages_FlashedResetVerifiedAndScreensUploadedAgain) {
    Open({});
    EXPECT_EQ(Rows(m_dialog->DeviceRevisions()),
              (std::vector<std::string>{"Carrier Board 2.10", "Boot 1.03"}));
    EXPECT_EQ(Rows(m_dialog->ImageRevisions()),
              (std::vector<std::string>{"Carrier Board 2.10", "Boot 1.03"}));
    EXPECT_EQ(m_dialog->Description()->text(), "Test images");
    ASSERT_TRUE(m_dialog->StartButton()->isEnabled());
    Screenshot("flash_before.png");

    std::vector<int> values;
    bool shotDuring = false;
    QObject::connect(m_dialog->Progress(), &QProgressBar::valueChanged, [&](int value) {
        values.push_back(value);
        if (value == 10 && !shotDuring) {
            shotDuring = true;
            Screenshot("flash_during.png");
        }
    });
    CPaintCounter paints;
    m_dialog->installEventFilter(&paints);
    m_dialog->Progress()->installEventFilter(&paints);
    QTest::mouseClick(m_dialog->StartButton(), Qt::LeftButton);

    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Information: Device was successfully flashed and reset"});
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_log.Count(SVC_FirmwareUpdate), 2);
    EXPECT_EQ(m_log.Count(SVC_FirmwareTransfer), 5 + 24);  // chunks of 128 bytes
    EXPECT_EQ(m_log.resets, 2);
    // the gateway in Run went to Idle first, and the status view was told
    ASSERT_FALSE(m_listener.runStates.empty());
    EXPECT_EQ(m_listener.runStates.front(), RS_Idle);
    // the progress bar moved through each transfer, and the window painted
    // while the images went over the line
    EXPECT_EQ(values, (std::vector<int>{5, 0, 10, 20, 24}));
    EXPECT_GT(paints.paints, 4);
    // the Upload after closing read every screen again
    EXPECT_FALSE(m_listener.screenChanges.empty());
    EXPECT_EQ(m_session->RunState(), RS_Idle);
    m_dialog->show();
    Screenshot("flash_after.png");
}

// Found by the GUI monkey: the revisions read when the dialog opens waited on
// the line without the busy state, so a command could start meanwhile and
// re-enter the request gate.
TEST_F(FlashUpdateTest, RevisionReadOnOpening_RunsWithTheWindowBusy) {
    ASSERT_TRUE(m_gateway.Start(m_dir.File("dosdevices/com4"), {"--baud", "19200"}));
    m_session = std::make_unique<ConfigurationSession>(
        std::make_unique<CSerialTransport>(KV121032_PATH), &m_notifier, &m_clock, &m_listener);
    ASSERT_EQ(m_session->Gate().BindLibrary(), DeviceResult::Done);
    m_session->Start();
    std::vector<bool> busy;
    m_session->Gate().SetRequestObserver(
        [&busy](const std::vector<std::uint8_t>&, int, const DeviceReply&) {
            busy.push_back(CBusyScope::IsBusy());
        });
    m_dialog = std::make_unique<CFlashUpdate>(*m_session);
    EXPECT_TRUE(m_dialog->IsOpen());
    ASSERT_FALSE(busy.empty());
    EXPECT_EQ(std::count(busy.begin(), busy.end(), false), 0);
    EXPECT_FALSE(CBusyScope::IsBusy());
}

TEST_F(FlashUpdateTest, FileSizeMismatch_MessageNothingSentDialogStaysOpen) {
    WriteFileBytes(m_dir.File("carrier.bin"), ImageBytes(2999));
    Open({});
    QTest::mouseClick(m_dialog->StartButton(), Qt::LeftButton);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Error: FileSize of " + m_dir.File("carrier.bin") +
                                       " does not match nvs files"});
    EXPECT_TRUE(m_log.firmware.empty());
    EXPECT_EQ(m_log.resets, 0);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_FALSE(m_dialog->StartButton()->isEnabled());
    EXPECT_TRUE(m_listener.screenChanges.empty());  // no Upload
}

TEST_F(FlashUpdateTest, GatewayStaysInRun_MessageNothingSentDialogStaysOpen) {
    Open({"--stay-in-run"});
    QTest::mouseClick(m_dialog->StartButton(), Qt::LeftButton);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Error: Unable to switch to the Idle mode"});
    EXPECT_TRUE(m_log.firmware.empty());
    EXPECT_EQ(m_log.resets, 0);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_TRUE(m_dialog->StartButton()->isEnabled());
    EXPECT_TRUE(m_listener.runStates.empty());
}

TEST_F(FlashUpdateTest, FailedTransfer_SaysNotUpdatedAndTheGatewaysMode_OverFinalTexts) {
    Open({"--fail-transfer-at", "3"});
    CFlashUpdate* dialog = m_dialog.get();
    WatchTextsAtMessages(dialog);
    // the reset pause keeps the dialog painting: a repaint asked for while
    // "Please Wait..." shows is done before the pause ends
    int pausePaints = 0;
    CPaintCounter paints;
    m_dialog->installEventFilter(&paints);
    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] {
        if (m_dialog->UpdateText()->text() == "Please Wait...") {
            pausePaints = std::max(pausePaints, paints.paints);
            m_dialog->update();
        }
    });
    poke.start(50);
    QTest::mouseClick(m_dialog->StartButton(), Qt::LeftButton);
    poke.stop();

    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Error: Transfer status error",
                              "Flash Update: The firmware was not updated. The gateway was reset "
                              "and answers again; its mode is Idle."}));
    // the failing step's box over its progress, the closing one over the
    // closing texts: never "Please Wait..." of a reset that is over
    ASSERT_EQ(m_textsAtMessage.size(), 2u);
    EXPECT_EQ(m_textsAtMessage[1], "The firmware was NOT updated.|");
    EXPECT_EQ(m_log.resets, 1);
    EXPECT_GT(pausePaints, 1);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_session->RunState(), RS_Idle);
    m_dialog->show();
    Screenshot("flash_failed.png");
}

// The whole window: Flash > Update from the menu, then what the window says.
TEST_F(FlashUpdateTest, Success_WindowSaysIdleAndHowToReturnToRun_NeverSwitchesToRun) {
    Open({});
    m_dialog.reset();
    CMainFrame frame(*m_session);
    frame.show();
    CFlashUpdate* dialog = nullptr;
    WatchTextsAtMessages(dialog);
    QTimer drive;
    QObject::connect(&drive, &QTimer::timeout, [&] {
        auto* open = qobject_cast<CFlashUpdate*>(QApplication::activeModalWidget());
        if (open != nullptr && dialog == nullptr) {
            dialog = open;
            dialog->SetFileChooser(
                [this] { return QString::fromStdString(m_dir.File("two.nvs")); });
            QTest::mouseClick(dialog->SelectFileButton(), Qt::LeftButton);
            QTest::mouseClick(dialog->StartButton(), Qt::LeftButton);
        }
    });
    drive.start(20);
    frame.Action(FrameCommand::FlashUpdate)->trigger();
    drive.stop();

    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Information: Device was successfully flashed and reset"});
    EXPECT_EQ(m_textsAtMessage, std::vector<std::string>{"The firmware was updated.|Now in Idle."});
    EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), f_szUpdatedInIdle);
    EXPECT_EQ(frame.StatusView()->ModeBox()->currentText(), "Idle");
    frame.grab().save(QStringLiteral("flash_success_window.png"));
    // the gateway itself is still in Idle: nothing switched it to Run
    frame.Action(FrameCommand::RefreshDeviceStatus)->trigger();
    EXPECT_EQ(m_session->RunState(), RS_Idle);
    EXPECT_EQ(frame.StatusView()->ModeBox()->currentText(), "Idle");
}

}  // namespace
