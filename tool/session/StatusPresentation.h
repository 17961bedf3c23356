// What the status view shows: the mode list for a run state and the identity
// texts of the gateway the device holds. Pure functions; the desktop status
// view and the command line's identity both draw these.
#pragma once

#include <string>
#include <vector>

#include "tool/device/Device.h"

namespace gantry::tool {

// The "Mode:" list: "Idle" and "Run" for a working gateway (the current one
// selected), "Faulted" alone for a faulted one, "Not Detected" alone for
// anything else (no gateway, or never read).
struct ModeList {
    std::vector<std::string> items;
    int selected = 0;  // index into items

    bool operator==(const ModeList&) const = default;
};
ModeList ModeListOf(int runState);

// The run state as the mode list names it: "Idle", "Run", "Faulted" or
// "Not Detected".
std::string RunStateText(int runState);

// The identity texts of the status view. With no gateway detected (run state
// 3 or never read) every text is empty and the error reads "Unable to detect
// the device".
struct StatusTexts {
    bool detected = false;
    std::string device;            // "Device:" the product name
    std::string error;             // "Error:" "No Error" or "0x%X" of the low 7 bits
    std::string clientInterface;   // "Client Interface:"
    std::string serverInterface;   // "Server Interface:"
    std::string serialNumber;      // "Serial Number:" "%08X"
    std::string firmwareRevision;  // "Firmware Revision:" "%d.%02d"

    bool operator==(const StatusTexts&) const = default;
};
StatusTexts StatusTextsOf(const CDevice& device);

inline constexpr const char* f_szUnableToDetect = "Unable to detect the device";

}  // namespace gantry::tool
