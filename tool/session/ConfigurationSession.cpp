#include "tool/session/ConfigurationSession.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "tool/session/SimulatedGateway.h"

#include "tool/session/DownloadSafety.h"

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
      m_listener(listener),
      m_ioProgress([this](int point, int total) { Listener().IoTableProgress(point, total); }) {
    m_gate.SetDeviceLostHandler([this] { MarkNotDetected(); });
    TakeSnapshot();  // the first document asks nothing and keeps the records as built
    m_safety = std::make_unique<CDownloadSafety>(*this);
}

ConfigurationSession::~ConfigurationSession() = default;

void ConfigurationSession::SetListener(ISessionListener* listener) {
    m_listener = listener;
}

void ConfigurationSession::Start() {
    m_layout = LayoutOfPair(-1, -1);
    Listener().LayoutRebuilt(m_layout, 0);
    if (std::exchange(m_chooseOfflineProduct, false) && NewConfiguration()) {
        TakeSnapshot();
        return;  // the chosen product's screens show the simulator
    }
    RefreshDeviceStatus();
}

bool ConfigurationSession::StartOffline() {
    m_gate.SetOffline(true);
    const std::optional<OfflineIdentity> simulated = ReadSimulatedGateway();
    if (simulated) {
        m_offline = *simulated;
    }
    m_chooseOfflineProduct = !simulated;
    return simulated.has_value();
}

void ConfigurationSession::RefreshDeviceStatus() {
    if (RunSequence([this] { ReadCancellably([this] { RefreshStatus(); }); })) {
        MarkNotDetected();
    }
}

bool ConfigurationSession::Upload() {
    bool rebuilt = false;
    if (RunSequence([this, &rebuilt] {
            ReadCancellably([this, &rebuilt] { rebuilt = UploadRecords(); });
        })) {
        MarkNotDetected();
    }
    return rebuilt;
}

bool ConfigurationSession::RunSequence(const std::function<void()>& steps) {
    m_gate.BeginSequence();
    try {
        steps();
    } catch (...) {
        m_gate.EndSequence();
        throw;
    }
    return m_gate.EndSequence();
}

void ConfigurationSession::RefreshStatus() {
    const int state = m_device.ReadRunState();
    if (!IsModulePresent(state)) {
        RefreshAllScreens();
    } else {
        const std::uint32_t serial = m_device.ReadSerialNumber();
        if (serial != 0 && serial == m_lastSerial) {
            if (m_lastState == RS_Faulted || m_lastState == RS_NotDetected ||
                state == m_lastState) {
                UploadRecords();
            } else {
                // the same gateway went between Idle and Run: the mode display
                // and the error line, which a change of mode may have set or cleared
                m_device.ReadMajorFault();
                Listener().RunStateChanged(state);
                Listener().ScreensChanged({ScreenKind::StatusView});
            }
        } else {
            UploadRecords();
        }
    }
    // a reply lost during this refresh leaves the screens blank: the last
    // state stays "not detected" so that the gateway's return, in whatever
    // mode, is uploaded in full instead of only changing the mode display
    m_lastState = m_device.GetRunState() == RS_NotDetected ? RS_NotDetected : state;
}

bool ConfigurationSession::UploadRecords() {
    // the gateway's records replace the edits: a modified document asks first,
    // and Cancel keeps the edits and reads nothing
    const bool asked = IsModified();
    if (asked && !SaveModified()) {
        return false;
    }
    m_device.RefreshIdentity();
    const int state = m_device.GetRunState();
    m_lastSerial = m_device.SerialNumber();
    m_lastState = state;
    const bool present = IsModulePresent(state);
    // a new pair starts a new document: an untouched one asks nothing, and a
    // saved one keeps its own pair
    const bool replace = present &&
                         RebuildsLayout(m_layout, m_device.ClientType(), m_device.ServerType()) &&
                         (asked || SaveModified());
    const bool rebuilt = present && Relayout(m_device.ClientType(), m_device.ServerType());
    if (rebuilt && replace) {
        ResetToDefaults();
        m_documentPath.clear();
    }
    // new screens read the gateway on their first display, kept screens now
    RefreshAllScreens();
    TakeSnapshot();
    if (m_device.IsPresent() && !m_gate.IsOffline() && !m_gate.SequenceLost()) {
        m_safety->RememberGatewayCopy(m_device.SerialNumber(), m_config);  // read whole
    }
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
    std::vector<RecordKind> written;
    bool lost = RunSequence([&] { DownloadInSequence(entries, report, written); });
    if (report.outcome == DownloadOutcome::Written) {
        // the final read tries the connection again, even after a lost write
        lost = RunSequence([this, &report] {
                   report.moduleAbsentAfter = !IsModulePresent(m_device.ReadRunState());
               }) ||
               lost;
    }
    if (lost) {
        MarkNotDetected();  // once, after the sequence
    } else if (report.moduleAbsentAfter) {
        RefreshAllScreens();
    }
    if (report.outcome != DownloadOutcome::Written) {
        return report;
    }
    Listener().RunStateChanged(m_device.GetRunState());
    WarnAboutFailedWrites(report);
    m_safety->AfterWrites(report, written);
    return report;
}

void ConfigurationSession::DownloadInSequence(const ScreenEntries& entries, DownloadReport& report,
                                              std::vector<RecordKind>& written) {
    if (!IsModulePresent(m_device.ReadRunState())) {
        report.outcome = DownloadOutcome::NoModule;
        report.moduleAbsentAfter = true;  // the screens show it after the sequence
        return;
    }
    AlignConfigurationWithLayout();
    const bool passed =
        JudgeBeforeDownload(entries, RecordsOfLayout(m_layout), ModbusScreenFields().networkAddress,
                            m_config, report.refusals);
    for (const Refusal& refusal : report.refusals) {
        Show(refusal);
    }
    if (!passed) {
        report.outcome = DownloadOutcome::Refused;
        return;
    }
    if (ValidPair(m_layout.clientType, m_layout.serverType)) {
        TransferResult result =
            DownloadRecords(Link(), RecordsOfLayout(m_layout), m_config,
                            [this](DeviceLink) { return m_safety->BeforeWrites(); });
        if (result.stopped) {
            report.outcome = DownloadOutcome::NotBackedUp;
            return;
        }
        report.saveClass = result.saveClass;
        report.writes = std::move(result.writes);
        written = std::move(result.written);
    }
    report.outcome = DownloadOutcome::Written;
}

DownloadReport ConfigurationSession::DownloadConfiguration(const CConfiguration& records) {
    m_config = records;
    m_config.SetRevision(m_device.Revision());
    m_config.UpdateLimits();  // a table the limits refuse is told by the download
    return Download();
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
    m_device.ReadMajorFault();  // the error line shows what the gateway reports now
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
    if (!m_device.IsPresent()) {
        // a new configuration: the product choice takes the tool offline, and
        // Cancel (of it or of the save question) leaves the tool as it was
        NewDocument();
        return;
    }
    m_gate.SetOffline(true);
    Listener().OfflineChanged(true);
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

void ConfigurationSession::MarkNotDetected() {
    m_device.MarkNotDetected();
    m_lastState = RS_NotDetected;
    RefreshAllScreens();
}

void ConfigurationSession::RefreshAllScreens() {
    AlignConfigurationWithLayout();
    RefreshRecords(Link(), RecordsOfLayout(m_layout), m_config);
    if (m_gate.SequenceLost()) {
        return;  // the sequence's owner redraws them once, after it
    }
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

void ConfigurationSession::ReportRunState() {
    Listener().RunStateChanged(m_device.GetRunState());
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
        const Refusal entry = TableRefusal(message);
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

}  // namespace gantry::tool
