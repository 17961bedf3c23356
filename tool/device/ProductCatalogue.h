// The gateway products the tool knows: the interface type codes and names of
// each side, and the five product combinations with their display names and
// revisions. Pure data and look-ups, no I/O.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace gantry::tool {

// Interface type codes naming each side of a gateway.
enum InterfaceType : int {
    IT_DeviceNetMaster = 1,
    IT_DeviceNetSlave = 2,
    IT_ControlNetScanner = 3,
    IT_ControlNetAdapter = 4,
    IT_EthernetClient = 5,
    IT_EthernetServer = 6,
    IT_ModbusMaster = 7,
    IT_ModbusSlave = 8,
    IT_J1939 = 9,
    IT_J1708 = 10,
    IT_ProfibusSlave = 11,
    IT_ModbusSlaveEnhanced = 12,
    IT_EndOfTable = 13,
};

// Whether `code` names an interface type (1 to 12).
inline bool IsKnownInterfaceType(std::uint32_t code) {
    return code >= IT_DeviceNetMaster && code < IT_EndOfTable;
}

// The display name of an interface type; "Undefined communication library
// type" for any code outside 1 to 12.
const char* InterfaceTypeName(int code);
// The code whose display name is exactly `name` (case matters; the first of
// the two "Modbus Slave" entries wins); -1 when none.
int InterfaceTypeFromName(const std::string& name);

// A gateway's product: display name, revision word (low byte major, high byte
// minor) and interface pair.
struct ProductCombination {
    std::string name;
    std::uint16_t revision = 0;
    int clientType = -1;
    int serverType = -1;
};

bool operator==(const ProductCombination& a, const ProductCombination& b);

// The five known combinations in the order of the new-module list.
std::span<const ProductCombination> KnownProductCombinations();
inline constexpr int kKnownProductCount = 5;
// The combination of the pair: a known entry, or "Unknown Gantry Combination"
// with revision 1.01 carrying the given pair.
ProductCombination LookupProductCombination(int clientType, int serverType);
// Why a file of one pair cannot go to a gateway of another, naming both
// products: "The file is for the NAME; the connected gateway is the NAME."
std::string ProductMismatchText(int fileClient, int fileServer, int gatewayClient,
                                int gatewayServer);
// The combination of a selection index of the new-module list (0..4); an index
// outside the list gives the unknown entry with the pair -1, -1.
ProductCombination ProductCombinationForIndex(int index);

}  // namespace gantry::tool
