#include "tool/ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace gantry::ui {

namespace {

long long OverlapArea(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

}  // namespace

QRect FitOnDesktop(const QRect& frame, const QList<QRect>& desktops) {
    if (desktops.isEmpty()) {
        return frame;
    }
    QRect desktop = desktops.front();
    long long best = 0;
    for (const QRect& candidate : desktops) {
        const long long area = OverlapArea(frame, candidate);
        if (area > best) {
            best = area;
            desktop = candidate;
        }
    }
    QRect fitted(frame.topLeft(), frame.size().boundedTo(desktop.size()));
    // the right and bottom edges first, so that the top-left corner (the
    // title bar and the menus) wins when both cannot be kept
    fitted.moveRight(std::min(fitted.right(), desktop.right()));
    fitted.moveBottom(std::min(fitted.bottom(), desktop.bottom()));
    fitted.moveLeft(std::max(fitted.left(), desktop.left()));
    fitted.moveTop(std::max(fitted.top(), desktop.top()));
    return fitted;
}

QList<QRect> AvailableDesktops() {
    QList<QRect> desktops;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        desktops.append(primary->availableGeometry());
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen()) {
            desktops.append(screen->availableGeometry());
        }
    }
    return desktops;
}

void PlaceOnDesktop(QWidget* window, const QRect& wanted) {
    // zero until the window is shown and the window manager has framed it
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins decoration(inner.left() - outer.left(), inner.top() - outer.top(),
                              outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const QRect frame = FitOnDesktop(wanted.marginsAdded(decoration), AvailableDesktops());
    window->setGeometry(frame.marginsRemoved(decoration));
}

}  // namespace gantry::ui
