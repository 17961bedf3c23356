// Where a top-level window goes on the desktop: always entirely inside the
// available area of one screen (panels and docks excluded), never larger than
// it, at the size and place asked when that fits. The main frame uses it when
// it opens, when its rows change and when it restores the geometry of the
// last run (which may name a screen that is gone). GUI thread only.
#pragma once

#include <QList>
#include <QRect>

class QWidget;

namespace gantry::ui {

// `frame` (the outer rectangle, decorations included) shrunk to fit and moved
// inside one of `desktops`: the one it overlaps most, else the first (the
// primary screen's). Unchanged when it already lies inside that one. An empty
// list leaves `frame` as it is.
QRect FitOnDesktop(const QRect& frame, const QList<QRect>& desktops);

// The available geometries of the screens present now, the primary first.
QList<QRect> AvailableDesktops();

// Gives `window` the inner geometry `wanted` (as QWidget::geometry), shrunk
// and moved so that its frame, decorations included as far as they are known
// yet, lies on the desktop.
void PlaceOnDesktop(QWidget* window, const QRect& wanted);

}  // namespace gantry::ui
