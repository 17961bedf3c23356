// The J1939 I/O table as CSV: the header row
// table,dataOffset,dataLength,pgn,address,updateRate,messageOffset,priority
// and one row per point in plain decimal (offsets and lengths in bits), inputs
// then outputs.
#pragma once

#include <string>
#include <vector>

#include "tool/model/Configuration.h"

namespace gantry::cli {

using namespace gantry::tool;

inline constexpr const char* f_szIoCsvHeader =
    "table,dataOffset,dataLength,pgn,address,updateRate,messageOffset,priority";

std::string ExportIoTableCsv(const CJ1939IO& io);

// One refused row: its line number in the CSV text (1 = header) and the
// message, with the caption the tool shows it under, and the column it
// refuses ("" when the row as a whole is refused).
struct CsvRefusal {
    int line = 0;
    std::string caption;
    std::string text;
    std::string field;
};

struct CsvImportResult {
    bool imported = false;
    std::vector<CsvRefusal> refusals;  // every refused row, in order
    CJ1939IO io;                       // the new table when imported
};

// Reads every row through the edit-point screen's checks in order, with its
// texts (each row judged against the rows before it, as when the points are
// added one by one), then the whole-table checks against the configuration's
// limits. A UTF-8 byte-order mark before the header is skipped. Nothing is
// imported unless every row and the whole table pass.
CsvImportResult ImportIoTableCsv(const std::string& text, const CConfiguration& config);

}  // namespace gantry::cli
