#include "gateway/GatewayOptions.h"

#include <cstdlib>
#include <functional>
#include <map>

namespace gantry::gateway {

namespace {

bool ParseNumber(const std::string& text, long& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return *end == '\0' && value >= 0 && value <= 1000000000L;
}

bool ParseSeconds(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && value >= 0 && value <= 86400;
}

}  // namespace

std::optional<GatewayOptions> ParseGatewayOptions(const std::vector<std::string>& arguments,
                                                  std::string& error) {
    GatewayOptions options;
    const std::map<std::string, int*> counts{
        {"--baud", &options.baud},
        {"--corrupt-every", &options.corruptEvery},
        {"--enq-every", &options.enqEvery},
        {"--nak-every", &options.nakEvery},
        {"--silent-after", &options.silentAfter},
        {"--fail-transfer-at", &options.failTransferAt},
        {"--j1708-every", &options.j1708EveryMs},
        {"--fault-every", &options.faultEvery},
        {"--fault-seed", &options.faultSeed},
        {"--ignore-writes", &options.ignoreWritesClass},
    };
    const std::map<std::string, std::string*> texts{
        {"--device", &options.device},
        {"--link", &options.link},
        {"--profile", &options.profile},
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--stay-in-run") {
            options.stayInRun = true;
            continue;
        }
        const bool known = counts.count(name) != 0 || texts.count(name) != 0 ||
                           name == "--reset-downtime" || name == "--update-status";
        if (!known) {
            error = "unknown option " + name;
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        long number = 0;
        if (texts.count(name) != 0) {
            *texts.at(name) = value;
        } else if (name == "--reset-downtime") {
            if (!ParseSeconds(value, options.resetDowntimeSeconds)) {
                error = "bad value for " + name + ": " + value;
                return std::nullopt;
            }
        } else if (!ParseNumber(value, number) || (name == "--update-status" && number > 255)) {
            error = "bad value for " + name + ": " + value;
            return std::nullopt;
        } else if (name == "--update-status") {
            options.updateStatus = static_cast<int>(number);
        } else {
            *counts.at(name) = static_cast<int>(number);
        }
    }
    return options;
}

std::string GatewayUsage() {
    return "usage: gantry-gateway [options]\n"
           "Plays a Gantry gateway on a new pseudo-terminal (its path is the first line printed)\n"
           "or on a serial device.\n"
           "  --device PATH          serve this serial device instead of a pseudo-terminal\n"
           "  --link PATH            make PATH a symbolic link to the line (e.g. dosdevices/com1)\n"
           "  --profile FILE         GYSim.ini-format file holding the gateway's state\n"
           "  --baud N               pace both directions at N baud, 11 bits a byte (0 = off)\n"
           "  --corrupt-every N      spoil the check byte of every Nth frame sent\n"
           "  --enq-every N          answer every Nth frame received with ENQ\n"
           "  --nak-every N          answer every Nth frame received with NAK\n"
           "  --silent-after N       stop answering after N frames received\n"
           "  --reset-downtime S     seconds a Reset keeps the gateway unreachable\n"
           "  --stay-in-run          accept run-state writes without changing state\n"
           "  --update-status N      answer the firmware update service with status N\n"
           "  --fail-transfer-at N   refuse the Nth firmware transfer chunk\n"
           "  --j1708-every MS       send a J1708 message every MS ms to a J1708 client\n"
           "  --fault-every N        a random fault (corrupt reply, NAK, silence, vanished\n"
           "                         port, reset) in one of N frames received on average\n"
           "  --fault-seed N         seed of the random faults (default 1)\n"

           "  --ignore-writes CLASS  answer writes to object CLASS as taken, storing nothing\n";
}

}  // namespace gantry::gateway
