#include "cli/CsvTable.h"

#include <cctype>
#include <sstream>

#include "tool/model/IoRules.h"

namespace gantry::cli {

using namespace gantry::tool;

namespace {

constexpr int f_nColumns = 8;
constexpr const char* f_szCsvCaption = "I/O Import";
constexpr const char* f_szUtf8ByteOrderMark = "\xEF\xBB\xBF";

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

const char* CsvColumnOf(Field field) {
    switch (field) {
        case Field::TableType:
            return "table";
        case Field::Pgn:
            return "pgn";
        case Field::Address:
            return "address";
        case Field::Priority:
            return "priority";
        case Field::DataOffset:
            return "dataOffset";
        case Field::DataLength:
            return "dataLength";
        case Field::UpdateRate:
            return "updateRate";
        case Field::MessageOffset:
            return "messageOffset";
        default:
            break;
    }
    return "";
}

namespace {

Refusal Invalid(const char* text, Field field) {
    return Refusal{text, f_szInvalidEntry, field};
}

// The row as the edit-point screen's entries, each text as the user would
// have typed it. The two values the screen does not take as text are judged
// with its own words: the type list holds 0 to 3 and the priority field 0 to
// 255; a DTC table's size is entered as a DTC count (16 + 32 bits each) and
// its PGN is DM1's or DM2's.
std::optional<Refusal> EntryOfRow(const std::vector<std::string>& fields, PointEntry& entry) {
    std::uint64_t table = 0;
    if (!ReadDecimal(fields[0], table) || table > JT_PreviouslyActiveDtc) {
        return Invalid("Invalid Entry", Field::TableType);
    }
    std::uint64_t priority = 0;
    if (!ReadDecimal(fields[7], priority) || priority > 255) {
        return Invalid("Priority must be 0-7", Field::Priority);
    }
    entry.tableType = static_cast<int>(table);
    entry.dataOffset = fields[1];
    entry.dataLength = fields[2];
    entry.pgn = fields[3];
    entry.address = fields[4];
    entry.updateRate = fields[5];
    entry.messageOffset = fields[6];
    entry.priority = static_cast<unsigned>(priority);
    if (!IsDtcTable(static_cast<std::uint8_t>(table))) {
        return std::nullopt;
    }
    const std::uint32_t bits = ReadBitQuantity(fields[2], false);
    if (bits == f_nInvalidBits || bits < 16 || (bits - 16) % 32 != 0) {
        return Invalid("Invalid Data Size", Field::DataLength);
    }
    entry.dataLength = std::to_string((bits - 16) / 32);
    const std::uint32_t dtcPgn = table == JT_ActiveDtc ? f_nDm1Pgn : f_nDm2Pgn;
    const std::optional<std::uint32_t> pgn = ReadPlainNumber(fields[3], false);
    if (!pgn || *pgn != dtcPgn) {
        return Invalid("Invalid PGN", Field::Pgn);
    }
    return std::nullopt;
}

// The next line that holds something, trimmed, with `lineNumber` counting
// every line read; false at the end of the text.
bool NextLine(std::istream& in, std::string& line, int& lineNumber) {
    while (std::getline(in, line)) {
        ++lineNumber;
        if (lineNumber == 1 && line.compare(0, 3, f_szUtf8ByteOrderMark) == 0) {
            line.erase(0, 3);  // spreadsheets start their CSV with one
        }
        line = Trim(line);
        if (!line.empty()) {
            return true;
        }
    }
    return false;
}

// One data row added to `io` through the dialog's rules, or why not.
std::optional<Refusal> AddRow(const std::vector<std::string>& fields, const CConfiguration& config,
                              CJ1939IO& io) {
    if (fields.size() != f_nColumns) {
        return Refusal{"Expected 8 values, found " + std::to_string(fields.size()), f_szCsvCaption};
    }
    if (auto full = CheckCanAddPoint(io)) {
        return Refusal{full->text, full->caption};
    }
    PointEntry entry;
    if (std::optional<Refusal> failure = EntryOfRow(fields, entry)) {
        return failure;
    }
    PointValidation verdict =
        ValidatePointEntry(entry, ColumnModes{}, -1, io, config.limits, config.pgnLimits);
    if (verdict.failure) {
        return verdict.failure;
    }
    io.Add(verdict.point);
    return std::nullopt;
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
    CsvImportResult result;
    CJ1939IO io;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    bool header = true;
    auto refuse = [&](const Refusal& refusal) {
        result.refusals.push_back(
            CsvRefusal{{refusal.text, refusal.caption, refusal.field}, lineNumber});
    };
    const Refusal badHeader{std::string("The first row must be the header ") + f_szIoCsvHeader,
                            f_szCsvCaption};
    while (NextLine(in, line, lineNumber)) {
        if (header) {
            header = false;
            if (line != f_szIoCsvHeader) {
                refuse(badHeader);
            }
        } else if (std::optional<Refusal> failure = AddRow(SplitFields(line), config, io)) {
            refuse(*failure);
        }
    }
    if (header) {
        lineNumber = 1;
        refuse(badHeader);
    }
    if (!result.refusals.empty()) {
        return result;
    }
    const TableCheck check = CheckTableBeforeDownload(io, config.limits, config.pgnLimits);
    for (const Refusal& message : check.messages) {
        result.refusals.push_back(CsvRefusal{{message.text, message.caption}, 0});
    }
    if (!check.passed) {
        return result;
    }
    result.imported = true;
    result.io = std::move(io);
    return result;
}

}  // namespace gantry::cli
