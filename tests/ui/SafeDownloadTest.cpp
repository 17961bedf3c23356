// Export Report, Compare with Module and Restore Backup in the main window on
// the J1939 to Modbus example, through the real session. The PDF's text comes
// from pdftotext; the dialogs and the report's first page are written to
// safe-download/ in the test's build folder.
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QTableWidget>
#include <algorithm>
#include <iterator>
#include <sstream>

#include <nlohmann/json.hpp>

#include "FrameTestSupport.h"
#include "cli/ReportExpectations.h"
#include "tool/device/IdentityValues.h"
#include "tool/model/ConfigFile.h"
#include "tool/model/ConfigJson.h"
#include "tool/session/BackupStore.h"
#include "tool/session/CommissioningReport.h"
#include "tool/ui/ReportExport.h"
#include "tool/ui/SafeDownloadDialogs.h"

namespace {

std::string RunText(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
            out.append(buffer, n);
        }
        ::pclose(pipe);
    }
    return out;
}

// Whether a line of the text holds `cells` in their order (other words, such
// as an offset's "(2,0)", may come between them).
bool HasRow(const std::string& text, const std::vector<std::string>& cells) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::size_t matched = 0;
        for (std::string word; words >> word && matched < cells.size();) {
            matched += word == cells[matched] ? 1 : 0;
        }
        if (matched == cells.size()) {
            return true;
        }
    }
    return false;
}

// The table's rows as texts.
std::vector<std::vector<std::string>> Rows(const QTableWidget* table) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < table->columnCount(); ++c) {
            row.push_back(table->item(r, c)->text().toStdString());
        }
        rows.push_back(row);
    }
    return rows;
}

class SafeDownloadFrameTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        QDir().mkpath(QStringLiteral("safe-download"));
        WriteFileBytes(m_dir.File("GYSim.ini"),
                       ReadFileBytes(GANTRY_EXAMPLES_DIR "/j1939-modbus.ini"));
        StartFrame();
    }
    // Runs `command`; once its dialog shows, `look` gets it, it is saved as
    // `shot` and closed (accepted when `accept`).
    template <class Dialog>
    void WithDialog(FrameCommand command, const QString& shot, bool accept,
                    const std::function<void(Dialog&)>& look) {
        bool seen = false;
        std::function<void(int)> poll = [&](int tries) {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                if (tries > 0) {
                    QTimer::singleShot(10, [&poll, tries] { poll(tries - 1); });  // not shown yet
                }
                return;
            }
            seen = true;
            look(*dialog);
            EXPECT_TRUE(dialog->grab().save(QStringLiteral("safe-download/") + shot));
            accept ? dialog->accept() : dialog->reject();
        };
        QTimer::singleShot(10, [&poll] { poll(500); });
        Trigger(command);
        EXPECT_TRUE(seen) << shot.toStdString();
    }
};

TEST_F(SafeDownloadFrameTest, ThePdfReportHoldsEveryValueOfTheExample) {
    const std::string pdf = m_dir.File("report.pdf");
    ASSERT_TRUE(WriteReportFile(*m_session, QString::fromStdString(pdf)));
    std::string text = RunText("pdftotext -layout '" + pdf + "' -");
    // the font draws "ff", "ffl" as one glyph; pdftotext shows it as such
    for (const auto& [glyph, letters] :
         std::vector<std::pair<std::string, std::string>>{{"\uFB00", "ff"},
                                                          {"\uFB01", "fi"},
                                                          {"\uFB02", "fl"},
                                                          {"\uFB03", "ffi"},
                                                          {"\uFB04", "ffl"}}) {
        for (std::size_t at = text.find(glyph); at != std::string::npos; at = text.find(glyph)) {
            text.replace(at, glyph.size(), letters);
        }
    }
    ASSERT_FALSE(text.empty()) << "pdftotext (poppler-utils) is needed";
    const ExpectedReport expected = ExpectedReportOf(
        nlohmann::json::parse(ExportConfigurationJson(m_session->Configuration(), 6, 0)));
    EXPECT_NE(text.find("GY-JMB1"), std::string::npos) << text;
    for (const ExpectedField& field : expected.fields) {
        EXPECT_NE(text.find(field.label), std::string::npos) << field.label;
        EXPECT_NE(text.find(field.value), std::string::npos) << field.label << " " << field.value;
    }
    ASSERT_FALSE(expected.rows.empty());
    for (const auto& row : expected.rows) {
        std::vector<std::string> cells = row;
        cells.pop_back();  // the type's words may wrap
        EXPECT_TRUE(HasRow(text, cells)) << cells[0] << " " << cells[2];
    }
    // every word lies inside its page's right margin: no table runs off the edge
    const std::string boxes = RunText("pdftotext -bbox '" + pdf + "' -");
    const auto number = [&boxes](const std::string& key, std::size_t from) {
        const std::size_t at = boxes.find(key + "=\"", from);
        return at == std::string::npos ? -1.0 : std::stod(boxes.substr(at + key.size() + 2));
    };
    const double width = number("<page width", 0);
    ASSERT_GT(width, 0.0) << boxes.substr(0, 400);
    for (std::size_t at = boxes.find("<word "); at != std::string::npos;
         at = boxes.find("<word ", at + 1)) {
        const std::size_t text = boxes.find('>', at) + 1;
        EXPECT_LE(number("xMax", at), width - 20)
            << boxes.substr(text, boxes.find('<', text) - text);
    }
    RunText("pdftoppm -f 1 -l 1 -r 80 -png '" + pdf + "' safe-download/report-page");
}

TEST_F(SafeDownloadFrameTest, TheReportsLabelsAreThoseTheWindowShows) {
    QStringList shown;
    for (const QLabel* label : m_frame->findChildren<QLabel*>()) {
        shown << label->text().trimmed();
    }
    for (const QAbstractButton* box : m_frame->findChildren<QCheckBox*>()) {
        shown << box->text();
    }
    for (const QGroupBox* group : m_frame->findChildren<QGroupBox*>()) {
        shown << group->title();
    }
    for (const ReportSection& section : BuildSessionReport(*m_session, "").sections) {
        EXPECT_TRUE(shown.contains(QString::fromStdString(section.title))) << section.title;
        for (const ReportField& field : section.fields) {
            EXPECT_TRUE(shown.contains(QString::fromStdString(field.label))) << field.label;
        }
    }
}

TEST_F(SafeDownloadFrameTest, CompareListsAChangedSettingAndAnAddedPoint) {
    WithDialog<CCompareDialog>(FrameCommand::CompareWithModule, "compare-equal.png", false,
                               [](CCompareDialog& dialog) {
                                   EXPECT_EQ(dialog.Table()->rowCount(), 0);
                                   EXPECT_EQ(dialog.findChild<QLabel*>("Caption")->text(),
                                             QStringLiteral("No differences"));
                               });
    CConfiguration& config = m_session->EditConfiguration();
    config.modbus.watchdogMs = 3000;
    tagJ1939DataPoint point;
    point.table = JT_Output;
    point.dataOffset = 1000;
    point.dataLength = 8;
    point.pgn = 65280;
    config.io.Add(point);
    WithDialog<CCompareDialog>(
        FrameCommand::CompareWithModule, "compare.png", false, [](CCompareDialog& dialog) {
            const auto rows = Rows(dialog.Table());
            ASSERT_EQ(rows.size(), 2u);
            EXPECT_EQ(rows[0], (std::vector<std::string>{"modbus", "watchdog_ms", "3000", "1000"}));
            EXPECT_EQ(rows[1][0].rfind("j1939 output point", 0), 0u) << rows[1][0];
            EXPECT_NE(rows[1][2].find("pgn 65280"), std::string::npos);
            EXPECT_EQ(rows[1][3], "(none)");
        });
}

TEST_F(SafeDownloadFrameTest, RestoreOpensTheChosenBackupOfTheConnectedGateway) {
    CConfiguration older = m_session->Configuration();
    older.modbus.watchdogMs = 1234;
    const std::uint32_t serial = m_session->Device().SerialNumber();
    const auto when = std::chrono::system_clock::now();
    const BackupWrite mine = WriteBackup(serial, WriteConfigFile(older, 0), when);
    ASSERT_TRUE(mine.written) << mine.reason;
    ASSERT_TRUE(WriteBackup(serial + 1, WriteConfigFile(older, 0), when).written);
    WithDialog<CRestoreDialog>(FrameCommand::RestoreBackup, "restore.png", true,
                               [serial](CRestoreDialog& dialog) {
                                   const auto rows = Rows(dialog.Table());
                                   ASSERT_EQ(rows.size(), 1u);  // only the connected gateway's
                                   EXPECT_EQ(rows[0][1], "J1939 to Modbus Interface");
                                   EXPECT_EQ(rows[0][2], FormatSerialNumber(serial));
                               });
    EXPECT_EQ(m_session->DocumentPath(), mine.path);
    EXPECT_EQ(m_session->Configuration().modbus.watchdogMs, 1234u);
}

}  // namespace
