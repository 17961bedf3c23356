#include "tool/device/ProductCatalogue.h"

#include "tool/device/IdentityValues.h"

namespace gantry::tool {

namespace {

struct InterfaceTypeEntry {
    int code;
    const char* name;
};

// Ended by code 13, whose name stands for every unknown code.
constexpr InterfaceTypeEntry f_interfaceTypes[] = {
    {IT_DeviceNetMaster, "DeviceNet Master"},
    {IT_DeviceNetSlave, "DeviceNet Slave"},
    {IT_ControlNetScanner, "ControlNet Scanner"},
    {IT_ControlNetAdapter, "ControlNet Adapter"},
    {IT_EthernetClient, "Ethernet Client"},
    {IT_EthernetServer, "Ethernet Server"},
    {IT_ModbusMaster, "Modbus Master"},
    {IT_ModbusSlave, "Modbus Slave"},
    {IT_J1939, "J1939"},
    {IT_J1708, "J1708/J1587"},
    {IT_ProfibusSlave, "PROFIBUS Slave"},
    {IT_ModbusSlaveEnhanced, "Modbus Slave"},
    {IT_EndOfTable, "Undefined communication library type"},
};

const ProductCombination f_knownProducts[kKnownProductCount] = {
    {"Ethernet to DeviceNet Gateway", MakeRevision(2, 2), IT_DeviceNetMaster, IT_EthernetServer},
    {"PROFIBUS to DeviceNet Gateway", MakeRevision(2, 3), IT_DeviceNetMaster, IT_ProfibusSlave},
    {"J1939 to Modbus Interface", MakeRevision(2, 6), IT_J1939, IT_ModbusSlave},
    {"Ethernet to J1939 Gateway", MakeRevision(2, 7), IT_J1939, IT_EthernetServer},
    {"PROFIBUS to J1939 Gateway", MakeRevision(1, 7), IT_J1939, IT_ProfibusSlave},
};

}  // namespace

const char* InterfaceTypeName(int code) {
    for (const InterfaceTypeEntry& entry : f_interfaceTypes) {
        if (entry.code == code || entry.code == IT_EndOfTable) {
            return entry.name;
        }
    }
    return f_interfaceTypes[std::size(f_interfaceTypes) - 1].name;
}

int InterfaceTypeFromName(const std::string& name) {
    for (const InterfaceTypeEntry& entry : f_interfaceTypes) {
        if (entry.code != IT_EndOfTable && name == entry.name) {
            return entry.code;
        }
    }
    return -1;
}

bool operator==(const ProductCombination& a, const ProductCombination& b) {
    return a.name == b.name && a.revision == b.revision && a.clientType == b.clientType &&
           a.serverType == b.serverType;
}

std::span<const ProductCombination> KnownProductCombinations() {
    return f_knownProducts;
}

ProductCombination LookupProductCombination(int clientType, int serverType) {
    for (const ProductCombination& product : f_knownProducts) {
        if (product.clientType == clientType && product.serverType == serverType) {
            return product;
        }
    }
    return ProductCombination{"Unknown Gantry Combination", MakeRevision(1, 1), clientType,
                              serverType};
}

std::string ProductMismatchText(int fileClient, int fileServer, int gatewayClient,
                                int gatewayServer) {
    return "The file is for the " + LookupProductCombination(fileClient, fileServer).name +
           "; the connected gateway is the " +
           LookupProductCombination(gatewayClient, gatewayServer).name + ".";
}

ProductCombination ProductCombinationForIndex(int index) {
    if (index >= 0 && index < kKnownProductCount) {
        return f_knownProducts[index];
    }
    return LookupProductCombination(-1, -1);
}

}  // namespace gantry::tool
