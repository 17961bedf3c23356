#include "tool/session/ConfigurationSession.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "common/AtomicFile.h"

namespace gantry::tool {

namespace {

// Catalogue numbers of the gateway models each known combination covers, in
// the order of the known combinations.
const char* const f_catalogueNumbers[kKnownProductCount] = {
    "GY-EDN1, GY-EDN2", "GY-PDN1", "GY-JMB1, GY-JMB2", "GY-EJ1", "GY-PJ1, GY-PJ2",
};

bool ValidPair(int clientType, int serverType) {
    return clientType >= 0 && serverType >= 0;
}

RecordSet RecordsOfLayout(const ScreenLayout& layout) {
    if (!ValidPair(layout.clientType, layout.serverType)) {
        return RecordSet{};
    }
    return RecordsOfPair(static_cast<std::uint32_t>(layout.clientType),
                         static_cast<std::uint32_t>(layout.serverType));
}

// A whole-table message puts the focus on the I/O lists.
Refusal OfTable(Refusal message) {
    message.field = Field::IoTable;
    return message;
}

// Whether the pair needs other screens than `current` shows: a different
// pair, unless both are the status view alone.
bool RebuildsLayout(const ScreenLayout& current, int clientType, int serverType) {
    const bool samePair = clientType == current.clientType && serverType == current.serverType;
    return !samePair &&
           !(LayoutOfPair(clientType, serverType).IsSingleScreen() && current.IsSingleScreen());
}

}  // namespace

std::vector<std::string> NewModuleItems() {
    std::vector<std::string> items;
    for (int i = 0; i < kKnownProductCount; ++i) {
        items.push_back(ProductCombinationForIndex(i).name + " (" + f_catalogueNumbers[i] + ")");
    }
    return items;
}

ConfigurationSession::ConfigurationSession(std::unique_ptr<IDeviceResponder> responder,
                                           INotifier* notifier, IClock* clock,
                                           ISessionListener* listener)
    : m_gate(std::move(responder), notifier, clock),
      m_device(m_gate, m_offline),
      m_listener(listener) {
    m_gate.SetDeviceLostHandler([this] { MarkNotDetected(); });
    TakeSnapshot();  // the first document asks nothing and keeps the records as built
}

void ConfigurationSession::SetListener(ISessionListener* listener) {
    m_listener = listener;
}

void ConfigurationSession::Start() {
    m_layout = LayoutOfPair(-1, -1);
    Listener().LayoutRebuilt(m_layout, 0);
    RefreshDeviceStatus();
}

void ConfigurationSession::RefreshDeviceStatus() {
    const int state = m_device.ReadRunState();
    if (!IsModulePresent(state)) {
        RefreshAllScreens();
    } else {
        const std::uint32_t serial = m_device.ReadSerialNumber();
        if (serial != 0 && serial == m_lastSerial) {
            if (m_lastState == RS_Faulted || m_lastState == RS_NotDetected ||
                state == m_lastState) {
                Upload();
            } else {
                Listener().RunStateChanged(state);  // the same gateway went between Idle and Run
            }
        } else {
            Upload();
        }
    }
    // a reply lost during this refresh leaves the screens blank: the last
    // state stays "not detected" so that the gateway's return, in whatever
    // mode, is uploaded in full instead of only changing the mode display
    m_lastState = m_device.GetRunState() == RS_NotDetected ? RS_NotDetected : state;
}

bool ConfigurationSession::Upload() {
    m_device.RefreshIdentity();
    const int state = m_device.GetRunState();
    m_lastSerial = m_device.SerialNumber();
    m_lastState = state;
    const bool present = IsModulePresent(state);
    // the save-changes question comes before the records take the new pair:
    // an untouched document asks nothing, and a saved one keeps its own pair
    const bool replace = present &&
                         RebuildsLayout(m_layout, m_device.ClientType(), m_device.ServerType()) &&
                         SaveModified();
    const bool rebuilt = present && Relayout(m_device.ClientType(), m_device.ServerType());
    if (rebuilt && replace) {
        ResetToDefaults();
        m_documentPath.clear();
    }
    // new screens read the gateway on their first display, kept screens now
    RefreshAllScreens();
    TakeSnapshot();
    return rebuilt;
}

DownloadReport ConfigurationSession::Download(const ScreenEntries& entries) {
    DownloadReport report;
    const NotifyAnswer answer =
        m_gate.Notifier().Notify(f_szDownloadCaution, f_szDownloadCaption, NotifyButtons::YesNo,
                                 NotifyIcon::Warning, NotifyAnswer::No);
    if (answer != NotifyAnswer::Yes) {
        return report;
    }
    if (!IsModulePresent(m_device.ReadRunState())) {
        RefreshAllScreens();
        report.outcome = DownloadOutcome::NoModule;
        report.moduleAbsentAfter = true;
        return report;
    }
    AlignConfigurationWithLayout();
    if (!ValidateForDownload(entries, report.refusals)) {
        report.outcome = DownloadOutcome::Refused;
        return report;
    }
    if (ValidPair(m_layout.clientType, m_layout.serverType)) {
        TransferResult result = DownloadRecords(Link(), RecordsOfLayout(m_layout), m_config);
        report.saveClass = result.saveClass;
        report.writes = std::move(result.writes);
    }
    report.outcome = DownloadOutcome::Written;
    const int state = m_device.ReadRunState();
    if (!IsModulePresent(state)) {
        RefreshAllScreens();
        report.moduleAbsentAfter = true;
    }
    Listener().RunStateChanged(state);
    WarnAboutFailedWrites(report);
    return report;
}

void ConfigurationSession::WarnAboutFailedWrites(DownloadReport& report) {
    const auto& failed = report.writes.failed;
    report.gatewayLost =
        report.moduleAbsentAfter ||
        std::any_of(failed.begin(), failed.end(), [](const FailedWrite& w) { return !w.answered; });
    if (!failed.empty()) {
        m_gate.Notifier().Notify(DescribeFailedWrites(report.writes, report.gatewayLost),
                                 f_szDownloadCaption, NotifyButtons::Ok, NotifyIcon::Warning);
    }
}

void ConfigurationSession::ClearErrorStatus() {
    m_device.ClearMajorFault();
    m_gate.Clock().Sleep(std::chrono::milliseconds(1));
    Listener().ScreensChanged({ScreenKind::StatusView});
}

void ConfigurationSession::SelectRunMode(int runState) {
    if (runState != RS_Idle && runState != RS_Run) {
        return;  // "Faulted" and "Not Detected" are shown, not chosen
    }
    m_device.SetRunState(runState);
    Listener().RunStateChanged(m_device.GetRunState());
}

void ConfigurationSession::OfflineConfiguration() {
    if (m_gate.IsOffline()) {
        return;
    }
    const bool present = m_device.IsPresent();
    m_gate.SetOffline(true);
    Listener().OfflineChanged(true);
    if (!present) {
        NewDocument();
        return;
    }
    m_offline.product = ProductCombination{m_device.ProductName(), m_device.Revision(),
                                           m_device.ClientType(), m_device.ServerType()};
    m_offline.attribute100 = m_device.Attribute100();
    m_device.RefreshIdentity();
    Relayout(m_device.ClientType(), m_device.ServerType());
    RefreshAllScreens();
}

void ConfigurationSession::Connect() {
    if (!m_gate.IsOffline()) {
        return;
    }
    m_gate.SetOffline(false);
    Listener().OfflineChanged(false);
    // as after a lost reply: whatever the gateway answers now is uploaded in
    // full, so no screen keeps what the simulator showed
    m_device.MarkNotDetected();
    m_lastState = RS_NotDetected;
    RefreshDeviceStatus();
}

bool ConfigurationSession::NewConfiguration() {
    if (!m_device.IsPresent() || m_gate.IsOffline()) {
        const std::optional<int> choice = Listener().ChooseProduct(NewModuleItems());
        if (!choice || *choice < 0 || *choice >= kKnownProductCount) {
            return false;  // Cancel: nothing changes
        }
        const bool wasOffline = m_gate.IsOffline();
        m_gate.SetOffline(true);
        m_device.ReadRunState();  // offline: Idle, nothing sent
        if (!wasOffline) {
            Listener().OfflineChanged(true);
        }
        m_offline.product = ProductCombinationForIndex(*choice);
        if (m_offline.product.clientType != m_device.ClientType() ||
            m_offline.product.serverType != m_device.ServerType()) {
            m_device.RefreshIdentity();
        }
        Relayout(m_device.ClientType(), m_device.ServerType());
    }
    ResetToDefaults();
    return true;
}

OpenResult ConfigurationSession::OpenConfiguration(std::span<const std::uint8_t> bytes) {
    OpenEnvironment environment{m_device.GetRunState(), m_gate.IsOffline(), m_device.ClientType(),
                                m_device.ServerType(), m_device.Revision()};
    const OpenResult result = OpenConfigFile(bytes, environment, m_config);
    if (!result.opened) {
        return result;
    }
    if (environment.offline && !m_gate.IsOffline()) {
        m_gate.SetOffline(true);
        Listener().OfflineChanged(true);
    }
    if (m_gate.IsOffline()) {
        m_device.ReadRunState();  // offline: Idle, nothing sent
    }
    if (result.pairChanged) {
        m_offline.product =
            LookupProductCombination(environment.clientType, environment.serverType);
        m_device.RefreshIdentity();
    }
    Relayout(m_device.ClientType(), m_device.ServerType());
    ShowTableCheck(result.tableCheck);
    Listener().ScreensChanged(ShownScreens());
    return result;
}

std::string SaveChangesQuestion(const std::string& document) {
    return "Save changes to " + document + "?";
}

bool ConfigurationSession::IsModified() const {
    return !m_config.SameStoredValues(m_snapshot);
}

std::string ConfigurationSession::DocumentTitle() const {
    if (m_documentPath.empty()) {
        return f_szUntitled;
    }
    return std::filesystem::path(m_documentPath).filename().string();
}

bool ConfigurationSession::SaveModified() {
    if (!IsModified()) {
        return true;
    }
    const std::string name = m_documentPath.empty() ? DocumentTitle() : m_documentPath;
    const NotifyAnswer answer =
        m_gate.Notifier().Notify(SaveChangesQuestion(name), f_szAppCaption,
                                 NotifyButtons::YesNoCancel, NotifyIcon::Question);
    if (answer == NotifyAnswer::No) {
        return true;
    }
    if (answer != NotifyAnswer::Yes) {
        return false;
    }
    std::optional<std::string> path = m_documentPath;
    if (path->empty()) {
        path = Listener().ChooseSavePath(DocumentTitle());
        if (!path) {
            return false;
        }
    }
    return SaveDocument(*path, Listener().CurrentEntries());
}

bool ConfigurationSession::NewDocument() {
    if (!SaveModified() || !NewConfiguration()) {
        return false;
    }
    m_documentPath.clear();
    TakeSnapshot();
    return true;
}

bool ConfigurationSession::OpenDocument(const std::string& path) {
    if (!SaveModified()) {
        return false;
    }
    const std::optional<std::vector<std::uint8_t>> bytes = ReadFileContents(path);
    if (!bytes) {
        m_gate.Notifier().Notify(f_szFailedToOpenDocument, f_szAppCaption, NotifyButtons::Ok,
                                 NotifyIcon::Warning);
        return false;
    }
    const OpenResult result = OpenConfiguration(*bytes);
    if (!result.opened) {
        m_gate.Notifier().Notify(result.message, f_szAppCaption, NotifyButtons::Ok,
                                 NotifyIcon::Warning);
        return false;
    }
    m_documentPath = path;
    TakeSnapshot();
    return true;
}

bool ConfigurationSession::SaveDocument(const std::string& path, const ScreenEntries& entries) {
    TakeEntriesAsTheyAre(entries);
    const std::vector<std::uint8_t> bytes =
        WriteConfigFile(m_config, static_cast<std::uint32_t>(m_device.GetRunState()));
    std::string error;
    if (!WriteFileAtomically(path, bytes, error)) {
        m_gate.Notifier().Notify(std::string(f_szFailedToSaveDocument) + "\n" + error,
                                 f_szAppCaption, NotifyButtons::Ok, NotifyIcon::Warning);
        return false;
    }
    m_documentPath = path;
    TakeSnapshot();
    return true;
}

namespace {

// What a number entry holds when nobody judges it: the leading number of the
// text, nothing when it has none or it is negative (an unsigned field would
// wrap it to a huge value); numbers past 32 bits are cut to the largest.
std::optional<std::uint32_t> EntryNumberAsItIs(const std::string& text, int radix) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const long long value = std::strtoll(begin, &end, radix);
    if (end == begin || value < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(std::min<long long>(value, 0xFFFFFFFFll));
}

}  // namespace

void ConfigurationSession::TakeEntriesAsTheyAre(const ScreenEntries& entries) {
    if (entries.macAddress) {
        m_config.deviceNet.macAddress = *ReadMacAddressEntry(*entries.macAddress).value;
    }
    if (entries.modbusNetworkAddress) {
        m_config.modbus.networkAddress =
            *ReadNetworkAddressEntry(*entries.modbusNetworkAddress).value;
    }
    if (entries.enhancedModbusNetworkAddress) {
        m_config.modbusEnhanced.networkAddress =
            *ReadNetworkAddressEntry(*entries.enhancedModbusNetworkAddress).value;
    }
    if (entries.ioSize) {
        if (auto size = EntryNumberAsItIs(*entries.ioSize, 10)) {
            m_config.ethernet.ioSize = *size;
        }
    }
    if (entries.offlineDetection) {
        const OfflineDetectionEntry& entry = *entries.offlineDetection;
        const std::optional<std::uint32_t> time =
            entry.enabled ? EntryNumberAsItIs(entry.text, 10) : std::optional<std::uint32_t>(0);
        if (time) {
            m_config.j1939.offlineTimeMs = *time;
        }
    }
}

void ConfigurationSession::MarkNotDetected() {
    m_device.MarkNotDetected();
    m_lastState = RS_NotDetected;
    RefreshAllScreens();
}

void ConfigurationSession::RefreshAllScreens() {
    AlignConfigurationWithLayout();
    RefreshRecords(Link(), RecordsOfLayout(m_layout), m_config);
    if (m_device.IsPresent()) {
        ShowTableCheck(m_config.UpdateLimits());
    }
    Listener().ScreensChanged(ShownScreens());
}

bool ConfigurationSession::Relayout(int clientType, int serverType) {
    const ScreenLayout next = LayoutOfPair(clientType, serverType);
    const bool rebuild = RebuildsLayout(m_layout, clientType, serverType);
    if (rebuild) {
        const int previousHeight = m_layout.height;
        m_layout = next;
        Listener().LayoutRebuilt(m_layout, previousHeight);
    } else {
        m_layout.clientType = clientType;
        m_layout.serverType = serverType;
    }
    AlignConfigurationWithLayout();
    return rebuild;
}

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

void ConfigurationSession::ReportRunState() {
    Listener().RunStateChanged(m_device.GetRunState());
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

void ConfigurationSession::IoTableEdited() {
    Listener().ScreensChanged({ScreenKind::J1939IoLists});
}

J1939Fields ConfigurationSession::J1939ScreenFields() const {
    return J1939FieldsOf(m_device.ClientType(), m_device.ServerType(), m_device.Revision());
}

DeviceNetFields ConfigurationSession::DeviceNetScreenFields() const {
    return DeviceNetFieldsOf(m_device.ClientType(), m_device.ServerType(), m_device.Revision());
}

ModbusFields ConfigurationSession::ModbusScreenFields() const {
    return ModbusFieldsOf(m_layout.clientType, m_layout.serverType);
}

std::string ConfigurationSession::ModulePaneText() const {
    if (m_gate.IsOffline()) {
        return "OFFLINE";
    }
    return m_device.IsPresent() ? "ONLINE" : "NO MODULE";
}

bool ConfigurationSession::IsCommandEnabled(SessionCommand command, bool ioListFocused) const {
    const bool offline = m_gate.IsOffline();
    const bool present = m_device.IsPresent();
    const bool ioLists = present && m_layout.Shows(ScreenKind::J1939IoLists);
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

std::vector<ScreenKind> ConfigurationSession::ShownScreens() const {
    std::vector<ScreenKind> screens;
    for (const LayoutRow& row : m_layout.rows) {
        screens.push_back(row.screen);
    }
    if (screens.empty()) {
        screens.push_back(ScreenKind::StatusView);
    }
    return screens;
}

void ConfigurationSession::AlignConfigurationWithLayout() {
    if (ValidPair(m_layout.clientType, m_layout.serverType)) {
        m_config.clientType = static_cast<std::uint32_t>(m_layout.clientType);
        m_config.serverType = static_cast<std::uint32_t>(m_layout.serverType);
    }
    if (m_device.IsPresent()) {
        m_config.SetRevision(m_device.Revision());
    }
}

void ConfigurationSession::Show(const Refusal& message) {
    m_gate.Notifier().Notify(message.text, message.caption, NotifyButtons::Ok, message.icon);
}

void ConfigurationSession::ShowTableCheck(const TableCheck& check, std::vector<Refusal>* shown) {
    for (const Refusal& message : check.messages) {
        const Refusal entry = OfTable(message);
        Show(entry);
        if (shown) {
            shown->push_back(entry);
        }
    }
}

void ConfigurationSession::ResetToDefaults() {
    AlignConfigurationWithLayout();
    ShowTableCheck(m_config.SetNewDefaults());
    Listener().ScreensChanged(ShownScreens());
}

std::optional<Refusal> ConfigurationSession::ValidateEthernetScreen(const ScreenEntries& entries) {
    if (entries.ioSize) {
        const EntryReading reading = ReadIoSizeEntry(*entries.ioSize);
        if (reading.refusal) {
            return reading.refusal;
        }
        // the form takes its values from the controls: the limits follow
        m_config.ethernet.ioSize = *reading.value;
        m_config.UpdateLimits();
        return std::nullopt;
    }
    return ValidateEthernet(m_config.ethernet);
}

std::optional<Refusal> ConfigurationSession::ValidateDeviceNetScreen(const ScreenEntries& entries) {
    if (entries.macAddress) {
        // the number read is the field's value, refused or not
        const EntryReading reading = ReadMacAddressEntry(*entries.macAddress);
        m_config.deviceNet.macAddress = *reading.value;
        return reading.refusal;
    }
    return ValidateDeviceNet(m_config.deviceNet);
}

std::optional<Refusal> ConfigurationSession::ValidateModbusScreen(
    const std::optional<std::string>& entry, ModbusSettings& settings) {
    if (!ModbusScreenFields().networkAddress) {
        return std::nullopt;  // a Modbus master has no network address to judge
    }
    if (entry) {
        const EntryReading reading = ReadNetworkAddressEntry(*entry);
        settings.networkAddress = *reading.value;
        return reading.refusal;
    }
    return ValidateModbus(settings, false);
}

std::optional<Refusal> ConfigurationSession::ValidateJ1939Screen(const ScreenEntries& entries) {
    const J1939Settings& settings = m_config.j1939;
    const OfflineDetectionEntry entry =
        entries.offlineDetection ? *entries.offlineDetection
                                 : OfflineDetectionEntry{settings.OfflineDetectionEnabled(),
                                                         std::to_string(settings.offlineTimeMs)};
    const EntryReading reading = ReadOfflineDetectionEntry(entry.enabled, entry.text);
    if (reading.value) {
        m_config.j1939.offlineTimeMs = *reading.value;
    }
    return reading.refusal;
}

bool ConfigurationSession::ValidateForDownload(const ScreenEntries& entries,
                                               std::vector<Refusal>& refusals) {
    const RecordSet records = RecordsOfLayout(m_layout);
    auto ask = [&](const std::optional<Refusal>& refusal) {
        if (refusal) {
            Show(*refusal);
            refusals.push_back(*refusal);
        }
    };
    if (records.ethernet) {
        ask(ValidateEthernetScreen(entries));
        if (!refusals.empty()) {
            return false;  // the Ethernet screen's refusal ends the download at once
        }
    }
    if (records.deviceNet) {
        ask(ValidateDeviceNetScreen(entries));
    }
    if (records.modbus) {
        ask(ValidateModbusScreen(entries.modbusNetworkAddress, m_config.modbus));
    }
    if (records.modbusEnhanced) {
        ask(ValidateModbusScreen(entries.enhancedModbusNetworkAddress, m_config.modbusEnhanced));
    }
    bool tablePassed = true;
    if (records.j1939) {
        ask(ValidateJ1939Screen(entries));
        const TableCheck check =
            CheckTableBeforeDownload(m_config.io, m_config.limits, m_config.pgnLimits);
        ShowTableCheck(check, &refusals);
        tablePassed = check.passed;
        if (const auto full = CheckPointCountForDownload(m_config.io)) {
            ask(OfTable(*full));  // the table holds at most 200 points
        }
    }
    return refusals.empty() && tablePassed;
}

}  // namespace gantry::tool
