#include "tool/session/SafeDownloadPresentation.h"

namespace gantry::tool {

std::vector<std::string> CompareHeaders() {
    return {"Section", "Field", "Document", "Gateway"};
}

std::vector<std::vector<std::string>> CompareRows(
    const std::vector<ConfigurationDifference>& differences) {
    std::vector<std::vector<std::string>> rows;
    for (const ConfigurationDifference& difference : differences) {
        rows.push_back(DifferenceCells(difference));
    }
    return rows;
}

std::string CompareSummary(std::size_t count) {
    if (count == 0) {
        return f_szNoDifferences;
    }
    return std::to_string(count) + (count == 1 ? " difference" : " differences") +
           " between the document and the gateway";
}

std::vector<std::string> RestoreHeaders() {
    return {"Time (UTC)", "Product", "Serial Number", "I/O Points"};
}

std::vector<std::string> RestoreRow(const BackupEntry& backup) {
    return {backup.time, backup.product, backup.serialNumber, std::to_string(backup.ioPointCount)};
}

std::string RestoreCaption(bool oneGateway, const std::string& folder) {
    return std::string(oneGateway ? "Backups of the connected gateway"
                                  : "Backups of every gateway") +
           " in " + folder + ". The chosen one opens as the document; download it to restore it.";
}

}  // namespace gantry::tool
