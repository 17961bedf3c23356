#include "tool/session/RecordTransfer.h"

namespace gantry::tool {

namespace {

// One record: whether a pair has it, its reader and writer, and the class its
// Save goes to when it is the last written.
struct RecordStep {
    RecordKind kind;
    bool RecordSet::*present;
    std::uint16_t saveClass;
    void (*refresh)(DeviceLink, CConfiguration&);
    void (*write)(DeviceLink, const CConfiguration&);
};

void RefreshJ1939(DeviceLink link, CConfiguration& config) {
    RefreshJ1939Settings(link, config);
    if (link.device.IsPresent() && !link.gate.SequenceLost()) {
        UploadJ1939IoTable(link, config.io);
    }
}

void WriteJ1939(DeviceLink link, const CConfiguration& config) {
    WriteJ1939Settings(link, config.j1939);
    WriteJ1939IoTable(link, config.io);
}

const RecordStep f_recordOrder[] = {
    {RecordKind::DeviceNet, &RecordSet::deviceNet, CLS_DeviceNet,
     [](DeviceLink l, CConfiguration& c) { RefreshDeviceNet(l, c.deviceNet); },
     [](DeviceLink l, const CConfiguration& c) { WriteDeviceNet(l, c.deviceNet); }},
    {RecordKind::Modbus, &RecordSet::modbus, CLS_Modbus,
     [](DeviceLink l, CConfiguration& c) { RefreshModbus(l, c.modbus); },
     [](DeviceLink l, const CConfiguration& c) { WriteModbus(l, c.modbus); }},
    {RecordKind::EnhancedModbus, &RecordSet::modbusEnhanced, CLS_Modbus,
     [](DeviceLink l, CConfiguration& c) { RefreshEnhancedModbus(l, c.modbusEnhanced); },
     [](DeviceLink l, const CConfiguration& c) { WriteEnhancedModbus(l, c.modbusEnhanced); }},
    {RecordKind::J1939, &RecordSet::j1939, CLS_J1939IoTable, RefreshJ1939, WriteJ1939},
    {RecordKind::Ethernet, &RecordSet::ethernet, CLS_EthernetInterface,
     [](DeviceLink l, CConfiguration& c) { RefreshEthernet(l, c.ethernet); },
     [](DeviceLink l, const CConfiguration& c) { WriteEthernet(l, c.ethernet); }},
};

}  // namespace

void RefreshRecords(DeviceLink link, const RecordSet& records, CConfiguration& config) {
    for (const RecordStep& step : f_recordOrder) {
        if (link.gate.SequenceLost()) {
            return;  // the records not read keep their values
        }
        if (records.*step.present) {
            step.refresh(link, config);
        }
    }
}

TransferResult DownloadRecords(DeviceLink target, const RecordSet& records,
                               const CConfiguration& config,
                               const BeforeFirstWrite& beforeFirstWrite) {
    TransferResult result;
    const DeviceLink link{target.gate, target.device, &result.writes, target.progress};
    if (beforeFirstWrite && !beforeFirstWrite(link)) {
        result.stopped = true;
        return result;
    }
    for (const RecordStep& step : f_recordOrder) {
        if (records.*step.present) {
            step.write(link, config);
            result.written.push_back(step.kind);
            result.saveClass = step.saveClass;
        }
    }
    if (result.saveClass >= 0) {
        SaveObject(link, static_cast<std::uint16_t>(result.saveClass));
    }
    return result;
}

void ReadBackRecords(DeviceLink link, const std::vector<RecordKind>& written,
                     CConfiguration& config) {
    for (const RecordKind kind : written) {
        for (const RecordStep& step : f_recordOrder) {
            if (step.kind == kind) {
                step.refresh(link, config);
            }
        }
    }
}

}  // namespace gantry::tool
