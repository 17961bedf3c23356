// The device procedures of the configuration session: the start, Refresh
// Device Status, Upload, Download, Clear Error Status, the run mode, Offline
// Configuration and Connect, each in its order of effects; the reads the user
// may cancel and the request sequences a lost reply ends.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "tool/model/Configuration.h"
#include "tool/session/DownloadReport.h"
#include "tool/session/RecordTransfer.h"
#include "tool/session/ScreenEntries.h"
#include "tool/session/SessionDocument.h"
#include "tool/session/SessionScreens.h"
#include "tool/session/SessionState.h"

namespace gantry::tool {

class CDownloadSafety;

class DeviceProcedures {
public:
    DeviceProcedures(SessionState& state, SessionScreens& screens, SessionDocument& document);
    ~DeviceProcedures();
    DeviceProcedures(const DeviceProcedures&) = delete;
    DeviceProcedures& operator=(const DeviceProcedures&) = delete;

    // The frame's first layout (status view alone), then Refresh Device Status.
    // Started offline (StartOffline) without a simulated gateway, the product
    // is chosen first (the new-module dialog).
    void Start();
    // Before Start: the tool starts offline with the gateway GYSim.ini
    // describes (its product and revision), as the command line's --offline.
    // false when the profile gives none: Start then asks for the product.
    bool StartOffline();

    // Refresh Device Status, Upload and Start are reads the user may cancel
    // (Gate().RequestCancel()): they stop between two requests, the records,
    // document, identity and layout are put back as they were, and the
    // listener hears ReadCancelled.
    //
    // Reads the run state (connecting when needed). No module: every screen
    // shows the absence. The same gateway (same non-zero serial number) that
    // only went between Idle and Run: the mode display and the error, read
    // again. Anything else: Upload.
    void RefreshDeviceStatus();
    // A modified document first asks the save-changes question (Cancel: false,
    // nothing read). Reads the identity, rebuilds the screens for a new pair
    // (then starts a new document) and reads every record the pair has and the
    // I/O table. Returns whether the screens were rebuilt.
    bool Upload();
    // Asks the caution question, reads the run state, validates every screen
    // of the layout (`entries`: texts the user left in the number entries), and
    // writes the records followed by one Save. Each refusal is shown. Before
    // the first write the gateway's configuration is backed up, after the
    // last request the records are read back (Safety()).
    DownloadReport Download(const ScreenEntries& entries = {});
    // The download of a file's records (the command line's): the records take
    // the file's values and this gateway's revision-dependent limits and
    // lists, then Download runs. The file's pair is the gateway's.
    DownloadReport DownloadConfiguration(const CConfiguration& records);
    // Clears the gateway's major fault and reads it again; the status view redraws.
    void ClearErrorStatus();
    // The status view's mode list: 0 Idle or 1 Run; other values do nothing.
    void SelectRunMode(int runState);
    // Another unit's procedure changed the run state (the firmware update's
    // switch to Idle): the status view's mode display follows.
    void ReportRunState();
    // Switches to offline mode (when online): with no module, starts a new
    // document (the save question and product choice; Cancel changes
    // nothing, the tool stays online); else the gateway's identity becomes the
    // offline one and the screens read the simulator.
    void OfflineConfiguration();
    // Back online (when offline): RunState and last state 3, then Refresh
    // Device Status, which therefore uploads whatever gateway answers.
    void Connect();
    // The download's backup and read-back check.
    CDownloadSafety& Safety() { return *m_safety; }

private:
    // What a cancelled read puts back.
    struct ReadSnapshot {
        CConfiguration config;
        CConfiguration snapshot;
        std::string documentPath;
        int lastState;
        std::uint32_t lastSerial;
        CDevice::Cache device;
        int layoutClient;
        int layoutServer;
    };
    // Runs `read` as one cancellable read (inside another, it is part of that
    // one); false when the user cancelled it.
    bool ReadCancellably(const std::function<void()>& read);
    // Runs `steps` as one request sequence (a refresh, an upload, a download):
    // a lost reply ends it. True when one did: the caller then runs
    // MarkNotDetected once.
    bool RunSequence(const std::function<void()>& steps);
    // The download's requests, from the run state to the Save.
    void DownloadInSequence(const ScreenEntries& entries, DownloadReport& report,
                            std::vector<RecordKind>& written);
    void PutBack(const ReadSnapshot& before);
    void RefreshStatus();
    bool UploadRecords();
    // After the writes: tells which the gateway refused or left unanswered.
    void WarnAboutFailedWrites(DownloadReport& report);

    SessionState& m_s;
    SessionScreens& m_screens;
    SessionDocument& m_document;
    std::unique_ptr<CDownloadSafety> m_safety;
};

}  // namespace gantry::tool
