// What a download did, as the session reports it to the front ends and as
// the download's backup and read-back check look at it.
#pragma once

#include <vector>

#include "tool/model/DeviceSync.h"
#include "tool/model/Refusal.h"

namespace gantry::tool {

enum class DownloadOutcome {
    Declined,     // the caution question was not answered Yes
    NoModule,     // no working gateway when the download began
    Refused,      // a screen refused its entries: nothing was written
    NotBackedUp,  // the gateway's configuration could not be backed up: nothing was written
    Written,      // the records were written and one Save sent
};

struct DownloadReport {
    DownloadOutcome outcome = DownloadOutcome::Declined;
    std::vector<Refusal> refusals;   // every message shown, in order
    int saveClass = -1;              // the class that got the Save, -1 none
    bool moduleAbsentAfter = false;  // the final run-state read found no module
    // Written: every write sent and those the gateway refused or left
    // unanswered; when any failed, one warning (caption "Configuration
    // Download") named them.
    WriteLog writes;
    // A write went unanswered or the final run-state read found no module.
    bool gatewayLost = false;
    bool Complete() const { return outcome == DownloadOutcome::Written && writes.failed.empty(); }
};

// The text and caption of the download's caution question.
inline constexpr const char* f_szDownloadCaution =
    "CAUTION!\n\nDownloading the configuration may cause the device to reset\nor active "
    "connections to be interrupted.\n\nDo you wish to continue?";
inline constexpr const char* f_szDownloadCaption = "Configuration Download";

}  // namespace gantry::tool
