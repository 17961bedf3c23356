// A JSON form of a configuration, for export, import and the command line.
// It holds the records as the tool holds them after opening a file.
#pragma once

#include <cstdint>
#include <string>

#include "tool/model/Configuration.h"

namespace gantry::tool {

// The document: format_version, client_type, server_type, run_state and one
// object per section the pair has (devicenet, modbus, modbus_enhanced, j1939,
// ethernet). Two-space indentation, keys in a fixed order.
std::string ExportConfigurationJson(const CConfiguration& config, std::uint32_t formatVersion,
                                    std::uint32_t runState);

struct JsonImportResult {
    bool imported = false;
    std::string error;  // names the key that is missing or out of range
    std::uint32_t formatVersion = 0;
    std::uint32_t runState = 0;
};

// Reads a document into `config`, which changes only when the whole document
// is valid. The pair's revision-dependent parts take the revision assumed for
// the pair (as when a file is opened offline).
JsonImportResult ImportConfigurationJson(const std::string& text, CConfiguration& config);

}  // namespace gantry::tool
