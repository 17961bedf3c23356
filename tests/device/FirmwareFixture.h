// Recorders and helpers shared by the firmware update tests: what the user
// would have seen (message boxes, progress, status texts) and what went to
// the gateway (update and transfer requests, resets).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "tool/device/FirmwareUpdate.h"
#include "tool/device/Notifier.h"

using namespace gantry::tool;

struct ShownMessage {
    std::string text;
    std::string caption;
    NotifyIcon icon = NotifyIcon::None;
};

class CMessageRecorder : public INotifier {
public:
    NotifyAnswer Notify(const std::string& text, const std::string& caption, NotifyButtons,
                        NotifyIcon icon, NotifyAnswer) override {
        messages.push_back(ShownMessage{text, caption, icon});
        return NotifyAnswer::Ok;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const ShownMessage& message : messages) {
            texts.push_back(message.text);
        }
        return texts;
    }
    std::vector<ShownMessage> messages;
};

class CProgressRecorder : public IFirmwareUpdateListener {
public:
    void DeviceRevisionsChanged(const DeviceAreaRevisions& revisions) override {
        lastRevisions = revisions;
        ++revisionReads;
    }
    void ProgressChanged(const FirmwareProgress& progress) override {
        this->progress.push_back(progress);
    }
    void StatusTextsChanged(const std::string& first, const std::string& second) override {
        statusTexts.push_back(first + "|" + second);
    }
    void BusyChanged(bool busy) override { busyChanges.push_back(busy); }
    void ProcessEvents() override { ++eventPumps; }

    DeviceAreaRevisions lastRevisions{};
    int revisionReads = 0;
    std::vector<FirmwareProgress> progress;
    std::vector<std::string> statusTexts;
    std::vector<bool> busyChanges;
    int eventPumps = 0;
};

// One firmware request as it went over the gate, read from its byte form
// (service, class, instance, data: no attribute byte).
struct FirmwareRequest {
    std::uint8_t service = 0;
    std::uint16_t instance = 0;
    std::uint32_t first = 0;   // image size (75) or offset (77)
    std::uint32_t second = 0;  // StartingLocation (75)
    std::size_t chunk = 0;     // chunk bytes (77)
};

class CFirmwareRequestLog {
public:
    void Install(CRequestGate& gate) {
        gate.SetRequestObserver([this](const std::vector<std::uint8_t>& bytes, int,
                                       const DeviceReply&) { Record(bytes); });
    }
    int Count(std::uint8_t service) const {
        int count = 0;
        for (const FirmwareRequest& request : firmware) {
            count += request.service == service ? 1 : 0;
        }
        return count;
    }
    std::vector<FirmwareRequest> Of(std::uint8_t service) const {
        std::vector<FirmwareRequest> found;
        for (const FirmwareRequest& request : firmware) {
            if (request.service == service) {
                found.push_back(request);
            }
        }
        return found;
    }
    std::vector<FirmwareRequest> firmware;  // services 75 and 77 to class 161
    int resets = 0;                         // service 5 to the Identity object

private:
    static std::uint32_t Long(const std::vector<std::uint8_t>& bytes, std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4 && at + i < bytes.size(); ++i) {
            value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
        }
        return value;
    }
    void Record(const std::vector<std::uint8_t>& bytes) {
        if (bytes.size() < 5) {
            return;
        }
        const int classId = bytes[1] | (bytes[2] << 8);
        if (bytes[0] == SVC_Reset && classId == CLS_Identity) {
            ++resets;
        }
        if (classId != CLS_FirmwareStorage ||
            (bytes[0] != SVC_FirmwareUpdate && bytes[0] != SVC_FirmwareTransfer)) {
            return;
        }
        FirmwareRequest request;
        request.service = bytes[0];
        request.instance = static_cast<std::uint16_t>(bytes[3] | (bytes[4] << 8));
        request.first = Long(bytes, 5);
        request.second = Long(bytes, 9);
        request.chunk = bytes.size() > 9 ? bytes.size() - 9 : 0;
        firmware.push_back(request);
    }
};

// A description file's text from its sections.
inline std::string DeviceSection(const std::string& numberUpdates,
                                 const std::string& description = "Test images") {
    return "[Device]\r\nDescription=" + description + "\r\nNumberUpdates=" + numberUpdates + "\r\n";
}

inline std::string UpdateSection(int update, int area, const std::string& major,
                                 const std::string& minor, const std::string& file,
                                 std::size_t size, const std::string& extra = "") {
    return "[Update" + std::to_string(update) + "]\r\nNVSInstance=" + std::to_string(area) +
           "\r\nMajorRevision=" + major + "\r\nMinorRevision=" + minor +
           "\r\nDataFileName=" + file + "\r\nFileSize=" + std::to_string(size) + "\r\n" + extra;
}

// An image of `size` bytes whose bytes follow their offsets.
inline std::string ImageBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i * 7 + 3);
    }
    return bytes;
}

// The files of a two-image update in `directory`: boot.bin (600 bytes, area 2,
// revision 1.3), carrier.bin (`carrierSize` bytes, area 1, revision 0x2.10)
// and two.nvs describing both in that order.
inline void WriteTwoImageUpdate(const std::string& directory, std::size_t carrierSize) {
    WriteFileBytes(directory + "/boot.bin", ImageBytes(600));
    WriteFileBytes(directory + "/carrier.bin", ImageBytes(carrierSize));
    WriteFileBytes(directory + "/two.nvs",
                   DeviceSection("2") + UpdateSection(1, 2, "1", "3", "boot.bin", 600) +
                       UpdateSection(2, 1, "0x2", "10", "carrier.bin", carrierSize));
}
