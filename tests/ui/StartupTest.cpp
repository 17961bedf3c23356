// GYConfig started as a user starts it, as a program: offline with a
// screenshot, and each start it refuses in its own words rather than Qt's.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "../cli/CliProcess.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(std::string(EXAMPLES_DIR) + "/j1939-modbus.ini", File("GYSim.ini"));
    }
    std::string File(const std::string& name) const { return m_dir.File(name); }
    // GYConfig with `arguments`, ended after two minutes if it has not ended (status 124).
    ProcessResult Start(const std::vector<std::string>& arguments) const {
        std::vector<std::string> all = {"120", GYCONFIG_PATH};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return RunProgram("/usr/bin/timeout", all, m_dir.Path());
    }

    ScopedGantryDir m_dir;
};

TEST_F(Startup, Offline_DrawsTheWindowAndAStartThatMissesItsJobExitsOne) {
    const ProcessResult shot = Start({"--offline", "--screenshot", File("w.png")});
    EXPECT_EQ(shot.status, 0) << shot.err;
    EXPECT_TRUE(fs::is_regular_file(File("w.png")));

    const ProcessResult missing =
        Start({"--offline", "--screenshot", File("m.png"), File("missing.cfg")});
    EXPECT_EQ(missing.status, 1) << missing.err;
    ASSERT_EQ(::mkfifo(File("f.png").c_str(), 0600), 0);  // would wait for a reader
    const ProcessResult fifo = Start({"--offline", "--screenshot", File("f.png")});
    EXPECT_EQ(fifo.status, 1);
    EXPECT_NE(fifo.err.find("GYConfig: cannot write the screenshot: Cannot write " + File("f.png") +
                            ": it is a FIFO, not a regular file.\n"),
              std::string::npos)
        << fifo.err;
    const ProcessResult empty = Start({"--screenshot", ""});
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err.rfind("GYConfig: --screenshot needs a file name\n", 0), 0u) << empty.err;
}

TEST_F(Startup, OfflineScreenshotWithoutAUsableGYSimIniSaysSoInsteadOfAskingTheProduct) {
    fs::remove(File("GYSim.ini"));
    const ProcessResult missing = Start({"--offline", "--screenshot", File("w.png")});
    EXPECT_EQ(missing.status, 1) << missing.err;  // never the timeout's 124
    EXPECT_NE(missing.err.find("GYConfig: " + File("GYSim.ini") + " does not exist"),
              std::string::npos)
        << missing.err;
    EXPECT_NE(missing.err.find("--screenshot"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(File("w.png")));

    fs::create_directory(File("GYSim.ini"));
    const ProcessResult directory = Start({"--offline", "--screenshot", File("w.png")});
    EXPECT_EQ(directory.status, 1) << directory.err;
    EXPECT_NE(directory.err.find("is not a regular file"), std::string::npos) << directory.err;
}

TEST_F(Startup, Platform_EmptyOrUnknownWithoutADisplayIsOneLineOfTheToolsOwn) {
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    for (const char* platform : {"", "bogus"}) {
        ::setenv("QT_QPA_PLATFORM", platform, 1);
        const ProcessResult result = Start({"--offline"});
        EXPECT_EQ(result.status, 1) << platform;
        EXPECT_EQ(result.err.rfind("GYConfig: ", 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace
