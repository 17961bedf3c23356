// Command-line options of the virtual gateway.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gantry::gateway {

struct GatewayOptions {
    std::string device;  // a serial device to serve instead of a new pseudo-terminal
    std::string link;    // a symbolic link to create to the line (dosdevices/com1)
    std::string profile = "GYSim.ini";
    int baud = 0;          // paces both directions at 11 bits a byte; 0 = unpaced
    int corruptEvery = 0;  // spoil the check byte of every Nth frame sent
    int enqEvery = 0;      // answer every Nth good frame with ENQ (and drop it)
    int nakEvery = 0;      // answer every Nth good frame with NAK (and drop it)
    int silentAfter = 0;   // fall silent after N frames received
    double resetDowntimeSeconds = 0;
    bool stayInRun = false;           // take run-state writes without changing state
    std::optional<int> updateStatus;  // answer the firmware update service with this status
    int failTransferAt = 0;           // refuse the Nth firmware transfer chunk
    int j1708EveryMs = 0;             // J1708 traffic for J1708 clients, one message per period
    int faultEvery = 0;               // a random fault in one of N frames received; 0 = none
    int faultSeed = 1;                // seeds the random faults
    int ignoreWritesClass = 0;        // answer writes to this object class without storing them
    bool help = false;
};

// Parses the arguments after the program name. Returns the options, or the
// empty optional with a message in `error` for an unknown option or a bad value.
std::optional<GatewayOptions> ParseGatewayOptions(const std::vector<std::string>& arguments,
                                                  std::string& error);

// The usage text.
std::string GatewayUsage();

}  // namespace gantry::gateway
