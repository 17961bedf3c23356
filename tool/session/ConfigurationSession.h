// The configuration session: what the main frame does with the gateway, with
// no window. It owns the request gate, the device accessor, the configuration
// records and the frame's memory (layout pair, last state, last serial), runs
// Refresh Device Status, Upload, Download, Clear Error Status, Offline
// Configuration, Connect and New in their order of effects, and answers which
// screens and fields are shown. The desktop frame and the command line only
// draw what it reports through ISessionListener.
//
// One thread: every call, and every callback, on the thread that created the
// session (the GUI thread or the command line's main thread). Message boxes go
// through the gate's INotifier.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tool/device/Device.h"
#include "tool/device/RequestGate.h"
#include "tool/model/ConfigFile.h"
#include "tool/model/Configuration.h"
#include "tool/model/DeviceSync.h"
#include "tool/session/EntryRules.h"
#include "tool/session/J1939NameEditor.h"
#include "tool/session/PaneChoices.h"
#include "tool/session/RecordTransfer.h"
#include "tool/session/ScreenEntries.h"
#include "tool/session/ScreenLayout.h"

namespace gantry::tool {

class CDownloadSafety;

// What the session reports. Every method has a default that does nothing (or
// gives the cautious answer), so a front end overrides only what it draws.
class ISessionListener {
public:
    virtual ~ISessionListener() = default;
    // The screens were destroyed and rebuilt for `layout`; `previousHeight` is
    // the old layout's height (0 before the first layout): the frame window
    // grows or shrinks by the difference.
    virtual void LayoutRebuilt(const ScreenLayout& layout, int previousHeight) {
        (void)layout;
        (void)previousHeight;
    }
    // These screens redraw from the session's records (and the status view
    // from the identity held in the device).
    virtual void ScreensChanged(const std::vector<ScreenKind>& screens) { (void)screens; }
    // Only the mode display changes: the same gateway went between Idle and Run.
    virtual void RunStateChanged(int runState) { (void)runState; }
    // The offline flag was switched.
    virtual void OfflineChanged(bool offline) { (void)offline; }
    // The Save As dialog, asked when the save-changes question is answered
    // Yes for a document that has no file yet: the path chosen, or nothing for
    // Cancel (which cancels the new document too).
    virtual std::optional<std::string> ChooseSavePath(const std::string& title) {
        (void)title;
        return std::nullopt;
    }
    // The texts the user left in the screens' number entries, which a save
    // takes as they are.
    virtual ScreenEntries CurrentEntries() { return {}; }
    // The new-module dialog: the items in order, item 0 selected. The chosen
    // index, or nothing for Cancel.
    virtual std::optional<int> ChooseProduct(const std::vector<std::string>& items) {
        (void)items;
        return std::nullopt;
    }
    // The user cancelled a read (Refresh Device Status, Upload, the start):
    // it stopped between two requests and every screen shows again what it
    // showed before; the gateway is not taken for lost.
    virtual void ReadCancelled() {}
    // The I/O table's transfer (upload, download, a read of the gateway's
    // configuration): point 0 of `total` when the entry count is known, then
    // point k of `total` after each point's request.
    virtual void IoTableProgress(int point, int total) {
        (void)point;
        (void)total;
    }
};

enum class DownloadOutcome {
    Declined,     // the caution question was not answered Yes
    NoModule,     // no working gateway when the download began
    Refused,      // a screen refused its entries: nothing was written
    NotBackedUp,  // the gateway's configuration could not be backed up: nothing was written
    Written,      // the records were written and one Save sent
};

struct DownloadReport {
    DownloadOutcome outcome = DownloadOutcome::Declined;
    std::vector<Refusal> refusals;   // every message shown, in order
    int saveClass = -1;              // the class that got the Save, -1 none
    bool moduleAbsentAfter = false;  // the final run-state read found no module
    // Written: every write sent and those the gateway refused or left
    // unanswered; when any failed, one warning (caption "Configuration
    // Download") named them.
    WriteLog writes;
    // A write went unanswered or the final run-state read found no module.
    bool gatewayLost = false;
    bool Complete() const { return outcome == DownloadOutcome::Written && writes.failed.empty(); }
};

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

// The text and caption of the download's caution question.
inline constexpr const char* f_szDownloadCaution =
    "CAUTION!\n\nDownloading the configuration may cause the device to reset\nor active "
    "connections to be interrupted.\n\nDo you wish to continue?";
inline constexpr const char* f_szDownloadCaption = "Configuration Download";
// The caption of the document's messages, and the save-changes question.
inline constexpr const char* f_szAppCaption = "GYConfig";
inline constexpr const char* f_szUntitled = "Untitled";
std::string SaveChangesQuestion(const std::string& document);

// The new-module dialog's items: each known combination's name and, in
// parentheses, the catalogue numbers of the gateway models it covers.
std::vector<std::string> NewModuleItems();

class ConfigurationSession {
public:
    // `responder` answers online requests (the RP1210 transport, or the
    // in-process simulator as a gateway; null: online requests fail). A null
    // notifier or clock takes the gate's defaults; a null listener reports to
    // nobody. All must outlive the session.
    explicit ConfigurationSession(std::unique_ptr<IDeviceResponder> responder,
                                  INotifier* notifier = nullptr, IClock* clock = nullptr,
                                  ISessionListener* listener = nullptr);
    ~ConfigurationSession();
    ConfigurationSession(const ConfigurationSession&) = delete;
    ConfigurationSession& operator=(const ConfigurationSession&) = delete;

    void SetListener(ISessionListener* listener);

    // The frame's first layout (status view alone), then Refresh Device Status.
    // Started offline (StartOffline) without a simulated gateway, the product
    // is chosen first (the new-module dialog).
    void Start();
    // Before Start: the tool starts offline with the gateway GYSim.ini
    // describes (its product and revision), as the command line's --offline.
    // false when the profile gives none: Start then asks for the product.
    bool StartOffline();

    // Refresh Device Status, Upload and Start are reads the user may cancel
    // (Gate().RequestCancel()): they stop between two requests, the records,
    // document, identity and layout are put back as they were, and the
    // listener hears ReadCancelled.
    //
    // Reads the run state (connecting when needed). No module: every screen
    // shows the absence. The same gateway (same non-zero serial number) that
    // only went between Idle and Run: the mode display and the error, read
    // again. Anything else: Upload.
    void RefreshDeviceStatus();
    // A modified document first asks the save-changes question (Cancel: false,
    // nothing read). Reads the identity, rebuilds the screens for a new pair
    // (then starts a new document) and reads every record the pair has and the
    // I/O table. Returns whether the screens were rebuilt.
    bool Upload();
    // Asks the caution question, reads the run state, validates every screen
    // of the layout (`entries`: texts the user left in the number entries), and
    // writes the records followed by one Save. Each refusal is shown. Before
    // the first write the gateway's configuration is backed up, after the
    // last request the records are read back (Safety()).
    DownloadReport Download(const ScreenEntries& entries = {});
    // The download of a file's records (the command line's): the records take
    // the file's values and this gateway's revision-dependent limits and
    // lists, then Download runs. The file's pair is the gateway's.
    DownloadReport DownloadConfiguration(const CConfiguration& records);
    // Clears the gateway's major fault and reads it again; the status view redraws.
    void ClearErrorStatus();
    // The status view's mode list: 0 Idle or 1 Run; other values do nothing.
    void SelectRunMode(int runState);
    // Another unit's procedure changed the run state (the firmware update's
    // switch to Idle): the status view's mode display follows.
    void ReportRunState();
    // Switches to offline mode (when online): with no module, starts a new
    // document (the save question and product choice; Cancel changes
    // nothing, the tool stays online); else the gateway's identity becomes the
    // offline one and the screens read the simulator.
    void OfflineConfiguration();
    // Back online (when offline): RunState and last state 3, then Refresh
    // Device Status, which therefore uploads whatever gateway answers.
    void Connect();
    // File New. With no working gateway, or offline, the product is chosen
    // first (Cancel: false, nothing changed) and the tool goes offline; with a
    // working gateway the gateway's pair stays. The records the pair has take
    // their defaults; the I/O table is emptied.
    bool NewConfiguration();
    // A lost reply: RunState 3, last state 3, every screen shows the absence.
    // Runs once after a sequence that lost a reply, and for a lone request the
    // gate reports lost; front ends need not call it.
    void MarkNotDetected();
    // Every screen of the layout re-reads its values (status view, DeviceNet,
    // Modbus, enhanced Modbus, J1939 settings, I/O table, Ethernet).
    void RefreshAllScreens();
    // Rebuilds the screens when the pair differs from the layout's (and the
    // new layout is not the same status view alone); the layout pair is taken
    // in every case. Returns whether the screens were rebuilt.
    bool Relayout(int clientType, int serverType);
    // File Open of a configuration file's bytes. With a working gateway the
    // file's pair must be the gateway's ("Failed to open document."); a short
    // file is "Unexpected file format."; both change nothing (the frame shows
    // the message). Otherwise the tool goes offline with RunState 0, a new
    // pair becomes the offline identity and the screens are rebuilt for it,
    // and the records take the file's values.
    OpenResult OpenConfiguration(std::span<const std::uint8_t> bytes);

    // The document: the configuration records, modified when they differ from
    // what they were at the last New, Open, Save or Upload.
    bool IsModified() const;
    // The file the document was opened from or saved to; empty before.
    const std::string& DocumentPath() const { return m_documentPath; }
    // The file's name without its folder, or "Untitled".
    std::string DocumentTitle() const;
    // The save-changes question, asked before a new document replaces a
    // modified one (Yes / No / Cancel; Yes saves, through the Save As dialog
    // when the document has no file). true when the current document may be
    // replaced; false for Cancel or a failed save.
    bool SaveModified();
    // File New: the question, then NewConfiguration. false when the question
    // or the product choice was cancelled: nothing changed.
    bool NewDocument();
    // File Open: the question, then the file, opened by OpenConfiguration.
    // A file that cannot be read or opened is shown ("Failed to open
    // document.", "Unexpected file format.", then the path and why: not found,
    // a directory, the system's reason, another product than the gateway's)
    // and changes nothing. `missing` (when given) tells whether nothing was at
    // the path.
    bool OpenDocument(const std::string& path, bool* missing = nullptr);
    // File Save and Save As: the records take the entries' texts as they are
    // (saving never validates) and are written to `path` (replaced atomically);
    // the document then has that file and is unmodified. "Failed to save
    // document." when the file cannot be written.
    bool SaveDocument(const std::string& path, const ScreenEntries& entries);

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

    // What is shown.
    const ScreenLayout& Layout() const { return m_layout; }
    int LayoutHeight() const { return m_layout.height; }
    J1939Fields J1939ScreenFields() const;
    DeviceNetFields DeviceNetScreenFields() const;
    ModbusFields ModbusScreenFields() const;
    // Editable controls are enabled only while the module is present.
    bool ControlsEnabled() const { return m_device.IsPresent(); }
    // "OFFLINE", "ONLINE" or "NO MODULE".
    std::string ModulePaneText() const;
    bool IsCommandEnabled(SessionCommand command, bool ioListFocused = false) const;

    // The J1939 I/O lists changed the table (a point added, replaced or
    // removed): the lists redraw (the document is modified by the change).
    void IoTableEdited();

    // The state.
    bool IsOffline() const { return m_gate.IsOffline(); }
    int RunState() const { return m_device.GetRunState(); }
    int LastState() const { return m_lastState; }
    std::uint32_t LastSerial() const { return m_lastSerial; }
    const OfflineIdentity& OfflineProduct() const { return m_offline; }
    CRequestGate& Gate() { return m_gate; }
    // The download's backup and read-back check.
    CDownloadSafety& Safety() { return *m_safety; }
    CDevice& Device() { return m_device; }
    const CDevice& Device() const { return m_device; }
    // Hands the I/O table's progress to the listener (IoTableProgress).
    const IoProgress& TableProgress() const { return m_ioProgress; }
    // The records as they stand. The panes and the command line read them and
    // change them only through the calls above, which apply the rules that
    // follow a change.
    const CConfiguration& Configuration() const { return m_config; }
    // The records to change: for the session's own units (tool/session) and
    // the set-up of tests, never for a front end.
    CConfiguration& EditConfiguration() { return m_config; }

private:
    // What a cancelled read puts back.
    struct ReadSnapshot {
        CConfiguration config;
        CConfiguration snapshot;
        std::string documentPath;
        int lastState;
        std::uint32_t lastSerial;
        CDevice::Cache device;
        int layoutClient;
        int layoutServer;
    };
    // Runs `read` as one cancellable read (inside another, it is part of that
    // one); false when the user cancelled it.
    bool ReadCancellably(const std::function<void()>& read);
    // Runs `steps` as one request sequence (a refresh, an upload, a download):
    // a lost reply ends it. True when one did: the caller then runs
    // MarkNotDetected once.
    bool RunSequence(const std::function<void()>& steps);
    // The download's requests, from the run state to the Save.
    void DownloadInSequence(const ScreenEntries& entries, DownloadReport& report,
                            std::vector<RecordKind>& written);
    void PutBack(const ReadSnapshot& before);
    void RefreshStatus();
    bool UploadRecords();
    DeviceLink Link() { return DeviceLink{m_gate, m_device, nullptr, &m_ioProgress}; }
    ISessionListener& Listener() { return m_listener ? *m_listener : m_silent; }
    std::vector<ScreenKind> ShownScreens() const;
    // The records follow the layout pair and the identity's revision.
    void AlignConfigurationWithLayout();
    void ShowTableCheck(const TableCheck& check, std::vector<Refusal>* shown = nullptr);
    void Show(const Refusal& message);
    void ResetToDefaults();
    void TakeSnapshot() { m_snapshot = m_config; }
    // After the writes: tells which the gateway refused or left unanswered.
    void WarnAboutFailedWrites(DownloadReport& report);
    // A file that could not be opened or saved: the text names the path and why.
    void ShowFileFailure(const std::string& text);

    OfflineIdentity m_offline;
    CRequestGate m_gate;
    CDevice m_device;
    CConfiguration m_config;
    ISessionListener m_silent;
    ISessionListener* m_listener = nullptr;
    ScreenLayout m_layout;
    int m_lastState = RS_Unknown;
    std::uint32_t m_lastSerial = 0;
    CConfiguration m_snapshot;  // the records at the last New, Open, Save or Upload
    std::string m_documentPath;
    bool m_chooseOfflineProduct = false;  // started offline without a simulated gateway
    std::unique_ptr<CDownloadSafety> m_safety;
    IoProgress m_ioProgress;
};

}  // namespace gantry::tool
