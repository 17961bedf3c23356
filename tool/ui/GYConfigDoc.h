// CGYConfigDoc: the document side of the main frame. The configuration itself
// lives in the session (New, Open, Save, the modified flag and the
// save-changes question are the session's); the document adds the file
// dialogs ("Gantry Configuration Files (*.cfg)"), the window title and the
// four-entry recent-file list kept with QSettings. GUI thread only.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "tool/session/ConfigurationSession.h"

class QWidget;

namespace gantry::ui {

using namespace gantry::tool;

inline constexpr int f_nRecentFileCount = 4;

class CGYConfigDoc {
public:
    // Dialogs are centred on `window`; `entries` gives the texts the panes
    // hold, which a save takes as they are.
    CGYConfigDoc(ConfigurationSession& session, QWidget* window,
                 std::function<ScreenEntries()> entries);

    // File New: the session asks whether to save a modified document (Cancel:
    // false, nothing changes) and, without a working gateway, which product.
    bool New();
    // File Open with the open-file dialog; false when cancelled or refused.
    bool OpenWithDialog();
    // Opens `path` (a recent file, or the command line's FILE.cfg); on
    // success it becomes the first recent file. Failures are shown by the
    // session.
    bool Open(const QString& path);
    // File Save: the document's path, or Save As when it has none.
    bool Save();
    // File Save As: the save-file dialog, then the save.
    bool SaveAs();
    // The save-file dialog for a document titled `title`; nothing for Cancel.
    std::optional<std::string> ChooseSavePath(const std::string& title);

    // "<document title>[*] - Gantry Configuration": the window puts its "*"
    // for unsaved changes where "[*]" stands (QWidget::windowModified).
    QString WindowTitle() const;
    // Most recent first, at most four, existing or not; a file that is gone
    // leaves the list when opening it fails.
    QStringList RecentFiles() const;

private:
    bool SaveTo(const QString& path);
    void AddRecentFile(const QString& path);
    void RemoveRecentFile(const QString& path);
    void StoreRecentFiles(const QStringList& files);

    ConfigurationSession& m_session;
    QWidget* m_window;
    std::function<ScreenEntries()> m_entries;
};

}  // namespace gantry::ui
