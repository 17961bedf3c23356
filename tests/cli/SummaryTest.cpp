// show and diff forms of a configuration.
#include <gtest/gtest.h>

#include "cli/Summary.h"

using namespace gantry::tool;
using namespace gantry::cli;

namespace {

CConfiguration J1939Ethernet() {
    CConfiguration config;
    config.clientType = 9;
    config.serverType = 6;
    config.SetRevision(0x0702);
    config.UpdateLimits();
    tagJ1939DataPoint input;
    input.table = JT_Input;
    input.dataLength = 16;
    input.pgn = 61444;
    input.messageOffset = 24;
    config.io.Add(input);
    tagJ1939DataPoint dtc;
    dtc.table = JT_ActiveDtc;
    dtc.dataOffset = 16;
    dtc.dataLength = 48;
    dtc.pgn = f_nDm1Pgn;
    config.io.Add(dtc);
    tagJ1939DataPoint output;
    output.table = JT_Output;
    output.dataLength = 64;
    output.priority = 3;
    config.io.Add(output);
    return config;
}

TEST(CliSummary, ShowsTheProductSectionsAndTheListsAsTheToolDoes) {
    const std::string text = SummaryText(J1939Ethernet(), 6, 1);
    EXPECT_EQ(text.rfind("Product: Ethernet to J1939 Gateway\n", 0), 0u) << text;
    EXPECT_NE(text.find("J1939 Settings:\n"), std::string::npos);
    EXPECT_NE(text.find("Ethernet:\n"), std::string::npos);
    EXPECT_EQ(text.find("DeviceNet:\n"), std::string::npos);
    EXPECT_NE(text.find("J1939 Input I/O Table (PGN Count: 2 of "), std::string::npos) << text;
    EXPECT_NE(text.find("J1939 Output I/O Table (PGN Count: 1 of "), std::string::npos);
    EXPECT_NE(text.find("Total Datapoint Count: 3 of 200"), std::string::npos);
    // list cells: bit form, DM1 in place of the PGN, "**" as an input's priority
    EXPECT_NE(text.find("  16 (2,0)"), std::string::npos) << text;
    EXPECT_NE(text.find("DM1"), std::string::npos);
    EXPECT_NE(text.find("**"), std::string::npos);
    EXPECT_NE(text.find("  24 (3,0)"), std::string::npos);
}

TEST(CliSummary, DifferencesNameTheFieldAndThePoint) {
    const CConfiguration a = J1939Ethernet();
    EXPECT_TRUE(ConfigurationDifferences(a, a).empty());
    CConfiguration b = a;
    b.j1939.offlineTimeMs = 2000;
    b.ethernet.ioSize = 128;
    tagJ1939DataPoint changed = *b.io.Get(IoDirection::Output, 0);
    changed.pgn = 65280;
    b.io.Replace(IoDirection::Output, 0, changed);
    tagJ1939DataPoint extra;
    extra.table = JT_Input;
    extra.dataOffset = 200;
    extra.dataLength = 8;
    b.io.Add(extra);
    const std::vector<std::string> lines = ConfigurationDifferences(a, b);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0],
              "j1939.offline_time_ms: " + std::to_string(a.j1939.offlineTimeMs) + " -> 2000");
    EXPECT_EQ(lines[1], "ethernet.io_size: " + std::to_string(a.ethernet.ioSize) + " -> 128");
    EXPECT_EQ(lines[2].rfind("j1939 input point 3 only in the second: table 0, offset 200", 0), 0u)
        << lines[2];
    EXPECT_EQ(lines[3], "j1939 output point 1 pgn: 0 -> 65280");
}

TEST(CliSummary, ADifferentProductIsOneDifference) {
    CConfiguration a;
    a.clientType = 1;
    a.serverType = 6;
    CConfiguration b;
    b.clientType = 1;
    b.serverType = 11;
    const std::vector<std::string> lines = ConfigurationDifferences(a, b);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0],
              "product: Ethernet to DeviceNet Gateway (1,6) -> PROFIBUS to DeviceNet Gateway "
              "(1,11)");
}

}  // namespace
