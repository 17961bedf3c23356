#include "tool/session/ScreenLayout.h"

#include <algorithm>

#include "tool/device/DeviceRequest.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/model/J1939Settings.h"
#include "tool/model/NetworkSettings.h"

namespace gantry::tool {

namespace {

bool EitherIs(int clientType, int serverType, int code) {
    return clientType == code || serverType == code;
}

bool HasDeviceNet(int c, int s) {
    return EitherIs(c, s, IT_DeviceNetMaster) || EitherIs(c, s, IT_DeviceNetSlave);
}

constexpr int f_nEthernetHeight = 145;
constexpr int f_nDeviceNetHeight = 120;
constexpr int f_nModbusHeight = 90;
constexpr int f_nEnhancedModbusHeight = 130;
constexpr int f_nJ1939SettingsHeight = 140;
constexpr int f_nJ1939IoListsHeight = 230;
// the splitter's borders when the tall J1939 rows are absent
constexpr int f_nNoJ1939Allowance = 8;

// Revision words compared as major × 256 + minor.
constexpr int f_nDeviceNet109 = 1 * 256 + 9;
constexpr int f_nDeviceNet110 = 1 * 256 + 10;

}  // namespace

const char* ScreenName(ScreenKind screen) {
    switch (screen) {
        case ScreenKind::StatusView:
            return "status";
        case ScreenKind::Ethernet:
            return "ethernet";
        case ScreenKind::DeviceNet:
            return "devicenet";
        case ScreenKind::Modbus:
            return "modbus";
        case ScreenKind::EnhancedModbus:
            return "modbus-enhanced";
        case ScreenKind::J1939Settings:
            return "j1939";
        case ScreenKind::J1939IoLists:
            return "j1939-io";
    }
    return "";
}

bool ScreenLayout::Shows(ScreenKind screen) const {
    return std::any_of(rows.begin(), rows.end(),
                       [screen](const LayoutRow& row) { return row.screen == screen; });
}

int ScreenCountOfPair(int c, int s) {
    return 1 + (HasDeviceNet(c, s) ? 1 : 0) + (EitherIs(c, s, IT_ModbusSlave) ? 1 : 0) +
           (EitherIs(c, s, IT_ModbusSlaveEnhanced) ? 1 : 0) + (EitherIs(c, s, IT_J1939) ? 2 : 0) +
           (EitherIs(c, s, IT_EthernetServer) ? 1 : 0);
}

ScreenLayout LayoutOfPair(int c, int s) {
    ScreenLayout layout;
    layout.clientType = c;
    layout.serverType = s;
    layout.rows.push_back({ScreenKind::StatusView, f_nStatusViewHeight});
    if (EitherIs(c, s, IT_EthernetServer)) {
        layout.rows.push_back({ScreenKind::Ethernet, f_nEthernetHeight});
    }
    if (HasDeviceNet(c, s)) {
        layout.rows.push_back({ScreenKind::DeviceNet, f_nDeviceNetHeight});
    }
    if (EitherIs(c, s, IT_ModbusSlave)) {
        layout.rows.push_back({ScreenKind::Modbus, f_nModbusHeight});
    }
    if (EitherIs(c, s, IT_ModbusSlaveEnhanced)) {
        layout.rows.push_back({ScreenKind::EnhancedModbus, f_nEnhancedModbusHeight});
    }
    const bool j1939 = EitherIs(c, s, IT_J1939);
    if (j1939) {
        layout.rows.push_back({ScreenKind::J1939Settings, f_nJ1939SettingsHeight});
        layout.rows.push_back({ScreenKind::J1939IoLists, f_nJ1939IoListsHeight});
    }
    if (layout.IsSingleScreen()) {
        layout.height = f_nStatusViewHeight;
        return layout;
    }
    for (const LayoutRow& row : layout.rows) {
        layout.height += row.height;
    }
    if (!j1939) {
        layout.height += f_nNoJ1939Allowance;
    }
    return layout;
}

BaudRateList J1939BaudRateListOf(int c, int s, std::uint16_t revision) {
    BaudRateList list;
    if (c < 0 || s < 0) {
        return list;
    }
    const int choices = J1939BaudRateChoices(static_cast<std::uint32_t>(c),
                                             static_cast<std::uint32_t>(s), revision);
    static const char* const f_baudTexts[] = {"250k", "500k", "125k"};
    list.visible = choices > 0;
    for (int i = 0; i < choices && i < 3; ++i) {
        list.items.emplace_back(f_baudTexts[i]);
    }
    return list;
}

J1939Fields J1939FieldsOf(int c, int s, std::uint16_t revision) {
    J1939Fields fields;
    fields.statusDataInInput = c == IT_J1939 && s == IT_ProfibusSlave;
    fields.baudRates = J1939BaudRateListOf(c, s, revision);
    return fields;
}

DeviceNetFields DeviceNetFieldsOf(int c, int s, std::uint16_t revision) {
    DeviceNetFields fields;
    const int order = RevisionOrder(revision);
    const bool master = c == IT_DeviceNetMaster;
    fields.statusDataInInputTable = master && s == IT_ProfibusSlave && order > f_nDeviceNet109;
    fields.inputSafeState = master && ((s == IT_ProfibusSlave && order > f_nDeviceNet109) ||
                                       (s == IT_EthernetServer && order > f_nDeviceNet110));
    return fields;
}

ModbusFields ModbusFieldsOf(int c, int s) {
    ModbusFields fields;
    fields.networkAddress =
        c < 0 || s < 0 ||
        !IsModbusMasterPair(static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(s));
    return fields;
}

}  // namespace gantry::tool
