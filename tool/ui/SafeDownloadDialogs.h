// The Compare with Module and Restore Backup dialogs: a table of what the
// session's units report (SafeDownloadPresentation), nothing decided here.
// GUI thread only.
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "tool/session/SafeDownloadPresentation.h"

class QTableWidget;

namespace gantry::ui {

using namespace gantry::tool;

// The differences between the document and the gateway, or "No differences".
class CCompareDialog : public QDialog {
    Q_OBJECT

public:
    CCompareDialog(const std::vector<ConfigurationDifference>& differences, QWidget* parent);
    QTableWidget* Table() const { return m_table; }

private:
    QTableWidget* m_table = nullptr;
};

// The backups, newest first, the first selected; Open accepts the selected one.
class CRestoreDialog : public QDialog {
    Q_OBJECT

public:
    CRestoreDialog(const std::vector<BackupEntry>& backups, const std::string& caption,
                   QWidget* parent);
    QTableWidget* Table() const { return m_table; }
    // The chosen backup's path once accepted; nothing when none is selected.
    std::optional<std::string> ChosenPath() const;

private:
    std::vector<BackupEntry> m_backups;
    QTableWidget* m_table = nullptr;
};

}  // namespace gantry::ui
