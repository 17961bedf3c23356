// The I/O table's two ordered arrays.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tool/model/J1939IO.h"

using namespace gantry::tool;

namespace {

tagJ1939DataPoint Point(std::uint8_t table, std::uint16_t offset, std::uint32_t pgn = 0) {
    tagJ1939DataPoint point;
    point.table = table;
    point.dataOffset = offset;
    point.dataLength = 8;
    point.pgn = pgn;
    return point;
}

std::vector<std::uint16_t> Offsets(const std::vector<tagJ1939DataPoint>& points) {
    std::vector<std::uint16_t> offsets;
    for (const auto& point : points) {
        offsets.push_back(point.dataOffset);
    }
    return offsets;
}

std::vector<std::uint32_t> Pgns(const std::vector<tagJ1939DataPoint>& points) {
    std::vector<std::uint32_t> pgns;
    for (const auto& point : points) {
        pgns.push_back(point.pgn);
    }
    return pgns;
}

TEST(PointOrdering, AddKeepsEachArrayAscendingByOffset) {
    CJ1939IO io;
    for (std::uint16_t offset : {32, 0, 16}) {
        io.Add(Point(JT_Input, offset));
    }
    EXPECT_EQ(Offsets(io.Inputs()), (std::vector<std::uint16_t>{0, 16, 32}));
    CJ1939IO other;
    for (std::uint16_t offset : {48, 16, 32}) {
        other.Add(Point(JT_Output, offset));
    }
    EXPECT_EQ(Offsets(other.Outputs()), (std::vector<std::uint16_t>{16, 32, 48}));
    EXPECT_TRUE(other.Inputs().empty());
}

TEST(PointOrdering, ProcedureReversesEqualOffsetsThatAPointOvertakes) {
    // [2a, 2b, 1]: 2a moves behind 1, then 2b moves behind 1 in front of 2a
    std::vector<tagJ1939DataPoint> points{Point(0, 2, 100), Point(0, 2, 200), Point(0, 1, 300)};
    OrderPoints(points);
    EXPECT_EQ(Pgns(points), (std::vector<std::uint32_t>{300, 200, 100}));
}

TEST(PointOrdering, AddOnOrderedArrayMatchesTheFullProcedure) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        CJ1939IO io;
        std::vector<tagJ1939DataPoint> reference;
        const int count = static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) {
            const auto point = Point(JT_Input, static_cast<std::uint16_t>(random() % 5),
                                     static_cast<std::uint32_t>(i));
            io.Add(point);
            reference.push_back(point);
            OrderPoints(reference);
            ASSERT_EQ(io.Inputs(), reference) << "round " << round << " point " << i;
        }
    }
}

TEST(PointOrdering, AddAllGivesTheOrderOfAddingOneByOne) {
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        std::vector<tagJ1939DataPoint> points;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            points.push_back(Point(static_cast<std::uint8_t>(random() % 5),
                                   static_cast<std::uint16_t>(random() % 6),
                                   static_cast<std::uint32_t>(i)));
        }
        CJ1939IO oneByOne;
        for (const auto& point : points) {
            oneByOne.Add(point);
        }
        CJ1939IO all;
        all.AddAll(points);
        ASSERT_EQ(all, oneByOne) << "round " << round;
        all.AddAll(points);  // onto filled arrays as well
        for (const auto& point : points) {
            oneByOne.Add(point);
        }
        ASSERT_EQ(all, oneByOne) << "round " << round;
    }
}

TEST(PointOrdering, AddAllOfManyPointsIsFast) {
    std::vector<tagJ1939DataPoint> points;
    for (std::uint32_t i = 0; i < 100000; ++i) {
        points.push_back(Point(JT_Input, static_cast<std::uint16_t>((i * 7919u) % 65536), i));
    }
    CJ1939IO io;
    io.AddAll(points);  // one by one this would take minutes
    EXPECT_EQ(io.Inputs().size(), points.size());
    EXPECT_TRUE(
        std::is_sorted(io.Inputs().begin(), io.Inputs().end(),
                       [](const auto& a, const auto& b) { return a.dataOffset < b.dataOffset; }));
}

TEST(PointOrdering, ReplaceReordersAndOutsideIndexDoesNothing) {
    CJ1939IO io;
    for (std::uint16_t offset : {0, 16, 32}) {
        io.Add(Point(JT_Input, offset));
    }
    io.Replace(IoDirection::Input, 0, Point(JT_Input, 40));
    EXPECT_EQ(Offsets(io.Inputs()), (std::vector<std::uint16_t>{16, 32, 40}));
    io.Replace(IoDirection::Input, 3, Point(JT_Input, 1));
    EXPECT_EQ(Offsets(io.Inputs()), (std::vector<std::uint16_t>{16, 32, 40}));
}

TEST(IoTable, TableTypeAboveThreeIsNeverAdded) {
    CJ1939IO io;
    io.Add(Point(4, 0));
    io.Add(Point(255, 0));
    io.Append(Point(9, 0));
    EXPECT_EQ(io.TotalCount(), 0u);
}

TEST(IoTable, DtcTablesAreInputsAndOutputsGoApart) {
    CJ1939IO io;
    io.Add(Point(JT_ActiveDtc, 0));
    io.Add(Point(JT_PreviouslyActiveDtc, 80));
    io.Add(Point(JT_Output, 0));
    EXPECT_EQ(io.Inputs().size(), 2u);
    EXPECT_EQ(io.Outputs().size(), 1u);
}

TEST(IoTable, UsedEndIsLargestEndAndZeroWhenEmpty) {
    CJ1939IO io;
    EXPECT_EQ(io.UsedEnd(IoDirection::Input), 0u);
    auto wide = Point(JT_Input, 0);
    wide.dataLength = 100;
    io.Add(wide);
    io.Add(Point(JT_Input, 50));  // ends at 58, inside the first
    EXPECT_EQ(io.UsedEnd(IoDirection::Input), 100u);
    EXPECT_EQ(io.UsedEnd(IoDirection::Output), 0u);
    // an end beyond 16 bits is not cut
    auto last = Point(JT_Output, 65535);
    last.dataLength = 65535;
    io.Add(last);
    EXPECT_EQ(io.UsedEnd(IoDirection::Output), 131070u);
}

TEST(IoTable, GetRemoveAndClear) {
    CJ1939IO io;
    io.Add(Point(JT_Input, 0));
    io.Add(Point(JT_Input, 8));
    io.Add(Point(JT_Output, 0));
    ASSERT_NE(io.Get(IoDirection::Input, 1), nullptr);
    EXPECT_EQ(io.Get(IoDirection::Input, 1)->dataOffset, 8);
    EXPECT_EQ(io.Get(IoDirection::Input, 2), nullptr);
    io.Remove(IoDirection::Input, 0);
    io.Remove(IoDirection::Input, 5);
    EXPECT_EQ(Offsets(io.Inputs()), (std::vector<std::uint16_t>{8}));
    io.RemoveAll(IoDirection::Output);
    EXPECT_TRUE(io.Outputs().empty());
    io.Clear();
    EXPECT_EQ(io.TotalCount(), 0u);
}

}  // namespace
