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

// One refused row: the refusal (its field the column it refuses, None when
// the row as a whole is refused) and its line number in the CSV text (1 =
// header; 0 for the whole table).
struct CsvRefusal : Refusal {
    int line = 0;
};
// The CSV column that holds what an edit-point field holds ("" for others).
const char* CsvColumnOf(Field field);

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
