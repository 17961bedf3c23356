// CListHeaderCtrl: the column header of the J1939 I/O lists. A fixed height of
// 30 pixels on a button-face background; each column's text is centred with
// its line breaks honoured and cut with an ellipsis when too long. A right
// click on a column asks for the "Dec / Hex" menu of that column.
//
// GUI thread only.
#pragma once

#include <QHeaderView>

namespace gantry::ui {

class CListHeaderCtrl : public QHeaderView {
    Q_OBJECT

public:
    static constexpr int f_nHeight = 30;

    explicit CListHeaderCtrl(QWidget* parent = nullptr);

    QSize sizeHint() const override;

signals:
    // The column (logical index, the horizontal scroll position included)
    // under a right click at `globalPos`.
    void ColumnMenuRequested(int column, const QPoint& globalPos);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

}  // namespace gantry::ui
