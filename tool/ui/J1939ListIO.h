// CJ1939ListIO: the pane of the J1939 I/O table. Two lists side by side, the
// input table and the output table, each with its PGN count and limit, and
// the total point count under them. The I/O commands (menu, tool bar, the
// lists' pop-up menu, a double click, the keys Insert, Enter and Delete) act
// on the list with the keyboard focus through the session's I/O commands; the
// column header's "Dec / Hex" menu (a right click, or the context-menu key on
// the current column) switches a column of both lists. Every column starts
// decimal: the mode decides how a typed value is read, so a hexadecimal mode
// is never carried over from an earlier pane or run.
//
// GUI thread only.
#pragma once

#include <QPoint>
#include <optional>

#include "tool/session/IoListPresentation.h"
#include "tool/session/IoPointForm.h"
#include "tool/ui/ScreenPane.h"

class QLabel;
class QMenu;

namespace gantry::ui {

using namespace gantry::tool;

class CTableCtrl;

class CJ1939ListIO : public CScreenPane {
    Q_OBJECT

public:
    explicit CJ1939ListIO(ConfigurationSession& session, QWidget* parent = nullptr);

    ScreenKind Kind() const override { return ScreenKind::J1939IoLists; }
    // Enabled with a module present (both lists refilled), disabled otherwise;
    // the PGN limits follow the device identity.
    void RefreshFromSession() override;
    // A refused table before a download (Field::IoTable): the input list.
    bool FocusField(Field field) override;
    bool HasIoListFocus() const override;
    void RunIoCommand(IoCommand command) override;

    CTableCtrl* List(IoDirection list) const;
    const IoColumnModes& Modes() const { return m_modes; }
    // Sets a column's mode in both lists (headers and cells).
    void SetColumnMode(IoColumn column, bool hex);
    QLabel* PgnCountLabel(IoDirection list) const;
    QLabel* PgnLimitLabel(IoDirection list) const;
    QLabel* TotalCountLabel() const { return m_total; }

private:
    QWidget* BuildListGroup(IoDirection list);
    void FillLists();
    std::optional<IoDirection> FocusedList() const;
    void RunAdd();
    void RunEdit(IoDirection list);
    void RunRemove(IoDirection list);
    // Shows the edit-point dialog for the form; the direction of the point
    // stored when it closed with OK.
    std::optional<IoDirection> RunDialog(const IoPointForm& form);
    void RefillUnlessRedrawn(int fillsBefore);
    void ShowColumnMenu(int column, const QPoint& globalPos);
    // The pop-up menu of a list: the main frame's I/O commands (none without a frame).
    void ShowIoMenu(const QPoint& globalPos);
    // A command from the lists themselves goes through the main frame when
    // there is one (its enable rules and busy state), else straight here.
    void SendCommand(IoCommand command);

    IoColumnModes m_modes;
    CTableCtrl* m_lists[2] = {nullptr, nullptr};
    QLabel* m_pgnCounts[2] = {nullptr, nullptr};
    QLabel* m_pgnLimits[2] = {nullptr, nullptr};
    QLabel* m_total = nullptr;
    int m_fills = 0;  // how often the lists were filled, to skip a second fill
};

}  // namespace gantry::ui
