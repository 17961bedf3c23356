#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "TestSupport.h"
#include "common/ProfileFile.h"

using namespace gantry;

namespace {

const char kHandWritten[] =
    "; written by hand\r\n"
    "[DeviceInformation101]\r\n"
    "  DeviceParams = libKVGYSrl.so COM1  \r\n"
    "\r\n"
    "[J1939]\r\n"
    "; baud rate as an index\r\n"
    "BaudRate=2\r\n"
    "Name = \"quoted value\"\r\n"
    "Empty=\r\n"
    "[j1939]\r\n"
    "BaudRate=9\r\n";

class ProfileFile : public ::testing::Test {
protected:
    ScopedGantryDir m_dir;
    std::string m_path = m_dir.File("Test.ini");
};

TEST_F(ProfileFile, HandWrittenFileReadsRight) {
    WriteFileBytes(m_path, kHandWritten);
    EXPECT_EQ(ReadProfileString("Test.ini", "deviceinformation101", "DEVICEPARAMS", "none"),
              "libKVGYSrl.so COM1");
    EXPECT_EQ(ReadProfileString("Test.ini", "J1939", "baudrate", ""), "2")
        << "the first of two sections with one name counts";
    EXPECT_EQ(ReadProfileString("Test.ini", "J1939", "Name", ""), "quoted value");
    EXPECT_EQ(ReadProfileString("Test.ini", "J1939", "Empty", "default"), "");
    EXPECT_EQ(ReadProfileString("Test.ini", "J1939", "; baud rate as an index", "d"), "d");
    EXPECT_EQ(ReadProfileString(m_path, "J1939", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString("Test.ini", "Nowhere", "BaudRate", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString("Missing.ini", "J1939", "BaudRate", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileSectionNames("Test.ini"),
              (std::vector<std::string>{"DeviceInformation101", "J1939"}));
    EXPECT_EQ(ReadProfileKeys("Test.ini", "j1939"),
              (std::vector<std::string>{"BaudRate", "Name", "Empty"}));
}

TEST_F(ProfileFile, BufferFormsCutLikeTheWindowsCalls) {
    WriteFileBytes(m_path, kHandWritten);
    char buffer[10];
    EXPECT_EQ(GetProfileString("J1939", "Name", "", buffer, sizeof buffer, "Test.ini"), 9u);
    EXPECT_STREQ(buffer, "quoted va");
    EXPECT_EQ(
        GetProfileString("J1939", "Nope", "NoSuchINIFileKey!", buffer, sizeof buffer, "Test.ini"),
        9u);
    EXPECT_EQ(GetProfileString("J1939", "BaudRate", nullptr, buffer, 0, "Test.ini"), 0u);
    EXPECT_EQ(GetProfileString("J1939", "Nope", nullptr, buffer, sizeof buffer, "Test.ini"), 0u);
    EXPECT_STREQ(buffer, "");

    char names[10];
    EXPECT_EQ(GetProfileSectionNames(names, sizeof names, "Test.ini"), 8u) << "cut to size - 2";
    EXPECT_EQ(names[8], '\0');
    EXPECT_EQ(names[9], '\0');
    char roomy[64];
    EXPECT_EQ(GetProfileSectionNames(roomy, sizeof roomy, "Test.ini"), 27u);
    EXPECT_EQ(std::string(roomy, 28), std::string("DeviceInformation101\0J1939\0\0", 28));
    EXPECT_EQ(GetProfileSectionNames(roomy, sizeof roomy, "Missing.ini"), 0u);
    WriteFileBytes(m_path, "; only a comment\nkey=value\n");
    EXPECT_EQ(GetProfileSectionNames(roomy, sizeof roomy, "Test.ini"), 0u);
}

TEST_F(ProfileFile, WritingOneKeyKeepsEveryOtherLineByteForByte) {
    WriteFileBytes(m_path, kHandWritten);
    ASSERT_TRUE(WriteProfileString("Test.ini", "j1939", "BAUDRATE", "3"));
    std::string expected = kHandWritten;
    expected.replace(expected.find("BaudRate=2"), 10, "BaudRate=3");
    EXPECT_EQ(ReadFileBytes(m_path), expected);

    ASSERT_TRUE(WriteProfileString("Test.ini", "DeviceInformation101", "DeviceParams", "x y"));
    expected.replace(expected.find("libKVGYSrl.so COM1  "), 20, "x y");
    EXPECT_EQ(ReadFileBytes(m_path), expected) << "blanks around '=' are kept";

    ASSERT_TRUE(WriteProfileString("Test.ini", "DeviceInformation101", "Extra", "1"));
    expected.insert(expected.find("\r\n\r\n[J1939]") + 2, "Extra=1\r\n");
    EXPECT_EQ(ReadFileBytes(m_path), expected) << "a new key follows the section's last line";

    ASSERT_TRUE(WriteProfileString("Test.ini", "New Section", "Key", "v"));
    expected += "[New Section]\r\nKey=v\r\n";
    EXPECT_EQ(ReadFileBytes(m_path), expected) << "new lines take the file's CRLF";

    ASSERT_TRUE(DeleteProfileKey("Test.ini", "new section", "key"));
    expected.erase(expected.size() - 7);
    EXPECT_EQ(ReadFileBytes(m_path), expected);
}

TEST_F(ProfileFile, WriteCreatesFileAndEndsAnUnterminatedLastLine) {
    ASSERT_TRUE(WriteProfileString("New.ini", "A", "k", "1"));
    EXPECT_EQ(ReadFileBytes(m_dir.File("New.ini")), "[A]\nk=1\n");
    ASSERT_TRUE(WriteProfileString("New.ini", "A", "j", "2"));
    ASSERT_TRUE(WriteProfileString("New.ini", "B", "k", "3"));
    EXPECT_EQ(ReadFileBytes(m_dir.File("New.ini")), "[A]\nk=1\nj=2\n[B]\nk=3\n");

    WriteFileBytes(m_path, "[A]\nk=1");
    ASSERT_TRUE(WriteProfileString("Test.ini", "A", "j", "2"));
    EXPECT_EQ(ReadFileBytes(m_path), "[A]\nk=1\nj=2\n");

    ASSERT_TRUE(WriteProfileString(m_dir.Path() + "/sub/dir/Deep.ini", "S", "k", "v"));
    EXPECT_EQ(ReadProfileString(m_dir.Path() + "/sub/dir/Deep.ini", "s", "K", ""), "v");
}

TEST_F(ProfileFile, ValuesThatWouldBecomeLinesAreRefused) {
    WriteFileBytes(m_path, kHandWritten);
    EXPECT_FALSE(WriteProfileString("Test.ini", "J1939", "BaudRate", "1\r\n[Evil]"));
    EXPECT_FALSE(WriteProfileString("Test.ini", "J1939", "Bad=Key", "1"));
    EXPECT_FALSE(WriteProfileString("Test.ini", "", "Key", "1"));
    EXPECT_FALSE(WriteProfileString("Test.ini", "A]B", "Key", "1"));
    EXPECT_EQ(ReadFileBytes(m_path), kHandWritten);
}

TEST_F(ProfileFile, WriteThroughALinkKeepsTheLink) {
    WriteFileBytes(m_dir.File("real.ini"), "[A]\nk=1\n");
    std::filesystem::create_symlink(m_dir.File("real.ini"), m_dir.File("link.ini"));
    ASSERT_TRUE(WriteProfileString("link.ini", "A", "k", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir.File("link.ini")));
    EXPECT_EQ(ReadFileBytes(m_dir.File("real.ini")), "[A]\nk=2\n");
}

TEST_F(ProfileFile, WriteThatFailsHalfWayLeavesTheOldFileIntact) {
    std::string original = "[Big]\n";
    for (int i = 0; i < 200; ++i) {
        original += "Key" + std::to_string(i) + "=" + std::string(40, 'v') + "\n";
    }
    WriteFileBytes(m_path, original);

    // The child may write only 1000 bytes per file, so writing the new copy
    // stops part way with EFBIG, as a full disk would stop it.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool written = WriteProfileString("Test.ini", "Big", "Key0", "changed");
        ::_exit(written ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write must be reported";
    EXPECT_EQ(ReadFileBytes(m_path), original);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1) << "no temporary file is left behind";
}

}  // namespace

TEST_F(ProfileFile, FifosAndFilesOverTheBoundReadAsEmptyWithoutWaitingAndAreNeverWrittenOver) {
    ASSERT_EQ(::mkfifo(m_path.c_str(), 0600), 0);
    const pid_t child = ::fork();  // a read that waited for a writer would hang the test
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(10);
        ::_exit(ReadProfileString("Test.ini", "A", "k", "none") == "none" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the read waited";
    EXPECT_EQ(ProfileFileProblem("Test.ini"), m_path + " is not a regular file.");
    EXPECT_FALSE(WriteProfileString("Test.ini", "A", "k", "v"));
    std::filesystem::remove(m_path);

    std::string big = "[A]\nk=1\n" + std::string(kMaxProfileFileBytes, ';');
    WriteFileBytes(m_path, big);
    EXPECT_EQ(ReadProfileString("Test.ini", "A", "k", "none"), "none");
    EXPECT_EQ(ProfileFileProblem("Test.ini"),
              m_path + " is too large (4194312 bytes; at most " + "4194304).");
    EXPECT_FALSE(WriteProfileString("Test.ini", "A", "k", "2"));
    EXPECT_EQ(ReadFileBytes(m_path), big);
    WriteFileBytes(m_path, std::string("[A]\nk=1\n\0\x7f", 10));
    EXPECT_EQ(ProfileFileProblem("Test.ini"),
              m_path + " is binary, not a profile (a zero byte at offset 8).");
}

TEST_F(ProfileFile, FileKeptInMemory_ReadsAsTheFileAndFollowsWritesFromEitherSide) {
    WriteFileBytes(m_path, "\xEF\xBB\xBF[A]\r\nk=1\r\n[b]\r\nk=2\r\n[B]\r\nk=3\r\nj=4\r\n");
    KeepProfileInMemory("Test.ini");
    EXPECT_EQ(ReadProfileString("Test.ini", "a", "K", ""), "1");
    EXPECT_EQ(ReadProfileString("Test.ini", "B", "k", ""), "2") << "the first section counts";
    EXPECT_EQ(ReadProfileString("Test.ini", "B", "j", "none"), "none");
    EXPECT_EQ(ReadProfileKeys("Test.ini", "b"), std::vector<std::string>{"k"});
    // writes go to the file and to memory
    ASSERT_TRUE(WriteProfileString("Test.ini", "C", "x", "5"));
    ASSERT_TRUE(DeleteProfileKey("Test.ini", "A", "k"));
    EXPECT_EQ(ReadProfileString("Test.ini", "C", "x", ""), "5");
    EXPECT_EQ(ReadProfileString("Test.ini", "A", "k", "gone"), "gone");
    EXPECT_EQ(ReadFileBytes(m_path),
              "\xEF\xBB\xBF[A]\r\n[b]\r\nk=2\r\n[B]\r\nk=3\r\nj=4\r\n[C]\r\nx=5\r\n");
    // another program's change is read again
    WriteFileBytes(m_path, "[A]\nk=changed\n");
    EXPECT_EQ(ReadProfileString("Test.ini", "A", "k", ""), "changed");
    EXPECT_EQ(ReadProfileString("Test.ini", "C", "x", "none"), "none");
    std::filesystem::remove(m_path);
    EXPECT_EQ(ReadProfileString("Test.ini", "A", "k", "no file"), "no file");
}
