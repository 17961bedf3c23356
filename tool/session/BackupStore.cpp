#include "tool/session/BackupStore.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "common/GantryDirectory.h"
#include "tool/device/DeviceRequest.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/model/ConfigFile.h"

namespace gantry::tool {

namespace fs = std::filesystem;

namespace {

std::string Stamp(std::chrono::system_clock::time_point when, const char* format) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[40];
    std::strftime(text, sizeof text, format, &utc);
    return text;
}

// "20261208T194012Z" (and "-2" ...) as "2026-12-08 19:40:12 UTC".
std::optional<std::string> TimeOfName(const std::string& stem) {
    const std::string shape = "ddddddddTddddddZ";
    bool fits = stem.size() >= shape.size() && stem.size() != shape.size() + 1;
    for (std::size_t i = 0; fits && i < stem.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(stem[i])) != 0;
        const char want = i < shape.size() ? shape[i] : (i == shape.size() ? '-' : 'd');
        fits = want == 'd' ? digit : stem[i] == want;
    }
    if (!fits) {
        return std::nullopt;
    }
    return stem.substr(0, 4) + "-" + stem.substr(4, 2) + "-" + stem.substr(6, 2) + " " +
           stem.substr(9, 2) + ":" + stem.substr(11, 2) + ":" + stem.substr(13, 2) + " UTC";
}

std::optional<BackupEntry> EntryOf(const fs::path& file) {
    const std::optional<std::string> time = TimeOfName(file.stem().string());
    if (file.extension() != ".cfg" || !time) {
        return std::nullopt;
    }
    const std::optional<std::vector<std::uint8_t>> bytes = ReadFileContents(file.string());
    const std::optional<ConfigFileImage> image =
        bytes ? ParseConfigFile(*bytes) : std::optional<ConfigFileImage>();
    if (!image) {
        return std::nullopt;
    }
    BackupEntry entry{file.string(), *time, "", file.parent_path().filename().string(), 0};
    entry.product = LookupProductCombination(static_cast<int>(image->clientType),
                                             static_cast<int>(image->serverType))
                        .name;
    entry.ioPointCount = image->j1939 ? static_cast<unsigned>(image->j1939->points.size()) : 0;
    return entry;
}

}  // namespace

std::string BackupRoot() {
    return GantryDirectory() + "/backups";
}

std::string BackupFolderOf(std::uint32_t serialNumber) {
    return BackupRoot() + "/" + FormatSerialNumber(serialNumber);
}

BackupWrite WriteBackup(std::uint32_t serialNumber, std::span<const std::uint8_t> cfgBytes,
                        std::chrono::system_clock::time_point when) {
    BackupWrite write;
    write.folder = BackupFolderOf(serialNumber);
    std::error_code error;
    fs::create_directories(write.folder, error);
    if (error) {
        write.reason = error.message();
        return write;
    }
    const std::string stem = write.folder + "/" + Stamp(when, "%Y%m%dT%H%M%SZ");
    write.path = stem + ".cfg";
    for (int n = 2; fs::exists(write.path, error); ++n) {
        write.path = stem + "-" + std::to_string(n) + ".cfg";
    }
    errno = 0;
    write.written = SaveFileAtomically(write.path, cfgBytes);
    if (!write.written) {
        write.reason = errno != 0 ? std::strerror(errno) : "the file could not be written";
    }
    return write;
}

std::vector<BackupEntry> ListBackups(std::optional<std::uint32_t> serialNumber) {
    std::vector<fs::path> folders;
    std::error_code error;
    if (serialNumber) {
        folders.push_back(BackupFolderOf(*serialNumber));
    } else {
        for (const auto& entry : fs::directory_iterator(BackupRoot(), error)) {
            folders.push_back(entry.path());
        }
    }
    std::vector<BackupEntry> entries;
    for (const fs::path& folder : folders) {
        for (const auto& file : fs::directory_iterator(folder, error)) {
            if (std::optional<BackupEntry> entry = EntryOf(file.path())) {
                entries.push_back(*entry);
            }
        }
    }
    std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
        return std::tie(a.time, a.path) > std::tie(b.time, b.path);
    });
    return entries;
}

std::string BackupFailedText(const BackupWrite& write) {
    return "The gateway's configuration could not be backed up in " + write.folder + ": " +
           write.reason + ".\n\nNothing was downloaded.";
}

}  // namespace gantry::tool
