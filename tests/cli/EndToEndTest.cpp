// gyconfig-cli as a process against the virtual gateway on a pseudo-terminal:
// the program, the RP1210 library, the serial driver and the gateway, each a
// real part; and the in-process simulated gateway with no library at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "CliProcess.h"
#include "TestSupport.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

// A J1939 to Modbus gateway holding `inputs` + `outputs` points.
std::string J1939ModbusProfile(int inputs, int outputs) {
    std::string text =
        "[Identity]\nProduct Name=GY-JMB1\nSerial Number=0x00C3D4E5\nFirmware Revision=2.06\n"
        "Client Type=9\nServer Type=8\nRun Mode=Run\nMajor Fault=0\n"
        "[J1939Config]\nNetwork Address=0x80\nDevice Name=A00064001E00A001\n"
        "Network Address List=80\nEnable Bus Off CAN Reset=1\nOffline Detection Time=1000\n"
        "[ModbusConfig]\nStatus=Online\nSlave Address=1\nBaud Rate=19200\nParity=Even\n"
        "Stop Bits=1\nWatchdog Timeout=1000\n";
    text += "[J1939IO_0]\nNumberOfEntries=" + std::to_string(inputs + outputs) + "\n";
    int entry = 1;
    for (int i = 0; i < inputs; ++i, ++entry) {
        text +=
            "[J1939IO_" + std::to_string(entry) +
            "]\nDirection=Input\nOffset=" + std::to_string(16 * i) +
            "\nSize=16\nUpdate Rate=100\nTarget Address=0\nPGN=" + std::to_string(65280 + i % 20) +
            "\nMessage Offset=" + std::to_string((i / 20) * 16) + "\n";
    }
    for (int i = 0; i < outputs; ++i, ++entry) {
        text +=
            "[J1939IO_" + std::to_string(entry) +
            "]\nDirection=Output\nOffset=" + std::to_string(8 * i) +
            "\nSize=8\nUpdate Rate=50\nTarget Address=32\nPGN=" + std::to_string(65300 + i % 10) +
            "\nMessage Offset=" + std::to_string((i / 10) * 8) +
            "\nPriority=" + std::to_string(i % 8) + "\n";
    }
    return text;
}

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir.File("dosdevices"));
        // the driver by its full path: a sanitized library does not search its RUNPATH
        WriteFileBytes(
            m_dir.File("KV121032.INI"),
            std::string("[DeviceInformation101]\nDeviceParams=") + KVGYSRL_PATH + " COM1\n");
    }

    bool StartGateway(const std::string& profile) {
        WriteFileBytes(m_dir.File("GYSim.ini"), profile);
        return m_gateway.Start(m_dir.File("GYSim.ini"), m_dir.File("dosdevices/com1"));
    }

    ProcessResult Cli(const std::vector<std::string>& arguments) {
        return RunProgram(CLI_PATH, arguments, m_dir.Path());
    }

    Json JsonOfFile(const std::string& file) {
        const ProcessResult shown = Cli({"show", "--json", file});
        EXPECT_EQ(shown.status, 0) << shown.err;
        return Json::parse(shown.out);
    }

    ScopedGantryDir m_dir;
    CGatewayRun m_gateway;
};

TEST_F(CliEndToEnd, IdentityReadsTheGatewayThroughTheWholeStack) {
    ASSERT_TRUE(StartGateway(J1939ModbusProfile(1, 1)));
    const ProcessResult text = Cli({"identity"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("GY-JMB1"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("J1939 to Modbus Interface"), std::string::npos);
    EXPECT_NE(text.out.find("00C3D4E5"), std::string::npos);
    EXPECT_NE(text.out.find("2.06"), std::string::npos);
    EXPECT_NE(text.out.find("Run"), std::string::npos);

    const ProcessResult json = Cli({"identity", "--json"});  // a global option after the command
    ASSERT_EQ(json.status, 0) << json.err;
    const Json identity = Json::parse(json.out);
    EXPECT_EQ(identity["product"], "GY-JMB1");
    EXPECT_EQ(identity["client_type"], 9);
    EXPECT_EQ(identity["server_type"], 8);
    EXPECT_EQ(identity["serial_number"], "00C3D4E5");
    EXPECT_EQ(identity["revision"], "2.06");
    EXPECT_EQ(identity["run_state"], "Run");
    EXPECT_EQ(identity["error"], "No Error");
}

TEST_F(CliEndToEnd, UploadOfTwoHundredPointsKeepsEveryPointAndSetting) {
    ASSERT_TRUE(StartGateway(J1939ModbusProfile(110, 90)));
    const ProcessResult upload = Cli({"upload", m_dir.File("gateway.cfg")});
    ASSERT_EQ(upload.status, 0) << upload.err;
    EXPECT_NE(upload.out.find("200 I/O points"), std::string::npos) << upload.out;

    const Json doc = JsonOfFile(m_dir.File("gateway.cfg"));
    EXPECT_EQ(doc["client_type"], 9);
    EXPECT_EQ(doc["server_type"], 8);
    EXPECT_EQ(doc["modbus"]["network_address"], 1);
    EXPECT_EQ(doc["modbus"]["watchdog_ms"], 1000);
    EXPECT_EQ(doc["j1939"]["name_hex"].get<std::string>().size(), 16u);
    const Json& points = doc["j1939"]["points"];
    ASSERT_EQ(points.size(), 200u);
    int inputs = 0;
    for (const Json& point : points) {
        if (point["table"] == 0) {
            EXPECT_EQ(point["dataLength"], 16);
            EXPECT_EQ(point["dataOffset"].get<int>() % 16, 0);
            ++inputs;
        } else {
            EXPECT_EQ(point["table"], 1);
            EXPECT_EQ(point["address"], 32);
        }
    }
    EXPECT_EQ(inputs, 110);
    // the last output, as the gateway holds it
    EXPECT_EQ(points[199]["dataOffset"], 8 * 89);
    EXPECT_EQ(points[199]["pgn"], 65300 + 89 % 10);
    EXPECT_EQ(points[199]["messageOffset"], (89 / 10) * 8);
}

TEST_F(CliEndToEnd, DownloadOfAnEditedFileThenUploadGivesTheSameRecords) {
    ASSERT_TRUE(StartGateway(J1939ModbusProfile(6, 4)));
    ASSERT_EQ(Cli({"upload", m_dir.File("before.json")}).status, 0);
    Json doc = Json::parse(ReadFileBytes(m_dir.File("before.json")));
    doc["modbus"]["network_address"] = 17;
    doc["modbus"]["watchdog_ms"] = 2500;
    doc["j1939"]["offline_time_ms"] = 5000;
    doc["j1939"]["points"][2]["updateRate"] = 250;
    doc["j1939"]["points"].erase(doc["j1939"]["points"].begin() + 8);  // an output
    WriteFileBytes(m_dir.File("edited.json"), doc.dump(2));

    const ProcessResult download = Cli({"download", "--yes", m_dir.File("edited.json")});
    ASSERT_EQ(download.status, 0) << download.err;
    EXPECT_EQ(download.err.find("CAUTION!"), std::string::npos) << download.err;

    ASSERT_EQ(Cli({"upload", m_dir.File("after.cfg")}).status, 0);
    const ProcessResult same = Cli({"diff", m_dir.File("edited.json"), m_dir.File("after.cfg")});
    EXPECT_EQ(same.status, 0) << same.out;
    EXPECT_EQ(same.out, "");
    const ProcessResult live = Cli({"diff", m_dir.File("before.json"), "device"});
    EXPECT_EQ(live.status, 1);
    EXPECT_NE(live.out.find("modbus.network_address: 1 -> 17"), std::string::npos) << live.out;
    EXPECT_NE(live.out.find("j1939 input point 3 updateRate: 100 -> 250"), std::string::npos)
        << live.out;
    EXPECT_NE(live.out.find("j1939 output point 4 only in the first"), std::string::npos)
        << live.out;
    // what the gateway keeps
    const std::string profile = ReadFileBytes(m_dir.File("GYSim.ini"));
    EXPECT_NE(profile.find("Slave Address=17"), std::string::npos);
    EXPECT_NE(profile.find("NumberOfEntries=9"), std::string::npos);
}

TEST_F(CliEndToEnd, DownloadRefusedByARuleExitsOneWithTheToolsTextAndWritesNothing) {
    ASSERT_TRUE(StartGateway(J1939ModbusProfile(3, 2)));
    ASSERT_EQ(Cli({"upload", m_dir.File("gateway.json")}).status, 0);
    Json doc = Json::parse(ReadFileBytes(m_dir.File("gateway.json")));
    doc["j1939"]["offline_time_ms"] = 50;
    doc["modbus"]["network_address"] = 0;
    WriteFileBytes(m_dir.File("bad.json"), doc.dump(2));
    const std::string profileBefore = ReadFileBytes(m_dir.File("GYSim.ini"));

    const ProcessResult download = Cli({"--yes", "download", m_dir.File("bad.json")});
    EXPECT_EQ(download.status, 1);
    EXPECT_NE(download.err.find("Offline Detect Time Entry Error: Offline Detection Time must be "
                                "between 100ms and 60000ms"),
              std::string::npos)
        << download.err;
    EXPECT_NE(download.err.find("Invalid Network Address. Please specify the Network Address in "
                                "the 1 - 247 range."),
              std::string::npos)
        << download.err;
    EXPECT_EQ(ReadFileBytes(m_dir.File("GYSim.ini")), profileBefore);
}

TEST_F(CliEndToEnd, ConfirmationWithoutATerminalCountsAsNo) {
    ASSERT_TRUE(StartGateway(J1939ModbusProfile(2, 1)));
    ASSERT_EQ(Cli({"upload", m_dir.File("gateway.cfg")}).status, 0);
    const std::string profileBefore = ReadFileBytes(m_dir.File("GYSim.ini"));
    const ProcessResult download = Cli({"download", m_dir.File("gateway.cfg")});
    EXPECT_EQ(download.status, 1);
    EXPECT_NE(download.err.find("Configuration Download: CAUTION!\n\nDownloading the "
                                "configuration may cause the device to reset\n"),
              std::string::npos)
        << download.err;
    EXPECT_EQ(ReadFileBytes(m_dir.File("GYSim.ini")), profileBefore);
}

TEST_F(CliEndToEnd, AFileOfAnotherProductIsNotDownloaded) {
    ASSERT_TRUE(StartGateway(J1939ModbusProfile(2, 1)));
    const std::string profileBefore = ReadFileBytes(m_dir.File("GYSim.ini"));
    const ProcessResult download =
        Cli({"download", "--yes", std::string(EXAMPLES_DIR) + "/ethernet-j1939.cfg"});
    EXPECT_EQ(download.status, 1);
    EXPECT_NE(download.err.find("Error: Failed to open document."), std::string::npos)
        << download.err;
    EXPECT_EQ(ReadFileBytes(m_dir.File("GYSim.ini")), profileBefore);
}

TEST_F(CliEndToEnd, ModeSwitchesTheGatewayBetweenIdleAndRun) {
    ASSERT_TRUE(StartGateway(J1939ModbusProfile(1, 0)));
    const ProcessResult idle = Cli({"mode", "idle"});
    EXPECT_EQ(idle.status, 0) << idle.err;
    EXPECT_NE(idle.out.find("Run state: Idle"), std::string::npos);
    EXPECT_NE(ReadFileBytes(m_dir.File("GYSim.ini")).find("Run Mode=0"), std::string::npos);
    EXPECT_EQ(Cli({"mode", "run"}).status, 0);
    EXPECT_EQ(Cli({"mode", "fast"}).status, 2);
}

TEST_F(CliEndToEnd, NoGatewayExitsThreeAndTheTransportLogsWhy) {
    // COM1 points at nothing and no gateway serves any port
    fs::create_symlink(m_dir.File("no-such-tty"), m_dir.File("dosdevices/com1"));
    const ProcessResult identity = Cli({"identity"});
    EXPECT_EQ(identity.status, 3) << identity.err;
    const std::string log = ReadFileBytes(m_dir.File("GyConfig.log"));
    EXPECT_NE(log.find("Connecting to COM port : 1 failed ! Error Code : "), std::string::npos)
        << log;
    EXPECT_NE(log.find("Connection to the device failed !"), std::string::npos) << log;

    const ProcessResult upload = Cli({"upload", "--port", "COM1", m_dir.File("x.cfg")});
    EXPECT_EQ(upload.status, 3);
    EXPECT_FALSE(fs::exists(m_dir.File("x.cfg")));
}

TEST_F(CliEndToEnd, PortOptionTriesOnlyThatPort) {
    ASSERT_TRUE(StartGateway(J1939ModbusProfile(1, 0)));
    EXPECT_EQ(Cli({"identity", "--port", "COM1"}).status, 0);
    const ProcessResult other = Cli({"identity", "--port", "COM2"});
    EXPECT_EQ(other.status, 3);
    const std::string log = ReadFileBytes(m_dir.File("GyConfig.log"));
    EXPECT_NE(log.find("Connecting to COM port : 2 failed"), std::string::npos) << log;
}

TEST_F(CliEndToEnd, OfflineWorksWithNoLibraryAtAll) {
    // a copy of the program where no RP1210 library or driver can be found
    const std::string lonely = m_dir.File("bin/gyconfig-cli");
    fs::create_directories(m_dir.File("bin"));
    fs::copy_file(CLI_PATH, lonely);
    fs::remove(m_dir.File("KV121032.INI"));
    WriteFileBytes(m_dir.File("GYSim.ini"), J1939ModbusProfile(4, 3));

    const ProcessResult online = RunProgram(lonely, {"identity"}, m_dir.Path());
    EXPECT_EQ(online.status, 1);
    EXPECT_NE(online.err.find("Error: Unable to load KV121032.dll"), std::string::npos)
        << online.err;

    const ProcessResult identity = RunProgram(lonely, {"identity", "--offline"}, m_dir.Path());
    ASSERT_EQ(identity.status, 0) << identity.err;
    EXPECT_NE(identity.out.find("GY-JMB1"), std::string::npos);
    const ProcessResult upload =
        RunProgram(lonely, {"--offline", "upload", m_dir.File("offline.json")}, m_dir.Path());
    ASSERT_EQ(upload.status, 0) << upload.err;
    const Json doc = Json::parse(ReadFileBytes(m_dir.File("offline.json")));
    EXPECT_EQ(doc["j1939"]["points"].size(), 7u);

    // a download answered in-process lands in the profile, as a gateway keeps it
    Json edited = doc;
    edited["modbus"]["network_address"] = 42;
    WriteFileBytes(m_dir.File("edited.json"), edited.dump());
    const ProcessResult download = RunProgram(
        lonely, {"--offline", "--yes", "download", m_dir.File("edited.json")}, m_dir.Path());
    ASSERT_EQ(download.status, 0) << download.err;
    EXPECT_NE(ReadFileBytes(m_dir.File("GYSim.ini")).find("Slave Address=42"), std::string::npos);
}

TEST_F(CliEndToEnd, UsageErrorsExitTwo) {
    EXPECT_EQ(Cli({}).status, 2);
    EXPECT_EQ(Cli({"no-such-command"}).status, 2);
    EXPECT_EQ(Cli({"upload"}).status, 2);
    EXPECT_EQ(Cli({"show", m_dir.File("missing.cfg")}).status, 2);
    EXPECT_EQ(Cli({"--help"}).status, 0);
}

}  // namespace
