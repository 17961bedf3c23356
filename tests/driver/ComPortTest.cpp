// The serial port on pseudo-terminals: names, exclusive use (and its end at
// close), reads of whole units, and a line that goes away.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <filesystem>

#include "DriverTestSupport.h"
#include "TestSupport.h"
#include "driver/ComPortImp.h"
#include "driver/Df1Protocol.h"
#include "driver/DriverError.h"

using namespace gantry;

using namespace gantry::driver;

namespace {

int OpenErrorCode(const std::string& name) {
    try {
        CComPortImp port(name);
    } catch (const CDriverError& error) {
        return error.GetErrorCode();
    }
    return 0;
}

void LinkDosName(const ScopedGantryDir& dir, const std::string& name, const std::string& target) {
    std::filesystem::create_directories(dir.File("dosdevices"));
    std::filesystem::create_symlink(target, dir.File("dosdevices/" + name));
}

}  // namespace

TEST(ComPort, MissingPort_Fails142WithTheTraceLine) {
    ScopedGantryDir dir;
    EXPECT_EQ(OpenErrorCode("COM9"), 142);
    const std::string log = ReadFileBytes(dir.File("GyConfig.log"));
    EXPECT_NE(log.find("\tComPortImp::Impl()\t\tFailed opening COM port : COM9\n"),
              std::string::npos);
}

TEST(ComPort, DosName_IsResolvedThroughDosdevicesWithoutRegardToCase) {
    ScopedGantryDir dir;
    PtyPeer peer;
    LinkDosName(dir, "com3", peer.SlavePath());
    EXPECT_EQ(ResolvePortName("COM3"), dir.File("dosdevices/com3"));
    EXPECT_EQ(CanonicalPortPath("COM3"), CanonicalPortPath(peer.SlavePath()));
    CComPortImp port("COM3");
    peer.Write({0x10, 0x06});
    EXPECT_EQ(ToBytes(CDf1UnitReader(&port, SystemClock()).ReadUnit()), (Bytes{0x10, 0x06}));
    EXPECT_TRUE(port.Write(ToMessage({0x10, 0x0F})));
    EXPECT_EQ(peer.ReadAll(100), (Bytes{0x10, 0x0F}));
}

TEST(ComPort, PortHeldByAnotherProgram_Fails142) {
    ScopedGantryDir dir;
    PtyPeer peer;
    const int holder = ::open(peer.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(OpenErrorCode(peer.SlavePath()), 142);
    ::close(holder);
    EXPECT_EQ(OpenErrorCode(peer.SlavePath()), 0);
}

TEST(ComPort, SecondOpenOfAnOpenPort_Fails142AndTheFirstKeepsWorking) {
    ScopedGantryDir dir;
    PtyPeer peer;
    LinkDosName(dir, "COM4", peer.SlavePath());
    CComPortImp first(peer.SlavePath());
    EXPECT_EQ(OpenErrorCode("COM4"), 142);
    peer.Write({0x10, 0x05});
    EXPECT_EQ(ToBytes(CDf1UnitReader(&first, SystemClock()).ReadUnit()), (Bytes{0x10, 0x05}));
}

TEST(ComPort, PortCanBeOpenedAgainAfterClose) {
    ScopedGantryDir dir;
    PtyPeer peer;
    for (int i = 0; i < 3; ++i) {
        CComPortImp port(peer.SlavePath());
        EXPECT_TRUE(port.Write(ToMessage({0x10, 0x06})));
    }
    EXPECT_EQ(peer.ReadAll(100), (Bytes{0x10, 0x06, 0x10, 0x06, 0x10, 0x06}));
}

TEST(ComPort, ClosedPort_ClearsTheExclusiveUseFlagItSet) {
    ScopedGantryDir dir;
    PtyPeer peer;
    // the flag outlives the port while the far side keeps the terminal: an
    // ordinary user's next open would fail with EBUSY (root passes it)
    auto exclusive = [&peer] {
        const int fd = ::open(peer.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        int flag = -1;
        EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &flag), 0);
        ::close(fd);
        return flag;
    };
    {
        CComPortImp port(peer.SlavePath());
        EXPECT_EQ(exclusive(), 1);
    }
    EXPECT_EQ(exclusive(), 0);
}

TEST(Df1UnitReader, ReturnsWholeUnitsAndNothingOnAnIdleLine) {
    ScopedGantryDir dir;
    PtyPeer peer;
    CComPortImp port(peer.SlavePath());
    CDf1UnitReader reader(&port, SystemClock());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(reader.ReadUnit().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    // 01 10 and 10 03 in frames: each is read to its check byte, no further.
    peer.Write({0x10, 0x02, 0x01, 0x10, 0x10, 0x10, 0x03, 0xEF, 0x10, 0x02, 0x10, 0x10, 0x03, 0x10,
                0x03, 0xED});
    EXPECT_EQ(ToBytes(reader.ReadUnit()), (Bytes{0x10, 0x02, 0x01, 0x10, 0x10, 0x10, 0x03, 0xEF}));
    EXPECT_EQ(ToBytes(reader.ReadUnit()), (Bytes{0x10, 0x02, 0x10, 0x10, 0x03, 0x10, 0x03, 0xED}));
    // Stray bytes in front stay with the unit.
    peer.Write({0x41, 0x10, 0x02, 0x05, 0x10, 0x03, 0xFB});
    EXPECT_EQ(ToBytes(reader.ReadUnit()), (Bytes{0x41, 0x10, 0x02, 0x05, 0x10, 0x03, 0xFB}));
}

TEST(Df1UnitReader, PartialUnit_IsDroppedAtTheDeadline) {
    CInstantClock clock;
    MemoryLine line(clock);
    CDf1UnitReader reader(&line, clock);
    line.Deliver({0x10, 0x02, 0x01});
    const auto start = clock.Now();
    EXPECT_TRUE(reader.ReadUnit(start + std::chrono::milliseconds(100)).empty());
    const auto waited = clock.Now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(95));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));
}

TEST(ComPort, Read_GivesTheBytesThatCameAndNothingOnAnIdleLine) {
    ScopedGantryDir dir;
    PtyPeer peer;
    CComPortImp port(peer.SlavePath());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(port.Read(std::chrono::milliseconds(20)).empty());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(19));
    peer.Write({0x41, 0x10, 0x02});
    EXPECT_TRUE(WaitUntil([&] { return !port.Read(std::chrono::milliseconds(0)).empty(); }));
}

TEST(ComPort, LineThatGoesAway_Raises142OnRead) {
    ScopedGantryDir dir;
    auto peer = std::make_unique<PtyPeer>();
    CComPortImp port(peer->SlavePath());
    peer.reset();  // the far side and every other opener close
    int code = 0;
    try {
        for (int i = 0; i < 5; ++i) {
            port.Read(std::chrono::milliseconds(1));
        }
    } catch (const CDriverError& error) {
        code = error.GetErrorCode();
    }
    EXPECT_EQ(code, 142);
    EXPECT_FALSE(port.Write(ToMessage({0x10, 0x06})));
}

TEST(Df1UnitReader, UnitLongerThanTheBuffer_IsDiscardedAndTheReadReturns) {
    ScopedGantryDir dir;
    PtyPeer peer;
    CComPortImp port(peer.SlavePath());
    CDf1UnitReader reader(&port, SystemClock());
    peer.Write(Bytes(3000, 0x41));
    EXPECT_TRUE(reader.ReadUnit().empty());
    EXPECT_EQ(reader.DiscardedUnits(), 1u);
    // The rest are stray bytes in front of the next frame.
    const Bytes frame{0x10, 0x02, 0x05, 0x10, 0x03, 0xFB};
    peer.Write(frame);
    const Bytes next = ToBytes(reader.ReadUnit());
    EXPECT_EQ(next.size(),
              3000u - 2049u + frame.size());  // dropped with the byte that overflowed it
    ASSERT_GE(next.size(), frame.size());
    EXPECT_EQ(Bytes(next.end() - 6, next.end()), frame);
}
