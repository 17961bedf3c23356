// The document around the session's records (modified flag, the save-changes
// question, Save, Open), the status view's texts, the trace-log frame of a
// run, and the request gate's one-exchange-at-a-time check.
#include "SessionTestSupport.h"
#include "tool/device/Notifier.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/device/SimulatorResponder.h"
#include "tool/session/SessionLog.h"
#include "tool/session/StatusPresentation.h"

using namespace gantry;

using namespace gantry::tool;

namespace {

class DocumentTest : public SessionTest {
protected:
    void StartModified() {
        PlugAndStart(f_profibusJ1939);
        ASSERT_FALSE(m_session->IsModified());
        m_session->EditConfiguration().j1939.busOffReset =
            !m_session->Configuration().j1939.busOffReset;
        ASSERT_TRUE(m_session->IsModified());
    }
};

TEST_F(DocumentTest, NewOnAModifiedDocument_AsksAndCancelOrACancelledSaveKeepIt) {
    StartModified();
    const bool edited = m_session->Configuration().j1939.busOffReset;

    m_notifier.answerCancel = true;
    EXPECT_FALSE(m_session->NewDocument());
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].text, "Save changes to Untitled?");
    EXPECT_EQ(m_notifier.shown[0].caption, "GYConfig");
    EXPECT_EQ(m_notifier.shown[0].buttons, NotifyButtons::YesNoCancel);

    m_notifier.answerCancel = false;  // Yes, but the Save As dialog is cancelled
    EXPECT_FALSE(m_session->NewDocument());
    EXPECT_EQ(m_listener.saveDialogTitles, (std::vector<std::string>{"Untitled"}));
    EXPECT_EQ(m_session->Configuration().j1939.busOffReset, edited);
    EXPECT_TRUE(m_session->IsModified());
    EXPECT_TRUE(m_requests.empty());

    m_notifier.answerYes = false;  // No: the edit is dropped for the defaults
    EXPECT_TRUE(m_session->NewDocument());
    EXPECT_FALSE(m_session->IsModified());
    EXPECT_EQ(m_session->DocumentTitle(), "Untitled");
}

TEST_F(DocumentTest, YesOnAnUntitledDocument_SavesTheEntriesAsTheyAreThenStartsTheNewOne) {
    StartModified();
    m_listener.savePath = m_dir.File("first.cfg");
    // an offline time the download would refuse: saving never judges
    m_listener.entries.offlineDetection = OfflineDetectionEntry{true, "50"};

    EXPECT_TRUE(m_session->NewDocument());

    const std::string saved = ReadFileBytes(m_dir.File("first.cfg"));
    ASSERT_FALSE(saved.empty());
    EXPECT_FALSE(m_session->IsModified());

    m_notifier.shown.clear();
    EXPECT_TRUE(m_session->OpenDocument(m_dir.File("first.cfg")));
    EXPECT_TRUE(m_notifier.shown.empty());  // nothing changed since New: no question
    EXPECT_EQ(m_session->Configuration().j1939.offlineTimeMs, 50u);
    EXPECT_EQ(m_session->DocumentTitle(), "first.cfg");
    EXPECT_FALSE(m_session->IsModified());
}

TEST_F(DocumentTest, OpenFailures_AreShownAndChangeNothing) {
    PlugAndStart(f_profibusJ1939);
    ConfigurationSession other(std::make_unique<CSimulatorResponder>(), &m_notifier, &m_clock);
    other.Relayout(IT_J1939, IT_ModbusSlave);
    ASSERT_TRUE(other.SaveDocument(m_dir.File("modbus.cfg"), {}));
    const std::uint32_t serverType = m_session->Configuration().serverType;

    EXPECT_FALSE(m_session->OpenDocument(m_dir.File("modbus.cfg")));  // a working gateway
    EXPECT_FALSE(m_session->OpenDocument(m_dir.File("missing.cfg")));
    ASSERT_EQ(m_notifier.shown.size(), 2u);
    // each names the file and why: both products, or nothing there
    EXPECT_EQ(m_notifier.shown[0].text,
              "Failed to open document.\n" + m_dir.File("modbus.cfg") +
                  ": The file is for the J1939 to Modbus Interface; the connected gateway is "
                  "the PROFIBUS to J1939 Gateway.");
    EXPECT_EQ(m_notifier.shown[1].text,
              "Failed to open document.\n" + m_dir.File("missing.cfg") + " does not exist.");
    EXPECT_EQ(m_session->Configuration().serverType, serverType);
    EXPECT_FALSE(m_session->IsOffline());
    EXPECT_EQ(m_session->DocumentPath(), "");

    EXPECT_FALSE(m_session->SaveDocument(m_dir.File("no/such/folder.cfg"), {}));
    EXPECT_EQ(m_notifier.shown.back().text, "Failed to save document.\nCannot write " +
                                                m_dir.File("no/such/folder.cfg") +
                                                ": No such file or directory.");
}

TEST_F(DocumentTest, SavedEntries_KeepTheRecordWhereTheTextHoldsNoNumber) {
    PlugAndStart(f_profibusJ1939);
    const std::uint32_t time = m_session->Configuration().j1939.offlineTimeMs;
    for (const char* text : {"-5", "abc", ""}) {
        ScreenEntries entries;
        entries.offlineDetection = OfflineDetectionEntry{true, text};
        ASSERT_TRUE(m_session->SaveDocument(m_dir.File("entries.cfg"), entries));
        EXPECT_EQ(m_session->Configuration().j1939.offlineTimeMs, time) << text;
    }
}

TEST_F(DocumentTest, OpenWithoutAGateway_GoesOfflineOnTheFilesPairAndSavesItBack) {
    ConfigurationSession other(std::make_unique<CSimulatorResponder>(), &m_notifier, &m_clock);
    other.Relayout(IT_J1939, IT_ModbusSlave);
    other.EditConfiguration().modbus.watchdogMs = 2500;
    ASSERT_TRUE(other.SaveDocument(m_dir.File("modbus.cfg"), {}));
    Plug(f_profibusJ1939);
    m_gateway->unplugged = true;
    m_session->Start();

    ASSERT_TRUE(m_session->OpenDocument(m_dir.File("modbus.cfg")));
    EXPECT_TRUE(m_session->IsOffline());
    EXPECT_EQ(m_session->RunState(), RS_Idle);
    EXPECT_EQ(m_session->Layout().serverType, IT_ModbusSlave);
    EXPECT_EQ(m_session->Configuration().modbus.watchdogMs, 2500u);

    ASSERT_TRUE(m_session->SaveDocument(m_dir.File("again.cfg"), {}));
    const std::string before = ReadFileBytes(m_dir.File("modbus.cfg"));
    const std::string after = ReadFileBytes(m_dir.File("again.cfg"));
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(16, 4), std::string(4, '\0'));  // saved in Idle
    EXPECT_EQ(after.substr(0, 16) + after.substr(20), before.substr(0, 16) + before.substr(20));
}

TEST(StatusPresentation, ModeListByRunState) {
    EXPECT_EQ(ModeListOf(RS_Idle), (ModeList{{"Idle", "Run"}, 0}));
    EXPECT_EQ(ModeListOf(RS_Run), (ModeList{{"Idle", "Run"}, 1}));
    EXPECT_EQ(ModeListOf(RS_Faulted), (ModeList{{"Faulted"}, 0}));
    EXPECT_EQ(ModeListOf(RS_NotDetected), (ModeList{{"Not Detected"}, 0}));
    EXPECT_EQ(ModeListOf(RS_Unknown), (ModeList{{"Not Detected"}, 0}));
}

TEST_F(DocumentTest, StatusTexts_FromTheIdentityOrEmptyWithoutAGateway) {
    Plug(f_profibusJ1939);
    WriteFileBytes(m_dir.File("GYSim.ini"),
                   "[Identity]\nProduct Name=GY-PJ1\nClient Type=9\nServer Type=11\n"
                   "Firmware Revision=2.07\nSerial Number=4660\nRun Mode=Faulted\n"
                   "Major Fault=133\n");
    EXPECT_EQ(StatusTextsOf(m_session->Device()).error, "Unable to detect the device");
    m_session->Start();
    m_session->Device().RefreshIdentity();  // a faulted gateway is not uploaded

    const StatusTexts texts = StatusTextsOf(m_session->Device());
    EXPECT_TRUE(texts.detected);  // faulted, but it answers
    EXPECT_EQ(texts.device, "GY-PJ1");
    EXPECT_EQ(texts.error, "0x5");
    EXPECT_EQ(texts.clientInterface, InterfaceTypeName(IT_J1939));
    EXPECT_EQ(texts.serialNumber, "00001234");
    EXPECT_EQ(texts.firmwareRevision, "2.07");

    m_gateway->unplugged = true;
    m_session->MarkNotDetected();
    EXPECT_EQ(StatusTextsOf(m_session->Device()),
              (StatusTexts{false, "", "Unable to detect the device", "", "", "", ""}));
}

TEST(SessionLog, StartAndEndAreFramedByEmptyRecords) {
    ScopedGantryDir dir;
    WriteSessionStartLog();
    WriteSessionEndLog();
    const std::string log = ReadFileBytes(dir.File("GyConfig.log"));
    std::vector<std::string> messages;
    for (std::size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1) {
        messages.push_back(log.substr(log.rfind('\t', end) + 1, end - log.rfind('\t', end) - 1));
    }
    EXPECT_EQ(messages, (std::vector<std::string>{"", "Session Start", "", "", "Session End", ""}));
}

// A gateway whose reply wait lets another request through, as a window event
// handled during the wait would.
class CReenteringGateway : public CSimulatorResponder {
public:
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override {
        if (gate) {
            CRequestGate* again = std::exchange(gate, nullptr);
            again->SendDeviceRequest(request, reply);
        }
        return CSimulatorResponder::SendRequest(request, reply);
    }
    CRequestGate* gate = nullptr;
};

TEST_F(DocumentTest, ARequestDuringAnotherOnesWait_StopsTheProgram) {
    WriteIdentity(f_profibusJ1939);
    auto responder = std::make_unique<CReenteringGateway>();
    CReenteringGateway* gateway = responder.get();
    CRequestGate gate(std::move(responder), &m_notifier, &m_clock);
    ASSERT_EQ(gate.ConnectDevice(), DeviceResult::Done);
    gateway->gate = &gate;
    DeviceReply reply;
    EXPECT_DEATH(gate.SendDeviceRequest(MakeGetRequest(CLS_Identity, 1, 103), reply),
                 "m_exchanging");
}

}  // namespace
