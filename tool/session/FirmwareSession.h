// The firmware update as the "Flash Update" dialog and the command line's
// flash command run it on the configuration session: the revision rows of the
// two lists, the update procedure with its progress and messages, the status
// view's mode display when the procedure has put the gateway into Idle, and
// the Upload that follows a procedure that closed the dialog.
//
// Qt-free; the session's thread only. Message boxes go through the session's
// notifier.
#pragma once

#include <string>
#include <vector>

#include "tool/device/FirmwareUpdate.h"
#include "tool/session/ConfigurationSession.h"

namespace gantry::tool {

// One row of the "Device Revisions" or "Image Revisions" list: the columns
// "Module" and "Revision".
struct RevisionRow {
    std::string module;
    std::string revision;

    bool operator==(const RevisionRow&) const = default;
};

// The areas the gateway reported present, in area order.
std::vector<RevisionRow> DeviceRevisionRows(const DeviceAreaRevisions& revisions);
// The areas the description names, in area order, with the image's revision.
std::vector<RevisionRow> ImageRevisionRows(const CFirmwareUpdate& update);

// After a verified update, the window's word on the gateway's mode: the
// update leaves it in Idle, and only the user returns it to Run.
inline constexpr const char* f_szUpdatedInIdle =
    "The firmware was updated. The gateway is in Idle: choose Run in the Mode list of the status "
    "view to return it to Run.";
// After a failed transfer: the firmware was not updated, and the gateway's
// state (`runState` read after the recovery; ignored when it did not answer).
std::string NotUpdatedText(FlashOutcome outcome, int runState);

// The dialog's two status texts once a procedure that closes it has ended,
// set before its closing message shows: what became of the firmware, never
// the progress or "Please Wait..." of a step that is over.
struct ClosingTexts {
    std::string first;
    std::string second;
};
ClosingTexts ClosingTextsOf(FlashOutcome outcome);

class CFirmwareSession : private IFirmwareUpdateListener {
public:
    // `view` gets the progress, status texts, revision changes, busy changes
    // and the event pumps (may be null). Both must outlive this object.
    CFirmwareSession(ConfigurationSession& session, IFirmwareUpdateListener* view);

    // Opening the dialog: Start disabled, the device revisions read. False
    // after the message when area 1 or 2 did not answer: the dialog closes.
    bool Open();
    // Reads the description at `path` (see CFirmwareUpdate::SelectFile).
    bool SelectFile(const std::string& path);
    // Runs the update procedure. When the gateway is switched to Idle for it,
    // the status view's mode display follows. When it ends in a way that
    // closes the dialog, the view gets the closing texts (ClosingTextsOf)
    // first, then the closing message shows: the procedure's word on the
    // revisions, or NotUpdatedText after a failed transfer. ClosesDialog() is
    // then true and the caller closes the dialog, then calls Finish().
    FlashOutcome Start();
    // After the dialog closed at the end of a procedure: the session's Upload,
    // so every screen shows the gateway as it now is. Does nothing otherwise.
    void Finish();

    bool ClosesDialog() const { return m_uploadPending; }
    // Whether Start can run (a description was read, and no image check failed).
    bool StartEnabled() const { return m_update.IsStartEnabled(); }
    FlashOutcome LastOutcome() const { return m_outcome; }
    const CFirmwareUpdate& Update() const { return m_update; }
    std::vector<RevisionRow> DeviceRows() const;
    std::vector<RevisionRow> ImageRows() const;

private:
    // The closing texts on the view, then the closing message.
    void ShowOutcome();
    void DeviceRevisionsChanged(const DeviceAreaRevisions& revisions) override;
    void ProgressChanged(const FirmwareProgress& progress) override;
    void StatusTextsChanged(const std::string& first, const std::string& second) override;
    void BusyChanged(bool busy) override;
    void ProcessEvents() override;

    ConfigurationSession& m_session;
    IFirmwareUpdateListener* m_view;
    CFirmwareUpdate m_update;
    bool m_uploadPending = false;
    FlashOutcome m_outcome = FlashOutcome::NotStarted;
};

}  // namespace gantry::tool
