// The commissioning report, the backups kept before a download, read-back
// verification and compare, through gyconfig-cli (offline and against the
// virtual gateway).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "CliProcess.h"
#include "TestSupport.h"
#include "cli/ConfigFiles.h"
#include "cli/ReportExpectations.h"
#include "tool/model/ConfigJson.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ExampleConfigurations() {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(EXAMPLES_DIR)) {
        if (entry.path().extension() == ".cfg") {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The texts between `open` and `close` markers, in order ("<tr>" ... "</tr>").
std::vector<std::string> Between(const std::string& text, const std::string& open,
                                 const std::string& close) {
    std::vector<std::string> parts;
    for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
        const std::size_t start = text.find('>', at) + 1;
        const std::size_t end = text.find(close, start);
        parts.push_back(text.substr(start, end - start));
        at = end;
    }
    return parts;
}

// Each table row of the page as its cell texts, header cells first.
std::vector<std::vector<std::string>> HtmlRows(const std::string& html) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& row : Between(html, "<tr>", "</tr>")) {
        std::vector<std::string> cells = Between(row, "<th", "</th>");
        for (const std::string& cell : Between(row, "<td", "</td>")) {
            cells.push_back(cell);
        }
        rows.push_back(cells);
    }
    return rows;
}

class CliSafeDownload : public ::testing::Test {
protected:
    ProcessResult Cli(const std::vector<std::string>& arguments) {
        return RunProgram(CLI_PATH, arguments, m_dir.Path());
    }
    ScopedGantryDir m_dir;
};

TEST_F(CliSafeDownload, TheReportHoldsEveryValueOfEachExampleWithItsPaneLabel) {
    for (const std::string& file : ExampleConfigurations()) {
        const std::string out = m_dir.File("report.html");
        const ProcessResult result = Cli({"report", file, out});
        ASSERT_EQ(result.status, 0) << file << result.err;
        const auto rows = HtmlRows(ReadFileBytes(out));
        gantry::cli::LoadedConfiguration loaded;
        std::string error;
        ASSERT_TRUE(gantry::cli::LoadConfigurationFile(file, loaded, error)) << error;
        const ExpectedReport expected = ExpectedReportOf(nlohmann::json::parse(
            gantry::tool::ExportConfigurationJson(loaded.config, 6, loaded.runState)));
        for (const ExpectedField& field : expected.fields) {
            const std::vector<std::string> pair = {field.label, field.value};
            EXPECT_NE(std::find(rows.begin(), rows.end(), pair), rows.end())
                << file << ": " << field.label << " " << field.value;
        }
        for (const auto& point : expected.rows) {
            const bool found = std::any_of(rows.begin(), rows.end(), [&point](const auto& row) {
                return FirstWords(row) == point;
            });
            EXPECT_TRUE(found) << file << ": point at offset " << point[0];
        }
    }
}

// gyconfig-cli against the virtual gateway of the J1939 to Modbus example.
class CliSafeDownloadOnline : public CliSafeDownload {
protected:
    void SetUp() override {
        fs::create_directories(m_dir.File("dosdevices"));
        WriteFileBytes(
            m_dir.File("KV121032.INI"),
            std::string("[DeviceInformation101]\nDeviceParams=") + KVGYSRL_PATH + " COM1\n");
    }
    // The gateway started with `faults`; the file it was read into, and an
    // edited copy (a changed setting and an output point fewer).
    void Start(const std::vector<std::string>& faults = {}) {
        WriteFileBytes(m_dir.File("GYSim.ini"), ReadFileBytes(EXAMPLES_DIR "/j1939-modbus.ini"));
        ASSERT_TRUE(
            m_gateway.Start(m_dir.File("GYSim.ini"), m_dir.File("dosdevices/com1"), faults));
        ASSERT_EQ(Cli({"upload", m_dir.File("before.json")}).status, 0);
        nlohmann::json doc = nlohmann::json::parse(ReadFileBytes(m_dir.File("before.json")));
        doc["modbus"]["watchdog_ms"] = 2500;
        doc["j1939"]["points"].erase(doc["j1939"]["points"].end() - 1);
        WriteFileBytes(m_dir.File("edited.json"), doc.dump(2));
    }
    CGatewayRun m_gateway;
};

TEST_F(CliSafeDownloadOnline, DownloadBacksUpVerifiesAndBackupsListsIt) {
    Start();
    const ProcessResult download = Cli({"download", "--yes", m_dir.File("edited.json")});
    ASSERT_EQ(download.status, 0) << download.err;
    EXPECT_NE(download.out.find("Downloaded and verified "), std::string::npos) << download.out;
    const ProcessResult listed = Cli({"backups", "--serial", "00C3D4E5"});
    ASSERT_EQ(listed.status, 0);
    EXPECT_NE(listed.out.find("00C3D4E5  J1939 to Modbus Interface"), std::string::npos)
        << listed.out;
    const std::string backup = listed.out.substr(listed.out.find(m_dir.Path()));
    EXPECT_NE(download.out.find("to " + backup), std::string::npos) << download.out;
    const ProcessResult same =
        Cli({"diff", m_dir.File("before.json"), backup.substr(0, backup.find('\n'))});
    EXPECT_EQ(same.status, 0) << same.out << same.err;
    EXPECT_EQ(Cli({"backups", "--serial", "00C3D4E6"}).out.find("No backups"), 0u);
}

TEST_F(CliSafeDownloadOnline, AFieldTheGatewayDidNotTakeExitsOneUnlessNotVerified) {
    Start({"--ignore-writes", "130"});  // the Modbus object
    const ProcessResult download = Cli({"download", "--yes", m_dir.File("edited.json")});
    EXPECT_EQ(download.status, 1);
    EXPECT_NE(download.err.find("modbus.watchdog_ms: 2500 -> 1000"), std::string::npos)
        << download.err;
    const ProcessResult unchecked =
        Cli({"download", "--yes", "--no-verify", m_dir.File("edited.json")});
    EXPECT_EQ(unchecked.status, 0) << unchecked.err;
    EXPECT_NE(unchecked.out.find("Downloaded " + m_dir.File("edited.json")), std::string::npos);
}

}  // namespace
