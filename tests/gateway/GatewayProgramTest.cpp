// The gantry-gateway program: prints its line, links it (over nothing or an
// old link only, one gateway a link), serves the driver, refuses a line or a
// profile it cannot serve, and shuts down cleanly on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "../cli/CliProcess.h"
#include "TestSupport.h"
#include "common/PacketQueue.h"
#include "common/SharedLibrary.h"
#include "driver/DriverInterface.h"

using namespace gantry;

TEST(GatewayProgram, LinkedLine_ServesTheDriverAndGoesAwayOnSigterm) {
    ScopedGantryDir dir;
    WriteFileBytes(dir.File("GYSim.ini"), "[Identity]\nProduct Name=Prog\n");
    const std::string link = dir.File("dosdevices/com1");
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::execl(GATEWAY_PATH, GATEWAY_PATH, "--link", link.c_str(), "--baud", "19200",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    FILE* stream = ::fdopen(out[0], "r");
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
    std::string path(line);
    path.erase(path.find_last_not_of('\n') + 1);
    EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u);
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), path);

    CSharedLibrary library;
    ASSERT_TRUE(library.Open(KVGYSRL_PATH)) << library.Error();
    auto connect = library.Resolve<SP_ConnectFn>("SP_Connect");
    auto disconnect = library.Resolve<SP_DisconnectFn>("SP_Disconnect");
    CPacketQueue transmit(50, 1), command(50, -1), receive(50, 1);
    ASSERT_EQ(connect(301, "COM1", 1, &transmit, &command, &receive), 0);
    const std::uint8_t request[] = {0x0E, 0x01, 0x00, 0x01, 0x00, 0x07};
    transmit.Push(CPacketCIP(6, request));
    CPacketCIP reply;
    bool replied = false;
    for (int i = 0; i < 300 && !replied; ++i) {
        replied = receive.Pop(reply);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(replied);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(reply.m_data) + 5, 4), "Prog");
    EXPECT_EQ(disconnect(301), 0);

    ASSERT_EQ(::kill(child, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    std::fclose(stream);
}

namespace {

// The gateway with `arguments`, stopped after `seconds` if it is still serving
// then (status 124).
ProcessResult RunGateway(const ScopedGantryDir& dir, const std::vector<std::string>& arguments,
                         int seconds = 5) {
    std::vector<std::string> all = {"-s", "TERM", std::to_string(seconds), GATEWAY_PATH};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram("/usr/bin/timeout", all, dir.Path());
}

}  // namespace

TEST(GatewayProgram, Link_OnlyOverNothingOrALinkOnlyItsOwnGoesAndASecondGatewayIsRefused) {
    ScopedGantryDir dir;
    WriteFileBytes(dir.File("GYSim.ini"), "[Identity]\nProduct Name=Prog\n");
    const std::string ini = dir.File("KV121032.INI");
    WriteFileBytes(ini, "[DeviceInformation101]\n");
    const ProcessResult file = RunGateway(dir, {"--link", ini});
    EXPECT_EQ(file.status, 1);
    EXPECT_EQ(file.err, "gantry-gateway: " + ini +
                            " exists and is not a symbolic link: the gateway links only over "
                            "nothing or an old link, so it is left as it is\n");
    EXPECT_EQ(ReadFileBytes(ini), "[DeviceInformation101]\n");

    const std::string link = dir.File("com2");
    WriteFileBytes(link + ".new", "someone's");
    CGatewayRun first;
    ASSERT_TRUE(first.Start(dir.File("GYSim.ini"), link));
    EXPECT_EQ(ReadFileBytes(link + ".new"), "someone's");
    const std::string served = std::filesystem::read_symlink(link).string();
    const ProcessResult second = RunGateway(dir, {"--link", link});
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err,
              "gantry-gateway: another gantry-gateway serves " + link + ": stop it first\n");
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), served);

    // re-pointed meanwhile: no longer the gateway's own link, so it stays
    std::filesystem::remove(link);
    std::filesystem::create_symlink(dir.File("elsewhere"), link);
    first.Stop();
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), dir.File("elsewhere"));
}

TEST(GatewayProgram, DeviceAndProfile_ANonTerminalOrAnUnreadableProfileIsRefusedAMissingOneSaid) {
    ScopedGantryDir dir;
    WriteFileBytes(dir.File("GYSim.ini"), "[Identity]\nProduct Name=Prog\n");
    WriteFileBytes(dir.File("plain"), "text");
    for (const std::string& device : {std::string("/dev/zero"), dir.File("plain")}) {
        const ProcessResult result = RunGateway(dir, {"--device", device});
        EXPECT_EQ(result.status, 1) << device;
        EXPECT_EQ(result.err, "gantry-gateway: " + device +
                                  " is not a terminal (a serial device or a pseudo-terminal): the "
                                  "gateway serves only those\n");
    }
    std::filesystem::create_directory(dir.File("folder.ini"));
    WriteFileBytes(dir.File("binary.ini"), std::string("[Identity]\n\0\1", 13));
    const std::pair<std::string, std::string> profiles[] = {
        {"/dev/zero", "/dev/zero is not a regular file."},
        {dir.File("folder.ini"), dir.File("folder.ini") + " is a directory, not a file."},
        {dir.File("binary.ini"),
         dir.File("binary.ini") + " is binary, not a profile (a zero byte at offset 11)."},
    };
    for (const auto& [profile, message] : profiles) {
        const ProcessResult result = RunGateway(dir, {"--profile", profile});
        EXPECT_EQ(result.status, 1) << profile;
        EXPECT_EQ(result.err, "gantry-gateway: " + message + "\n");
    }
    const ProcessResult missing = RunGateway(dir, {"--profile", dir.File("none.ini")}, 1);
    EXPECT_EQ(missing.status, 124);  // served until stopped
    EXPECT_EQ(missing.err.rfind("gantry-gateway: warning: " + dir.File("none.ini") +
                                    " does not exist: the simulated gateway has no identity.",
                                0),
              0u)
        << missing.err;
}
