#include "common/ProfileFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "common/AtomicFile.h"
#include "common/GantryDirectory.h"
#include "common/InputFile.h"
#include "common/ProfileDocument.h"

namespace gantry {

using namespace profile;

namespace {

std::mutex g_writeLock;  // protects read-modify-write of profile files in this process

// The file's text: empty when it is missing; nothing when it cannot serve as
// a profile (not a regular file, unreadable, over the size bound).
std::optional<std::string> ReadWholeFile(const std::string& path) {
    const InputFileResult read = ReadInputFile(path, kMaxProfileFileBytes);
    if (!read.bytes) {
        return read.absent ? std::make_optional(std::string()) : std::nullopt;
    }
    return std::string(read.bytes->begin(), read.bytes->end());
}

Document Load(const std::string& path) {
    const auto content = ReadWholeFile(path);
    return content ? Parse(*content) : Document{};
}

// Replaces the file with `content` atomically, creating its folder first.
bool ReplaceFile(const std::string& path, const std::string& content) {
    const auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) {
        MakeDirectories(parent.string());
    }
    return WriteFileAtomically(path, content);
}

// A file's identity and state on disk, to notice a change by another program.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileStamp& other) const {
        return exists == other.exists && device == other.device && inode == other.inode &&
               size == other.size && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

FileStamp StampOf(const std::string& path) {
    struct stat info {};
    FileStamp stamp;
    if (::stat(path.c_str(), &info) == 0) {
        stamp = {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
    }
    return stamp;
}

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// A profile kept in memory: the parsed file, the stamp it was read at, and
// the line range of each section (the first of that name) by lower-case name.
struct HeldDocument {
    Document document;
    FileStamp stamp;
    bool loaded = false;
    std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> sections;

    void Take(Document fresh, const FileStamp& freshStamp) {
        document = std::move(fresh);
        stamp = freshStamp;
        loaded = true;
        sections.clear();
        std::optional<std::string> open;  // the section whose end is still to be found
        for (std::size_t i = 0; i < document.lines.size(); ++i) {
            const auto name = SectionName(Visible(document, i));
            if (!name) {
                continue;
            }
            if (open) {
                sections[*open].second = i;
            }
            open = Lower(*name);
            if (!sections.emplace(*open, std::make_pair(i + 1, i + 1)).second) {
                open.reset();  // only the first section of a name counts
            }
        }
        if (open) {
            sections[*open].second = document.lines.size();
        }
    }
    std::optional<std::pair<std::size_t, std::size_t>> Find(const std::string& section) const {
        const auto found = sections.find(Lower(section));
        return found == sections.end() ? std::nullopt : std::make_optional(found->second);
    }
};

std::mutex g_heldLock;                       // protects g_held and the documents in it
std::map<std::string, HeldDocument> g_held;  // profiles kept in memory, by resolved path

// Runs `use(document, range of section)` on the document of `path`: the one
// kept in memory (read again first when the file changed on disk), else the
// file as read now.
template <class Use>
auto WithSection(const std::string& path, const std::string& section, Use use) {
    {
        std::lock_guard<std::mutex> guard(g_heldLock);
        const auto found = g_held.find(path);
        if (found != g_held.end()) {
            HeldDocument& held = found->second;
            const FileStamp stamp = StampOf(path);
            if (!held.loaded || !(stamp == held.stamp)) {
                held.Take(Load(path), stamp);
            }
            return use(held.document, held.Find(section));
        }
    }
    const Document document = Load(path);
    return use(document, FindSection(document, section));
}

// The document a write starts from: a copy of the one kept in memory when it
// is current, else the file as read now. Nothing for a file that cannot be
// read: it is never replaced by one built from nothing.
std::optional<Document> DocumentForWrite(const std::string& path) {
    std::lock_guard<std::mutex> guard(g_heldLock);
    const auto found = g_held.find(path);
    if (found != g_held.end() && found->second.loaded && StampOf(path) == found->second.stamp) {
        return found->second.document;
    }
    const auto content = ReadWholeFile(path);
    return content ? std::make_optional(Parse(*content)) : std::nullopt;
}

// After a successful write: the document in memory becomes the one written.
void Remember(const std::string& path, Document written) {
    std::lock_guard<std::mutex> guard(g_heldLock);
    const auto found = g_held.find(path);
    if (found != g_held.end()) {
        found->second.Take(std::move(written), StampOf(path));
    }
}

// Applies `change` to the profile under the write lock and writes the file
// when it reports a change. False when the file cannot be read or written.
template <typename Change>
bool ChangeProfile(const std::string& file, Change&& change) {
    try {
        const std::string path = ResolveGantryPath(file);
        std::lock_guard<std::mutex> guard(g_writeLock);
        std::optional<Document> document = DocumentForWrite(path);
        if (!document) {
            return false;
        }
        if (!change(*document)) {
            return true;  // nothing to write
        }
        if (!ReplaceFile(path, Serialise(*document))) {
            return false;
        }
        Remember(path, std::move(*document));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    return WithSection(ResolveGantryPath(file), section,
                       [&](const Document& document, const auto& range) -> std::string {
                           if (!range) {
                               return defaultValue;
                           }
                           const auto index = FindKey(document, range->first, range->second, key);
                           if (!index) {
                               return defaultValue;
                           }
                           return KeyValue(Visible(document, *index))->second;
                       });
}

std::string ReadProfileText(const std::string& content, const std::string& section,
                            const std::string& key, const std::string& defaultValue) {
    const Document document = Parse(content);
    const auto range = FindSection(document, section);
    const auto index =
        range ? FindKey(document, range->first, range->second, key) : std::optional<std::size_t>();
    return index ? KeyValue(Visible(document, *index))->second : defaultValue;
}

void KeepProfileInMemory(const std::string& file) {
    const std::string path = ResolveGantryPath(file);
    std::lock_guard<std::mutex> guard(g_heldLock);
    g_held.try_emplace(path);
}

std::uint32_t GetProfileString(const char* section, const char* key, const char* defaultValue,
                               char* buffer, std::uint32_t size, const std::string& file) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    const std::string value =
        (section == nullptr || key == nullptr)
            ? std::string(defaultValue ? defaultValue : "")
            : ReadProfileString(file, section, key, defaultValue ? defaultValue : "");
    const std::size_t count = std::min<std::size_t>(value.size(), size - 1);
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return static_cast<std::uint32_t>(count);
}

std::vector<std::string> ReadProfileSectionNames(const std::string& file) {
    const Document document = Load(ResolveGantryPath(file));
    std::vector<std::string> names;
    for (std::size_t i = 0; i < document.lines.size(); ++i) {
        const auto name = SectionName(Visible(document, i));
        if (name && std::none_of(names.begin(), names.end(), [&](const std::string& seen) {
                return EqualNoCase(seen, *name);
            })) {
            names.push_back(*name);
        }
    }
    return names;
}

std::uint32_t GetProfileSectionNames(char* buffer, std::uint32_t size, const std::string& file) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    std::string list;
    for (const auto& name : ReadProfileSectionNames(file)) {
        list += name;
        list += '\0';
    }
    if (list.empty()) {
        buffer[0] = '\0';
        return 0;
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    if (list.size() + 1 > size) {
        // cut, still ending in two zeros
        std::memcpy(buffer, list.data(), size - 2);
        buffer[size - 2] = '\0';
        buffer[size - 1] = '\0';
        return size - 2;
    }
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<std::uint32_t>(list.size());
}

std::vector<std::string> ReadProfileKeys(const std::string& file, const std::string& section) {
    return WithSection(
        ResolveGantryPath(file), section, [](const Document& document, const auto& range) {
            std::vector<std::string> keys;
            for (std::size_t i = range ? range->first : 0; range && i < range->second; ++i) {
                if (const auto entry = KeyValue(Visible(document, i))) {
                    keys.push_back(entry->first);
                }
            }
            return keys;
        });
}

bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    if (Trim(section).empty() || Trim(key).empty() || HasLineBreak(section) || HasLineBreak(key) ||
        HasLineBreak(value) || key.find('=') != std::string::npos ||
        section.find(']') != std::string::npos) {
        return false;
    }
    return ChangeProfile(file, [&](Document& document) {
        SetKey(document, Trim(section), Trim(key), value);
        return true;
    });
}

bool DeleteProfileKey(const std::string& file, const std::string& section, const std::string& key) {
    return ChangeProfile(file, [&](Document& document) {
        const auto range = FindSection(document, section);
        const auto index =
            range ? FindKey(document, range->first, range->second, key) : std::nullopt;
        if (index) {
            document.lines.erase(document.lines.begin() + static_cast<std::ptrdiff_t>(*index));
        }
        return index.has_value();
    });
}

std::string ProfileFileProblem(const std::string& file) {
    const std::string path = ResolveGantryPath(file);
    const InputFileResult read = ReadInputFile(path, kMaxProfileFileBytes);
    if (!read.bytes) {
        return read.absent ? "" : read.error;
    }
    const auto zero = std::find(read.bytes->begin(), read.bytes->end(), 0);
    if (zero != read.bytes->end()) {
        return path + " is binary, not a profile (a zero byte at offset " +
               std::to_string(zero - read.bytes->begin()) + ").";
    }
    return "";
}

}  // namespace gantry
