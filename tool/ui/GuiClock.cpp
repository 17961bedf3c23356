#include "tool/ui/GuiClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <thread>

#include "common/Clock.h"
#include "tool/ui/BusyScope.h"

namespace gantry::ui {

void CGuiClock::Sleep(std::chrono::milliseconds duration) {
    // a long wait (the firmware update's reset pause) is cut into slices, the
    // window's events handled before each
    constexpr std::chrono::milliseconds f_slice{20};
    const std::chrono::milliseconds deadline = Now() + duration;
    for (;;) {
        if (QCoreApplication::instance() != nullptr) {
            // while the busy scope's filter stands, input is taken from the
            // queue and dropped there, all but the cancel of a read; else it waits
            QCoreApplication::processEvents(CBusyScope::IsSwallowingInput()
                                                ? QEventLoop::AllEvents
                                                : QEventLoop::ExcludeUserInputEvents);
        }
        const std::chrono::milliseconds left = deadline - Now();
        if (left.count() <= 0) {
            return;
        }
        std::this_thread::sleep_for(std::min(left, f_slice));
    }
}

std::chrono::milliseconds CGuiClock::Now() {
    return SystemClock().Now();
}

}  // namespace gantry::ui
