// The main frame's rows and its answers to the session: the splitter for a
// product pair in the scrolling central area, the window geometry that follows
// it and is kept between runs, the panes' redraws and the progress of the I/O
// table transfer.
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <utility>

#include "tool/ui/BusyScope.h"
#include "tool/ui/GYConfigView.h"
#include "tool/ui/MainFrame.h"
#include "tool/ui/NewModuleDlg.h"
#include "tool/ui/WindowPlacement.h"

namespace gantry::ui {

namespace {

constexpr int f_nFrameWidth = 940;

}  // namespace

void CMainFrame::LayoutRebuilt(const ScreenLayout& layout, int previousHeight) {
    (void)previousHeight;  // the frame measures the rows it shows
    const int oldHeight = m_contentHeight;
    QWidget* old = m_scroll->takeWidget();
    m_panes.clear();
    m_splitter = nullptr;
    if (old) {
        old->hide();
        old->deleteLater();
    }
    std::vector<LayoutRow> rows = layout.rows;
    if (rows.empty()) {
        rows.push_back(LayoutRow{ScreenKind::StatusView, f_nStatusViewHeight});
    }
    if (rows.size() == 1) {
        CScreenPane* pane = CreateScreenPane(rows.front().screen, m_session, m_scroll);
        m_panes.push_back(pane);
        m_scroll->setWidget(pane);
    } else {
        m_splitter = new QSplitter(Qt::Vertical, m_scroll);
        m_splitter->setChildrenCollapsible(false);
        QList<int> sizes;
        for (const LayoutRow& row : rows) {
            CScreenPane* pane = CreateScreenPane(row.screen, m_session, m_splitter);
            pane->setMinimumHeight(std::max(row.height, pane->minimumSizeHint().height()));
            m_splitter->addWidget(pane);
            m_panes.push_back(pane);
            sizes.append(pane->minimumHeight());
        }
        m_splitter->setSizes(sizes);
        m_scroll->setWidget(m_splitter);
    }
    m_panes.front()->setMinimumHeight(
        std::max(rows.front().height, m_panes.front()->minimumSizeHint().height()));
    m_contentHeight = ContentHeight();
    SizeForLayout(oldHeight, rows.size() > 1);
    UpdateCommandUI();
}

void CMainFrame::SizeForLayout(int oldHeight, bool productLayout) {
    if (oldHeight == 0) {
        const int chrome = menuBar()->sizeHint().height() + m_toolBar->sizeHint().height() +
                           statusBar()->sizeHint().height();
        resize(std::max(width(), f_nFrameWidth), chrome + m_contentHeight);
    } else if (m_restoredHeight > 0 && productLayout) {
        // the first product layout of the run opens at the last run's size
        QRect frame = geometry();
        frame.setHeight(std::exchange(m_restoredHeight, 0));
        if (!isMaximized() && !isFullScreen()) {
            PlaceOnDesktop(this, frame);
        }
    } else {
        ResizeBy(m_contentHeight - oldHeight);
    }
}

int CMainFrame::ContentHeight() const {
    int height = 0;
    for (const CScreenPane* pane : m_panes) {
        height += pane->minimumHeight();
    }
    if (m_splitter) {
        height += m_splitter->handleWidth() * (m_splitter->count() - 1);
    }
    return height;
}

void CMainFrame::ResizeBy(int delta) {
    if (isMaximized() || isFullScreen()) {
        return;  // the rows scroll inside the window the user chose
    }
    QRect frame = geometry();
    frame.setHeight(frame.height() + delta);
    // wide enough for the rows where the desktop allows
    if (const QWidget* rows = m_scroll->widget()) {
        frame.setWidth(std::max(frame.width(), rows->minimumSizeHint().width()));
    }
    PlaceOnDesktop(this, frame);
    // a cut side brings a scroll bar, which takes room from the other side
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize wanted = frame.size();
    frame = geometry();
    frame.setWidth(frame.width() + (height() < wanted.height() ? bar : 0));
    frame.setHeight(frame.height() + (width() < wanted.width() ? bar : 0));
    if (frame.size() != size()) {
        PlaceOnDesktop(this, frame);
    }
}

void CMainFrame::RestoreGeometry() {
    const QSettings settings;
    QRect wanted = settings.value(QString::fromLatin1(f_szGeometryKey)).toRect();
    if (wanted.isValid()) {
        m_restoredHeight = wanted.height();
        wanted.setHeight(height());
    } else {
        const QList<QRect> desktops = AvailableDesktops();
        wanted = QRect(QPoint(), size());
        wanted.moveCenter(desktops.isEmpty() ? QPoint() : desktops.front().center());
    }
    PlaceOnDesktop(this, wanted);
    if (settings.value(QString::fromLatin1(f_szMaximizedKey), false).toBool()) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void CMainFrame::SaveGeometry() const {
    QSettings settings;
    settings.setValue(QString::fromLatin1(f_szGeometryKey), normalGeometry());
    settings.setValue(QString::fromLatin1(f_szMaximizedKey), isMaximized());
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // the window manager's decorations are known once the window is shown:
    // the frame is fitted again with them
    QTimer::singleShot(0, this, [this] {
        if (!isMaximized() && !isFullScreen()) {
            PlaceOnDesktop(this, geometry());
        }
    });
}

void CMainFrame::ScreensChanged(const std::vector<ScreenKind>& screens) {
    for (CScreenPane* pane : m_panes) {
        if (std::find(screens.begin(), screens.end(), pane->Kind()) != screens.end()) {
            pane->RefreshFromSession();
        }
    }
    UpdateCommandUI();
}

void CMainFrame::RunStateChanged(int runState) {
    if (CGYConfigView* view = StatusView()) {
        view->SetModeList(runState);
    }
    UpdateCommandUI();
}

void CMainFrame::OfflineChanged(bool offline) {
    (void)offline;
    UpdateCommandUI();
}

std::optional<int> CMainFrame::ChooseProduct(const std::vector<std::string>& items) {
    CNewModuleDlg dialog(items, this);
    CBusyScope::Pause pause;
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Selection();
}

std::optional<std::string> CMainFrame::ChooseSavePath(const std::string& title) {
    return m_doc.ChooseSavePath(title);
}

void CMainFrame::IoTableProgress(int point, int total) {
    if (point == 0) {
        m_ioPointTotal = total;
        m_progress->setRange(0, std::max(total, 1));
        m_progress->setValue(0);
        m_progress->setVisible(total > 0 && CBusyScope::IsBusy());
        return;
    }
    if (m_ioPointTotal <= 0) {
        return;
    }
    const int shown = std::min(point, m_ioPointTotal);
    m_progress->setValue(shown);
    statusBar()->showMessage(tr("I/O table: point %1 of %2").arg(shown).arg(m_ioPointTotal));
    if (shown == m_ioPointTotal) {
        m_ioPointTotal = 0;
        m_progress->hide();
    }
}

void CMainFrame::OnRequest(const std::vector<std::uint8_t>& encoded, int result,
                           const DeviceReply& reply) {
    if (m_forward) {
        m_forward(encoded, result, reply);
    }
}

}  // namespace gantry::ui
