#include "tool/ui/FlashUpdate.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "tool/session/FirmwareSession.h"
#include "tool/ui/BusyScope.h"
#include "tool/ui/TabChain.h"

namespace gantry::ui {

using namespace gantry::tool;

namespace {

// A revision list: grid lines, whole rows selected, "Module" 90 and
// "Revision" 82 pixels wide.
QTableWidget* RevisionList(const char* name, QWidget* parent) {
    auto* table = new QTableWidget(0, 2, parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels({QObject::tr("Module"), QObject::tr("Revision")});
    table->setShowGrid(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->setColumnWidth(0, 90);
    table->setColumnWidth(1, 82);
    table->setMinimumWidth(90 + 82 + 2 * table->frameWidth() + 4);
    return table;
}

void ShowRows(QTableWidget* table, const std::vector<RevisionRow>& rows) {
    table->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        table->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(rows[i].module)));
        table->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(rows[i].revision)));
    }
}

}  // namespace

// The dialog's controls, and what the firmware session reports drawn on them.
struct CFlashUpdate::Controls : public IFirmwareUpdateListener {
    Controls(ConfigurationSession& session) : firmware(session, this) {}

    void DeviceRevisionsChanged(const DeviceAreaRevisions& revisions) override {
        ShowRows(deviceList, DeviceRevisionRows(revisions));
    }
    void ProgressChanged(const FirmwareProgress& progress) override {
        transferred->setText(QString::fromStdString(progress.transferredText));
        update->setText(QString::fromStdString(progress.updateText));
        bar->setRange(0, progress.range);
        bar->setValue(progress.position);
    }
    void StatusTextsChanged(const std::string& first, const std::string& second) override {
        transferred->setText(QString::fromStdString(first));
        update->setText(QString::fromStdString(second));
    }
    void BusyChanged(bool busy) override {
        for (QPushButton* button : {selectFile, start, close}) {
            button->setEnabled(!busy);
        }
    }
    void ProcessEvents() override {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

    CFirmwareSession firmware;
    bool open = false;
    std::function<QString()> chooser;
    QPushButton* selectFile = nullptr;
    QPushButton* start = nullptr;
    QPushButton* close = nullptr;
    QLineEdit* fileName = nullptr;
    QLineEdit* description = nullptr;
    QTableWidget* deviceList = nullptr;
    QTableWidget* imageList = nullptr;
    QProgressBar* bar = nullptr;
    QLabel* transferred = nullptr;
    QLabel* update = nullptr;
};

CFlashUpdate::CFlashUpdate(ConfigurationSession& session, QWidget* parent)
    : QDialog(parent), m_controls(std::make_unique<Controls>(session)) {
    setWindowTitle(tr("Flash Update"));
    setModal(true);
    Build();
    m_controls->chooser = [this] {
        QFileDialog dialog(this, tr("Open"), QString(), tr("NVS Configuration Files (*.nvs)"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("nvs"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    // the revisions come over the line: the window is busy meanwhile, so
    // input is swallowed and no command starts while the gate waits
    CBusyScope busy(nullptr, tr("Reading the device revisions..."));
    m_controls->open = m_controls->firmware.Open();
}

CFlashUpdate::~CFlashUpdate() = default;

void CFlashUpdate::Build() {
    Controls& c = *m_controls;
    c.selectFile = new QPushButton(tr("Select &File"), this);
    c.start = new QPushButton(tr("&Start"), this);
    c.close = new QPushButton(tr("&Close"), this);
    c.start->setEnabled(false);
    c.fileName = new QLineEdit(this);
    c.description = new QLineEdit(this);
    for (QLineEdit* field : {c.fileName, c.description}) {
        field->setReadOnly(true);
        field->setMinimumWidth(300);
    }
    c.deviceList = RevisionList("DeviceRevisions", this);
    c.imageList = RevisionList("ImageRevisions", this);
    c.bar = new QProgressBar(this);
    c.bar->setRange(0, 1);
    c.bar->setValue(0);
    c.transferred = new QLabel(this);
    c.update = new QLabel(this);
    // room for "Transferred 199999 of 199999 Bytes" and "Update 999 of 999"
    c.transferred->setMinimumWidth(
        c.transferred->fontMetrics().horizontalAdvance(tr("Transferred 199999 of 199999 Bytes")));
    c.update->setMinimumWidth(c.update->fontMetrics().horizontalAdvance(tr("Update 999 of 999")));

    auto* grid = new QGridLayout(this);
    grid->addWidget(c.selectFile, 0, 0);
    grid->addWidget(c.fileName, 0, 1, 1, 3);
    grid->addWidget(new QLabel(tr("Description:"), this), 1, 0);
    grid->addWidget(c.description, 1, 1, 1, 3);
    grid->addWidget(new QLabel(tr("Device Revisions"), this), 2, 0, 1, 2);
    grid->addWidget(new QLabel(tr("Image Revisions"), this), 2, 2, 1, 2);
    grid->addWidget(c.deviceList, 3, 0, 1, 2);
    grid->addWidget(c.imageList, 3, 2, 1, 2);
    grid->addWidget(c.bar, 4, 0, 1, 4);
    grid->addWidget(c.transferred, 5, 0, 1, 2);
    grid->addWidget(c.update, 5, 2, 1, 2, Qt::AlignRight);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(c.start);
    buttons->addWidget(c.close);
    grid->addLayout(buttons, 6, 0, 1, 4);
    // the Tab key reads the dialog from the top: the buttons were made first
    SetTabChain(
        {c.selectFile, c.fileName, c.description, c.deviceList, c.imageList, c.start, c.close});
    connect(c.selectFile, &QPushButton::clicked, this, &CFlashUpdate::OnSelectFile);
    connect(c.start, &QPushButton::clicked, this, &CFlashUpdate::OnStart);
    connect(c.close, &QPushButton::clicked, this, &QDialog::reject);
}

int CFlashUpdate::exec() {
    if (!m_controls->open) {
        return QDialog::Rejected;  // the message has been shown: the dialog closes
    }
    return QDialog::exec();
}

bool CFlashUpdate::IsOpen() const {
    return m_controls->open;
}

void CFlashUpdate::SetFileChooser(std::function<QString()> chooser) {
    m_controls->chooser = std::move(chooser);
}

void CFlashUpdate::OnSelectFile() {
    Controls& c = *m_controls;
    const QString path = c.chooser();
    if (path.isEmpty()) {
        return;
    }
    c.imageList->setRowCount(0);
    c.fileName->setText(path);
    const bool read = c.firmware.SelectFile(path.toStdString());
    c.description->setText(QString::fromStdString(c.firmware.Update().Description()));
    if (read) {
        ShowRows(c.imageList, c.firmware.ImageRows());
        c.start->setEnabled(true);
    }
}

void CFlashUpdate::OnStart() {
    Controls& c = *m_controls;
    {
        CBusyScope busy(nullptr, CBusyScope::WriteText(tr("Updating the firmware...")));
        c.firmware.Start();
    }
    if (!c.firmware.ClosesDialog()) {
        c.start->setEnabled(c.firmware.StartEnabled());
        return;
    }
    accept();
    // every screen shows the gateway as it now is
    CBusyScope busy;
    c.firmware.Finish();
    m_updated = c.firmware.LastOutcome() == FlashOutcome::Verified;
}

QPushButton* CFlashUpdate::SelectFileButton() const {
    return m_controls->selectFile;
}
QPushButton* CFlashUpdate::StartButton() const {
    return m_controls->start;
}
QPushButton* CFlashUpdate::CloseButton() const {
    return m_controls->close;
}
QLineEdit* CFlashUpdate::FileName() const {
    return m_controls->fileName;
}
QLineEdit* CFlashUpdate::Description() const {
    return m_controls->description;
}
QTableWidget* CFlashUpdate::DeviceRevisions() const {
    return m_controls->deviceList;
}
QTableWidget* CFlashUpdate::ImageRevisions() const {
    return m_controls->imageList;
}
QProgressBar* CFlashUpdate::Progress() const {
    return m_controls->bar;
}
QLabel* CFlashUpdate::TransferredText() const {
    return m_controls->transferred;
}
QLabel* CFlashUpdate::UpdateText() const {
    return m_controls->update;
}

}  // namespace gantry::ui
