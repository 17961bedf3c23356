#include "cli/ConfigFiles.h"

#include <algorithm>
#include <cctype>

#include "common/AtomicFile.h"
#include "tool/device/Device.h"
#include "tool/device/InputFile.h"
#include "tool/model/ConfigFile.h"
#include "tool/model/ConfigJson.h"

namespace gantry::cli {

using namespace gantry::tool;

bool IsJsonFileName(const std::string& path) {
    if (path.size() < 5) {
        return false;
    }
    std::string tail = path.substr(path.size() - 5);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".json";
}

bool LoadConfigurationFile(const std::string& path, LoadedConfiguration& loaded,
                           std::string& error) {
    const InputFileResult file = ReadInputFile(path, kMaxConfigurationFileBytes);
    if (!file.bytes) {
        error = file.error;
        return false;
    }
    const std::vector<std::uint8_t>* bytes = &*file.bytes;
    if (IsJsonFileName(path)) {
        const std::string text(bytes->begin(), bytes->end());
        const JsonImportResult result = ImportConfigurationJson(text, loaded.config);
        if (!result.imported) {
            error = result.error;
            return false;
        }
        loaded.formatVersion = result.formatVersion;
        loaded.runState = result.runState;
        return true;
    }
    const std::optional<ConfigFileImage> image = ParseConfigFile(*bytes);
    if (!image) {
        error = f_szUnexpectedFileFormat;
        return false;
    }
    OpenEnvironment environment;
    environment.offline = true;
    environment.runState = RS_Idle;
    const OpenResult result = OpenConfigFile(*bytes, environment, loaded.config);
    if (!result.opened) {
        error = result.message;
        return false;
    }
    loaded.formatVersion = result.formatVersion;
    loaded.runState = image->runState;
    return true;
}

std::string ConfigurationBytes(const std::string& path, const CConfiguration& config,
                               std::uint32_t runState) {
    if (IsJsonFileName(path)) {
        return ExportConfigurationJson(config, f_nConfigFileVersion, runState);
    }
    const std::vector<std::uint8_t> bytes = WriteConfigFile(config, runState);
    return std::string(bytes.begin(), bytes.end());
}

bool SaveConfigurationFile(const std::string& path, const CConfiguration& config,
                           std::uint32_t runState, std::string& error) {
    const std::string bytes = ConfigurationBytes(path, config, runState);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return WriteFileAtomically(path, std::span<const std::uint8_t>(data, bytes.size()), error);
}

}  // namespace gantry::cli
