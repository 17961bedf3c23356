// gantry-gateway: a virtual Gantry gateway on a pseudo-terminal (or a serial
// device) for the driver, the RP1210 library and the tool to talk to.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/MainGuard.h"
#include "common/ProfileFile.h"
#include "gateway/GatewayObjects.h"
#include "gateway/GatewayOptions.h"
#include "gateway/PseudoTerminal.h"
#include "gateway/VirtualGateway.h"
#include "tool/device/SetupDiagnosis.h"

namespace {

using namespace gantry::gateway;

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop = true;
}

// A profile that cannot be read as one (a directory, a device, binary, too
// large) is refused; a missing or empty one is served as an empty identity
// after a warning, and the tool's writes fill it.
bool CheckProfile(const std::string& profile) {
    if (const std::string problem = gantry::ProfileFileProblem(profile); !problem.empty()) {
        std::fprintf(stderr, "gantry-gateway: %s\n", problem.c_str());
        return false;
    }
    if (const std::string problem = gantry::tool::SimulatorProfileProblem(profile);
        !problem.empty()) {
        std::fprintf(stderr, "gantry-gateway: warning: %s\n", problem.c_str());
    }
    return true;
}

// Each ends the serving loop, so the line's link and any profile write are
// finished or undone.
void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

void PrintTotals(const CVirtualGateway& gateway, const GatewayOptions& options) {
    std::fprintf(stderr, "gantry-gateway: %llu bytes received, %llu bytes sent\n",
                 static_cast<unsigned long long>(gateway.BytesReceived()),
                 static_cast<unsigned long long>(gateway.BytesSent()));
    if (options.faultEvery > 0) {
        std::fprintf(stderr, "gantry-gateway: faults injected: %s\n",
                     gateway.Faults().Summary().c_str());
    }
}

int RunGateway(int argc, char** argv) {
    std::string error;
    const auto options =
        ParseGatewayOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "gantry-gateway: %s\n%s", error.c_str(), GatewayUsage().c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(GatewayUsage().c_str(), stdout);
        return 0;
    }
    if (!CheckProfile(options->profile)) {
        return 1;
    }
    InstallStopSignals();
    CGatewayLine line;
    const bool opened = options->device.empty() ? line.OpenPseudoTerminal(error)
                                                : line.OpenDevice(options->device, error);
    if (!opened || (!options->link.empty() && !line.CreateLink(options->link, error))) {
        std::fprintf(stderr, "gantry-gateway: %s\n", error.c_str());
        return 1;
    }
    CGatewayObjects objects(*options);
    CVirtualGateway gateway(
        line.Fd(), *options,
        [&objects](std::uint8_t* buffer, int length, int capacity) {
            return objects.Answer(buffer, length, capacity);
        },
        [&objects] { return objects.IsUnreachable(); });
    if (options->device.empty()) {
        gateway.SetLineReplacer([&line] {
            std::string problem;
            if (line.Reopen(std::chrono::milliseconds(800), problem)) {
                return line.Fd();
            }
            std::fprintf(stderr, "gantry-gateway: %s\n", problem.c_str());
            return -1;
        });
    }
    std::printf("%s\n", line.Path().c_str());
    std::fflush(stdout);
    const bool served = gateway.Run(g_stop);
    PrintTotals(gateway, *options);
    return served ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    return gantry::RunCatchingAll("gantry-gateway", 1, [&] { return RunGateway(argc, argv); });
}
