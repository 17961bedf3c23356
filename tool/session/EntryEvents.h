// The entry events of the screens' number entries, lists and dialogs: each
// takes its value into the records or shows the model's refusal, and tells
// the screens that follow from the change.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tool/session/EntryRules.h"
#include "tool/session/J1939NameEditor.h"
#include "tool/session/PaneChoices.h"
#include "tool/session/SessionState.h"

namespace gantry::tool {

class EntryEvents {
public:
    explicit EntryEvents(SessionState& state) : m_s(state) {}

    // Entry events of the screens; each refusal is shown and returned.
    // Leaving "I/O Size:": valid text becomes the I/O size and the limits follow.
    std::optional<Refusal> CommitIoSizeEntry(const std::string& text);
    // Leaving an Ethernet address entry (Field::IpAddress, SubnetMask or
    // GatewayAddress): a valid text becomes the field's value; any other is
    // refused naming the field, and the record keeps its value.
    std::optional<Refusal> CommitAddressEntry(Field field, const std::string& text);
    // Leaving the offline detection time entry.
    std::optional<Refusal> CheckOfflineDetectionEntry(const OfflineDetectionEntry& entry);
    // "Enable Offline Detection" clicked: 1000 ms, or 0.
    void SetOfflineDetectionEnabled(bool enabled);
    // "Enable Modbus Timeout" clicked: unchecked, the timeout becomes 0 (the
    // switch is on exactly when the timeout is not 0); checked, the record is
    // unchanged and the screen enables its timeout entry.
    void SetModbusTimeoutEnabled(bool enabled);
    // "Status Data In Input" clicked; for server type 11 the limits follow.
    void SetStatusDataInInput(bool value);
    // "&Add" / "&Remove" of the J1939 network address list.
    std::optional<Refusal> AddNetworkAddress(const std::string& text);
    std::optional<Refusal> RemoveNetworkAddress(int selection);
    // The J1939 NAME dialog's "&Apply" and "&OK": the editor checks the group
    // edited last and recomputes the other; a refusal is shown and returned.
    std::optional<Refusal> ApplyJ1939NameEditor(CJ1939NameEditor& editor);
    // OK of the NAME dialog: the J1939 settings take the dialog's bytes.
    void SetJ1939Name(const J1939Name& name);
    // A list, box or number entry of a pane changed: its field takes `value`
    // (see Choice).
    void SetChoice(Choice choice, std::uint32_t value);
    // An Ethernet address (Field::IpAddress, SubnetMask or GatewayAddress)
    // taken as it stands, already read as valid.
    void SetAddress(Field field, const Ipv4Address& address);
    // The J1939 I/O lists changed the table (a point added, replaced or
    // removed): the lists redraw (the document is modified by the change).
    void IoTableEdited();

private:
    SessionState& m_s;
};

}  // namespace gantry::tool
