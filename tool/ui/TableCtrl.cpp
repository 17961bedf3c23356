#include "tool/ui/TableCtrl.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "tool/ui/ListHeaderCtrl.h"

namespace gantry::ui {

CTableCtrl::CTableCtrl(IoDirection list, QWidget* parent)
    : QTableWidget(0, f_nIoColumnCount, parent), m_list(list), m_header(new CListHeaderCtrl(this)) {
    setHorizontalHeader(m_header);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    SetHeaders(IoColumnModes{});
    // wide enough that a four-digit offset in bit form fits its column
    const int cell = fontMetrics().horizontalAdvance(QStringLiteral("9999 (999,9)")) + 8;
    const int shown = list == IoDirection::Input ? f_nIoColumnCount - 1 : f_nIoColumnCount;
    setMinimumWidth(shown * cell + verticalScrollBar()->sizeHint().width() + 2 * frameWidth());
}

void CTableCtrl::SetHeaders(const IoColumnModes& modes) {
    QStringList headers;
    for (int i = 0; i < f_nIoColumnCount; ++i) {
        headers << QString::fromStdString(IoColumnHeader(IoColumnAt(i), modes));
    }
    setHorizontalHeaderLabels(headers);
}

void CTableCtrl::Fill(const std::vector<tagJ1939DataPoint>& points, const IoColumnModes& modes) {
    setUpdatesEnabled(false);
    clearContents();
    setRowCount(static_cast<int>(points.size()));
    for (int row = 0; row < rowCount(); ++row) {
        const std::vector<std::string> cells =
            IoRowTexts(points[static_cast<std::size_t>(row)], modes, m_list);
        for (int column = 0; column < f_nIoColumnCount; ++column) {
            auto* item = new QTableWidgetItem(
                QString::fromStdString(cells[static_cast<std::size_t>(column)]));
            item->setTextAlignment(Qt::AlignCenter);
            setItem(row, column, item);
        }
    }
    setUpdatesEnabled(true);
    ApplyColumnWidths();
}

int CTableCtrl::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

int CTableCtrl::TopRow() const {
    return rowCount() == 0 ? -1 : std::max(rowAt(0), 0);
}

int CTableCtrl::BottomRow() const {
    if (rowCount() == 0) {
        return -1;
    }
    const int row = rowAt(viewport()->height() - 1);
    return row < 0 ? rowCount() - 1 : row;
}

void CTableCtrl::RestoreView(int top, int bottom) {
    if (rowCount() == 0) {
        return;
    }
    if (bottom >= 0) {
        scrollToItem(item(std::min(bottom, rowCount() - 1), 0), QAbstractItemView::EnsureVisible);
    }
    if (top >= 0 && top < rowCount()) {
        scrollToItem(item(top, 0), QAbstractItemView::EnsureVisible);
    }
}

void CTableCtrl::SelectAndFocus(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    setFocus(Qt::OtherFocusReason);
}

bool CTableCtrl::viewportEvent(QEvent* event) {
    // the viewport narrows when the vertical scroll bar comes and goes, not
    // only when the list is resized
    if (event->type() == QEvent::Resize) {
        ApplyColumnWidths();
    }
    return QTableWidget::viewportEvent(event);
}

void CTableCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid()) {
        emit RowDoubleClicked();
    }
}

void CTableCtrl::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        // the key names no point: the menu of the current column opens under
        // its header
        const int column = std::max(currentColumn(), 0);
        const QPoint under(m_header->sectionViewportPosition(column) + 4, m_header->height());
        emit ColumnMenuKey(column, m_header->viewport()->mapToGlobal(under));
    } else {
        // the press before this event already selected the row and took the focus
        emit ContextMenuAt(event->globalPos());
    }
    event->accept();
}

void CTableCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Insert:
            emit InsertPressed();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit EnterPressed();
            break;
        case Qt::Key_Delete:
            emit DeletePressed();
            break;
        default:
            QTableWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void CTableCtrl::ApplyColumnWidths() {
    const std::array<int, f_nIoColumnCount> widths = IoColumnWidths(m_list, viewport()->width());
    for (int column = 0; column < f_nIoColumnCount; ++column) {
        m_header->resizeSection(column, widths[static_cast<std::size_t>(column)]);
    }
}

}  // namespace gantry::ui
