// Arbitrary text as a CSV import of the I/O table, against a J1939/Modbus
// configuration: it never crashes; a refused import names at least one line
// of the text; a table it takes exports and imports again to the same table.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cli/CsvTable.h"

using namespace gantry::cli;

namespace {

const CConfiguration& Gateway() {
    static const CConfiguration config = [] {
        CConfiguration made;
        made.clientType = 9;
        made.serverType = 8;
        made.SetRevision(0x0602);
        made.UpdateLimits();
        return made;
    }();
    return config;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CsvImportResult result = ImportIoTableCsv(text, Gateway());
    if (!result.imported) {
        if (result.refusals.empty()) {
            std::abort();
        }
        for (const CsvRefusal& refusal : result.refusals) {
            if (refusal.line < 0 || refusal.text.empty()) {
                std::abort();
            }
        }
        return 0;
    }
    const std::string exported = ExportIoTableCsv(result.io);
    const CsvImportResult again = ImportIoTableCsv(exported, Gateway());
    if (!again.imported || !(again.io == result.io) || ExportIoTableCsv(again.io) != exported) {
        std::abort();
    }
    return 0;
}
