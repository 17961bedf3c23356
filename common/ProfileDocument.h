// The text of a profile file as lines: parsing, finding sections and keys,
// setting a key and writing the text back with each line's own line end.
// Pure functions on text, no files; the profile file layer reads and writes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gantry::profile {

// One line of the file: its text without the line end, and the line end itself
// ("\r\n", "\n" or "" for a last line without one).
struct Line {
    std::string text;
    std::string end;
};

struct Document {
    std::vector<Line> lines;
    std::string defaultEnd = "\n";  // line end for new lines: the file's own
};

inline constexpr const char* kBlanks = " \t";

std::string Trim(const std::string& text);
bool EqualNoCase(const std::string& a, const std::string& b);
Document Parse(const std::string& content);
// The text of a line as the parser sees it: a byte order mark on the first
// line is not part of the name that follows it.
std::string Visible(const Document& document, std::size_t index);
std::optional<std::string> SectionName(const std::string& text);
// Key and value of a "key = value" line; none for comments and other lines.
std::optional<std::pair<std::string, std::string>> KeyValue(const std::string& text);
// Index range [begin, end) of the lines after the header of the first section
// named `section`; none when there is no such section.
std::optional<std::pair<std::size_t, std::size_t>> FindSection(const Document& document,
                                                               const std::string& section);
std::optional<std::size_t> FindKey(const Document& document, std::size_t begin, std::size_t end,
                                   const std::string& key);
std::string Serialise(const Document& document);
bool HasLineBreak(const std::string& text);
// Sets `key` of `section` to `value`: an existing key keeps its spelling and
// blanks, a new key goes after the last non-blank line of its section, a new
// section at the end.
void SetKey(Document& document, const std::string& section, const std::string& key,
            const std::string& value);

}  // namespace gantry::profile
