#include "tool/session/CommissioningReport.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "tool/model/ConfigFile.h"

#include "tool/device/ProductCatalogue.h"
#include "tool/session/IoListPresentation.h"
#include "tool/session/NetworkLists.h"
#include "tool/session/PaneLabels.h"
#include "tool/session/ReportedTexts.h"
#include "tool/session/ScreenLayout.h"
#include "tool/session/StatusPresentation.h"

#ifndef GANTRY_TOOL_VERSION
#define GANTRY_TOOL_VERSION "unknown"
#endif

namespace gantry::tool {

namespace {

const char* const f_szNotRecorded = "not recorded";

std::string YesNo(bool value) {
    return value ? "Yes" : "No";
}

// The item the pane's list shows for the value; empty when it shows none.
std::string ListText(NetworkList list, std::uint32_t value) {
    const int selection = NetworkListSelection(list, value, -1);
    const std::vector<std::string>& items = NetworkListItems(list);
    return selection >= 0 && selection < static_cast<int>(items.size())
               ? items[static_cast<std::size_t>(selection)]
               : std::string();
}

ReportSection DeviceNetSection(const CConfiguration& config, const DeviceNetFields& shown) {
    const DeviceNetSettings& d = config.deviceNet;
    ReportSection section{f_szDeviceNetTitle, {}};
    section.fields = {{f_szMacAddressLabel, std::to_string(d.macAddress)},
                      {f_szSwapIoLabel, YesNo(d.swapIo)}};
    if (shown.statusDataInInputTable) {
        section.fields.push_back({f_szStatusDataTableLabel, YesNo(d.statusInInput)});
    }
    section.fields.push_back(
        {f_szBaudRateLabel, ListText(NetworkList::DeviceNetBaudRate, d.baudIndex)});
    section.fields.push_back({f_szAutoBaudLabel, YesNo(d.autobaud)});
    if (shown.inputSafeState) {
        section.fields.push_back(
            {f_szInputSafeStateLabel, ListText(NetworkList::InputSafeState, d.inputSafeState)});
    }
    return section;
}

ReportSection ModbusSection(const ModbusSettings& m, const EnhancedModbusSettings* enhanced,
                            const ModbusFields& shown) {
    ReportSection section{f_szModbusTitle, {}};
    if (shown.networkAddress) {
        section.fields.push_back({f_szNetworkAddressLabel, std::to_string(m.networkAddress)});
    }
    section.fields.push_back(
        {f_szBaudRateLabel, ListText(NetworkList::ModbusBaudRate, m.baudRate)});
    section.fields.push_back({f_szParityLabel, ListText(NetworkList::ModbusParity, m.parity)});
    section.fields.push_back(
        {f_szStopBitsLabel, ListText(NetworkList::ModbusStopBits, m.stopBits)});
    section.fields.push_back(
        {enhanced ? f_szEnhancedWatchdogLabel : f_szWatchdogLabel, std::to_string(m.watchdogMs)});
    if (enhanced) {
        section.fields.push_back(
            {f_szNetworkTypeLabel, ListText(NetworkList::NetworkType, enhanced->networkType)});
        section.fields.push_back({f_szNetworkDuplexLabel,
                                  ListText(NetworkList::NetworkDuplex, enhanced->networkDuplex)});
    }
    return section;
}

ReportSection EthernetSection(const EthernetSettings& e) {
    return ReportSection{f_szEthernetTitle,
                         {{f_szDhcpLabel, ListText(NetworkList::EthernetDhcp, e.dhcpIndex)},
                          {f_szIpAddressLabel, FormatIpAddress(e.ip)},
                          {f_szSubnetMaskLabel, FormatIpAddress(e.subnetMask)},
                          {f_szGatewayAddressLabel, FormatIpAddress(e.gateway)},
                          {f_szSpeedLabel, ListText(NetworkList::EthernetSpeed, e.speedIndex)},
                          {f_szDuplexLabel, ListText(NetworkList::EthernetDuplex, e.duplexIndex)},
                          {f_szModbusTimeoutEnableLabel, YesNo(e.ModbusTimeoutEnabled())},
                          {f_szModbusTimeoutLabel, std::to_string(e.modbusTimeoutMs)},
                          {f_szIoSizeLabel, std::to_string(e.ioSize) + " bytes"}}};
}

ReportSection J1939Section(const J1939Settings& s, const J1939Fields& shown) {
    std::string addresses;
    for (std::uint8_t address : s.addressList) {
        addresses += (addresses.empty() ? "" : ", ") + std::to_string(address);
    }
    ReportSection section{f_szJ1939Title,
                          {{f_szDeviceNameLabel, FormatJ1939Name(s.name)},
                           {f_szNetAddressLabel, J1939NetworkAddressText(s)},
                           {f_szAddressListTitle, addresses},
                           {f_szBusOffResetLabel, YesNo(s.busOffReset)},
                           {f_szSwapIoLabel, YesNo(s.swapIo)}}};
    if (shown.statusDataInInput) {
        section.fields.push_back({f_szStatusInInputLabel, YesNo(s.statusInInput)});
    }
    section.fields.push_back({f_szOfflineDetectionLabel, YesNo(s.OfflineDetectionEnabled())});
    section.fields.push_back({f_szOfflineTimeLabel, std::to_string(s.offlineTimeMs)});
    const auto& items = shown.baudRates.items;
    if (shown.baudRates.visible) {
        const bool selected = s.baudIndex >= 0 && s.baudIndex < static_cast<int>(items.size());
        section.fields.push_back(
            {f_szJ1939BaudRateLabel, selected ? items[static_cast<std::size_t>(s.baudIndex)] : ""});
    }
    return section;
}

ReportTable IoTable(const CConfiguration& config, IoDirection list) {
    ReportTable table{IoTableTitle(list), {}, {}, {}};
    // the input list hides its Priority column
    auto shownColumn = [list](int i) {
        return list == IoDirection::Output || IoColumnAt(i) != IoColumn::Priority;
    };
    for (int i = 0; i < f_nIoColumnCount; ++i) {
        if (shownColumn(i)) {
            std::string header = IoColumnHeader(IoColumnAt(i), false);
            for (char& c : header) {
                c = c == '\n' ? ' ' : c;
            }
            table.headers.push_back(header);
        }
    }
    table.headers.push_back("Type");
    for (const tagJ1939DataPoint& point : config.io.Points(list)) {
        const std::vector<std::string> cells = IoRowTexts(point, IoColumnModes{}, list);
        std::vector<std::string> row;
        for (int i = 0; i < f_nIoColumnCount; ++i) {
            if (shownColumn(i)) {
                row.push_back(cells[static_cast<std::size_t>(i)]);
            }
        }
        row.push_back(IoTableTypeName(point.table));
        table.rows.push_back(std::move(row));
    }
    table.counts.push_back({f_szPgnCountLabel, IoPgnCountText(config.io, list) + " " +
                                                   IoPgnLimitText(config.pgnLimits, list)});
    return table;
}

void AddIoTables(const CConfiguration& config, CommissioningReport& report) {
    report.tables = {IoTable(config, IoDirection::Input), IoTable(config, IoDirection::Output)};
    const DataTableLimits& limits = config.limits;
    report.totals = {
        {f_szTotalCountLabel, IoTotalCountText(config.io) + " " + IoTotalLimitText()},
        {"Data table limits:", "input " + std::to_string(limits.inputBytes) + " bytes, output " +
                                   std::to_string(limits.outputBytes) + " bytes, combined " +
                                   std::to_string(limits.combinedBytes) + " bytes"}};
}

}  // namespace

ReportIdentity ReportIdentityOf(const CDevice& device) {
    const StatusTexts texts = StatusTextsOf(device);
    return ReportIdentity{texts.device,
                          texts.serialNumber,
                          texts.firmwareRevision,
                          RunStateText(device.GetRunState()),
                          "gateway",
                          device.Revision()};
}

ReportIdentity ReportIdentityOfFile(const CConfiguration& config, std::uint32_t runState,
                                    const std::string& path) {
    const ProductCombination product = LookupProductCombination(
        static_cast<int>(config.clientType), static_cast<int>(config.serverType));
    return ReportIdentity{
        product.name, f_szNotRecorded, f_szNotRecorded, RunStateText(static_cast<int>(runState)),
        path,         product.revision};
}

CommissioningReport BuildCommissioningReport(const CConfiguration& config,
                                             const ReportIdentity& identity,
                                             std::span<const std::uint8_t> cfgBytes,
                                             const std::string& date) {
    const int client = static_cast<int>(config.clientType);
    const int server = static_cast<int>(config.serverType);
    CommissioningReport report;
    report.title = "Commissioning Report: " + identity.product;
    report.header = {{"Device:", identity.product},
                     {"Client Interface:", InterfaceTypeName(client)},
                     {"Server Interface:", InterfaceTypeName(server)},
                     {"Serial Number:", identity.serialNumber},
                     {"Firmware Revision:", identity.firmwareRevision},
                     {"Mode:", identity.runState},
                     {"Source:", identity.source},
                     {"Date:", date},
                     {"Tool:", std::string("GYConfig ") + ToolVersion()},
                     {"Checksum of the .cfg (CRC-32):", Crc32Text(cfgBytes)}};
    for (const LayoutRow& row : LayoutOfPair(client, server).rows) {
        switch (row.screen) {
            case ScreenKind::DeviceNet:
                report.sections.push_back(
                    DeviceNetSection(config, DeviceNetFieldsOf(client, server, identity.revision)));
                break;
            case ScreenKind::Modbus:
                report.sections.push_back(
                    ModbusSection(config.modbus, nullptr, ModbusFieldsOf(client, server)));
                break;
            case ScreenKind::EnhancedModbus:
                report.sections.push_back(ModbusSection(
                    config.modbusEnhanced, &config.modbusEnhanced, ModbusFieldsOf(client, server)));
                break;
            case ScreenKind::Ethernet:
                report.sections.push_back(EthernetSection(config.ethernet));
                break;
            case ScreenKind::J1939Settings:
                report.sections.push_back(
                    J1939Section(config.j1939, J1939FieldsOf(client, server, identity.revision)));
                break;
            case ScreenKind::J1939IoLists:
                AddIoTables(config, report);
                break;
            default:
                break;
        }
    }
    return report;
}

CommissioningReport BuildSessionReport(const ConfigurationSession& session,
                                       const std::string& date) {
    const CConfiguration& config = session.Configuration();
    const auto runState = static_cast<std::uint32_t>(session.RunState());
    const ReportIdentity identity =
        StatusTextsOf(session.Device()).detected
            ? ReportIdentityOf(session.Device())
            : ReportIdentityOfFile(config, runState, session.DocumentTitle());
    return BuildCommissioningReport(config, identity, WriteConfigFile(config, runState), date);
}

std::string Crc32Text(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    char text[9];
    std::snprintf(text, sizeof text, "%08X", crc ^ 0xFFFFFFFFu);
    return text;
}

std::string UtcNowText() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &utc);
    return text;
}

const char* ToolVersion() {
    return GANTRY_TOOL_VERSION;
}

}  // namespace gantry::tool
