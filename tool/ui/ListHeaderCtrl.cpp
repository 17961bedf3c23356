#include "tool/ui/ListHeaderCtrl.h"

#include <QContextMenuEvent>
#include <QPainter>

namespace gantry::ui {

CListHeaderCtrl::CListHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setFixedHeight(f_nHeight);
    setMinimumSectionSize(0);  // the input list's Priority column is 0 wide
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
}

QSize CListHeaderCtrl::sizeHint() const {
    return QSize(QHeaderView::sizeHint().width(), f_nHeight);
}

void CListHeaderCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (rect.width() <= 0) {
        return;
    }
    painter->save();
    painter->fillRect(rect, palette().button());
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    const QString text =
        model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const QRect area = rect.adjusted(2, 0, -3, -1);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        line = fontMetrics().elidedText(line, Qt::ElideRight, area.width());
    }
    painter->setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter->drawText(area, Qt::AlignCenter, lines.join(QLatin1Char('\n')));
    painter->restore();
}

void CListHeaderCtrl::contextMenuEvent(QContextMenuEvent* event) {
    // logicalIndexAt works in viewport coordinates, so a scrolled header
    // still names the column under the pointer
    const int column = logicalIndexAt(event->pos());
    if (column >= 0) {
        emit ColumnMenuRequested(column, event->globalPos());
    }
    event->accept();
}

}  // namespace gantry::ui
