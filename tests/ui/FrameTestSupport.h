// The main window on the real session, offscreen: the simulator answers as a
// gateway (SessionTest's CUnpluggableGateway), message boxes go to the
// recording notifier, every request that passes the gate is recorded, and
// QSettings writes into the test's Gantry directory, never under $HOME.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "session/SessionTestSupport.h"
#include "tool/ui/MainFrame.h"

using namespace gantry::tool;
using namespace gantry::ui;

// The one QApplication of a test program goes when the tests are done, before
// the static objects at exit (Qt's input devices and font caches must still be
// there when it goes).
class CQtEnvironment : public ::testing::Environment {
public:
    void TearDown() override { delete QApplication::instance(); }
};
inline ::testing::Environment* const g_qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

// Makes the program's application on one offscreen screen of `size` (the
// offscreen platform's own screen is 800x800), for a suite's SetUpTestSuite.
inline void StartApplicationOnScreen(const char* program, QSize size) {
    static QTemporaryDir folder;
    static const QByteArray config = folder.filePath(QStringLiteral("screen.json")).toUtf8();
    QFile file(QString::fromUtf8(config));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": %1,
        "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                   .arg(size.width())
                   .arg(size.height())
                   .toUtf8());
    file.close();
    static QByteArray name = program;
    static QByteArray platform = "offscreen:configfile=" + config;
    static char option[] = "-platform";
    static int argc = 3;
    static char* argv[] = {name.data(), option, platform.data(), nullptr};
    new QApplication(argc, argv);  // CQtEnvironment deletes it
}

class FrameTest : public SessionTest {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "ui_test";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) {
            new QApplication(argc, argv);  // CQtEnvironment deletes it
            QCoreApplication::setOrganizationName(
                QStringLiteral("Local AppWizard-Generated Applications"));
            QCoreApplication::setApplicationName(QStringLiteral("GYConfig"));
        }
    }
    void SetUp() override {
        const QString settings = QString::fromStdString(m_dir.File("settings"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
    }
    void TearDown() override {
        m_frame.reset();
        m_session.reset();
    }

    // A gateway of `identity` on the line, the window shown and its first
    // refresh (and upload) done; the requests so far cleared, the messages moved
    // to m_startupMessages.
    // `clock` and `gateway` replace the instant clock and the simulator.
    void OpenFrame(const GatewayIdentity& identity, const std::string& extraSections = "",
                   IClock* clock = nullptr,
                   std::unique_ptr<CUnpluggableGateway> gateway = nullptr) {
        WriteIdentity(identity, extraSections);
        StartFrame(clock, std::move(gateway));
    }
    // The same on the GYSim.ini already in the Gantry directory.
    void StartFrame(IClock* clock = nullptr,
                    std::unique_ptr<CUnpluggableGateway> gateway = nullptr) {
        m_frame.reset();  // the old window first: it still uses the old session
        if (!gateway) {
            gateway = std::make_unique<CUnpluggableGateway>();
        }
        m_gateway = gateway.get();
        m_session = std::make_unique<ConfigurationSession>(std::move(gateway), &m_notifier,
                                                           clock ? clock : &m_clock, &m_listener);
        m_frame = std::make_unique<CMainFrame>(*m_session);
        m_frame->ObserveRequests(
            [this](const std::vector<std::uint8_t>& bytes, int result, const DeviceReply&) {
                m_requests.push_back(DescribeRequest(bytes));
                m_results.push_back(result);
            });
        m_frame->show();
        bool started = false;
        QObject::connect(m_frame.get(), &CMainFrame::StartupFinished,
                         [&started] { started = true; });
        m_frame->PostStartupRefresh();
        ASSERT_TRUE(QTest::qWaitFor([&started] { return started; }, 10000));
        TakeRequests();
        m_startupMessages = std::exchange(m_notifier.shown, {});
    }
    // Runs a command as the menu does.
    void Trigger(FrameCommand command) {
        QAction* action = m_frame->Action(command);
        ASSERT_NE(action, nullptr);
        action->trigger();
    }
    bool Enabled(FrameCommand command) const { return m_frame->Action(command)->isEnabled(); }
    std::vector<ScreenKind> ShownKinds() const {
        std::vector<ScreenKind> kinds;
        for (const CScreenPane* pane : m_frame->Panes()) {
            kinds.push_back(pane->Kind());
        }
        return kinds;
    }
    // Answers the next modal dialog (the new-module dialog, a file dialog)
    // with accept or reject once it shows.
    static void AnswerNextDialog(bool accept, int tries = 100) {
        QTimer::singleShot(10, [accept, tries] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                accept ? dialog->accept() : dialog->reject();
            } else if (tries > 0) {
                AnswerNextDialog(accept, tries - 1);  // not shown yet
            }
        });
    }

    std::unique_ptr<CMainFrame> m_frame;
    std::vector<ShownMessage> m_startupMessages;  // shown before OpenFrame returned
};

// The five known pairs with the screens each shows, top to bottom.
struct PairRows {
    GatewayIdentity identity;
    std::vector<ScreenKind> rows;
};
inline std::vector<PairRows> AllPairRows() {
    using S = ScreenKind;
    return {
        {f_ethernetDeviceNet, {S::StatusView, S::Ethernet, S::DeviceNet}},
        {f_profibusDeviceNet, {S::StatusView, S::DeviceNet}},
        {f_j1939Modbus, {S::StatusView, S::Modbus, S::J1939Settings, S::J1939IoLists}},
        {f_ethernetJ1939, {S::StatusView, S::Ethernet, S::J1939Settings, S::J1939IoLists}},
        {f_profibusJ1939, {S::StatusView, S::J1939Settings, S::J1939IoLists}},
    };
}
