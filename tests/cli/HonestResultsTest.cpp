// Bad input, lost writes and set-up problems as a user meets them: gyconfig-cli
// as a process, through the real RP1210 library and driver against the
// virtual gateway where a gateway is needed. Each case checks the message,
// the exit status and that no file changed.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "CliProcess.h"
#include "TestSupport.h"
#include "common/ProfileFile.h"
#include "tool/device/DeviceRequest.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/model/ConfigFile.h"

using namespace gantry;

using namespace gantry::tool;

namespace fs = std::filesystem;

namespace {

class HonestCli : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir.File("dosdevices"));
        // the driver by its full path: a sanitized library does not search its RUNPATH
        WriteIni(KVGYSRL_PATH);
        fs::copy_file(std::string(EXAMPLES_DIR) + "/j1939-modbus.cfg", File("good.cfg"));
    }
    void WriteIni(const std::string& driver) {
        WriteFileBytes(m_dir.File("KV121032.INI"),
                       "[DeviceInformation101]\nDeviceParams=" + driver + " COM1\n");
    }
    std::string File(const std::string& name) { return m_dir.File(name); }
    bool StartGateway(const std::vector<std::string>& faults = {}) {
        fs::copy_file(std::string(EXAMPLES_DIR) + "/j1939-modbus.ini", File("GYSim.ini"),
                      fs::copy_options::overwrite_existing);
        return m_gateway.Start(File("GYSim.ini"), File("dosdevices/com1"), faults);
    }
    ProcessResult Cli(const std::vector<std::string>& arguments) {
        return RunProgram(CLI_PATH, arguments, m_dir.Path());
    }
    // The command fails with exactly `message` on standard error.
    void ExpectRefusal(const std::vector<std::string>& arguments, int status,
                       const std::string& message) {
        const ProcessResult result = Cli(arguments);
        EXPECT_EQ(result.status, status) << arguments.front() << ": " << result.err;
        EXPECT_EQ(result.err, message) << arguments.front();
    }

    ScopedGantryDir m_dir;
    CGatewayRun m_gateway;
};

// ---- files ----

TEST_F(HonestCli, Files_DirectoriesFifosDevicesAndHugeFilesAreRefusedByName) {
    const std::string dir = File("d.cfg");
    fs::create_directory(dir);
    const std::string good = ReadFileBytes(File("good.cfg"));
    const std::string isDir = "Error: " + dir + " is a directory, not a file.\n";
    ExpectRefusal({"show", dir}, 2, isDir);
    ExpectRefusal({"convert", dir, File("out.json")}, 2, isDir);
    ExpectRefusal({"diff", dir, File("good.cfg")}, 2, "Error: " + dir + ": " + isDir.substr(7));
    ExpectRefusal({"--offline", "--yes", "download", dir}, 2, isDir);
    ExpectRefusal({"io", "export", dir, File("x.csv")}, 2, isDir);
    ExpectRefusal({"io", "import", File("good.cfg"), dir}, 2, isDir);
    EXPECT_FALSE(fs::exists(File("out.json")));
    EXPECT_FALSE(fs::exists(File("x.csv")));
    EXPECT_EQ(ReadFileBytes(File("good.cfg")), good);

    ASSERT_EQ(::mkfifo(File("f.cfg").c_str(), 0600), 0);  // would block a plain open
    ExpectRefusal({"show", File("f.cfg")}, 2,
                  "Error: " + File("f.cfg") + " is not a regular file.\n");
    ExpectRefusal({"show", "/dev/zero"}, 2, "Error: /dev/zero is not a regular file.\n");
    WriteFileBytes(File("big.json"), std::string(2 * 1024 * 1024, ' '));
    ExpectRefusal(
        {"show", File("big.json")}, 2,
        "Error: " + File("big.json") + " is too large (2097152 bytes; at most 1048576).\n");
}

TEST_F(HonestCli, Files_ATextFileAndVersionZeroAreUnexpectedFormatAndNeverDownloaded) {
    WriteFileBytes(File("text.cfg"), "Run state saved: these are words, not a configuration\n");
    std::string zero = ReadFileBytes(File("good.cfg"));
    zero[4] = 0;  // the version after the magic
    WriteFileBytes(File("zero.cfg"), zero);
    ASSERT_TRUE(StartGateway());
    const std::string profile = ReadFileBytes(File("GYSim.ini"));
    for (const char* name : {"text.cfg", "zero.cfg"}) {
        ExpectRefusal({"show", File(name)}, 2, "Error: Unexpected file format.\n");
        ExpectRefusal({"--yes", "download", File(name)}, 2, "Error: Unexpected file format.\n");
    }
    EXPECT_EQ(ReadFileBytes(File("GYSim.ini")), profile);
}

// ---- no false success ----

TEST_F(HonestCli, NoFalseSuccess_ForeignFilesAndNumbersTooLargeAreRefusedAndNothingWritten) {
    std::string cfg = ReadFileBytes(File("good.cfg"));
    WriteFileBytes(File("extra.cfg"), cfg + '\0');
    WriteFileBytes(File("types.cfg"), cfg.substr(0, 8) + std::string(8, '\xFF') + cfg.substr(16));
    cfg[4] = 1;  // version 6 relabelled 1: its I/O table would be bytes left over
    WriteFileBytes(File("relabelled.cfg"), cfg);
    ASSERT_EQ(Cli({"convert", File("good.cfg"), File("good.json")}).status, 0);
    const std::string json = ReadFileBytes(File("good.json"));
    const auto edited = [&json](const std::string& from, const std::string& to) {
        std::string changed = json;
        return changed.replace(changed.find(from), from.size(), to);
    };
    WriteFileBytes(File("type.json"), edited("\"client_type\": 9", "\"client_type\": 999"));
    WriteFileBytes(File("twice.json"),
                   edited("\"run_state\": ", "\"run_state\": 0, \"run_state\": "));
    WriteFileBytes(File("huge.json"), edited("\"run_state\": ", "\"run_state\": 1e400, \"x\": "));
    const std::pair<const char*, std::string> cases[] = {
        {"extra.cfg", "Unexpected file format."},
        {"types.cfg", "Unexpected file format."},
        {"relabelled.cfg", "Unexpected file format."},
        {"type.json", "value out of range: client_type"},
        {"twice.json", "duplicate key: run_state"},
        {"huge.json",
         "value out of range: run_state (line 5, column 16: a number too large to read)"},
    };
    for (const auto& [name, message] : cases) {
        ExpectRefusal({"convert", File(name), File("out.cfg")}, 2, "Error: " + message + "\n");
        EXPECT_FALSE(fs::exists(File("out.cfg"))) << name;
    }
}

TEST_F(HonestCli, NoFalseSuccess_NoProfileNoPortAndAGatewayStayingInRunAreSaid) {
    ExpectRefusal({"--offline", "upload", File("o.cfg")}, 3,
                  "Error: " + File("GYSim.ini") +
                      " does not exist: the simulated gateway has no identity. Copy a profile "
                      "from examples/ there.\n");
    WriteFileBytes(File("GYSim.ini"), "");
    EXPECT_EQ(Cli({"--offline", "upload", File("o.cfg")}).status, 3);
    if (::geteuid() != 0) {  // root reads any file
        WriteFileBytes(File("GYSim.ini"), "[Identity]\n");
        fs::permissions(File("GYSim.ini"), fs::perms::none);
        EXPECT_EQ(Cli({"--offline", "upload", File("o.cfg")}).status, 3);
        fs::remove(File("GYSim.ini"));  // the gateway below writes its own profile here
    }
    EXPECT_FALSE(fs::exists(File("o.cfg")));

    fs::create_symlink("/dev/null", File("dosdevices/com1"));
    for (const std::string port : {"COM1x", "COM 1", "", "COM0", "COM256", "/dev/null"}) {
        const ProcessResult result = Cli({"--port", port, "identity"});
        EXPECT_EQ(result.status, 2) << port;
        EXPECT_NE(result.err.find("'" + port +
                                  "' is no port name: a port is named COM and a "
                                  "number from 1 to 255"),
                  std::string::npos)
            << result.err;
    }
    ExpectRefusal({"--port", "com5", "identity"}, 3,
                  "Error: COM5 has no link in " + m_dir.Path() +
                      "/dosdevices (linked: COM1): run `gyconfig-cli setup` with the adapter "
                      "plugged in, or name a linked port.\n");

    fs::remove(File("dosdevices/com1"));
    ASSERT_TRUE(StartGateway({"--stay-in-run"}));
    ExpectRefusal({"mode", "idle"}, 1,
                  "Error: The gateway did not switch to Idle: it reports Run after the request.\n");
}

// ---- lost writes ----

TEST_F(HonestCli, LostWrites_ADownloadIntoAGatewayGoingSilentNamesTheWritesAndExitsFour) {
    ASSERT_TRUE(StartGateway());
    ASSERT_EQ(Cli({"upload", File("mod.json")}).status, 0);
    m_gateway.Stop();
    const std::pair<const char*, std::string> cases[] = {
        {"40", "17 of 20 writes failed.\nNot answered: Modbus attribute 6, Modbus attribute 7, "},
        {"50", "7 of 20 writes failed.\nNot answered: J1939 I/O point 1, J1939 I/O point 2, "},
    };
    for (const auto& [after, named] : cases) {
        ASSERT_TRUE(StartGateway({"--silent-after", after}));
        const ProcessResult result = Cli({"--yes", "download", File("mod.json")});
        EXPECT_EQ(result.status, 4) << result.err;
        EXPECT_EQ(result.out.find("Downloaded"), std::string::npos) << result.out;
        EXPECT_NE(result.err.find("Configuration Download: The gateway did not store the whole "
                                  "configuration: " +
                                  named),
                  std::string::npos)
            << result.err;
        EXPECT_NE(result.err.find("The gateway stopped answering during the download"),
                  std::string::npos);
        EXPECT_NE(result.err.find("Error: The download of " + File("mod.json") +
                                  " is not complete: the gateway stopped answering."),
                  std::string::npos);
        m_gateway.Stop();
    }
}

TEST_F(HonestCli, LostWrites_CorruptedRepliesAreResentButAGatewayThatRejectsEveryFifthIsLost) {
    ASSERT_TRUE(StartGateway({"--corrupt-every", "5"}));
    const ProcessResult corrupt = Cli({"identity"});
    EXPECT_EQ(corrupt.status, 0) << corrupt.err;
    EXPECT_NE(corrupt.out.find("GY-JMB1"), std::string::npos);
    m_gateway.Stop();
    ASSERT_TRUE(StartGateway({"--nak-every", "5"}));
    ExpectRefusal({"identity"}, 4,
                  "Error: The gateway stopped answering during the command: check the cable and "
                  "the gateway, then try again.\n");
}

// ---- limits ----

TEST_F(HonestCli, Limits_201PointsAreNotDownloadedAndAClaimOf65535IsReadAs200) {
    CConfiguration config;
    config.clientType = IT_J1939;
    config.serverType = IT_ModbusSlave;
    config.SetRevision(LookupProductCombination(IT_J1939, IT_ModbusSlave).revision);
    for (std::uint16_t i = 0; i < 201; ++i) {
        config.io.Append(tagJ1939DataPoint{JT_Input, i, 1, 0, 1, 1000, 0, 6});
    }
    const std::vector<std::uint8_t> bytes = WriteConfigFile(config, 0);
    WriteFileBytes(File("big.cfg"), std::string(bytes.begin(), bytes.end()));
    fs::copy_file(std::string(EXAMPLES_DIR) + "/j1939-modbus.ini", File("GYSim.ini"));
    const std::string profile = ReadFileBytes(File("GYSim.ini"));
    const ProcessResult download = Cli({"--offline", "--yes", "download", File("big.cfg")});
    EXPECT_EQ(download.status, 1);
    EXPECT_NE(download.err.find("Configuration Limit: Total Datapoint Limit has been Reached\n"),
              std::string::npos)
        << download.err;
    EXPECT_EQ(ReadFileBytes(File("GYSim.ini")), profile);

    ASSERT_TRUE(WriteProfileString(File("GYSim.ini"), "J1939IO_0", "NumberOfEntries", "-1"));
    const ProcessResult upload = Cli({"--offline", "upload", File("up.cfg")});
    EXPECT_EQ(upload.status, 0) << upload.err;
    EXPECT_EQ(upload.err.rfind("Configuration Limit: The gateway reports 65535 I/O points; the "
                               "table holds at most 200: only the first 200 were read.\n",
                               0),
              0u)
        << upload.err;
}

// ---- set-up ----

TEST_F(HonestCli, SetUp_EachProblemIsNamedWithWhatToDoAndNothingAnsweredKeepsItsWords) {
    fs::create_symlink("/dev/null", File("dosdevices/com1"));
    const std::string ini = File("KV121032.INI");
    ExpectRefusal({"identity"}, 3,
                  "Error: COM1 (" + File("dosdevices/com1") +
                      "): /dev/null is a character device, not a serial device: link the port to "
                      "the adapter's device (`gyconfig-cli setup` links /dev/ttyUSB*, "
                      "/dev/ttyACM* and /dev/ttyS*).\n");
    const ProcessResult ports = Cli({"ports"});
    EXPECT_EQ(ports.status, 1);
    EXPECT_NE(ports.out.find("/dev/null is a character device, not a serial device"),
              std::string::npos)
        << ports.out;

    const std::string fix = ": fix the driver name (the installed driver is libKVGYSrl.so).\n";
    WriteIni("libNoSuchDriver.so");
    ExpectRefusal(
        {"identity"}, 3,
        "Error: The driver libNoSuchDriver.so for COM1 in " + ini + " cannot be found" + fix);
    WriteFileBytes(File("words.so"), "not a library");
    WriteIni(File("words.so"));
    ExpectRefusal({"identity"}, 3,
                  "Error: The driver " + File("words.so") + " for COM1 in " + ini +
                      " is not a driver library" + fix);
    WriteIni(std::string(197, 'x') + ".so");
    ExpectRefusal(
        {"identity"}, 3,
        "Error: The driver name for COM1 in " + ini + " is 200 characters long (at most 79)" + fix);
    fs::remove(ini);
    ExpectRefusal({"identity"}, 3,
                  "Error: " + ini + " is missing or empty: run `gyconfig-cli setup`.\n");

    WriteIni(KVGYSRL_PATH);
    fs::remove(File("dosdevices/com1"));
    fs::create_symlink(File("good.cfg"), File("dosdevices/com1"));
    const ProcessResult file = Cli({"identity"});
    EXPECT_EQ(file.status, 3);
    EXPECT_NE(file.err.find(File("good.cfg") + " is a file, not a serial device"),
              std::string::npos)
        << file.err;

    // a serial line where nothing answers
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    fs::remove(File("dosdevices/com1"));
    fs::create_symlink(name, File("dosdevices/com1"));
    ExpectRefusal({"identity"}, 3,
                  "Error: No gateway answered on COM1 (" + std::string(name) + ").\n");
    ::close(master);
    ::close(slave);
}

TEST_F(HonestCli, SetUp_TheIniFileDeviceParamsPortsAndSetupNameWhatIsWrong) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    fs::create_symlink(name, File("dosdevices/com1"));
    const std::string ini = File("KV121032.INI");
    fs::remove(ini);
    fs::create_directory(ini);
    const std::string rerun = ": remove it and run `gyconfig-cli setup`.\n";
    ExpectRefusal({"identity"}, 3, "Error: " + ini + " is a directory, not a file" + rerun);
    fs::remove(ini);
    WriteFileBytes(ini, std::string("\x7F"
                                    "ELF\2\1\1\0\0\0",
                                    10));
    ExpectRefusal({"identity"}, 3, "Error: " + ini + " holds binary data, not text" + rerun);

    WriteFileBytes(ini,
                   "[DeviceInformation101]\nDeviceParams=" + std::string(KVGYSRL_PATH) + " COM7\n");
    const std::string where = " of [DeviceInformation101] in " + ini;
    ExpectRefusal({"identity"}, 3,
                  "Error: The port COM7 named by the DeviceParams" + where + " has no link in " +
                      File("dosdevices") + ": run `gyconfig-cli setup`.\n");
    const std::string params = std::string(KVGYSRL_PATH) + " " + File(std::string(100, 'p'));
    WriteFileBytes(ini, "[DeviceInformation101]\nDeviceParams=" + params + "\n");
    const ProcessResult cut = Cli({"identity"});
    EXPECT_EQ(cut.status, 3);
    EXPECT_EQ(
        cut.err.rfind("Error: The DeviceParams" + where + " is " + std::to_string(params.size()) +
                          " characters long; the RP1210 library reads at most 99",
                      0),
        0u)
        << cut.err;
    ::close(master);
    ::close(slave);

    fs::remove(File("dosdevices/com1"));
    ASSERT_EQ(::mkfifo(File("fifo").c_str(), 0600), 0);
    fs::create_symlink(File("fifo"), File("dosdevices/com1"));
    fs::create_symlink("com2", File("dosdevices/com2"));  // a link to itself
    const ProcessResult ports = Cli({"ports"});
    EXPECT_NE(ports.out.find(File("fifo") + " is a FIFO (named pipe), not a serial device"),
              std::string::npos)
        << ports.out;
    EXPECT_NE(ports.out.find(File("dosdevices/com2") +
                             " is a loop of symbolic links that never reaches a device"),
              std::string::npos)
        << ports.out;

    fs::remove_all(File("dosdevices"));
    WriteFileBytes(File("dosdevices"), "");
    const ProcessResult setup = Cli({"setup"});
    EXPECT_EQ(setup.status, 1);
    EXPECT_EQ(setup.out, "");
    EXPECT_EQ(setup.err, "Error: Cannot create " + File("dosdevices") + ": " + File("dosdevices") +
                             " is not a directory\n");
}

// ---- offline ----

TEST_F(HonestCli, Offline_AMissingOrEmptyProfileIsSaidAndAnUnknownRunModeIsNoGateway) {
    const std::string profile = File("GYSim.ini");
    const ProcessResult missing = Cli({"--offline", "identity"});
    EXPECT_EQ(missing.status, 3);
    EXPECT_EQ(
        missing.err.rfind(
            "Error: " + profile + " does not exist: the simulated gateway has no identity.", 0),
        0u)
        << missing.err;
    WriteFileBytes(profile, "");
    const ProcessResult empty = Cli({"--offline", "identity"});
    EXPECT_EQ(empty.status, 3);
    EXPECT_EQ(empty.err.rfind("Error: " + profile + " is empty", 0), 0u) << empty.err;

    WriteFileBytes(profile, "[Identity]\nClient Type=9\nServer Type=8\nRun Mode=7\n");
    ExpectRefusal({"--offline", "upload", File("o.cfg")}, 3,
                  "Error: The simulated gateway of " + profile +
                      " reports Run Mode 7, which is neither Idle, Run nor Faulted: it counts as "
                      "no gateway. Set Run Mode to Idle or Run.\n");
    EXPECT_FALSE(fs::exists(File("o.cfg")));
}

// ---- CSV and JSON ----

TEST_F(HonestCli, CsvAndJson_AByteOrderMarkIsSkippedAndRefusalsNameTheirFieldAndLine) {
    ASSERT_EQ(Cli({"io", "export", File("good.cfg"), File("t.csv")}).status, 0);
    WriteFileBytes(File("bom.csv"), "\xEF\xBB\xBF" + ReadFileBytes(File("t.csv")));
    const ProcessResult bom = Cli({"io", "import", File("good.cfg"), File("bom.csv")});
    EXPECT_EQ(bom.status, 0) << bom.err;

    const std::string good = ReadFileBytes(File("good.cfg"));
    std::string rows =
        "table,dataOffset,dataLength,pgn,address,updateRate,messageOffset,priority\n";
    for (int i = 0; i < 30; ++i) {
        rows += "0," + std::to_string(8 * i) + ",8,65280,256,100,0,6\n";  // address out of range
    }
    WriteFileBytes(File("bad.csv"), rows);
    const ProcessResult bad = Cli({"io", "import", File("good.cfg"), File("bad.csv")});
    EXPECT_EQ(bad.status, 1);
    const std::string first = "Invalid Entry: " + File("bad.csv") +
                              " line 2: Invalid Target Address. Please specify the Target "
                              "Address in the 0 - 255 range. (column address)\n";
    EXPECT_EQ(bad.err.rfind(first, 0), 0u) << bad.err;
    EXPECT_NE(bad.err.find("Error: ... and 10 more refused rows in " + File("bad.csv") + ".\n"),
              std::string::npos);
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 22);  // 20, the count, unchanged
    EXPECT_EQ(ReadFileBytes(File("good.cfg")), good);

    fs::copy_file(std::string(EXAMPLES_DIR) + "/ethernet-j1939.cfg", File("eth.cfg"));
    ASSERT_EQ(Cli({"convert", File("eth.cfg"), File("eth.json")}).status, 0);
    std::string json = ReadFileBytes(File("eth.json"));
    const std::size_t ip = json.find("\"ip\": \"") + 7;
    ASSERT_GT(ip, 7u);
    json.replace(ip, json.find('"', ip) - ip, "192.168.001.20");  // 001 would be octal elsewhere
    WriteFileBytes(File("eth.json"), json);
    ExpectRefusal({"show", File("eth.json")}, 2,
                  "Error: value out of range: ethernet.ip (an octet with a leading zero)\n");
    WriteFileBytes(File("broken.json"), "{\n  \"format_version\": 6,\n  oops\n}\n");
    const ProcessResult broken = Cli({"show", File("broken.json")});
    EXPECT_EQ(broken.status, 2);
    EXPECT_EQ(broken.err.rfind("Error: not a JSON document: line 3, column 3: ", 0), 0u)
        << broken.err;
}

// ---- files never replaced, writes never lost, files read with a bound ----

TEST_F(HonestCli, Replace_OnlyARegularFileTheUserMayWriteIsWrittenAndARefusalSaysWhy) {
    ASSERT_EQ(::mkfifo(File("out.json").c_str(), 0600), 0);
    ExpectRefusal(
        {"convert", File("good.cfg"), File("out.json")}, 1,
        "Error: Cannot write " + File("out.json") + ": it is a FIFO, not a regular file.\n");
    WriteFileBytes(File("t.csv"), "kept");
    ::chmod(File("t.csv").c_str(), 0444);
    ExpectRefusal({"io", "export", File("good.cfg"), File("t.csv")}, 1,
                  "Error: Cannot write " + File("t.csv") + ": it is read-only.\n");
    EXPECT_EQ(ReadFileBytes(File("t.csv")), "kept");
    EXPECT_TRUE(fs::is_fifo(File("out.json")));
}

TEST_F(HonestCli, NoFalseSuccess_AProfileThatCannotBeWrittenRefusesTheDownloadOfflineAndOnline) {
    fs::copy_file(std::string(EXAMPLES_DIR) + "/j1939-modbus.ini", File("GYSim.ini"));
    ::chmod(File("GYSim.ini").c_str(), 0444);
    const std::string profile = ReadFileBytes(File("GYSim.ini"));
    const ProcessResult offline = Cli({"--offline", "--yes", "download", File("good.cfg")});
    EXPECT_EQ(offline.status, 1) << offline.err;
    EXPECT_NE(offline.err.find("Refused by the gateway: "), std::string::npos) << offline.err;
    ::chmod(File("GYSim.ini").c_str(), 0644);

    ASSERT_TRUE(StartGateway());
    ::chmod(File("GYSim.ini").c_str(), 0444);
    const ProcessResult online = Cli({"--yes", "download", File("good.cfg")});
    EXPECT_EQ(online.status, 1) << online.err;
    EXPECT_NE(online.err.find("Refused by the gateway: "), std::string::npos) << online.err;
    EXPECT_EQ(ReadFileBytes(File("GYSim.ini")), profile);
}

TEST_F(HonestCli, Bounded_AProfileOverTheLimitIsRefusedWithTheLimitNamed) {
    WriteFileBytes(File("GYSim.ini"), "[Identity]\nProduct Name=Big\n" + std::string(5 << 20, ';'));
    const ProcessResult big = Cli({"--offline", "identity"});
    EXPECT_EQ(big.err.rfind("Error: " + File("GYSim.ini") + " is too large (5242908 bytes; at " +
                                "most 4194304): the simulated gateway has no identity.\n",
                            0),
              0u)
        << big.err;
    EXPECT_EQ(big.out.find("Big"), std::string::npos);
}

}  // namespace
