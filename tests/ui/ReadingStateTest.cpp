// What the window says while it reads the gateway, sampled at every request
// and every wait of the read on the real session: no NO MODULE, "Not
// Detected" or "Unable to detect the device" before the read has ended,
// unless a gateway that answered stopped answering.
#include <QComboBox>

#include "FrameTestSupport.h"
#include "tool/ui/BusyScope.h"
#include "tool/ui/GYConfigView.h"

namespace {

// The instant clock that lets the test look at the window at every wait.
class CSamplingClock : public CInstantClock {
public:
    void Sleep(std::chrono::milliseconds duration) override {
        if (sample) {
            sample();
        }
        CInstantClock::Sleep(duration);
    }
    std::function<void()> sample;
};

// The module pane, the mode list and the error line at one moment.
struct Texts {
    QString module;
    QStringList modes;
    QString error;
};

class ReadingStateTest : public FrameTest {
protected:
    Texts Now() const {
        Texts texts{m_frame->ModulePane()->text(), {}, {}};
        if (CGYConfigView* view = m_frame->StatusView()) {
            for (int i = 0; i < view->ModeBox()->count(); ++i) {
                texts.modes << view->ModeBox()->itemText(i);
            }
            texts.error = view->Value(QStringLiteral("Error"))->text();
        }
        return texts;
    }
    void Sample() {
        m_samples.push_back(Now());
        if (m_samples.size() == 2) {  // the first request of a read: the picture of it
            m_frame->grab().save(QStringLiteral("reading_state.png"));
        }
    }
    // The window started as GYConfig starts it, sampled before the start and
    // then at every request and every wait until the start has ended.
    void StartSampled() {
        m_session = std::make_unique<ConfigurationSession>(std::move(m_plug), &m_notifier,
                                                           &m_sampling, &m_listener);
        m_frame = std::make_unique<CMainFrame>(*m_session);
        m_frame->ObserveRequests([this](auto&&...) { Sample(); });
        m_sampling.sample = [this] { Sample(); };
        m_frame->show();
        Sample();
        bool started = false;
        QObject::connect(m_frame.get(), &CMainFrame::StartupFinished, [&] { started = true; });
        m_frame->PostStartupRefresh();
        ASSERT_TRUE(QTest::qWaitFor([&] { return started; }, 10000));
    }
    // No sample says the gateway is absent.
    void ExpectNoAbsence() const {
        for (const Texts& texts : m_samples) {
            EXPECT_NE(texts.module, "NO MODULE");
            EXPECT_FALSE(texts.modes.contains("Not Detected"));
            EXPECT_NE(texts.error, "Unable to detect the device");
        }
    }

    std::unique_ptr<CUnpluggableGateway> m_plug = std::make_unique<CUnpluggableGateway>();
    CSamplingClock m_sampling;
    std::vector<Texts> m_samples;
};

TEST_F(ReadingStateTest, StartSaysReadingUntilTheReadEnds_ThenTheTruth) {
    for (const bool plugged : {true, false}) {
        m_frame.reset();
        m_samples.clear();
        WriteIdentity(f_j1939Modbus);
        m_plug = std::make_unique<CUnpluggableGateway>();
        m_plug->unplugged = !plugged;
        StartSampled();
        EXPECT_EQ(m_samples.front().module, "READING");  // before the first request
        if (plugged) {  // an unplugged simulator fails at once, without a request
            ASSERT_GE(m_samples.size(), 2u);
            EXPECT_EQ(m_samples[1].modes, QStringList{"Reading..."});
            EXPECT_EQ(m_samples[1].error, "Reading the gateway...");
        }
        ExpectNoAbsence();
        const Texts after = Now();
        EXPECT_EQ(after.module, plugged ? "ONLINE" : "NO MODULE");
        EXPECT_EQ(after.modes,
                  plugged ? QStringList({"Idle", "Run"}) : QStringList{"Not Detected"});
        EXPECT_EQ(after.error, plugged ? "No Error" : "Unable to detect the device");
    }
}

TEST_F(ReadingStateTest, ConnectAndRefreshAfterNoModuleSayReading) {
    WriteIdentity(f_j1939Modbus);
    m_plug->unplugged = true;
    CUnpluggableGateway* gateway = m_plug.get();
    StartSampled();
    ASSERT_EQ(Now().module, "NO MODULE");
    gateway->unplugged = false;  // the cable is plugged in again
    m_samples.clear();
    Trigger(FrameCommand::RefreshDeviceStatus);
    EXPECT_FALSE(m_samples.empty());
    ExpectNoAbsence();
    EXPECT_EQ(Now().module, "ONLINE");

    Trigger(FrameCommand::OfflineConfiguration);
    ASSERT_EQ(Now().module, "OFFLINE");
    m_samples.clear();
    Trigger(FrameCommand::Connect);
    EXPECT_FALSE(m_samples.empty());
    ExpectNoAbsence();
    EXPECT_EQ(Now().module, "ONLINE");
}

TEST_F(ReadingStateTest, AGatewayThatStopsAnsweringIsNoModuleAtOnce) {
    WriteIdentity(f_j1939Modbus);
    CUnpluggableGateway* gateway = m_plug.get();
    StartSampled();
    ASSERT_EQ(Now().module, "ONLINE");
    gateway->loseFrom = 3;  // the upload's third request goes unanswered
    // the status view as it changes, and whether the read was still running
    std::vector<std::pair<QString, bool>> modes;
    QObject::connect(m_frame->StatusView()->ModeBox(), &QComboBox::currentTextChanged,
                     [&](const QString& text) { modes.emplace_back(text, CBusyScope::IsBusy()); });
    Trigger(FrameCommand::Upload);
    const auto absent =
        std::find(modes.begin(), modes.end(), std::pair(QString("Not Detected"), true));
    EXPECT_NE(absent, modes.end());
    EXPECT_EQ(Now().module, "NO MODULE");
    EXPECT_EQ(Now().error, "Unable to detect the device");
}

}  // namespace
