#include "tool/session/SessionPresentation.h"

namespace gantry::tool {

J1939Fields SessionPresentation::J1939ScreenFields() const {
    return J1939FieldsOf(m_s.device.ClientType(), m_s.device.ServerType(), m_s.device.Revision());
}

DeviceNetFields SessionPresentation::DeviceNetScreenFields() const {
    return DeviceNetFieldsOf(m_s.device.ClientType(), m_s.device.ServerType(),
                             m_s.device.Revision());
}

ModbusFields SessionPresentation::ModbusScreenFields() const {
    return ModbusFieldsOf(m_s.layout.clientType, m_s.layout.serverType);
}

std::string SessionPresentation::ModulePaneText() const {
    if (m_s.gate.IsOffline()) {
        return "OFFLINE";
    }
    return m_s.device.IsPresent() ? "ONLINE" : "NO MODULE";
}

bool SessionPresentation::IsCommandEnabled(SessionCommand command, bool ioListFocused) const {
    const bool offline = m_s.gate.IsOffline();
    const bool present = m_s.device.IsPresent();
    const bool ioLists = present && m_s.layout.Shows(ScreenKind::J1939IoLists);
    switch (command) {
        case SessionCommand::Connect:
            return offline;
        case SessionCommand::OfflineConfiguration:
        case SessionCommand::RefreshDeviceStatus:
            return !offline;
        case SessionCommand::Upload:
        case SessionCommand::Download:
        case SessionCommand::ClearErrorStatus:
        case SessionCommand::FlashUpdate:
            return !offline && present;
        case SessionCommand::AddIoPoint:
            return ioLists;
        case SessionCommand::EditIoPoint:
            return ioLists && ioListFocused;
    }
    return false;
}

}  // namespace gantry::tool
