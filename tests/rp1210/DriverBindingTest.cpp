// Loading, checking, sharing and unloading the driver libraries named in
// KV121032.INI, and the driver's connect result.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "Rp1210Fixture.h"

namespace {

using DriverBinding = Rp1210Test;

TEST_F(DriverBinding, MissingDriverFileGives204) {
    WriteIni({{101, m_dir.File("libNoSuchDriver.so") + " COM1"}, {102, "libNoSuchDriver.so"}});
    EXPECT_EQ(Connect(101, "CIP"), 204);
    EXPECT_EQ(Connect(102, "J1708"), 204);
}

TEST_F(DriverBinding, DriverFileNameOf80CharactersIsRefusedWith204And79Connects) {
    // links to the stub whose whole path is 79 and 80 characters long
    const std::string base = m_dir.Path() + "/";
    ASSERT_LT(base.size(), 70u);
    const std::string name79 = base + std::string(79 - base.size() - 3, 'a') + ".so";
    const std::string name80 = base + std::string(80 - base.size() - 3, 'b') + ".so";
    ASSERT_EQ(name79.size(), 79u);
    ASSERT_EQ(name80.size(), 80u);
    ASSERT_EQ(::symlink(StubPath("StubDriver").c_str(), name79.c_str()), 0);
    ASSERT_EQ(::symlink(StubPath("StubDriver").c_str(), name80.c_str()), 0);
    WriteIni({{101, name80 + " COM1"}, {102, name79 + " COM2"}});
    EXPECT_EQ(Connect(101, "CIP"), 204);
    EXPECT_TRUE(StubLog().empty()) << "a name that does not fit is not even loaded";
    EXPECT_EQ(Connect(102, "CIP"), 0);
}

TEST_F(DriverBinding, VersionTwoDriverGives205IsUnloadedAndIsTriedAgainOnTheNextConnect) {
    WriteIni({{101, StubPath("StubDriverVersion2") + " COM1"}});
    EXPECT_EQ(Connect(101, "CIP"), 205);
    EXPECT_FALSE(StubLoaded("StubDriverVersion2"));
    EXPECT_EQ(Connect(101, "CIP"), 205);
    EXPECT_EQ(StubLog("StubDriverVersion2"),
              (std::vector<std::string>{"load", "SP_GetDllVersionInfo", "unload", "load",
                                        "SP_GetDllVersionInfo", "unload"}));
}

TEST_F(DriverBinding, DriverWithoutSetReceiveFlagGives204AndIsUnloaded) {
    WriteIni({{101, StubPath("StubDriverNoReceiveFlag") + " COM1"}});
    EXPECT_EQ(Connect(101, "CIP"), 204);
    EXPECT_FALSE(StubLoaded("StubDriverNoReceiveFlag"));
    EXPECT_EQ(StubLog("StubDriverNoReceiveFlag"),
              (std::vector<std::string>{"load", "SP_GetDllVersionInfo", "unload"}));
}

TEST_F(DriverBinding, TwoClientsShareOneDriverLoadUnloadedAfterTheLastDisconnects) {
    WriteIni({{101, StubPath("StubDriver") + " COM1"},
              {102, StubPath("StubDriver") + "\tCOM2 ignored words"},
              {103, StubPath("StubDriverOther") + " COM3"}});
    ASSERT_EQ(Connect(101, "CIP"), 0);
    ASSERT_EQ(Connect(102, "J1708"), 1);
    ASSERT_EQ(Connect(103, "CIP"), 2);
    EXPECT_EQ(CountInLog("load"), 1);
    EXPECT_EQ(CountInLog("SP_GetDllVersionInfo"), 1);
    EXPECT_EQ(CountInLog("SP_Connect 102 [COM2] 2"), 1);
    EXPECT_EQ(CountInLog("SP_Connect 103 [COM3] 1", "StubDriverOther"), 1);

    EXPECT_EQ(ClientDisconnect(0), 0);
    EXPECT_TRUE(StubLoaded("StubDriver"));
    EXPECT_EQ(ClientDisconnect(1), 0);
    EXPECT_FALSE(StubLoaded("StubDriver"));
    EXPECT_EQ(StubLog().back(), "unload");
    EXPECT_EQ(CountInLog("SP_Disconnect 101"), 1);
    EXPECT_EQ(CountInLog("SP_Disconnect 102"), 1);
    EXPECT_TRUE(StubLoaded("StubDriverOther"));

    // a new client loads it again
    ASSERT_EQ(Connect(101, "CIP"), 0);
    EXPECT_EQ(CountInLog("load"), 2);
}

TEST_F(DriverBinding, OneWordDeviceParamsConnectsWithAnEmptyPort) {
    WriteIni({{101, StubPath("StubDriver")}});
    ASSERT_EQ(Connect(101, "CIP"), 0);
    EXPECT_EQ(CountInLog("SP_Connect 101 [] 1"), 1);
}

TEST_F(DriverBinding, DriverRefusalsArePassedBackAndLeaveNothingBehind) {
    WriteIni({{101, StubPath("StubDriver") + " COM1"}});
    const struct {
        const char* scripted;
        std::int16_t expected;
    } cases[] = {
        {"-135", 135},
        {"-240", 240},
        {"-142", 142},
        {"-1", 1},
        // not a negated code: reported as an unknown driver error, never as an id
        {"127", 240},
        {"300", 240},
    };
    for (const auto& refusal : cases) {
        ::setenv("STUB_CONNECT_RESULT", refusal.scripted, 1);
        EXPECT_EQ(Connect(101, "CIP"), refusal.expected) << refusal.scripted;
        EXPECT_FALSE(StubLoaded("StubDriver")) << refusal.scripted;
    }
    ::setenv("STUB_CONNECT_RESULT", "126", 1);
    EXPECT_EQ(Connect(101, "CIP"), 0) << "0 to 126 mean connected";
    ::unsetenv("STUB_CONNECT_RESULT");
    EXPECT_EQ(Connect(101, "CIP"), 1);
}

TEST_F(DriverBinding, ClientIdsAreTheLowestFreeOnesUpTo127ThenClientAreaFull) {
    WriteIni({{101, StubPath("StubDriver") + " COM1"}});
    EXPECT_EQ(Connect(101, "CIP"), 0);
    EXPECT_EQ(Connect(101, "CIP"), 1);
    EXPECT_EQ(Connect(101, "J1708"), 2);
    EXPECT_EQ(ClientDisconnect(1), 0);
    EXPECT_EQ(ClientDisconnect(1), 129);
    EXPECT_EQ(Connect(101, "CIP"), 1);
    for (int expected = 3; expected <= 127; ++expected) {
        ASSERT_EQ(Connect(101, "CIP"), expected);
    }
    const auto connectsBefore = CountInLog("SP_Connect 101 [COM1] 1");
    EXPECT_EQ(Connect(101, "CIP"), 131);
    EXPECT_EQ(CountInLog("SP_Connect 101 [COM1] 1"), connectsBefore)
        << "no driver connect without a free id";
    EXPECT_EQ(ClientDisconnect(64), 0);
    EXPECT_EQ(Connect(101, "CIP"), 64);
}

TEST_F(DriverBinding, AConnectRefusedForWantOfAClientIdUnloadsTheDriverItLoaded) {
    WriteIni(
        {{101, StubPath("StubDriver") + " COM1"}, {102, StubPath("StubDriverOther") + " COM2"}});
    for (int expected = 0; expected <= 127; ++expected) {
        ASSERT_EQ(Connect(101, "CIP"), expected);
    }
    EXPECT_EQ(Connect(102, "CIP"), 131);
    EXPECT_FALSE(StubLoaded("StubDriverOther"));
    EXPECT_EQ(StubLog("StubDriverOther").back(), "unload");
}

TEST_F(DriverBinding, LibraryUnloadDisconnectsEveryRemainingClientAndUnloadsTheDriver) {
    WriteIni({{101, StubPath("StubDriver") + " COM1"}, {102, StubPath("StubDriver") + " COM2"}});
    ASSERT_EQ(Connect(101, "CIP"), 0);
    ASSERT_EQ(Connect(102, "CIP"), 1);
    UnloadLibrary();
    EXPECT_EQ(CountInLog("SP_Disconnect 101"), 1);
    EXPECT_EQ(CountInLog("SP_Disconnect 102"), 1);
    EXPECT_EQ(StubLog().back(), "unload");
    EXPECT_FALSE(StubLoaded("StubDriver"));
}

TEST_F(DriverBinding, ProgramEndingWithAClientConnectedDisconnectsItWhileTheDriverIsWhole) {
    WriteIni({{101, StubPath("StubDriver") + " COM1"}});
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // ends without disconnecting and without unloading the library
        std::exit(Connect(101, "CIP") == 0 ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "no use of the driver's objects after they went";
    const auto log = StubLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "SP_Disconnect 101");
    EXPECT_EQ(log.back(), "unload");
}

}  // namespace
