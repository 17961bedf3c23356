#include "tool/session/FirmwareSession.h"

#include "tool/device/IdentityValues.h"
#include "tool/session/StatusPresentation.h"

namespace gantry::tool {

std::vector<RevisionRow> DeviceRevisionRows(const DeviceAreaRevisions& revisions) {
    std::vector<RevisionRow> rows;
    for (int area = 1; area <= kFirmwareAreaCount; ++area) {
        const DeviceAreaRevision& revision = revisions[static_cast<std::size_t>(area - 1)];
        if (revision.present) {
            rows.push_back(RevisionRow{FirmwareAreaName(area), FormatRevision(revision.revision)});
        }
    }
    return rows;
}

std::vector<RevisionRow> ImageRevisionRows(const CFirmwareUpdate& update) {
    std::vector<RevisionRow> rows;
    for (int area = 1; area <= kFirmwareAreaCount; ++area) {
        const FirmwareImageEntry& image = update.ImageArea(area);
        if (image.used) {
            rows.push_back(RevisionRow{FirmwareAreaName(area), FormatRevision(image.revision)});
        }
    }
    return rows;
}

CFirmwareSession::CFirmwareSession(ConfigurationSession& session, IFirmwareUpdateListener* view)
    : m_session(session), m_view(view), m_update(session.Gate(), session.Device(), this) {}

bool CFirmwareSession::Open() {
    m_uploadPending = false;
    return m_update.Open();
}

bool CFirmwareSession::SelectFile(const std::string& path) {
    return m_update.SelectFile(path);
}

std::string NotUpdatedText(FlashOutcome outcome, int runState) {
    if (outcome == FlashOutcome::NotReconnected) {
        return "The firmware was not updated, and the gateway has not answered since its reset: "
               "reset its power, then use Refresh Device Status.";
    }
    return "The firmware was not updated. The gateway was reset and answers again; its mode is " +
           RunStateText(runState) + ".";
}

ClosingTexts ClosingTextsOf(FlashOutcome outcome) {
    switch (outcome) {
        case FlashOutcome::Verified:
            return {"The firmware was updated.", "Now in Idle."};  // fits "Update 999 of 999"
        case FlashOutcome::RevisionMismatch:
            return {"Written, but a revision differs.", ""};
        case FlashOutcome::VerificationFailed:
        case FlashOutcome::RevisionsUnreadable:
            return {"Written, but not read back.", ""};
        case FlashOutcome::FailedAndRecovered:
        case FlashOutcome::NotReconnected:
            return {"The firmware was NOT updated.", ""};
        default:
            return {};
    }
}

FlashOutcome CFirmwareSession::Start() {
    m_outcome = m_update.Run();
    m_uploadPending = CFirmwareUpdate::ClosesDialog(m_outcome);
    if (m_uploadPending) {
        ShowOutcome();
    }
    return m_outcome;
}

void CFirmwareSession::ShowOutcome() {
    const ClosingTexts texts = ClosingTextsOf(m_outcome);
    StatusTextsChanged(texts.first, texts.second);
    INotifier& notifier = m_session.Gate().Notifier();
    const FlashOutcomeMessage message = OutcomeMessage(m_outcome);
    if (!message.text.empty()) {
        notifier.Notify(message.text, message.caption, NotifyButtons::Ok, message.icon);
    }
    if (m_outcome == FlashOutcome::FailedAndRecovered ||
        m_outcome == FlashOutcome::NotReconnected) {
        const int state = m_outcome == FlashOutcome::FailedAndRecovered
                              ? m_session.Device().ReadRunState()
                              : RS_NotDetected;
        notifier.Notify(NotUpdatedText(m_outcome, state), "Flash Update", NotifyButtons::Ok,
                        NotifyIcon::Warning);
    }
}

void CFirmwareSession::Finish() {
    if (m_uploadPending) {
        m_uploadPending = false;
        m_session.Upload();
    }
}

std::vector<RevisionRow> CFirmwareSession::DeviceRows() const {
    return DeviceRevisionRows(m_update.DeviceRevisions());
}

std::vector<RevisionRow> CFirmwareSession::ImageRows() const {
    return ImageRevisionRows(m_update);
}

void CFirmwareSession::DeviceRevisionsChanged(const DeviceAreaRevisions& revisions) {
    if (m_view != nullptr) {
        m_view->DeviceRevisionsChanged(revisions);
    }
}

void CFirmwareSession::ProgressChanged(const FirmwareProgress& progress) {
    if (m_view != nullptr) {
        m_view->ProgressChanged(progress);
    }
}

void CFirmwareSession::StatusTextsChanged(const std::string& first, const std::string& second) {
    if (m_view != nullptr) {
        m_view->StatusTextsChanged(first, second);
    }
}

void CFirmwareSession::BusyChanged(bool busy) {
    if (busy) {
        // the procedure starts working only once the gateway is in Idle
        m_session.ReportRunState();
    }
    if (m_view != nullptr) {
        m_view->BusyChanged(busy);
    }
}

void CFirmwareSession::ProcessEvents() {
    if (m_view != nullptr) {
        m_view->ProcessEvents();
    }
}

}  // namespace gantry::tool
