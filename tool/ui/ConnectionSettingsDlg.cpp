#include "tool/ui/ConnectionSettingsDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "tool/ui/BusyScope.h"
#include "tool/ui/TabChain.h"

namespace gantry::ui {

namespace {

QTableWidgetItem* Cell(const std::string& text, const std::string& tip = {}) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(QString::fromStdString(tip.empty() ? text : tip));
    return item;
}

}  // namespace

CConnectionSettingsDlg::CConnectionSettingsDlg(std::string libraryName, IClock& clock,
                                               QWidget* parent, std::string devFolder)
    : QDialog(parent),
      m_libraryName(std::move(libraryName)),
      m_clock(clock),
      m_devFolder(std::move(devFolder)) {
    setWindowTitle(QString::fromLatin1(f_szConnectionCaption));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("Pick the serial device the gateway's configuration cable is "
                                "plugged into and the COM port to link it as. Apply sets it up; "
                                "Test sets it up and asks the gateway for its identity."),
                             this);
    intro->setWordWrap(true);
    m_table = new QTableWidget(0, 4, this);
    m_table->setHorizontalHeaderLabels({tr("Device"), tr("Adapter"), tr("COM Port"), tr("State")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setMinimumHeight(140);
    QHBoxLayout* row = CreatePortRow();
    m_result = new QPlainTextEdit(this);
    m_result->setReadOnly(true);
    m_result->setMinimumHeight(m_result->fontMetrics().lineSpacing() * 5);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &CConnectionSettingsDlg::reject);
    layout->addWidget(intro);
    layout->addWidget(m_table, 1);
    layout->addLayout(row);
    layout->addWidget(m_result);
    layout->addWidget(buttons);
    SetTabChain({m_table, m_port, m_refresh, m_apply, m_test, m_result,
                 buttons->button(QDialogButtonBox::Close)});
    connect(m_table, &QTableWidget::itemSelectionChanged, this,
            &CConnectionSettingsDlg::OnSelectionChanged);
    connect(m_refresh, &QPushButton::clicked, this, &CConnectionSettingsDlg::Reload);
    connect(m_apply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(m_test, &QPushButton::clicked, this, &CConnectionSettingsDlg::OnTest);
    resize(720, 420);
    Reload();
}

QHBoxLayout* CConnectionSettingsDlg::CreatePortRow() {
    auto* portLabel = new QLabel(tr("&COM port:"), this);
    m_port = new QSpinBox(this);
    m_port->setPrefix(QStringLiteral("COM"));
    m_port->setRange(1, kHighestComPort);
    portLabel->setBuddy(m_port);
    m_refresh = new QPushButton(tr("&Refresh List"), this);
    m_apply = new QPushButton(tr("&Apply"), this);
    m_test = new QPushButton(tr("&Test"), this);
    m_test->setToolTip(
        tr("Sets the port up as chosen, then asks the gateway on it for its "
           "identity"));
    auto* row = new QHBoxLayout;
    row->addWidget(portLabel);
    row->addWidget(m_port);
    row->addStretch(1);
    row->addWidget(m_refresh);
    row->addWidget(m_apply);
    row->addWidget(m_test);
    return row;
}

void CConnectionSettingsDlg::Reload() {
    const DeviceRow* selected = SelectedRow();
    const std::string keep = selected ? selected->device : std::string();
    const int port = m_port->value();  // the user's choice outlives the new list
    m_rows = ListDeviceRows(m_devFolder);
    m_table->setRowCount(static_cast<int>(m_rows.size()));
    int select = m_rows.empty() ? -1 : 0;
    for (int i = 0; i < static_cast<int>(m_rows.size()); ++i) {
        const DeviceRow& device = m_rows[static_cast<std::size_t>(i)];
        m_table->setItem(i, 0, Cell(device.device));
        m_table->setItem(i, 1, Cell(device.adapter));
        m_table->setItem(i, 2, Cell(device.portText));
        m_table->setItem(i, 3, Cell(device.state, device.detail));
        select = device.device == keep ? i : select;
    }
    m_table->resizeColumnsToContents();
    if (select >= 0) {
        m_table->selectRow(select);
        if (selected != nullptr && m_rows[static_cast<std::size_t>(select)].device == keep) {
            m_port->setValue(port);
        }
    } else {
        ShowLines({"No serial device found: plug in the adapter and press Refresh List."});
    }
    m_apply->setEnabled(select >= 0);
    m_test->setEnabled(select >= 0);
}

const DeviceRow* CConnectionSettingsDlg::SelectedRow() const {
    const QList<QTableWidgetItem*> items =
        m_table ? m_table->selectedItems() : QList<QTableWidgetItem*>();
    const int row = items.isEmpty() ? -1 : items.front()->row();
    if (row < 0 || row >= static_cast<int>(m_rows.size())) {
        return nullptr;
    }
    return &m_rows[static_cast<std::size_t>(row)];
}

void CConnectionSettingsDlg::OnSelectionChanged() {
    if (const DeviceRow* row = SelectedRow()) {
        m_port->setValue(SuggestedComPort(*row));
    }
}

void CConnectionSettingsDlg::ShowLines(const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines) {
        text << QString::fromStdString(line);
    }
    m_result->setPlainText(text.join(QLatin1Char('\n')));
}

bool CConnectionSettingsDlg::Apply() {
    const DeviceRow* row = SelectedRow();
    if (row == nullptr) {
        return false;
    }
    const SetupReport report = SetupComPort(row->linkTarget, m_port->value());
    ShowLines(report.actions);
    Reload();
    return report.ok;
}

void CConnectionSettingsDlg::OnTest() {
    const int port = m_port->value();
    if (!Apply()) {
        return;
    }
    ProbeResult result;
    {
        CBusyScope busy(nullptr, tr("Testing COM%1...").arg(port));
        m_testing = true;
        result = ProbeGateway(m_libraryName, port, m_clock);
        m_testing = false;
    }
    // what the gateway said first, then what the set-up did
    m_result->setPlainText(QString::fromStdString(result.text + "\n\n") + m_result->toPlainText());
}

void CConnectionSettingsDlg::reject() {
    if (!m_testing) {
        QDialog::reject();
    }
}

}  // namespace gantry::ui
