#include "gateway/GatewayOptions.h"

#include <cstdlib>
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

// The options that take a count, and the options that take a text.
std::map<std::string, int*> Counts(GatewayOptions& options) {
    return {
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
}

std::map<std::string, std::string*> Texts(GatewayOptions& options) {
    return {
        {"--device", &options.device},
        {"--link", &options.link},
        {"--profile", &options.profile},
    };
}

bool TakesValue(GatewayOptions& options, const std::string& name) {
    return Counts(options).count(name) != 0 || Texts(options).count(name) != 0 ||
           name == "--reset-downtime" || name == "--update-status";
}

// Stores `value` for the option `name` (one TakesValue knows); false when
// the value is not one the option takes.
bool SetValue(GatewayOptions& options, const std::string& name, const std::string& value) {
    if (const auto texts = Texts(options); texts.count(name) != 0) {
        *texts.at(name) = value;
        return true;
    }
    if (name == "--reset-downtime") {
        return ParseSeconds(value, options.resetDowntimeSeconds);
    }
    long number = 0;
    if (!ParseNumber(value, number)) {
        return false;
    }
    if (name == "--update-status") {
        options.updateStatus = static_cast<int>(number);
        return number <= 255;
    }
    *Counts(options).at(name) = static_cast<int>(number);
    return true;
}

}  // namespace

std::optional<GatewayOptions> ParseGatewayOptions(const std::vector<std::string>& arguments,
                                                  std::string& error) {
    GatewayOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--stay-in-run") {
            options.stayInRun = true;
        } else if (!TakesValue(options, name)) {
            error = "unknown option " + name;
            return std::nullopt;
        } else if (i + 1 >= arguments.size()) {
            error = name + " needs a value";
            return std::nullopt;
        } else if (!SetValue(options, name, arguments[++i])) {
            error = "bad value for " + name + ": " + arguments[i];
            return std::nullopt;
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
