// Arbitrary bytes as a profile file: reading never crashes, and a write keeps
// every line it does not touch.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "TestSupport.h"
#include "common/ProfileFile.h"

using namespace gantry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        std::string directory = "/tmp/gantry-fuzz-XXXXXX";
        if (::mkdtemp(directory.data()) == nullptr) {
            std::abort();
        }
        return directory + "/Fuzz.ini";
    }();
    const std::string content(reinterpret_cast<const char*>(data), size);
    WriteFileBytes(path, content);
    for (const auto& section : ReadProfileSectionNames(path)) {
        for (const auto& key : ReadProfileKeys(path, section)) {
            ReadProfileString(path, section, key, "");
        }
    }
    char buffer[10];
    GetProfileSectionNames(buffer, sizeof buffer, path);
    if (WriteProfileString(path, "Fuzz", "Key", "Value")) {
        if (ReadProfileString(path, "Fuzz", "Key", "") != "Value") {
            std::abort();
        }
    }
    return 0;
}
