// The firmware update: reads the revisions of the gateway's four storage areas
// (class 161), reads and checks an update description file (.nvs), and writes
// the images it names with the update (75) and transfer (77) services,
// resetting and reconnecting after an image when the description asks for it,
// then checks that the gateway reports the promised revisions.
//
// Qt-free: message boxes go through the gate's notifier, progress and the
// status texts through an IFirmwareUpdateListener, every pause through the
// gate's clock. The caller (the "Flash Update" dialog, the command line's
// flash command) runs the configuration Upload after a Start that closed.
// Gate thread only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "tool/device/Device.h"
#include "tool/device/FirmwareDescription.h"
#include "tool/device/Notifier.h"
#include "tool/device/RequestGate.h"

namespace gantry::tool {

class CFirmwareImage;

// The largest chunk a transfer request can carry: the data area less the
// 4-byte offset.
inline constexpr int kMaxTransferChunk = kDeviceDataSize - 4;

// "Carrier Board", "Boot", "Fieldbus 1", "Fieldbus 2" for areas 1 to 4; "" else.
const char* FirmwareAreaName(int area);

// What the gateway reported for one storage area.
struct DeviceAreaRevision {
    bool present = false;
    // the word as the gateway sends it: low byte major, high byte minor
    // (FormatRevision shows it)
    std::uint16_t revision = 0;
};

using DeviceAreaRevisions = std::array<DeviceAreaRevision, kFirmwareAreaCount>;

// The progress of one image's transfer as the dialog shows it.
struct FirmwareProgress {
    int area = 0;                 // the storage area being written
    int position = 0;             // progress bar position, 0..range
    int range = 0;                // chunk count
    std::string transferredText;  // "Transferred %d of %d Bytes"
    std::string updateText;       // "Update %d of %d"
};

// What the dialog (or the command line) shows while the procedure runs. Every
// method defaults to nothing.
class IFirmwareUpdateListener {
public:
    virtual ~IFirmwareUpdateListener() = default;
    // The device revision rows changed (after every read of the revisions).
    virtual void DeviceRevisionsChanged(const DeviceAreaRevisions& revisions) { (void)revisions; }
    // Progress of the current image: at chunk 0, every tenth chunk, and at the end.
    virtual void ProgressChanged(const FirmwareProgress& progress) { (void)progress; }
    // The two status texts ("Resetting and Polling for Device.", "Please
    // Wait..."); two empty texts clear them.
    virtual void StatusTextsChanged(const std::string& first, const std::string& second) {
        (void)first;
        (void)second;
    }
    // True when the procedure starts working (wait cursor, controls disabled),
    // false when it ends.
    virtual void BusyChanged(bool busy) { (void)busy; }
    // Every tenth chunk: dispatch the pending window messages.
    virtual void ProcessEvents() {}
};

// How a Start ended.
enum class FlashOutcome {
    NotStarted,             // no description read, or Start not enabled
    StoppedBeforeTransfer,  // image check or Idle switch failed; nothing sent, dialog stays open
    Verified,               // "Device was successfully flashed and reset"
    RevisionMismatch,       // flashed, but a revision differs from the description
    VerificationFailed,     // a revision could not be read back
    RevisionsUnreadable,    // area 1 or 2 did not answer after an image
    FailedAndRecovered,     // a transfer step failed; the gateway was reset and reconnected
    NotReconnected,         // no gateway answered after a reset
};

// Start refuses a description that names no image for an area the gateway has.
inline constexpr const char* f_szNothingToWrite =
    "The update description writes nothing: it names no image file for a storage area this "
    "gateway has.";

// The closing message of a procedure that wrote images and read the
// revisions back: "Device was successfully flashed and reset" for Verified,
// the revision texts for RevisionMismatch and VerificationFailed; an empty
// text for every other outcome (its messages were shown when it failed).
struct FlashOutcomeMessage {
    std::string text;
    std::string caption;
    NotifyIcon icon = NotifyIcon::None;
};
FlashOutcomeMessage OutcomeMessage(FlashOutcome outcome);

// The directory images are taken from: `path` up to and including its last
// '/' or '\\'; "./" (the current directory) when it has neither.
std::string FirmwareImageDirectory(const std::string& path);
// "Transferred %d of %d Bytes" and "Update %d of %d".
std::string FormatTransferredText(std::uint32_t done, std::uint32_t total);
std::string FormatUpdateText(int chunk, int count);

class CFirmwareUpdate {
public:
    // `gate` and `device` must outlive the update; `listener` may be null.
    CFirmwareUpdate(CRequestGate& gate, CDevice& device,
                    IFirmwareUpdateListener* listener = nullptr);

    // Opening the dialog: Start disabled, device revisions read. False (after
    // the message) when area 1 or 2 did not answer: the dialog closes.
    bool Open();
    // Reads the revisions of the four areas (see DeviceRevisions()). False,
    // after "Unable to obtain Carrier Board NVS object revision" or the Boot
    // one (title "Error"), when area 1 or 2 fails; areas 3 and 4 count as
    // present only when they answer with a revision other than 0.00.
    bool ReadDeviceRevisions();

    // Select File with a chosen path: clears the used flags and the update
    // count, then reads the description (a regular file of at most 64 KiB;
    // every number key a whole number in its range). On the first problem shows its
    // message (title "Error") and returns false; the areas read so far stay
    // filled and Start keeps its state. On success Start is enabled.
    bool SelectFile(const std::string& path);

    // The update procedure (see FlashOutcome): returns how it ended and
    // leaves the closing words to the caller (OutcomeMessage). A description
    // that would write nothing is refused first (f_szNothingToWrite, nothing
    // sent). Every failure after the first update request resets the gateway
    // and reconnects before it ends; the messages of the failing step have
    // been shown by then.
    FlashOutcome Run();
    // Run, then the closing message of its outcome (OutcomeMessage), for a
    // caller that draws nothing between the two.
    FlashOutcome Start();

    // Whether the procedure ended in a way that closes the dialog (the caller
    // then runs Upload).
    static bool ClosesDialog(FlashOutcome outcome) {
        return outcome != FlashOutcome::NotStarted &&
               outcome != FlashOutcome::StoppedBeforeTransfer;
    }

    bool IsStartEnabled() const { return m_startEnabled; }
    const std::string& Path() const { return m_path; }
    const std::string& Description() const { return m_description; }
    int NumberUpdates() const { return m_numberUpdates; }
    // Area 1..4 as the description names it.
    const FirmwareImageEntry& ImageArea(int area) const { return m_images.at(area - 1); }
    const DeviceAreaRevisions& DeviceRevisions() const { return m_deviceRevisions; }

private:
    // Some used area names an image and the gateway has that area.
    bool WritesAnything() const;
    bool CheckImages();
    bool SwitchToIdle();
    // One image: false after a failure has been recovered (the outcome is set).
    bool WriteImage(int area, FlashOutcome& outcome);
    // Opens an area's image for streaming; false after CFirmwareImage's message.
    bool OpenImage(const FirmwareImageEntry& entry, CFirmwareImage& image);
    // The chunk size of a usable update reply; 0 after the reply's message.
    int JudgeUpdateReply(const DeviceReply& reply);
    // Streams the image; false after "Error reading image file" or a reply's message.
    bool TransferChunks(int area, const CFirmwareImage& image, int chunkSize);
    bool ResetAndReconnect();
    FlashOutcome RecoverFromError();
    // Reads back the revision of every area written: the outcome, no message.
    FlashOutcome Verify();
    bool ReadAreaRevision(int area, std::uint16_t& revision);
    void ShowMessage(const std::string& text, const std::string& caption,
                     NotifyIcon icon = NotifyIcon::None);
    void ShowProgress(int area, int position, int range, std::uint32_t done, std::uint32_t total);
    void SetStatusTexts(const std::string& first, const std::string& second);

    CRequestGate& m_gate;
    CDevice& m_device;
    IFirmwareUpdateListener* m_listener;
    std::string m_path;
    std::string m_description;
    int m_numberUpdates = 0;
    std::array<FirmwareImageEntry, kFirmwareAreaCount> m_images{};
    DeviceAreaRevisions m_deviceRevisions{};
    bool m_startEnabled = false;
};

}  // namespace gantry::tool
