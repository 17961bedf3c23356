// The document role of the configuration session: whether the records
// changed since the last New, Open, Save or Upload, the file they belong to,
// and the save-changes question before they are replaced.
#include <filesystem>

#include "common/AtomicFile.h"
#include "tool/device/InputFile.h"
#include "tool/session/ConfigurationSession.h"

namespace gantry::tool {

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

bool ConfigurationSession::OpenDocument(const std::string& path, bool* missing) {
    if (!SaveModified()) {
        return false;
    }
    const InputFileResult read = ReadInputFile(path, kMaxConfigurationFileBytes);
    if (missing) {
        *missing = read.absent;
    }
    if (!read.bytes) {
        ShowFileFailure(std::string(f_szFailedToOpenDocument) + "\n" + read.error);
        return false;
    }
    const OpenResult result = OpenConfiguration(*read.bytes);
    if (!result.opened) {
        ShowFileFailure(result.message + "\n" + path +
                        (result.reason.empty() ? "" : ": " + result.reason));
        return false;
    }
    m_documentPath = path;
    TakeSnapshot();
    return true;
}

void ConfigurationSession::ShowFileFailure(const std::string& text) {
    m_gate.Notifier().Notify(text, f_szAppCaption, NotifyButtons::Ok, NotifyIcon::Warning);
}

bool ConfigurationSession::SaveDocument(const std::string& path, const ScreenEntries& entries) {
    TakeEntriesAsTheyAre(entries, m_config);
    const std::vector<std::uint8_t> bytes =
        WriteConfigFile(m_config, static_cast<std::uint32_t>(m_device.GetRunState()));
    std::string error;
    if (!WriteFileAtomically(path, bytes, error)) {
        ShowFileFailure(std::string(f_szFailedToSaveDocument) + "\n" + error);
        return false;
    }
    m_documentPath = path;
    TakeSnapshot();
    return true;
}

}  // namespace gantry::tool
