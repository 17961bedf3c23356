// The example files: each .cfg is what the program uploads from its profile,
// and convert round trips them byte for byte in both directions.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "CliProcess.h"
#include "TestSupport.h"

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

class CliExamples : public ::testing::Test {
protected:
    ProcessResult Cli(const std::vector<std::string>& arguments) {
        return RunProgram(CLI_PATH, arguments, m_dir.Path());
    }
    ScopedGantryDir m_dir;
};

TEST_F(CliExamples, EveryProductCombinationHasAProfileAndAConfiguration) {
    const std::vector<std::string> files = ExampleConfigurations();
    ASSERT_EQ(files.size(), 5u);
    std::set<std::string> products;
    for (const std::string& file : files) {
        EXPECT_TRUE(fs::exists(fs::path(file).replace_extension(".ini"))) << file;
        const ProcessResult shown = Cli({"show", file});
        ASSERT_EQ(shown.status, 0) << file << shown.err;
        products.insert(shown.out.substr(0, shown.out.find('\n')));
    }
    EXPECT_EQ(products.size(), 5u);
    EXPECT_EQ(products.count("Product: Ethernet to DeviceNet Gateway"), 1u);
    EXPECT_EQ(products.count("Product: PROFIBUS to J1939 Gateway"), 1u);
}

TEST_F(CliExamples, EachConfigurationIsWhatTheProgramUploadsFromItsProfile) {
    for (const std::string& file : ExampleConfigurations()) {
        fs::copy_file(fs::path(file).replace_extension(".ini"), m_dir.File("GYSim.ini"),
                      fs::copy_options::overwrite_existing);
        const ProcessResult upload = Cli({"--offline", "upload", m_dir.File("fresh.cfg")});
        ASSERT_EQ(upload.status, 0) << file << upload.err;
        EXPECT_EQ(ReadFileBytes(m_dir.File("fresh.cfg")), ReadFileBytes(file)) << file;
    }
}

TEST_F(CliExamples, ConvertRoundTripsCfgThroughJsonByteForByte) {
    for (const std::string& file : ExampleConfigurations()) {
        ASSERT_EQ(Cli({"convert", file, m_dir.File("a.json")}).status, 0) << file;
        ASSERT_EQ(Cli({"convert", m_dir.File("a.json"), m_dir.File("b.cfg")}).status, 0) << file;
        EXPECT_EQ(ReadFileBytes(m_dir.File("b.cfg")), ReadFileBytes(file)) << file;
        // and the JSON form through .cfg
        ASSERT_EQ(Cli({"convert", m_dir.File("a.json"), m_dir.File("c.cfg")}).status, 0);
        ASSERT_EQ(Cli({"convert", m_dir.File("c.cfg"), m_dir.File("d.json")}).status, 0);
        EXPECT_EQ(ReadFileBytes(m_dir.File("d.json")), ReadFileBytes(m_dir.File("a.json"))) << file;
        const ProcessResult same = Cli({"diff", file, m_dir.File("d.json")});
        EXPECT_EQ(same.status, 0) << same.out;
    }
}

TEST_F(CliExamples, IoTableCsvRoundTripsThroughExportAndImport) {
    const std::string file = std::string(EXAMPLES_DIR) + "/ethernet-j1939.cfg";
    fs::copy_file(file, m_dir.File("work.cfg"));
    ASSERT_EQ(Cli({"io", "export", m_dir.File("work.cfg"), m_dir.File("io.csv")}).status, 0);
    const std::string csv = ReadFileBytes(m_dir.File("io.csv"));
    EXPECT_EQ(csv.substr(0, csv.find('\r')),
              "table,dataOffset,dataLength,pgn,address,updateRate,messageOffset,priority");
    const ProcessResult imported =
        Cli({"io", "import", m_dir.File("work.cfg"), m_dir.File("io.csv")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(ReadFileBytes(m_dir.File("work.cfg")), ReadFileBytes(file));

    // a refused row changes nothing and names its line
    WriteFileBytes(m_dir.File("bad.csv"), csv + "1,0,8,61184,0,5,0,6\r\n");
    const ProcessResult refused =
        Cli({"io", "import", m_dir.File("work.cfg"), m_dir.File("bad.csv")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("line 8: Specified Data Table space is already occupied by "
                               "another I/O Point"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(ReadFileBytes(m_dir.File("work.cfg")), ReadFileBytes(file));
}

}  // namespace
