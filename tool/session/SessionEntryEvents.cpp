// The entry events of the screens' number entries, lists and dialogs: each
// takes its value into the records or shows the model's refusal, and tells
// the screens that follow from the change.
#include "tool/session/ConfigurationSession.h"

namespace gantry::tool {

std::optional<Refusal> ConfigurationSession::CommitIoSizeEntry(const std::string& text) {
    const EntryReading reading = ReadIoSizeEntry(text);
    if (reading.refusal) {
        Show(*reading.refusal);
        return reading.refusal;
    }
    m_config.ethernet.ioSize = *reading.value;
    ShowTableCheck(m_config.UpdateLimits());
    Listener().ScreensChanged({ScreenKind::Ethernet, ScreenKind::J1939IoLists});
    return std::nullopt;
}

std::optional<Refusal> ConfigurationSession::CommitAddressEntry(Field field,
                                                                const std::string& text) {
    const AddressReading reading = ReadAddressEntry(field, text);
    if (reading.refusal) {
        Show(*reading.refusal);
        return reading.refusal;
    }
    SetAddress(field, *reading.value);
    return std::nullopt;
}

void ConfigurationSession::SetAddress(Field field, const Ipv4Address& address) {
    EthernetSettings& e = m_config.ethernet;
    (field == Field::SubnetMask       ? e.subnetMask
     : field == Field::GatewayAddress ? e.gateway
                                      : e.ip) = address;
}

std::optional<Refusal> ConfigurationSession::CheckOfflineDetectionEntry(
    const OfflineDetectionEntry& entry) {
    const EntryReading reading = ReadOfflineDetectionEntry(entry.enabled, entry.text);
    if (reading.refusal) {
        Show(*reading.refusal);
        return reading.refusal;
    }
    m_config.j1939.offlineTimeMs = *reading.value;
    return std::nullopt;
}

void ConfigurationSession::SetOfflineDetectionEnabled(bool enabled) {
    m_config.j1939.SetOfflineDetectionEnabled(enabled);
    Listener().ScreensChanged({ScreenKind::J1939Settings});
}

void ConfigurationSession::SetModbusTimeoutEnabled(bool enabled) {
    if (!enabled) {
        m_config.ethernet.modbusTimeoutMs = 0;
        Listener().ScreensChanged({ScreenKind::Ethernet});
    }
}

void ConfigurationSession::SetChoice(Choice choice, std::uint32_t value) {
    ApplyChoice(m_config, choice, value);
}

void ConfigurationSession::SetStatusDataInInput(bool value) {
    m_config.j1939.statusInInput = value;
    if (m_config.serverType == IT_ProfibusSlave) {
        ShowTableCheck(m_config.UpdateLimits());
        Listener().ScreensChanged({ScreenKind::J1939IoLists});
    }
}

std::optional<Refusal> ConfigurationSession::AddNetworkAddress(const std::string& text) {
    std::optional<Refusal> refusal = AddNetworkAddressEntry(text, m_config.j1939);
    if (refusal) {
        Show(*refusal);
    } else {
        Listener().ScreensChanged({ScreenKind::J1939Settings});
    }
    return refusal;
}

std::optional<Refusal> ConfigurationSession::RemoveNetworkAddress(int selection) {
    std::optional<Refusal> refusal = RemoveFromAddressList(selection, m_config.j1939);
    if (refusal) {
        Show(*refusal);
    } else {
        Listener().ScreensChanged({ScreenKind::J1939Settings});
    }
    return refusal;
}

std::optional<Refusal> ConfigurationSession::ApplyJ1939NameEditor(CJ1939NameEditor& editor) {
    std::optional<Refusal> refusal = editor.Apply();
    if (refusal) {
        Show(*refusal);
    }
    return refusal;
}

void ConfigurationSession::SetJ1939Name(const J1939Name& name) {
    m_config.j1939.name = name;
    Listener().ScreensChanged({ScreenKind::J1939Settings});
}

}  // namespace gantry::tool
