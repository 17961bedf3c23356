#include "common/ProfileDocument.h"

#include <algorithm>
#include <cctype>

namespace gantry::profile {

namespace {

// The line end that a line gets when a new line follows it.
void EndLastLine(Document& document) {
    if (!document.lines.empty() && document.lines.back().end.empty()) {
        document.lines.back().end = document.defaultEnd;
    }
}

}  // namespace

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

Document Parse(const std::string& content) {
    Document document;
    std::size_t position = 0;
    bool sawEnd = false;
    while (position < content.size()) {
        const auto newline = content.find('\n', position);
        Line line;
        if (newline == std::string::npos) {
            line.text = content.substr(position);
            position = content.size();
        } else {
            line.text = content.substr(position, newline - position);
            line.end = "\n";
            position = newline + 1;
            if (!line.text.empty() && line.text.back() == '\r') {
                line.text.pop_back();
                line.end = "\r\n";
            }
            if (!sawEnd) {
                document.defaultEnd = line.end;
                sawEnd = true;
            }
        }
        document.lines.push_back(std::move(line));
    }
    return document;
}

std::string Visible(const Document& document, std::size_t index) {
    const std::string& text = document.lines[index].text;
    if (index == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return text.substr(3);
    }
    return text;
}

std::optional<std::string> SectionName(const std::string& text) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty() || trimmed[0] != '[') {
        return std::nullopt;
    }
    const auto close = trimmed.find(']');
    return Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

std::optional<std::pair<std::string, std::string>> KeyValue(const std::string& text) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '[') {
        return std::nullopt;
    }
    const auto equals = trimmed.find('=');
    if (equals == std::string::npos) {
        return std::nullopt;
    }
    std::string value = Trim(trimmed.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::make_pair(Trim(trimmed.substr(0, equals)), value);
}

std::optional<std::pair<std::size_t, std::size_t>> FindSection(const Document& document,
                                                               const std::string& section) {
    const std::size_t count = document.lines.size();
    for (std::size_t i = 0; i < count; ++i) {
        const auto name = SectionName(Visible(document, i));
        if (!name || !EqualNoCase(*name, section)) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < count && !SectionName(Visible(document, end))) {
            ++end;
        }
        return std::make_pair(i + 1, end);
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const Document& document, std::size_t begin, std::size_t end,
                                   const std::string& key) {
    for (std::size_t i = begin; i < end; ++i) {
        const auto entry = KeyValue(Visible(document, i));
        if (entry && EqualNoCase(entry->first, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::string Serialise(const Document& document) {
    std::string content;
    for (const auto& line : document.lines) {
        content += line.text;
        content += line.end;
    }
    return content;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

void SetKey(Document& document, const std::string& section, const std::string& key,
            const std::string& value) {
    const auto range = FindSection(document, section);
    if (!range) {
        EndLastLine(document);
        document.lines.push_back({"[" + section + "]", document.defaultEnd});
        document.lines.push_back({key + "=" + value, document.defaultEnd});
        return;
    }
    if (const auto index = FindKey(document, range->first, range->second, key)) {
        // keep the key's spelling and the blanks around '=' as the file had them
        std::string& text = document.lines[*index].text;
        const auto equals = text.find('=');
        const auto valueStart = text.find_first_not_of(kBlanks, equals + 1);
        text = text.substr(0, valueStart == std::string::npos ? text.size() : valueStart) + value;
        return;
    }
    // a new key goes after the last non-blank line of its section
    std::size_t insertAt = range->second;
    while (insertAt > range->first && Trim(document.lines[insertAt - 1].text).empty()) {
        --insertAt;
    }
    if (insertAt == document.lines.size()) {
        EndLastLine(document);
    }
    document.lines.insert(document.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                          Line{key + "=" + value, document.defaultEnd});
}

}  // namespace gantry::profile
