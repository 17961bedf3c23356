#include "tool/session/SessionDocument.h"

#include <filesystem>

#include "common/AtomicFile.h"
#include "tool/device/InputFile.h"
#include "tool/device/ProductCatalogue.h"

namespace gantry::tool {

namespace {

// Catalogue numbers of the gateway models each known combination covers, in
// the order of the known combinations.
const char* const f_catalogueNumbers[kKnownProductCount] = {
    "GY-EDN1, GY-EDN2", "GY-PDN1", "GY-JMB1, GY-JMB2", "GY-EJ1", "GY-PJ1, GY-PJ2",
};

}  // namespace

std::string SaveChangesQuestion(const std::string& document) {
    return "Save changes to " + document + "?";
}

bool SessionDocument::IsModified() const {
    return !m_s.config.SameStoredValues(m_s.snapshot);
}

std::string SessionDocument::DocumentTitle() const {
    if (m_s.documentPath.empty()) {
        return f_szUntitled;
    }
    return std::filesystem::path(m_s.documentPath).filename().string();
}

bool SessionDocument::SaveModified() {
    if (!IsModified()) {
        return true;
    }
    const std::string name = m_s.documentPath.empty() ? DocumentTitle() : m_s.documentPath;
    const NotifyAnswer answer =
        m_s.gate.Notifier().Notify(SaveChangesQuestion(name), f_szAppCaption,
                                   NotifyButtons::YesNoCancel, NotifyIcon::Question);
    if (answer == NotifyAnswer::No) {
        return true;
    }
    if (answer != NotifyAnswer::Yes) {
        return false;
    }
    std::optional<std::string> path = m_s.documentPath;
    if (path->empty()) {
        path = m_s.Listener().ChooseSavePath(DocumentTitle());
        if (!path) {
            return false;
        }
    }
    return SaveDocument(*path, m_s.Listener().CurrentEntries());
}

bool SessionDocument::NewDocument() {
    if (!SaveModified() || !NewConfiguration()) {
        return false;
    }
    m_s.documentPath.clear();
    m_s.TakeSnapshot();
    return true;
}

bool SessionDocument::OpenDocument(const std::string& path, bool* missing) {
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
    m_s.documentPath = path;
    m_s.TakeSnapshot();
    return true;
}

void SessionDocument::ShowFileFailure(const std::string& text) {
    m_s.gate.Notifier().Notify(text, f_szAppCaption, NotifyButtons::Ok, NotifyIcon::Warning);
}

bool SessionDocument::SaveDocument(const std::string& path, const ScreenEntries& entries) {
    TakeEntriesAsTheyAre(entries, m_s.config);
    const std::vector<std::uint8_t> bytes =
        WriteConfigFile(m_s.config, static_cast<std::uint32_t>(m_s.device.GetRunState()));
    std::string error;
    if (!WriteFileAtomically(path, bytes, error)) {
        ShowFileFailure(std::string(f_szFailedToSaveDocument) + "\n" + error);
        return false;
    }
    m_s.documentPath = path;
    m_s.TakeSnapshot();
    return true;
}

std::vector<std::string> NewModuleItems() {
    std::vector<std::string> items;
    for (int i = 0; i < kKnownProductCount; ++i) {
        items.push_back(ProductCombinationForIndex(i).name + " (" + f_catalogueNumbers[i] + ")");
    }
    return items;
}

bool SessionDocument::NewConfiguration() {
    if (!m_s.device.IsPresent() || m_s.gate.IsOffline()) {
        const std::optional<int> choice = m_s.Listener().ChooseProduct(NewModuleItems());
        if (!choice || *choice < 0 || *choice >= kKnownProductCount) {
            return false;  // Cancel: nothing changes
        }
        const bool wasOffline = m_s.gate.IsOffline();
        m_s.gate.SetOffline(true);
        m_s.device.ReadRunState();  // offline: Idle, nothing sent
        if (!wasOffline) {
            m_s.Listener().OfflineChanged(true);
        }
        m_s.offline.product = ProductCombinationForIndex(*choice);
        if (m_s.offline.product.clientType != m_s.device.ClientType() ||
            m_s.offline.product.serverType != m_s.device.ServerType()) {
            m_s.device.RefreshIdentity();
        }
        m_screens.Relayout(m_s.device.ClientType(), m_s.device.ServerType());
    }
    m_screens.ResetToDefaults();
    return true;
}

OpenResult SessionDocument::OpenConfiguration(std::span<const std::uint8_t> bytes) {
    OpenEnvironment environment{m_s.device.GetRunState(), m_s.gate.IsOffline(),
                                m_s.device.ClientType(), m_s.device.ServerType(),
                                m_s.device.Revision()};
    const OpenResult result = OpenConfigFile(bytes, environment, m_s.config);
    if (!result.opened) {
        return result;
    }
    if (environment.offline && !m_s.gate.IsOffline()) {
        m_s.gate.SetOffline(true);
        m_s.Listener().OfflineChanged(true);
    }
    if (m_s.gate.IsOffline()) {
        m_s.device.ReadRunState();  // offline: Idle, nothing sent
    }
    if (result.pairChanged) {
        m_s.offline.product =
            LookupProductCombination(environment.clientType, environment.serverType);
        m_s.device.RefreshIdentity();
    }
    m_screens.Relayout(m_s.device.ClientType(), m_s.device.ServerType());
    m_s.ShowTableCheck(result.tableCheck);
    m_s.Listener().ScreensChanged(m_s.ShownScreens());
    return result;
}

}  // namespace gantry::tool
