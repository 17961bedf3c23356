// The transfer of a pair's records between the configuration and the gateway:
// which records are read and written, in which order, and which class gets the
// one Save, all from one table (DeviceNet, Modbus, enhanced Modbus, J1939
// settings with the I/O table, Ethernet). The session runs it; the record
// readers and writers themselves live in DeviceSync. A download's caller may
// act before its first write (the backup of what the gateway holds) and read
// back, after the Save, exactly the records it wrote.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tool/model/Configuration.h"
#include "tool/model/DeviceSync.h"

namespace gantry::tool {

// The records of a configuration, in the order they are read and written.
enum class RecordKind { DeviceNet, Modbus, EnhancedModbus, J1939, Ethernet };

// What a download wrote.
struct TransferResult {
    std::vector<RecordKind> written;  // the records written, in order
    int saveClass = -1;               // the class that got the Save, -1 none
    WriteLog writes;                  // every write and Save, and those that failed
    // The step before the first write stopped the download: nothing was sent.
    bool stopped = false;
};

// The step before a download's first write, given the download's link; false
// stops the download before anything is sent.
using BeforeFirstWrite = std::function<bool(DeviceLink)>;

// Reads every record of `records` into `config`, in order. The I/O table is
// read only while a module is present: without one the upload would read a
// count of 0 and empty the user's table. Inside a request sequence, a lost
// reply ends the refresh: the records not read yet keep their values.
void RefreshRecords(DeviceLink link, const RecordSet& records, CConfiguration& config);

// Writes every record of `records` in order, then one Save to the class of the
// last record written (Ethernet's when there is one, as it is written last).
// The records were judged before, once: nothing here refuses. Every write and
// the Save go to the result's write log; a refused one does not change the
// order of the requests that follow. Inside a request sequence, nothing is
// sent after a lost reply: the writes that follow are logged unanswered. `beforeFirstWrite`, when
// given, runs once before the first write; when it answers false nothing is written.
TransferResult DownloadRecords(DeviceLink link, const RecordSet& records,
                               const CConfiguration& config,
                               const BeforeFirstWrite& beforeFirstWrite = {});

// Reads the records a download wrote (its `written` list, in that order) into
// `config` with the readers of a refresh: the read-back of a download.
void ReadBackRecords(DeviceLink link, const std::vector<RecordKind>& written,
                     CConfiguration& config);

}  // namespace gantry::tool
