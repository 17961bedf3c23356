// The configuration as the tool holds it: the product pair and one record of
// each kind. One instance lives as long as the program; New, Open and Upload
// overwrite it in place. Main thread only.
#pragma once

#include <cstdint>

#include "tool/model/IoRules.h"
#include "tool/model/J1939IO.h"
#include "tool/model/J1939Settings.h"
#include "tool/model/Limits.h"
#include "tool/model/NetworkSettings.h"

namespace gantry::tool {

class CConfiguration {
public:
    // The interface pair the records belong to (the device identity's pair).
    std::uint32_t clientType = 9;
    std::uint32_t serverType = 11;

    DeviceNetSettings deviceNet;
    ModbusSettings modbus;
    EnhancedModbusSettings modbusEnhanced;
    J1939Settings j1939;
    CJ1939IO io;
    EthernetSettings ethernet;

    // Held for the I/O list; set from the deciding setting (see UpdateLimits).
    DataTableLimits limits;
    PgnLimits pgnLimits;
    // Entries of the J1939 baud-rate list the gateway offers (0, 2 or 3).
    int baudChoices = 2;

    RecordSet Records() const { return RecordsOfPair(clientType, serverType); }

    // Revision-dependent parts for the identity's revision: PGN limits and the
    // J1939 baud-rate list (a selection the list no longer has is dropped).
    void SetRevision(std::uint16_t revision);

    // New configuration: the records the pair has take their defaults (Status
    // Data In Input of the J1939 settings keeps its value), both I/O arrays are
    // emptied, and the limits follow the new values.
    TableCheck SetNewDefaults();

    // Recomputes the data-table limits from the setting that decides them for
    // the server type (11: J1939 Status Data In Input; 6: Ethernet I/O size; 8:
    // Modbus) and, for a J1939 client, checks the whole table against them.
    TableCheck UpdateLimits();

    // Selects a J1939 baud-rate entry: the index when the list has it, else no
    // selection.
    void SelectJ1939BaudIndex(std::uint32_t index);

    // The pair and the stored values of the records the pair has (display
    // texts ignored).
    bool SameStoredValues(const CConfiguration& other) const;
};

}  // namespace gantry::tool
