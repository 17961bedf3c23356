// The I/O table as CSV: lossless both ways, and every refused row reported
// with its line and the edit-point screen's text, nothing taken unless all pass.
#include <gtest/gtest.h>

#include "cli/CsvTable.h"

using namespace gantry::tool;
using namespace gantry::cli;

namespace {

CConfiguration ModbusConfiguration() {
    CConfiguration config;
    config.clientType = 9;
    config.serverType = 8;
    config.SetRevision(0x0602);  // 2.06
    config.UpdateLimits();
    return config;
}

tagJ1939DataPoint Point(std::uint8_t table, std::uint16_t offset, std::uint16_t length,
                        std::uint32_t pgn, std::uint8_t priority = 6) {
    tagJ1939DataPoint p;
    p.table = table;
    p.dataOffset = offset;
    p.dataLength = length;
    p.pgn = pgn;
    p.address = 3;
    p.updateRate = 100;
    p.messageOffset = 8;
    p.priority = priority;
    return p;
}

const std::string kHeader = std::string(f_szIoCsvHeader) + "\r\n";

TEST(CliCsvTable, ExportThenImportGivesTheSameTable) {
    CConfiguration config = ModbusConfiguration();
    config.io.Add(Point(JT_Input, 16, 16, 61444));
    config.io.Add(Point(JT_Input, 0, 16, 65262));
    config.io.Add(Point(JT_ActiveDtc, 32, 16 + 32 * 3, f_nDm1Pgn));
    config.io.Add(Point(JT_Output, 0, 64, 0, 3));
    const std::string csv = ExportIoTableCsv(config.io);
    EXPECT_EQ(csv, kHeader +
                       "0,0,16,65262,3,100,8,6\r\n"
                       "0,16,16,61444,3,100,8,6\r\n"
                       "2,32,112,65226,3,100,8,6\r\n"
                       "1,0,64,0,3,100,8,3\r\n");
    const CsvImportResult result = ImportIoTableCsv(csv, config);
    ASSERT_TRUE(result.imported);
    EXPECT_TRUE(result.refusals.empty());
    EXPECT_EQ(result.io, config.io);
}

TEST(CliCsvTable, EveryRefusedRowIsReportedWithItsLineAndNothingIsImported) {
    const CConfiguration config = ModbusConfiguration();
    const std::string csv = kHeader +
                            "0,0,16,65262,3,100,0,6\n"      // 2: fine
                            "0,8,16,65263,3,100,0,6\n"      // 3: overlaps line 2
                            "1,0,8,300,256,100,0,6\n"       // 4: address out of range
                            "1,8,8,300,3,5,0,6\n"           // 5: update rate
                            "1,16,8,300,3,100,0,9\n"        // 6: priority
                            "0,64,x,65262,3,100,0,6\n"      // 7: not a number
                            "0,64,8,65262\n"                // 8: too few values
                            "2,80,40,65226,0,100,0,6\n"     // 9: DTC size not 16 + 32n
                            "0,96,16,999999,3,100,0,6\n"    // 10: PGN beyond 18 bits
                            "0,96,16,65262,3,100,0,6\r\n";  // 11: fine
    const CsvImportResult result = ImportIoTableCsv(csv, config);
    EXPECT_FALSE(result.imported);
    ASSERT_EQ(result.refusals.size(), 8u);
    EXPECT_EQ(result.refusals[0].line, 3);
    EXPECT_EQ(result.refusals[0].text,
              "Specified Data Table space is already occupied by another I/O Point");
    EXPECT_EQ(result.refusals[1].line, 4);
    EXPECT_EQ(result.refusals[1].text,
              "Invalid Target Address. Please specify the Target Address in the 0 - 255 range.");
    EXPECT_EQ(result.refusals[1].caption, "Invalid Entry");
    EXPECT_EQ(result.refusals[2].line, 5);
    EXPECT_EQ(result.refusals[2].text,
              "Invalid Update Rate. Valid rates are 0, and 10 - 60,000 ms");
    EXPECT_EQ(result.refusals[3].line, 6);
    EXPECT_EQ(result.refusals[3].text, "Priority must be 0-7");
    EXPECT_EQ(result.refusals[4].line, 7);
    EXPECT_EQ(result.refusals[5].line, 8);
    EXPECT_EQ(result.refusals[6].line, 9);
    EXPECT_EQ(result.refusals[7].line, 10);
    EXPECT_EQ(result.refusals[7].text, "Invalid PGN");
    EXPECT_EQ(result.io.TotalCount(), 0u);
}

TEST(CliCsvTable, WholeTableChecksRefuseATableOverThePgnLimit) {
    CConfiguration config = ModbusConfiguration();
    config.pgnLimits.inputPgns = 2;  // as a small firmware would allow
    const std::string csv = kHeader +
                            "0,0,8,1000,0,100,0,6\n"
                            "0,8,8,1001,0,100,0,6\n"
                            "0,16,8,1002,0,100,0,6\n";
    const CsvImportResult result = ImportIoTableCsv(csv, config);
    EXPECT_FALSE(result.imported);
    ASSERT_EQ(result.refusals.size(), 1u);
    EXPECT_EQ(result.refusals[0].line, 4);
    EXPECT_EQ(result.refusals[0].text, "Input PGN Count Limit has been Reached");
    EXPECT_EQ(result.refusals[0].caption, "Configuration Limit");
}

TEST(CliCsvTable, MoreThanTwoHundredRowsAreRefusedAtTheLimit) {
    const CConfiguration config = ModbusConfiguration();
    std::string csv = kHeader;
    for (int i = 0; i < 201; ++i) {
        csv += "0," + std::to_string(8 * i) + ",8,65280,0,100,0,6\n";
    }
    const CsvImportResult result = ImportIoTableCsv(csv, config);
    EXPECT_FALSE(result.imported);
    ASSERT_EQ(result.refusals.size(), 1u);
    EXPECT_EQ(result.refusals[0].line, 202);  // the 201st row, after the header
    EXPECT_EQ(result.refusals[0].text, "Total Datapoint Limit has been Reached");
}

TEST(CliCsvTable, AMissingHeaderOrADtcPgnOtherThanItsOwnIsRefused) {
    const CConfiguration config = ModbusConfiguration();
    EXPECT_FALSE(ImportIoTableCsv("0,0,8,65280,0,100,0,6\n", config).imported);
    EXPECT_FALSE(ImportIoTableCsv("", config).imported);
    const CsvImportResult dtc = ImportIoTableCsv(kHeader + "3,0,48,65226,0,100,0,6\n", config);
    EXPECT_FALSE(dtc.imported);
    ASSERT_EQ(dtc.refusals.size(), 1u);
    EXPECT_EQ(dtc.refusals[0].text, "Invalid PGN");  // the edit-point screen's words
    EXPECT_EQ(CsvColumnOf(dtc.refusals[0].field), std::string("pgn"));
}

}  // namespace
