#include "tool/session/DeviceProcedures.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "tool/device/ProductCatalogue.h"
#include "tool/session/DownloadSafety.h"
#include "tool/session/SimulatedGateway.h"

namespace gantry::tool {

DeviceProcedures::DeviceProcedures(SessionState& state, SessionScreens& screens,
                                   SessionDocument& document)
    : m_s(state),
      m_screens(screens),
      m_document(document),
      m_safety(std::make_unique<CDownloadSafety>(state)) {}

DeviceProcedures::~DeviceProcedures() = default;

void DeviceProcedures::Start() {
    m_s.layout = LayoutOfPair(-1, -1);
    m_s.Listener().LayoutRebuilt(m_s.layout, 0);
    if (std::exchange(m_s.chooseOfflineProduct, false) && m_document.NewConfiguration()) {
        m_s.TakeSnapshot();
        return;  // the chosen product's screens show the simulator
    }
    RefreshDeviceStatus();
}

bool DeviceProcedures::StartOffline() {
    m_s.gate.SetOffline(true);
    const std::optional<OfflineIdentity> simulated = ReadSimulatedGateway();
    if (simulated) {
        m_s.offline = *simulated;
    }
    m_s.chooseOfflineProduct = !simulated;
    return simulated.has_value();
}

void DeviceProcedures::RefreshDeviceStatus() {
    if (RunSequence([this] { ReadCancellably([this] { RefreshStatus(); }); })) {
        m_screens.MarkNotDetected();
    }
}

bool DeviceProcedures::Upload() {
    bool rebuilt = false;
    if (RunSequence([this, &rebuilt] {
            ReadCancellably([this, &rebuilt] { rebuilt = UploadRecords(); });
        })) {
        m_screens.MarkNotDetected();
    }
    return rebuilt;
}

bool DeviceProcedures::RunSequence(const std::function<void()>& steps) {
    m_s.gate.BeginSequence();
    try {
        steps();
    } catch (...) {
        m_s.gate.EndSequence();
        throw;
    }
    return m_s.gate.EndSequence();
}

void DeviceProcedures::RefreshStatus() {
    const int state = m_s.device.ReadRunState();
    if (!IsModulePresent(state)) {
        m_screens.RefreshAllScreens();
    } else {
        const std::uint32_t serial = m_s.device.ReadSerialNumber();
        if (serial != 0 && serial == m_s.lastSerial) {
            if (m_s.lastState == RS_Faulted || m_s.lastState == RS_NotDetected ||
                state == m_s.lastState) {
                UploadRecords();
            } else {
                // the same gateway went between Idle and Run: the mode display
                // and the error line, which a change of mode may have set or cleared
                m_s.device.ReadMajorFault();
                m_s.Listener().RunStateChanged(state);
                m_s.Listener().ScreensChanged({ScreenKind::StatusView});
            }
        } else {
            UploadRecords();
        }
    }
    // a reply lost during this refresh leaves the screens blank: the last
    // state stays "not detected" so that the gateway's return, in whatever
    // mode, is uploaded in full instead of only changing the mode display
    m_s.lastState = m_s.device.GetRunState() == RS_NotDetected ? RS_NotDetected : state;
}

bool DeviceProcedures::UploadRecords() {
    // the gateway's records replace the edits: a modified document asks first,
    // and Cancel keeps the edits and reads nothing
    const bool asked = m_document.IsModified();
    if (asked && !m_document.SaveModified()) {
        return false;
    }
    m_s.device.RefreshIdentity();
    const int state = m_s.device.GetRunState();
    m_s.lastSerial = m_s.device.SerialNumber();
    m_s.lastState = state;
    const bool present = IsModulePresent(state);
    // a new pair starts a new document: an untouched one asks nothing, and a
    // saved one keeps its own pair
    const bool replace =
        present && RebuildsLayout(m_s.layout, m_s.device.ClientType(), m_s.device.ServerType()) &&
        (asked || m_document.SaveModified());
    const bool rebuilt =
        present && m_screens.Relayout(m_s.device.ClientType(), m_s.device.ServerType());
    if (rebuilt && replace) {
        m_screens.ResetToDefaults();
        m_s.documentPath.clear();
    }
    // new screens read the gateway on their first display, kept screens now
    m_screens.RefreshAllScreens();
    m_s.TakeSnapshot();
    if (m_s.device.IsPresent() && !m_s.gate.IsOffline() && !m_s.gate.SequenceLost()) {
        m_safety->RememberGatewayCopy(m_s.device.SerialNumber(), m_s.config);  // read whole
    }
    return rebuilt;
}

DownloadReport DeviceProcedures::Download(const ScreenEntries& entries) {
    DownloadReport report;
    const NotifyAnswer answer =
        m_s.gate.Notifier().Notify(f_szDownloadCaution, f_szDownloadCaption, NotifyButtons::YesNo,
                                   NotifyIcon::Warning, NotifyAnswer::No);
    if (answer != NotifyAnswer::Yes) {
        return report;
    }
    std::vector<RecordKind> written;
    bool lost = RunSequence([&] { DownloadInSequence(entries, report, written); });
    if (report.outcome == DownloadOutcome::Written) {
        // the final read tries the connection again, even after a lost write
        lost = RunSequence([this, &report] {
                   report.moduleAbsentAfter = !IsModulePresent(m_s.device.ReadRunState());
               }) ||
               lost;
    }
    if (lost) {
        m_screens.MarkNotDetected();  // once, after the sequence
    } else if (report.moduleAbsentAfter) {
        m_screens.RefreshAllScreens();
    }
    if (report.outcome != DownloadOutcome::Written) {
        return report;
    }
    m_s.Listener().RunStateChanged(m_s.device.GetRunState());
    WarnAboutFailedWrites(report);
    m_safety->AfterWrites(report, written);
    return report;
}

void DeviceProcedures::DownloadInSequence(const ScreenEntries& entries, DownloadReport& report,
                                          std::vector<RecordKind>& written) {
    if (!IsModulePresent(m_s.device.ReadRunState())) {
        report.outcome = DownloadOutcome::NoModule;
        report.moduleAbsentAfter = true;  // the screens show it after the sequence
        return;
    }
    m_s.AlignConfigurationWithLayout();
    const bool passed = JudgeBeforeDownload(
        entries, RecordsOfLayout(m_s.layout),
        ModbusFieldsOf(m_s.layout.clientType, m_s.layout.serverType).networkAddress, m_s.config,
        report.refusals);
    for (const Refusal& refusal : report.refusals) {
        m_s.Show(refusal);
    }
    if (!passed) {
        report.outcome = DownloadOutcome::Refused;
        return;
    }
    if (ValidPair(m_s.layout.clientType, m_s.layout.serverType)) {
        TransferResult result =
            DownloadRecords(m_s.Link(), RecordsOfLayout(m_s.layout), m_s.config,
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

DownloadReport DeviceProcedures::DownloadConfiguration(const CConfiguration& records) {
    m_s.config = records;
    m_s.config.SetRevision(m_s.device.Revision());
    m_s.config.UpdateLimits();  // a table the limits refuse is told by the download
    return Download();
}

void DeviceProcedures::WarnAboutFailedWrites(DownloadReport& report) {
    const auto& failed = report.writes.failed;
    report.gatewayLost =
        report.moduleAbsentAfter ||
        std::any_of(failed.begin(), failed.end(), [](const FailedWrite& w) { return !w.answered; });
    if (!failed.empty()) {
        m_s.gate.Notifier().Notify(DescribeFailedWrites(report.writes, report.gatewayLost),
                                   f_szDownloadCaption, NotifyButtons::Ok, NotifyIcon::Warning);
    }
}

void DeviceProcedures::ClearErrorStatus() {
    m_s.device.ClearMajorFault();
    m_s.gate.Clock().Sleep(std::chrono::milliseconds(1));
    m_s.device.ReadMajorFault();  // the error line shows what the gateway reports now
    m_s.Listener().ScreensChanged({ScreenKind::StatusView});
}

void DeviceProcedures::SelectRunMode(int runState) {
    if (runState != RS_Idle && runState != RS_Run) {
        return;  // "Faulted" and "Not Detected" are shown, not chosen
    }
    m_s.device.SetRunState(runState);
    m_s.Listener().RunStateChanged(m_s.device.GetRunState());
}

void DeviceProcedures::OfflineConfiguration() {
    if (m_s.gate.IsOffline()) {
        return;
    }
    if (!m_s.device.IsPresent()) {
        // a new configuration: the product choice takes the tool offline, and
        // Cancel (of it or of the save question) leaves the tool as it was
        m_document.NewDocument();
        return;
    }
    m_s.gate.SetOffline(true);
    m_s.Listener().OfflineChanged(true);
    m_s.offline.product = ProductCombination{m_s.device.ProductName(), m_s.device.Revision(),
                                             m_s.device.ClientType(), m_s.device.ServerType()};
    m_s.offline.attribute100 = m_s.device.Attribute100();
    m_s.device.RefreshIdentity();
    m_screens.Relayout(m_s.device.ClientType(), m_s.device.ServerType());
    m_screens.RefreshAllScreens();
}

void DeviceProcedures::Connect() {
    if (!m_s.gate.IsOffline()) {
        return;
    }
    m_s.gate.SetOffline(false);
    m_s.Listener().OfflineChanged(false);
    // as after a lost reply: whatever the gateway answers now is uploaded in
    // full, so no screen keeps what the simulator showed
    m_s.device.MarkNotDetected();
    m_s.lastState = RS_NotDetected;
    RefreshDeviceStatus();
}

void DeviceProcedures::ReportRunState() {
    m_s.Listener().RunStateChanged(m_s.device.GetRunState());
}

bool DeviceProcedures::ReadCancellably(const std::function<void()>& read) {
    if (m_s.gate.IsReadCancellable()) {
        read();  // part of the read under way, which answers for the whole
        return true;
    }
    const ReadSnapshot before{
        m_s.config,     m_s.snapshot,        m_s.documentPath,      m_s.lastState,
        m_s.lastSerial, m_s.device.Cached(), m_s.layout.clientType, m_s.layout.serverType};
    m_s.gate.BeginCancellableRead();
    try {
        read();
    } catch (const ReadCancelled&) {
        m_s.gate.EndCancellableRead();
        PutBack(before);
        m_s.Listener().ReadCancelled();
        return false;
    }
    m_s.gate.EndCancellableRead();
    return true;
}

void DeviceProcedures::PutBack(const ReadSnapshot& before) {
    m_s.device.Restore(before.device);
    m_screens.Relayout(before.layoutClient, before.layoutServer);  // rebuilds only for another pair
    m_s.config = before.config;
    m_s.snapshot = before.snapshot;
    m_s.documentPath = before.documentPath;
    m_s.lastState = before.lastState;
    m_s.lastSerial = before.lastSerial;
    m_s.Listener().ScreensChanged(m_s.ShownScreens());
}

}  // namespace gantry::tool
