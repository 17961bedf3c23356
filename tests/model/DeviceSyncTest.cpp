// Refresh, upload and download sequences, checked by the encoded requests that
// pass the real request gate while the in-process simulator answers as a
// gateway.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "model/DeviceSyncFixture.h"
#include "tool/device/SimulatorResponder.h"
#include "tool/model/NetworkRules.h"
#include "tool/session/ReportedTexts.h"

using namespace gantry;

using namespace gantry::tool;

namespace {

TEST_F(DeviceSyncTest, DeviceNetRefreshReadsInOrder) {
    Start(f_szEthernetDeviceNet);
    DeviceNetSettings settings;
    EXPECT_EQ(RefreshDeviceNet(Link(), settings), RefreshOutcome::Read);
    EXPECT_EQ(Take(), (Requests{"G 144/1/22", "G 3/1/1", "G 3/1/2", "G 3/1/100", "G 3/1/101",
                                "G 3/1/103", "G 3/1/104"}));
    EXPECT_EQ(DeviceNetStatusTexts(settings).error, "No Error");
}

TEST_F(DeviceSyncTest, DeviceNetDownloadGoesIdleAndWritesTheMacOnlyWhenItDiffers) {
    Start(f_szEthernetDeviceNet);
    DeviceNetSettings settings;
    settings.macAddress = 10;
    settings.baudIndex = 2;
    settings.swapIo = true;
    WriteDeviceNet(Link(), settings);
    Requests first = Take();
    ASSERT_GE(first.size(), 2u);
    EXPECT_EQ(first[0], "S 1/1/103 00");
    EXPECT_EQ(first[1], "G 1/1/103");
    EXPECT_EQ(Requests(first.begin() + 2, first.end()),
              (Requests{"S 3/1/101 01", "S 3/1/103 00", "S 3/1/104 00", "S 3/1/100 00",
                        "S 3/1/2 02", "G 3/1/1", "S 3/1/1 0A"}));
    WriteDeviceNet(Link(), settings);
    const Requests second = Take();
    EXPECT_EQ(second.back(), "G 3/1/1");  // the gateway already holds MAC 10
}

TEST_F(DeviceSyncTest, RefusedMacAddressIsJudgedBeforeAnyWrite) {
    Start(f_szEthernetDeviceNet);
    DeviceNetSettings settings;
    settings.macAddress = 64;
    const auto refusal = ValidateDeviceNet(settings);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->caption, "Invalid Entry");
    EXPECT_TRUE(Take().empty());
}

TEST_F(DeviceSyncTest, ModbusRefreshAndDownloadOrderAndBaudScaling) {
    Start(f_szJ1939Modbus);
    ModbusSettings settings;
    settings.networkAddress = 247;
    settings.parity = 2;
    WriteModbus(Link(), settings);
    EXPECT_EQ(Take(), (Requests{"S 130/1/3 F7", "S 130/1/4 C000", "S 130/1/5 02", "S 130/1/6 01",
                                "S 130/1/7 8813"}));
    ModbusSettings read;
    EXPECT_EQ(RefreshModbus(Link(), read), RefreshOutcome::Read);
    EXPECT_EQ(Take(), (Requests{"G 130/1/1", "G 130/1/2", "G 130/1/3", "G 130/1/4", "G 130/1/5",
                                "G 130/1/6", "G 130/1/7"}));
    EXPECT_EQ(read.networkAddress, 247u);
    EXPECT_EQ(read.parity, 2u);
    EXPECT_EQ(read.baudRate, 19200u);
    // 96 from the gateway shows 9600; 384 (38400) has no item and keeps the value
    settings.baudRate = 9600;
    WriteModbus(Link(), settings);
    EXPECT_EQ(Take()[1], "S 130/1/4 6000");
    RefreshModbus(Link(), read);
    EXPECT_EQ(read.baudRate, 9600u);
    settings.baudRate = 38400;
    WriteModbus(Link(), settings);
    RefreshModbus(Link(), read);
    EXPECT_EQ(read.baudRate, 9600u);
}

TEST_F(DeviceSyncTest, EnhancedModbusAddsNetworkTypeAndDuplex) {
    Start("Firmware Revision=2.00\nClient Type=12\nServer Type=J1939\n");
    EnhancedModbusSettings settings;
    settings.networkType = 1;
    WriteEnhancedModbus(Link(), settings);
    const Requests written = Take();
    ASSERT_EQ(written.size(), 7u);
    EXPECT_EQ(written[5], "S 130/1/8 01");
    EXPECT_EQ(written[6], "S 130/1/9 00");
    EnhancedModbusSettings read;
    RefreshEnhancedModbus(Link(), read);
    const Requests reads = Take();
    ASSERT_EQ(reads.size(), 9u);
    EXPECT_EQ(reads[7], "G 130/1/8");
    EXPECT_EQ(reads[8], "G 130/1/9");
    EXPECT_EQ(read.networkType, 1u);
}

TEST_F(DeviceSyncTest, EthernetOrderAndRefusedReadsCountAs0And500) {
    Start(f_szJ1939Ethernet, false);  // this gateway has no class 141
    EthernetSettings settings;
    settings.modbusTimeoutMs = 7;
    settings.ioSize = 40;
    EXPECT_EQ(RefreshEthernet(Link(), settings), RefreshOutcome::Read);
    EXPECT_EQ(Take(), (Requests{"G 140/1/1", "G 141/1/1", "G 141/1/2"}));
    EXPECT_EQ(settings.modbusTimeoutMs, 0u);
    EXPECT_EQ(settings.ioSize, 500u);
    settings.ip = {10, 0, 0, 2};
    settings.dhcpIndex = 0;
    WriteEthernet(Link(), settings);
    EXPECT_EQ(Take(), (Requests{"S 140/1/1 0A0000020000000000000000000000"
                                "00",
                                "S 141/1/1 0000", "S 141/1/2 F401"}));
}

TEST_F(DeviceSyncTest, J1939SettingsRefreshReadsAttributes1To10) {
    Start(f_szJ1939Profibus);
    CConfiguration config = PairConfig(9, 11);
    EXPECT_EQ(RefreshJ1939Settings(Link(), config), RefreshOutcome::Read);
    Requests expected;
    for (int attribute = 1; attribute <= 10; ++attribute) {
        expected.push_back("G 110/1/" + std::to_string(attribute));
    }
    EXPECT_EQ(Take(), expected);
}

TEST_F(DeviceSyncTest, J1939SettingsDownloadOrderAndBaudIndex255WithoutSelection) {
    Start(f_szJ1939Profibus);
    J1939Settings settings;
    settings.addressList = {128, 3};
    settings.busOffReset = true;
    settings.offlineTimeMs = 1000;
    settings.baudIndex = f_nNoBaudSelection;
    WriteJ1939Settings(Link(), settings);
    EXPECT_EQ(Take(),
              (Requests{"S 110/1/4 FFFFFFFFFFFFFFFF", "S 110/1/5 028003", "S 110/1/6 01",
                        "S 110/1/7 00", "S 110/1/8 00", "S 110/1/9 E803", "S 110/1/10 FF"}));
    settings.offlineTimeMs = 99;
    const auto refusal = ValidateJ1939Settings(settings);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "Offline Detection Time must be between 100ms and 60000ms");
    EXPECT_EQ(refusal->caption, "Offline Detect Time Entry Error");
    EXPECT_TRUE(Take().empty());
}

TEST_F(DeviceSyncTest, J1939SettingsDownloadThenRefreshReadsTheSameValues) {
    Start(f_szJ1939Profibus);
    CConfiguration config = PairConfig(9, 11);
    config.j1939.name = {1, 2, 3, 4, 5, 6, 7, 8};
    config.j1939.addressList = {5, 6, 7};
    config.j1939.swapIo = true;
    config.j1939.statusInInput = true;
    config.j1939.offlineTimeMs = 3000;
    config.j1939.baudIndex = 2;
    ASSERT_FALSE(ValidateJ1939Settings(config.j1939));
    WriteJ1939Settings(Link(), config.j1939);
    CConfiguration read = config;
    read.j1939 = J1939Settings{};
    RefreshJ1939Settings(Link(), read);
    EXPECT_TRUE(read.j1939.SameStoredValues(config.j1939));
}

TEST_F(DeviceSyncTest, IoTableDownloadThenUploadOnOlderFirmwareUses14BytesAndPriority6) {
    Start(f_szJ1939Modbus);  // server type 8 at 1.05: no priority byte
    CJ1939IO io;
    io.Add(tagJ1939DataPoint{JT_Input, 8, 8, 100, 3, 61444, 0, 2});
    io.Add(tagJ1939DataPoint{JT_Input, 0, 8, 100, 3, 61443, 0, 2});
    io.Add(tagJ1939DataPoint{JT_Output, 0, 16, 50, 4, 65280, 8, 3});
    WriteJ1939IoTable(Link(), io);
    const Requests written = Take();
    ASSERT_EQ(written.size(), 4u);
    EXPECT_EQ(written[0], "S 111/0/1 0300");
    // table, offset, length, rate, address, PGN, message offset: 14 bytes
    EXPECT_EQ(written[1], "SA 111/1 000000080064000303F000000000");
    EXPECT_EQ(written[2], "SA 111/2 000800080064000304F000000000");
    EXPECT_EQ(written[3].substr(0, 9), "SA 111/3 ");
    EXPECT_EQ(written[3].size(), 9u + 28u);
    CJ1939IO uploaded;
    ASSERT_TRUE(UploadJ1939IoTable(Link(), uploaded));
    EXPECT_EQ(Take(), (Requests{"G 111/0/1", "GA 111/1", "GA 111/2", "GA 111/3"}));
    ASSERT_EQ(uploaded.Inputs().size(), 2u);
    ASSERT_EQ(uploaded.Outputs().size(), 1u);
    EXPECT_EQ(uploaded.Inputs()[0].pgn, 61443u);
    EXPECT_EQ(uploaded.Inputs()[0].priority, 6);
    EXPECT_EQ(uploaded.Outputs()[0].messageOffset, 8);
}

TEST_F(DeviceSyncTest, IoTableOnNewerFirmwareKeepsThePriority) {
    Start(f_szJ1939Profibus);
    CJ1939IO io;
    io.Add(tagJ1939DataPoint{JT_Output, 0, 16, 50, 4, 65280, 8, 3});
    WriteJ1939IoTable(Link(), io);
    const Requests written = Take();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[1].size(), 9u + 30u);
    CJ1939IO uploaded;
    UploadJ1939IoTable(Link(), uploaded);
    EXPECT_EQ(uploaded, io);
}

TEST_F(DeviceSyncTest, OfflineRefreshShowsOfflineAndSendsNothing) {
    Start(f_szEthernetDeviceNet);
    m_gate->SetOffline(true);
    DeviceNetSettings settings;
    EXPECT_EQ(RefreshDeviceNet(Link(), settings), RefreshOutcome::Offline);
    EXPECT_EQ(DeviceNetStatusTexts(settings).status, "Offline");
    EXPECT_EQ(DeviceNetStatusTexts(settings).error, "None");
    CJ1939IO io;
    io.Add(tagJ1939DataPoint{});
    EXPECT_FALSE(UploadJ1939IoTable(Link(), io));
    EXPECT_EQ(io.TotalCount(), 1u);
    EXPECT_TRUE(Take().empty());
}

TEST_F(DeviceSyncTest, AbsentModuleEmptiesTextsAndSendsNothing) {
    Start(f_szJ1939Modbus);
    m_device->MarkNotDetected();
    ModbusSettings settings;
    settings.status.Take(1);  // "Online"
    EXPECT_EQ(RefreshModbus(Link(), settings), RefreshOutcome::Disabled);
    EXPECT_EQ(ModbusStatusTexts(settings).status, "");
    EXPECT_TRUE(Take().empty());
}

TEST_F(DeviceSyncTest, ModbusMasterPairNeitherReadsNorWritesTheNetworkAddress) {
    Start("Firmware Revision=2.00\nClient Type=Modbus Master\nServer Type=Modbus Slave\n");
    ModbusSettings settings;
    settings.networkAddress = 0;  // not validated either
    EXPECT_FALSE(ValidateModbus(settings, true));
    WriteModbus(Link(), settings);
    EXPECT_EQ(Take(),
              (Requests{"S 130/1/4 C000", "S 130/1/5 00", "S 130/1/6 01", "S 130/1/7 8813"}));
    RefreshModbus(Link(), settings);
    const Requests reads = Take();
    EXPECT_EQ(std::count(reads.begin(), reads.end(), "G 130/1/3"), 0);
    EXPECT_EQ(reads.size(), 6u);
}

}  // namespace

TEST(DeviceSyncLimits, ATableOfMoreThan200PointsIsNeitherDownloadedNorUploadedWhole) {
    EXPECT_FALSE(CheckPointCountForDownload(ProfibusTable(0x0801, 200).io).has_value());
    const std::optional<Refusal> over = CheckPointCountForDownload(ProfibusTable(0x0801, 201).io);
    ASSERT_TRUE(over.has_value());
    EXPECT_EQ(over->text, "Total Datapoint Limit has been Reached");
    EXPECT_EQ(over->caption, "Configuration Limit");

    // a gateway that claims a count of -1 (65535): 200 points are read, and said so
    ScopedGantryDir dir;
    std::string profile = std::string("[Identity]\n") + f_szJ1939Profibus +
                          "Run Mode=Idle\n[J1939IO_0]\nNumberOfEntries=-1\n";
    for (int i = 1; i <= 300; ++i) {
        profile += "[J1939IO_" + std::to_string(i) +
                   "]\nDirection=Input\nOffset=" + std::to_string(8 * i) +
                   "\nSize=8\nPGN=1000\nTarget Address=1\n";
    }
    WriteFileBytes(dir.File("GYSim.ini"), profile);
    CInstantClock clock;
    OfflineIdentity offline;
    CRecordingNotifier notifier;
    auto simulator = std::make_unique<CSimulatorResponder>();
    simulator->Simulator().SetCompleteMode(true);
    CRequestGate gate(std::move(simulator), &notifier, &clock);
    CDevice device(gate, offline);
    device.RefreshIdentity();
    int pointReads = 0;
    gate.SetRequestObserver([&](const std::vector<std::uint8_t>& bytes, int, const DeviceReply&) {
        pointReads += bytes.at(0) == SVC_GetAttributesAll ? 1 : 0;
    });
    CJ1939IO io;
    EXPECT_TRUE(UploadJ1939IoTable(DeviceLink{gate, device}, io));
    EXPECT_EQ(pointReads, 200);
    EXPECT_EQ(io.TotalCount(), 200u);
    EXPECT_EQ(notifier.shown, std::vector<std::string>{
                                  "Configuration Limit: The gateway reports 65535 I/O points; "
                                  "the table holds at most 200: only the first 200 were read."});
}
