// The session's commands against the in-process simulator answering as a
// gateway through the real request gate, judged by the encoded requests, the
// message boxes and the session's reports.
#include <algorithm>

#include "SessionTestSupport.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/Notifier.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/session/ReportedTexts.h"

using namespace gantry;

namespace {

using Requests = std::vector<std::string>;

// The requests without their data.
Requests Heads(const Requests& requests) {
    Requests heads;
    for (const std::string& r : requests) {
        heads.push_back(r.substr(0, r.find(' ', r.find(' ') + 1)));
    }
    return heads;
}

bool Contains(const Requests& requests, const std::string& request) {
    return std::find(requests.begin(), requests.end(), request) != requests.end();
}

std::string IoSection(int instance, int direction, int offset, int size, unsigned pgn) {
    return "[J1939IO_" + std::to_string(instance) + "]\nDirection=" + std::to_string(direction) +
           "\nOffset=" + std::to_string(offset) + "\nSize=" + std::to_string(size) +
           "\nUpdate Rate=100\nTarget Address=5\nPGN=" + std::to_string(pgn) +
           "\nMessage Offset=0\n";
}

const std::string f_twoPoints = "[J1939IO_0]\nNumberOfEntries=2\n" + IoSection(1, 0, 0, 16, 61444) +
                                IoSection(2, 1, 0, 8, 65280);

// ---- Refresh Device Status ----

TEST_F(SessionTest, RefreshAfterSameGatewayWentFromRunToIdle_UpdatesTheModeAndTheError) {
    GatewayIdentity running = f_profibusJ1939;
    running.runMode = "Run";
    PlugAndStart(running);
    ASSERT_EQ(m_session->LastState(), RS_Run);

    GatewayIdentity idle = running;
    idle.runMode = "Idle";
    WriteIdentity(idle);
    m_session->RefreshDeviceStatus();

    // the error is read again: a change of mode may have set or cleared it
    EXPECT_EQ(TakeRequests(), (Requests{"G 1/1/103", "G 1/1/6", "G 1/1/104"}));
    EXPECT_EQ(m_listener.runStates, (std::vector<int>{RS_Idle}));
    EXPECT_EQ(m_listener.screenChanges,
              (std::vector<std::vector<ScreenKind>>{{ScreenKind::StatusView}}));
    EXPECT_EQ(m_session->LastState(), RS_Idle);
    EXPECT_EQ(m_session->RunState(), RS_Idle);
}

TEST_F(SessionTest, RefreshAfterAnotherGatewayWasPlugged_UploadsEverything) {
    PlugAndStart(f_profibusJ1939);
    GatewayIdentity other = f_profibusJ1939;
    other.serial = 0x1002;
    WriteIdentity(other, f_twoPoints);

    m_session->RefreshDeviceStatus();

    const Requests requests = TakeRequests();
    for (const char* identity : {"G 1/1/7", "G 1/1/4", "G 1/1/101", "G 1/1/102", "G 1/1/104"}) {
        EXPECT_TRUE(Contains(requests, identity)) << identity;
    }
    for (int attribute = 1; attribute <= 10; ++attribute) {
        EXPECT_TRUE(Contains(requests, "G 110/1/" + std::to_string(attribute))) << attribute;
    }
    EXPECT_TRUE(Contains(requests, "G 111/0/1"));
    EXPECT_TRUE(Contains(requests, "GA 111/1"));
    EXPECT_TRUE(Contains(requests, "GA 111/2"));
    EXPECT_EQ(CountWrites(requests), 0);
    EXPECT_EQ(m_session->LastSerial(), 0x1002u);
    EXPECT_EQ(m_session->Configuration().io.Inputs().size(), 1u);
    EXPECT_EQ(m_session->Configuration().io.Outputs().size(), 1u);
    EXPECT_TRUE(m_listener.layouts.empty());  // same pair: the screens stay
    EXPECT_FALSE(m_listener.screenChanges.empty());
}

TEST_F(SessionTest, RefreshInTheSameStateOrAfterAnAbsence_UploadsAgain) {
    PlugAndStart(f_profibusJ1939);
    m_session->RefreshDeviceStatus();  // same serial, same state
    EXPECT_TRUE(Contains(TakeRequests(), "G 111/0/1"));
    EXPECT_TRUE(m_listener.runStates.empty());

    m_session->MarkNotDetected();
    EXPECT_EQ(m_session->LastState(), RS_NotDetected);
    m_session->RefreshDeviceStatus();  // same serial, back from absence
    EXPECT_TRUE(Contains(TakeRequests(), "G 111/0/1"));
    EXPECT_EQ(m_session->LastState(), RS_Idle);
}

TEST_F(SessionTest, UploadOfAnotherPair_RebuildsTheScreensAndStartsANewDocument) {
    PlugAndStart(f_profibusJ1939);
    m_session->EditConfiguration().j1939.busOffReset = true;
    m_session->EditConfiguration().io.Add(tagJ1939DataPoint{JT_Input, 0, 8, 100, 1, 61444, 0, 6});
    WriteIdentity(f_ethernetJ1939);
    m_notifier.answerYes = false;  // "Save changes to Untitled?" No

    EXPECT_TRUE(m_session->Upload());

    ASSERT_EQ(m_listener.layouts.size(), 1u);
    EXPECT_EQ(m_listener.layouts[0].rows, LayoutOfPair(9, 6).rows);
    EXPECT_EQ(m_listener.previousHeights, (std::vector<int>{474}));
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].text, "Save changes to Untitled?");
    EXPECT_EQ(m_notifier.shown[0].buttons, NotifyButtons::YesNoCancel);
    const CConfiguration& config = m_session->Configuration();
    EXPECT_EQ(config.serverType, 6u);
    EXPECT_FALSE(config.j1939.busOffReset);  // defaults, then the gateway's values
    EXPECT_EQ(config.io.TotalCount(), 0u);
    EXPECT_TRUE(Contains(TakeRequests(), "G 140/1/1"));
    EXPECT_EQ(m_session->Layout().height, 619);
}

TEST_F(SessionTest, StartWithoutAGateway_ShowsNoModuleAndOffersOnlyOnlineCommands) {
    Plug(f_profibusJ1939);
    m_gateway->unplugged = true;
    m_session->Start();

    EXPECT_EQ(m_session->RunState(), RS_NotDetected);
    EXPECT_EQ(m_session->ModulePaneText(), "NO MODULE");
    ASSERT_EQ(m_listener.layouts.size(), 1u);
    EXPECT_TRUE(m_listener.layouts[0].IsSingleScreen());
    EXPECT_TRUE(m_requests.empty());  // nothing reaches a gateway that never connected
    EXPECT_TRUE(m_session->IsCommandEnabled(SessionCommand::RefreshDeviceStatus));
    EXPECT_TRUE(m_session->IsCommandEnabled(SessionCommand::OfflineConfiguration));
    EXPECT_FALSE(m_session->IsCommandEnabled(SessionCommand::Upload));
    EXPECT_FALSE(m_session->IsCommandEnabled(SessionCommand::Download));
    EXPECT_FALSE(m_session->IsCommandEnabled(SessionCommand::Connect));
    EXPECT_FALSE(m_session->IsCommandEnabled(SessionCommand::AddIoPoint));
    EXPECT_FALSE(m_session->ControlsEnabled());
}

// ---- Download ----

struct SaveCase {
    const char* name;
    GatewayIdentity gateway;
    std::string save;
    int saveClass;
};

class SessionDownloadSave : public SessionTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SessionDownloadSave, Download_SendsOneSaveToThePairsClassAndReadsTheStateLast) {
    PlugAndStart(GetParam().gateway, f_twoPoints);

    const DownloadReport report = m_session->Download();

    EXPECT_EQ(report.outcome, DownloadOutcome::Written);
    EXPECT_EQ(report.saveClass, GetParam().saveClass);
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].text, f_szDownloadCaution);
    EXPECT_EQ(m_notifier.shown[0].caption, "Configuration Download");
    EXPECT_EQ(m_notifier.shown[0].buttons, NotifyButtons::YesNo);
    EXPECT_EQ(m_notifier.shown[0].icon, NotifyIcon::Warning);
    const Requests requests = TakeRequests();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests.front(), "G 1/1/103");
    EXPECT_EQ(Saves(requests), (Requests{GetParam().save}));
    EXPECT_EQ(requests[requests.size() - 2], GetParam().save);
    EXPECT_EQ(requests.back(), "G 1/1/103");
    EXPECT_FALSE(report.moduleAbsentAfter);
}

INSTANTIATE_TEST_SUITE_P(
    KnownPairs, SessionDownloadSave,
    ::testing::Values(SaveCase{"ProfibusJ1939", f_profibusJ1939, "Save 111/0", 111},
                      SaveCase{"EthernetJ1939", f_ethernetJ1939, "Save 140/0", 140},
                      SaveCase{"J1939Modbus", f_j1939Modbus, "Save 111/0", 111},
                      SaveCase{"EthernetDeviceNet", f_ethernetDeviceNet, "Save 140/0", 140},
                      SaveCase{"ProfibusDeviceNet", f_profibusDeviceNet, "Save 3/0", 3}),
    [](const ::testing::TestParamInfo<SaveCase>& info) { return info.param.name; });

TEST_F(SessionTest, DownloadOnProfibusJ1939_WritesSettingsThenTableInOrder) {
    PlugAndStart(f_profibusJ1939, f_twoPoints);
    m_session->Download();
    const Requests requests = TakeRequests();
    const Requests expected = {"S 110/1/4", "S 110/1/5", "S 110/1/6",  "S 110/1/7",
                               "S 110/1/8", "S 110/1/9", "S 110/1/10", "S 111/0/1",
                               "SA 111/1",  "SA 111/2",  "Save 111/0"};
    Requests writes;
    for (const std::string& r : Heads(requests)) {
        if (CountWrites({r}) == 1) {
            writes.push_back(r);
        }
    }
    EXPECT_EQ(writes, expected);
    EXPECT_TRUE(Contains(requests, "S 111/0/1 0200"));
}

TEST_F(SessionTest, DownloadAnsweredNo_SendsNothing) {
    PlugAndStart(f_profibusJ1939);
    m_notifier.answerYes = false;
    EXPECT_EQ(m_session->Download().outcome, DownloadOutcome::Declined);
    EXPECT_TRUE(TakeRequests().empty());
}

TEST_F(SessionTest, DownloadWithTheGatewayGone_WritesNothingAndShowsTheAbsence) {
    PlugAndStart(f_profibusJ1939);
    m_gateway->unplugged = true;
    const DownloadReport report = m_session->Download();
    EXPECT_EQ(report.outcome, DownloadOutcome::NoModule);
    EXPECT_EQ(CountWrites(TakeRequests()), 0);
    EXPECT_EQ(m_session->ModulePaneText(), "NO MODULE");
}

struct RefusalCase {
    const char* name;
    GatewayIdentity gateway;
    ScreenEntries entries;
    std::string text;
    std::string caption;
};

class SessionDownloadRefusal : public SessionTest,
                               public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(SessionDownloadRefusal, RefusedEntry_StopsTheDownloadWithItsMessageAndNoWrite) {
    PlugAndStart(GetParam().gateway);

    const DownloadReport report = m_session->Download(GetParam().entries);

    EXPECT_EQ(report.outcome, DownloadOutcome::Refused);
    ASSERT_EQ(m_notifier.shown.size(), 2u);
    EXPECT_EQ(m_notifier.shown[1].text, GetParam().text);
    EXPECT_EQ(m_notifier.shown[1].caption, GetParam().caption);
    EXPECT_EQ(m_notifier.shown[1].buttons, NotifyButtons::Ok);
    ASSERT_EQ(report.refusals.size(), 1u);
    EXPECT_EQ(report.refusals[0].text, GetParam().text);
    const Requests requests = TakeRequests();
    EXPECT_EQ(requests, (Requests{"G 1/1/103"}));
    EXPECT_EQ(CountWrites(requests), 0);
}

ScreenEntries MacEntry(const char* text) {
    ScreenEntries entries;
    entries.macAddress = text;
    return entries;
}
ScreenEntries AddressEntry(const char* text) {
    ScreenEntries entries;
    entries.modbusNetworkAddress = text;
    return entries;
}
ScreenEntries IoSizeEntry(const char* text) {
    ScreenEntries entries;
    entries.ioSize = text;
    return entries;
}
ScreenEntries OfflineEntry(const char* text) {
    ScreenEntries entries;
    entries.offlineDetection = OfflineDetectionEntry{true, text};
    return entries;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, SessionDownloadRefusal,
    ::testing::Values(
        RefusalCase{"Mac64", f_profibusDeviceNet, MacEntry("64"),
                    "Invalid MAC Address. Please specify the MAC Address in the 0 - 63 range.",
                    "Invalid Entry"},
        RefusalCase{"Mac00", f_ethernetDeviceNet, MacEntry("00"),
                    "Invalid MAC Address. Please specify the MAC Address in the 0 - 63 range.",
                    "Invalid Entry"},
        RefusalCase{"Address248", f_j1939Modbus, AddressEntry("248"),
                    "Invalid Network Address. Please specify the Network Address in the 1 - 247 "
                    "range.",
                    "Invalid Entry"},
        RefusalCase{"IoSize501", f_ethernetJ1939, IoSizeEntry("501"),
                    "I/O Size must be between 4 and 500 bytes", "I/O Size Entry Error"},
        RefusalCase{"OfflineTime50", f_profibusJ1939, OfflineEntry("50"),
                    "Offline Detection Time must be between 100ms and 60000ms",
                    "Offline Detect Time Entry Error"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST_F(SessionTest, EthernetRefusal_EndsTheAskingAtOnce) {
    PlugAndStart(f_ethernetDeviceNet);
    ScreenEntries entries;
    entries.ioSize = "501";
    entries.macAddress = "64";
    const DownloadReport report = m_session->Download(entries);
    ASSERT_EQ(report.refusals.size(), 1u);
    EXPECT_EQ(report.refusals[0].caption, "I/O Size Entry Error");
    EXPECT_EQ(m_notifier.shown.size(), 2u);
}

TEST_F(SessionTest, OtherRefusals_AreAllAskedAndShownInScreenOrder) {
    PlugAndStart(f_j1939Modbus);
    ScreenEntries entries;
    entries.modbusNetworkAddress = "248";
    entries.offlineDetection = OfflineDetectionEntry{true, "50"};
    const DownloadReport report = m_session->Download(entries);
    EXPECT_EQ(report.outcome, DownloadOutcome::Refused);
    ASSERT_EQ(report.refusals.size(), 2u);
    EXPECT_EQ(report.refusals[0].field, Field::NetworkAddress);
    EXPECT_EQ(report.refusals[1].caption, "Offline Detect Time Entry Error");
    EXPECT_EQ(m_notifier.shown.size(), 3u);
    EXPECT_EQ(CountWrites(TakeRequests()), 0);
}

TEST_F(SessionTest, AcceptedEntries_AreWhatTheDownloadWrites) {
    PlugAndStart(f_ethernetDeviceNet);  // the gateway's MAC address is 63
    ScreenEntries entries;
    entries.ioSize = "300";
    entries.macAddress = "0x3E";
    EXPECT_EQ(m_session->Download(entries).outcome, DownloadOutcome::Written);
    Requests requests = TakeRequests();
    EXPECT_TRUE(Contains(requests, "S 141/1/2 2C01"));
    EXPECT_TRUE(Contains(requests, "S 3/1/1 3E"));
    EXPECT_EQ(m_session->Configuration().limits, DataTableLimits::ForEthernet(300));

    // the same MAC address again is not rewritten: that would take the node off the network
    EXPECT_EQ(m_session->Download(entries).outcome, DownloadOutcome::Written);
    requests = TakeRequests();
    EXPECT_TRUE(Contains(requests, "G 3/1/1"));
    EXPECT_EQ(CountPrefix(requests, "S 3/1/1 "), 0);
}

TEST_F(SessionTest, TableBeyondItsLimits_BlocksTheDownloadWithBothChecks) {
    PlugAndStart(f_profibusJ1939);
    CJ1939IO& io = m_session->EditConfiguration().io;
    io.Add(tagJ1939DataPoint{JT_Input, 0, 8, 100, 1, 61444, 0, 6});
    io.Add(tagJ1939DataPoint{JT_Input, 8000, 16, 100, 1, 61445, 0, 6});  // beyond 244 bytes
    const DownloadReport report = m_session->Download();
    EXPECT_EQ(report.outcome, DownloadOutcome::Refused);
    ASSERT_FALSE(report.refusals.empty());
    EXPECT_EQ(report.refusals[0].caption, "Invalid Parameters");
    EXPECT_EQ(CountWrites(TakeRequests()), 0);
}

TEST_F(SessionTest, ReplyLostInTheMiddleOfADownload_MarksTheModuleAbsentAndKeepsTheTable) {
    PlugAndStart(f_profibusJ1939, f_twoPoints);
    const CJ1939IO before = m_session->Configuration().io;
    ASSERT_EQ(before.TotalCount(), 2u);
    m_gateway->loseFrom = 4;  // state read, NAME, address list, then the line goes dead
    const int connectsBefore = m_gateway->connects;

    const DownloadReport report = m_session->Download();

    EXPECT_TRUE(report.moduleAbsentAfter);
    EXPECT_EQ(m_session->RunState(), RS_NotDetected);
    EXPECT_EQ(m_session->LastState(), RS_NotDetected);
    EXPECT_EQ(m_session->ModulePaneText(), "NO MODULE");
    EXPECT_GT(m_gateway->connects, connectsBefore);  // the final read tried to connect again
    ASSERT_FALSE(m_results.empty());
    EXPECT_EQ(m_results.back(), 0);  // the lost one; nothing is sent after it
    const Requests requests = TakeRequests();
    EXPECT_EQ(Heads(requests), (Requests{"G 1/1/103", "S 110/1/4", "S 110/1/5", "S 110/1/6"}));
    EXPECT_TRUE(Saves(requests).empty());
    EXPECT_EQ(m_session->Configuration().io, before);
    EXPECT_TRUE(J1939StatusTexts(m_session->Configuration().j1939).status.empty());
}

// ---- New configuration, offline, connect ----

// Every record of the configuration, whatever the pair.
void ExpectSameRecords(const CConfiguration& a, const CConfiguration& b) {
    EXPECT_EQ(a.clientType, b.clientType);
    EXPECT_EQ(a.serverType, b.serverType);
    EXPECT_TRUE(a.deviceNet.SameStoredValues(b.deviceNet));
    EXPECT_TRUE(a.modbus.SameStoredValues(b.modbus));
    EXPECT_TRUE(a.modbusEnhanced.SameStoredValues(b.modbusEnhanced));
    EXPECT_TRUE(a.j1939.SameStoredValues(b.j1939));
    EXPECT_EQ(a.io, b.io);
    EXPECT_TRUE(a.ethernet.SameStoredValues(b.ethernet));
    EXPECT_EQ(a.limits, b.limits);
}

void FillWithNonDefaults(CConfiguration& config) {
    config.deviceNet.macAddress = 12;
    config.deviceNet.baudIndex = 2;
    config.deviceNet.autobaud = true;
    config.deviceNet.inputSafeState = 1;
    config.modbus.networkAddress = 17;
    config.modbus.baudRate = 9600;
    config.modbusEnhanced.networkType = 1;
    config.j1939.name = {1, 2, 3, 4, 5, 6, 7, 8};
    config.j1939.addressList = {1, 2};
    config.j1939.busOffReset = true;
    config.j1939.statusInInput = true;
    config.j1939.offlineTimeMs = 2500;
    config.io.Add(tagJ1939DataPoint{JT_Input, 0, 8, 100, 1, 61444, 0, 6});
    config.ethernet.ioSize = 300;
    config.ethernet.dhcpIndex = 0;
}

class SessionNewConfiguration : public SessionTest, public ::testing::WithParamInterface<int> {};

TEST_P(SessionNewConfiguration, WithoutAModule_ChosenProductTakesItsDefaultsOffline) {
    Plug(f_profibusJ1939);
    m_gateway->unplugged = true;
    m_session->Start();
    FillWithNonDefaults(m_session->EditConfiguration());
    const ProductCombination product = ProductCombinationForIndex(GetParam());
    m_listener.productChoice = GetParam();

    ASSERT_TRUE(m_session->NewConfiguration());

    ASSERT_EQ(m_listener.productLists.size(), 1u);
    EXPECT_EQ(m_listener.productLists[0], NewModuleItems());
    EXPECT_EQ(m_session->ModulePaneText(), "OFFLINE");
    EXPECT_EQ(m_session->RunState(), RS_Idle);
    EXPECT_EQ(m_session->OfflineProduct().product, product);
    EXPECT_EQ(m_session->Layout().rows, LayoutOfPair(product.clientType, product.serverType).rows);
    const CConfiguration& config = m_session->Configuration();
    EXPECT_EQ(config.clientType, static_cast<std::uint32_t>(product.clientType));
    EXPECT_EQ(config.serverType, static_cast<std::uint32_t>(product.serverType));
    const RecordSet records = config.Records();
    if (records.deviceNet) {
        EXPECT_EQ(config.deviceNet.macAddress, 63u);
        EXPECT_EQ(config.deviceNet.baudIndex, 0u);
        EXPECT_FALSE(config.deviceNet.autobaud);
        EXPECT_EQ(config.deviceNet.inputSafeState, 0u);
    }
    if (records.modbus) {
        EXPECT_EQ(config.modbus.networkAddress, 5u);
        EXPECT_EQ(config.modbus.baudRate, 19200u);
        EXPECT_EQ(config.modbus.watchdogMs, 5000u);
    }
    if (records.j1939) {
        EXPECT_EQ(config.j1939.name, (J1939Name{255, 255, 255, 255, 255, 255, 255, 255}));
        EXPECT_EQ(config.j1939.addressList, (std::vector<std::uint8_t>{128}));
        EXPECT_FALSE(config.j1939.busOffReset);
        EXPECT_TRUE(config.j1939.statusInInput);  // kept
        EXPECT_EQ(config.j1939.offlineTimeMs, 0u);
        EXPECT_EQ(config.j1939.baudIndex, 0);
        EXPECT_EQ(config.io.TotalCount(), 0u);
    }
    if (records.ethernet) {
        EXPECT_EQ(config.ethernet.ioSize, 500u);
        EXPECT_EQ(config.ethernet.dhcpIndex, 1u);
        EXPECT_EQ(config.limits, DataTableLimits::ForEthernet(500));
    }
    if (product.serverType == IT_ProfibusSlave && records.j1939) {
        EXPECT_EQ(config.limits, DataTableLimits::ForProfibus(true));
    }
    EXPECT_TRUE(m_requests.empty());  // offline: the simulator is not even asked
}

INSTANTIATE_TEST_SUITE_P(KnownProducts, SessionNewConfiguration, ::testing::Range(0, 5));

TEST_F(SessionTest, NewConfigurationCancelled_LeavesEveryRecordAsItWas) {
    Plug(f_profibusJ1939);
    m_gateway->unplugged = true;
    m_session->Start();
    FillWithNonDefaults(m_session->EditConfiguration());
    const CConfiguration before = m_session->Configuration();
    const ScreenLayout layout = m_session->Layout();
    m_listener.Clear();

    EXPECT_FALSE(m_session->NewConfiguration());

    ExpectSameRecords(m_session->Configuration(), before);
    EXPECT_EQ(m_session->Layout().rows, layout.rows);
    EXPECT_EQ(m_session->ModulePaneText(), "NO MODULE");
    EXPECT_TRUE(m_listener.layouts.empty());
    EXPECT_TRUE(m_listener.screenChanges.empty());
    EXPECT_TRUE(m_listener.offlineChanges.empty());
}

TEST_F(SessionTest, NewConfigurationWithAWorkingGateway_KeepsItsPairAndAsksNothing) {
    PlugAndStart(f_ethernetJ1939);
    FillWithNonDefaults(m_session->EditConfiguration());
    ASSERT_TRUE(m_session->NewConfiguration());
    EXPECT_TRUE(m_listener.productLists.empty());
    EXPECT_EQ(m_session->ModulePaneText(), "ONLINE");
    EXPECT_EQ(m_session->Configuration().serverType, 6u);
    EXPECT_EQ(m_session->Configuration().ethernet.ioSize, 500u);
    EXPECT_TRUE(TakeRequests().empty());
}

TEST_F(SessionTest, OfflineConfigurationWithAModule_TakesItsIdentityAndReadsTheSimulator) {
    PlugAndStart(f_ethernetJ1939);
    m_session->OfflineConfiguration();

    EXPECT_EQ(m_session->ModulePaneText(), "OFFLINE");
    const OfflineIdentity& offline = m_session->OfflineProduct();
    EXPECT_EQ(offline.product.name, "Test Gateway");
    EXPECT_EQ(offline.product.revision, MakeRevision(2, 8));
    EXPECT_EQ(offline.product.clientType, IT_J1939);
    EXPECT_EQ(offline.product.serverType, IT_EthernetServer);
    EXPECT_EQ(J1939StatusTexts(m_session->Configuration().j1939).status, "Offline");
    EXPECT_EQ(J1939StatusTexts(m_session->Configuration().j1939).error, "None");
    EXPECT_EQ(m_listener.offlineChanges, (std::vector<bool>{true}));
    EXPECT_TRUE(m_listener.layouts.empty());
    EXPECT_TRUE(m_session->IsCommandEnabled(SessionCommand::Connect));
    EXPECT_FALSE(m_session->IsCommandEnabled(SessionCommand::Download));
    EXPECT_EQ(m_session->J1939ScreenFields().baudRates.items.size(), 3u);
}

TEST_F(SessionTest, OfflineConfigurationWithoutAModule_StartsANewConfigurationAtOnce) {
    Plug(f_profibusJ1939);
    m_gateway->unplugged = true;
    m_session->Start();
    m_listener.productChoice = 1;
    m_session->OfflineConfiguration();
    EXPECT_EQ(m_listener.productLists.size(), 1u);
    EXPECT_EQ(m_session->ModulePaneText(), "OFFLINE");
    EXPECT_EQ(m_session->Layout().rows, LayoutOfPair(1, 11).rows);
}

TEST_F(SessionTest, ConnectFromOffline_ScansAgainAndUploadsTheGateway) {
    Plug(f_profibusJ1939, f_twoPoints);
    m_gateway->unplugged = true;
    m_session->Start();
    m_listener.productChoice = 2;
    ASSERT_TRUE(m_session->NewConfiguration());
    m_gateway->unplugged = false;
    const int connects = m_gateway->connects;
    m_notifier.answerYes = false;  // the new document is not saved before the upload

    m_session->Connect();

    EXPECT_EQ(m_gateway->connects, connects + 1);
    EXPECT_EQ(m_session->ModulePaneText(), "ONLINE");
    EXPECT_EQ(m_session->Layout().rows, LayoutOfPair(9, 11).rows);
    EXPECT_EQ(m_session->Configuration().io.TotalCount(), 2u);
    EXPECT_EQ(m_session->LastSerial(), f_profibusJ1939.serial);
}

// ---- what the screens show for the gateway ----

TEST_F(SessionTest, ProfibusJ1939BaudList_DecidesWhetherTheDownloadWritesNoSelection) {
    struct Case {
        const char* revision;
        std::vector<std::string> items;
        const char* written;
    };
    const Case cases[] = {
        {"1.06", {}, "S 110/1/10 FF"},
        {"1.07", {"250k", "500k"}, "S 110/1/10 FF"},
        {"1.08", {"250k", "500k", "125k"}, "S 110/1/10 02"},
    };
    for (const Case& c : cases) {
        GatewayIdentity gateway = f_profibusJ1939;
        gateway.revision = c.revision;
        PlugAndStart(gateway, "[J1939Config]\nBaud Rate=2\n");  // the gateway runs at 125k
        const J1939Fields fields = m_session->J1939ScreenFields();
        EXPECT_EQ(fields.baudRates.visible, !c.items.empty()) << c.revision;
        EXPECT_EQ(fields.baudRates.items, c.items) << c.revision;
        m_session->Download();
        EXPECT_TRUE(Contains(TakeRequests(), c.written)) << c.revision;
    }
}

TEST_F(SessionTest, DeviceNetFields_FollowTheGatewaysRevision) {
    struct Case {
        GatewayIdentity gateway;
        const char* revision;
        bool statusData;
        bool safeState;
    };
    const Case cases[] = {
        {f_profibusDeviceNet, "1.09", false, false},
        {f_profibusDeviceNet, "1.10", true, true},
        {f_ethernetDeviceNet, "1.10", false, false},
        {f_ethernetDeviceNet, "1.11", false, true},
    };
    for (const Case& c : cases) {
        GatewayIdentity gateway = c.gateway;
        gateway.revision = c.revision;
        PlugAndStart(gateway);
        const DeviceNetFields fields = m_session->DeviceNetScreenFields();
        EXPECT_EQ(fields.statusDataInInputTable, c.statusData) << c.revision;
        EXPECT_EQ(fields.inputSafeState, c.safeState) << c.revision;
    }
}

// ---- entry events ----

TEST_F(SessionTest, LeavingTheIoSize_RefusedTextKeepsTheLimitsAcceptedOneSetsThem) {
    PlugAndStart(f_ethernetJ1939);
    const DataTableLimits before = m_session->Configuration().limits;
    const std::optional<Refusal> refusal = m_session->CommitIoSizeEntry("600");
    ASSERT_TRUE(refusal);
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].text, "I/O Size must be between 4 and 500 bytes");
    EXPECT_EQ(m_session->Configuration().limits, before);

    EXPECT_FALSE(m_session->CommitIoSizeEntry("300"));
    EXPECT_EQ(m_session->Configuration().limits, (DataTableLimits{296, 292, 588}));
}

TEST_F(SessionTest, StatusDataInInput_SetsTheProfibusLimitsAndChecksTheTable) {
    PlugAndStart(f_profibusJ1939);
    m_session->EditConfiguration().io.Add(
        tagJ1939DataPoint{JT_Input, 1856, 16, 100, 1, 61444, 0, 6});
    m_session->SetStatusDataInInput(true);  // input table shrinks to 232 bytes
    EXPECT_EQ(m_session->Configuration().limits, DataTableLimits::ForProfibus(true));
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].caption, "Invalid Parameters");
}

TEST_F(SessionTest, AddressListAndOfflineBox_ShowTheirRefusals) {
    PlugAndStart(f_profibusJ1939);
    EXPECT_TRUE(m_session->AddNetworkAddress("256"));
    EXPECT_FALSE(m_session->AddNetworkAddress("0x10"));
    EXPECT_TRUE(m_session->RemoveNetworkAddress(-1));
    ASSERT_EQ(m_notifier.shown.size(), 2u);
    EXPECT_EQ(m_notifier.shown[0].icon, NotifyIcon::Warning);
    EXPECT_EQ(m_notifier.shown[1].caption, "Request Failed");
    EXPECT_EQ(m_session->Configuration().j1939.addressList.back(), 16);

    m_session->SetOfflineDetectionEnabled(true);
    EXPECT_EQ(m_session->Configuration().j1939.offlineTimeMs, 1000u);
    EXPECT_TRUE(m_session->CheckOfflineDetectionEntry({true, "60001"}));
    EXPECT_EQ(m_session->Configuration().j1939.offlineTimeMs, 1000u);
    EXPECT_FALSE(m_session->CheckOfflineDetectionEntry({true, "250"}));
    EXPECT_EQ(m_session->Configuration().j1939.offlineTimeMs, 250u);
}

TEST_F(SessionTest, ClearErrorStatusAndRunMode_GoToTheIdentityObject) {
    PlugAndStart(f_profibusJ1939);
    m_session->ClearErrorStatus();
    EXPECT_EQ(TakeRequests(), (Requests{"S 1/1/104", "G 1/1/104"}));  // cleared, then read
    EXPECT_EQ(m_clock.SleepCount(), 1);
    m_session->SelectRunMode(RS_Run);
    const Requests requests = TakeRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front(), "S 1/1/103 01");
    EXPECT_EQ(m_listener.runStates.back(), RS_Run);
    m_session->SelectRunMode(RS_Faulted);
    EXPECT_TRUE(TakeRequests().empty());
}

}  // namespace

namespace {

// ---- opening a configuration file ----

std::vector<std::uint8_t> ModbusFile() {
    CConfiguration config;
    config.clientType = IT_J1939;
    config.serverType = IT_ModbusSlave;
    config.SetRevision(MakeRevision(2, 6));
    config.modbus.networkAddress = 42;
    config.j1939.offlineTimeMs = 700;
    config.io.Add(tagJ1939DataPoint{JT_Output, 0, 8, 50, 3, 65280, 0, 6});
    return WriteConfigFile(config, 0);
}

TEST_F(SessionTest, OpeningAnotherPairsFileWithAWorkingGateway_FailsAndChangesNothing) {
    PlugAndStart(f_ethernetJ1939);
    const CConfiguration before = m_session->Configuration();
    const OpenResult result = m_session->OpenConfiguration(ModbusFile());
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.message, "Failed to open document.");
    EXPECT_EQ(m_session->ModulePaneText(), "ONLINE");
    EXPECT_EQ(m_session->Configuration().serverType, before.serverType);
    EXPECT_TRUE(m_session->Configuration().ethernet.SameStoredValues(before.ethernet));
    EXPECT_TRUE(m_listener.layouts.empty());
}

TEST_F(SessionTest, OpeningAFileWithoutAModule_GoesOfflineOnTheFilesPair) {
    Plug(f_profibusJ1939);
    m_gateway->unplugged = true;
    m_session->Start();

    const OpenResult result = m_session->OpenConfiguration(ModbusFile());

    ASSERT_TRUE(result.opened);
    EXPECT_EQ(m_session->ModulePaneText(), "OFFLINE");
    EXPECT_EQ(m_session->RunState(), RS_Idle);
    EXPECT_EQ(m_session->OfflineProduct().product.name, "J1939 to Modbus Interface");
    EXPECT_EQ(m_session->Layout().rows, LayoutOfPair(9, 8).rows);
    EXPECT_EQ(m_session->Configuration().modbus.networkAddress, 42u);
    EXPECT_EQ(m_session->Configuration().j1939.offlineTimeMs, 700u);
    EXPECT_EQ(m_session->Configuration().io.Outputs().size(), 1u);
    EXPECT_TRUE(m_session->IsCommandEnabled(SessionCommand::AddIoPoint));
}

TEST_F(SessionTest, ConnectAfterOfflineWork_UploadsTheGatewayEvenInAnotherMode) {
    PlugAndStart(f_profibusJ1939, f_twoPoints);
    m_session->OfflineConfiguration();
    m_session->EditConfiguration().io.Clear();  // edited offline
    GatewayIdentity running = f_profibusJ1939;
    running.runMode = "Run";  // the same gateway, switched to Run meanwhile
    WriteIdentity(running, f_twoPoints);
    TakeRequests();
    m_notifier.answerYes = false;  // the offline edits are not saved before the upload

    m_session->Connect();

    EXPECT_EQ(m_session->ModulePaneText(), "ONLINE");
    EXPECT_EQ(m_session->RunState(), RS_Run);
    EXPECT_TRUE(Contains(TakeRequests(), "G 111/0/1"));
    EXPECT_EQ(m_session->Configuration().io.TotalCount(), 2u);
    EXPECT_EQ(J1939StatusTexts(m_session->Configuration().j1939).error,
              "No Error");  // offline showed "None"
}

}  // namespace

namespace {

TEST_F(SessionTest, ReplyLostDuringARefresh_ShowsTheAbsenceAndTheNextRefreshUploadsAgain) {
    PlugAndStart(f_profibusJ1939, f_twoPoints);
    m_gateway->loseFrom = 3;  // state, serial, then the upload's first identity read

    m_session->RefreshDeviceStatus();

    EXPECT_EQ(m_session->ModulePaneText(), "NO MODULE");
    EXPECT_EQ(m_session->LastState(), RS_NotDetected);
    EXPECT_FALSE(m_listener.screenChanges.empty());
    EXPECT_EQ(m_session->Configuration().io.TotalCount(), 2u);
    EXPECT_FALSE(m_session->ControlsEnabled());

    // back, and switched to Run meanwhile: still a full upload, not only the mode
    GatewayIdentity running = f_profibusJ1939;
    running.runMode = "Run";
    WriteIdentity(running, f_twoPoints);
    m_gateway->unplugged = false;
    m_session->RefreshDeviceStatus();
    EXPECT_EQ(m_session->ModulePaneText(), "ONLINE");
    EXPECT_EQ(m_session->RunState(), RS_Run);
    EXPECT_TRUE(Contains(TakeRequests(), "GA 111/2"));
    EXPECT_EQ(m_session->Configuration().io.TotalCount(), 2u);
}

TEST_F(SessionTest, RelayoutBetweenPairsWithoutScreens_KeepsTheStatusViewAndTakesThePair) {
    Plug(f_profibusJ1939);
    m_gateway->unplugged = true;
    m_session->Start();
    m_listener.Clear();
    EXPECT_FALSE(m_session->Relayout(3, 11));
    EXPECT_TRUE(m_listener.layouts.empty());
    EXPECT_EQ(m_session->Layout().clientType, 3);
    EXPECT_EQ(m_session->Layout().serverType, 11);
    EXPECT_TRUE(m_session->Relayout(9, 11));
    EXPECT_EQ(m_listener.previousHeights, (std::vector<int>{104}));
    EXPECT_FALSE(m_session->Relayout(9, 11));  // same pair: nothing rebuilt
    EXPECT_EQ(m_listener.layouts.size(), 1u);
}

TEST_F(SessionTest, DownloadLosingTheGateway_WarnsOnceNamingTheUnansweredWrites) {
    PlugAndStart(f_profibusJ1939, f_twoPoints);
    // run state, 7 settings, the count, then the first point is lost
    m_gateway->loseFrom = 10;
    const DownloadReport report = m_session->Download();
    EXPECT_EQ(report.outcome, DownloadOutcome::Written);
    EXPECT_FALSE(report.Complete());
    EXPECT_TRUE(report.gatewayLost);
    EXPECT_EQ(report.writes.attempted, 11);
    ASSERT_EQ(m_notifier.shown.size(), 2u);  // the caution, then the warning
    EXPECT_EQ(m_notifier.shown[1].caption, "Configuration Download");
    EXPECT_EQ(m_notifier.shown[1].icon, NotifyIcon::Warning);
    EXPECT_EQ(m_notifier.shown[1].text,
              "The gateway did not store the whole configuration: 3 of 11 writes failed.\n"
              "Not answered: J1939 I/O point 1, J1939 I/O point 2, Save of the J1939 I/O table.\n"
              "The gateway stopped answering during the download: check the line and the "
              "gateway, then download again.");
    // the order of requests is the download's own up to the loss
    const Requests requests = TakeRequests();
    ASSERT_EQ(requests.size(), 10u);
    EXPECT_EQ(requests[8].rfind("S 111/0/1", 0), 0u);
    EXPECT_EQ(requests[9].rfind("SA 111/1", 0), 0u);
}

}  // namespace
