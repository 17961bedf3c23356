// File > Export Report...: the commissioning report of the document, written
// as HTML or as PDF (Qt's PDF writer printing the same HTML page). The
// content is the session's report unit; this only chooses the output.
// GUI thread only.
#pragma once

#include <QString>

#include "tool/session/ConfigurationSession.h"

class QWidget;

namespace gantry::ui {

using namespace gantry::tool;

// Writes the report to `path`, replaced atomically: PDF when the name ends in
// ".pdf" (case ignored), else HTML. False when the file cannot be written.
bool WriteReportFile(const ConfigurationSession& session, const QString& path);

// The save dialog (HTML or PDF), then the report; a file that cannot be
// written is told through the session's notifier.
void ExportReportWithDialog(QWidget* parent, ConfigurationSession& session);

}  // namespace gantry::ui
