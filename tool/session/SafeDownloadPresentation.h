// What the Compare with Module and Restore Backup dialogs show: their titles,
// column headers and cell texts. Pure; the desktop dialogs draw these.
#pragma once

#include <string>
#include <vector>

#include "tool/model/ConfigurationCompare.h"
#include "tool/session/BackupStore.h"

namespace gantry::tool {

inline constexpr const char* f_szCompareTitle = "Compare with Module";
inline constexpr const char* f_szNoDifferences = "No differences";
inline constexpr const char* f_szRestoreTitle = "Restore Backup";
inline constexpr const char* f_szNoBackups = "No backups";
inline constexpr const char* f_szCompareNoModule =
    "No gateway answered: there is nothing to compare with.";

// "Section", "Field", "Document", "Gateway".
std::vector<std::string> CompareHeaders();
// One row per difference, document first; empty when equal.
std::vector<std::vector<std::string>> CompareRows(
    const std::vector<ConfigurationDifference>& differences);
// The line above the table: "No differences", or "3 differences".
std::string CompareSummary(std::size_t count);

// "Time (UTC)", "Product", "Serial Number", "I/O Points".
std::vector<std::string> RestoreHeaders();
std::vector<std::string> RestoreRow(const BackupEntry& backup);
// The line above the list: whose backups it lists and from which folder.
std::string RestoreCaption(bool oneGateway, const std::string& folder);

}  // namespace gantry::tool
