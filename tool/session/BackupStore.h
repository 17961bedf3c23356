// The backups kept before each download: one .cfg file per download in
// <Gantry directory>/backups/<serial number>/<UTC date and time>.cfg, the
// serial number as the status view shows it ("00003003") and the time as
// "20261208T194012Z" (a second backup in the same second gets "-2", "-3").
// The program never removes a backup. Pure file access, any thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace gantry::tool {

// <Gantry directory>/backups, and the folder of one gateway's backups.
std::string BackupRoot();
std::string BackupFolderOf(std::uint32_t serialNumber);

struct BackupWrite {
    bool written = false;
    std::string path;    // the file written
    std::string folder;  // the gateway's folder
    std::string reason;  // why it could not be written
};
// Writes `cfgBytes` as a new backup of the gateway; never replaces a file.
BackupWrite WriteBackup(std::uint32_t serialNumber, std::span<const std::uint8_t> cfgBytes,
                        std::chrono::system_clock::time_point when);

struct BackupEntry {
    std::string path;
    std::string time;     // "2026-12-08 19:40:12 UTC"
    std::string product;  // the name of the file's product pair
    std::string serialNumber;
    unsigned ioPointCount = 0;
};
// The backups of one gateway, or of all (nothing), newest first. Files that
// are no readable .cfg are left out.
std::vector<BackupEntry> ListBackups(std::optional<std::uint32_t> serialNumber = std::nullopt);

// The message that stops a download whose backup could not be written.
std::string BackupFailedText(const BackupWrite& write);

}  // namespace gantry::tool
