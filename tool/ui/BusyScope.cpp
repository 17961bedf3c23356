#include "tool/ui/BusyScope.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QStatusBar>

namespace gantry::ui {

namespace {

int g_depth = 0;   // nesting of live scopes
int g_paused = 0;  // nesting of live pauses inside a scope

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::Drop:
        case QEvent::Close:
        case QEvent::MouseMove:  // and what a moving pointer brings: tips
        case QEvent::StatusTip:
        case QEvent::ToolTip:
            return true;
        default:
            return false;
    }
}

std::function<void()> g_cancel;
QPointer<QWidget> g_cancelButton;

// Escape, or input for the Cancel button, while a read may be cancelled:
// true when the event is not to be swallowed (the button's), after calling
// the cancel function for Escape.
bool LetCancelThrough(QObject* watched, QEvent* event) {
    if (!g_cancel) {
        return false;
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        g_cancel();
        return false;
    }
    return g_cancelButton && watched == g_cancelButton.data();
}

class CInputSwallower : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (g_depth > 0 && g_paused == 0 && IsUserInput(event->type()) &&
            !LetCancelThrough(watched, event)) {
            event->ignore();  // a close stays refused
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

CInputSwallower* g_swallower = nullptr;
QPointer<QStatusBar> g_defaultStatusBar;

}  // namespace

CBusyScope::CBusyScope(QStatusBar* statusBar, const QString& statusText)
    : m_statusBar(statusBar ? statusBar : g_defaultStatusBar.data()) {
    if (g_depth++ == 0) {
        g_swallower = new CInputSwallower;
        qApp->installEventFilter(g_swallower);
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    if (m_statusBar && !statusText.isEmpty()) {
        m_statusBar->showMessage(statusText);
        m_statusBar->repaint();
    }
}

CBusyScope::~CBusyScope() {
    if (g_depth == 1) {
        // input that waited while the GUI clock excluded it reaches the filter
        // now and is dropped
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        qApp->removeEventFilter(g_swallower);
        delete g_swallower;
        g_swallower = nullptr;
        QApplication::restoreOverrideCursor();
    }
    --g_depth;
    if (m_statusBar && g_depth == 0) {
        m_statusBar->showMessage(QObject::tr("Ready"));
    }
}

QString CBusyScope::WriteText(const QString& doing) {
    return doing + QObject::tr(" (a write to the gateway: it cannot be cancelled)");
}

void CBusyScope::SetCancel(std::function<void()> cancel, QWidget* button) {
    g_cancel = std::move(cancel);
    g_cancelButton = g_cancel ? button : nullptr;
}

void CBusyScope::SetDefaultStatusBar(QStatusBar* statusBar) {
    g_defaultStatusBar = statusBar;
}

bool CBusyScope::IsBusy() {
    return g_depth > 0;
}

bool CBusyScope::IsSwallowingInput() {
    return g_depth > 0 && g_paused == 0;
}

CBusyScope::Pause::Pause() : m_active(g_depth > 0) {
    if (m_active && g_paused++ == 0) {
        QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    }
}

CBusyScope::Pause::~Pause() {
    if (m_active && --g_paused == 0) {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace gantry::ui
