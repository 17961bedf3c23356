// What the session shows, asked by the panes, the window and the command
// line: the layout, the fields of the screens that depend on the gateway,
// whether controls and commands are enabled, the module pane's text. Reads
// the shared state only.
#pragma once

#include <string>

#include "tool/session/ScreenLayout.h"
#include "tool/session/SessionState.h"

namespace gantry::tool {

// The frame's commands whose availability depends on the session.
enum class SessionCommand {
    Connect,
    OfflineConfiguration,
    RefreshDeviceStatus,
    Upload,
    Download,
    ClearErrorStatus,
    FlashUpdate,
    AddIoPoint,
    EditIoPoint,  // also remove and remove all
};

class SessionPresentation {
public:
    explicit SessionPresentation(const SessionState& state) : m_s(state) {}

    const ScreenLayout& Layout() const { return m_s.layout; }
    int LayoutHeight() const { return m_s.layout.height; }
    J1939Fields J1939ScreenFields() const;
    DeviceNetFields DeviceNetScreenFields() const;
    ModbusFields ModbusScreenFields() const;
    // Editable controls are enabled only while the module is present.
    bool ControlsEnabled() const { return m_s.device.IsPresent(); }
    // "OFFLINE", "ONLINE" or "NO MODULE".
    std::string ModulePaneText() const;
    bool IsCommandEnabled(SessionCommand command, bool ioListFocused = false) const;

private:
    const SessionState& m_s;
};

}  // namespace gantry::tool
