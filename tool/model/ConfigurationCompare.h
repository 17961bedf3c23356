// How two configurations differ, field by field: the one comparison behind the
// command line's diff, the window's Compare with Module and the read-back
// check after a download. The records are compared in their JSON form (the
// settings by key, the I/O table point by point in list order); the file's
// format version and the run state kept in it are not configuration and are
// not compared. Pure functions, any thread.
#pragma once

#include <string>
#include <vector>

#include "tool/model/Configuration.h"

namespace gantry::tool {

struct ConfigurationDifference {
    enum class Kind {
        Changed,       // the field holds `first` in one and `second` in the other
        OnlyInFirst,   // a section or point only the first has (`first` describes a point)
        OnlyInSecond,  // one only the second has (`second` describes a point)
    };
    Kind kind = Kind::Changed;
    std::string section;  // "product", "modbus", "j1939 output point 3"
    std::string field;    // "watchdog_ms", "pgn"; empty for product, section or point
    std::string first;
    std::string second;
    bool point = false;  // a J1939 I/O point

    bool operator==(const ConfigurationDifference&) const = default;
};

// Empty when the configurations are equal. The product pair first, then each
// section the pairs have, then the input points, then the output points.
std::vector<ConfigurationDifference> CompareConfigurations(const CConfiguration& first,
                                                           const CConfiguration& second);

// The command line's line of a difference: "modbus.watchdog_ms: 5000 -> 3000",
// "j1939 input point 2 pgn: 61444 -> 65262", "ethernet: only in the first",
// "j1939 output point 4 only in the second: table 1, offset ...".
std::string DifferenceLine(const ConfigurationDifference& difference);

// The four cells of a difference in the window's table (section, field, first
// value, second value); a side that lacks the section or point reads "(none)".
std::vector<std::string> DifferenceCells(const ConfigurationDifference& difference);

}  // namespace gantry::tool
