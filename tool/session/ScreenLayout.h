// Which screens the main frame stacks for a product pair, in which order and
// how high, and which fields of the J1939 and DeviceNet screens are shown for
// the gateway's pair and firmware revision. Pure functions; the desktop
// screens and the command line ask these instead of deciding themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gantry::tool {

// The screens a layout can hold.
enum class ScreenKind {
    StatusView,
    Ethernet,
    DeviceNet,
    Modbus,
    EnhancedModbus,
    J1939Settings,
    J1939IoLists,
};

// The screen's name as the command line and the logs show it.
const char* ScreenName(ScreenKind screen);

struct LayoutRow {
    ScreenKind screen = ScreenKind::StatusView;
    int height = 0;  // pixels

    bool operator==(const LayoutRow&) const = default;
};

// The screens of one pair, top to bottom.
struct ScreenLayout {
    int clientType = -1;
    int serverType = -1;
    std::vector<LayoutRow> rows;
    // Total height in pixels: 104 for the status view alone; else the rows'
    // sum, plus 8 when the pair has no J1939 side.
    int height = 0;

    // One row: the status view fills the frame, no splitter.
    bool IsSingleScreen() const { return rows.size() == 1; }
    bool Shows(ScreenKind screen) const;
};

inline constexpr int f_nStatusViewHeight = 104;

// Number of rows: 1 for the status view, +1 for DeviceNet (a type 1 or 2),
// Modbus (8), enhanced Modbus (12) and Ethernet (6), +2 for J1939 (9).
int ScreenCountOfPair(int clientType, int serverType);
// Rows in the order status view, Ethernet, DeviceNet, Modbus, enhanced Modbus,
// J1939 settings, J1939 I/O lists, with their heights.
ScreenLayout LayoutOfPair(int clientType, int serverType);

// The J1939 baud-rate list: hidden unless the client type is 9 and the
// revision reaches the server type's first rate-capable firmware; then
// "250k", "500k" and, from the next firmware on, "125k" (index 0, 1, 2).
struct BaudRateList {
    bool visible = false;
    std::vector<std::string> items;
};
BaudRateList J1939BaudRateListOf(int clientType, int serverType, std::uint16_t revision);

// Fields of the J1939 settings screen that depend on the gateway.
struct J1939Fields {
    bool statusDataInInput = false;  // client 9, server 11 only
    BaudRateList baudRates;
};
J1939Fields J1939FieldsOf(int clientType, int serverType, std::uint16_t revision);

// Fields of the DeviceNet screen that depend on the gateway's firmware.
struct DeviceNetFields {
    bool statusDataInInputTable = false;  // client 1, server 11, above 1.09
    bool inputSafeState = false;          // client 1: server 11 above 1.09, server 6 above 1.10
};
DeviceNetFields DeviceNetFieldsOf(int clientType, int serverType, std::uint16_t revision);

// Fields of the two Modbus screens: a Modbus master on either side hides the
// network address.
struct ModbusFields {
    bool networkAddress = true;
};
ModbusFields ModbusFieldsOf(int clientType, int serverType);

}  // namespace gantry::tool
