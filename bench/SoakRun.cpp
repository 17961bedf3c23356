// Soak run: cycles through the whole stack (configuration session → RP1210
// library → serial driver → pseudo-terminal → gantry-gateway) while the
// gateway injects random faults from a printed seed. Each cycle: Refresh,
// Upload, a Download of a configuration changed at random within the rules,
// the mode switch, Clear Error, every Nth cycle a firmware update, then a
// disconnect. It checks that no operation reports a success that did not
// happen and that the process's memory, descriptors and threads stay flat.
//
// usage: gantry-soak [--cycles N] [--seconds S] [--baud 0|19200] [--seed N]
//                    [--fault-every N] [--firmware-every N] [--profile FILE.ini]
// Exit 0 when there was no false success, no unreported failure and no
// thread left behind after a disconnect; 1 otherwise; 2 for bad arguments.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "SoakSupport.h"
#include "common/ProfileFile.h"
#include "tool/device/SerialTransport.h"
#include "tool/device/SimulatorResponder.h"
#include "tool/session/ConfigurationSession.h"
#include "tool/session/FirmwareSession.h"

using namespace gantry;
using namespace gantry::tool;
using namespace gantry::soak;

namespace {

struct Options {
    long cycles = 1000;
    double seconds = 0;  // 0: no time bound
    int baud = 0;
    std::uint32_t seed = 0;
    int faultEvery = 400;
    int firmwareEvery = 25;
    std::string profile = GANTRY_SOURCE_DIR "/examples/j1939-modbus.ini";
};

bool ParseOptions(int argc, char** argv, Options& options) {
    options.seed = static_cast<std::uint32_t>(std::random_device{}() % 1000000000U);
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--cycles") {
            options.cycles = std::atol(value);
        } else if (name == "--seconds") {
            options.seconds = std::atof(value);
        } else if (name == "--baud") {
            options.baud = std::atoi(value);
        } else if (name == "--seed") {
            options.seed = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
        } else if (name == "--fault-every") {
            options.faultEvery = std::atoi(value);
        } else if (name == "--firmware-every") {
            options.firmwareEvery = std::atoi(value);
        } else if (name == "--profile") {
            options.profile = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && options.cycles > 0;
}

// Changes the records the pair has at random, each value within its rules.
void ChangeAtRandom(CConfiguration& config, std::mt19937& random) {
    auto pick = [&random](std::uint32_t low, std::uint32_t high) {
        return std::uniform_int_distribution<std::uint32_t>(low, high)(random);
    };
    const RecordSet records = config.Records();
    if (records.modbus) {
        config.modbus.networkAddress = pick(1, 247);
        config.modbus.baudRate = std::array<std::uint32_t, 3>{4800, 9600, 19200}[pick(0, 2)];
        config.modbus.parity = pick(0, 2);
        config.modbus.stopBits = pick(1, 2);
    }
    if (records.deviceNet) {
        config.deviceNet.macAddress = pick(0, 63);
        config.deviceNet.baudIndex = pick(0, 2);
        config.deviceNet.swapIo = pick(0, 1) == 1;
        config.deviceNet.inputSafeState = pick(0, 1);
    }
    if (records.j1939) {
        config.j1939.busOffReset = pick(0, 1) == 1;
        config.j1939.swapIo = pick(0, 1) == 1;
        config.j1939.offlineTimeMs = pick(0, 1) == 1 ? pick(100, 60000) : 0;
        config.j1939.addressList = {static_cast<std::uint8_t>(pick(0, 253))};
    }
    if (records.ethernet) {
        config.ethernet.ip = {192, 168, static_cast<std::uint8_t>(pick(0, 254)),
                              static_cast<std::uint8_t>(pick(1, 254))};
        config.ethernet.speedIndex = pick(0, 2);
        config.ethernet.duplexIndex = pick(0, 2);
    }
}

class Soak {
public:
    Soak(const Options& options, SoakWorld& world)
        : m_options(options),
          m_world(world),
          m_random(options.seed),
          m_session(std::make_unique<CSerialTransport>(RP1210LibraryPath(), "COM1"), &m_notifier,
                    &m_clock) {}

    bool Run();

private:
    void Cycle(long cycle);
    void Download();
    void SwitchMode();
    void Firmware(long cycle);
    void Disconnect();
    // A library that releases a client at disconnect gives the next connect
    // the same id: a growing id means clients (and their queues) left behind.
    void CheckClientId();
    // The gateway's stored state, read from its profile as the tool would.
    ConfigurationSession& Stored();

    const Options& m_options;
    SoakWorld& m_world;
    std::mt19937 m_random;
    RecordingNotifier m_notifier;
    ShortResetPauseClock m_clock;
    ConfigurationSession m_session;
    std::unique_ptr<ConfigurationSession> m_stored;
    RecordingNotifier m_storedNotifier;
    OperationTimes m_times;
    ResourceSamples m_samples;
    Tally m_tally;
    int m_idleThreads = 0;
    int m_firstClientId = -1;
};

void Soak::CheckClientId() {
    const auto* transport = dynamic_cast<CSerialTransport*>(m_session.Gate().Responder());
    if (transport == nullptr || !transport->HasClient()) {
        return;
    }
    if (m_firstClientId < 0) {
        m_firstClientId = transport->ClientId();
    } else if (transport->ClientId() != m_firstClientId) {
        ++m_tally.clientsLeft;
        std::fprintf(stderr, "soak: client id %d after a disconnect, %d at first\n",
                     transport->ClientId(), m_firstClientId);
    }
}

ConfigurationSession& Soak::Stored() {
    auto responder = std::make_unique<CSimulatorResponder>(m_world.GatewayProfile());
    responder->Simulator().SetCompleteMode(true);
    m_stored = std::make_unique<ConfigurationSession>(std::move(responder), &m_storedNotifier);
    m_stored->Gate().BindLibrary();
    m_stored->Start();
    return *m_stored;
}

void Soak::Download() {
    CConfiguration changed = m_session.Configuration();
    ChangeAtRandom(changed, m_random);
    const std::size_t shownBefore = m_notifier.Count(f_szDownloadCaption);
    const DownloadReport report =
        m_times.Time("Download", [&] { return m_session.DownloadConfiguration(changed); });
    ++m_tally.downloads;
    if (report.outcome == DownloadOutcome::Refused) {
        ++m_tally.refusedByRule;
        std::fprintf(stderr, "soak: a rule refused the random change: %s\n",
                     report.refusals.empty() ? "?" : report.refusals[0].text.c_str());
    } else if (report.outcome != DownloadOutcome::Written) {
        ++m_tally.notStarted;
    } else if (report.Complete()) {
        if (!Stored().Configuration().SameStoredValues(m_session.Configuration())) {
            ++m_tally.falseSuccesses;
            std::fprintf(stderr, "soak: FALSE SUCCESS: a complete download was not stored\n");
        }
    } else {
        ++m_tally.failedReported;
        // one warning names the failed writes (caution question + warning)
        if (m_notifier.Count(f_szDownloadCaption) < shownBefore + 2) {
            ++m_tally.unreported;
            std::fprintf(stderr, "soak: UNREPORTED: failed writes without a warning\n");
        }
    }
}

void Soak::SwitchMode() {
    const int wanted = std::uniform_int_distribution<int>(RS_Idle, RS_Run)(m_random);
    m_times.Time("Mode switch", [&] {
        m_session.SelectRunMode(wanted);
        return 0;
    });
    if (m_session.RunState() == wanted) {
        if (Stored().RunState() != wanted) {
            ++m_tally.falseSuccesses;
            std::fprintf(stderr, "soak: FALSE SUCCESS: the mode shown is not the gateway's\n");
        }
    } else {
        ++m_tally.failedReported;  // the status view shows the gateway as it is
    }
}

void Soak::Firmware(long cycle) {
    CFirmwareSession firmware(m_session, nullptr);
    TransferWatch watch(m_session.Gate());
    const FlashOutcome outcome = m_times.Time("Firmware update", [&] {
        if (!firmware.Open() || !firmware.SelectFile(m_world.UpdateDescription())) {
            return FlashOutcome::NotStarted;
        }
        return firmware.Start();
    });
    ++m_tally.firmwareUpdates;
    if (outcome == FlashOutcome::Verified) {
        if (!watch.Complete(m_world.ImageSizes())) {
            ++m_tally.falseSuccesses;
            std::fprintf(stderr, "soak: FALSE SUCCESS: cycle %ld flashed images not sent whole\n",
                         cycle);
        }
    } else {
        ++m_tally.failedReported;
    }
    if (firmware.ClosesDialog()) {
        m_times.Time("Upload", [&] {
            firmware.Finish();
            return 0;
        });
    }
}

void Soak::Disconnect() {
    m_session.Gate().DisconnectDevice();
    // the driver's worker and the library's client go with the disconnect
    if (!WaitForThreadCount(m_idleThreads)) {
        ++m_tally.threadsLeft;
        std::fprintf(stderr, "soak: %d threads after a disconnect, %d when idle\n", ThreadCount(),
                     m_idleThreads);
    }
}

void Soak::Cycle(long cycle) {
    m_times.Time("Refresh", [&] {
        m_session.RefreshDeviceStatus();
        return 0;
    });
    CheckClientId();
    if (m_session.Device().IsPresent()) {
        m_times.Time("Upload", [&] { return m_session.Upload(); });
    }
    if (m_session.Device().IsPresent()) {
        Download();
    }
    if (m_session.Device().IsPresent()) {
        SwitchMode();
    }
    if (m_session.Device().IsPresent()) {
        m_times.Time("Clear Error", [&] {
            m_session.ClearErrorStatus();
            return 0;
        });
    }
    if (m_options.firmwareEvery > 0 && cycle % m_options.firmwareEvery == 0 &&
        m_session.Device().IsPresent()) {
        Firmware(cycle);
    }
    if (!m_session.Device().IsPresent()) {
        ++m_tally.lostCycles;
        std::fprintf(stderr, "soak: cycle %ld lost the gateway (%s)\n", cycle,
                     m_times.Last().c_str());
    }
    Disconnect();
}

bool Soak::Run() {
    m_idleThreads = ThreadCount();
    if (!Succeeded(m_session.Gate().BindLibrary())) {
        std::fprintf(stderr, "soak: the RP1210 library cannot be loaded\n");
        return false;
    }
    m_session.Start();
    Disconnect();
    const auto started = std::chrono::steady_clock::now();
    long cycle = 1;
    for (; cycle <= m_options.cycles; ++cycle) {
        Cycle(cycle);
        m_samples.Take(cycle);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
        if (m_options.seconds > 0 && elapsed.count() >= m_options.seconds) {
            break;
        }
        if (cycle % 500 == 0) {
            std::printf("... %ld cycles, %.0f s\n", cycle, elapsed.count());
            std::fflush(stdout);
        }
    }
    m_tally.cycles = std::min(cycle, m_options.cycles);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    m_tally.Print(elapsed.count(), m_world.StopGateway());
    m_samples.PrintGrowth();
    m_times.Print();
    return m_tally.Sound();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: gantry-soak [--cycles N] [--seconds S] [--baud 0|19200] [--seed N]\n"
                     "                   [--fault-every N] [--firmware-every N] [--profile F]\n");
        return 2;
    }
    std::printf("soak: seed %u, %ld cycles, %s, a fault in 1 of %d frames, firmware every %d\n",
                options.seed, options.cycles,
                options.baud > 0 ? (std::to_string(options.baud) + " baud").c_str() : "unpaced",
                options.faultEvery, options.firmwareEvery);
    std::fflush(stdout);
    SoakWorld world;
    std::string error;
    if (!world.Start(argv[0], options.profile, options.baud, options.seed, options.faultEvery,
                     error)) {
        std::fprintf(stderr, "soak: %s\n", error.c_str());
        return 1;
    }
    Soak soak(options, world);
    return soak.Run() ? 0 : 1;
}
