// The firmware update against the in-process simulator through the real gate:
// description files, storage-area revisions, image checks, the chunked
// transfer, reset and reconnection, recovery and verification. Failure cases
// come from the virtual gateway's own behaviours (stay in Run, update status,
// failed transfer chunk) and from a gateway scripted to answer oddly.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "FirmwareFixture.h"
#include "TestGateway.h"
#include "TestSupport.h"
#include "common/ProfileFile.h"
#include "gateway/GatewayObjects.h"
#include "tool/device/DeviceResponder.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/Notifier.h"

using namespace gantry;

using namespace gantry::gateway;

namespace {

const char* const f_szGateway =
    "[Identity]\r\nFirmware Revision=2.10\r\nProduct Name=J1939 to Modbus Interface\r\n"
    "Client Type=J1939\r\nServer Type=Modbus Slave\r\nRun Mode=Idle\r\n"
    "[NVS_1]\r\nStatus=1\r\nRevision=0x0A02\r\n"
    "[NVS_2]\r\nStatus=1\r\nRevision=0x0301\r\n"
    "[NVS_3]\r\nRevision=0\r\n"
    "[NVS_4]\r\nRevision=0x0000\r\n";

const char* const f_szSuccess = "Device was successfully flashed and reset";
const char* const f_szNoReconnect =
    "Unable to reconnect to the device. Please reset the device power and try again.";

// The virtual gateway's objects with its test options, answering in process
// through the same byte forms as on the line.
class CGatewayObjectsResponder : public IDeviceResponder {
public:
    explicit CGatewayObjectsResponder(const GatewayOptions& options) : m_objects(options) {}
    DeviceResult BindLibrary() override { return DeviceResult::Done; }
    DeviceResult Connect() override {
        return m_objects.IsUnreachable() ? DeviceResult::Failed : DeviceResult::Done;
    }
    DeviceResult Disconnect() override { return DeviceResult::Failed; }
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override {
        std::uint8_t buffer[kTransferBufferSize] = {};
        const int length = EncodeRequest(request, buffer, kTransferBufferSize);
        const int answered = length < 0 ? -1 : m_objects.Answer(buffer, length, sizeof buffer);
        return answered >= 0 && DecodeReply(buffer, answered, reply) >= 0 ? DeviceResult::Done
                                                                          : DeviceResult::Failed;
    }

private:
    CGatewayObjects m_objects;
};

// A gateway that answers the firmware services oddly on request.
class CScriptedGateway : public CTestGateway {
public:
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override {
        const bool transfer = request.service == SVC_FirmwareTransfer;
        if (transfer && ++transfers == loseTransferAt) {
            return DeviceResult::Failed;
        }
        const DeviceResult result = CTestGateway::SendRequest(request, reply);
        if (request.service == SVC_FirmwareUpdate && chunkSize >= 0) {
            reply.data[4] = static_cast<std::uint8_t>(chunkSize);
            reply.data[5] = static_cast<std::uint8_t>(chunkSize >> 8);
        }
        if (request.service == SVC_FirmwareUpdate && shortUpdateReply) {
            reply.dataLength = 11;
        }
        if (transfer && transferGeneralStatus != 0) {
            reply.generalStatus = static_cast<std::uint8_t>(transferGeneralStatus);
        }
        return result;
    }
    int chunkSize = -1;
    bool shortUpdateReply = false;
    int transferGeneralStatus = 0;
    int loseTransferAt = 0;
    int transfers = 0;
};

class FirmwareUpdateTest : public ::testing::Test {
protected:
    FirmwareUpdateTest() { WriteFileBytes(m_dir.File("GYSim.ini"), f_szGateway); }

    // Builds the gate around `responder`, reads the run state as the main
    // frame does before it offers the command, and opens the update.
    void Connect(std::unique_ptr<IDeviceResponder> responder) {
        m_gate = std::make_unique<CRequestGate>(std::move(responder), &m_messages, &m_clock);
        m_device = std::make_unique<CDevice>(*m_gate, m_offline);
        m_gate->SetDeviceLostHandler([this] { m_device->MarkNotDetected(); });
        m_log.Install(*m_gate);
        m_device->ReadRunState();
        m_update = std::make_unique<CFirmwareUpdate>(*m_gate, *m_device, &m_progress);
    }
    CScriptedGateway& ConnectScripted() {
        auto gateway = std::make_unique<CScriptedGateway>();
        CScriptedGateway& ref = *gateway;
        Connect(std::move(gateway));
        return ref;
    }
    void ConnectVirtual(const GatewayOptions& options) {
        Connect(std::make_unique<CGatewayObjectsResponder>(options));
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = m_dir.File(name);
        WriteFileBytes(path, bytes);
        return path;
    }
    // A description of one image for area 1 (revision 2.10, the gateway's).
    std::string OneImage(std::size_t size, const std::string& extra = "") {
        Write("carrier.bin", ImageBytes(size));
        return Write("one.nvs", DeviceSection("1") +
                                    UpdateSection(1, 1, "0x2", "10", "carrier.bin", size, extra));
    }
    // Opens, selects and starts.
    FlashOutcome Flash(const std::string& description) {
        EXPECT_TRUE(m_update->Open());
        EXPECT_TRUE(m_update->SelectFile(description));
        return m_update->Start();
    }

    ScopedGantryDir m_dir;
    CInstantClock m_clock;
    OfflineIdentity m_offline;
    CMessageRecorder m_messages;
    CProgressRecorder m_progress;
    CFirmwareRequestLog m_log;
    std::unique_ptr<CRequestGate> m_gate;
    std::unique_ptr<CDevice> m_device;
    std::unique_ptr<CFirmwareUpdate> m_update;
};

// ---- description files ----

TEST_F(FirmwareUpdateTest, Description_EveryKeyParsedWithItsDefaultsAndBases) {
    ConnectScripted();
    const std::string path =
        Write("full.nvs", DeviceSection("3", "New firmware") +
                              UpdateSection(1, 1, "0x2", "10", "a.bin", 10) +
                              UpdateSection(2, 2, "0X1F", "007", "b.bin", 20,
                                            "MaxTimeoutSeconds=45\r\nAutoResetOnError=0\r\n"
                                            "UpdateReset=0\r\nStartingLocation=0x1000\r\n") +
                              "[Update3]\r\nNVSInstance=4\r\nMajorRevision=1\r\nMinorRevision=2\r\n"
                              "StartingLocation=010\r\n");
    ASSERT_TRUE(m_update->SelectFile(path));
    EXPECT_TRUE(m_update->IsStartEnabled());
    EXPECT_EQ(m_update->Description(), "New firmware");
    EXPECT_EQ(m_update->NumberUpdates(), 3);

    const FirmwareImageEntry& carrier = m_update->ImageArea(1);
    EXPECT_TRUE(carrier.used);
    EXPECT_EQ(carrier.updateNumber, 1);
    EXPECT_EQ(FormatRevision(carrier.revision), "2.10");
    EXPECT_EQ(carrier.maxTimeoutSeconds, 30);
    EXPECT_TRUE(carrier.autoResetOnError);
    EXPECT_TRUE(carrier.updateReset);
    EXPECT_EQ(carrier.startingLocation, 0u);
    EXPECT_EQ(carrier.fileSize, 10u);

    const FirmwareImageEntry& boot = m_update->ImageArea(2);
    EXPECT_EQ(FormatRevision(boot.revision), "31.07");
    EXPECT_EQ(boot.maxTimeoutSeconds, 45);
    EXPECT_FALSE(boot.autoResetOnError);
    EXPECT_FALSE(boot.updateReset);
    EXPECT_EQ(boot.startingLocation, 0x1000u);

    const FirmwareImageEntry& fieldbus2 = m_update->ImageArea(4);
    EXPECT_EQ(fieldbus2.updateNumber, 3);
    EXPECT_TRUE(fieldbus2.dataFileName.empty());
    EXPECT_EQ(fieldbus2.fileSize, 0u);
    EXPECT_EQ(fieldbus2.startingLocation, 8u);  // a leading 0 reads octal
    EXPECT_FALSE(m_update->ImageArea(3).used);
    EXPECT_TRUE(m_messages.messages.empty());
}

TEST_F(FirmwareUpdateTest, Description_LaterSectionForTheSameAreaOverwritesTheEarlier) {
    ConnectScripted();
    const std::string path =
        Write("twice.nvs", DeviceSection("2") + UpdateSection(1, 2, "1", "0", "old.bin", 5) +
                               UpdateSection(2, 2, "1", "5", "new.bin", 6));
    ASSERT_TRUE(m_update->SelectFile(path));
    EXPECT_EQ(m_update->ImageArea(2).updateNumber, 2);
    EXPECT_EQ(m_update->ImageArea(2).dataFileName, "new.bin");
    EXPECT_EQ(FormatRevision(m_update->ImageArea(2).revision), "1.05");
}

TEST_F(FirmwareUpdateTest, Description_BadUpdateCountsStopTheReading) {
    ConnectScripted();
    const std::string invalid = "Invalid configuration file format. Number of updates is invalid.";
    const std::pair<std::string, std::string> cases[] = {
        {"[Device]\r\nDescription=x\r\n",
         "Invalid configuration file format. NumberUpdates entry not found."},
        {DeviceSection("0"), invalid},
        {DeviceSection("5"), invalid},
        {DeviceSection("many"), invalid},
    };
    for (const auto& [text, message] : cases) {
        m_messages.messages.clear();
        EXPECT_FALSE(m_update->SelectFile(Write("bad.nvs", text)));
        ASSERT_EQ(m_messages.messages.size(), 1u) << text;
        EXPECT_EQ(m_messages.messages[0].text, message);
        EXPECT_EQ(m_messages.messages[0].caption, "Error");
        EXPECT_FALSE(m_update->IsStartEnabled());
    }
}

TEST_F(FirmwareUpdateTest, Description_MissingKeysStopAtTheFirstAndKeepWhatWasRead) {
    ConnectScripted();
    const std::string good = UpdateSection(1, 1, "2", "10", "", 0);
    const std::pair<std::string, std::string> cases[] = {
        {"[Update2]\r\nMajorRevision=1\r\nMinorRevision=1\r\n",
         "Invalid configuration file format. NVSInstance entry not found."},
        {"[Update2]\r\nNVSInstance=0\r\nMajorRevision=1\r\nMinorRevision=1\r\n",
         "Invalid NVSInstance entry."},
        {"[Update2]\r\nNVSInstance=5\r\nMajorRevision=1\r\nMinorRevision=1\r\n",
         "Invalid NVSInstance entry."},
        {"[Update2]\r\nNVSInstance=3\r\nMinorRevision=1\r\n",
         "Invalid configuration file format. MajorRevision entry not found."},
        {"[Update2]\r\nNVSInstance=3\r\nMajorRevision=1\r\n",
         "Invalid configuration file format. MinorRevision entry not found."},
    };
    // a good description first: Start stays enabled through the bad ones
    ASSERT_TRUE(m_update->SelectFile(Write("good.nvs", DeviceSection("1") + good)));
    for (const auto& [section, message] : cases) {
        m_messages.messages.clear();
        EXPECT_FALSE(m_update->SelectFile(Write("bad.nvs", DeviceSection("2") + good + section)));
        ASSERT_EQ(m_messages.Texts(), std::vector<std::string>{message});
        EXPECT_EQ(m_messages.messages[0].caption, "Error");
        EXPECT_TRUE(m_update->ImageArea(1).used) << "the first section stays filled";
        EXPECT_TRUE(m_update->IsStartEnabled());
    }
    // the area of a section that stopped after its NVSInstance stays marked used
    EXPECT_TRUE(m_update->ImageArea(3).used);
}

TEST_F(FirmwareUpdateTest, ImageDirectory_EndsAtTheLastSlashOrBackslash) {
    EXPECT_EQ(FirmwareImageDirectory("/fw/2024/update.nvs"), "/fw/2024/");
    EXPECT_EQ(FirmwareImageDirectory("C:\\fw\\update.nvs"), "C:\\fw\\");
    EXPECT_EQ(FirmwareImageDirectory("a\\b/update.nvs"), "a\\b/");
    EXPECT_EQ(FirmwareImageDirectory("a/b\\update.nvs"), "a/b\\");
    EXPECT_EQ(FirmwareImageDirectory("update.nvs"), "./");
}

TEST_F(FirmwareUpdateTest, DescriptionWithoutDirectory_ReadsItAndItsImagesFromTheCurrentDirectory) {
    ConnectScripted();
    const std::filesystem::path here = std::filesystem::current_path();
    const std::string work = m_dir.File("work");
    std::filesystem::create_directory(work);
    WriteFileBytes(work + "/carrier.bin", ImageBytes(300));
    WriteFileBytes(work + "/local.nvs",
                   DeviceSection("1") + UpdateSection(1, 1, "0x2", "10", "carrier.bin", 300));
    // a description of the same name in the Gantry directory must not be read
    Write("local.nvs", DeviceSection("0"));
    std::filesystem::current_path(work);
    ASSERT_TRUE(m_update->Open());
    const bool selected = m_update->SelectFile("local.nvs");
    const FlashOutcome outcome = m_update->Start();
    std::filesystem::current_path(here);
    EXPECT_TRUE(selected);
    EXPECT_EQ(outcome, FlashOutcome::Verified);
    EXPECT_EQ(m_log.Of(SVC_FirmwareUpdate).at(0).first, 300u);
}

// ---- storage-area revisions ----

TEST_F(FirmwareUpdateTest, DeviceRevisions_EmptyFieldbusAreasAreNotPresent) {
    ConnectScripted();
    ASSERT_TRUE(m_update->Open());
    const DeviceAreaRevisions& areas = m_update->DeviceRevisions();
    EXPECT_TRUE(areas[0].present);
    EXPECT_EQ(FormatRevision(areas[0].revision), "2.10");
    EXPECT_TRUE(areas[1].present);
    EXPECT_EQ(FormatRevision(areas[1].revision), "1.03");
    EXPECT_FALSE(areas[2].present);
    EXPECT_FALSE(areas[3].present);
    EXPECT_FALSE(m_update->IsStartEnabled());
    EXPECT_EQ(m_progress.revisionReads, 1);
}

TEST_F(FirmwareUpdateTest, DeviceRevisions_CarrierOrBootUnreadableClosesTheDialog) {
    const std::pair<std::string, std::string> cases[] = {
        {"NVS_1", "Unable to obtain Carrier Board NVS object revision"},
        {"NVS_2", "Unable to obtain Boot NVS object revision"},
    };
    for (const auto& [section, message] : cases) {
        WriteFileBytes(m_dir.File("GYSim.ini"), f_szGateway);
        ASSERT_TRUE(DeleteProfileKey("GYSim.ini", section, "Revision"));
        m_messages.messages.clear();
        ConnectScripted();
        EXPECT_FALSE(m_update->Open());
        ASSERT_EQ(m_messages.Texts(), std::vector<std::string>{message});
        EXPECT_EQ(m_messages.messages[0].caption, "Error");
    }
}

// ---- the transfer ----

TEST_F(FirmwareUpdateTest, Transfer_1000BytesIn128ByteChunksEndsWith104AtOffset896) {
    ConnectScripted();
    const std::string path = OneImage(1000, "StartingLocation=0x8000\r\n");
    EXPECT_EQ(Flash(path), FlashOutcome::Verified);

    const std::vector<FirmwareRequest> update = m_log.Of(SVC_FirmwareUpdate);
    ASSERT_EQ(update.size(), 1u);
    EXPECT_EQ(update[0].instance, 1);
    EXPECT_EQ(update[0].first, 1000u);
    EXPECT_EQ(update[0].second, 0x8000u);
    const std::vector<FirmwareRequest> chunks = m_log.Of(SVC_FirmwareTransfer);
    ASSERT_EQ(chunks.size(), 8u);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(chunks[i].first, 128u * i);
        EXPECT_EQ(chunks[i].chunk, 128u);
    }
    EXPECT_EQ(chunks[7].first, 896u);
    EXPECT_EQ(chunks[7].chunk, 104u);

    // reset, the 10 s pause, reconnection and the success message
    EXPECT_EQ(m_log.resets, 1);
    EXPECT_GE(m_clock.Slept(), std::chrono::milliseconds(10000));
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{f_szSuccess});
    EXPECT_EQ(m_messages.messages[0].caption, "Information");
    EXPECT_TRUE(m_gate->IsConnected());
    EXPECT_EQ(m_progress.statusTexts,
              std::vector<std::string>{"Resetting and Polling for Device.|Please Wait..."});
    EXPECT_EQ(m_progress.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(m_progress.revisionReads, 2);  // on opening and after the image
}

TEST_F(FirmwareUpdateTest, Transfer_ProgressEveryTenthChunkAndAtTheEnd) {
    ConnectScripted();
    EXPECT_EQ(Flash(OneImage(25 * 128 - 5)), FlashOutcome::Verified);
    std::vector<int> positions;
    for (const FirmwareProgress& progress : m_progress.progress) {
        positions.push_back(progress.position);
        EXPECT_EQ(progress.range, 25);
        EXPECT_EQ(progress.area, 1);
    }
    EXPECT_EQ(positions, (std::vector<int>{0, 0, 10, 20, 25}));
    EXPECT_EQ(m_progress.progress[2].transferredText, "Transferred 1280 of 3195 Bytes");
    EXPECT_EQ(m_progress.progress[2].updateText, "Update 10 of 25");
    EXPECT_EQ(m_progress.progress.back().transferredText, "Transferred 3195 of 3195 Bytes");
    EXPECT_EQ(m_progress.progress.back().updateText, "Update 25 of 25");
    EXPECT_EQ(m_progress.eventPumps, 3);
}

TEST_F(FirmwareUpdateTest, Transfer_EmptyFieldbusAreasAreNeverWrittenEvenWhenNamed) {
    ConnectScripted();
    Write("fb1.bin", ImageBytes(50));
    Write("fb2.bin", ImageBytes(60));
    Write("boot.bin", ImageBytes(70));
    const std::string path =
        Write("all.nvs", DeviceSection("3") + UpdateSection(1, 3, "1", "0", "fb1.bin", 50) +
                             UpdateSection(2, 4, "1", "0", "fb2.bin", 60) +
                             UpdateSection(3, 2, "1", "3", "boot.bin", 70));
    EXPECT_EQ(Flash(path), FlashOutcome::Verified);
    for (const FirmwareRequest& request : m_log.firmware) {
        EXPECT_EQ(request.instance, 2);
    }
    EXPECT_EQ(m_log.Count(SVC_FirmwareUpdate), 1);
}

TEST_F(FirmwareUpdateTest, Transfer_TwoImagesInUpdateOrderWithAResetAfterEach) {
    ConnectScripted();
    Write("boot.bin", ImageBytes(200));
    Write("carrier.bin", ImageBytes(300));
    const std::string path =
        Write("two.nvs", DeviceSection("2") + UpdateSection(1, 2, "1", "3", "boot.bin", 200) +
                             UpdateSection(2, 1, "2", "0x0A", "carrier.bin", 300));
    EXPECT_EQ(Flash(path), FlashOutcome::Verified);
    const std::vector<FirmwareRequest> updates = m_log.Of(SVC_FirmwareUpdate);
    ASSERT_EQ(updates.size(), 2u);
    EXPECT_EQ(updates[0].instance, 2);
    EXPECT_EQ(updates[1].instance, 1);
    EXPECT_EQ(m_log.resets, 2);
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{f_szSuccess});
}

TEST_F(FirmwareUpdateTest, Transfer_WithoutUpdateResetNoResetIsSent) {
    ConnectScripted();
    EXPECT_EQ(Flash(OneImage(10, "UpdateReset=0\r\n")), FlashOutcome::Verified);
    EXPECT_EQ(m_log.resets, 0);
    EXPECT_EQ(m_log.Count(SVC_FirmwareTransfer), 1);
    EXPECT_TRUE(m_progress.statusTexts.empty());
}

TEST_F(FirmwareUpdateTest, Verification_MinorRevisionsOfThreeDigitsCompareByValue) {
    // area 1 reports 2.100; the description gives the minor in hexadecimal or decimal
    ASSERT_TRUE(WriteProfileString("GYSim.ini", "NVS_1", "Revision", "0x6402"));
    Write("carrier.bin", ImageBytes(10));
    const std::pair<const char*, FlashOutcome> cases[] = {
        {"0x64", FlashOutcome::Verified},
        {"100", FlashOutcome::Verified},
        {"10", FlashOutcome::RevisionMismatch},  // 2.10, not 2.100
    };
    for (const auto& [minor, outcome] : cases) {
        ConnectScripted();
        const std::string path = Write(
            "minor.nvs", DeviceSection("1") + UpdateSection(1, 1, "2", minor, "carrier.bin", 10));
        EXPECT_EQ(Flash(path), outcome) << minor;
        EXPECT_EQ(FormatRevision(m_update->DeviceRevisions()[0].revision), "2.100");
    }
}

TEST_F(FirmwareUpdateTest, Verification_DifferentRevisionIsReported) {
    ConnectScripted();
    Write("carrier.bin", ImageBytes(10));
    const std::string path =
        Write("newer.nvs", DeviceSection("1") + UpdateSection(1, 1, "2", "11", "carrier.bin", 10));
    EXPECT_EQ(Flash(path), FlashOutcome::RevisionMismatch);
    EXPECT_EQ(m_messages.Texts(),
              std::vector<std::string>{
                  "Device was flashed, but the new revision does not match the one in the "
                  "image file. Please reset the device power and try again."});
    EXPECT_EQ(m_messages.messages[0].caption, "Information");
}

// ---- checks before anything is sent ----

TEST_F(FirmwareUpdateTest, ImageCheck_MissingImageStopsBeforeAnythingIsSent) {
    ConnectScripted();
    const std::string path =
        Write("lost.nvs", DeviceSection("1") + UpdateSection(1, 1, "2", "10", "gone.bin", 10));
    EXPECT_EQ(Flash(path), FlashOutcome::StoppedBeforeTransfer);
    EXPECT_EQ(m_messages.Texts(),
              std::vector<std::string>{"Unable to open the image file " + m_dir.File("gone.bin")});
    EXPECT_TRUE(m_log.firmware.empty());
    EXPECT_FALSE(m_update->IsStartEnabled());
    EXPECT_FALSE(CFirmwareUpdate::ClosesDialog(FlashOutcome::StoppedBeforeTransfer));
}

TEST_F(FirmwareUpdateTest, ImageCheck_SizeDifferentFromFileSizeIsNeverFlashed) {
    ConnectScripted();
    Write("carrier.bin", ImageBytes(999));
    const std::string path =
        Write("size.nvs", DeviceSection("1") + UpdateSection(1, 1, "2", "10", "carrier.bin", 1000));
    EXPECT_EQ(Flash(path), FlashOutcome::StoppedBeforeTransfer);
    EXPECT_EQ(m_messages.Texts(),
              std::vector<std::string>{"FileSize of " + m_dir.File("carrier.bin") +
                                       " does not match nvs files"});
    EXPECT_TRUE(m_log.firmware.empty());
    EXPECT_EQ(m_log.resets, 0);
    EXPECT_FALSE(m_update->IsStartEnabled());
}

TEST_F(FirmwareUpdateTest, ImageCheck_CoversAreasNumberedAboveTheUpdateCount) {
    ConnectScripted();
    // one update, for area 3: its image is checked too
    const std::string path =
        Write("fb.nvs", DeviceSection("1") + UpdateSection(1, 3, "1", "0", "gone.bin", 10));
    EXPECT_EQ(Flash(path), FlashOutcome::StoppedBeforeTransfer);
    EXPECT_EQ(m_messages.Texts(),
              std::vector<std::string>{"Unable to open the image file " + m_dir.File("gone.bin")});
}

TEST_F(FirmwareUpdateTest, ImageCheck_DevicesEmptyFilesAndNamesOutOfTheFolderAreNeverSent) {
    ConnectScripted();
    std::filesystem::create_directory(m_dir.File("nvs"));
    Write("nvs/empty.bin", "");
    std::filesystem::create_symlink("/dev/zero", m_dir.File("nvs/zero.bin"));
    Write("outside.bin", ImageBytes(10));
    const std::tuple<std::string, std::uint32_t, std::string> cases[] = {
        {"zero.bin", 0, "The image file " + m_dir.File("nvs/zero.bin") + " is not a regular file"},
        {"empty.bin", 0, "The image file " + m_dir.File("nvs/empty.bin") + " is empty"},
        {"../outside.bin", 10,
         "The image file ../outside.bin lies outside the folder of the update description"},
    };
    for (const auto& [name, size, message] : cases) {
        m_messages.messages.clear();
        const std::string path =
            Write("nvs/bad.nvs", DeviceSection("1") + UpdateSection(1, 1, "2", "10", name, size));
        EXPECT_EQ(Flash(path), FlashOutcome::StoppedBeforeTransfer) << name;
        EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{message});
    }
    EXPECT_TRUE(m_log.firmware.empty());
}

TEST_F(FirmwareUpdateTest, IdleSwitch_GatewayInRunIsSwitchedToIdleFirst) {
    ASSERT_TRUE(WriteProfileString("GYSim.ini", "Identity", "Run Mode", "Run"));
    ConnectScripted();
    ASSERT_EQ(m_device->GetRunState(), RS_Run);
    EXPECT_EQ(Flash(OneImage(10)), FlashOutcome::Verified);
    EXPECT_EQ(ReadProfileString("GYSim.ini", "Identity", "Run Mode", ""), "0");
}

TEST_F(FirmwareUpdateTest, IdleSwitch_GatewayStayingInRunEndsWithNothingSent) {
    ASSERT_TRUE(WriteProfileString("GYSim.ini", "Identity", "Run Mode", "Run"));
    GatewayOptions options;
    options.stayInRun = true;
    ConnectVirtual(options);
    ASSERT_EQ(m_device->GetRunState(), RS_Run);
    EXPECT_EQ(Flash(OneImage(1000)), FlashOutcome::StoppedBeforeTransfer);
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{"Unable to switch to the Idle mode"});
    EXPECT_EQ(m_messages.messages[0].caption, "Error");
    EXPECT_TRUE(m_log.firmware.empty());
    EXPECT_EQ(m_log.resets, 0);
    EXPECT_TRUE(m_progress.busyChanges.empty());
}

TEST_F(FirmwareUpdateTest, Start_WithoutADescriptionDoesNothing) {
    ConnectScripted();
    ASSERT_TRUE(m_update->Open());
    EXPECT_EQ(m_update->Start(), FlashOutcome::NotStarted);
    EXPECT_TRUE(m_log.firmware.empty());
}

// ---- failures during the transfer: reset, reconnect, recover ----

// Asserts the recovery: the given message, then the reset with its status
// texts, reconnection, cleared texts, and no verification message.
void ExpectRecovered(const CMessageRecorder& messages, const CProgressRecorder& progress,
                     const CFirmwareRequestLog& log, const CRequestGate& gate,
                     const std::string& message) {
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{message});
    EXPECT_EQ(log.resets, 1);
    EXPECT_TRUE(gate.IsConnected());
    EXPECT_EQ(progress.statusTexts,
              (std::vector<std::string>{"Resetting and Polling for Device.|Please Wait...", "|"}));
}

TEST_F(FirmwareUpdateTest, UpdateStatus_StateConflictShowsItsMessageThenRecovers) {
    for (const int status : {12, 16}) {
        m_messages.messages.clear();
        m_progress.statusTexts.clear();
        m_log = CFirmwareRequestLog{};
        GatewayOptions options;
        options.updateStatus = status;
        ConnectVirtual(options);
        EXPECT_EQ(Flash(OneImage(1000)), FlashOutcome::FailedAndRecovered);
        ExpectRecovered(m_messages, m_progress, m_log, *m_gate,
                        "Device state conflict\n\nThe device may be in Run mode");
        EXPECT_EQ(m_messages.messages[0].caption, "Flash Update Error");
        EXPECT_EQ(m_messages.messages[0].icon, NotifyIcon::Warning);
        EXPECT_EQ(m_log.Count(SVC_FirmwareTransfer), 0);
    }
}

TEST_F(FirmwareUpdateTest, UpdateStatus_IncompatibleAndOtherStatusesRecover) {
    const std::pair<int, std::string> cases[] = {
        {32,
         "Firmware update version incompatibility\n\nThe current version of the device will not "
         "allow upgrade or downgrade to the selected firmware"},
        {8, "Update service response error"},
    };
    for (const auto& [status, message] : cases) {
        m_messages.messages.clear();
        m_progress.statusTexts.clear();
        m_log = CFirmwareRequestLog{};
        GatewayOptions options;
        options.updateStatus = status;
        ConnectVirtual(options);
        EXPECT_EQ(Flash(OneImage(1000)), FlashOutcome::FailedAndRecovered);
        ExpectRecovered(m_messages, m_progress, m_log, *m_gate, message);
        EXPECT_EQ(m_messages.messages[0].caption, "Flash Update Error");
    }
}

TEST_F(FirmwareUpdateTest, UpdateReply_UnusableChunkSizeOrShortReplyIsInvalid) {
    struct Case {
        int chunkSize;
        bool shortReply;
    };
    for (const Case& scripted : {Case{0, false}, Case{505, false}, Case{128, true}}) {
        m_messages.messages.clear();
        m_progress.statusTexts.clear();
        m_log = CFirmwareRequestLog{};
        CScriptedGateway& gateway = ConnectScripted();
        gateway.chunkSize = scripted.chunkSize;
        gateway.shortUpdateReply = scripted.shortReply;
        EXPECT_EQ(Flash(OneImage(1000)), FlashOutcome::FailedAndRecovered);
        ExpectRecovered(m_messages, m_progress, m_log, *m_gate, "Invalid Update Service response");
        EXPECT_EQ(m_log.Count(SVC_FirmwareTransfer), 0) << scripted.chunkSize;
    }
}

TEST_F(FirmwareUpdateTest, UpdateReply_LargestCarriableChunkIsUsed) {
    CScriptedGateway& gateway = ConnectScripted();
    gateway.chunkSize = kMaxTransferChunk;
    EXPECT_EQ(Flash(OneImage(1000)), FlashOutcome::Verified);
    const std::vector<FirmwareRequest> chunks = m_log.Of(SVC_FirmwareTransfer);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].chunk, 504u);
    EXPECT_EQ(chunks[1].first, 504u);
    EXPECT_EQ(chunks[1].chunk, 496u);
}

TEST_F(FirmwareUpdateTest, TransferStatus_FailedChunkStopsTheTransferAndRecovers) {
    GatewayOptions options;
    options.failTransferAt = 3;
    ConnectVirtual(options);
    EXPECT_EQ(Flash(OneImage(1000)), FlashOutcome::FailedAndRecovered);
    ExpectRecovered(m_messages, m_progress, m_log, *m_gate, "Transfer status error");
    EXPECT_EQ(m_log.Count(SVC_FirmwareTransfer), 3);
}

TEST_F(FirmwareUpdateTest, TransferReply_BadStatusOrLostReplyRecovers) {
    CScriptedGateway& refusing = ConnectScripted();
    refusing.transferGeneralStatus = 0x14;
    EXPECT_EQ(Flash(OneImage(1000)), FlashOutcome::FailedAndRecovered);
    ExpectRecovered(m_messages, m_progress, m_log, *m_gate, "Transfer service response error");

    m_messages.messages.clear();
    m_progress.statusTexts.clear();
    m_log = CFirmwareRequestLog{};
    CScriptedGateway& losing = ConnectScripted();
    losing.loseTransferAt = 2;
    EXPECT_EQ(Flash(OneImage(1000)), FlashOutcome::FailedAndRecovered);
    ExpectRecovered(m_messages, m_progress, m_log, *m_gate, "Error sending transfer service");
}

TEST_F(FirmwareUpdateTest, Reconnect_NoGatewayAfterTheResetEndsAfter40Attempts) {
    CScriptedGateway& gateway = ConnectScripted();
    gateway.failConnects = 1000;
    const int before = gateway.connects;
    EXPECT_EQ(Flash(OneImage(100)), FlashOutcome::NotReconnected);
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{f_szNoReconnect});
    EXPECT_EQ(m_messages.messages[0].caption, "Information");
    EXPECT_EQ(gateway.connects - before, 40);
    EXPECT_TRUE(CFirmwareUpdate::ClosesDialog(FlashOutcome::NotReconnected));
}

}  // namespace

// ---- descriptions that would mislead: bad numbers, nothing to write ----

TEST_F(FirmwareUpdateTest, Description_NumbersThatAreNotWholeAndInRangeStopBeforeAnythingIsSent) {
    ConnectScripted();
    ASSERT_TRUE(m_update->Open());
    Write("carrier.bin", ImageBytes(1000));
    const std::pair<std::string, std::string> cases[] = {
        {UpdateSection(1, 1, "abc", "10", "carrier.bin", 1000),
         "Invalid configuration file format. MajorRevision of [Update1] is not a whole number "
         "from 0 to 255: \"abc\"."},
        {UpdateSection(1, 1, "2", "1abc", "carrier.bin", 1000),
         "Invalid configuration file format. MinorRevision of [Update1] is not a whole number "
         "from 0 to 255: \"1abc\"."},
        {"[Update1]\r\nNVSInstance=1\r\nMajorRevision=2\r\nMinorRevision=10\r\n"
         "DataFileName=carrier.bin\r\nFileSize=4294968296\r\n",
         "Invalid configuration file format. FileSize of [Update1] is not a whole number from 0 "
         "to 4294967295: \"4294968296\"."},
        {UpdateSection(1, 1, "2", "10", "carrier.bin", 1000, "MaxTimeoutSeconds=1000abc\r\n"),
         "Invalid configuration file format. MaxTimeoutSeconds of [Update1] is not a whole "
         "number from 0 to 3600: \"1000abc\"."},
        {UpdateSection(1, 1, "2", "10", "carrier.bin", 1000, "UpdateReset=-1\r\n"),
         "Invalid configuration file format. UpdateReset of [Update1] is not a whole number from "
         "0 to 1: \"-1\"."},
        {"[Update1]\r\nNVSInstance=1abc\r\nMajorRevision=2\r\nMinorRevision=10\r\n",
         "Invalid NVSInstance entry."},
    };
    for (const auto& [section, message] : cases) {
        m_messages.messages.clear();
        EXPECT_FALSE(m_update->SelectFile(Write("bad.nvs", DeviceSection("1") + section)));
        EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{message});
        EXPECT_FALSE(m_update->IsStartEnabled());
        EXPECT_EQ(m_update->Start(), FlashOutcome::NotStarted);
    }
    EXPECT_TRUE(m_log.firmware.empty()) << "nothing may reach the gateway";
}

TEST_F(FirmwareUpdateTest, Start_ADescriptionThatWritesNothingSaysSoAndSendsNothing) {
    ConnectScripted();
    // no DataFileName; then only area 3, which this gateway does not have
    const std::string none = Write("none.nvs", DeviceSection("1") +
                                                   "[Update1]\r\nNVSInstance=1\r\nMajorRevision="
                                                   "2\r\nMinorRevision=10\r\n");
    Write("fieldbus.bin", ImageBytes(10));
    const std::string absent =
        Write("absent.nvs", DeviceSection("1") + UpdateSection(1, 3, "1", "0", "fieldbus.bin", 10));
    for (const std::string& path : {none, absent}) {
        m_messages.messages.clear();
        EXPECT_EQ(Flash(path), FlashOutcome::StoppedBeforeTransfer) << path;
        EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{f_szNothingToWrite});
    }
    EXPECT_TRUE(m_log.firmware.empty());
    EXPECT_EQ(m_log.resets, 0);
}

TEST_F(FirmwareUpdateTest, Description_ADirectoryOrAFifoIsRefusedByNameWithoutWaiting) {
    ConnectScripted();
    std::filesystem::create_directory(m_dir.File("dir.nvs"));
    ASSERT_EQ(::mkfifo(m_dir.File("fifo.nvs").c_str(), 0600), 0);
    EXPECT_FALSE(m_update->SelectFile(m_dir.File("dir.nvs")));
    EXPECT_FALSE(m_update->SelectFile(m_dir.File("fifo.nvs")));
    EXPECT_EQ(m_messages.Texts(),
              (std::vector<std::string>{m_dir.File("dir.nvs") + " is a directory, not a file.",
                                        m_dir.File("fifo.nvs") + " is not a regular file."}));
}
