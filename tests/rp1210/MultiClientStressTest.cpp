// Several programs on one library, end to end: 16 client threads on four
// virtual gateways (CIP and J1708 clients alike) connect, send, read and
// disconnect at random for a few seconds while the gateway on the fourth port
// vanishes and returns. Every call answers with a client id, a byte count, 0
// or a code the library documents; every message a client reads is its own
// (its CIP replies, its J1708 echoes) or the bus traffic of its gateway; at
// the end the driver is unloaded and the process has its threads of before.
#include <dirent.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "GatewayProcess.h"
#include "Rp1210Fixture.h"
#include "common/GantryDirectory.h"

namespace {

using namespace std::chrono_literals;

constexpr int f_nClients = 16;
constexpr int f_nPorts = 4;
constexpr auto f_runTime = 4s;
constexpr std::uint8_t f_nBusMid = 128;  // the gateway's J1708 traffic

int ThreadCount() {
    int count = 0;
    if (DIR* tasks = ::opendir("/proc/self/task")) {
        while (const dirent* entry = ::readdir(tasks)) {
            count += entry->d_name[0] != '.' ? 1 : 0;
        }
        ::closedir(tasks);
    }
    return count;
}

// What the run saw, shared by the client threads.
struct Tally {
    std::mutex lock;
    std::map<std::string, int> calls;         // "<call> <result class>" -> count
    std::map<std::string, int> undocumented;  // "<call> <code>" -> count
    std::map<std::string, double> longest;    // "<call>" -> its longest time, in ms
    std::atomic<int> foreign{0};              // messages that were not the reader's
    std::atomic<int> sent{0};
    std::atomic<int> read{0};

    void Count(const std::string& key, std::map<std::string, int>& into) {
        std::lock_guard<std::mutex> guard(lock);
        ++into[key];
    }
};

class MultiClientStress : public Rp1210Test {
protected:
    // Runs one call and judges its result (see Judge), keeping its longest time.
    template <class Call>
    std::int16_t Timed(const char* name, Tally& tally, Call call) {
        const auto started = std::chrono::steady_clock::now();
        const std::int16_t result = call();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - started;
        std::lock_guard<std::mutex> guard(tally.lock);
        double& longest = tally.longest[name];
        longest = std::max(longest, took.count());
        return result;
    }
    // A result that is no count or id must be a code the library has a text for.
    void Judge(const char* call, std::int16_t code, Tally& tally) {
        char text[100];
        const std::string key = std::string(call) + " " + std::to_string(code);
        if (code > 0 && GetErrorMsg(code, text) != 0) {
            tally.Count(key, tally.undocumented);
        }
        tally.Count(code == 0 ? std::string(call) + " 0" : key, tally.calls);
    }
    void RunClient(int index, std::uint32_t seed, const std::atomic<bool>& stop, Tally& tally);
    void ClientStep(int index, std::int16_t& client, std::mt19937& random, Tally& tally);
    void ReadOne(int index, std::int16_t client, Tally& tally);
};

// Client i sends a request whose service is 0x40 + i (no object answers it,
// but the reply carries the service with 0x80 set), or as a J1708 client a
// message of MID 0xA0 + i that comes back as its echo.
void MultiClientStress::ClientStep(int index, std::int16_t& client, std::mt19937& random,
                                   Tally& tally) {
    const bool j1708 = index % 2 == 1;
    const int roll = static_cast<int>(random() % 100);
    if (client < 0) {
        const int port = 1 + static_cast<int>(random() % f_nPorts);
        client =
            Timed("connect", tally, [&] { return Connect(100 + port, j1708 ? "J1708" : "CIP"); });
        Judge("connect", client > 127 ? client : 0, tally);
        if (client > 127) {
            client = -1;
        } else if (j1708) {
            char on = 1;
            Judge("command", SendCommand(RC_SetAllFiltersStatesToPass, client, &on, 1), tally);
            Judge("command", SendCommand(RC_EchoTransmittedMessages, client, &on, 1), tally);
        }
    } else if (roll < 40) {
        const char cip[5] = {static_cast<char>(0x40 + index), '\xFF', '\xFF', 1, 0};
        const char bus[4] = {3, static_cast<char>(0xA0 + index), 84, 1};
        const std::int16_t result = Timed("send", tally, [&] {
            return j1708 ? SendMessage(client, bus, 4, 0, 0) : SendMessage(client, cip, 5, 0, 0);
        });
        Judge("send", result, tally);
        tally.sent += result == 0 ? 1 : 0;
    } else if (roll < 85) {
        ReadOne(index, client, tally);
    } else if (roll < 90) {
        char status[16];
        Judge("status", GetHardwareStatus(client, status, 16, 0), tally);
    } else {
        Judge("disconnect", Timed("disconnect", tally, [&] { return ClientDisconnect(client); }),
              tally);
        client = -1;
    }
}

void MultiClientStress::ReadOne(int index, std::int16_t client, Tally& tally) {
    char buffer[64];
    const std::int16_t result =
        Timed("read", tally, [&] { return ReadMessage(client, buffer, sizeof buffer, 0); });
    Judge("read", result < 0 ? static_cast<std::int16_t>(-result) : 0, tally);
    if (result <= 0) {
        return;
    }
    ++tally.read;
    const auto byte = [&](int at) { return static_cast<std::uint8_t>(buffer[at]); };
    if (index % 2 == 0) {
        tally.foreign += byte(0) != 0xC0 + index ? 1 : 0;
    } else {
        // time stamp, echo flag, MID: an echo is the reader's own message
        const bool own = result >= 6 && byte(4) == 1 && byte(5) == 0xA0 + index;
        const bool bus = result >= 6 && byte(4) == 0 && byte(5) == f_nBusMid;
        tally.foreign += own || bus ? 0 : 1;
    }
}

void MultiClientStress::RunClient(int index, std::uint32_t seed, const std::atomic<bool>& stop,
                                  Tally& tally) {
    std::mt19937 random(seed + static_cast<std::uint32_t>(index));
    std::int16_t client = -1;
    while (!stop) {
        ClientStep(index, client, random, tally);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
    }
    if (client >= 0) {
        Judge("disconnect", ClientDisconnect(client), tally);
    }
}

TEST_F(MultiClientStress, SixteenClientsOnFourPortsWhileAGatewayComesAndGoes) {
    const std::uint32_t seed = std::random_device{}();
    std::printf("seed %u\n", seed);
    ASSERT_TRUE(MakeDirectories(m_dir.File("dosdevices")));
    WriteFileBytes(m_dir.File("GYSim.ini"), "[Identity]\r\nRun Mode=Run\r\n");
    std::array<CGatewayProcess, f_nPorts> gateways;
    std::map<int, std::string> devices;
    for (int port = 1; port <= f_nPorts; ++port) {
        const std::string link = m_dir.File("dosdevices/com" + std::to_string(port));
        ASSERT_TRUE(gateways[port - 1].Start(link, {"--j1708-every", "20"}));
        devices[100 + port] = std::string(KVGYSRL_PATH) + " COM" + std::to_string(port);
    }
    WriteIni(devices);
    std::thread([] {}).join();  // a sanitizer's own helper thread starts with the first thread
    const int threadsBefore = ThreadCount();

    Tally tally;
    std::atomic<bool> stop{false};
    std::vector<std::thread> clients;
    for (int index = 0; index < f_nClients; ++index) {
        clients.emplace_back([&, index] { RunClient(index, seed, stop, tally); });
    }
    int outages = 0;
    const std::string lastLink = m_dir.File("dosdevices/com" + std::to_string(f_nPorts));
    for (const auto until = std::chrono::steady_clock::now() + f_runTime;
         std::chrono::steady_clock::now() < until; ++outages) {
        std::this_thread::sleep_for(400ms);
        gateways[f_nPorts - 1].Stop(SIGKILL);
        std::this_thread::sleep_for(200ms);
        ASSERT_TRUE(gateways[f_nPorts - 1].Start(lastLink, {"--j1708-every", "20"}));
    }
    stop = true;
    for (std::thread& thread : clients) {
        thread.join();
    }

    for (const auto& [call, count] : tally.calls) {
        std::printf("%-16s %6d\n", call.c_str(), count);
    }
    for (const auto& [call, milliseconds] : tally.longest) {
        std::printf("longest %-10s %8.1f ms\n", call.c_str(), milliseconds);
    }
    std::printf("sent %d, read %d, gateway outages %d\n", tally.sent.load(), tally.read.load(),
                outages);
    EXPECT_TRUE(tally.undocumented.empty()) << tally.undocumented.begin()->first;
    EXPECT_EQ(tally.foreign, 0) << "messages read by a client they were not meant for";
    EXPECT_GT(tally.calls["connect 0"], f_nPorts) << "clients took turns on the ports";
    EXPECT_GT(tally.read, 0);
    void* driver = ::dlopen(KVGYSRL_PATH, RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(driver, nullptr) << "the driver goes with its last client";
    if (driver != nullptr) {
        ::dlclose(driver);
    }
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (ThreadCount() != threadsBefore && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(ThreadCount(), threadsBefore) << "every driver worker ended";
}

}  // namespace
