// The rules of the J1939 I/O table: entry syntax, bounds, overlap, PGN counts,
// the edit screen's OK and Apply checks and the whole-table checks.
#include <gtest/gtest.h>

#include "tool/model/IoRules.h"

using namespace gantry::tool;

namespace {

tagJ1939DataPoint Point(std::uint8_t table, std::uint16_t offset, std::uint16_t length,
                        std::uint32_t pgn = 61444, std::uint8_t address = 0) {
    tagJ1939DataPoint point;
    point.table = table;
    point.dataOffset = offset;
    point.dataLength = length;
    point.pgn = pgn;
    point.address = address;
    return point;
}

PointEntry Entry(int table, const std::string& offset, const std::string& length) {
    PointEntry entry;
    entry.tableType = table;
    entry.pgn = "61444";
    entry.address = "0";
    entry.priority = 6;
    entry.dataOffset = offset;
    entry.dataLength = length;
    entry.updateRate = "0";
    entry.messageOffset = "0";
    return entry;
}

const DataTableLimits f_profibus = DataTableLimits::ForProfibus(false);

TEST(BitQuantityEntry, ReadsPlainByteBitAndShownForms) {
    EXPECT_EQ(ReadBitQuantity("19", false), 19u);
    EXPECT_EQ(ReadBitQuantity("2,3", false), 19u);
    EXPECT_EQ(ReadBitQuantity("2.3", false), 19u);
    EXPECT_EQ(ReadBitQuantity("19 (2,3)", false), 19u);
    EXPECT_EQ(ReadBitQuantity("", false), 0u);
    EXPECT_EQ(ReadBitQuantity(",5", false), 5u);
    EXPECT_EQ(ReadBitQuantity("1785,0", false), 14280u);
}

TEST(BitQuantityEntry, HexadecimalModeTakesLettersButNotThePrefix) {
    EXPECT_EQ(ReadBitQuantity("1A", true), 26u);
    EXPECT_EQ(ReadBitQuantity("0x1A", true), f_nInvalidBits);
    EXPECT_EQ(ReadBitQuantity("1A", false), f_nInvalidBits);
    EXPECT_EQ(ReadBitQuantity("1A (3,2)", true), 26u);
    EXPECT_EQ(ReadBitQuantity("-1", false), f_nInvalidBits);
}

TEST(BitQuantityEntry, ValuesFrom65535UpAreInvalidNotTruncated) {
    EXPECT_EQ(ReadBitQuantity("65534", false), 65534u);
    EXPECT_EQ(ReadBitQuantity("65535", false), f_nInvalidBits);
    EXPECT_EQ(ReadBitQuantity("65552", false), f_nInvalidBits);  // not 16
    EXPECT_EQ(ReadBitQuantity("8192,0", false), f_nInvalidBits);
    EXPECT_EQ(ReadBitQuantity("99999999999999999999", false), f_nInvalidBits);
}

TEST(BitQuantityEntry, ShowsEditAndListForms) {
    EXPECT_EQ(ShowBitQuantity(19, false), "19 (2,3)");
    EXPECT_EQ(ShowBitQuantity(26, true), "1A (3,2)");
    EXPECT_EQ(ShowBitQuantityInList(19, false), "  19 (2,3)");
    EXPECT_EQ(ShowBitQuantity(40000, false), "40000 (5000,0)");  // never negative
    EXPECT_EQ(ShowDtcCount(80, false), "2");
    EXPECT_EQ(ReadBitQuantity(ShowBitQuantity(14280, true), true), 14280u);
}

TEST(PlainNumberEntry, RadixAndTheValidZeroTexts) {
    EXPECT_EQ(ReadPlainNumber("0x1A", false), 26u);
    EXPECT_EQ(ReadPlainNumber("1A", true), 26u);
    EXPECT_EQ(ReadPlainNumber("12abc", false), 12u);
    EXPECT_EQ(ReadPlainNumber("0", false), 0u);
    EXPECT_EQ(ReadPlainNumber("0X0", false), 0u);
    EXPECT_EQ(ReadPlainNumber("00", false), std::nullopt);
    EXPECT_EQ(ReadPlainNumber("abc", false), std::nullopt);
    EXPECT_EQ(ReadPlainNumber("", false), std::nullopt);
}

TEST(DataTableBounds, InputTableOf244BytesEndsAt1952Bits) {
    CJ1939IO io;
    EXPECT_EQ(CheckDataTableBounds(io, f_profibus, IoDirection::Input, 1944, 8), 0);
    EXPECT_EQ(CheckDataTableBounds(io, f_profibus, IoDirection::Input, 1944, 9), -1);
}

TEST(DataTableBounds, CombinedLimitCountsTheOtherDirection) {
    CJ1939IO io;
    io.Add(Point(JT_Output, 0, 1600));
    // 8 × 400 = 3200 bits combined; 1600 + 1601 exceeds it
    EXPECT_EQ(CheckDataTableBounds(io, f_profibus, IoDirection::Input, 0, 1600), 0);
    EXPECT_EQ(CheckDataTableBounds(io, f_profibus, IoDirection::Input, 1, 1600), -2);
    // a point ending inside the space its direction already uses never fails
    io.Add(Point(JT_Input, 0, 1700));
    EXPECT_EQ(CheckDataTableBounds(io, f_profibus, IoDirection::Input, 100, 1600), 0);
}

TEST(OverlapCheck, TouchingIsFreeAndEveryCollisionIsReported) {
    CJ1939IO io;
    io.Add(Point(JT_Input, 16, 16));
    EXPECT_FALSE(OverlapsAnotherPoint(io, IoDirection::Input, 8, 8, -1));
    EXPECT_TRUE(OverlapsAnotherPoint(io, IoDirection::Input, 8, 9, -1));
    EXPECT_TRUE(OverlapsAnotherPoint(io, IoDirection::Input, 20, 4, -1));
    EXPECT_FALSE(OverlapsAnotherPoint(io, IoDirection::Input, 32, 8, -1));
    // a point that starts before the other and ends after it also collides
    EXPECT_TRUE(OverlapsAnotherPoint(io, IoDirection::Input, 0, 48, -1));
    // the edited point itself and the other direction are not in the way
    EXPECT_FALSE(OverlapsAnotherPoint(io, IoDirection::Input, 0, 48, 0));
    EXPECT_FALSE(OverlapsAnotherPoint(io, IoDirection::Output, 0, 48, -1));
}

TEST(PointBoundaries, EachLimitItselfIsAcceptedBesideTheFirstValueRefused) {
    CJ1939IO io;
    io.Add(Point(JT_Output, 16, 16));
    PointEntry entry = Entry(JT_Output, "0", "16");
    entry.address = "255";
    entry.priority = 7;
    entry.updateRate = "10";
    auto result = ValidatePointEntry(entry, {}, -1, io, f_profibus, {});
    ASSERT_FALSE(result.failure) << result.failure->text;
    EXPECT_EQ(result.point.address, 255);
    EXPECT_EQ(result.point.priority, 7);
    entry.updateRate = "9";
    result = ValidatePointEntry(entry, {}, -1, io, f_profibus, {});
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->field, Field::UpdateRate);
    // a new point ending exactly where another ends shares its last bits
    entry = Entry(JT_Output, "8", "24");
    EXPECT_TRUE(OverlapsAnotherPoint(io, IoDirection::Output, 8, 24, -1));
    result = ValidatePointEntry(entry, {}, -1, io, f_profibus, {});
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->text,
              "Specified Data Table space is already occupied by another I/O Point");
}

TEST(PgnCounting, DistinctPairsAndTheLimitForANewPair) {
    CJ1939IO io;
    for (std::uint32_t i = 0; i < 50; ++i) {
        io.Add(Point(JT_Input, static_cast<std::uint16_t>(8 * i), 8, 1000 + i, 7));
    }
    io.Add(Point(JT_Input, 400, 8, 1000, 7));  // a pair already counted
    EXPECT_EQ(CountPgns(io.Inputs()), 50);
    EXPECT_TRUE(PgnPairFits(io.Inputs(), 1000, 7, 50));
    EXPECT_FALSE(PgnPairFits(io.Inputs(), 1000, 8, 50));  // same PGN, other address
    EXPECT_TRUE(PgnPairFits(io.Inputs(), 1000, 8, 51));
}

TEST(PgnCounting, WorksBeyondThePointLimit) {
    CJ1939IO io;
    for (std::uint32_t i = 0; i < 600; ++i) {
        io.Add(Point(JT_Output, 0, 0, i % 300, 1));
    }
    EXPECT_EQ(CountPgns(io.Outputs()), 300);
}

TEST(PointValidation, AcceptsAValidInputPoint) {
    CJ1939IO io;
    PointEntry entry = Entry(JT_Input, "2,0", "1,0");
    entry.address = "0x10";
    entry.updateRate = "100";
    entry.messageOffset = "1785,0";
    const auto result = ValidatePointEntry(entry, {}, -1, io, f_profibus, {});
    ASSERT_FALSE(result.failure) << result.failure->text;
    EXPECT_EQ(result.point.dataOffset, 16);
    EXPECT_EQ(result.point.dataLength, 8);
    EXPECT_EQ(result.point.address, 16);
    EXPECT_EQ(result.point.updateRate, 100);
    EXPECT_EQ(result.point.messageOffset, 14280);
    EXPECT_EQ(result.point.priority, 6);
}

TEST(PointValidation, StepsAreCheckedInOrderWithTheirTexts) {
    CJ1939IO io;
    struct Case {
        PointEntry entry;
        std::string text;
        Field field;
    };
    auto with = [](auto change) {
        PointEntry entry = Entry(JT_Output, "0", "8");
        change(entry);
        return entry;
    };
    const std::vector<Case> cases = {
        {with([](auto& e) {
             e.pgn = "x";
             e.address = "300";
         }),
         "Invalid PGN", Field::Pgn},
        {with([](auto& e) {
             e.address = "256";
             e.priority = 9;
         }),
         "Invalid Target Address. Please specify the Target Address in the 0 - 255 range.",
         Field::Address},
        {with([](auto& e) {
             e.priority = 8;
             e.dataOffset = "?";
         }),
         "Priority must be 0-7", Field::Priority},
        {with([](auto& e) { e.dataOffset = "0x10"; }), "Invalid Data Table Offset",
         Field::DataOffset},
        {with([](auto& e) { e.pgn = "0x40000"; }), "Invalid PGN", Field::Pgn},  // 18 bits
        {with([](auto& e) { e.pgn = "999999"; }), "Invalid PGN", Field::Pgn},
        {with([](auto& e) { e.dataLength = "65535"; }), "Invalid Data Size", Field::DataLength},
        {with([](auto& e) { e.dataLength = "0"; }), "Invalid Data Size", Field::DataLength},
        {with([](auto& e) {
             e.dataOffset = "244,0";
             e.dataLength = "1";
         }),
         "Specified table offset and length is outside of the Data Table bounds of 244 bytes",
         Field::DataOffset},
        {with([](auto& e) { e.updateRate = "abc"; }), "Invalid Update Rate", Field::UpdateRate},
        {with([](auto& e) { e.updateRate = "5"; }),
         "Invalid Update Rate. Valid rates are 0, and 10 - 60,000 ms", Field::UpdateRate},
        {with([](auto& e) { e.updateRate = "60001"; }),
         "Invalid Update Rate. Valid rates are 0, and 10 - 60,000 ms", Field::UpdateRate},
        {with([](auto& e) { e.messageOffset = "a"; }), "Invalid Message Table Offset",
         Field::MessageOffset},
        {with([](auto& e) { e.messageOffset = "1785,1"; }),
         "Message Offset must be within Message Offset bounds: 0 - 14280 bits",
         Field::MessageOffset},
    };
    for (const auto& c : cases) {
        const auto result = ValidatePointEntry(c.entry, {}, -1, io, f_profibus, {});
        ASSERT_TRUE(result.failure) << c.text;
        EXPECT_EQ(result.failure->text, c.text);
        EXPECT_EQ(result.failure->caption, "Invalid Entry");
        EXPECT_EQ(result.failure->field, c.field) << c.text;
    }
    for (const char* rate : {"0", "10", "60000"}) {
        auto entry = with([&](auto& e) { e.updateRate = rate; });
        EXPECT_FALSE(ValidatePointEntry(entry, {}, -1, io, f_profibus, {}).failure) << rate;
    }
    auto highest = with([](auto& e) { e.pgn = "0x3FFFF"; });
    EXPECT_FALSE(ValidatePointEntry(highest, {}, -1, io, f_profibus, {}).failure);
}

TEST(PointValidation, TypeOutsideTheListIsRefused) {
    CJ1939IO io;
    for (int type : {-1, 4, 256}) {
        const auto result = ValidatePointEntry(Entry(type, "0", "8"), {}, -1, io, f_profibus, {});
        ASSERT_TRUE(result.failure) << type;
        EXPECT_EQ(result.failure->field, Field::TableType);
    }
}

TEST(PointValidation, CombinedLimitAndOverlapRefusals) {
    CJ1939IO io;
    io.Add(Point(JT_Output, 0, 1600));
    io.Add(Point(JT_Input, 16, 16));
    auto result = ValidatePointEntry(Entry(JT_Input, "1,0", "1600"), {}, -1, io, f_profibus, {});
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->text,
              "Specified table offset and length yields a total I/O space larger than the "
              "combined Data Table limit of 400 bytes");
    result = ValidatePointEntry(Entry(JT_Input, "0", "48"), {}, -1, io, f_profibus, {});
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->text,
              "Specified Data Table space is already occupied by another I/O Point");
    // editing the point itself may grow it over its old space
    result = ValidatePointEntry(Entry(JT_Input, "0", "48"), {}, 0, io, f_profibus, {});
    EXPECT_FALSE(result.failure);
}

TEST(PointValidation, PgnLimitHasItsOwnCaptionPerDirection) {
    CJ1939IO io;
    io.Add(Point(JT_Output, 0, 8, 1, 0));
    const PgnLimits limits{1, 1};
    auto entry = Entry(JT_Output, "8", "8");
    entry.pgn = "2";
    auto result = ValidatePointEntry(entry, {}, -1, io, f_profibus, limits);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->text, "Output PGN Count Limit has been Reached");
    EXPECT_EQ(result.failure->caption, "Configuration Limit");
    entry.pgn = "1";  // the pair is already there
    EXPECT_FALSE(ValidatePointEntry(entry, {}, -1, io, f_profibus, limits).failure);
    io.Add(Point(JT_Input, 0, 8, 5, 0));
    auto dtc = Entry(JT_ActiveDtc, "16", "1");
    result = ValidatePointEntry(dtc, {}, -1, io, f_profibus, limits);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->text, "Input PGN Count Limit has been Reached");
}

TEST(PointValidation, DtcTablesTakeFixedPgnsAndACount) {
    CJ1939IO io;
    auto entry = Entry(JT_ActiveDtc, "0", "2");
    entry.pgn = "not read";
    auto result = ValidatePointEntry(entry, {}, -1, io, f_profibus, {});
    ASSERT_FALSE(result.failure);
    EXPECT_EQ(result.point.pgn, 65226u);
    EXPECT_EQ(result.point.dataLength, 80);  // 16 + 32 × 2
    entry.tableType = JT_PreviouslyActiveDtc;
    EXPECT_EQ(ValidatePointEntry(entry, {}, -1, io, f_profibus, {}).point.pgn, 65227u);
    // a count whose length passes 16 bits is refused, not wrapped
    entry.dataLength = "2048";
    result = ValidatePointEntry(entry, {}, -1, io, f_profibus, {});
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->text, "Invalid Data Size");
}

TEST(PointValidation, ColumnModesChooseTheRadix) {
    CJ1939IO io;
    ColumnModes modes;
    modes.tableOffset = true;
    modes.pgn = true;
    auto entry = Entry(JT_Input, "1A", "8");
    entry.pgn = "F004";
    const auto result = ValidatePointEntry(entry, modes, -1, io, f_profibus, {});
    ASSERT_FALSE(result.failure);
    EXPECT_EQ(result.point.dataOffset, 26);
    EXPECT_EQ(result.point.pgn, 0xF004u);
}

TEST(ApplyButton, NormalisesOrRefusesTheBitQuantities) {
    auto entry = Entry(JT_Input, "2,3", "1.0");
    entry.messageOffset = "17";
    auto result = ApplyPointEntry(entry, {});
    ASSERT_FALSE(result.failure);
    EXPECT_EQ(result.dataOffset, "19 (2,3)");
    EXPECT_EQ(result.dataLength, "8 (1,0)");
    EXPECT_EQ(result.messageOffset, "17 (2,1)");
    result = ApplyPointEntry(Entry(JT_Input, "16385", "0"), {});
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->text,
              "Data Table Offset must be within Data Table bounds: 0 - 16384 bits");
    result = ApplyPointEntry(Entry(JT_Input, "16384", "1"), {});
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->text,
              "Specified Data Table space is outside of the Data Table bounds: 0 - 16384 bits");
    EXPECT_FALSE(ApplyPointEntry(Entry(JT_Input, "16384", "0"), {}).failure);
    auto dtc = Entry(JT_ActiveDtc, "0", "2");
    result = ApplyPointEntry(dtc, {});
    ASSERT_FALSE(result.failure);
    EXPECT_EQ(result.dataLength, "2");
}

TEST(DiagnosticAlignment, MovesOffTheWordBoundaryUpAndProposesTheNextWord) {
    const auto notice = AlignDtcOffset("20", false);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->offset, 32u);
    EXPECT_EQ(notice->offsetText, "32 (4,0)");
    EXPECT_EQ(notice->message.text,
              "Table offsets for diagnostic tables must be on even word boundaries.  Moving "
              "offset to next valid location.");
    EXPECT_FALSE(AlignDtcOffset("32", false));
    EXPECT_FALSE(AlignDtcOffset("zz", false));
    CJ1939IO io;
    EXPECT_EQ(ProposeDtcOffset(io), 0u);
    io.Add(Point(JT_Input, 0, 17));
    EXPECT_EQ(ProposeDtcOffset(io), 32u);
    io.Add(Point(JT_Input, 17, 15));
    EXPECT_EQ(ProposeDtcOffset(io), 32u);
}

TEST(AddingPoints, TwoHundredPointsRefuseAddAndANewPointSitsAtTheUsedEnd) {
    CJ1939IO io;
    for (int i = 0; i < 199; ++i) {
        io.Add(Point(i % 2 ? JT_Output : JT_Input, static_cast<std::uint16_t>(8 * i), 8));
    }
    EXPECT_FALSE(CheckCanAddPoint(io));
    io.Add(Point(JT_Input, 4000, 8));
    const auto refusal = CheckCanAddPoint(io);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "Total Datapoint Limit has been Reached");
    EXPECT_EQ(refusal->caption, "Configuration Limit");
    const auto proposed = ProposeNewPoint(io, IoDirection::Output);
    EXPECT_EQ(proposed.dataOffset, io.UsedEnd(IoDirection::Output));
    EXPECT_EQ(proposed.table, JT_Output);
    EXPECT_EQ(proposed.priority, 6);
}

TEST(WholeTableCheck, CountsPointsOutsideEachTableAndTheCombinedSpace) {
    CJ1939IO io;
    EXPECT_TRUE(CheckWholeTable(&io, f_profibus).passed);
    io.Add(Point(JT_Input, 1944, 16));
    io.Add(Point(JT_Input, 1960, 8));
    io.Add(Point(JT_Output, 1952, 8));
    const auto check = CheckWholeTable(&io, f_profibus);
    EXPECT_FALSE(check.passed);
    ASSERT_EQ(check.messages.size(), 3u);
    EXPECT_EQ(check.messages[0].text,
              "2 Input datapoints are outside of the Data Table bound of 244 bytes");
    EXPECT_EQ(check.messages[1].text,
              "1 Output datapoints are outside of the Data Table bound of 244 bytes");
    EXPECT_EQ(check.messages[2].text,
              "Total I/O space is larger than combined Data Table limit of 400 bytes");
    EXPECT_EQ(check.messages[2].caption, "Invalid Parameters");
    EXPECT_TRUE(CheckWholeTable(nullptr, f_profibus).passed);  // not bound to a screen
}

TEST(WholeTableCheck, AnOutputPointOutOfBoundsIsEnoughToFail) {
    CJ1939IO io;
    io.Add(Point(JT_Input, 0, 8));
    io.Add(Point(JT_Output, 1952, 8));  // one bit past the 244-byte output table
    const auto check = CheckWholeTable(&io, f_profibus);
    EXPECT_FALSE(check.passed);
    ASSERT_EQ(check.messages.size(), 1u);
    EXPECT_EQ(check.messages[0].text,
              "1 Output datapoints are outside of the Data Table bound of 244 bytes");
    EXPECT_FALSE(CheckTableBeforeDownload(io, f_profibus, {}).passed);
}

TEST(WholeTableCheck, DtcLengthsOffThePatternShowTheWholeDtcsTheyHold) {
    // a file may hold any length; the count is of whole 32-bit DTCs after 16 bits
    EXPECT_EQ(ShowDtcCount(64, false), "1");
    EXPECT_EQ(ShowDtcCount(79, false), "1");
    EXPECT_EQ(ShowDtcCount(48, false), "1");
    EXPECT_EQ(ShowDtcCount(47, false), "0");
    EXPECT_EQ(ShowDtcCount(15, false), "0");
    EXPECT_EQ(ShowDtcCount(65535, true), "7FF");
}

TEST(DownloadGate, BothChecksRunAndBothMessagesAppear) {
    CJ1939IO io;
    io.Add(Point(JT_Input, 1952, 8, 1));
    io.Add(Point(JT_Input, 0, 8, 2));
    io.Add(Point(JT_Output, 0, 8, 3));
    io.Add(Point(JT_Output, 8, 8, 4));
    const auto check = CheckTableBeforeDownload(io, f_profibus, PgnLimits{2, 1});
    EXPECT_FALSE(check.passed);
    ASSERT_EQ(check.messages.size(), 2u);
    EXPECT_EQ(check.messages[0].text,
              "1 Input datapoints are outside of the Data Table bound of 244 bytes");
    EXPECT_EQ(check.messages[1].text, "Output PGN count of 2 is beyond the limit of 1 PGNs");
    EXPECT_TRUE(CheckTableBeforeDownload(io, DataTableLimits::ForModbus(), {}).passed);
}

TEST(DownloadGate, APointAFileBroughtWithABadPgnOrNoLengthIsNamed) {
    CJ1939IO io;
    io.Add(Point(JT_Input, 0, 8, 0x3FFFF));
    io.Add(Point(JT_Input, 8, 0, 1));
    io.Add(Point(JT_Output, 0, 8, 999999));
    const auto check = CheckTableBeforeDownload(io, DataTableLimits::ForModbus(), {});
    EXPECT_FALSE(check.passed);
    ASSERT_EQ(check.messages.size(), 2u);
    EXPECT_EQ(check.messages[0].text, "Invalid Data Size: input point 2 has a data length of 0");
    EXPECT_EQ(check.messages[1].text,
              "Invalid PGN: output point 1 has PGN 999999; J1939 PGNs are 0 to 0x3FFFF");
}

}  // namespace
