// The JSON form of a configuration: keys, values and the import's refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <nlohmann/json.hpp>

#include "ModelTestSupport.h"
#include "tool/model/ConfigJson.h"

using namespace gantry::tool;

namespace {

using Json = nlohmann::json;

TEST(ConfigJson, ExportImportExportIsIdenticalForEveryPair) {
    for (const auto& [client, server] : TestPairs()) {
        const CConfiguration original = MakeTestConfiguration(client, server);
        const std::string text = ExportConfigurationJson(original, 4, 1);
        CConfiguration imported;
        const JsonImportResult result = ImportConfigurationJson(text, imported);
        ASSERT_TRUE(result.imported) << result.error;
        EXPECT_EQ(result.formatVersion, 4u);
        EXPECT_EQ(result.runState, 1u);
        EXPECT_TRUE(imported.SameStoredValues(original)) << client << "/" << server;
        EXPECT_EQ(ExportConfigurationJson(imported, 4, 1), text);
    }
}

TEST(ConfigJson, J1939AndEthernetSectionsHoldTheDocumentedKeys) {
    CConfiguration config = MakeTestConfiguration(9, 6);
    config.j1939.baudIndex = f_nNoBaudSelection;
    const Json doc = Json::parse(ExportConfigurationJson(config, 6, 0));
    EXPECT_EQ(doc["client_type"], 9);
    EXPECT_EQ(doc["server_type"], 6);
    EXPECT_FALSE(doc.contains("modbus"));
    EXPECT_FALSE(doc.contains("devicenet"));
    const Json& j1939 = doc["j1939"];
    EXPECT_EQ(j1939["name_hex"], "0807060504030201");
    EXPECT_EQ(j1939["address_list"], Json::array({128, 129, 0, 255}));
    EXPECT_EQ(j1939["baud_index"], 4294967295u);
    EXPECT_EQ(j1939["bus_off_reset"], 1);
    EXPECT_EQ(j1939["offline_time_ms"], 2500);
    // the input points in array order, then the output points
    const Json& points = j1939["points"];
    ASSERT_EQ(points.size(), 7u);
    EXPECT_EQ(points[0]["dataOffset"], 0);
    EXPECT_EQ(points[3]["table"], 2);
    EXPECT_EQ(points[4]["table"], 1);
    EXPECT_EQ(points[0].size(), 8u);
    for (const char* key : {"table", "dataOffset", "dataLength", "updateRate", "address", "pgn",
                            "messageOffset", "priority"}) {
        EXPECT_TRUE(points[0].contains(key)) << key;
    }
    const Json& ethernet = doc["ethernet"];
    EXPECT_EQ(ethernet["ip"], "192.168.1.20");
    EXPECT_EQ(ethernet["subnet_mask"], "255.255.255.0");
    EXPECT_EQ(ethernet["io_size"], 300);
    EXPECT_EQ(ethernet.size(), 8u);
}

TEST(ConfigJson, OtherSectionsHoldTheirKeys) {
    const Json deviceNet = Json::parse(ExportConfigurationJson(MakeTestConfiguration(1, 11), 6, 0));
    EXPECT_EQ(deviceNet["devicenet"], (Json{{"mac_address", 12},
                                            {"baud_index", 2},
                                            {"autobaud", 1},
                                            {"swap_io", 1},
                                            {"status_in_input", 1},
                                            {"input_safe_state", 1}}));
    const Json enhanced = Json::parse(ExportConfigurationJson(MakeTestConfiguration(12, 9), 6, 0));
    EXPECT_EQ(enhanced["modbus_enhanced"], (Json{{"network_address", 33},
                                                 {"baud_rate", 4800},
                                                 {"parity", 1},
                                                 {"stop_bits", 1},
                                                 {"watchdog_ms", 5000},
                                                 {"network_type", 1},
                                                 {"network_duplex", 1}}));
}

TEST(ConfigJson, ImportRefusesMissingKeysAndValuesOutOfRangeByName) {
    const CConfiguration original = MakeTestConfiguration(9, 6);
    const Json doc = Json::parse(ExportConfigurationJson(original, 6, 0));
    struct Case {
        std::function<void(Json&)> change;
        std::string error;
    };
    const std::vector<Case> cases = {
        {[](Json& d) { d.erase("run_state"); }, "missing key: run_state"},
        {[](Json& d) { d["j1939"].erase("points"); }, "missing key: j1939.points"},
        {[](Json& d) { d.erase("ethernet"); }, "missing key: ethernet"},
        {[](Json& d) { d["j1939"]["points"][2].erase("pgn"); }, "missing key: j1939.points[2].pgn"},
        {[](Json& d) { d["j1939"]["points"][0]["dataOffset"] = 65536; },
         "value out of range: j1939.points[0].dataOffset"},
        {[](Json& d) { d["j1939"]["points"][1]["pgn"] = 0x40000; },
         "Invalid PGN: j1939.points[1].pgn"},
        {[](Json& d) { d["j1939"]["points"][0]["table"] = 4; },
         "value out of range: j1939.points[0].table"},
        {[](Json& d) { d["j1939"]["address_list"][1] = 256; },
         "value out of range: j1939.address_list[1]"},
        {[](Json& d) { d["j1939"]["swap_io"] = 2; }, "value out of range: j1939.swap_io"},
        {[](Json& d) { d["j1939"]["baud_index"] = 3; }, "value out of range: j1939.baud_index"},
        {[](Json& d) { d["j1939"]["name_hex"] = "12"; }, "value out of range: j1939.name_hex"},
        {[](Json& d) { d["ethernet"]["ip"] = "1.2.3.256"; }, "value out of range: ethernet.ip"},
        {[](Json& d) { d["ethernet"]["io_size"] = -1; }, "value out of range: ethernet.io_size"},
        {[](Json& d) { d["ethernet"]["io_size"] = 4294967296; },
         "value out of range: ethernet.io_size"},
        {[](Json& d) { d["ethernet"]["speed_index"] = 3; },
         "value out of range: ethernet.speed_index"},
        {[](Json& d) { d["format_version"] = "6"; }, "value out of range: format_version"},
    };
    for (const auto& c : cases) {
        Json changed = doc;
        c.change(changed);
        CConfiguration config = original;
        config.ethernet.ioSize = 42;
        const JsonImportResult result = ImportConfigurationJson(changed.dump(), config);
        EXPECT_FALSE(result.imported) << c.error;
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(config.ethernet.ioSize, 42u);  // nothing changed
    }
    CConfiguration config;
    // where the parser stopped: line and column, then its reason
    EXPECT_EQ(ImportConfigurationJson("{not json", config)
                  .error.rfind("not a JSON document: line 1, column 3: syntax error", 0),
              0u);
    EXPECT_FALSE(ImportConfigurationJson("[]", config).imported);
    // a number no double holds is refused like any other bad document, never thrown
    const JsonImportResult huge = ImportConfigurationJson("{\"format_version\": 1E400}", config);
    EXPECT_FALSE(huge.imported);
    EXPECT_EQ(huge.error,
              "value out of range: format_version (line 1, column 20: a number too "
              "large to read)");
}

TEST(ConfigJson, UnknownTypesDuplicateKeysAndNumbersTooLargeAreRefusedByName) {
    const CConfiguration original = MakeTestConfiguration(9, 6);
    const std::string text = ExportConfigurationJson(original, 6, 0);
    const auto import = [](const std::string& changed) {
        CConfiguration config;
        const JsonImportResult result = ImportConfigurationJson(changed, config);
        EXPECT_FALSE(result.imported) << changed;
        return result.error;
    };
    const auto replaced = [&text](const std::string& from, const std::string& to) {
        std::string changed = text;
        return changed.replace(changed.find(from), from.size(), to);
    };
    EXPECT_EQ(import(replaced("\"client_type\": 9", "\"client_type\": 999")),
              "value out of range: client_type");
    EXPECT_EQ(import(replaced("\"server_type\": 6", "\"server_type\": 0")),
              "value out of range: server_type");
    EXPECT_EQ(import(replaced("\"swap_io\": ", "\"swap_io\": 0, \"swap_io\": ")),
              "duplicate key: j1939.swap_io");
    EXPECT_EQ(import(replaced("\"run_state\": 0", "\"run_state\": 0, \"run_state\": 1")),
              "duplicate key: run_state");
    // the line and column of the number's first character
    const std::size_t line = static_cast<std::size_t>(
        std::count(text.begin(), text.begin() + text.find("\"offline_time_ms\""), '\n') + 1);
    const std::string place = "line " + std::to_string(line) + ", column 24";
    for (const std::string& huge : {std::string("1e400"), std::string(400, '9')}) {
        EXPECT_EQ(
            import(replaced("\"offline_time_ms\": ", "\"offline_time_ms\": " + huge + ",\"x\":")),
            "value out of range: j1939.offline_time_ms (" + place +
                ": a number too large to read)");
    }
    EXPECT_EQ(import(replaced("\"points\": [", "\"points\": [-1e999, ")),
              "value out of range: j1939.points[0] (line " +
                  std::to_string(
                      std::count(text.begin(), text.begin() + text.find("\"points\""), '\n') + 1) +
                  ", column 16: a number too large to read)");
}

TEST(ConfigJson, FileOpenedThenExportedHoldsTheRecordsAfterTheOpenRules) {
    CConfiguration written = MakeTestConfiguration(1, 6);
    ConfigFileImage image = ImageOfConfiguration(written, 0);
    image.deviceNet->inputSafeState = 9;
    CConfiguration opened;
    OpenEnvironment environment;
    ASSERT_TRUE(OpenConfigFile(EncodeConfigFile(image, 3), environment, opened).opened);
    const Json doc = Json::parse(ExportConfigurationJson(opened, 3, 0));
    EXPECT_EQ(doc["format_version"], 3);
    EXPECT_EQ(doc["devicenet"]["input_safe_state"], 0);
    EXPECT_EQ(doc["ethernet"]["io_size"], 500);
}

}  // namespace
