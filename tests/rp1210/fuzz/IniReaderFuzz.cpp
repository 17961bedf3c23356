// Arbitrary bytes as KV121032.INI: the library's look-up of a device's
// DeviceParams never crashes, and gives either the key's value (at most 99
// characters, up to any zero byte; never empty) or one of its two refusals
// (202, 134).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "TestSupport.h"
#include "common/GantryDirectory.h"
#include "common/ProfileFile.h"
#include "rp1210/Exception.h"
#include "rp1210/Lib.h"

using namespace gantry;
using namespace gantry::rp1210;

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string directory = "/tmp/gantry-fuzz-ini-XXXXXX";
    Check(::mkdtemp(directory.data()) != nullptr);
    ::setenv("GANTRY_DIR", directory.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteFileBytes(ResolveGantryPath("KV121032.INI"),
                   std::string(reinterpret_cast<const char*>(data), size));
    for (const std::int32_t deviceId : {-1, 0, 1, 101, 32767}) {
        const std::string section = "DeviceInformation" + std::to_string(deviceId);
        // what fits the library's 100-byte buffer, as the C string it is
        const std::string value = std::string(
            ReadProfileString("KV121032.INI", section, "DeviceParams", "").substr(0, 99).c_str());
        try {
            Check(ReadDeviceParams(deviceId) == value && !value.empty());
        } catch (const CException& error) {
            const std::int16_t code = error.GetErrorCode();
            const std::int16_t noFile = CException::FromTag(PE_IniFileError).GetErrorCode();
            Check(code == noFile || code == ERR_INVALID_DEVICE);
            Check(code == noFile || value.empty() || value == "NoSuchINIFileKey!");
        }
    }
    return 0;
}
