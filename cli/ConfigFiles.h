// Configuration files on the command line: .cfg, or JSON when the name ends
// in ".json" (case ignored).
#pragma once

#include <cstdint>
#include <string>

#include "tool/model/Configuration.h"

namespace gantry::cli {

using namespace gantry::tool;

bool IsJsonFileName(const std::string& path);

struct LoadedConfiguration {
    CConfiguration config;
    std::uint32_t formatVersion = 0;
    std::uint32_t runState = 0;
};

// Reads a file as opening it offline does (the pair taken from the file, the
// revision assumed for that pair). False with the reason in `error` ("Unexpected
// file format.", the JSON key at fault, or that it cannot be read).
bool LoadConfigurationFile(const std::string& path, LoadedConfiguration& loaded,
                           std::string& error);

// The bytes a save writes: .cfg version 6, or the JSON form.
std::string ConfigurationBytes(const std::string& path, const CConfiguration& config,
                               std::uint32_t runState);
// Saves atomically; false with the reason in `error`.
bool SaveConfigurationFile(const std::string& path, const CConfiguration& config,
                           std::uint32_t runState, std::string& error);

}  // namespace gantry::cli
