// CDevice: the tool's cached identity and run state of the connected gateway,
// and the operations that read them through the request gate. One instance,
// held by the main frame (or the command line). Gate thread only.
#pragma once

#include <cstdint>
#include <string>

#include "tool/device/DeviceRequest.h"
#include "tool/device/DeviceResult.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/device/RequestGate.h"

namespace gantry::tool {

// Run state of the gateway: 0 Idle, 1 Run, 2 Faulted; the tool stores 3 when no
// gateway answers and starts with -1 (never read).
enum RunState : int {
    RS_Unknown = -1,
    RS_Idle = 0,
    RS_Run = 1,
    RS_Faulted = 2,
    RS_NotDetected = 3,
};

// The module counts as present when the state is Idle or Run.
inline bool IsModulePresent(int runState) {
    return runState == RS_Idle || runState == RS_Run;
}

// What stands for the gateway in offline mode: the application's product
// combination and the Identity attribute 100 value copied from the last gateway.
struct OfflineIdentity {
    ProductCombination product = ProductCombinationForIndex(0);
    std::uint16_t attribute100 = 0;
};

class CDevice {
public:
    // `gate` and `offline` must outlive the device.
    CDevice(CRequestGate& gate, const OfflineIdentity& offline);

    // Offline: RunState := 0. Online: connects first when not connected (the
    // only place that connects; 3 when that fails), then reads Identity
    // attribute 103; 3 when the read fails. Returns the new RunState.
    int ReadRunState();
    // Only 0 and 1 are accepted. Writes attribute 103, sleeps 1 ms, then reads
    // the run state up to ten times, 100 ms apart, until it equals `value` or
    // the module is absent (2 or 3). Callers look at GetRunState() afterwards.
    void SetRunState(int value);
    // The wait of SetRunState after its write (for a caller that wrote the
    // run state itself): 1 ms, then up to ten reads 100 ms apart.
    void AwaitRunState(int value);
    // Each read stores and returns the value; a read that cannot be carried
    // keeps the stored value. Offline they take the offline identity's values
    // (serial number and major fault 0).
    std::uint32_t ReadSerialNumber();
    std::uint16_t ReadRevision();  // attribute 4, then attribute 100
    std::string ReadProductName();
    int ReadClientType();
    int ReadServerType();
    int ReadMajorFault();
    // Set attribute 104 with no data; the request's result.
    DeviceResult ClearMajorFault();
    // ReadRunState; unless 3: product name, serial number, revision, client
    // type, server type, major fault in that order.
    void RefreshIdentity();
    // Resets the gateway through the gate (connection dropped afterwards) and
    // sets RunState := 3. Always Done.
    DeviceResult ResetDevice();
    // The cached identity and state, kept before a read the user may cancel
    // and put back when it is.
    struct Cache {
        std::uint16_t revision = 0;
        std::uint16_t attribute100 = 0;
        std::uint32_t serialNumber = 0;
        std::string productName;
        int clientType = -1;
        int serverType = -1;
        int runState = RS_Unknown;
        int majorFault = 0;
    };
    const Cache& Cached() const { return m_cache; }
    void Restore(const Cache& cache) { m_cache = cache; }
    // RunState := 3 (the frame's answer to a lost reply).
    void MarkNotDetected() { m_cache.runState = RS_NotDetected; }

    int GetRunState() const { return m_cache.runState; }
    bool IsPresent() const { return IsModulePresent(m_cache.runState); }
    std::uint16_t Revision() const { return m_cache.revision; }
    std::uint16_t Attribute100() const { return m_cache.attribute100; }
    std::uint32_t SerialNumber() const { return m_cache.serialNumber; }
    const std::string& ProductName() const { return m_cache.productName; }
    int ClientType() const { return m_cache.clientType; }
    int ServerType() const { return m_cache.serverType; }
    int MajorFault() const { return m_cache.majorFault; }

private:
    // Sends G 1/1/attribute; true when the gate carried it.
    bool ReadIdentityAttribute(std::int16_t attribute, DeviceReply& reply);

    CRequestGate& m_gate;
    const OfflineIdentity& m_offline;
    Cache m_cache;
};

}  // namespace gantry::tool
