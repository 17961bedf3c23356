// Profile files (KV121032.INI, GYSim.ini, firmware description files), read
// and written the way the Windows private-profile functions do:
//  - section and key names are compared without regard to case; the first
//    matching section and the first matching key in it count;
//  - a missing file, section or key reads as the caller's default;
//  - values are trimmed of blanks and of one pair of enclosing quotes;
//  - lines starting with ';' are comments; CRLF and LF line ends both read;
//  - a write creates the file, section or key as needed, keeps every other
//    line byte for byte, and replaces the file atomically (temporary file,
//    then rename), so a failed write leaves the old file as it was.
// A file name without '/' is looked up in the Gantry directory.
// Any thread may call these; writes within one process are serialised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gantry {

// The value of `key` in `section`, or `defaultValue`.
std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue);

// The same for a profile held in memory: `content` is the text of a whole
// file, read by the same rules. No I/O.
std::string ReadProfileText(const std::string& content, const std::string& section,
                            const std::string& key, const std::string& defaultValue);

// Buffer form: copies at most size - 1 characters and a terminating zero into
// `buffer`; returns the number of characters copied (size - 1 when the value
// was cut). A null default counts as "". Size 0 or a null buffer copies nothing.
std::uint32_t GetProfileString(const char* section, const char* key, const char* defaultValue,
                               char* buffer, std::uint32_t size, const std::string& file);

// Section names in file order (duplicates kept once, first spelling).
std::vector<std::string> ReadProfileSectionNames(const std::string& file);

// Buffer form: the names one after another, each with a terminating zero, and
// one more zero at the end; returns the characters copied without that last
// zero. A list that does not fit is cut and the result is size - 2; a file
// without sections (or no file) gives 0.
std::uint32_t GetProfileSectionNames(char* buffer, std::uint32_t size, const std::string& file);

// Key names of `section` in file order.
std::vector<std::string> ReadProfileKeys(const std::string& file, const std::string& section);

// Sets `key` in `section` to `value`. False when the file cannot be written, or
// when a name is empty or any argument holds a line break (a value must never
// turn into lines of its own) or the key holds '='.
bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value);

// Removes `key` from `section`; true when the key is gone afterwards.
bool DeleteProfileKey(const std::string& file, const std::string& section, const std::string& key);

// The largest profile read, far beyond any real one (a GYSim.ini of 200 I/O
// points is under 20 KiB). A larger file, or one that is not a regular file,
// reads as empty and is never written over.
inline constexpr std::size_t kMaxProfileFileBytes = 4 * 1024 * 1024;

// Why `file` cannot serve as a profile, naming its path (one sentence): not a
// regular file, unreadable, larger than kMaxProfileFileBytes (the messages of
// ReadInputFile), or "<path> is binary, not a profile (a zero byte at offset
// N)."; "" when it can or does not exist.
std::string ProfileFileProblem(const std::string& file);

// Keeps `file` in memory from its next use on, for a program that reads one
// profile very often (the virtual gateway): reads are answered from memory,
// writes go through to the file and to memory, and a file that another
// program changed is read again. What the functions above return is the same
// either way.
void KeepProfileInMemory(const std::string& file);

}  // namespace gantry
