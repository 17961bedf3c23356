// Screenshots of the main window for the five product pairs, online (the
// simulated gateway of the pair's example profile answering as a gateway) and
// offline, written to screenshots/ in the test's build folder: look at them
// after a change to any pane. Each picture must exist and show the window at
// its full size, on a desktop large enough that no layout scrolls. The
// README's picture is j1939-modbus-online.png.
#include <QDir>
#include <QImage>

#include "FrameTestSupport.h"

namespace {

const char* const f_pairNames[] = {"ethernet-devicenet", "profibus-devicenet", "j1939-modbus",
                                   "ethernet-j1939", "profibus-j1939"};

class ScreenshotsTest : public FrameTest {
protected:
    static void SetUpTestSuite() {
        StartApplicationOnScreen("ui_screenshots", QSize(1600, 1200));
        FrameTest::SetUpTestSuite();
    }
};

}  // namespace

TEST_F(ScreenshotsTest, EveryPairOnlineAndOffline) {
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("screenshots")));
    const std::vector<PairRows> pairs = AllPairRows();
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const std::string profile = std::string(GANTRY_EXAMPLES_DIR "/") + f_pairNames[i] + ".ini";
        WriteFileBytes(m_dir.File("GYSim.ini"), ReadFileBytes(profile));
        StartFrame();
        std::vector<ScreenKind> rows;
        for (const CScreenPane* pane : m_frame->Panes()) {
            rows.push_back(pane->Kind());
        }
        ASSERT_EQ(rows, pairs[i].rows) << profile;
        for (const char* mode : {"online", "offline"}) {
            if (std::string(mode) == "offline") {
                Trigger(FrameCommand::OfflineConfiguration);
            }
            QCoreApplication::processEvents();
            const QString path = QStringLiteral("screenshots/%1-%2.png").arg(f_pairNames[i], mode);
            ASSERT_TRUE(m_frame->grab().save(path)) << path.toStdString();
            const QImage image(path);
            EXPECT_EQ(image.size(), m_frame->size() * m_frame->devicePixelRatio());
            const QScrollArea* rows = m_frame->ContentScroll();
            EXPECT_GE(rows->viewport()->width(), rows->widget()->minimumSizeHint().width());
            EXPECT_GE(rows->viewport()->height(), rows->widget()->minimumSizeHint().height());
            EXPECT_EQ(m_frame->ModulePane()->text().toLower().toStdString(), mode);
        }
        TearDown();
    }
}
