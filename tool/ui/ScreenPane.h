// One row of the main frame's splitter: a screen bound to the configuration
// session's records. A pane draws what the session holds and forwards the
// user's edits to the session; the session owns every rule, text and request
// order, and shows every message box through its notifier.
//
// GUI thread only.
#pragma once

#include <QWidget>
#include <string>

#include "tool/session/ConfigurationSession.h"

namespace gantry::ui {

using namespace gantry::tool;

// The commands of the I/O menu and the lists' pop-up menu.
enum class IoCommand { Add, Edit, Remove, RemoveAll };

class CScreenPane : public QWidget {
    Q_OBJECT

public:
    CScreenPane(ConfigurationSession& session, QWidget* parent = nullptr)
        : QWidget(parent), m_session(session) {}

    // The screen this pane stands for.
    virtual ScreenKind Kind() const = 0;
    // Redraws every control from the session's records and the identity the
    // device holds, the enable rule included (controls are enabled only while
    // the module is present). The frame calls it whenever the session reports
    // that this screen changed.
    virtual void RefreshFromSession() = 0;
    // The texts the user left in the number entries, for a download (which
    // validates them) or a save (which takes them as they are).
    virtual void CollectEntries(ScreenEntries& entries) const { (void)entries; }
    // After a refused entry: gives the focus to the control of `field` and
    // selects its text. false when this pane has no such control.
    virtual bool FocusField(Field field) {
        (void)field;
        return false;
    }
    // The I/O commands: only the J1939 list pane has them. Whether one of its
    // two lists has the keyboard focus, and running a command on that list.
    virtual bool HasIoListFocus() const { return false; }
    virtual void RunIoCommand(IoCommand command) { (void)command; }

protected:
    ConfigurationSession& Session() { return m_session; }
    const ConfigurationSession& Session() const { return m_session; }

private:
    ConfigurationSession& m_session;
};

// Builds the pane of `kind` (never null). A screen whose pane is not built yet
// gets a placeholder of its row height showing its group title.
CScreenPane* CreateScreenPane(ScreenKind kind, ConfigurationSession& session, QWidget* parent);

}  // namespace gantry::ui
