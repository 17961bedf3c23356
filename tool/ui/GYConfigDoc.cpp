#include "tool/ui/GYConfigDoc.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

#include "tool/ui/BusyScope.h"

namespace gantry::ui {

namespace {

const char* const f_szFilter = "Gantry Configuration Files (*.cfg)";
const char* const f_szRecentGroup = "Recent File List";

QString RecentKey(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

}  // namespace

CGYConfigDoc::CGYConfigDoc(ConfigurationSession& session, QWidget* window,
                           std::function<ScreenEntries()> entries)
    : m_session(session), m_window(window), m_entries(std::move(entries)) {}

bool CGYConfigDoc::New() {
    return m_session.NewDocument();
}

bool CGYConfigDoc::OpenWithDialog() {
    const QString path = QFileDialog::getOpenFileName(m_window, QObject::tr("Open"), QString(),
                                                      QString::fromUtf8(f_szFilter));
    return !path.isEmpty() && Open(path);
}

bool CGYConfigDoc::Open(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    bool missing = false;
    if (!m_session.OpenDocument(full.toStdString(), &missing)) {
        if (missing) {
            RemoveRecentFile(full);  // a file gone since it was listed leaves the list
        }
        return false;
    }
    AddRecentFile(full);
    return true;
}

bool CGYConfigDoc::Save() {
    const std::string path = m_session.DocumentPath();
    return path.empty() ? SaveAs() : SaveTo(QString::fromStdString(path));
}

bool CGYConfigDoc::SaveAs() {
    const std::optional<std::string> path = ChooseSavePath(m_session.DocumentTitle());
    return path && SaveTo(QString::fromStdString(*path));
}

std::optional<std::string> CGYConfigDoc::ChooseSavePath(const std::string& title) {
    QFileDialog dialog(m_window, QObject::tr("Save As"), QString(), QString::fromUtf8(f_szFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("cfg"));
    const std::string current = m_session.DocumentPath();
    dialog.selectFile(current.empty() ? QString::fromStdString(title)
                                      : QString::fromStdString(current));
    CBusyScope::Pause pause;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}

bool CGYConfigDoc::SaveTo(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    if (!m_session.SaveDocument(full.toStdString(), m_entries())) {
        return false;
    }
    AddRecentFile(full);
    return true;
}

QString CGYConfigDoc::WindowTitle() const {
    // "[*]" is where the window shows its "*" while the document is modified
    return QString::fromStdString(m_session.DocumentTitle()) +
           QStringLiteral("[*] - Gantry Configuration");
}

QStringList CGYConfigDoc::RecentFiles() const {
    QSettings settings;
    settings.beginGroup(QString::fromUtf8(f_szRecentGroup));
    QStringList files;
    for (int i = 0; i < f_nRecentFileCount; ++i) {
        const QString file = settings.value(RecentKey(i)).toString();
        if (!file.isEmpty()) {
            files.append(file);
        }
    }
    return files;
}

void CGYConfigDoc::AddRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    StoreRecentFiles(files);
}

void CGYConfigDoc::RemoveRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    if (files.removeAll(path) != 0) {
        StoreRecentFiles(files);
    }
}

void CGYConfigDoc::StoreRecentFiles(const QStringList& files) {
    QSettings settings;
    settings.beginGroup(QString::fromUtf8(f_szRecentGroup));
    for (int i = 0; i < f_nRecentFileCount; ++i) {
        settings.setValue(RecentKey(i), i < files.size() ? files[i] : QString());
    }
}

}  // namespace gantry::ui
