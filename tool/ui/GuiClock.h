// CGuiClock: the session's clock in the desktop tool. Every wait of a request
// (the 10 ms reply polls, the 500 ms connect pauses, the run-state polling)
// comes through Sleep, which first lets the window repaint and run its timers
// (user input goes to the busy scope's filter, which drops it but for the
// cancel of a read; outside a scope it waits) and then sleeps whatever
// is left of the duration. So the window stays alive while the GUI thread
// runs a long operation. GUI thread only.
#pragma once

#include "tool/device/RequestGate.h"

namespace gantry::ui {

using namespace gantry::tool;

class CGuiClock : public IClock {
public:
    void Sleep(std::chrono::milliseconds duration) override;
    std::chrono::milliseconds Now() override;
};

}  // namespace gantry::ui
