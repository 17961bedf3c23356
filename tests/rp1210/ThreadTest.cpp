// The library called from several threads at once: a blocking reader beside
// a sender, disconnects and resets from other threads, clients coming and
// going in parallel.
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <thread>

#include "Rp1210Fixture.h"

using namespace gantry;

namespace {

using namespace std::chrono_literals;

double ProcessCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

class Threads : public Rp1210Test {
protected:
    void SetUp() override {
        Rp1210Test::SetUp();
        WriteIni({{101, StubPath("StubDriver") + " COM1"},
                  {201, StubPath("StubDriverEcho") + " COM1"},
                  {202, StubPath("StubDriverEcho") + " COM2"},
                  {203, StubPath("StubDriverEcho") + " COM3"},
                  {204, StubPath("StubDriverEcho") + " COM4"}});
    }

    // Starts a blocking read of `client` on its own thread.
    std::future<std::pair<std::int16_t, std::string>> BlockingRead(std::int16_t client) {
        return std::async(std::launch::async, [this, client] {
            char buffer[64] = {};
            const std::int16_t result = ReadMessage(client, buffer, sizeof buffer, 1);
            return std::make_pair(result, std::string(buffer, result > 0 ? result : 0));
        });
    }
};

TEST_F(Threads, BlockingReadWaitsWithoutSpinningAndReturnsTheMessage) {
    ASSERT_EQ(Connect(101, "CIP"), 0);
    auto reader = BlockingRead(0);
    const double cpuBefore = ProcessCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    EXPECT_EQ(reader.wait_for(500ms), std::future_status::timeout);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    EXPECT_LT(cpu, 0.25 * wall) << "the waiting reader used " << cpu << " s of CPU in " << wall
                                << " s";

    ASSERT_TRUE(
        ReceiveQueue(101)->Push(CPacketCIP(5, reinterpret_cast<const std::uint8_t*>("reply"))));
    ASSERT_EQ(reader.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(reader.get(), std::make_pair(std::int16_t{5}, std::string("reply")));
}

TEST_F(Threads, BlockedReaderReturns129WhenAnotherThreadDisconnectsItsClient) {
    ASSERT_EQ(Connect(101, "CIP"), 0);
    auto reader = BlockingRead(0);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(ClientDisconnect(0), 0);
    ASSERT_EQ(reader.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(reader.get().first, -129);
}

TEST_F(Threads, BlockedReaderReturns129EvenWhenANewClientTakesItsIdAtOnce) {
    for (int round = 0; round < 10; ++round) {
        ASSERT_EQ(Connect(101, "CIP"), 0);
        auto reader = BlockingRead(0);
        std::this_thread::sleep_for(50ms);  // the reader is polling by now
        // disconnect and reconnect between two polls of the reader
        EXPECT_EQ(ClientDisconnect(0), 0);
        ASSERT_EQ(Connect(101, "CIP"), 0);
        ASSERT_TRUE(
            ReceiveQueue(101)->Push(CPacketCIP(3, reinterpret_cast<const std::uint8_t*>("new"))));
        ASSERT_EQ(reader.wait_for(2s), std::future_status::ready);
        EXPECT_EQ(reader.get().first, -129) << "round " << round;
        ASSERT_EQ(ClientDisconnect(0), 0);
    }
}

TEST_F(Threads, BlockedReaderReturns148WhenAnotherThreadResetsItsClient) {
    ASSERT_EQ(Connect(101, "CIP"), 0);
    auto reader = BlockingRead(0);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(SendCommand(0, 0, nullptr, 0), 0);
    ASSERT_EQ(reader.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(reader.get().first, -148);
    EXPECT_EQ(ClientDisconnect(0), 0);
}

TEST_F(Threads, SenderAndBlockingReaderOnOneClientLoseNothingThenDisconnectWakesTheReader) {
    ASSERT_EQ(Connect(201, "CIP"), 0);
    std::atomic<bool> stop{false};
    std::atomic<std::uint32_t> sent{0};
    std::thread sender([&] {
        char message[12] = "seq:";
        for (std::uint32_t sequence = 0; !stop; ++sequence) {
            std::memcpy(message + 4, &sequence, sizeof sequence);
            std::int16_t result = 0;
            while ((result = SendMessage(0, message, 8, 0, 0)) == 137 && !stop) {
                std::this_thread::yield();
            }
            if (result == 137) {
                return;  // stopped while every queue was full (the reader stops first)
            }
            ASSERT_EQ(result, 0);
            sent = sequence + 1;
        }
    });
    std::uint32_t expected = 0;
    const auto readOne = [&] {
        char buffer[16];
        const std::int16_t result = ReadMessage(0, buffer, sizeof buffer, 1);
        ASSERT_EQ(result, 8);
        std::uint32_t sequence = 0;
        std::memcpy(&sequence, buffer + 4, sizeof sequence);
        ASSERT_EQ(sequence, expected) << "replies in order, none lost";
        ++expected;
    };
    const auto until = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < until && !HasFatalFailure()) {
        readOne();
    }
    stop = true;
    sender.join();
    while (expected < sent && !HasFatalFailure()) {
        readOne();
    }
    char buffer[16];
    EXPECT_EQ(ReadMessage(0, buffer, sizeof buffer, 0), 0) << "nothing more than was sent";
    EXPECT_EQ(expected, sent.load());
    EXPECT_GT(expected, 1000u) << "the echo should keep up with thousands of messages";

    auto reader = BlockingRead(0);
    std::thread disconnecter([this] {
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(ClientDisconnect(0), 0);
    });
    disconnecter.join();
    ASSERT_EQ(reader.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(reader.get().first, -129);
}

TEST_F(Threads, ClientsComingAndGoingOnSeveralThreadsKeepTheLibraryConsistent) {
    std::vector<std::thread> workers;
    std::atomic<int> failures{0};
    for (int device = 201; device <= 204; ++device) {
        workers.emplace_back([&, device] {
            for (int round = 0; round < 100; ++round) {
                const std::int16_t client = Connect(device, "CIP");
                if (client < 0 || client > 127) {
                    ++failures;
                    continue;
                }
                char status[16];
                char buffer[16];
                std::int16_t read = 0;
                if (SendMessage(client, "ping", 4, 0, 0) != 0 ||
                    GetHardwareStatus(client, status, 16, 0) != 0 ||
                    (read = ReadMessage(client, buffer, sizeof buffer, 1)) != 4 ||
                    std::string(buffer, 4) != "ping" || ClientDisconnect(client) != 0) {
                    ++failures;
                }
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(failures, 0);
    char buffer[16];
    EXPECT_EQ(ReadMessage(0, buffer, sizeof buffer, 0), -129) << "every client is gone";
    EXPECT_FALSE(StubLoaded("StubDriverEcho")) << "the driver went with its last client";
}

}  // namespace
