// Reading a file the user named (a configuration, a CSV table, an update
// description): only a regular file of a bounded size is read. The file is
// opened without blocking, so a FIFO or a device never stalls the program,
// and nothing larger than the bound is taken into memory. Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gantry::tool {

// Far larger than any valid file of its kind: a .cfg of 200 points and 255
// addresses is under 4 KiB, its JSON form under 64 KiB, its CSV under 16 KiB.
inline constexpr std::size_t kMaxConfigurationFileBytes = 1024 * 1024;
// An update description is a few lines of text.
inline constexpr std::size_t kMaxDescriptionFileBytes = 64 * 1024;

struct InputFileResult {
    std::optional<std::vector<std::uint8_t>> bytes;  // the whole file, when read
    std::string error;  // otherwise why not, naming the path (one sentence)
};

// Reads `path` whole when it is a regular file of at most `maxBytes` bytes.
// Otherwise no bytes and one of: "<path> does not exist.", "<path> is a
// directory, not a file.", "<path> is not a regular file.", "<path> is too
// large (<n> bytes; at most <max>).", "<path> cannot be read: <reason>."
InputFileResult ReadInputFile(const std::string& path, std::size_t maxBytes);

}  // namespace gantry::tool
