#include "tool/ui/GuiClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <thread>

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
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace gantry::ui
