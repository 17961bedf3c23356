// Reading the configuration's records from the gateway (refresh, upload) and
// writing them to it (download), each request through the request gate in a
// fixed order. Gate thread only; one request at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tool/device/Device.h"
#include "tool/device/RequestGate.h"
#include "tool/model/ConfigFile.h"
#include "tool/model/Configuration.h"

namespace gantry::tool {

// What a refresh did with a record's screen.
enum class RefreshOutcome {
    Disabled,  // no working gateway: reported values cleared, controls disabled
    Offline,   // offline mode: the reported values marked offline, nothing read
    Read,      // values read from the gateway
};

// A write of a download that the gateway did not take: refused (a non-zero
// general status) or unanswered (the exchange failed, or was not even sent
// because the connection was already gone).
struct FailedWrite {
    std::uint8_t service = 0;
    std::uint16_t classId = 0;
    std::uint16_t instance = 0;
    std::int16_t attribute = -1;  // -1 for a service without one (Save, a whole point)
    bool answered = false;
    std::uint8_t generalStatus = 0;  // the refusal's status when answered
};

// Every write a download sent, and those that failed.
struct WriteLog {
    int attempted = 0;
    std::vector<FailedWrite> failed;
    // What became of the switch to Idle before the DeviceNet writes, when one
    // was made. It changes the gateway's state, not its configuration: the
    // counts above and the warning after a download leave it out.
    std::optional<RequestOutcome> idleSwitch;
};

// The progress of an I/O table transfer: called with point 0 of `total` once
// the entry count is known (read before an upload, written before a
// download), then with point k of `total` after the k-th point's request.
using IoProgress = std::function<void(int point, int total)>;

// The gateway's side of a refresh or download: the gate, the identity (run
// state, pair, revision) and whether the pair has a Modbus master. Writes are
// recorded in `writes` when it is given; the I/O table's transfer is told to
// `progress` when it is given.
struct DeviceLink {
    CRequestGate& gate;
    CDevice& device;
    WriteLog* writes = nullptr;
    const IoProgress* progress = nullptr;
};

// "J1939 I/O point 5", "Modbus attribute 4", "Save of the J1939 I/O table".
std::string DescribeWrite(const FailedWrite& write);
// The warning after a download whose writes did not all succeed: how many
// failed, the refused and the unanswered ones by name (at most 10 of each,
// then a count), and whether the gateway stopped answering. Empty when none
// failed.
std::string DescribeFailedWrites(const WriteLog& log, bool gatewayLost);

RefreshOutcome RefreshDeviceNet(DeviceLink link, DeviceNetSettings& settings);
RefreshOutcome RefreshModbus(DeviceLink link, ModbusSettings& settings);
RefreshOutcome RefreshEnhancedModbus(DeviceLink link, EnhancedModbusSettings& settings);
// A refused timeout read counts as 0, a refused I/O size read as 500.
RefreshOutcome RefreshEthernet(DeviceLink link, EthernetSettings& settings);
// Attributes 1 to 10 of class 110. The baud-rate index selects an entry only
// when config's list (from the identity's revision) has it.
RefreshOutcome RefreshJ1939Settings(DeviceLink link, CConfiguration& config);
// Not in offline mode (false): both arrays are emptied, the entry count read
// (0 when the read is not carried), each point read and added by its table
// type, both arrays sorted. Older firmware sends 14-byte records: priority 6.
// The table holds at most 200 points: a larger count is told through the
// gate's notifier (f_szUploadLimit, caption "Configuration Limit") and only
// the first 200 entries are read.
bool UploadJ1939IoTable(DeviceLink link, CJ1939IO& io);
// "The gateway reports %u I/O points; the table holds at most 200: only the
// first 200 were read."
std::string UploadLimitText(unsigned claimed);

// The writes of each record (no Save). The records are judged before, once,
// by the session (NetworkRules): these write what they are given. The
// DeviceNet writes start with the switch to Idle (logged as the link's
// idleSwitch) and the wait for the gateway to take it.
void WriteDeviceNet(DeviceLink link, const DeviceNetSettings& settings);
void WriteModbus(DeviceLink link, const ModbusSettings& settings);
void WriteEnhancedModbus(DeviceLink link, const EnhancedModbusSettings& settings);
void WriteEthernet(DeviceLink link, const EthernetSettings& settings);
// Attributes 4 to 10.
void WriteJ1939Settings(DeviceLink link, const J1939Settings& settings);
// The entry count, then inputs as instances 1..n and outputs as n+1..n+m.
void WriteJ1939IoTable(DeviceLink link, const CJ1939IO& io);

// Sends Save (service 22) to instance 0 of the class.
void SaveObject(DeviceLink link, std::uint16_t classId);

}  // namespace gantry::tool
