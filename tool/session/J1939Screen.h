// What the J1939 settings pane shows, from the session's records and the
// identity the device holds: which optional controls are visible, whether the
// editable ones are enabled, and every text. Pure; the desktop pane draws it.
#pragma once

#include <string>
#include <vector>

#include "tool/session/ConfigurationSession.h"

namespace gantry::tool {

struct J1939ScreenView {
    bool enabled = false;  // module present (RunState 0 or 1)
    bool statusDataInInputShown = false;
    BaudRateList baudRates;  // hidden, or its items
    int baudSelection = -1;  // -1: no selection
    // Without a module the three texts are empty; offline, status and error
    // read "Offline" and "None" (nothing is read from the simulator).
    std::string status;                  // "Online" or "Offline" as the gateway reports
    std::string error;                   // "No Error" or "0x1F"
    std::string networkAddress;          // decimal, as last read
    std::string name;                    // 16 hexadecimal digits, byte 7 first
    std::vector<std::string> addresses;  // one "%d" line per address
    bool busOffReset = false;
    bool swapIo = false;
    bool statusInInput = false;
    bool offlineDetection = false;  // "Enable Offline Detection"
    std::string offlineTime;        // the time entry, in ms
};

J1939ScreenView J1939ScreenViewOf(const ConfigurationSession& session);

}  // namespace gantry::tool
