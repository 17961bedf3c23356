#include "tool/ui/ReportExport.h"

#include <QBuffer>
#include <QFileDialog>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include "tool/model/ConfigFile.h"
#include "tool/session/CommissioningReport.h"
#include "tool/ui/BusyScope.h"

namespace gantry::ui {

namespace {

QByteArray PdfOf(const std::string& html) {
    QTextDocument document;
    document.setHtml(QString::fromStdString(html));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(300);
    writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
    writer.setCreator(QStringLiteral("GYConfig"));
    document.print(&writer);
    buffer.close();
    return buffer.data();
}

}  // namespace

bool WriteReportFile(const ConfigurationSession& session, const QString& path) {
    const std::string html = CommissioningReportHtml(BuildSessionReport(session, UtcNowText()));
    QByteArray bytes = path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)
                           ? PdfOf(html)
                           : QByteArray::fromStdString(html);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    return SaveFileAtomically(
        path.toStdString(),
        std::span<const std::uint8_t>(data, static_cast<std::size_t>(bytes.size())));
}

void ExportReportWithDialog(QWidget* parent, ConfigurationSession& session) {
    QFileDialog dialog(parent, QObject::tr("Export Report"), QString(),
                       QObject::tr("PDF Report (*.pdf);;HTML Report (*.html)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
        dialog.setDefaultSuffix(f.contains(QStringLiteral("html")) ? QStringLiteral("html")
                                                                   : QStringLiteral("pdf"));
    });
    dialog.selectFile(QString::fromStdString(session.DocumentTitle()) + QStringLiteral(" report"));
    {
        CBusyScope::Pause pause;
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return;
        }
    }
    const QString path = dialog.selectedFiles().front();
    if (!WriteReportFile(session, path)) {
        session.Gate().Notifier().Notify("Cannot write " + path.toStdString() + ".",
                                         "Export Report", NotifyButtons::Ok, NotifyIcon::Warning);
    }
}

}  // namespace gantry::ui
