// The gantry-gateway program: prints its line, links it, serves the driver,
// and shuts down cleanly on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

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
