// Readable forms of a configuration: the summary of `show` and the
// differences of `diff`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tool/model/Configuration.h"

namespace gantry::cli {

using namespace gantry::tool;

// Product, every section the pair has, the two I/O lists as the tool's lists
// show them (decimal columns), PGN counts with their limits, the point total
// and the data-table sizes.
std::string SummaryText(const CConfiguration& config, std::uint32_t formatVersion,
                        std::uint32_t runState);

// One line per difference: "section.field: a -> b" for the settings, and
// "j1939 input point n: ..." / "j1939 output point n: ..." for the table,
// point by point in list order. Empty when equal. The file's format version
// and the run state kept in it are not configuration and are not compared.
std::vector<std::string> ConfigurationDifferences(const CConfiguration& a, const CConfiguration& b);

}  // namespace gantry::cli
