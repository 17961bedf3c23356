// gyconfig-cli flash, the program itself, against the simulated gateway of
// GYSim.ini (--offline): revisions shown, confirmation, the transfer, and
// the exit status that says whether the gateway reported the new revisions.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "FirmwareFixture.h"
#include "TestSupport.h"
#include "common/ProfileFile.h"

using namespace gantry;

namespace {

const char* const f_szGateway =
    "[Identity]\r\nFirmware Revision=2.10\r\nProduct Name=J1939 to Modbus Interface\r\n"
    "Client Type=J1939\r\nServer Type=Modbus Slave\r\nRun Mode=Idle\r\n"
    "[NVS_1]\r\nRevision=0x0A02\r\n"
    "[NVS_2]\r\nRevision=0x0301\r\n";

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class FirmwareCli : public ::testing::Test {
protected:
    FirmwareCli() {
        WriteFileBytes(m_dir.File("GYSim.ini"), f_szGateway);
        WriteFileBytes(m_dir.File("carrier.bin"), ImageBytes(1000));
    }
    std::string Describe(const std::string& major, const std::string& minor) {
        const std::string path = m_dir.File("update.nvs");
        WriteFileBytes(
            path, DeviceSection("1", "Carrier board 2.10") +
                      UpdateSection(1, 1, major, minor, "carrier.bin", 1000, "UpdateReset=0\r\n"));
        return path;
    }
    // Runs the program with `arguments`, standard input from /dev/null.
    CliRun Run(const std::string& arguments) {
        const std::string errors = m_dir.File("stderr.txt");
        const std::string command =
            std::string(GYCONFIG_CLI_PATH) + " " + arguments + " </dev/null 2>" + errors;
        CliRun run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return run;
        }
        char buffer[512];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            run.out.append(buffer, got);
        }
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.err = ReadFileBytes(errors);
        return run;
    }
    std::string AreaStatus() { return ReadProfileString("GYSim.ini", "NVS_1", "Status", ""); }

    ScopedGantryDir m_dir;
};

TEST_F(FirmwareCli, Flash_WithYesShowsRevisionsWritesAndExitsZeroAfterVerification) {
    const CliRun run = Run("--offline --yes flash " + Describe("0x2", "10"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Device Revisions:\n  Carrier Board  2.10\n  Boot           1.03\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Description: Carrier board 2.10"), std::string::npos);
    EXPECT_NE(run.out.find("Image Revisions:\n  Carrier Board  2.10\n"), std::string::npos);
    EXPECT_NE(run.err.find("Information: Device was successfully flashed and reset"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(AreaStatus(), "2") << "the last chunk reached the end of the image";
}

TEST_F(FirmwareCli, Flash_WithoutConfirmationWritesNothing) {
    const CliRun run = Run("--offline flash " + Describe("0x2", "10"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Nothing was written."), std::string::npos) << run.err;
    EXPECT_EQ(AreaStatus(), "");
}

TEST_F(FirmwareCli, Flash_RevisionNotReportedAfterwardsExitsOne) {
    const CliRun run = Run("--offline --yes flash " + Describe("2", "11"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Information: Device was flashed, but the new revision does not match"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(AreaStatus(), "2");
}

TEST_F(FirmwareCli, Flash_BadOrMissingDescriptionIsAUsageError) {
    const std::string bad = m_dir.File("bad.nvs");
    WriteFileBytes(bad, DeviceSection("5"));
    CliRun run = Run("--offline --yes flash " + bad);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Error: Invalid configuration file format. Number of updates is "
                           "invalid."),
              std::string::npos)
        << run.err;
    run = Run("--offline --yes flash " + m_dir.File("none.nvs"));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(AreaStatus(), "");
}

}  // namespace
