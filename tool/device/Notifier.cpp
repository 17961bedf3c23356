#include "tool/device/Notifier.h"

#include <cstdio>

namespace gantry::tool {

NotifyAnswer CStderrNotifier::Notify(const std::string& text, const std::string& caption,
                                     NotifyButtons buttons, NotifyIcon /*icon*/,
                                     NotifyAnswer /*defaultAnswer*/) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    // nobody can answer: the cautious choice
    switch (buttons) {
        case NotifyButtons::Ok:
            return NotifyAnswer::Ok;
        case NotifyButtons::YesNo:
            return NotifyAnswer::No;
        default:
            return NotifyAnswer::Cancel;
    }
}

}  // namespace gantry::tool
