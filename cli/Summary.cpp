#include "cli/Summary.h"

#include <iomanip>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tool/device/DeviceRequest.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/model/ConfigJson.h"
#include "tool/model/ConfigurationCompare.h"
#include "tool/model/IoRules.h"
#include "tool/session/IoListPresentation.h"

namespace gantry::cli {

using namespace gantry::tool;

namespace {

using Json = nlohmann::ordered_json;

const char* const f_sectionTitles[][2] = {
    {"devicenet", "DeviceNet"},  {"modbus", "Modbus"},     {"modbus_enhanced", "Enhanced Modbus"},
    {"j1939", "J1939 Settings"}, {"ethernet", "Ethernet"},
};

Json JsonOf(const CConfiguration& config) {
    return Json::parse(ExportConfigurationJson(config, 0, 0));
}

// The list's header text on one line ("Table\nOffset" becomes "Table Offset").
std::string OneLineHeader(IoColumn column) {
    std::string text = IoColumnHeader(column, false);
    for (char& c : text) {
        c = c == '\n' ? ' ' : c;
    }
    return text;
}

// One list as the tool's list shows it in decimal, with the point's type added.
void AppendList(std::ostringstream& out, const std::vector<tagJ1939DataPoint>& points,
                IoDirection list) {
    static const int widths[f_nIoColumnCount] = {16, 16, 8, 8, 14, 11, 16};
    auto appendRow = [&out](const std::vector<std::string>& cells, const std::string& type) {
        out << " ";
        for (int i = 0; i < f_nIoColumnCount; ++i) {
            out << " " << std::left << std::setw(widths[i]) << cells[static_cast<std::size_t>(i)];
        }
        out << " " << type << "\n";
    };
    std::vector<std::string> headers;
    for (int i = 0; i < f_nIoColumnCount; ++i) {
        headers.push_back(OneLineHeader(IoColumnAt(i)));
    }
    appendRow(headers, "Type");
    for (const tagJ1939DataPoint& p : points) {
        appendRow(IoRowTexts(p, IoColumnModes{}, list), IoTableTypeName(p.table));
    }
}

std::string ValueText(const Json& value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
}

}  // namespace

std::string SummaryText(const CConfiguration& config, std::uint32_t formatVersion,
                        std::uint32_t runState) {
    std::ostringstream out;
    const int client = static_cast<int>(config.clientType);
    const int server = static_cast<int>(config.serverType);
    out << "Product: " << LookupProductCombination(client, server).name << "\n"
        << "Client interface: " << InterfaceTypeName(client) << " (" << client << ")\n"
        << "Server interface: " << InterfaceTypeName(server) << " (" << server << ")\n"
        << "File format version: " << formatVersion << "\n"
        << "Run state saved: " << runState << "\n";
    const Json doc = JsonOf(config);
    for (const auto& section : f_sectionTitles) {
        if (!doc.contains(section[0])) {
            continue;
        }
        out << "\n" << section[1] << ":\n";
        for (const auto& [key, value] : doc[section[0]].items()) {
            if (key != "points") {
                out << "  " << key << ": " << ValueText(value) << "\n";
            }
        }
    }
    if (config.Records().j1939) {
        const CJ1939IO& io = config.io;
        for (IoDirection list : {IoDirection::Input, IoDirection::Output}) {
            out << "\n"
                << IoTableTitle(list) << " (" << f_szPgnCountLabel << " "
                << IoPgnCountText(io, list) << " " << IoPgnLimitText(config.pgnLimits, list)
                << ")\n";
            AppendList(out, io.Points(list), list);
        }
        out << "\n"
            << f_szTotalCountLabel << " " << IoTotalCountText(io) << " " << IoTotalLimitText()
            << "\n"
            << "Data table: input " << config.limits.inputBytes << " bytes, output "
            << config.limits.outputBytes << " bytes, combined " << config.limits.combinedBytes
            << " bytes (used: input " << (io.UsedEnd(IoDirection::Input) + 7) / 8
            << " bytes, output " << (io.UsedEnd(IoDirection::Output) + 7) / 8 << " bytes)\n";
    }
    return out.str();
}

std::vector<std::string> ConfigurationDifferences(const CConfiguration& a,
                                                  const CConfiguration& b) {
    std::vector<std::string> lines;
    for (const ConfigurationDifference& difference : CompareConfigurations(a, b)) {
        lines.push_back(DifferenceLine(difference));
    }
    return lines;
}

}  // namespace gantry::cli
