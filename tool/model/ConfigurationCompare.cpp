#include "tool/model/ConfigurationCompare.h"

#include <sstream>

#include <nlohmann/json.hpp>

#include "tool/device/DeviceRequest.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/model/ConfigJson.h"

namespace gantry::tool {

namespace {

using Json = nlohmann::ordered_json;
using Kind = ConfigurationDifference::Kind;

const char* const f_sections[] = {"devicenet", "modbus", "modbus_enhanced", "j1939", "ethernet"};

std::string ValueText(const Json& value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
}

std::string ProductText(const CConfiguration& c) {
    return LookupProductCombination(static_cast<int>(c.clientType), static_cast<int>(c.serverType))
               .name +
           " (" + std::to_string(c.clientType) + "," + std::to_string(c.serverType) + ")";
}

std::string PointText(const tagJ1939DataPoint& p) {
    std::ostringstream out;
    out << "table " << static_cast<unsigned>(p.table) << ", offset " << p.dataOffset << ", length "
        << p.dataLength << ", pgn " << p.pgn << ", address " << static_cast<unsigned>(p.address)
        << ", rate " << p.updateRate << ", message offset " << p.messageOffset << ", priority "
        << static_cast<unsigned>(p.priority);
    return out.str();
}

void ComparePoints(const char* direction, const std::vector<tagJ1939DataPoint>& a,
                   const std::vector<tagJ1939DataPoint>& b,
                   std::vector<ConfigurationDifference>& out) {
    static const char* const names[] = {"table",   "dataOffset", "dataLength",    "pgn",
                                        "address", "updateRate", "messageOffset", "priority"};
    auto fields = [](const tagJ1939DataPoint& p) {
        return std::vector<std::uint32_t>{p.table,   p.dataOffset, p.dataLength,    p.pgn,
                                          p.address, p.updateRate, p.messageOffset, p.priority};
    };
    auto section = [direction](std::size_t i) {
        return std::string("j1939 ") + direction + " point " + std::to_string(i + 1);
    };
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const std::vector<std::uint32_t> fa = fields(a[i]);
        const std::vector<std::uint32_t> fb = fields(b[i]);
        for (std::size_t f = 0; f < fa.size(); ++f) {
            if (fa[f] != fb[f]) {
                out.push_back({Kind::Changed, section(i), names[f], std::to_string(fa[f]),
                               std::to_string(fb[f]), true});
            }
        }
    }
    for (std::size_t i = common; i < a.size(); ++i) {
        out.push_back({Kind::OnlyInFirst, section(i), "", PointText(a[i]), "", true});
    }
    for (std::size_t i = common; i < b.size(); ++i) {
        out.push_back({Kind::OnlyInSecond, section(i), "", "", PointText(b[i]), true});
    }
}

void CompareSections(const Json& ja, const Json& jb, std::vector<ConfigurationDifference>& out) {
    for (const char* name : f_sections) {
        const bool inA = ja.contains(name);
        const bool inB = jb.contains(name);
        if (inA != inB) {
            out.push_back({inA ? Kind::OnlyInFirst : Kind::OnlyInSecond, name, "", "", ""});
            continue;
        }
        if (!inA) {
            continue;
        }
        for (const auto& [key, value] : ja[name].items()) {
            const Json& other = jb[name].contains(key) ? jb[name][key] : Json();
            if (key != "points" && value != other) {
                out.push_back({Kind::Changed, name, key, ValueText(value), ValueText(other)});
            }
        }
    }
}

}  // namespace

std::vector<ConfigurationDifference> CompareConfigurations(const CConfiguration& first,
                                                           const CConfiguration& second) {
    std::vector<ConfigurationDifference> out;
    if (first.clientType != second.clientType || first.serverType != second.serverType) {
        out.push_back({Kind::Changed, "product", "", ProductText(first), ProductText(second)});
    }
    CompareSections(Json::parse(ExportConfigurationJson(first, 0, 0)),
                    Json::parse(ExportConfigurationJson(second, 0, 0)), out);
    if (first.Records().j1939 && second.Records().j1939) {
        ComparePoints("input", first.io.Inputs(), second.io.Inputs(), out);
        ComparePoints("output", first.io.Outputs(), second.io.Outputs(), out);
    }
    return out;
}

std::string DifferenceLine(const ConfigurationDifference& d) {
    const char* const which = d.kind == Kind::OnlyInFirst ? "first" : "second";
    switch (d.kind) {
        case Kind::Changed:
            return d.section + (d.field.empty() ? "" : (d.point ? " " : ".") + d.field) + ": " +
                   d.first + " -> " + d.second;
        case Kind::OnlyInFirst:
        case Kind::OnlyInSecond:
            break;
    }
    if (d.point) {
        return d.section + " only in the " + which + ": " +
               (d.kind == Kind::OnlyInFirst ? d.first : d.second);
    }
    return d.section + ": only in the " + which;
}

std::vector<std::string> DifferenceCells(const ConfigurationDifference& d) {
    const char* const none = "(none)";
    switch (d.kind) {
        case Kind::OnlyInFirst:
            return {d.section, d.field, d.point ? d.first : "(present)", none};
        case Kind::OnlyInSecond:
            return {d.section, d.field, none, d.point ? d.second : "(present)"};
        case Kind::Changed:
            break;
    }
    return {d.section, d.field, d.first, d.second};
}

}  // namespace gantry::tool
