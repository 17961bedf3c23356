// CBusyScope: while one lives, the window is busy with a long operation
// (refresh, upload, download, clear error, a mode change): the wait cursor
// shows, the status bar's message pane says what is being done, and every user
// input (mouse, keyboard, wheel, context menu, closing a window) is swallowed
// by an application-wide event filter, so no second command can start. Input
// that arrived meanwhile is delivered to the filter and dropped before the
// outermost scope ends: it is never queued for later.
//
// A read that may be cancelled lets two inputs through (SetCancel): Escape,
// which calls the cancel function, and the clicks of the Cancel button.
//
// Scopes nest; the outermost one installs and removes the filter. A modal box
// shown during the operation suspends the filter with CBusyScope::Pause so the
// user can answer it. GUI thread only.
#pragma once

#include <QString>
#include <functional>

class QStatusBar;
class QWidget;

namespace gantry::ui {

class CBusyScope {
public:
    // `statusText` goes to the message pane of `statusBar` (the default one
    // when null) until the outermost scope ends; the pane then shows "Ready".
    explicit CBusyScope(QStatusBar* statusBar = nullptr, const QString& statusText = {});
    ~CBusyScope();
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

    // The status text of a write, which runs to its end: "<doing> (a write to
    // the gateway: it cannot be cancelled)".
    static QString WriteText(const QString& doing);

    // Whether any scope is alive.
    static bool IsBusy();
    // Whether user input now reaches the filter (a scope lives, no pause).
    static bool IsSwallowingInput();
    // The status bar a scope made without one writes to (the main frame's).
    static void SetDefaultStatusBar(QStatusBar* statusBar);
    // While the operation under way is a read that may be cancelled: Escape
    // calls `cancel`, and `button`'s input passes. An empty function ends it.
    static void SetCancel(std::function<void()> cancel, QWidget* button = nullptr);

    // While a Pause lives, input passes and the normal cursor shows (a message
    // box asked in the middle of an operation). Pauses nest; outside any busy
    // scope a pause does nothing.
    class Pause {
    public:
        Pause();
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        bool m_active = false;
    };

private:
    QStatusBar* m_statusBar = nullptr;
};

}  // namespace gantry::ui
