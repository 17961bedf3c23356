// The configuration session: what the main frame does with the gateway, with
// no window. The one object the desktop frame and the command line hold; it
// forwards each call to the unit of its role, all over one shared state
// (SessionState: the request gate, the device accessor, the configuration
// records, the frame's memory):
//   DeviceProcedures     the start, Refresh Device Status, Upload, Download,
//                        Clear Error Status, run mode, Offline Configuration,
//                        Connect
//   SessionDocument      modified or not, its file, New, Open, Save
//   EntryEvents          the screens' entries, lists and dialogs
//   SessionPresentation  which screens, fields and commands are shown
//   SessionScreens       the layout and screens following the pair
// The contracts are the units'. The front ends only draw what the session
// reports through ISessionListener.
//
// One thread: every call, and every callback, on the thread that created the
// session (the GUI thread or the command line's main thread). Message boxes go
// through the gate's INotifier.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "tool/session/DeviceProcedures.h"
#include "tool/session/DownloadReport.h"
#include "tool/session/EntryEvents.h"
#include "tool/session/SessionDocument.h"
#include "tool/session/SessionListener.h"
#include "tool/session/SessionPresentation.h"
#include "tool/session/SessionScreens.h"
#include "tool/session/SessionState.h"

namespace gantry::tool {

class ConfigurationSession {
public:
    // `responder` answers online requests (the RP1210 transport, or the
    // in-process simulator as a gateway; null: online requests fail). A null
    // notifier or clock takes the gate's defaults; a null listener reports to
    // nobody. All must outlive the session.
    explicit ConfigurationSession(std::unique_ptr<IDeviceResponder> responder,
                                  INotifier* notifier = nullptr, IClock* clock = nullptr,
                                  ISessionListener* listener = nullptr);
    ConfigurationSession(const ConfigurationSession&) = delete;
    ConfigurationSession& operator=(const ConfigurationSession&) = delete;

    void SetListener(ISessionListener* listener) { m_state.listener = listener; }

    // The device procedures (DeviceProcedures).
    void Start() { m_procedures.Start(); }
    bool StartOffline() { return m_procedures.StartOffline(); }
    void RefreshDeviceStatus() { m_procedures.RefreshDeviceStatus(); }
    bool Upload() { return m_procedures.Upload(); }
    DownloadReport Download(const ScreenEntries& entries = {}) {
        return m_procedures.Download(entries);
    }
    DownloadReport DownloadConfiguration(const CConfiguration& records) {
        return m_procedures.DownloadConfiguration(records);
    }
    void ClearErrorStatus() { m_procedures.ClearErrorStatus(); }
    void SelectRunMode(int runState) { m_procedures.SelectRunMode(runState); }
    void ReportRunState() { m_procedures.ReportRunState(); }
    void OfflineConfiguration() { m_procedures.OfflineConfiguration(); }
    void Connect() { m_procedures.Connect(); }
    // The download's backup and read-back check.
    CDownloadSafety& Safety() { return m_procedures.Safety(); }

    // The screens following the pair (SessionScreens).
    void MarkNotDetected() { m_screens.MarkNotDetected(); }
    void RefreshAllScreens() { m_screens.RefreshAllScreens(); }
    bool Relayout(int clientType, int serverType) {
        return m_screens.Relayout(clientType, serverType);
    }

    // The document (SessionDocument).
    bool NewConfiguration() { return m_document.NewConfiguration(); }
    OpenResult OpenConfiguration(std::span<const std::uint8_t> bytes) {
        return m_document.OpenConfiguration(bytes);
    }
    bool IsModified() const { return m_document.IsModified(); }
    const std::string& DocumentPath() const { return m_document.DocumentPath(); }
    std::string DocumentTitle() const { return m_document.DocumentTitle(); }
    bool SaveModified() { return m_document.SaveModified(); }
    bool NewDocument() { return m_document.NewDocument(); }
    bool OpenDocument(const std::string& path, bool* missing = nullptr) {
        return m_document.OpenDocument(path, missing);
    }
    bool SaveDocument(const std::string& path, const ScreenEntries& entries) {
        return m_document.SaveDocument(path, entries);
    }

    // Entry events of the screens (EntryEvents); each refusal is shown and returned.
    std::optional<Refusal> CommitIoSizeEntry(const std::string& text) {
        return m_entries.CommitIoSizeEntry(text);
    }
    std::optional<Refusal> CommitAddressEntry(Field field, const std::string& text) {
        return m_entries.CommitAddressEntry(field, text);
    }
    std::optional<Refusal> CheckOfflineDetectionEntry(const OfflineDetectionEntry& entry) {
        return m_entries.CheckOfflineDetectionEntry(entry);
    }
    void SetOfflineDetectionEnabled(bool enabled) { m_entries.SetOfflineDetectionEnabled(enabled); }
    void SetModbusTimeoutEnabled(bool enabled) { m_entries.SetModbusTimeoutEnabled(enabled); }
    void SetStatusDataInInput(bool value) { m_entries.SetStatusDataInInput(value); }
    std::optional<Refusal> AddNetworkAddress(const std::string& text) {
        return m_entries.AddNetworkAddress(text);
    }
    std::optional<Refusal> RemoveNetworkAddress(int selection) {
        return m_entries.RemoveNetworkAddress(selection);
    }
    std::optional<Refusal> ApplyJ1939NameEditor(CJ1939NameEditor& editor) {
        return m_entries.ApplyJ1939NameEditor(editor);
    }
    void SetJ1939Name(const J1939Name& name) { m_entries.SetJ1939Name(name); }
    void SetChoice(Choice choice, std::uint32_t value) { m_entries.SetChoice(choice, value); }
    void SetAddress(Field field, const Ipv4Address& address) {
        m_entries.SetAddress(field, address);
    }
    void IoTableEdited() { m_entries.IoTableEdited(); }

    // What is shown (SessionPresentation).
    const ScreenLayout& Layout() const { return m_presentation.Layout(); }
    int LayoutHeight() const { return m_presentation.LayoutHeight(); }
    J1939Fields J1939ScreenFields() const { return m_presentation.J1939ScreenFields(); }
    DeviceNetFields DeviceNetScreenFields() const { return m_presentation.DeviceNetScreenFields(); }
    ModbusFields ModbusScreenFields() const { return m_presentation.ModbusScreenFields(); }
    bool ControlsEnabled() const { return m_presentation.ControlsEnabled(); }
    std::string ModulePaneText() const { return m_presentation.ModulePaneText(); }
    bool IsCommandEnabled(SessionCommand command, bool ioListFocused = false) const {
        return m_presentation.IsCommandEnabled(command, ioListFocused);
    }

    // The state.
    bool IsOffline() const { return m_state.gate.IsOffline(); }
    int RunState() const { return m_state.device.GetRunState(); }
    int LastState() const { return m_state.lastState; }
    std::uint32_t LastSerial() const { return m_state.lastSerial; }
    const OfflineIdentity& OfflineProduct() const { return m_state.offline; }
    CRequestGate& Gate() { return m_state.gate; }
    CDevice& Device() { return m_state.device; }
    const CDevice& Device() const { return m_state.device; }
    // Hands the I/O table's progress to the listener (IoTableProgress).
    const IoProgress& TableProgress() const { return m_state.ioProgress; }
    // The gate and device, the I/O table's progress going to the listener:
    // what the readers of the gateway's configuration (GatewayReader) take.
    DeviceLink GatewayLink() { return m_state.Link(); }
    // The records as they stand. The panes and the command line read them and
    // change them only through the calls above, which apply the rules that
    // follow a change.
    const CConfiguration& Configuration() const { return m_state.config; }
    // The records to change: for the session's own units (tool/session) and
    // the set-up of tests, never for a front end.
    CConfiguration& EditConfiguration() { return m_state.config; }

private:
    SessionState m_state;
    SessionScreens m_screens{m_state};
    SessionDocument m_document{m_state, m_screens};
    EntryEvents m_entries{m_state};
    SessionPresentation m_presentation{m_state};
    DeviceProcedures m_procedures{m_state, m_screens, m_document};
};

}  // namespace gantry::tool
