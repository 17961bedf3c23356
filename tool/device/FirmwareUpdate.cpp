#include "tool/device/FirmwareUpdate.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "tool/device/FirmwareImage.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/InputFile.h"
#include "tool/device/Notifier.h"

namespace gantry::tool {

namespace {

constexpr std::int16_t f_nAttrAreaRevision = 2;
constexpr int f_nReconnectTries = 20;  // ConnectWithRetry(20): up to 40 attempts
constexpr std::chrono::milliseconds f_resetPause{10000};
constexpr std::chrono::milliseconds f_chunkPause{1};
constexpr int f_nProgressEvery = 10;
constexpr int f_nMinUpdateReply = 12;
constexpr int f_nMinTransferReply = 6;

const char* const f_szError = "Error";
const char* const f_szInformation = "Information";
const char* const f_szFlashError = "Flash Update Error";
const char* const f_szResetting = "Resetting and Polling for Device.";
const char* const f_szPleaseWait = "Please Wait...";
const char* const f_szNoReconnect =
    "Unable to reconnect to the device. Please reset the device power and try again.";

// A description file named without any directory lies in the current
// directory, like its images; the profile reader would otherwise look in the
// Gantry directory.
std::string DescriptionFile(const std::string& path) {
    return path.find('/') == std::string::npos ? "./" + path : path;
}

}  // namespace

const char* FirmwareAreaName(int area) {
    static const char* const names[kFirmwareAreaCount] = {"Carrier Board", "Boot", "Fieldbus 1",
                                                          "Fieldbus 2"};
    return area >= 1 && area <= kFirmwareAreaCount ? names[area - 1] : "";
}

std::string FirmwareImageDirectory(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? "./" : path.substr(0, separator + 1);
}

std::string FormatTransferredText(std::uint32_t done, std::uint32_t total) {
    char text[64];
    std::snprintf(text, sizeof text, "Transferred %u of %u Bytes", static_cast<unsigned>(done),
                  static_cast<unsigned>(total));
    return text;
}

std::string FormatUpdateText(int chunk, int count) {
    char text[64];
    std::snprintf(text, sizeof text, "Update %d of %d", chunk, count);
    return text;
}

CFirmwareUpdate::CFirmwareUpdate(CRequestGate& gate, CDevice& device,
                                 IFirmwareUpdateListener* listener)
    : m_gate(gate), m_device(device), m_listener(listener) {}

void CFirmwareUpdate::ShowMessage(const std::string& text, const std::string& caption,
                                  NotifyIcon icon) {
    m_gate.Notifier().Notify(text, caption, NotifyButtons::Ok, icon);
}

void CFirmwareUpdate::SetStatusTexts(const std::string& first, const std::string& second) {
    if (m_listener != nullptr) {
        m_listener->StatusTextsChanged(first, second);
    }
}

void CFirmwareUpdate::ShowProgress(int area, int position, int range, std::uint32_t done,
                                   std::uint32_t total) {
    if (m_listener != nullptr) {
        m_listener->ProgressChanged(FirmwareProgress{area, position, range,
                                                     FormatTransferredText(done, total),
                                                     FormatUpdateText(position, range)});
    }
}

bool CFirmwareUpdate::Open() {
    m_startEnabled = false;
    return ReadDeviceRevisions();
}

bool CFirmwareUpdate::ReadAreaRevision(int area, std::uint16_t& revision) {
    DeviceReply reply;
    const DeviceRequest request =
        MakeGetRequest(CLS_FirmwareStorage, static_cast<std::uint16_t>(area), f_nAttrAreaRevision);
    if (m_gate.SendDeviceRequest(request, reply) != DeviceResult::Done ||
        reply.generalStatus != DST_Success) {
        return false;
    }
    revision = reply.Word(0);  // major, then minor
    return true;
}

bool CFirmwareUpdate::ReadDeviceRevisions() {
    m_deviceRevisions = DeviceAreaRevisions{};
    bool result = true;
    for (int area = 1; area <= kFirmwareAreaCount; ++area) {
        std::uint16_t revision = 0;
        const bool answered = ReadAreaRevision(area, revision);
        if (area <= 2 && !answered) {
            ShowMessage(
                std::string("Unable to obtain ") + FirmwareAreaName(area) + " NVS object revision",
                f_szError, NotifyIcon::Error);
            result = false;
            break;
        }
        // an empty fieldbus slot answers 0.00
        if (answered && (area <= 2 || revision != MakeRevision(0, 0))) {
            m_deviceRevisions[static_cast<std::size_t>(area - 1)] =
                DeviceAreaRevision{true, revision};
        }
    }
    if (m_listener != nullptr) {
        m_listener->DeviceRevisionsChanged(m_deviceRevisions);
    }
    return result;
}

bool CFirmwareUpdate::SelectFile(const std::string& path) {
    for (FirmwareImageEntry& entry : m_images) {
        entry.used = false;
    }
    m_numberUpdates = 0;
    m_path = path;
    // a directory, a FIFO or a huge file is no description: said before reading it
    const InputFileResult readable = ReadInputFile(DescriptionFile(path), kMaxDescriptionFileBytes);
    if (!readable.bytes) {
        ShowMessage(readable.error, f_szError, NotifyIcon::Error);
        m_startEnabled = false;
        return false;
    }
    const DescriptionReading reading =
        ReadFirmwareDescription(std::string(readable.bytes->begin(), readable.bytes->end()));
    m_description = reading.description.description;
    m_numberUpdates = reading.description.numberUpdates;
    for (std::size_t index = 0; index < m_images.size(); ++index) {
        if (reading.description.images[index].used) {
            m_images[index] = reading.description.images[index];
        }
    }
    if (!reading.error.empty()) {
        // the areas read so far stay filled; only a bad number disables Start
        ShowMessage(reading.error, f_szError, NotifyIcon::Error);
        m_startEnabled = m_startEnabled && !reading.badNumber;
        return false;
    }
    m_startEnabled = true;
    return true;
}

bool CFirmwareUpdate::WritesAnything() const {
    for (int area = 1; area <= kFirmwareAreaCount; ++area) {
        const FirmwareImageEntry& entry = ImageArea(area);
        if (entry.used && !entry.dataFileName.empty() &&
            m_deviceRevisions[static_cast<std::size_t>(area - 1)].present) {
            return true;
        }
    }
    return false;
}

bool CFirmwareUpdate::CheckImages() {
    const std::string directory = FirmwareImageDirectory(m_path);
    // every used area, whatever its update number
    for (const FirmwareImageEntry& entry : m_images) {
        if (!entry.used || entry.dataFileName.empty()) {
            continue;
        }
        CFirmwareImage image;
        std::string message;
        if (!image.Open(directory, entry.dataFileName, entry.fileSize, message)) {
            ShowMessage(message, f_szError, NotifyIcon::Error);
            m_startEnabled = false;
            return false;
        }
    }
    return true;
}

bool CFirmwareUpdate::SwitchToIdle() {
    if (m_device.GetRunState() == RS_Run) {
        m_device.SetRunState(RS_Idle);
    }
    if (m_device.GetRunState() != RS_Idle) {
        ShowMessage("Unable to switch to the Idle mode", f_szError, NotifyIcon::Error);
        return false;
    }
    return true;
}

FlashOutcomeMessage OutcomeMessage(FlashOutcome outcome) {
    switch (outcome) {
        case FlashOutcome::Verified:
            return {"Device was successfully flashed and reset", f_szInformation,
                    NotifyIcon::Information};
        case FlashOutcome::RevisionMismatch:
            return {
                "Device was flashed, but the new revision does not match the one in the image "
                "file. Please reset the device power and try again.",
                f_szInformation, NotifyIcon::Information};
        case FlashOutcome::VerificationFailed:
            return {
                "Error communicating to the device. Please reset the device power and try again.",
                f_szInformation, NotifyIcon::Information};
        default:
            return {};
    }
}

FlashOutcome CFirmwareUpdate::Start() {
    const FlashOutcome outcome = Run();
    const FlashOutcomeMessage message = OutcomeMessage(outcome);
    if (!message.text.empty()) {
        ShowMessage(message.text, message.caption, message.icon);
    }
    return outcome;
}

FlashOutcome CFirmwareUpdate::Run() {
    if (!m_startEnabled || m_numberUpdates == 0) {
        return FlashOutcome::NotStarted;
    }
    if (!CheckImages()) {
        return FlashOutcome::StoppedBeforeTransfer;
    }
    if (!WritesAnything()) {
        ShowMessage(f_szNothingToWrite, f_szError, NotifyIcon::Error);
        return FlashOutcome::StoppedBeforeTransfer;
    }
    if (!SwitchToIdle()) {
        return FlashOutcome::StoppedBeforeTransfer;
    }
    if (m_listener != nullptr) {
        m_listener->BusyChanged(true);
    }
    FlashOutcome outcome = FlashOutcome::Verified;
    bool finished = false;
    for (int update = 1; update <= m_numberUpdates && !finished; ++update) {
        for (int area = 1; area <= kFirmwareAreaCount; ++area) {
            const FirmwareImageEntry& entry = ImageArea(area);
            if (!entry.used || entry.updateNumber != update) {
                continue;
            }
            if (!entry.dataFileName.empty() &&
                m_deviceRevisions[static_cast<std::size_t>(area - 1)].present) {
                finished = !WriteImage(area, outcome);
            }
            break;
        }
    }
    if (!finished) {
        outcome = Verify();
    }
    if (m_listener != nullptr) {
        m_listener->BusyChanged(false);
    }
    return outcome;
}

bool CFirmwareUpdate::OpenImage(const FirmwareImageEntry& entry, CFirmwareImage& image) {
    std::string message;
    if (!image.Open(FirmwareImageDirectory(m_path), entry.dataFileName, entry.fileSize, message)) {
        ShowMessage(message, f_szError, NotifyIcon::Error);
        return false;
    }
    return true;
}

int CFirmwareUpdate::JudgeUpdateReply(const DeviceReply& reply) {
    switch (reply.generalStatus) {
        case 0:
            break;
        case 12:
        case 16:
            ShowMessage("Device state conflict\n\nThe device may be in Run mode", f_szFlashError,
                        NotifyIcon::Warning);
            return 0;
        case 32:
            ShowMessage(
                "Firmware update version incompatibility\n\nThe current version of the device "
                "will not allow upgrade or downgrade to the selected firmware",
                f_szFlashError, NotifyIcon::Warning);
            return 0;
        default:
            ShowMessage("Update service response error", f_szFlashError);
            return 0;
    }
    // A chunk size of 0 cannot divide the image, and one above what a transfer
    // request carries cannot be sent: both make the reply unusable.
    const int chunkSize = reply.Word(4);
    if (reply.dataLength < f_nMinUpdateReply || chunkSize == 0 || chunkSize > kMaxTransferChunk) {
        ShowMessage("Invalid Update Service response", f_szError, NotifyIcon::Error);
        return 0;
    }
    return chunkSize;
}

bool CFirmwareUpdate::WriteImage(int area, FlashOutcome& outcome) {
    const FirmwareImageEntry& entry = ImageArea(area);
    CFirmwareImage image;
    if (!OpenImage(entry, image)) {
        outcome = RecoverFromError();
        return false;
    }
    DeviceRequest request = MakeServiceRequest(SVC_FirmwareUpdate, CLS_FirmwareStorage,
                                               static_cast<std::uint16_t>(area));
    request.AppendLong(image.Size());
    request.AppendLong(entry.startingLocation);
    DeviceReply reply;
    if (m_gate.SendDeviceRequest(request, reply) != DeviceResult::Done) {
        ShowMessage("Error sending update service", f_szError, NotifyIcon::Error);
        outcome = RecoverFromError();
        return false;
    }
    const int chunkSize = JudgeUpdateReply(reply);
    if (chunkSize == 0 || !TransferChunks(area, image, chunkSize)) {
        outcome = RecoverFromError();
        return false;
    }
    if (entry.updateReset && !ResetAndReconnect()) {
        outcome = FlashOutcome::NotReconnected;
        return false;
    }
    if (!ReadDeviceRevisions()) {
        outcome = FlashOutcome::RevisionsUnreadable;
        return false;
    }
    return true;
}

bool CFirmwareUpdate::TransferChunks(int area, const CFirmwareImage& image, int chunkSize) {
    const std::uint32_t total = image.Size();
    const auto chunk = static_cast<std::uint32_t>(chunkSize);
    const int count = static_cast<int>(total / chunk + (total % chunk != 0 ? 1 : 0));
    ShowProgress(area, 0, count, 0, total);
    for (int index = 0; index < count; ++index) {
        const std::uint32_t offset = static_cast<std::uint32_t>(index) * chunk;
        const std::uint32_t length = std::min(chunk, total - offset);
        if (index % f_nProgressEvery == 0) {
            ShowProgress(area, index, count, offset, total);
            if (m_listener != nullptr) {
                m_listener->ProcessEvents();
            }
            m_gate.Clock().Sleep(f_chunkPause);
        }
        std::uint8_t bytes[kMaxTransferChunk];
        if (!image.Read(offset, std::span<std::uint8_t>(bytes, length))) {
            ShowMessage("Error reading image file", f_szError, NotifyIcon::Error);
            return false;
        }
        DeviceRequest request = MakeServiceRequest(SVC_FirmwareTransfer, CLS_FirmwareStorage,
                                                   static_cast<std::uint16_t>(area));
        request.AppendLong(offset);
        request.AppendBytes(std::span<const std::uint8_t>(bytes, length));
        DeviceReply reply;
        if (m_gate.SendDeviceRequest(request, reply) != DeviceResult::Done) {
            ShowMessage("Error sending transfer service", f_szError, NotifyIcon::Error);
            return false;
        }
        if (reply.generalStatus != DST_Success || reply.dataLength < f_nMinTransferReply) {
            ShowMessage("Transfer service response error", f_szError, NotifyIcon::Error);
            return false;
        }
        const int transferStatus = reply.Word(4);
        if (transferStatus == 3 || transferStatus == 4) {
            ShowMessage("Transfer status error", f_szError, NotifyIcon::Error);
            return false;
        }
    }
    ShowProgress(area, count, count, total, total);
    return true;
}

bool CFirmwareUpdate::ResetAndReconnect() {
    SetStatusTexts(f_szResetting, f_szPleaseWait);
    if (!m_gate.IsConnected()) {
        // A lost reply dropped the connection, and a Reset is only sent over
        // an open one: reconnect first so that a half-written gateway is
        // still reset.
        m_gate.ConnectWithRetry(1);
    }
    m_device.ResetDevice();
    m_gate.Clock().Sleep(f_resetPause);
    if (m_gate.ConnectWithRetry(f_nReconnectTries) != DeviceResult::Done) {
        ShowMessage(f_szNoReconnect, f_szInformation, NotifyIcon::Information);
        return false;
    }
    return true;
}

FlashOutcome CFirmwareUpdate::RecoverFromError() {
    // the gateway is reset whatever AutoResetOnError says: it may hold half an image
    const bool reconnected = ResetAndReconnect();
    SetStatusTexts("", "");
    return reconnected ? FlashOutcome::FailedAndRecovered : FlashOutcome::NotReconnected;
}

FlashOutcome CFirmwareUpdate::Verify() {
    for (int area = 1; area <= kFirmwareAreaCount; ++area) {
        const FirmwareImageEntry& entry = ImageArea(area);
        if (!m_deviceRevisions[static_cast<std::size_t>(area - 1)].present || !entry.used ||
            entry.dataFileName.empty()) {
            continue;
        }
        std::uint16_t revision = 0;
        if (!ReadAreaRevision(area, revision)) {
            return FlashOutcome::VerificationFailed;
        }
        // both words are shown "%d.%02d", which tells any two apart
        if (revision != entry.revision) {
            return FlashOutcome::RevisionMismatch;
        }
    }
    return FlashOutcome::Verified;
}

}  // namespace gantry::tool
