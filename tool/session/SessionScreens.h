// The screens follow the gateway's pair and the records: the layout rebuilt
// for another pair, every screen read again, the absence of a gateway shown,
// the defaults of a new configuration.
#pragma once

#include "tool/session/SessionState.h"

namespace gantry::tool {

// Whether the pair needs other screens than `current` shows: a different
// pair, unless both are the status view alone.
bool RebuildsLayout(const ScreenLayout& current, int clientType, int serverType);

class SessionScreens {
public:
    explicit SessionScreens(SessionState& state) : m_s(state) {}

    // A lost reply: RunState 3, last state 3, every screen shows the absence.
    void MarkNotDetected();
    // Every screen of the layout re-reads its values (status view, DeviceNet,
    // Modbus, enhanced Modbus, J1939 settings, I/O table, Ethernet).
    void RefreshAllScreens();
    // Rebuilds the screens when the pair differs from the layout's (and the
    // new layout is not the same status view alone); the layout pair is taken
    // in every case. Returns whether the screens were rebuilt.
    bool Relayout(int clientType, int serverType);
    // The records the pair has take their defaults; the I/O table is emptied.
    void ResetToDefaults();

private:
    SessionState& m_s;
};

}  // namespace gantry::tool
