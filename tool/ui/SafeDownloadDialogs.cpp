#include "tool/ui/SafeDownloadDialogs.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace gantry::ui {

namespace {

QTableWidget* MakeTable(const std::vector<std::string>& headers,
                        const std::vector<std::vector<std::string>>& rows, QWidget* parent) {
    auto* table =
        new QTableWidget(static_cast<int>(rows.size()), static_cast<int>(headers.size()), parent);
    QStringList labels;
    for (const std::string& header : headers) {
        labels << QString::fromStdString(header);
    }
    table->setHorizontalHeaderLabels(labels);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r][c]));
            item->setToolTip(item->text());
            table->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->resizeColumnsToContents();
    return table;
}

QVBoxLayout* Frame(QDialog* dialog, const QString& title, const std::string& caption) {
    dialog->setWindowTitle(title);
    dialog->resize(760, 380);
    auto* layout = new QVBoxLayout(dialog);
    auto* label = new QLabel(QString::fromStdString(caption), dialog);
    label->setObjectName(QStringLiteral("Caption"));
    label->setWordWrap(true);
    layout->addWidget(label);
    return layout;
}

}  // namespace

CCompareDialog::CCompareDialog(const std::vector<ConfigurationDifference>& differences,
                               QWidget* parent)
    : QDialog(parent) {
    QVBoxLayout* layout = Frame(this, tr(f_szCompareTitle), CompareSummary(differences.size()));
    m_table = MakeTable(CompareHeaders(), CompareRows(differences), this);
    // a point's description is long: both values share the width and wrap,
    // so that the gateway's column stays in view
    m_table->setWordWrap(true);
    for (int column : {2, 3}) {
        m_table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Stretch);
    }
    // the rows take the height of their wrapped text once the columns have
    // their width, and again whenever a column's width changes
    connect(m_table->horizontalHeader(), &QHeaderView::sectionResized, m_table,
            &QTableWidget::resizeRowsToContents);
    layout->addWidget(m_table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CRestoreDialog::CRestoreDialog(const std::vector<BackupEntry>& backups, const std::string& caption,
                               QWidget* parent)
    : QDialog(parent), m_backups(backups) {
    QVBoxLayout* layout = Frame(this, tr(f_szRestoreTitle), caption);
    std::vector<std::vector<std::string>> rows;
    for (const BackupEntry& backup : backups) {
        rows.push_back(RestoreRow(backup));
    }
    m_table = MakeTable(RestoreHeaders(), rows, this);
    layout->addWidget(m_table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    QPushButton* open = buttons->button(QDialogButtonBox::Open);
    open->setEnabled(!backups.empty());
    if (!backups.empty()) {
        m_table->selectRow(0);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
}

std::optional<std::string> CRestoreDialog::ChosenPath() const {
    const int row = m_table->currentRow();
    if (row < 0 || row >= static_cast<int>(m_backups.size())) {
        return std::nullopt;
    }
    return m_backups[static_cast<std::size_t>(row)].path;
}

}  // namespace gantry::ui
