#include "cli/CsvTable.h"

#include <cctype>
#include <sstream>

#include "tool/model/IoRules.h"

namespace {

constexpr int f_nColumns = 8;
constexpr const char* f_szCsvCaption = "I/O Import";

void AppendRows(std::ostringstream& out, const std::vector<tagJ1939DataPoint>& points) {
    for (const tagJ1939DataPoint& p : points) {
        out << static_cast<unsigned>(p.table) << ',' << p.dataOffset << ',' << p.dataLength << ','
            << p.pgn << ',' << static_cast<unsigned>(p.address) << ',' << p.updateRate << ','
            << p.messageOffset << ',' << static_cast<unsigned>(p.priority) << "\r\n";
    }
}

std::string Trim(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, ',')) {
        fields.push_back(Trim(field));
    }
    if (!line.empty() && line.back() == ',') {
        fields.emplace_back();
    }
    return fields;
}

// Plain decimal digits, at most 10 of them, no larger than 2^32 - 1.
bool ReadDecimal(const std::string& text, std::uint64_t& value) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value <= 0xFFFFFFFFull;
}

}  // namespace

std::string ExportIoTableCsv(const CJ1939IO& io) {
    std::ostringstream out;
    out << f_szIoCsvHeader << "\r\n";
    AppendRows(out, io.Inputs());
    AppendRows(out, io.Outputs());
    return out.str();
}

CsvImportResult ImportIoTableCsv(const std::string& text, const CConfiguration& config) {
    static const char* const names[f_nColumns] = {"table",         "dataOffset", "dataLength",
                                                  "pgn",           "address",    "updateRate",
                                                  "messageOffset", "priority"};
    CsvImportResult result;
    CJ1939IO io;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    bool header = true;
    auto refuse = [&](const std::string& caption, const std::string& message) {
        result.refusals.push_back(CsvRefusal{lineNumber, caption, message});
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (Trim(line).empty()) {
            continue;
        }
        if (header) {
            header = false;
            if (Trim(line) != f_szIoCsvHeader) {
                refuse(f_szCsvCaption,
                       std::string("The first row must be the header ") + f_szIoCsvHeader);
            }
            continue;
        }
        const std::vector<std::string> fields = SplitFields(line);
        if (fields.size() != f_nColumns) {
            refuse(f_szCsvCaption, "Expected 8 values, found " + std::to_string(fields.size()));
            continue;
        }
        std::uint64_t values[f_nColumns] = {};
        bool readable = true;
        for (int i = 0; i < f_nColumns && readable; ++i) {
            if (!ReadDecimal(fields[static_cast<std::size_t>(i)], values[i])) {
                refuse(f_szCsvCaption, std::string(names[i]) +
                                           " is not a plain decimal number: \"" +
                                           fields[static_cast<std::size_t>(i)] + "\"");
                readable = false;
            }
        }
        if (!readable) {
            continue;
        }
        const std::uint64_t table = values[0];
        const std::uint64_t length = values[2];
        if (table <= JT_PreviouslyActiveDtc && IsDtcTable(static_cast<std::uint8_t>(table))) {
            // the screen takes a DTC table's size as a DTC count
            if (length < 16 || (length - 16) % 32 != 0) {
                refuse(f_szCsvCaption,
                       "The dataLength of a DTC table is 16 + 32 bits per DTC, not " +
                           std::to_string(length));
                continue;
            }
            const std::uint64_t pgn = table == JT_ActiveDtc ? f_nDm1Pgn : f_nDm2Pgn;
            if (values[3] != pgn) {
                refuse(f_szCsvCaption, "The pgn of a " +
                                           std::string(table == JT_ActiveDtc ? "DM1" : "DM2") +
                                           " table is " + std::to_string(pgn));
                continue;
            }
        }
        PointEntry entry;
        entry.tableType = table > 255 ? 255 : static_cast<int>(table);
        entry.pgn = std::to_string(values[3]);
        entry.address = std::to_string(values[4]);
        entry.priority = values[7] > 255 ? 255u : static_cast<unsigned>(values[7]);
        entry.dataOffset = std::to_string(values[1]);
        entry.dataLength = IsDtcTable(static_cast<std::uint8_t>(entry.tableType)) &&
                                   table <= JT_PreviouslyActiveDtc
                               ? std::to_string((length - 16) / 32)
                               : std::to_string(length);
        entry.updateRate = std::to_string(values[5]);
        entry.messageOffset = std::to_string(values[6]);
        if (auto full = CheckCanAddPoint(io)) {
            refuse(full->caption, full->text);
            continue;
        }
        const PointValidation verdict =
            ValidatePointEntry(entry, ColumnModes{}, -1, io, config.limits, config.pgnLimits);
        if (verdict.failure) {
            refuse(verdict.failure->caption, verdict.failure->text);
            continue;
        }
        io.Add(verdict.point);
    }
    if (header) {
        lineNumber = 1;
        refuse(f_szCsvCaption, std::string("The first row must be the header ") + f_szIoCsvHeader);
    }
    if (!result.refusals.empty()) {
        return result;
    }
    const TableCheck check = CheckTableBeforeDownload(io, config.limits, config.pgnLimits);
    for (const RuleMessage& message : check.messages) {
        result.refusals.push_back(CsvRefusal{0, message.caption, message.text});
    }
    if (!check.passed) {
        return result;
    }
    result.imported = true;
    result.io = std::move(io);
    return result;
}
