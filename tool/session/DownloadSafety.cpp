#include "tool/session/DownloadSafety.h"

#include <chrono>

#include "tool/device/IoPointRecord.h"
#include "tool/model/ConfigFile.h"
#include "tool/session/DownloadReport.h"
#include "tool/session/GatewayReader.h"
#include "tool/session/SessionState.h"

namespace gantry::tool {

namespace {

const char* const f_szBackupUnread =
    "The gateway's configuration could not be read for its backup.\n\nNothing was downloaded.";
const char* const f_szReadBackUnanswered =
    "The gateway did not answer the read-back: the download could not be verified.";

}  // namespace

std::string VerificationFailedText(const VerificationResult& result) {
    const std::size_t count = result.differences.size();
    std::string text = "The gateway does not hold what was downloaded (" + std::to_string(count) +
                       (count == 1 ? " difference" : " differences") +
                       ", what was sent -> what the gateway holds):\n";
    for (std::size_t i = 0; i < count && i < f_nListedDifferences; ++i) {
        text += "\n" + DifferenceLine(result.differences[i]);
    }
    if (count > f_nListedDifferences) {
        text += "\n... and " + std::to_string(count - f_nListedDifferences) + " more differences.";
    }
    return text;
}

std::vector<ConfigurationDifference> CompareReadBack(const CConfiguration& sent,
                                                     const GatewaySnapshot& readBack) {
    CConfiguration expected = sent;
    if (!IoPointHasPriority(static_cast<int>(readBack.config.serverType), readBack.revision)) {
        // the gateway's records carry no priority: it reads back as the default
        for (IoDirection direction : {IoDirection::Input, IoDirection::Output}) {
            for (std::size_t i = 0; i < expected.io.Points(direction).size(); ++i) {
                tagJ1939DataPoint point = expected.io.Points(direction)[i];
                point.priority = kDefaultIoPriority;
                expected.io.Replace(direction, i, point);
            }
        }
    }
    return CompareConfigurations(expected, readBack.config);
}

void CDownloadSafety::RememberGatewayCopy(std::uint32_t serialNumber,
                                          const CConfiguration& config) {
    m_copy = GatewayCopy{serialNumber, config};
}

bool CDownloadSafety::BeforeWrites() {
    m_backup.reset();
    m_verification = VerificationResult{};
    const std::uint32_t serial = m_state.device.SerialNumber();
    GatewayCopy held;
    if (!m_state.gate.IsOffline() && m_copy && m_copy->serialNumber == serial) {
        held = *m_copy;  // read whole earlier, nothing written since
    } else {
        const GatewaySnapshot snapshot = ReadSessionGateway(m_state.Link());
        if (!snapshot.read) {
            Warn(f_szBackupUnread);
            return false;
        }
        held = GatewayCopy{snapshot.serialNumber, snapshot.config};
    }
    const auto runState = static_cast<std::uint32_t>(m_state.device.GetRunState());
    m_backup = WriteBackup(held.serialNumber, WriteConfigFile(held.config, runState),
                           std::chrono::system_clock::now());
    if (!m_backup->written) {
        Warn(BackupFailedText(*m_backup));
        return false;
    }
    m_copy.reset();  // the writes follow
    return true;
}

void CDownloadSafety::AfterWrites(const DownloadReport& report,
                                  const std::vector<RecordKind>& written) {
    if (!m_verify || !report.Complete() || report.gatewayLost || written.empty()) {
        return;
    }
    m_verification.performed = true;
    const CConfiguration& sent = m_state.config;
    const GatewaySnapshot readBack = ReadBackSessionGateway(m_state.Link(), sent, written);
    m_verification.read = readBack.read;
    if (!readBack.read) {
        Warn(f_szReadBackUnanswered);
        return;
    }
    m_verification.differences = CompareReadBack(sent, readBack);
    if (!m_verification.differences.empty()) {
        Warn(VerificationFailedText(m_verification));
    } else if (!m_state.gate.IsOffline()) {
        // every record of the pair was written and read back
        RememberGatewayCopy(readBack.serialNumber, readBack.config);
    }
}

void CDownloadSafety::Warn(const std::string& text) {
    m_state.gate.Notifier().Notify(text, f_szDownloadCaption, NotifyButtons::Ok,
                                   NotifyIcon::Warning);
}

}  // namespace gantry::tool
