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
// Only a regular file is ever replaced: a device, FIFO, socket or directory
// at `path` (or where its link points) is refused, and so is a file this user
// may not write or one that nobody may write (mode 0444, even for root).
// False, with the target untouched and no temporary file left, on any error
// (a missing directory among them); `error` then holds one sentence naming
// the path and the reason ("Cannot write PATH: it is a FIFO, not a regular
// file."). Any thread may call it.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string& error);
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error);
bool WriteFileAtomically(const std::string& path, const std::string& text);

// Makes SIGTERM, SIGINT and SIGHUP remove the temporary files of the writes
// under way before the program ends as the signal says, so an interrupted
// write leaves the old file and nothing else. Signals the program already
// handles itself are left to it (it finishes its writes before it stops).
// Call once from main, before any thread starts.
void RemoveTemporaryFilesOnSignals();

}  // namespace gantry
