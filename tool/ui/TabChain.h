// The Tab key's order through a pane or a dialog when the order in which its
// controls were made is not the order a reader meets them (left to right, top
// to bottom). GUI thread only.
#pragma once

#include <QWidget>
#include <initializer_list>

namespace gantry::ui {

// The Tab key moves through `controls` in the order given.
inline void SetTabChain(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, control);
        }
        previous = control;
    }
}

}  // namespace gantry::ui
