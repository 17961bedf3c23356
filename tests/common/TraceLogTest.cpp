#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "common/TraceLog.h"

using namespace gantry;

namespace {

// "Www Mmm dd hh:mm:ss yyyy" with English day and month names.
bool IsTimeStamp(const std::string& text) {
    static const std::string kDays = "SunMonTueWedThuFriSat";
    static const std::string kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const std::string shape = "aaa aaa 00 00:00:00 0000";
    if (text.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if ((shape[i] == '0' && !digit) ||
            (shape[i] != '0' && shape[i] != 'a' && text[i] != shape[i])) {
            return false;
        }
    }
    const auto day = kDays.find(text.substr(0, 3));
    const auto month = kMonths.find(text.substr(4, 3));
    return day != std::string::npos && day % 3 == 0 && month != std::string::npos && month % 3 == 0;
}

TEST(TraceLog, RecordLayoutWithAndWithoutClassAndMethod) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const std::time_t when = 1796675028;  // Mon Dec 07 20:23:48 2026 UTC
    EXPECT_EQ(FormatTraceTime(when), "Mon Dec 07 20:23:48 2026");
    EXPECT_EQ(
        FormatTraceRecord(when, "CDf1Protocol", "Transmit()", "Transmitting DF1 message failed !"),
        "Mon Dec 07 20:23:48 2026\tCDf1Protocol::Transmit()\t\t"
        "Transmitting DF1 message failed !\n");
    EXPECT_EQ(FormatTraceRecord(when, "", "", "Session Start"),
              "Mon Dec 07 20:23:48 2026\t\tSession Start\n");
    EXPECT_EQ(FormatTraceRecord(when, "CSerialTransport", "", "x"),
              "Mon Dec 07 20:23:48 2026\tCSerialTransport\t\tx\n");
    EXPECT_EQ(FormatTraceRecord(when, "", "Connect()", "x"),
              "Mon Dec 07 20:23:48 2026::Connect()\t\tx\n");
}

TEST(TraceLog, TimeStampStaysEnglishUnderAnotherLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    // any installed non-English locale will do; if none is, the C locale still checks the form
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    const std::string stamp = FormatTraceTime(std::time(nullptr));
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(stamp.size(), 24u);
    EXPECT_TRUE(IsTimeStamp(stamp)) << stamp;
}

TEST(TraceLog, AppendsRecordsInOrderAndKeepsEarlierContent) {
    ScopedGantryDir dir;
    const std::string log = dir.File("GyConfig.log");
    WriteFileBytes(log, "earlier line\n");
    WriteTraceLog("", "", "Session Start");
    WriteTraceLog("CSerialTransport", "Connect()", "second");
    const std::string content = ReadFileBytes(log);
    ASSERT_EQ(content.rfind("earlier line\n", 0), 0u);
    const auto first = content.find("\t\tSession Start\n");
    const auto second = content.find("\tCSerialTransport::Connect()\t\tsecond\n");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_TRUE(IsTimeStamp(content.substr(13, 24)));
}

TEST(TraceLog, CreatesTheDirectoryAndTheFile) {
    ScopedGantryDir dir;
    ::setenv("GANTRY_DIR", (dir.Path() + "/not/yet").c_str(), 1);
    WriteTraceLog("A", "B()", "made");
    EXPECT_NE(ReadFileBytes(dir.Path() + "/not/yet/GyConfig.log").find("A::B()\t\tmade\n"),
              std::string::npos);
}

TEST(TraceLog, UnwritableLogLosesTheRecordQuietly) {
    ScopedGantryDir dir;
    // a directory where the file should be: no user, root included, can open it for writing
    ASSERT_EQ(::mkdir(dir.File("GyConfig.log").c_str(), 0755), 0);
    WriteTraceLog("CDf1Protocol", "Transmit()", "lost");
    struct stat info {};
    ASSERT_EQ(::stat(dir.File("GyConfig.log").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST(TraceLog, AFifoInTheLogsPlaceIsNeitherWrittenNorWaitedFor) {
    ScopedGantryDir dir;
    ASSERT_EQ(::mkfifo(dir.File("GyConfig.log").c_str(), 0600), 0);
    // a reader, so that a plain open would succeed and the record would go into the FIFO
    const int reader = ::open(dir.File("GyConfig.log").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    WriteTraceLog("CDf1Protocol", "Transmit()", "lost");
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0);  // no record came
    ::close(reader);
}

TEST(TraceLog, RecordsOfManyThreadsNeverInterleave) {
    ScopedGantryDir dir;
    constexpr int kThreads = 4;
    constexpr int kRecords = 200;
    const std::string payload(300, 'x');
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRecords; ++i) {
                WriteTraceLog("Thread" + std::to_string(t), "Run()", payload);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::istringstream lines(ReadFileBytes(dir.File("GyConfig.log")));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        const bool whole = line.size() == 24 + 15 + 2 + 300 && IsTimeStamp(line.substr(0, 24)) &&
                           line.compare(24, 7, "\tThread") == 0 &&
                           line.compare(32, 8, "::Run()\t") == 0 && line.substr(41) == payload;
        EXPECT_TRUE(whole) << line;
        ++count;
    }
    EXPECT_EQ(count, kThreads * kRecords);
}

}  // namespace
