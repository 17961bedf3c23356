// The texts the network screens, the report and the command line show for the
// values a gateway reports about itself: nothing before a module is read,
// "Offline" and "None" in offline mode, else the text of the value read.
// Pure functions over the records.
#pragma once

#include <string>

#include "tool/model/J1939Settings.h"
#include "tool/model/NetworkSettings.h"

namespace gantry::tool {

// The texts beside a screen's "Status:" and "Error:" labels.
struct StatusAndErrorTexts {
    std::string status;
    std::string error;

    bool operator==(const StatusAndErrorTexts&) const = default;
};

// The status is the scanner's status text ("%2d " for an unknown code); the
// error reads "No Error" once read.
StatusAndErrorTexts DeviceNetStatusTexts(const DeviceNetSettings& settings);
// "Online" for status 1, else "Offline"; the error "No Error" or "0x1F".
StatusAndErrorTexts ModbusStatusTexts(const ModbusSettings& settings);
StatusAndErrorTexts J1939StatusTexts(const J1939Settings& settings);
// The J1939 network address in decimal; empty while none was read.
std::string J1939NetworkAddressText(const J1939Settings& settings);

}  // namespace gantry::tool
