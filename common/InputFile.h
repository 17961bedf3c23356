// Reading a file the user named (a configuration, a CSV table, an update
// description, a profile): only a regular file of a bounded size is read. The file is
// opened without blocking, so a FIFO or a device never stalls the program,
// and nothing larger than the bound is taken into memory. Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gantry {

struct InputFileResult {
    std::optional<std::vector<std::uint8_t>> bytes;  // the whole file, when read
    std::string error;    // otherwise why not, naming the path (one sentence)
    bool absent = false;  // the error is that nothing is at the path
};

// Reads `path` whole when it is a regular file of at most `maxBytes` bytes.
// Otherwise no bytes and one of: "<path> does not exist.", "<path> is a
// directory, not a file.", "<path> is not a regular file.", "<path> is too
// large (<n> bytes; at most <max>).", "<path> cannot be read: <reason>."
InputFileResult ReadInputFile(const std::string& path, std::size_t maxBytes);

}  // namespace gantry
