#include "SoakSupport.h"

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tool/device/DeviceRequest.h"
#include "tool/device/Notifier.h"
#include "tool/device/SerialTransport.h"

namespace gantry::soak {

namespace fs = std::filesystem;

namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Storage areas for the firmware update, and a description whose revisions
// are the ones the areas report (the gateway keeps its revisions).
const char* const f_szStorageAreas =
    "\n[NVS_1]\nStatus=1\nRevision=0x0A02\n[NVS_2]\nStatus=1\nRevision=0x0301\n";
const char* const f_szDescription =
    "[Device]\nDescription=Soak images\nNumberUpdates=2\n"
    "[Update1]\nNVSInstance=2\nMajorRevision=1\nMinorRevision=3\nDataFileName=boot.bin\n"
    "FileSize=600\n"
    "[Update2]\nNVSInstance=1\nMajorRevision=0x2\nMinorRevision=10\nDataFileName=carrier.bin\n"
    "FileSize=1000\n";

void WriteProfile(const std::string& dir, const std::string& profile) {
    std::ifstream in(profile, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf() << f_szStorageAreas;
    WriteText(dir + "/gateway.ini", text.str());
}

void WriteFiles(const std::string& dir, const std::string& driver) {
    WriteText(dir + "/KV121032.INI", "[DeviceInformation101]\nDeviceParams=" + driver + " COM1\n");
    WriteText(dir + "/update.nvs", f_szDescription);
    WriteText(dir + "/boot.bin", std::string(600, '\x5B'));
    WriteText(dir + "/carrier.bin", std::string(1000, '\xC3'));
    fs::create_directories(dir + "/dosdevices");
}

// Reads the gateway's first line (its line's name): it serves from then on.
bool AwaitFirstLine(int fd) {
    char c = 0;
    do {
        pollfd watch{fd, POLLIN, 0};
        if (::poll(&watch, 1, 20000) <= 0 || ::read(fd, &c, 1) != 1) {
            return false;
        }
    } while (c != '\n');
    return true;
}

}  // namespace

bool SoakWorld::Start(const std::string& program, const std::string& profile, int baud,
                      std::uint32_t seed, int faultEvery, std::string& error) {
    char pattern[] = "/tmp/gantry-soak-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        error = "cannot make a temporary directory";
        return false;
    }
    m_dir = pattern;
    ::setenv("GANTRY_DIR", m_dir.c_str(), 1);
    m_program = (fs::absolute(program).parent_path() / "gantry-gateway").string();
    m_baud = baud;
    m_faultEvery = faultEvery;
    m_gatewayLog = m_dir + "/gateway.log";
    WriteFiles(m_dir, (fs::path(RP1210LibraryPath()).parent_path() / "libKVGYSrl.so").string());
    return RestartGateway(profile, seed, error);
}

bool SoakWorld::RestartGateway(const std::string& profile, std::uint32_t seed, std::string& error) {
    StopGateway();
    if (!fs::is_regular_file(profile)) {
        error = "cannot read the profile " + profile;
        return false;
    }
    WriteProfile(m_dir, profile);
    return StartGateway(seed, error);
}

bool SoakWorld::StartGateway(std::uint32_t seed, std::string& error) {
    std::vector<std::string> arguments = {m_program,
                                          "--link",
                                          m_dir + "/dosdevices/com1",
                                          "--profile",
                                          GatewayProfile(),
                                          "--reset-downtime",
                                          "0.5",
                                          "--baud",
                                          std::to_string(m_baud),
                                          "--fault-every",
                                          std::to_string(m_faultEvery),
                                          "--fault-seed",
                                          std::to_string(seed % 1000000000U)};
    int out[2];
    if (::pipe(out) != 0) {
        return false;
    }
    m_gateway = ::fork();
    if (m_gateway == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // a crashed soak or monkey leaves no gateway
        ::dup2(out[1], 1);
        std::freopen(m_gatewayLog.c_str(), "a", stderr);
        std::vector<char*> argv;
        for (auto& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        ::execv(m_program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    const bool serving = m_gateway > 0 && AwaitFirstLine(out[0]);
    ::close(out[0]);
    if (!serving) {
        error = "the gateway " + m_program + " did not start";
    }
    return serving;
}

std::string SoakWorld::StopGateway() {
    if (m_gateway > 0) {
        ::kill(m_gateway, SIGTERM);
        ::waitpid(m_gateway, nullptr, 0);
        m_gateway = -1;
    }
    std::ifstream log(m_gatewayLog);
    std::string line, faults = "(none reported)";
    const std::string mark = "faults injected: ";
    while (std::getline(log, line)) {
        if (const auto at = line.find(mark); at != std::string::npos) {
            faults = line.substr(at + mark.size());
        }
    }
    return faults;
}

SoakWorld::~SoakWorld() {
    StopGateway();
    std::error_code ignored;
    if (!m_dir.empty()) {
        fs::remove_all(m_dir, ignored);
    }
}

NotifyAnswer RecordingNotifier::Notify(const std::string& text, const std::string& caption,
                                       NotifyButtons buttons, NotifyIcon, NotifyAnswer) {
    (void)text;
    ++m_counts[caption];
    switch (buttons) {
        case NotifyButtons::Ok:
        case NotifyButtons::OkCancel:
            return NotifyAnswer::Ok;
        case NotifyButtons::RetryCancel:
            return NotifyAnswer::Cancel;
        default:
            return NotifyAnswer::Yes;
    }
}

std::size_t RecordingNotifier::Count(const std::string& caption) const {
    const auto found = m_counts.find(caption);
    return found == m_counts.end() ? 0 : found->second;
}

void ShortResetPauseClock::Sleep(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(
        std::min<std::chrono::milliseconds>(duration, std::chrono::seconds(1)));
}

TransferWatch::TransferWatch(CRequestGate& gate) : m_gate(gate) {
    gate.SetRequestObserver(
        [this](const std::vector<std::uint8_t>& request, int result, const DeviceReply& reply) {
            // service, class and instance words, then the request's data
            if (request.size() < 5 || request[1] != CLS_FirmwareStorage || result != 1 ||
                reply.generalStatus != 0) {
                return;
            }
            const int area = request[3] | (request[4] << 8);
            if (request[0] == SVC_FirmwareUpdate) {
                m_reached[area] = 0;
            } else if (request[0] == SVC_FirmwareTransfer && request.size() >= 9 &&
                       reply.Byte(4) != 3) {
                const std::size_t offset = request[5] | (request[6] << 8) | (request[7] << 16) |
                                           (static_cast<std::size_t>(request[8]) << 24);
                m_reached[area] = std::max(m_reached[area], offset + request.size() - 9);
            }
        });
}

TransferWatch::~TransferWatch() {
    m_gate.SetRequestObserver({});
}

bool TransferWatch::Complete(const std::map<int, std::size_t>& sizes) const {
    return std::all_of(sizes.begin(), sizes.end(), [this](const auto& area) {
        const auto found = m_reached.find(area.first);
        return found != m_reached.end() && found->second == area.second;
    });
}

void OperationTimes::Add(const char* name, std::chrono::steady_clock::duration took) {
    Figures& figures = m_figures[name];
    const double seconds = std::chrono::duration<double>(took).count();
    figures.longest = std::max(figures.longest, seconds);
    m_last = std::string(name) + " " + std::to_string(static_cast<int>(seconds * 1000)) + " ms";
    figures.total += seconds;
    ++figures.count;
}

void OperationTimes::Print() const {
    std::printf("%-16s %8s %10s %10s\n", "operation", "count", "mean ms", "longest ms");
    for (const auto& [name, figures] : m_figures) {
        std::printf("%-16s %8ld %10.1f %10.1f\n", name.c_str(), figures.count,
                    1000.0 * figures.total / static_cast<double>(std::max(1L, figures.count)),
                    1000.0 * figures.longest);
    }
}

int ThreadCount() {
    int count = 0;
    if (DIR* tasks = ::opendir("/proc/self/task")) {
        while (const dirent* entry = ::readdir(tasks)) {
            count += entry->d_name[0] != '.';
        }
        ::closedir(tasks);
    }
    return count;
}

bool WaitForThreadCount(int count) {
    for (int i = 0; i < 200; ++i) {
        if (ThreadCount() <= count) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

namespace {

double ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atof(line.c_str() + 6);
        }
    }
    return 0;
}

double OpenDescriptors() {
    std::error_code ignored;
    return static_cast<double>(
        std::distance(fs::directory_iterator("/proc/self/fd", ignored), fs::directory_iterator()));
}

// Least-squares slope of `value` over the cycles, per 1,000 cycles.
template <typename T, typename F>
double SlopePerThousand(const std::vector<T>& samples, F value) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const T& sample : samples) {
        n += 1;
        sx += sample.cycle;
        sy += value(sample);
        sxx += sample.cycle * sample.cycle;
        sxy += sample.cycle * value(sample);
    }
    const double d = n * sxx - sx * sx;
    return d == 0 ? 0 : 1000.0 * (n * sxy - sx * sy) / d;
}

}  // namespace

void ResourceSamples::Take(long cycle) {
    m_samples.push_back(Sample{static_cast<double>(cycle), ResidentKiB(), OpenDescriptors(),
                               static_cast<double>(ThreadCount())});
}

void ResourceSamples::PrintGrowth() const {
    if (m_samples.size() < 10) {
        std::printf("growth: too few cycles to tell\n");
        return;
    }
    const std::vector<Sample> settled(m_samples.begin() + m_samples.size() / 10, m_samples.end());
    const Sample& first = settled.front();
    const Sample& last = settled.back();
    std::printf(
        "resources after cycle %.0f -> %.0f: RSS %.0f -> %.0f KiB, fds %.0f -> %.0f, "
        "threads %.0f -> %.0f\n",
        first.cycle, last.cycle, first.rssKiB, last.rssKiB, first.fds, last.fds, first.threads,
        last.threads);
    std::printf("growth per 1,000 cycles: RSS %+.1f KiB, fds %+.2f, threads %+.2f\n",
                SlopePerThousand(settled, [](const Sample& s) { return s.rssKiB; }),
                SlopePerThousand(settled, [](const Sample& s) { return s.fds; }),
                SlopePerThousand(settled, [](const Sample& s) { return s.threads; }));
}

void Tally::Print(double seconds, const std::string& faults) const {
    std::printf("cycles: %ld in %.0f s\n", cycles, seconds);
    std::printf("faults injected: %s\n", faults.c_str());
    std::printf("downloads: %ld; firmware updates: %ld\n", downloads, firmwareUpdates);
    std::printf(
        "failed and reported: %ld; downloads with no module: %ld; refused by a rule: %ld; "
        "cycles that lost the gateway: %ld\n",
        failedReported, notStarted, refusedByRule, lostCycles);
    std::printf(
        "false successes: %ld; unreported failures: %ld; after a disconnect: threads left %ld, "
        "library clients left %ld\n",
        falseSuccesses, unreported, threadsLeft, clientsLeft);
}

}  // namespace gantry::soak
