#include "tool/model/ConfigJson.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "tool/device/DeviceRequest.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/model/IoRules.h"
#include "tool/model/JsonDocumentCheck.h"

namespace gantry::tool {

using Json = nlohmann::ordered_json;

namespace {

std::string DottedQuad(const Ipv4Address& address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address[0], address[1], address[2], address[3]);
    return text;
}

Json PointJson(const tagJ1939DataPoint& p) {
    return Json{{"table", p.table},
                {"dataOffset", p.dataOffset},
                {"dataLength", p.dataLength},
                {"updateRate", p.updateRate},
                {"address", p.address},
                {"pgn", p.pgn},
                {"messageOffset", p.messageOffset},
                {"priority", p.priority}};
}

Json J1939Json(const CConfiguration& config) {
    const J1939Settings& j = config.j1939;
    Json points = Json::array();
    for (const auto* array : {&config.io.Inputs(), &config.io.Outputs()}) {
        for (const auto& point : *array) {
            points.push_back(PointJson(point));
        }
    }
    return Json{{"name_hex", FormatJ1939Name(j.name)},
                {"address_list", j.addressList},
                {"bus_off_reset", j.busOffReset ? 1 : 0},
                {"swap_io", j.swapIo ? 1 : 0},
                {"status_in_input", j.statusInInput ? 1 : 0},
                {"offline_time_ms", j.offlineTimeMs},
                {"baud_index", static_cast<std::uint32_t>(j.baudIndex)},
                {"points", points}};
}

Json ModbusJson(const ModbusSettings& m) {
    return Json{{"network_address", m.networkAddress},
                {"baud_rate", m.baudRate},
                {"parity", m.parity},
                {"stop_bits", m.stopBits},
                {"watchdog_ms", m.watchdogMs}};
}

}  // namespace

std::string ExportConfigurationJson(const CConfiguration& config, std::uint32_t formatVersion,
                                    std::uint32_t runState) {
    Json doc{{"format_version", formatVersion},
             {"client_type", config.clientType},
             {"server_type", config.serverType},
             {"run_state", runState}};
    const RecordSet records = config.Records();
    if (records.deviceNet) {
        const auto& d = config.deviceNet;
        doc["devicenet"] = Json{{"mac_address", d.macAddress},
                                {"baud_index", d.baudIndex},
                                {"autobaud", d.autobaud ? 1 : 0},
                                {"swap_io", d.swapIo ? 1 : 0},
                                {"status_in_input", d.statusInInput ? 1 : 0},
                                {"input_safe_state", d.inputSafeState}};
    }
    if (records.modbus) {
        doc["modbus"] = ModbusJson(config.modbus);
    }
    if (records.modbusEnhanced) {
        Json m = ModbusJson(config.modbusEnhanced);
        m["network_type"] = config.modbusEnhanced.networkType;
        m["network_duplex"] = config.modbusEnhanced.networkDuplex;
        doc["modbus_enhanced"] = m;
    }
    if (records.j1939) {
        doc["j1939"] = J1939Json(config);
    }
    if (records.ethernet) {
        const auto& e = config.ethernet;
        doc["ethernet"] = Json{{"ip", DottedQuad(e.ip)},
                               {"subnet_mask", DottedQuad(e.subnetMask)},
                               {"gateway", DottedQuad(e.gateway)},
                               {"dhcp_index", e.dhcpIndex},
                               {"speed_index", e.speedIndex},
                               {"duplex_index", e.duplexIndex},
                               {"modbus_timeout_ms", e.modbusTimeoutMs},
                               {"io_size", e.ioSize}};
    }
    return doc.dump(2) + "\n";
}

namespace {

struct ImportError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads members of one JSON object; every failure names the full key.
class CJsonReader {
public:
    CJsonReader(const Json& object, std::string path) : m_object(object), m_path(std::move(path)) {
        if (!m_object.is_object()) {
            throw ImportError("not an object: " + Name(""));
        }
    }

    const Json& Member(const std::string& key) const {
        const auto found = m_object.find(key);
        if (found == m_object.end()) {
            throw ImportError("missing key: " + Name(key));
        }
        return *found;
    }

    std::uint64_t Integer(const std::string& key, std::uint64_t max) const {
        return IntegerValue(Member(key), Name(key), max);
    }

    bool Flag(const std::string& key) const { return Integer(key, 1) == 1; }

    std::string Text(const std::string& key) const {
        const Json& value = Member(key);
        if (!value.is_string()) {
            throw ImportError("value out of range: " + Name(key));
        }
        return value.get<std::string>();
    }

    Ipv4Address Address(const std::string& key) const {
        const std::string text = Text(key);
        unsigned parts[4];
        char end = 0;
        if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &parts[0], &parts[1], &parts[2],
                        &parts[3], &end) != 4 ||
            text.find_first_not_of("0123456789.") != std::string::npos) {
            throw ImportError("value out of range: " + Name(key));
        }
        Ipv4Address address{};
        if (HasLeadingZero(text)) {
            // "010" is 10 here but 8 to the many readers that take it as octal
            throw ImportError("value out of range: " + Name(key) +
                              " (an octet with a leading zero)");
        }
        for (int i = 0; i < 4; ++i) {
            if (parts[i] > 255) {
                throw ImportError("value out of range: " + Name(key));
            }
            address[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(parts[i]);
        }
        return address;
    }

    // An octet of more than one digit that starts with 0.
    static bool HasLeadingZero(const std::string& dotted) {
        std::size_t start = 0;
        while (start <= dotted.size()) {
            const std::size_t end = std::min(dotted.find('.', start), dotted.size());
            if (end - start > 1 && dotted[start] == '0') {
                return true;
            }
            start = end + 1;
        }
        return false;
    }

    std::string Name(const std::string& key) const {
        if (key.empty()) {
            return m_path.empty() ? "(document)" : m_path;
        }
        return m_path.empty() ? key : m_path + "." + key;
    }

    static std::uint64_t IntegerValue(const Json& value, const std::string& name,
                                      std::uint64_t max) {
        if (!value.is_number_integer() ||
            (value.is_number_integer() && !value.is_number_unsigned() &&
             value.get<std::int64_t>() < 0)) {
            throw ImportError("value out of range: " + name);
        }
        const std::uint64_t number = value.get<std::uint64_t>();
        if (number > max) {
            throw ImportError("value out of range: " + name);
        }
        return number;
    }

private:
    const Json& m_object;
    std::string m_path;
};

constexpr std::uint64_t f_nMax32 = 0xFFFFFFFFull;

std::uint32_t U32(const CJsonReader& in, const char* key) {
    return static_cast<std::uint32_t>(in.Integer(key, f_nMax32));
}

// A list value: only the values the list can show.
std::uint32_t Choice(const CJsonReader& in, const char* key, bool (*accepted)(std::uint32_t)) {
    const std::uint32_t value = U32(in, key);
    if (!accepted(value)) {
        throw ImportError("value out of range: " + in.Name(key));
    }
    return value;
}

// A list set by index, which may also have no selection.
std::uint32_t ListIndex(const CJsonReader& in, const char* key, std::uint32_t entries) {
    const std::uint32_t value = U32(in, key);
    if (value >= entries && value != f_nNoListSelection) {
        throw ImportError("value out of range: " + in.Name(key));
    }
    return value;
}

void ReadModbus(const CJsonReader& in, ModbusSettings& m) {
    m.networkAddress = U32(in, "network_address");
    m.baudRate = Choice(in, "baud_rate", IsModbusBaudRate);
    m.parity = Choice(in, "parity", IsModbusParity);
    m.stopBits = Choice(in, "stop_bits", IsModbusStopBits);
    m.watchdogMs = U32(in, "watchdog_ms");
}

tagJ1939DataPoint ReadPoint(const CJsonReader& in) {
    tagJ1939DataPoint p;
    p.table = static_cast<std::uint8_t>(in.Integer("table", 3));
    p.dataOffset = static_cast<std::uint16_t>(in.Integer("dataOffset", 0xFFFF));
    p.dataLength = static_cast<std::uint16_t>(in.Integer("dataLength", 0xFFFF));
    p.updateRate = static_cast<std::uint16_t>(in.Integer("updateRate", 0xFFFF));
    p.address = static_cast<std::uint8_t>(in.Integer("address", 0xFF));
    p.pgn = U32(in, "pgn");
    if (!IsValidPgn(p.pgn)) {
        throw ImportError(std::string(f_szInvalidPgn) + ": " + in.Name("pgn"));
    }
    p.messageOffset = static_cast<std::uint16_t>(in.Integer("messageOffset", 0xFFFF));
    p.priority = static_cast<std::uint8_t>(in.Integer("priority", 0xFF));
    return p;
}

void ReadJ1939(const CJsonReader& in, CConfiguration& config) {
    J1939Settings& j = config.j1939;
    if (!ParseJ1939Name(in.Text("name_hex"), j.name)) {
        throw ImportError("value out of range: " + in.Name("name_hex"));
    }
    const Json& list = in.Member("address_list");
    if (!list.is_array() || list.size() > 255) {
        throw ImportError("value out of range: " + in.Name("address_list"));
    }
    j.addressList.clear();
    for (std::size_t i = 0; i < list.size(); ++i) {
        j.addressList.push_back(static_cast<std::uint8_t>(CJsonReader::IntegerValue(
            list[i], in.Name("address_list") + "[" + std::to_string(i) + "]", 255)));
    }
    j.busOffReset = in.Flag("bus_off_reset");
    j.swapIo = in.Flag("swap_io");
    j.statusInInput = in.Flag("status_in_input");
    j.offlineTimeMs = U32(in, "offline_time_ms");
    const std::uint32_t baud = U32(in, "baud_index");
    if (baud > 2 && baud != f_nMax32) {
        throw ImportError("value out of range: " + in.Name("baud_index"));
    }
    config.SelectJ1939BaudIndex(baud);
    const Json& points = in.Member("points");
    if (!points.is_array()) {
        throw ImportError("value out of range: " + in.Name("points"));
    }
    std::vector<tagJ1939DataPoint> read;
    for (std::size_t i = 0; i < points.size(); ++i) {
        read.push_back(
            ReadPoint(CJsonReader(points[i], in.Name("points") + "[" + std::to_string(i) + "]")));
    }
    config.io.Clear();
    config.io.AddAll(read);
}

void ReadEthernet(const CJsonReader& in, EthernetSettings& e) {
    e.ip = in.Address("ip");
    e.subnetMask = in.Address("subnet_mask");
    e.gateway = in.Address("gateway");
    e.dhcpIndex = ListIndex(in, "dhcp_index", 2);
    e.speedIndex = ListIndex(in, "speed_index", 3);
    e.duplexIndex = ListIndex(in, "duplex_index", 3);
    e.modbusTimeoutMs = U32(in, "modbus_timeout_ms");
    e.ioSize = U32(in, "io_size");
}

void ReadSections(const CJsonReader& doc, CConfiguration& config) {
    const RecordSet records = config.Records();
    if (records.deviceNet) {
        const CJsonReader in(doc.Member("devicenet"), "devicenet");
        DeviceNetSettings& d = config.deviceNet;
        d.macAddress = U32(in, "mac_address");
        d.baudIndex = Choice(in, "baud_index", IsDeviceNetBaudIndex);
        d.autobaud = in.Flag("autobaud");
        d.swapIo = in.Flag("swap_io");
        d.statusInInput = in.Flag("status_in_input");
        d.inputSafeState = static_cast<std::uint32_t>(in.Integer("input_safe_state", 1));
    }
    if (records.modbus) {
        ReadModbus(CJsonReader(doc.Member("modbus"), "modbus"), config.modbus);
    }
    if (records.modbusEnhanced) {
        const CJsonReader in(doc.Member("modbus_enhanced"), "modbus_enhanced");
        ReadModbus(in, config.modbusEnhanced);
        config.modbusEnhanced.networkType = Choice(in, "network_type", IsTwoEntryIndex);
        config.modbusEnhanced.networkDuplex = Choice(in, "network_duplex", IsTwoEntryIndex);
    }
    if (records.j1939) {
        ReadJ1939(CJsonReader(doc.Member("j1939"), "j1939"), config);
    }
    if (records.ethernet) {
        ReadEthernet(CJsonReader(doc.Member("ethernet"), "ethernet"), config.ethernet);
    }
}

}  // namespace

JsonImportResult ImportConfigurationJson(const std::string& text, CConfiguration& config) {
    JsonImportResult result;
    result.error = CheckJsonDocument(text);
    if (!result.error.empty()) {
        return result;  // a syntax error, a key given twice or a number beyond any double
    }
    try {
        const Json doc = Json::parse(text);
        const CJsonReader in(doc, "");
        CConfiguration imported = config;
        result.formatVersion = U32(in, "format_version");
        imported.clientType = Choice(in, "client_type", IsKnownInterfaceType);
        imported.serverType = Choice(in, "server_type", IsKnownInterfaceType);
        result.runState = U32(in, "run_state");
        imported.SetRevision(LookupProductCombination(static_cast<int>(imported.clientType),
                                                      static_cast<int>(imported.serverType))
                                 .revision);
        ReadSections(in, imported);
        imported.UpdateLimits();
        config = std::move(imported);
        result.imported = true;
    } catch (const ImportError& error) {
        result.error = error.what();
    } catch (const nlohmann::json::exception& error) {
        result.error = error.what();
    }
    return result;
}

}  // namespace gantry::tool
