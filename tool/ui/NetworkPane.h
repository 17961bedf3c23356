// CNetworkPane: what the four network panes (DeviceNet, Modbus, enhanced
// Modbus, Ethernet) share: a scrollable form with one group box whose
// controls stand in rows of label-and-control cells, the drop-down lists of
// the network records, the enable rule and the focus after a refused entry.
//
// Layout on every resize: the group box spans the view's width less 6 on each
// side; the columns start at fixed fractions of the group width; labels keep
// their width (the widest of their column) and each value control stretches
// to the start of the next column. Smaller than the form's minimum, the view
// scrolls. GUI thread only.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <vector>

#include "tool/session/NetworkLists.h"
#include "tool/ui/ScreenPane.h"

class QGroupBox;
class QScrollArea;

namespace gantry::ui {

using namespace gantry::tool;

class CNetworkPane : public CScreenPane {
    Q_OBJECT

public:
    // Whether the editable controls (edits, lists, check boxes) are enabled.
    bool ControlsEnabled() const { return m_controlsEnabled; }

protected:
    // `columns`: where each column starts, as fractions of the group width,
    // the first 0. `rows`: the number of control rows.
    CNetworkPane(ConfigurationSession& session, const QString& title, std::vector<double> columns,
                 int rows, QWidget* parent);

    // The parent of every control of the form.
    QWidget* Form() const;
    // Places a cell: `label` (may be null) at the column's start, `control`
    // from the column's label width to the start of column + `span`, and
    // `trailing` (may be null) after the control at the cell's end. A hidden
    // control hides its label and trailing text too.
    void Place(int row, int column, QLabel* label, QWidget* control, int span = 1,
               QWidget* trailing = nullptr);
    // Shows or hides a cell by its control.
    void ShowCell(QWidget* control, bool shown);

    // A label with a mnemonic for `buddy`.
    QLabel* MakeLabel(const QString& text, QWidget* buddy);
    // A read-only text of the form (status, error).
    QLabel* MakeText(const char* name);
    QLineEdit* MakeEdit(const char* name);
    // A drop-down list holding the items of `list`, without a selection.
    QComboBox* MakeList(NetworkList list, const char* name);
    // Selects the item that shows `value` (a value no item shows keeps the
    // selection, as the list's rule says).
    static void ShowListValue(QComboBox* combo, NetworkList list, std::uint32_t value);
    // Writes the list's value into `field` (unchanged when the list gives none).
    void TakeListValue(const QComboBox* combo, NetworkList list, Choice choice);

    // The enable rule: every edit, list and check box of the form follows
    // the session (enabled only while the module is present).
    void ApplyEnableRule();
    // Focus on `edit`, its whole text selected and scrolled into view.
    void FocusEdit(QLineEdit* edit);
    // The form's controls are placed again (after a change of visibility).
    void Relayout();

private:
    struct Cell {
        int row = 0;
        int column = 0;
        int span = 1;
        QLabel* label = nullptr;
        QWidget* control = nullptr;
        QWidget* trailing = nullptr;
    };
    void LayoutForm();
    int LabelWidth(int column) const;
    int RowPitch() const;

    QScrollArea* m_scroll = nullptr;
    QWidget* m_form = nullptr;
    QGroupBox* m_group = nullptr;
    std::vector<double> m_columns;
    int m_rows = 0;
    std::vector<Cell> m_cells;
    bool m_controlsEnabled = true;
};

}  // namespace gantry::ui
