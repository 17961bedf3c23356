#include "tool/ui/QtNotifier.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <vector>

#include "tool/ui/BusyScope.h"

namespace gantry::ui {

namespace {

struct ButtonOf {
    NotifyAnswer answer;
    QMessageBox::StandardButton button;
};

const ButtonOf f_buttons[] = {
    {NotifyAnswer::Ok, QMessageBox::Ok},       {NotifyAnswer::Cancel, QMessageBox::Cancel},
    {NotifyAnswer::Yes, QMessageBox::Yes},     {NotifyAnswer::No, QMessageBox::No},
    {NotifyAnswer::Retry, QMessageBox::Retry},
};

std::vector<NotifyAnswer> AnswersOf(NotifyButtons buttons) {
    switch (buttons) {
        case NotifyButtons::OkCancel:
            return {NotifyAnswer::Ok, NotifyAnswer::Cancel};
        case NotifyButtons::YesNo:
            return {NotifyAnswer::Yes, NotifyAnswer::No};
        case NotifyButtons::YesNoCancel:
            return {NotifyAnswer::Yes, NotifyAnswer::No, NotifyAnswer::Cancel};
        case NotifyButtons::RetryCancel:
            return {NotifyAnswer::Retry, NotifyAnswer::Cancel};
        case NotifyButtons::Ok:
            break;
    }
    return {NotifyAnswer::Ok};
}

QMessageBox::StandardButton ButtonFor(NotifyAnswer answer) {
    for (const ButtonOf& entry : f_buttons) {
        if (entry.answer == answer) {
            return entry.button;
        }
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon IconFor(NotifyIcon icon) {
    switch (icon) {
        case NotifyIcon::Error:
            return QMessageBox::Critical;
        case NotifyIcon::Warning:
            return QMessageBox::Warning;
        case NotifyIcon::Information:
            return QMessageBox::Information;
        case NotifyIcon::Question:
            return QMessageBox::Question;
        case NotifyIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// A box is as wide as its text needs; a short text under a longer caption
// would leave the window manager too little title bar, which it cuts to
// "In...". A spacer row keeps room for the caption in a bold title font plus
// the title bar's icon and buttons.
void KeepCaptionWhole(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) {
        return;
    }
    QFont title = box.font();
    title.setBold(true);
    const int width = QFontMetrics(title).horizontalAdvance(box.windowTitle()) +
                      CQtNotifier::f_nTitleBarControlsWidth;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

NotifyAnswer CQtNotifier::Notify(const std::string& text, const std::string& caption,
                                 NotifyButtons buttons, NotifyIcon icon,
                                 NotifyAnswer defaultAnswer) {
    const std::vector<NotifyAnswer> answers = AnswersOf(buttons);
    QMessageBox box(IconFor(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, m_parent);
    for (NotifyAnswer answer : answers) {
        box.addButton(ButtonFor(answer));
    }
    // Ok as the default means the first button of the set
    bool known = false;
    for (NotifyAnswer answer : answers) {
        known = known || answer == defaultAnswer;
    }
    box.setDefaultButton(ButtonFor(known ? defaultAnswer : answers.front()));
    KeepCaptionWhole(box);
    CBusyScope::Pause pause;
    const int chosen = box.exec();
    for (const ButtonOf& entry : f_buttons) {
        if (entry.button == chosen) {
            return entry.answer;
        }
    }
    // closed without a button: the escape answer of the set
    return answers.size() == 1 ? answers.front() : answers.back();
}

}  // namespace gantry::ui
