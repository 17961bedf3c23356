// Stress, end to end: one thread sends and another reads blocking on the same
// client for 10 s while the virtual gateway answers over the real driver;
// then a third thread disconnects the client under the blocked reader.
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "GatewayProcess.h"
#include "Rp1210Fixture.h"
#include "common/GantryDirectory.h"

using namespace gantry;

namespace {

using namespace std::chrono_literals;

// The run-state request; every one gets one reply.
const std::string f_request("\x0e\x01\x00\x01\x00\x67", 6);
// Requests in flight at most, so that replies never overflow the receive queue.
constexpr std::uint32_t f_nWindow = 40;

using EndToEndStress = Rp1210Test;

TEST_F(EndToEndStress, SenderAndBlockingReaderFor10sReadEveryReplyThenDisconnectWakesReader) {
    ASSERT_TRUE(MakeDirectories(m_dir.File("dosdevices")));
    WriteFileBytes(m_dir.File("GYSim.ini"), "[Identity]\r\nRun Mode=Run\r\n");
    CGatewayProcess gateway;
    ASSERT_TRUE(gateway.Start(m_dir.File("dosdevices/com1")));
    WriteIni({{101, std::string(KVGYSRL_PATH) + " COM1"}});
    ASSERT_EQ(Connect(101, "CIP"), 0);

    std::atomic<std::uint32_t> sent{0};
    std::atomic<std::uint32_t> received{0};
    std::atomic<bool> stop{false};
    std::atomic<int> sendFailures{0};
    std::thread sender([&] {
        while (!stop) {
            if (sent - received >= f_nWindow) {
                std::this_thread::sleep_for(1ms);
                continue;
            }
            const std::int16_t result = SendMessage(0, f_request.data(), 6, 0, 0);
            if (result == 0) {
                ++sent;
            } else if (result != 137) {
                ++sendFailures;
                return;
            }
        }
    });
    std::atomic<int> badReplies{0};
    std::thread reader([&] {
        char buffer[64];
        for (;;) {
            const std::int16_t result = ReadMessage(0, buffer, sizeof buffer, 1);
            if (result < 0) {
                break;  // the client is gone
            }
            // reply to Get Attribute Single: service | 0x80 first, run state last
            if (result < 4 || static_cast<std::uint8_t>(buffer[0]) != 0x8E ||
                buffer[result - 1] != 1) {
                ++badReplies;
            }
            ++received;
        }
    });

    std::this_thread::sleep_for(10s);
    stop = true;
    sender.join();
    const auto until = std::chrono::steady_clock::now() + 20s;
    while (received < sent && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(received.load(), sent.load()) << "every reply is read";
    EXPECT_GT(sent.load(), 50u);
    EXPECT_EQ(sendFailures, 0);
    EXPECT_EQ(badReplies, 0);

    // the reader is blocked now, with nothing more to come
    std::this_thread::sleep_for(100ms);
    std::thread disconnecter([this] { EXPECT_EQ(ClientDisconnect(0), 0); });
    disconnecter.join();
    auto joined = std::async(std::launch::async, [&] { reader.join(); });
    ASSERT_EQ(joined.wait_for(5s), std::future_status::ready) << "the blocked reader returned";
    char buffer[8];
    EXPECT_EQ(ReadMessage(0, buffer, sizeof buffer, 0), -129);
    RecordProperty("exchanges", static_cast<int>(sent.load()));
    std::printf("exchanges in 10 s: %u\n", sent.load());
}

}  // namespace
