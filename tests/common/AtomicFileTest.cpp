// The one atomic file write of the profile files and the .cfg save: modes,
// links, failures, refused targets, interrupted writes, and a umask that other
// threads can rely on meanwhile.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "common/AtomicFile.h"

using namespace gantry;

namespace {

// Sets the process umask for the lifetime of the object.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : m_old(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_old); }

private:
    mode_t m_old;
};

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::size_t EntriesIn(const std::string& folder) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

}  // namespace

TEST(AtomicFile, NewFileTakesTheUmaskAndAReplacedFileKeepsItsModeAndLink) {
    ScopedGantryDir dir;
    ScopedUmask mask(027);
    const std::string path = dir.File("real.cfg");
    ASSERT_TRUE(WriteFileAtomically(path, std::string("first")));
    EXPECT_EQ(ReadFileBytes(path), "first");
    EXPECT_EQ(ModeOf(path), 0640u);

    ::chmod(path.c_str(), 0604);
    std::filesystem::create_symlink(path, dir.File("link.cfg"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("link.cfg"), std::string("second")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.cfg")));
    EXPECT_EQ(ReadFileBytes(path), "second");
    EXPECT_EQ(ModeOf(path), 0604u);
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);  // no temporary file left behind

    EXPECT_FALSE(WriteFileAtomically(dir.File("missing/saved.cfg"), std::string("x")));
    std::filesystem::create_symlink(dir.File("nowhere.cfg"), dir.File("dangling.cfg"));
    EXPECT_FALSE(WriteFileAtomically(dir.File("dangling.cfg"), std::string("x")));
    EXPECT_EQ(EntriesIn(dir.Path()), 3u);
}

TEST(AtomicFile, CfgSavedWhileAnotherThreadCreatesFiles_TheCreatedFilesKeepTheUmask) {
    ScopedGantryDir dir;
    ScopedUmask mask(022);
    std::atomic<bool> saving{true};
    std::vector<mode_t> wrongModes;
    std::thread creator([&] {
        for (int i = 0; saving || i < 200; ++i) {
            const std::string name = dir.File("created" + std::to_string(i % 50));
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
            if (fd >= 0) {
                ::close(fd);
                if (ModeOf(name) != 0644) {
                    wrongModes.push_back(ModeOf(name));
                }
                ::unlink(name.c_str());
            }
        }
    });
    const std::vector<std::uint8_t> bytes(600, 0x5A);
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(WriteFileAtomically(dir.File("saved" + std::to_string(i % 3) + ".cfg"),
                                        std::span<const std::uint8_t>(bytes)));
    }
    saving = false;
    creator.join();
    EXPECT_TRUE(wrongModes.empty()) << wrongModes.size() << " files got another mode";
    EXPECT_EQ(ModeOf(dir.File("saved0.cfg")), 0644u);
}

TEST(AtomicFile, OnlyARegularFileThisUserMayWriteIsReplacedAndTheRefusalSaysWhy) {
    ScopedGantryDir dir;
    const std::string fifo = dir.File("out.cfg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(fifo, std::string("x"), error));
    EXPECT_EQ(error, "Cannot write " + fifo + ": it is a FIFO, not a regular file.");
    EXPECT_FALSE(std::filesystem::is_regular_file(fifo));
    // a device node of our own, never the system's (root only)
    const std::string device = dir.File("null.cfg");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        std::filesystem::create_symlink(device, dir.File("link.cfg"));
        EXPECT_FALSE(WriteFileAtomically(dir.File("link.cfg"), std::string("x"), error));
        EXPECT_EQ(error, "Cannot write " + dir.File("link.cfg") +
                             ": it is a character device, not a regular file.");
        EXPECT_TRUE(std::filesystem::is_character_file(device));
    }
    const std::string locked = dir.File("locked.cfg");
    WriteFileBytes(locked, "kept");
    ::chmod(locked.c_str(), 0444);  // refused even for root, who may write anything
    EXPECT_FALSE(WriteFileAtomically(locked, std::string("new"), error));
    EXPECT_EQ(error, "Cannot write " + locked + ": it is read-only.");
    EXPECT_EQ(ReadFileBytes(locked), "kept");
    EXPECT_EQ(EntriesIn(dir.Path()), std::filesystem::exists(device) ? 4u : 2u);
}

TEST(AtomicFile, AWriteEndedBySigtermOrSighupLeavesNoTemporaryFile) {
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGTERM}) {
        ScopedGantryDir dir;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RemoveTemporaryFilesOnSignals();
            const std::vector<std::uint8_t> bytes(8 * 1024 * 1024, 0x5A);
            for (;;) {  // writing all the time, so the signal lands in a write
                WriteFileAtomically(dir.File("GYSim.ini"), std::span<const std::uint8_t>(bytes));
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        ::kill(child, signalNumber);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber);
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            EXPECT_EQ(entry.path().filename(), "GYSim.ini") << "a temporary file was left behind";
        }
    }
}
