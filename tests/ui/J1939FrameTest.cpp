// The J1939 settings pane inside the main window: the frame's Download takes
// the pane's entries; a refused offline detection time writes nothing and
// keeps the user's text.
#include <algorithm>

#include "FrameTestSupport.h"
#include "tool/ui/J1939Config.h"

using namespace gantry::tool;
using namespace gantry::ui;

namespace {

using Requests = std::vector<std::string>;

const std::string f_j1939Section =
    "[J1939Config]\nStatus=1\nMajor Fault=0\nNetwork Address=0x82\n"
    "Device Name=A00064001E00A003\nNetwork Address List=82\nOffline Detection Time=0\n"
    "Baud Rate=0\n";

class J1939FrameTest : public FrameTest {
protected:
    // An application of this suite's own, deleted before the program ends
    // (Qt's input devices and font cache are torn down while Qt still works).
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "ui_j1939frame";
        static char* argv[] = {name, nullptr};
        s_app = new QApplication(argc, argv);
        QCoreApplication::setOrganizationName(
            QStringLiteral("Local AppWizard-Generated Applications"));
        QCoreApplication::setApplicationName(QStringLiteral("GYConfig"));
    }
    static void TearDownTestSuite() {
        delete s_app;
        s_app = nullptr;
    }
    CJ1939Config* Pane() const {
        return dynamic_cast<CJ1939Config*>(m_frame->Pane(ScreenKind::J1939Settings));
    }
    static Requests J1939Writes(const Requests& requests) {
        Requests writes;
        std::copy_if(requests.begin(), requests.end(), std::back_inserter(writes),
                     [](const std::string& r) { return r.rfind("S 110/", 0) == 0; });
        return writes;
    }

    static inline QApplication* s_app = nullptr;
};

TEST_F(J1939FrameTest, DownloadRefusesABadTimeThenWritesTheSettingsAndSavesTheTable) {
    OpenFrame(f_profibusJ1939, f_j1939Section);
    CJ1939Config* pane = Pane();
    ASSERT_NE(pane, nullptr);
    pane->OfflineDetection()->click();
    pane->OfflineTime()->selectAll();
    QTest::keyClicks(pane->OfflineTime(), QStringLiteral("50"));

    Trigger(FrameCommand::Download);
    ASSERT_FALSE(m_notifier.shown.empty());
    EXPECT_EQ(m_notifier.shown.back().text,
              "Offline Detection Time must be between 100ms and 60000ms");
    EXPECT_EQ(CountWrites(TakeRequests()), 0);
    EXPECT_EQ(pane->OfflineTime()->text(), "50");

    pane->OfflineTime()->selectAll();
    QTest::keyClicks(pane->OfflineTime(), QStringLiteral("60000"));
    m_notifier.shown.clear();
    Trigger(FrameCommand::Download);
    const Requests requests = TakeRequests();
    EXPECT_EQ(J1939Writes(requests),
              (Requests{"S 110/1/4 03A0001E006400A0", "S 110/1/5 0182", "S 110/1/6 00",
                        "S 110/1/7 00", "S 110/1/8 00", "S 110/1/9 60EA", "S 110/1/10 00"}));
    EXPECT_EQ(Saves(requests), (Requests{"Save 111/0"}));
    ASSERT_TRUE(m_frame->grab().save(QStringLiteral("J1939Frame.png")));
}

}  // namespace
