// CQtNotifier: the message boxes of the session and the device layers as
// modal QMessageBoxes with exactly the text, caption, buttons, icon and
// default button they ask for, each wide enough that its caption shows whole
// in the title bar. A box asked during a long operation accepts input (the
// busy scope is paused while it shows). GUI thread only.
#pragma once

#include <QPointer>
#include <QWidget>

#include "tool/device/Notifier.h"

namespace gantry::ui {

using namespace gantry::tool;

class CQtNotifier : public INotifier {
public:
    // Room a box keeps beside its caption for the title bar's icon and buttons.
    static constexpr int f_nTitleBarControlsWidth = 120;

    // Boxes are centred on `parent` (may be null, or set later).
    explicit CQtNotifier(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    NotifyAnswer Notify(const std::string& text, const std::string& caption, NotifyButtons buttons,
                        NotifyIcon icon, NotifyAnswer defaultAnswer) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace gantry::ui
