#include "tool/ui/QtNotifier.h"

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
