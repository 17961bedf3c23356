#include "tool/model/DeviceSync.h"

#include "tool/device/IoPointRecord.h"

#include <algorithm>
#include <span>

namespace gantry::tool {

namespace {

constexpr std::int16_t f_nAttrRunState = 103;  // of the identity object

bool Get(DeviceLink link, std::uint16_t classId, std::int16_t attribute, DeviceReply& reply) {
    reply = DeviceReply{};
    return Succeeded(link.gate.SendDeviceRequest(MakeGetRequest(classId, 1, attribute), reply));
}

// A read whose refusal (non-zero status) counts as the given value.
bool GetOrDefault(DeviceLink link, std::uint16_t classId, std::int16_t attribute,
                  std::uint32_t refusedValue, bool word, std::uint32_t& value) {
    DeviceReply reply;
    if (!Get(link, classId, attribute, reply)) {
        return false;
    }
    if (reply.generalStatus != 0) {
        value = refusedValue;
    } else {
        value = word ? reply.Word(0) : reply.Byte(0);
    }
    return true;
}

// Sends a write of a sequence: after a lost reply the sequence sends nothing
// more, and the write counts as lost.
RequestOutcome SendWrite(DeviceLink link, const DeviceRequest& request, DeviceReply& reply) {
    return link.gate.SequenceLost() ? RequestOutcome::Lost : link.gate.Exchange(request, reply);
}

// Sends a write; the link's write log learns whether the gateway took it.
void Write(DeviceLink link, const DeviceRequest& request) {
    DeviceReply reply;
    const bool carried = SendWrite(link, request, reply) != RequestOutcome::Lost;
    if (link.writes == nullptr) {
        return;
    }
    ++link.writes->attempted;
    // offline the simulator answers every write: only its status counts
    if (!carried || reply.generalStatus != 0) {
        link.writes->failed.push_back(FailedWrite{request.service, request.classId,
                                                  request.instance, request.attribute, carried,
                                                  carried ? reply.generalStatus : std::uint8_t{0}});
    }
}

void Set(DeviceLink link, std::uint16_t classId, std::int16_t attribute,
         std::span<const std::uint8_t> data) {
    Write(link, MakeSetRequest(classId, 1, attribute, data));
}

void SetByte(DeviceLink link, std::uint16_t classId, std::int16_t attribute, std::uint32_t value) {
    const std::uint8_t data[1] = {static_cast<std::uint8_t>(value)};
    Set(link, classId, attribute, data);
}

void TellProgress(DeviceLink link, int point, int total) {
    if (link.progress != nullptr && *link.progress) {
        (*link.progress)(point, total);
    }
}

void SetWord(DeviceLink link, std::uint16_t classId, std::int16_t attribute, std::uint32_t value) {
    const std::uint8_t data[2] = {static_cast<std::uint8_t>(value),
                                  static_cast<std::uint8_t>(value >> 8)};
    Set(link, classId, attribute, data);
}

// The first two steps every refresh shares.
std::optional<RefreshOutcome> RefreshGate(DeviceLink link, ReportedValue& status,
                                          ReportedValue& fault) {
    if (!link.device.IsPresent()) {
        status.Clear();
        fault.Clear();
        return RefreshOutcome::Disabled;
    }
    if (link.gate.IsOffline()) {
        status.MarkOffline();
        fault.MarkOffline();
        return RefreshOutcome::Offline;
    }
    return std::nullopt;
}

// One attribute read of a refresh and what the record takes from its reply.
struct AttributeRead {
    std::int16_t attribute = 0;
    std::function<void(const DeviceReply&)> take;
};

// Reads the attributes of instance 1 of the class in turn; a read the
// gateway does not answer leaves its value as it was.
void ReadAttributes(DeviceLink link, std::uint16_t classId, std::span<const AttributeRead> reads) {
    DeviceReply reply;
    for (const AttributeRead& read : reads) {
        if (Get(link, classId, read.attribute, reply)) {
            read.take(reply);
        }
    }
}

bool IsModbusMaster(DeviceLink link) {
    return IsModbusMasterPair(static_cast<std::uint32_t>(link.device.ClientType()),
                              static_cast<std::uint32_t>(link.device.ServerType()));
}

bool IoPriorityCarried(DeviceLink link) {
    return IoPointHasPriority(link.device.ServerType(), link.device.Revision());
}

}  // namespace

RefreshOutcome RefreshDeviceNet(DeviceLink link, DeviceNetSettings& s) {
    if (auto outcome = RefreshGate(link, s.scannerStatus, s.fault)) {
        return *outcome;
    }
    const AttributeRead scanner[] = {
        {22, [&](const DeviceReply& r) { s.scannerStatus.Take(r.Byte(0)); }}};
    ReadAttributes(link, CLS_DeviceNetScanner, scanner);
    s.fault.Take(0);  // the DeviceNet side reports no fault of its own
    const AttributeRead reads[] = {
        {1, [&](const DeviceReply& r) { s.macAddress = r.Byte(0); }},
        {2,
         [&](const DeviceReply& r) {
             TakeListValue(s.baudIndex, r.Byte(0), IsDeviceNetBaudIndex(r.Byte(0)));
         }},
        {100, [&](const DeviceReply& r) { TakeCheckBox(r.Byte(0), s.autobaud); }},
        {101, [&](const DeviceReply& r) { TakeCheckBox(r.Byte(0), s.swapIo); }},
        {103, [&](const DeviceReply& r) { TakeCheckBox(r.Byte(0), s.statusInInput); }},
        {104, [&](const DeviceReply& r) { s.inputSafeState = r.Byte(0) <= 1 ? r.Byte(0) : 0; }},
    };
    ReadAttributes(link, CLS_DeviceNet, reads);
    return RefreshOutcome::Read;
}

RefreshOutcome RefreshModbus(DeviceLink link, ModbusSettings& s) {
    if (auto outcome = RefreshGate(link, s.status, s.fault)) {
        return *outcome;
    }
    const AttributeRead state[] = {
        {1, [&](const DeviceReply& r) { s.status.Take(r.Byte(0)); }},
        {2, [&](const DeviceReply& r) { s.fault.Take(r.Word(0)); }},
        {3, [&](const DeviceReply& r) { s.networkAddress = r.Byte(0); }},
    };
    // a Modbus master has no network address: it is not read at all
    ReadAttributes(link, CLS_Modbus, std::span(state).first(IsModbusMaster(link) ? 2 : 3));
    const AttributeRead reads[] = {
        {4,
         [&](const DeviceReply& r) {
             const std::uint32_t baud = r.Word(0) * 100u;  // the gateway keeps baud ÷ 100
             TakeListValue(s.baudRate, baud, IsModbusBaudRate(baud));
         }},
        {5,
         [&](const DeviceReply& r) {
             TakeListValue(s.parity, r.Byte(0), IsModbusParity(r.Byte(0)));
         }},
        {6,
         [&](const DeviceReply& r) {
             TakeListValue(s.stopBits, r.Byte(0), IsModbusStopBits(r.Byte(0)));
         }},
        {7, [&](const DeviceReply& r) { s.watchdogMs = r.Word(0); }},
    };
    ReadAttributes(link, CLS_Modbus, reads);
    return RefreshOutcome::Read;
}

RefreshOutcome RefreshEnhancedModbus(DeviceLink link, EnhancedModbusSettings& s) {
    const RefreshOutcome outcome = RefreshModbus(link, s);
    if (outcome != RefreshOutcome::Read) {
        return outcome;
    }
    const AttributeRead reads[] = {
        {8,
         [&](const DeviceReply& r) {
             TakeListValue(s.networkType, r.Byte(0), IsTwoEntryIndex(r.Byte(0)));
         }},
        {9,
         [&](const DeviceReply& r) {
             TakeListValue(s.networkDuplex, r.Byte(0), IsTwoEntryIndex(r.Byte(0)));
         }},
    };
    ReadAttributes(link, CLS_Modbus, reads);
    return outcome;
}

RefreshOutcome RefreshEthernet(DeviceLink link, EthernetSettings& s) {
    if (!link.device.IsPresent()) {
        return RefreshOutcome::Disabled;  // the Ethernet record only disables its controls
    }
    if (link.gate.IsOffline()) {
        return RefreshOutcome::Offline;  // and keeps its values
    }
    DeviceReply reply;
    if (Get(link, CLS_EthernetInterface, 1, reply)) {
        for (int i = 0; i < 4; ++i) {
            s.ip[static_cast<std::size_t>(i)] = reply.Byte(i);
            s.subnetMask[static_cast<std::size_t>(i)] = reply.Byte(4 + i);
            s.gateway[static_cast<std::size_t>(i)] = reply.Byte(8 + i);
        }
        s.dhcpIndex = EthernetListIndex(reply.Byte(12), 2);
        s.speedIndex = EthernetListIndex(reply.Byte(13), 3);
        s.duplexIndex = EthernetListIndex(reply.Byte(14), 3);
    }
    GetOrDefault(link, CLS_ModbusEthernet, 1, 0, true, s.modbusTimeoutMs);
    GetOrDefault(link, CLS_ModbusEthernet, 2, 500, true, s.ioSize);
    return RefreshOutcome::Read;
}

RefreshOutcome RefreshJ1939Settings(DeviceLink link, CConfiguration& config) {
    J1939Settings& s = config.j1939;
    if (auto outcome = RefreshGate(link, s.status, s.fault)) {
        if (*outcome == RefreshOutcome::Disabled) {
            s.networkAddress.Clear();
        }
        return *outcome;
    }
    const AttributeRead reads[] = {
        {1, [&](const DeviceReply& r) { s.status.Take(r.Byte(0)); }},
        {2, [&](const DeviceReply& r) { s.fault.Take(r.Word(0)); }},
        {3, [&](const DeviceReply& r) { s.networkAddress.Take(r.Byte(0)); }},
        {4, [&](const DeviceReply& r) { std::copy_n(r.data, s.name.size(), s.name.begin()); }},
        {5,
         [&](const DeviceReply& r) {
             s.addressList.clear();
             for (int i = 0; i < r.Byte(0); ++i) {
                 s.addressList.push_back(r.Byte(1 + i));
             }
         }},
        {6, [&](const DeviceReply& r) { TakeCheckBox(r.Byte(0), s.busOffReset); }},
        {7, [&](const DeviceReply& r) { TakeCheckBox(r.Byte(0), s.swapIo); }},
        // values other than 0 and 1 read as 0
        {8, [&](const DeviceReply& r) { s.statusInInput = r.Byte(0) == 1; }},
    };
    ReadAttributes(link, CLS_J1939Settings, reads);
    std::uint32_t value = 0;
    if (GetOrDefault(link, CLS_J1939Settings, 9, 0, true, value)) {
        s.offlineTimeMs = value;
    }
    if (GetOrDefault(link, CLS_J1939Settings, 10, 0, false, value)) {
        config.SelectJ1939BaudIndex(value);
    }
    return RefreshOutcome::Read;
}

bool UploadJ1939IoTable(DeviceLink link, CJ1939IO& io) {
    if (link.gate.IsOffline()) {
        return false;
    }
    io.Clear();
    DeviceReply reply;
    const DeviceRequest countRequest = MakeGetRequest(CLS_J1939IoTable, 0, 1);
    unsigned count =
        Succeeded(link.gate.SendDeviceRequest(countRequest, reply)) ? reply.Word(0) : 0u;
    if (count > f_nTotalPointLimit) {
        link.gate.Notifier().Notify(UploadLimitText(count), f_szConfigurationLimit,
                                    NotifyButtons::Ok, NotifyIcon::Warning);
        count = f_nTotalPointLimit;
    }
    TellProgress(link, 0, static_cast<int>(count));
    const bool priorityCarried = IoPriorityCarried(link);
    for (unsigned instance = 1; instance <= count; ++instance) {
        reply = DeviceReply{};
        const DeviceRequest request = MakeServiceRequest(SVC_GetAttributesAll, CLS_J1939IoTable,
                                                         static_cast<std::uint16_t>(instance));
        const bool carried = Succeeded(link.gate.SendDeviceRequest(request, reply));
        TellProgress(link, static_cast<int>(instance), static_cast<int>(count));
        if (!carried) {
            break;  // the connection is gone; the rest cannot be read
        }
        tagJ1939DataPoint point;
        if (reply.generalStatus != 0 || !DecodeIoPoint(reply.data, reply.dataLength, point)) {
            continue;  // a refused entry holds no point
        }
        if (!priorityCarried) {
            point.priority = kDefaultIoPriority;
        }
        io.Append(point);
    }
    io.SortBoth();
    return true;
}

// The DeviceNet side takes its settings in Idle only.
void SwitchToIdle(DeviceLink link) {
    const std::uint8_t idle[1] = {RS_Idle};
    DeviceReply reply;
    const RequestOutcome outcome =
        SendWrite(link, MakeSetRequest(CLS_Identity, 1, f_nAttrRunState, idle), reply);
    if (link.writes != nullptr) {
        link.writes->idleSwitch = outcome;
    }
    link.device.AwaitRunState(RS_Idle);
}

void WriteDeviceNet(DeviceLink link, const DeviceNetSettings& s) {
    SwitchToIdle(link);
    SetByte(link, CLS_DeviceNet, 101, s.swapIo);
    SetByte(link, CLS_DeviceNet, 103, s.statusInInput);
    SetByte(link, CLS_DeviceNet, 104, s.inputSafeState);
    SetByte(link, CLS_DeviceNet, 100, s.autobaud);
    SetByte(link, CLS_DeviceNet, 2, s.baudIndex);
    // a MAC write takes the node off the network: only when it changes
    DeviceReply reply;
    if (!Get(link, CLS_DeviceNet, 1, reply) || reply.Byte(0) != s.macAddress) {
        SetByte(link, CLS_DeviceNet, 1, s.macAddress);
    }
}

void WriteModbus(DeviceLink link, const ModbusSettings& s) {
    if (!IsModbusMaster(link)) {
        SetByte(link, CLS_Modbus, 3, s.networkAddress);
    }
    SetWord(link, CLS_Modbus, 4, s.baudRate / 100);
    SetByte(link, CLS_Modbus, 5, s.parity);
    SetByte(link, CLS_Modbus, 6, s.stopBits);
    SetWord(link, CLS_Modbus, 7, s.watchdogMs);
}

void WriteEnhancedModbus(DeviceLink link, const EnhancedModbusSettings& s) {
    WriteModbus(link, s);
    SetByte(link, CLS_Modbus, 8, s.networkType);
    SetByte(link, CLS_Modbus, 9, s.networkDuplex);
}

void WriteEthernet(DeviceLink link, const EthernetSettings& s) {
    std::uint8_t data[16] = {};
    for (std::size_t i = 0; i < 4; ++i) {
        data[i] = s.ip[i];
        data[4 + i] = s.subnetMask[i];
        data[8 + i] = s.gateway[i];
    }
    data[12] = static_cast<std::uint8_t>(s.dhcpIndex);
    data[13] = static_cast<std::uint8_t>(s.speedIndex);
    data[14] = static_cast<std::uint8_t>(s.duplexIndex);
    Set(link, CLS_EthernetInterface, 1, data);
    SetWord(link, CLS_ModbusEthernet, 1, s.modbusTimeoutMs);
    SetWord(link, CLS_ModbusEthernet, 2, s.ioSize);
}

void WriteJ1939Settings(DeviceLink link, const J1939Settings& s) {
    Set(link, CLS_J1939Settings, 4, s.name);
    Set(link, CLS_J1939Settings, 5, s.AddressListBytes());
    SetByte(link, CLS_J1939Settings, 6, s.busOffReset);
    SetByte(link, CLS_J1939Settings, 7, s.swapIo);
    SetByte(link, CLS_J1939Settings, 8, s.statusInInput);
    SetWord(link, CLS_J1939Settings, 9, s.offlineTimeMs);
    // written also when the list is hidden: 255 stands for no selection
    SetByte(link, CLS_J1939Settings, 10,
            s.baudIndex < 0 ? 255u : static_cast<std::uint32_t>(s.baudIndex));
}

void WriteJ1939IoTable(DeviceLink link, const CJ1939IO& io) {
    const std::uint32_t total = static_cast<std::uint32_t>(io.TotalCount());
    const std::uint8_t count[2] = {static_cast<std::uint8_t>(total),
                                   static_cast<std::uint8_t>(total >> 8)};
    Write(link, MakeSetRequest(CLS_J1939IoTable, 0, 1, count));
    TellProgress(link, 0, static_cast<int>(total));
    const int size = IoPointRecordSize(link.device.ServerType(), link.device.Revision());
    unsigned instance = 1;
    for (const auto* array : {&io.Inputs(), &io.Outputs()}) {
        for (const auto& p : *array) {
            std::uint8_t data[kIoPointRecordSize] = {};
            EncodeIoPoint(p, size, data, sizeof data);
            const DeviceRequest request = MakeServiceRequest(
                SVC_SetAttributesAll, CLS_J1939IoTable, static_cast<std::uint16_t>(instance++),
                std::span<const std::uint8_t>(data, static_cast<std::size_t>(size)));
            Write(link, request);
            TellProgress(link, static_cast<int>(request.instance), static_cast<int>(total));
        }
    }
}

void SaveObject(DeviceLink link, std::uint16_t classId) {
    Write(link, MakeServiceRequest(SVC_Save, classId, 0));
}

std::string UploadLimitText(unsigned claimed) {
    return "The gateway reports " + std::to_string(claimed) +
           " I/O points; the table holds at most " + std::to_string(f_nTotalPointLimit) +
           ": only the first " + std::to_string(f_nTotalPointLimit) + " were read.";
}

namespace {

const char* ClassName(std::uint16_t classId) {
    switch (classId) {
        case CLS_Identity:
            return "identity";
        case CLS_DeviceNet:
            return "DeviceNet";
        case CLS_J1939Settings:
            return "J1939 settings";
        case CLS_J1939IoTable:
            return "J1939 I/O table";
        case CLS_Modbus:
            return "Modbus";
        case CLS_EthernetInterface:
            return "Ethernet";
        case CLS_ModbusEthernet:
            return "Modbus TCP";
        default:
            return "object";
    }
}

// "a, b, c" of at most ten names, then how many more.
std::string NameList(const std::vector<std::string>& names) {
    constexpr std::size_t shownAtMost = 10;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < shownAtMost; ++i) {
        text += (i > 0 ? ", " : "") + names[i];
    }
    if (names.size() > shownAtMost) {
        text += " and " + std::to_string(names.size() - shownAtMost) + " more";
    }
    return text;
}

}  // namespace

std::string DescribeWrite(const FailedWrite& write) {
    if (write.service == SVC_Save) {
        return std::string("Save of the ") + ClassName(write.classId);
    }
    if (write.classId == CLS_J1939IoTable) {
        return write.instance == 0 ? "J1939 I/O point count"
                                   : "J1939 I/O point " + std::to_string(write.instance);
    }
    return std::string(ClassName(write.classId)) + " attribute " + std::to_string(write.attribute);
}

std::string DescribeFailedWrites(const WriteLog& log, bool gatewayLost) {
    if (log.failed.empty()) {
        return "";
    }
    std::vector<std::string> refused;
    std::vector<std::string> unanswered;
    for (const FailedWrite& write : log.failed) {
        (write.answered ? refused : unanswered).push_back(DescribeWrite(write));
    }
    std::string text =
        "The gateway did not store the whole configuration: " + std::to_string(log.failed.size()) +
        " of " + std::to_string(log.attempted) + " writes failed.";
    if (!refused.empty()) {
        text += "\nRefused by the gateway: " + NameList(refused) + ".";
    }
    if (!unanswered.empty()) {
        text += "\nNot answered: " + NameList(unanswered) + ".";
    }
    text += gatewayLost ? "\nThe gateway stopped answering during the download: check the line "
                          "and the gateway, then download again."
                        : "\nThe gateway still answers: check its settings and download again.";
    return text;
}

}  // namespace gantry::tool
