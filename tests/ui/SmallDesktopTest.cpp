// The main window on a 1024x768 desktop (an offscreen screen of that size):
// the largest J1939 layout opens inside the desktop, scrolls in both
// directions and lets every control be reached; the geometry of the last run
// comes back fitted to the screen present now. The picture of the scrolled
// layout is smalldesktop-j1939-modbus.png in the test's build folder.
#include <QScreen>
#include <QScrollBar>

#include "FrameTestSupport.h"

namespace {

class SmallDesktopTest : public FrameTest {
protected:
    // The one application of this program, on a single 1024x768 screen.
    static void SetUpTestSuite() {
        StartApplicationOnScreen("ui_smalldesktop", QSize(1024, 768));
        FrameTest::SetUpTestSuite();
    }
    QRect Desktop() const { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

TEST_F(SmallDesktopTest, J1939Layout_FitsTheDesktopScrollsAndEveryControlIsReachable) {
    ASSERT_EQ(Desktop().size(), QSize(1024, 768));
    OpenFrame(f_j1939Modbus);
    ASSERT_EQ(ShownKinds(), AllPairRows()[2].rows);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Desktop().contains(m_frame->frameGeometry())) << m_frame->frameGeometry().x();
    QScrollArea* scroll = m_frame->ContentScroll();
    const QSize rows = scroll->widget()->size();
    const QSize viewport = scroll->viewport()->size();
    ASSERT_TRUE(rows.width() > viewport.width() || rows.height() > viewport.height());
    // the window can be made smaller still: the rows scroll instead
    EXPECT_LE(m_frame->minimumSizeHint().width(), 800);
    EXPECT_LE(m_frame->minimumSizeHint().height(), 500);
    int reached = 0;
    for (CScreenPane* pane : m_frame->Panes()) {
        for (QWidget* control : pane->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(m_frame.get()) || !(control->focusPolicy() & Qt::TabFocus) ||
                qobject_cast<QScrollArea*>(control)) {
                continue;  // hidden, not a control, or a pane's own scrolling view
            }
            // the whole control (ensureWidgetVisible shows a line edit's cursor only)
            const QPoint at = control->mapTo(scroll->widget(), QPoint());
            const int halfWidth = (control->width() + 1) / 2;
            const int halfHeight = (control->height() + 1) / 2;
            scroll->ensureVisible(at.x() + halfWidth, at.y() + halfHeight, halfWidth, halfHeight);
            const QRect shown(control->mapTo(scroll->viewport(), QPoint()), control->size());
            EXPECT_TRUE(scroll->viewport()->rect().contains(shown))
                << control->metaObject()->className() << " " << control->objectName().toStdString()
                << " at " << shown.x() << "," << shown.y();
            ++reached;
        }
    }
    EXPECT_GT(reached, 15);
    scroll->horizontalScrollBar()->setValue(0);
    scroll->verticalScrollBar()->setValue(0);
    ASSERT_TRUE(m_frame->grab().save(QStringLiteral("smalldesktop-j1939-modbus.png")));
}

TEST_F(SmallDesktopTest, Geometry_KeptAtCloseAndRestoredFittedToTheScreen) {
    OpenFrame(f_profibusJ1939);
    m_frame->setGeometry(40, 30, 900, 600);
    QCoreApplication::processEvents();
    const QRect chosen = m_frame->geometry();
    ASSERT_TRUE(m_frame->close());
    StartFrame();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_frame->geometry(), chosen);

    // a window left on a second screen, larger than this one
    QSettings().setValue(QString::fromLatin1(CMainFrame::f_szGeometryKey),
                         QRect(1900, 1000, 1400, 1100));
    StartFrame();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Desktop().contains(m_frame->frameGeometry()))
        << m_frame->frameGeometry().x() << "," << m_frame->frameGeometry().y() << " "
        << m_frame->frameGeometry().width() << "x" << m_frame->frameGeometry().height();
    EXPECT_GE(m_frame->height(), 600);  // as large as the screen allows
}

}  // namespace
