// setup and ports on a Gantry directory of the test's own, with
// pseudo-terminals standing in for the serial adapters.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include <filesystem>

#include "TestSupport.h"
#include "common/ProfileFile.h"
#include "tool/device/PortSetup.h"

using namespace gantry;

using namespace gantry::tool;

namespace fs = std::filesystem;

namespace {

class PseudoTerminal {
public:
    PseudoTerminal() {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0) {
            m_path = name;
        }
    }
    ~PseudoTerminal() {
        ::close(m_master);
        ::close(m_slave);
    }
    const std::string& Path() const { return m_path; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

TEST(CliPortSetup, NewDevicesTakeTheLowestFreeNumbersAndExistingLinksStay) {
    ScopedGantryDir dir;
    PseudoTerminal first;
    PseudoTerminal second;
    PseudoTerminal third;
    fs::create_directories(dir.File("dosdevices"));
    fs::create_symlink(second.Path(), dir.File("dosdevices/COM2"));
    WriteFileBytes(dir.File("KV121032.INI"),
                   "; mine\n[DeviceInformation102]\nDeviceParams=libMine.so COM2\n");

    const SetupReport report = SetupGantryDirectory({first.Path(), second.Path(), third.Path()});
    EXPECT_TRUE(report.ok);
    EXPECT_EQ(fs::read_symlink(dir.File("dosdevices/com1")), first.Path());
    EXPECT_EQ(fs::read_symlink(dir.File("dosdevices/COM2")), second.Path());
    EXPECT_EQ(fs::read_symlink(dir.File("dosdevices/com3")), third.Path());
    EXPECT_FALSE(fs::exists(dir.File("dosdevices/com4")));
    const std::string ini = dir.File("KV121032.INI");
    EXPECT_EQ(ReadProfileString(ini, "DeviceInformation101", "DeviceParams", ""),
              "libKVGYSrl.so COM1");
    EXPECT_EQ(ReadProfileString(ini, "DeviceInformation102", "DeviceParams", ""),
              "libMine.so COM2");
    EXPECT_EQ(ReadProfileString(ini, "DeviceInformation109", "DeviceParams", ""),
              "libKVGYSrl.so COM9");
    EXPECT_EQ(ReadProfileString(ini, "DeviceInformation110", "DeviceParams", ""), "");
    EXPECT_EQ(ReadFileBytes(ini).rfind("; mine\n", 0), 0u);
    bool linkedReported = false;
    for (const std::string& line : report.actions) {
        linkedReported = linkedReported || line == "Linked com3 -> " + third.Path();
    }
    EXPECT_TRUE(linkedReported);

    // a second run finds everything in place and changes nothing
    const std::string before = ReadFileBytes(ini);
    const SetupReport again = SetupGantryDirectory({first.Path(), second.Path(), third.Path()});
    EXPECT_TRUE(again.ok);
    EXPECT_EQ(ReadFileBytes(ini), before);
    EXPECT_FALSE(fs::exists(dir.File("dosdevices/com4")));
}

bool Reported(const SetupReport& report, const std::string& line) {
    return std::find(report.actions.begin(), report.actions.end(), line) != report.actions.end();
}

TEST(CliPortSetup, WhatTheUserChangedStaysAndIsReported) {
    ScopedGantryDir dir;
    PseudoTerminal tty;
    const fs::path folder = dir.File("dosdevices");
    fs::create_directories(folder);
    // a relative link to the adapter, and one to an adapter that is unplugged
    const fs::path relative = fs::relative(tty.Path(), folder);
    ASSERT_TRUE(relative.is_relative());
    fs::create_symlink(relative, folder / "com1");
    fs::create_symlink("/dev/ttyUSB-unplugged", folder / "com3");
    const std::string ini = dir.File("KV121032.INI");
    WriteFileBytes(ini, "[DeviceInformation101]\r\nDeviceParams = libMine.so COM7\r\n");

    const SetupReport report = SetupGantryDirectory({tty.Path()});
    EXPECT_TRUE(report.ok);
    // the adapter is linked already: no second name for it
    EXPECT_FALSE(fs::is_symlink(folder / "com2"));
    EXPECT_EQ(fs::read_symlink(folder / "com1"), relative);
    EXPECT_EQ(fs::read_symlink(folder / "com3"), "/dev/ttyUSB-unplugged");
    EXPECT_TRUE(Reported(report, "Kept com3 -> /dev/ttyUSB-unplugged (no such device now)"));
    EXPECT_EQ(ReadProfileString(ini, "DeviceInformation101", "DeviceParams", ""),
              "libMine.so COM7");
    EXPECT_EQ(
        ReadFileBytes(ini).rfind("[DeviceInformation101]\r\nDeviceParams = libMine.so COM7\r\n", 0),
        0u);
    EXPECT_TRUE(Reported(report, "Left [DeviceInformation101] DeviceParams=libMine.so COM7 in " +
                                     ini + " as it was"));
    EXPECT_EQ(ReadProfileString(ini, "DeviceInformation103", "DeviceParams", ""),
              "libKVGYSrl.so COM3");
}

TEST(CliPortSetup, AnIniFileThatCannotBeReadIsNeverReplaced) {
    ScopedGantryDir dir;
    // a socket cannot be opened for reading, not even by root
    const std::string ini = dir.File("KV121032.INI");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(ini.size(), sizeof(address.sun_path));
    std::memcpy(address.sun_path, ini.c_str(), ini.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    const SetupReport report = SetupGantryDirectory({});
    ::close(fd);
    EXPECT_FALSE(report.ok);
    EXPECT_TRUE(fs::is_socket(ini));
    ASSERT_FALSE(report.actions.empty());
    EXPECT_EQ(report.actions.back().rfind("Cannot read " + ini, 0), 0u) << report.actions.back();
}

TEST(CliPortSetup, ALinkAboveNineGetsItsSectionToo) {
    ScopedGantryDir dir;
    PseudoTerminal tty;
    fs::create_directories(dir.File("dosdevices"));
    for (int n = 1; n <= 11; ++n) {
        fs::create_symlink("/dev/null", dir.File("dosdevices/com" + std::to_string(n)));
    }
    ASSERT_TRUE(SetupGantryDirectory({tty.Path()}).ok);
    EXPECT_EQ(fs::read_symlink(dir.File("dosdevices/com12")), tty.Path());
    EXPECT_EQ(
        ReadProfileString(dir.File("KV121032.INI"), "DeviceInformation112", "DeviceParams", ""),
        "libKVGYSrl.so COM12");
    EXPECT_EQ(
        ReadProfileString(dir.File("KV121032.INI"), "DeviceInformation111", "DeviceParams", ""),
        "libKVGYSrl.so COM11");
}

TEST(CliPortSetup, PortsSayWhereEachPointsAndWhyOneCannotBeOpened) {
    ScopedGantryDir dir;
    PseudoTerminal tty;
    fs::create_directories(dir.File("dosdevices"));
    fs::create_symlink(tty.Path(), dir.File("dosdevices/com1"));
    fs::create_symlink(dir.File("unplugged"), dir.File("dosdevices/com3"));
    WriteFileBytes(dir.File("dosdevices/readme.txt"), "not a port");
    const std::vector<PortStatus> ports = InspectComPorts();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].number, 1);
    EXPECT_EQ(ports[0].target, tty.Path());
    EXPECT_TRUE(ports[0].usable) << ports[0].problem;
    EXPECT_EQ(ports[1].number, 3);
    EXPECT_FALSE(ports[1].usable);
    EXPECT_NE(ports[1].problem.find("does not exist: is the adapter plugged in?"),
              std::string::npos)
        << ports[1].problem;
}

TEST(CliPortSetup, ARefusedOpenSaysWhichGroupToJoin) {
    EXPECT_EQ(PermissionProblem("/dev/ttyUSB0", "dialout", false),
              "the device belongs to group `dialout` and the user is not in it: run `sudo "
              "usermod -aG dialout $USER`, then log out and in again");
    EXPECT_EQ(PermissionProblem("/dev/ttyUSB0", "dialout", true),
              "permission denied on /dev/ttyUSB0: ask the administrator for read and write "
              "access to it");
}

}  // namespace
