#include "tool/ui/GuiClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <thread>

#include "common/Clock.h"

namespace gantry::ui {

void CGuiClock::Sleep(std::chrono::milliseconds duration) {
    const std::chrono::milliseconds deadline = Now() + duration;
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents,
                                        static_cast<int>(duration.count()));
    }
    const std::chrono::milliseconds left = deadline - Now();
    if (left.count() > 0) {
        std::this_thread::sleep_for(left);
    }
}

std::chrono::milliseconds CGuiClock::Now() {
    return SystemClock().Now();
}

}  // namespace gantry::ui
