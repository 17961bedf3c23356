// Message boxes that the device layers raise. The desktop tool shows a modal
// box; tests record the call and answer it; the command line prints it.
#pragma once

#include <string>

namespace gantry::tool {

enum class NotifyButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class NotifyIcon { None, Error, Warning, Information, Question };
enum class NotifyAnswer { Ok, Cancel, Yes, No, Retry };

class INotifier {
public:
    virtual ~INotifier() = default;
    // Shows `text` under `caption` with the given buttons and icon and returns
    // the button the user chose. `defaultAnswer` is the button that Enter
    // chooses (the caution before a download defaults to No); Ok means the
    // first button of the set. Called on the gate's thread; may block.
    virtual NotifyAnswer Notify(const std::string& text, const std::string& caption,
                                NotifyButtons buttons, NotifyIcon icon,
                                NotifyAnswer defaultAnswer = NotifyAnswer::Ok) = 0;
};

// Writes "caption: text" to standard error and answers the cautious button
// (Ok alone, else No or Cancel); used when no notifier is given.
class CStderrNotifier : public INotifier {
public:
    NotifyAnswer Notify(const std::string& text, const std::string& caption, NotifyButtons buttons,
                        NotifyIcon icon, NotifyAnswer defaultAnswer) override;
};

}  // namespace gantry::tool
