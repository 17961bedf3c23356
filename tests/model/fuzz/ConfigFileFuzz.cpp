// Arbitrary bytes as a .cfg file: opening never crashes, hangs or allocates
// without bound; a file it takes writes back as version 6 and reads again to
// the same records.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "tool/model/ConfigFile.h"

using namespace gantry::tool;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    CConfiguration config;
    OpenEnvironment environment;  // no gateway: opening goes offline
    const CConfiguration before = config;
    const OpenResult result = OpenConfigFile(bytes, environment, config);
    if (!result.opened) {
        if (!config.SameStoredValues(before) || environment.offline) {
            std::abort();  // a refused file changes nothing
        }
        return 0;
    }
    const auto written = WriteConfigFile(config, 0);
    CConfiguration again;
    OpenEnvironment second;
    if (!OpenConfigFile(written, second, again).opened || !again.SameStoredValues(config)) {
        std::abort();
    }
    if (WriteConfigFile(again, 0) != written) {
        std::abort();
    }
    return 0;
}
