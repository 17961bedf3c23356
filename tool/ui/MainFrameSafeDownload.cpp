// The main frame's commands around a safe download: Compare with Module and
// Restore Backup.
#include <QSettings>
#include <QStatusBar>

#include "tool/model/ConfigurationCompare.h"
#include "tool/session/DownloadSafety.h"
#include "tool/session/GatewayReader.h"
#include "tool/ui/BusyScope.h"
#include "tool/ui/MainFrame.h"
#include "tool/ui/SafeDownloadDialogs.h"

namespace gantry::ui {

namespace {

const QString f_szVerifyKey = QStringLiteral("Settings/VerifyAfterDownload");

}  // namespace

void CMainFrame::RestoreVerifySetting() {
    const bool verify = QSettings().value(f_szVerifyKey, true).toBool();
    Action(FrameCommand::VerifyDownload)->setChecked(verify);
    m_session.Safety().SetVerify(verify);
}

void CMainFrame::ShowDownloadSafety(const DownloadReport& report) {
    const CDownloadSafety& safety = m_session.Safety();
    if (report.outcome != DownloadOutcome::Written || !safety.LastBackup()) {
        return;
    }
    const QString backup = tr("backup: %1").arg(QString::fromStdString(safety.LastBackup()->path));
    if (safety.LastVerification().Passed()) {
        statusBar()->showMessage(tr(f_szDownloadedAndVerified) + QStringLiteral("; ") + backup);
    } else if (report.Complete() && !safety.LastVerification().performed) {
        statusBar()->showMessage(tr("Downloaded; %1").arg(backup));
    } else {
        statusBar()->showMessage(tr("Download not verified; %1").arg(backup));
    }
}

void CMainFrame::RunSafeDownloadCommand(FrameCommand command) {
    if (CBusyScope::IsBusy()) {
        return;
    }
    if (command == FrameCommand::CompareWithModule) {
        OnCompareWithModule();
    } else if (command == FrameCommand::RestoreBackup) {
        OnRestoreBackup();
    } else {
        const bool verify = Action(command)->isChecked();
        QSettings().setValue(f_szVerifyKey, verify);
        m_session.Safety().SetVerify(verify);
    }
    UpdateCommandUI();
}

void CMainFrame::OnCompareWithModule() {
    GatewaySnapshot snapshot;
    RunBusy(tr("Reading the module to compare..."), [this, &snapshot] {
        snapshot = ReadSessionGateway(
            m_session.GatewayLink(),
            [this](const std::vector<std::uint8_t>& encoded, int result, const DeviceReply& reply) {
                OnRequest(encoded, result, reply);
            });
    });
    if (!snapshot.read) {
        m_session.Gate().Notifier().Notify(f_szCompareNoModule, f_szCompareTitle, NotifyButtons::Ok,
                                           NotifyIcon::Warning);
        return;
    }
    CCompareDialog dialog(CompareConfigurations(m_session.Configuration(), snapshot.config), this);
    dialog.exec();
}

void CMainFrame::OnRestoreBackup() {
    // the connected gateway's backups; every gateway's offline or with none
    const bool one = !m_session.IsOffline() && m_session.Device().IsPresent();
    const std::uint32_t serial = m_session.Device().SerialNumber();
    const std::vector<BackupEntry> backups = one ? ListBackups(serial) : ListBackups(std::nullopt);
    CRestoreDialog dialog(backups, RestoreCaption(one, one ? BackupFolderOf(serial) : BackupRoot()),
                          this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (const std::optional<std::string> path = dialog.ChosenPath()) {
        RunBusy(tr("Opening..."), [this, &path] { m_doc.Open(QString::fromStdString(*path)); });
    }
}

}  // namespace gantry::ui
