// CTableCtrl: one of the two J1939 I/O lists. Seven centred columns under a
// CListHeaderCtrl, grid lines, whole rows selected one at a time, no editing
// in place. The keys of the I/O commands (Insert, Enter, Delete) and the
// context-menu key are reported as signals; the pane runs the commands. The column widths follow
// the list's width on every resize (the shares of the presentation: sixths in the input list, whose
// Priority column is hidden, sevenths in the output list).
//
// GUI thread only.
#pragma once

#include <QTableWidget>
#include <string>
#include <vector>

#include "tool/session/IoListPresentation.h"

namespace gantry::ui {

using namespace gantry::tool;

class CListHeaderCtrl;

class CTableCtrl : public QTableWidget {
    Q_OBJECT

public:
    CTableCtrl(IoDirection list, QWidget* parent = nullptr);

    IoDirection List() const { return m_list; }
    CListHeaderCtrl* Header() const { return m_header; }

    // Writes the seven header texts of the modes.
    void SetHeaders(const IoColumnModes& modes);
    // Deletes every row and writes one row per point in array order.
    void Fill(const std::vector<tagJ1939DataPoint>& points, const IoColumnModes& modes);
    // The selected row, −1 without a selection.
    int SelectedRow() const;
    // The rows at the top and the bottom of the view (−1 when empty).
    int TopRow() const;
    int BottomRow() const;
    // Makes the rows visible again after a refill: `top` at the top of the
    // view when possible, `bottom` (clamped to the last row) visible.
    void RestoreView(int top, int bottom);
    // Selects `row` and makes it the current, focused row.
    void SelectAndFocus(int row);

signals:
    // A double click on a row.
    void RowDoubleClicked();
    // A right click, after the list selected and focused as usual.
    void ContextMenuAt(const QPoint& globalPos);
    // Insert, Enter (or Return) and Delete with the list focused.
    void InsertPressed();
    void EnterPressed();
    void DeletePressed();
    // The context-menu key (or Shift+F10): the current column (0 without a
    // current cell) and the point under its header where a menu opens.
    void ColumnMenuKey(int column, const QPoint& globalPos);

protected:
    bool viewportEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyColumnWidths();

    IoDirection m_list;
    CListHeaderCtrl* m_header;
};

}  // namespace gantry::ui
