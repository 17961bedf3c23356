// Replacing a whole file atomically, for the profile files and the
// configuration files alike.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace gantry {

// Replaces the file at `path` with `bytes`: a temporary file beside it is
// written, flushed and renamed over it, so a reader sees the old file or the
// new one, never a part. A symbolic link at `path` stays a link and the file
// it points to is replaced. The new file keeps the mode of the file it
// replaces; a file that did not exist gets 0666 less the process umask,
// applied by the system when the temporary file is created (the umask itself
// is never touched, so threads creating files meanwhile are not affected).
// False, with the target untouched and no temporary file left, on any error
// (a missing directory among them). Any thread may call it.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
bool WriteFileAtomically(const std::string& path, const std::string& text);

}  // namespace gantry
