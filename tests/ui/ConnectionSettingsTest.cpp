// The connection set-up in the window, offscreen, through the real session,
// RP1210 library and serial driver: the Connection Settings dialog against the
// virtual gateway on a pseudo-terminal (standing in for /dev/ttyUSB0 in a
// device folder of the test's own), compared with `gyconfig-cli setup`, and
// the window's words for each set-up fault. Screenshots go to the build folder.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/file.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolButton>
#include <filesystem>
#include <set>

#include "../cli/CliProcess.h"
#include "FrameTestSupport.h"
#include "tool/device/SerialTransport.h"
#include "tool/ui/ConnectionSettingsDlg.h"
#include "tool/ui/GYConfigView.h"
#include "tool/ui/GuiClock.h"

namespace fs = std::filesystem;

namespace {

const char* const f_szAdapter = "usb-Gantry_Test_Adapter_0001-if00-port0";

// A serial line where nothing answers.
struct SilentLine {
    SilentLine() { ::openpty(&master, &slave, name, nullptr, nullptr); }
    ~SilentLine() {
        ::close(master);
        ::close(slave);
    }
    int master = -1;
    int slave = -1;
    char name[256] = {};
};

class ConnectionSettingsTest : public FrameTest {
protected:
    // The gateway's line as ttyUSB0 of the test's device folder, with a
    // serial/by-id/ name.
    void PlugAdapter() {
        fs::create_directories(Dev() + "/serial/by-id");
        ASSERT_TRUE(
            m_adapter.Start(std::string(EXAMPLES_DIR) + "/j1939-modbus.ini", Dev() + "/ttyUSB0"));
        fs::create_symlink("../../ttyUSB0", ById());
    }
    std::string Dev() const { return m_dir.File("dev"); }
    std::string ById() const { return Dev() + "/serial/by-id/" + f_szAdapter; }
    // The user's own section and link, which no set-up may lose.
    static void WriteUsersOwn(const std::string& root) {
        fs::create_directories(root + "/dosdevices");
        fs::create_symlink("/dev/null", root + "/dosdevices/com3");
        WriteFileBytes(root + "/KV121032.INI", "; mine\n[Mine]\nKey=1\n");
    }
    static std::set<std::string> Links(const std::string& root) {
        std::set<std::string> links;
        for (const auto& entry : fs::directory_iterator(root + "/dosdevices")) {
            links.insert(entry.path().filename().string() + " -> " +
                         fs::read_symlink(entry.path()).string());
        }
        return links;
    }
    static int RowOf(const QTableWidget* table, int column, const QString& text) {
        for (int row = 0; row < table->rowCount(); ++row) {
            if (table->item(row, column)->text() == text) {
                return row;
            }
        }
        return -1;
    }
    // The window on the RP1210 transport, its first refresh done.
    void StartWindow() {
        m_frame.reset();
        m_session = std::make_unique<ConfigurationSession>(
            std::make_unique<CSerialTransport>(KV121032_PATH), &m_notifier, &m_guiClock);
        ASSERT_EQ(m_session->Gate().BindLibrary(), DeviceResult::Done);
        m_frame = std::make_unique<CMainFrame>(*m_session);
        m_frame->show();
        bool started = false;
        QObject::connect(m_frame.get(), &CMainFrame::StartupFinished,
                         [&started] { started = true; });
        m_frame->PostStartupRefresh();
        ASSERT_TRUE(QTest::qWaitFor([&started] { return started; }, 30000));
    }
    // What the status view and the status bar say about the line.
    std::string Problem() const {
        return m_frame->StatusView()->ConnectionProblem()->text().toStdString();
    }
    std::string StatusBarText() const {
        return m_frame->statusBar()->currentMessage().toStdString();
    }
    void WriteIni(const std::string& driver) {
        WriteFileBytes(m_dir.File("KV121032.INI"),
                       "[DeviceInformation101]\nDeviceParams=" + driver + " COM1\n");
    }

    CGatewayRun m_adapter;
    CGuiClock m_guiClock;
};

TEST_F(ConnectionSettingsTest, Dialog_LinksAndWritesAsSetupDoesAndTestShowsTheGateway) {
    PlugAdapter();
    WriteUsersOwn(m_dir.Path());
    CConnectionSettingsDlg dialog(KV121032_PATH, m_guiClock, nullptr, Dev());
    dialog.show();
    QTableWidget* table = dialog.DeviceTable();
    const int row = RowOf(table, 0, QString::fromStdString(Dev() + "/ttyUSB0"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(table->item(row, 1)->text().toStdString(), f_szAdapter);
    EXPECT_EQ(table->item(row, 2)->text(), QString());
    EXPECT_EQ(table->item(row, 3)->text(), QStringLiteral("ok"));
    table->selectRow(row);
    EXPECT_EQ(dialog.PortBox()->value(), 1);  // COM3 is the user's
    QTest::mouseClick(dialog.TestButton(), Qt::LeftButton);
    const std::string line = fs::canonical(Dev() + "/ttyUSB0").string();
    const std::string result = dialog.ResultBox()->toPlainText().toStdString();
    EXPECT_NE(result.find("Linked com1 -> " + ById()), std::string::npos) << result;
    EXPECT_NE(result.find("Found GY-JMB1 on COM1 (" + line + "): serial number "),
              std::string::npos)
        << result;
    EXPECT_EQ(table->item(RowOf(table, 0, QString::fromStdString(Dev() + "/ttyUSB0")), 2)->text(),
              QStringLiteral("COM1"));
    dialog.grab().save(QStringLiteral("connection_settings.png"));

    // gyconfig-cli setup of the same adapter in another Gantry directory
    // writes the same file and the same links
    ScopedGantryDir other;
    WriteUsersOwn(other.Path());
    const ProcessResult setup = RunProgram(CLI_PATH, {"setup", ById()}, other.Path());
    ASSERT_EQ(setup.status, 0) << setup.err;
    EXPECT_EQ(ReadFileBytes(other.File("KV121032.INI")), ReadFileBytes(m_dir.File("KV121032.INI")));
    EXPECT_EQ(ReadFileBytes(m_dir.File("KV121032.INI")).rfind("; mine\n[Mine]\nKey=1\n", 0), 0u);
    EXPECT_EQ(Links(other.Path()), Links(m_dir.Path()));
    ::setenv("GANTRY_DIR", m_dir.Path().c_str(), 1);

    // unplugged: the link stays, the device is gone, and Test says why
    m_adapter.Stop();
    QTest::mouseClick(dialog.RefreshButton(), Qt::LeftButton);
    const int gone = RowOf(table, 2, QStringLiteral("COM1"));
    ASSERT_GE(gone, 0);
    EXPECT_EQ(table->item(gone, 3)->text(), QStringLiteral("gone"));
    table->selectRow(gone);
    QTest::mouseClick(dialog.TestButton(), Qt::LeftButton);
    EXPECT_NE(dialog.ResultBox()->toPlainText().toStdString().find(
                  "COM1 (" + m_dir.File("dosdevices/com1") + "): " + ById() +
                  " does not exist: is the adapter plugged in?"),
              std::string::npos)
        << dialog.ResultBox()->toPlainText().toStdString();
}

TEST_F(ConnectionSettingsTest, Window_SaysWhyNoGatewayAnswersAndOffersTheSetUp) {
    // nothing set up: the window offers the dialog at its start
    bool offered = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&offered] {
        if (auto* dialog =
                qobject_cast<CConnectionSettingsDlg*>(QApplication::activeModalWidget())) {
            offered = true;
            dialog->reject();
        }
    });
    watch.start(20);
    StartWindow();
    watch.stop();
    EXPECT_TRUE(offered);
    ASSERT_FALSE(m_notifier.shown.empty());
    EXPECT_EQ(m_notifier.shown.front().caption, "Connection Settings");
    const std::string none =
        "No COM ports in " + m_dir.File("dosdevices") + ": run `gyconfig-cli setup`.";
    EXPECT_EQ(Problem(), none);
    EXPECT_EQ(StatusBarText(), none);
    EXPECT_TRUE(m_frame->StatusView()->ConnectionSettingsButton()->isVisible());
    EXPECT_EQ(m_frame->ModulePane()->text(), QStringLiteral("NO MODULE"));

    m_notifier.answerYes = false;
    SilentLine silent;
    fs::create_directories(m_dir.File("dosdevices"));
    fs::create_symlink(silent.name, m_dir.File("dosdevices/com1"));
    StartWindow();
    EXPECT_EQ(Problem(),
              m_dir.File("KV121032.INI") + " is missing or empty: run `gyconfig-cli setup`.");

    WriteIni("libNoSuchDriver.so");
    StartWindow();
    EXPECT_EQ(Problem(), "The driver libNoSuchDriver.so for COM1 in " + m_dir.File("KV121032.INI") +
                             " cannot be found: fix the driver name (the installed driver is "
                             "libKVGYSrl.so).");

    WriteIni(KVGYSRL_PATH);
    const int held = ::open(silent.name, O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    StartWindow();
    ::close(held);
    EXPECT_EQ(Problem(), "COM1 (" + m_dir.File("dosdevices/com1") + "): " + silent.name +
                             " is in use by another program: close it and try again.");

    StartWindow();
    const std::string silence = "No gateway answered on COM1 (" + std::string(silent.name) + ").";
    EXPECT_EQ(Problem(), silence);
    EXPECT_EQ(StatusBarText(), silence);
    m_frame->grab().save(QStringLiteral("no_gateway.png"));

    // a gateway on the line: the port in use, nothing to explain
    fs::remove(m_dir.File("dosdevices/com1"));
    ASSERT_TRUE(m_adapter.Start(std::string(EXAMPLES_DIR) + "/j1939-modbus.ini",
                                m_dir.File("dosdevices/com1")));
    StartWindow();
    EXPECT_EQ(m_frame->ModulePane()->text(), QStringLiteral("ONLINE"));
    EXPECT_EQ(m_frame->PortPane()->text().toStdString(),
              "COM1: " + fs::canonical(m_dir.File("dosdevices/com1")).string());
    EXPECT_FALSE(m_frame->StatusView()->ConnectionProblem()->isVisible());
    EXPECT_EQ(StatusBarText(), "Ready");
}

}  // namespace
