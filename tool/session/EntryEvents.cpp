// The entry events: each takes its value into the records or shows the
// model's refusal, and tells the screens that follow from the change.
#include "tool/session/EntryEvents.h"

#include "tool/device/ProductCatalogue.h"

namespace gantry::tool {

std::optional<Refusal> EntryEvents::CommitIoSizeEntry(const std::string& text) {
    const EntryReading reading = ReadIoSizeEntry(text);
    if (reading.refusal) {
        m_s.Show(*reading.refusal);
        return reading.refusal;
    }
    m_s.config.ethernet.ioSize = *reading.value;
    m_s.ShowTableCheck(m_s.config.UpdateLimits());
    m_s.Listener().ScreensChanged({ScreenKind::Ethernet, ScreenKind::J1939IoLists});
    return std::nullopt;
}

std::optional<Refusal> EntryEvents::CommitAddressEntry(Field field, const std::string& text) {
    const AddressReading reading = ReadAddressEntry(field, text);
    if (reading.refusal) {
        m_s.Show(*reading.refusal);
        return reading.refusal;
    }
    SetAddress(field, *reading.value);
    return std::nullopt;
}

void EntryEvents::SetAddress(Field field, const Ipv4Address& address) {
    EthernetSettings& e = m_s.config.ethernet;
    (field == Field::SubnetMask       ? e.subnetMask
     : field == Field::GatewayAddress ? e.gateway
                                      : e.ip) = address;
}

std::optional<Refusal> EntryEvents::CheckOfflineDetectionEntry(const OfflineDetectionEntry& entry) {
    const EntryReading reading = ReadOfflineDetectionEntry(entry.enabled, entry.text);
    if (reading.refusal) {
        m_s.Show(*reading.refusal);
        return reading.refusal;
    }
    m_s.config.j1939.offlineTimeMs = *reading.value;
    return std::nullopt;
}

void EntryEvents::SetOfflineDetectionEnabled(bool enabled) {
    m_s.config.j1939.SetOfflineDetectionEnabled(enabled);
    m_s.Listener().ScreensChanged({ScreenKind::J1939Settings});
}

void EntryEvents::SetModbusTimeoutEnabled(bool enabled) {
    if (!enabled) {
        m_s.config.ethernet.modbusTimeoutMs = 0;
        m_s.Listener().ScreensChanged({ScreenKind::Ethernet});
    }
}

void EntryEvents::SetChoice(Choice choice, std::uint32_t value) {
    ApplyChoice(m_s.config, choice, value);
}

void EntryEvents::SetStatusDataInInput(bool value) {
    m_s.config.j1939.statusInInput = value;
    if (m_s.config.serverType == IT_ProfibusSlave) {
        m_s.ShowTableCheck(m_s.config.UpdateLimits());
        m_s.Listener().ScreensChanged({ScreenKind::J1939IoLists});
    }
}

std::optional<Refusal> EntryEvents::AddNetworkAddress(const std::string& text) {
    std::optional<Refusal> refusal = AddNetworkAddressEntry(text, m_s.config.j1939);
    if (refusal) {
        m_s.Show(*refusal);
    } else {
        m_s.Listener().ScreensChanged({ScreenKind::J1939Settings});
    }
    return refusal;
}

std::optional<Refusal> EntryEvents::RemoveNetworkAddress(int selection) {
    std::optional<Refusal> refusal = RemoveFromAddressList(selection, m_s.config.j1939);
    if (refusal) {
        m_s.Show(*refusal);
    } else {
        m_s.Listener().ScreensChanged({ScreenKind::J1939Settings});
    }
    return refusal;
}

std::optional<Refusal> EntryEvents::ApplyJ1939NameEditor(CJ1939NameEditor& editor) {
    std::optional<Refusal> refusal = editor.Apply();
    if (refusal) {
        m_s.Show(*refusal);
    }
    return refusal;
}

void EntryEvents::SetJ1939Name(const J1939Name& name) {
    m_s.config.j1939.name = name;
    m_s.Listener().ScreensChanged({ScreenKind::J1939Settings});
}

void EntryEvents::IoTableEdited() {
    m_s.Listener().ScreensChanged({ScreenKind::J1939IoLists});
}

}  // namespace gantry::tool
