// Arbitrary text as a JSON import: it never crashes; a refused document
// leaves the configuration as it was and says why; a document it takes
// exports and imports again to the same records and the same text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tool/model/ConfigJson.h"

using namespace gantry::tool;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CConfiguration config;
    const CConfiguration before = config;
    const JsonImportResult result = ImportConfigurationJson(text, config);
    if (!result.imported) {
        if (result.error.empty() || !config.SameStoredValues(before)) {
            std::abort();
        }
        return 0;
    }
    const std::string exported =
        ExportConfigurationJson(config, result.formatVersion, result.runState);
    CConfiguration again;
    const JsonImportResult second = ImportConfigurationJson(exported, again);
    if (!second.imported || !again.SameStoredValues(config) ||
        ExportConfigurationJson(again, second.formatVersion, second.runState) != exported) {
        std::abort();
    }
    return 0;
}
