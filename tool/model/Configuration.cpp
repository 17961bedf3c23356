#include "tool/model/Configuration.h"

namespace gantry::tool {

void CConfiguration::SetRevision(std::uint16_t revision) {
    pgnLimits = PgnLimits::FromIdentity(serverType, revision);
    baudChoices = J1939BaudRateChoices(clientType, serverType, revision);
    if (j1939.baudIndex >= baudChoices) {
        j1939.baudIndex = f_nNoBaudSelection;
    }
}

TableCheck CConfiguration::SetNewDefaults() {
    const RecordSet records = Records();
    if (records.deviceNet) {
        deviceNet.SetDefaults();
    }
    if (records.modbus) {
        modbus.SetDefaults();
    }
    if (records.modbusEnhanced) {
        modbusEnhanced.SetDefaults();
    }
    if (records.j1939) {
        j1939.SetDefaults();
        SelectJ1939BaudIndex(0);
        io.Clear();
    }
    if (records.ethernet) {
        ethernet.SetDefaults();
    }
    return UpdateLimits();
}

TableCheck CConfiguration::UpdateLimits() {
    switch (serverType) {
        case 11:
            limits = DataTableLimits::ForProfibus(j1939.statusInInput);
            break;
        case 6:
            limits = DataTableLimits::ForEthernet(ethernet.ioSize);
            break;
        case 8:
            limits = DataTableLimits::ForModbus();
            break;
        default:
            return TableCheck{};
    }
    return CheckWholeTable(clientType == 9 ? &io : nullptr, limits);
}

void CConfiguration::SelectJ1939BaudIndex(std::uint32_t index) {
    j1939.baudIndex = index < static_cast<std::uint32_t>(baudChoices > 0 ? baudChoices : 0)
                          ? static_cast<std::int32_t>(index)
                          : f_nNoBaudSelection;
}

bool CConfiguration::SameStoredValues(const CConfiguration& o) const {
    if (clientType != o.clientType || serverType != o.serverType) {
        return false;
    }
    const RecordSet records = Records();
    return (!records.deviceNet || deviceNet.SameStoredValues(o.deviceNet)) &&
           (!records.modbus || modbus.SameStoredValues(o.modbus)) &&
           (!records.modbusEnhanced || modbusEnhanced.SameStoredValues(o.modbusEnhanced)) &&
           (!records.j1939 || (j1939.SameStoredValues(o.j1939) && io == o.io)) &&
           (!records.ethernet || ethernet.SameStoredValues(o.ethernet));
}

}  // namespace gantry::tool
