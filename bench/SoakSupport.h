// What the soak run needs around the session: its Gantry directory with the
// gateway program serving COM1, a notifier that answers and records, a clock
// that shortens the firmware update's reset pause, operation times, samples of
// the process's resources and the tally of outcomes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "tool/device/Notifier.h"
#include "tool/device/RequestGate.h"

namespace gantry::soak {

using namespace gantry::tool;

// A temporary Gantry directory (GANTRY_DIR is set to it) with KV121032.INI
// naming the serial driver on COM1, the gateway's profile, an update
// description with its images, and gantry-gateway serving dosdevices/com1.
class SoakWorld {
public:
    SoakWorld() = default;
    ~SoakWorld();
    SoakWorld(const SoakWorld&) = delete;
    SoakWorld& operator=(const SoakWorld&) = delete;

    // `program` is argv[0]: the gateway and the libraries are found beside it.
    bool Start(const std::string& program, const std::string& profile, int baud, std::uint32_t seed,
               int faultEvery, std::string& error);
    // Stops the gateway and returns its count of faults by kind.
    std::string StopGateway();
    // Another product: the gateway stops, its profile becomes a copy of
    // `profile` (and the storage areas) and it starts again with the faults of
    // `seed`; the port vanishes meanwhile, as when a gateway is swapped.
    bool RestartGateway(const std::string& profile, std::uint32_t seed, std::string& error);

    const std::string& Directory() const { return m_dir; }
    std::string GatewayProfile() const { return m_dir + "/gateway.ini"; }
    std::string UpdateDescription() const { return m_dir + "/update.nvs"; }
    // The image size for each storage area the description writes.
    std::map<int, std::size_t> ImageSizes() const { return {{1, 1000}, {2, 600}}; }

private:
    bool StartGateway(std::uint32_t seed, std::string& error);

    std::string m_dir;
    std::string m_program;  // the gateway program
    int m_baud = 0;
    int m_faultEvery = 0;
    pid_t m_gateway = -1;
    std::string m_gatewayLog;
};

// Answers every question Yes (Retry: Cancel, so nothing loops) and counts the
// messages by caption.
class RecordingNotifier : public INotifier {
public:
    NotifyAnswer Notify(const std::string& text, const std::string& caption, NotifyButtons buttons,
                        NotifyIcon icon, NotifyAnswer defaultAnswer) override;
    std::size_t Count(const std::string& caption) const;

private:
    std::map<std::string, std::size_t> m_counts;
};

// Real time, except that the firmware update's 10 s pause after a reset is
// cut to 1 s (the gateway's downtime is shorter still).
class ShortResetPauseClock : public IClock {
public:
    void Sleep(std::chrono::milliseconds duration) override;
    std::chrono::milliseconds Now() override { return SystemClock().Now(); }
};

// Follows the firmware transfer through the gate: for each storage area, how
// far the chunks the gateway took reach since its last update request.
class TransferWatch {
public:
    explicit TransferWatch(CRequestGate& gate);
    ~TransferWatch();
    TransferWatch(const TransferWatch&) = delete;
    TransferWatch& operator=(const TransferWatch&) = delete;
    // Every area of `sizes` got its whole image.
    bool Complete(const std::map<int, std::size_t>& sizes) const;

private:
    CRequestGate& m_gate;
    int m_area = 0;
    std::map<int, std::size_t> m_reached;
};

// The longest and the total time of each kind of operation.
class OperationTimes {
public:
    template <typename F>
    auto Time(const char* name, F&& operation) {
        const auto started = std::chrono::steady_clock::now();
        auto result = operation();
        Add(name, std::chrono::steady_clock::now() - started);
        return result;
    }
    void Print() const;
    // The operation timed last, and how long it took.
    const std::string& Last() const { return m_last; }

private:
    void Add(const char* name, std::chrono::steady_clock::duration took);
    struct Figures {
        double longest = 0, total = 0;
        long count = 0;
    };
    std::map<std::string, Figures> m_figures;
    std::string m_last;
};

int ThreadCount();
// Waits up to 2 s for the process to have `count` threads.
bool WaitForThreadCount(int count);

// Resident memory, open descriptors and threads after each cycle; the growth
// per 1,000 cycles is the slope of a least-squares line through the samples
// after the first tenth (start-up allocations settle there).
class ResourceSamples {
public:
    void Take(long cycle);
    void PrintGrowth() const;

private:
    struct Sample {
        double cycle, rssKiB, fds, threads;
    };
    std::vector<Sample> m_samples;
};

struct Tally {
    long cycles = 0;
    long downloads = 0, firmwareUpdates = 0;
    long failedReported = 0;  // operations that failed and said so
    long notStarted = 0;      // downloads that found no module
    long refusedByRule = 0;
    long lostCycles = 0;  // cycles that ended with the gateway lost
    long falseSuccesses = 0, unreported = 0, threadsLeft = 0, clientsLeft = 0;

    void Print(double seconds, const std::string& faults) const;
    bool Sound() const {
        return falseSuccesses == 0 && unreported == 0 && threadsLeft + clientsLeft == 0;
    }
};

}  // namespace gantry::soak
