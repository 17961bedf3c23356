// Throughput and latency of libKVGYSrl.so against the virtual gateway on a
// line paced at 19200 baud in both directions, compared with the time the
// bytes need on the wire; and the CPU time an idle device's worker uses.
//
// usage: gantry-driver-bench [--exchanges N] [--idle-seconds S]
//
// The pacing threads need the CPU on time: on a machine busy with other work,
// run it as `chrt -f 10 gantry-driver-bench` so that the figures are the
// driver's, not the scheduler's. The load average is printed with the figures.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/PacketQueue.h"
#include "common/SharedLibrary.h"
#include "driver/DriverInterface.h"
#include "gateway/GatewayObjects.h"
#include "gateway/PseudoTerminal.h"
#include "gateway/VirtualGateway.h"

using namespace gantry;

using namespace gantry::gateway;

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr int kBaud = 19200;
constexpr double kBitsPerCharacter = 11.0;

const char* const kProfile =
    "[Identity]\nProduct Name=Ethernet to J1939 Gateway\nFirmware Revision=2.7\nRun Mode=Run\n"
    "Client Type=9\nServer Type=6\n"
    "[J1939IO_0]\nNumberOfEntries=1\n"
    "[J1939IO_1]\nDirection=Input\nOffset=0\nSize=16\nUpdate Rate=100\nTarget Address=0\n"
    "PGN=65262\nMessage Offset=0\n";

std::set<int> ThreadIds() {
    std::set<int> ids;
    if (DIR* tasks = ::opendir("/proc/self/task")) {
        while (const dirent* entry = ::readdir(tasks)) {
            if (entry->d_name[0] != '.') {
                ids.insert(std::atoi(entry->d_name));
            }
        }
        ::closedir(tasks);
    }
    return ids;
}

// User plus system time of one thread, in seconds.
double ThreadCpuSeconds(int tid) {
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14) {
            utime = std::stoull(field);
        } else if (index == 15) {
            stime = std::stoull(field);
            break;
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

struct Series {
    std::vector<double> latencies;  // ms
    std::uint64_t bytes = 0;
    double seconds = 0;
    double gatewaySeconds = 0;  // the gateway answering requests
};

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const std::size_t index =
        std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()));
    return values[index];
}

double Mean(const std::vector<double>& values) {
    double sum = 0;
    for (double value : values) {
        sum += value;
    }
    return values.empty() ? 0 : sum / static_cast<double>(values.size());
}

class Bench {
public:
    Bench(CVirtualGateway& gateway, CPacketQueue& transmit, CPacketQueue& receive)
        : m_gateway(gateway), m_transmit(transmit), m_receive(receive) {}

    // Sends `request` `count` times, one at a time, and times each reply.
    bool Run(const Bytes& request, std::size_t replyLength, int count, Series& series) {
        const std::uint64_t before = Traffic();
        const double handlerBefore = m_gateway.HandlerSeconds();
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i) {
            const auto sent = Clock::now();
            m_transmit.Push(CPacketCIP(static_cast<int>(request.size()), request.data()));
            CPacketCIP reply;
            while (!m_receive.Pop(reply)) {
                if (Clock::now() - sent > std::chrono::seconds(5)) {
                    std::fprintf(stderr, "no reply to request %d\n", i);
                    return false;
                }
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
            series.latencies.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            if (static_cast<std::size_t>(reply.m_nLength) != replyLength || reply.m_data[1] != 0) {
                std::fprintf(stderr, "unexpected reply of %d bytes\n", reply.m_nLength);
                return false;
            }
        }
        series.seconds += std::chrono::duration<double>(Clock::now() - start).count();
        // The driver's ACK of the last reply crosses after the reply was taken.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        series.bytes += Traffic() - before;
        series.gatewaySeconds += m_gateway.HandlerSeconds() - handlerBefore;
        return true;
    }

private:
    std::uint64_t Traffic() const { return m_gateway.BytesReceived() + m_gateway.BytesSent(); }

    CVirtualGateway& m_gateway;
    CPacketQueue& m_transmit;
    CPacketQueue& m_receive;
};

void Report(const char* name, const Series& series) {
    std::printf("%-22s mean %7.2f ms   p99 %7.2f ms   (%zu exchanges)\n", name,
                Mean(series.latencies), Percentile(series.latencies, 0.99),
                series.latencies.size());
}

}  // namespace

int main(int argc, char** argv) {
    int exchanges = 200;
    double idleSeconds = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--exchanges") {
            exchanges = std::max(1, std::atoi(argv[i + 1]));
        } else if (name == "--idle-seconds") {
            idleSeconds = std::max(0.0, std::atof(argv[i + 1]));
        }
    }
    char directory[] = "/tmp/gantry-bench-XXXXXX";
    if (::mkdtemp(directory) == nullptr) {
        return 1;
    }
    ::setenv("GANTRY_DIR", directory, 1);
    std::ofstream(std::string(directory) + "/GYSim.ini") << kProfile;

    GatewayOptions options;
    options.baud = kBaud;
    CGatewayObjects objects(options);
    CGatewayLine line;
    std::string error;
    if (!line.OpenPseudoTerminal(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    CVirtualGateway gateway(
        line.Fd(), options,
        [&objects](std::uint8_t* buffer, int length, int capacity) {
            return objects.Answer(buffer, length, capacity);
        },
        [&objects] { return objects.IsUnreachable(); });
    std::atomic<bool> stop{false};
    std::thread served([&] { gateway.Run(stop); });

    // The driver lies in lib/ beside bin/; named by path because a sanitizer's
    // dlopen wrapper would not search this program's RUNPATH.
    const auto self = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    CSharedLibrary library;
    if (!library.Open((self / ".." / "lib" / "libKVGYSrl.so").string()) &&
        !library.Open("libKVGYSrl.so")) {
        std::fprintf(stderr, "%s\n", library.Error().c_str());
        stop = true;
        served.join();
        return 1;
    }
    auto connect = library.Resolve<SP_ConnectFn>("SP_Connect");
    auto disconnect = library.Resolve<SP_DisconnectFn>("SP_Disconnect");
    CPacketQueue transmit(50, 1), command(50, -1), receive(50, 1);
    const std::set<int> before = ThreadIds();
    if (connect(100, line.Path().c_str(), 1, &transmit, &command, &receive) != 0) {
        std::fprintf(stderr, "cannot connect to the virtual gateway\n");
        stop = true;
        served.join();
        return 1;
    }
    int worker = 0;
    for (int id : ThreadIds()) {
        worker = before.count(id) == 0 ? id : worker;
    }

    Bench bench(gateway, transmit, receive);
    Series identity;
    Series point;
    const Bytes readName{0x0E, 0x01, 0x00, 0x01, 0x00, 0x07};
    const Bytes readPoint{0x01, 0x6F, 0x00, 0x01, 0x00};
    const std::size_t nameReply = 4 + 1 + std::string("Ethernet to J1939 Gateway").size();
    bool ok = bench.Run(readName, nameReply, exchanges, identity) &&
              bench.Run(readPoint, 4 + 15, exchanges, point);

    if (ok) {
        const double seconds = identity.seconds + point.seconds;
        const std::uint64_t bytes = identity.bytes + point.bytes;
        const double limit = static_cast<double>(bytes) * kBitsPerCharacter / kBaud;
        std::ifstream loadavg("/proc/loadavg");
        std::string load;
        std::getline(loadavg, load);
        std::printf("line: %d baud, %.0f bits per character, paced both ways (load %s)\n", kBaud,
                    kBitsPerCharacter, load.c_str());
        std::printf(
            "CIP exchanges per second: %.2f\n",
            static_cast<double>(identity.latencies.size() + point.latencies.size()) / seconds);
        Report("identity read", identity);
        Report("I/O point read (15 B)", point);
        std::printf("bytes on the line: %llu; wire-time limit %.3f s; measured %.3f s\n",
                    static_cast<unsigned long long>(bytes), limit, seconds);
        const double gatewaySeconds = identity.gatewaySeconds + point.gatewaySeconds;
        std::printf("ratio measured/limit: %.3f\n", seconds / limit);
        std::printf("gateway's own time answering requests: %.3f s\n", gatewaySeconds);
        std::printf("driver-level ratio (gateway's answer time taken out): %.3f (target <= 1.15)\n",
                    (seconds - gatewaySeconds) / limit);
    }

    if (ok && idleSeconds > 0 && worker != 0) {
        const double startCpu = ThreadCpuSeconds(worker);
        std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
        const double used = ThreadCpuSeconds(worker) - startCpu;
        std::printf(
            "idle worker thread: %.3f s CPU in %.0f s = %.2f%% of one core (target < 3%%)\n", used,
            idleSeconds, 100.0 * used / idleSeconds);
    }
    disconnect(100);
    stop = true;
    served.join();
    std::filesystem::remove_all(directory);
    return ok ? 0 : 1;
}
