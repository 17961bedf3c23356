// The J1939 NAME, the limits that follow from product and revision, the
// network-side entry rules and a new configuration's defaults.
#include <gtest/gtest.h>

#include "tool/device/IdentityValues.h"
#include "tool/model/Configuration.h"
#include "tool/model/NetworkRules.h"

using namespace gantry::tool;

namespace {

TEST(J1939Name, LargestIdentityAndManufacturerFillTheLowFourBytes) {
    J1939NameComponents components;
    components.identityNumber = 2097151;
    components.manufacturerCode = 2047;
    const J1939Name name = PackJ1939Name(components);
    EXPECT_EQ(name, (J1939Name{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
    EXPECT_EQ(FormatJ1939Name(name), "00000000FFFFFFFF");
    EXPECT_EQ(UnpackJ1939Name(name), components);
}

TEST(J1939Name, EveryComponentSitsInItsBits) {
    J1939NameComponents c;
    c.ecuInstance = 7;
    EXPECT_EQ(PackJ1939Name(c)[4], 0x07);
    c = {};
    c.functionInstance = 31;
    EXPECT_EQ(PackJ1939Name(c)[4], 0xF8);
    c = {};
    c.vehicleSystem = 127;
    EXPECT_EQ(PackJ1939Name(c)[6], 0xFE);  // the reserved low bit stays 0
    c = {};
    c.vehicleSystemInstance = 15;
    c.industryGroup = 7;
    c.arbitraryAddressCapable = true;
    EXPECT_EQ(PackJ1939Name(c)[7], 0xFF);
    const J1939Name all{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const auto unpacked = UnpackJ1939Name(all);
    EXPECT_EQ(unpacked.function, 255u);
    EXPECT_EQ(unpacked.industryGroup, 7u);
    // the reserved bit is dropped on the way back
    EXPECT_EQ(PackJ1939Name(unpacked)[6], 0xFE);
}

TEST(J1939Name, HexTextRoundTripsAndRefusesBadText) {
    J1939Name name{};
    ASSERT_TRUE(ParseJ1939Name("0123456789ABCDEF", name));
    EXPECT_EQ(name[0], 0xEF);
    EXPECT_EQ(name[7], 0x01);
    EXPECT_EQ(FormatJ1939Name(name), "0123456789ABCDEF");
    EXPECT_FALSE(ParseJ1939Name("0123456789ABCDE", name));
    EXPECT_FALSE(ParseJ1939Name("0123456789ABCDEG", name));
}

TEST(J1939Name, IndustryGroupNames) {
    EXPECT_EQ(IndustryGroupName(0), "Global, applies to all");
    EXPECT_EQ(IndustryGroupName(5), "Industrial-Process Control-Stationary");
    EXPECT_EQ(IndustryGroupName(6), "Reserved");
    EXPECT_EQ(IndustryGroupName(7), "");
}

TEST(J1939AddressList, CountByteThenAddressesAndNeverMoreThan255) {
    J1939Settings settings;
    settings.addressList = {128, 7};
    EXPECT_EQ(settings.AddressListBytes(), (std::vector<std::uint8_t>{2, 128, 7}));
    EXPECT_TRUE(settings.SetAddressListBytes({1, 9, 99}));
    EXPECT_EQ(settings.addressList, (std::vector<std::uint8_t>{9}));
    EXPECT_FALSE(settings.SetAddressListBytes({3, 1}));
    settings.addressList.assign(300, 1);
    const auto bytes = settings.AddressListBytes();
    EXPECT_EQ(bytes[0], 255);
    EXPECT_EQ(bytes.size(), 256u);
}

TEST(DataTableLimitsTable, EachServerTypeGivesItsSizes) {
    EXPECT_EQ(DataTableLimits::ForProfibus(false), (DataTableLimits{244, 244, 400}));
    EXPECT_EQ(DataTableLimits::ForProfibus(true), (DataTableLimits{232, 244, 388}));
    EXPECT_EQ(DataTableLimits::ForEthernet(500), (DataTableLimits{496, 492, 988}));
    EXPECT_EQ(DataTableLimits::ForEthernet(4), (DataTableLimits{0, -4, -4}));
    EXPECT_EQ(DataTableLimits::ForModbus(), (DataTableLimits{2048, 2048, 4096}));
}

TEST(PgnLimitsTable, OlderFirmwareGetsFifty) {
    EXPECT_EQ(PgnLimits::FromIdentity(11, MakeRevision(1, 2)), (PgnLimits{50, 50}));
    EXPECT_EQ(PgnLimits::FromIdentity(11, MakeRevision(1, 3)), (PgnLimits{120, 100}));
    EXPECT_EQ(PgnLimits::FromIdentity(6, MakeRevision(2, 2)), (PgnLimits{50, 50}));
    EXPECT_EQ(PgnLimits::FromIdentity(8, MakeRevision(2, 3)), (PgnLimits{120, 100}));
    EXPECT_EQ(PgnLimits::FromIdentity(8, MakeRevision(1, 99)), (PgnLimits{50, 50}));
    EXPECT_EQ(PgnLimits::FromIdentity(6, MakeRevision(3, 0)), (PgnLimits{120, 100}));
}

TEST(J1939BaudList, EntriesFollowServerTypeAndRevision) {
    EXPECT_EQ(J1939BaudRateChoices(9, 11, MakeRevision(1, 6)), 0);
    EXPECT_EQ(J1939BaudRateChoices(9, 11, MakeRevision(1, 7)), 2);
    EXPECT_EQ(J1939BaudRateChoices(9, 11, MakeRevision(1, 8)), 3);
    EXPECT_EQ(J1939BaudRateChoices(9, 6, MakeRevision(2, 7)), 2);
    EXPECT_EQ(J1939BaudRateChoices(9, 6, MakeRevision(2, 8)), 3);
    EXPECT_EQ(J1939BaudRateChoices(9, 8, MakeRevision(2, 5)), 0);
    EXPECT_EQ(J1939BaudRateChoices(9, 8, MakeRevision(2, 7)), 3);
    EXPECT_EQ(J1939BaudRateChoices(1, 11, MakeRevision(9, 0)), 0);
}

TEST(NetworkEntry, MacAddressRules) {
    EXPECT_EQ(ReadMacAddress("0x3F"), 63u);
    EXPECT_EQ(ReadMacAddress("63"), 63u);
    EXPECT_EQ(ReadMacAddress("64"), std::nullopt);
    EXPECT_EQ(ReadMacAddress("00"), std::nullopt);
    EXPECT_EQ(ReadMacAddress("abc"), std::nullopt);
    EXPECT_EQ(ReadMacAddress("0"), 0u);
    EXPECT_EQ(ReadMacAddress("0X0"), 0u);
    EXPECT_EQ(ReadMacAddress("12 nodes"), 12u);
    EXPECT_EQ(ReadMacAddress("-1"), std::nullopt);  // a minus sign gives a huge value
    EXPECT_EQ(ReadMacAddress("99999999999"), std::nullopt);
}

TEST(NetworkEntry, NetworkAddressAndIoSizeRules) {
    EXPECT_EQ(ReadNetworkAddress("0xF7"), 247u);
    EXPECT_EQ(ReadNetworkAddress("248"), std::nullopt);
    EXPECT_EQ(ReadNetworkAddress("0"), std::nullopt);
    EXPECT_EQ(ReadNetworkAddress("1"), 1u);
    EXPECT_EQ(ReadIoSize("3"), std::nullopt);
    EXPECT_EQ(ReadIoSize("4"), 4u);
    EXPECT_EQ(ReadIoSize("500"), 500u);
    EXPECT_EQ(ReadIoSize("501"), std::nullopt);
    EXPECT_EQ(ReadIoSize("-4"), std::nullopt);
}

TEST(NetworkEntry, ValidationTextsBeforeAWrite) {
    DeviceNetSettings deviceNet;
    deviceNet.macAddress = 64;
    ASSERT_TRUE(ValidateDeviceNet(deviceNet));
    EXPECT_EQ(ValidateDeviceNet(deviceNet)->text,
              "Invalid MAC Address. Please specify the MAC Address in the 0 - 63 range.");
    ModbusSettings modbus;
    modbus.networkAddress = 0;
    ASSERT_TRUE(ValidateModbus(modbus, false));
    EXPECT_EQ(ValidateModbus(modbus, false)->text,
              "Invalid Network Address. Please specify the Network Address in the 1 - 247 range.");
    EXPECT_FALSE(ValidateModbus(modbus, true));  // a Modbus master has no address
    EthernetSettings ethernet;
    ethernet.ioSize = 501;
    ASSERT_TRUE(ValidateEthernet(ethernet));
    EXPECT_EQ(ValidateEthernet(ethernet)->caption, "I/O Size Entry Error");
}

TEST(DisplayTexts, StatusFaultAndScannerCodes) {
    EXPECT_EQ(J1939StatusText(1), "Online");
    EXPECT_EQ(J1939StatusText(2), "Offline");
    EXPECT_EQ(MajorFaultText(0), "No Error");
    EXPECT_EQ(MajorFaultText(0x85), "0x5");
    EXPECT_EQ(DeviceNetScannerStatusText(62), "62 ");
    EXPECT_EQ(DeviceNetScannerStatusText(85), "DATA SIZE");
}

TEST(NewConfiguration, RecordsOfThePairTakeDefaultsAndStatusDataStays) {
    CConfiguration config;
    config.clientType = 9;
    config.serverType = 6;
    config.j1939.statusInInput = true;
    config.j1939.busOffReset = true;
    config.j1939.addressList = {1, 2, 3};
    config.io.Add(tagJ1939DataPoint{});
    config.ethernet.ioSize = 100;
    config.modbus.networkAddress = 99;  // not a record of this pair
    config.SetNewDefaults();
    EXPECT_TRUE(config.j1939.statusInInput);
    EXPECT_FALSE(config.j1939.busOffReset);
    EXPECT_EQ(config.j1939.addressList, (std::vector<std::uint8_t>{128}));
    EXPECT_EQ(FormatJ1939Name(config.j1939.name), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(config.io.TotalCount(), 0u);
    EXPECT_EQ(config.ethernet.ioSize, 500u);
    EXPECT_EQ(config.ethernet.dhcpIndex, 1u);
    EXPECT_EQ(config.modbus.networkAddress, 99u);
    EXPECT_EQ(config.limits, (DataTableLimits{496, 492, 988}));
}

TEST(NewConfiguration, RecordSetsOfTheKnownPairs) {
    const RecordSet ethernetDeviceNet = RecordsOfPair(1, 6);
    EXPECT_TRUE(ethernetDeviceNet.deviceNet && ethernetDeviceNet.ethernet);
    EXPECT_FALSE(ethernetDeviceNet.j1939 || ethernetDeviceNet.modbus);
    const RecordSet j1939Modbus = RecordsOfPair(9, 8);
    EXPECT_TRUE(j1939Modbus.j1939 && j1939Modbus.modbus);
    EXPECT_FALSE(j1939Modbus.ethernet || j1939Modbus.modbusEnhanced);
    EXPECT_TRUE(RecordsOfPair(12, 9).modbusEnhanced);
    EXPECT_TRUE(IsModbusMasterPair(9, 7));
}

TEST(LimitsUpdate, StatusDataInInputDecidesProfibusLimitsAndChecksTheTable) {
    CConfiguration config;
    config.clientType = 9;
    config.serverType = 11;
    tagJ1939DataPoint point;
    point.dataOffset = 1856;  // 232 bytes
    point.dataLength = 8;
    config.io.Add(point);
    EXPECT_TRUE(config.UpdateLimits().passed);
    config.j1939.statusInInput = true;
    const TableCheck check = config.UpdateLimits();
    EXPECT_EQ(config.limits, (DataTableLimits{232, 244, 388}));
    EXPECT_FALSE(check.passed);
    ASSERT_EQ(check.messages.size(), 1u);
    EXPECT_EQ(check.messages[0].text,
              "1 Input datapoints are outside of the Data Table bound of 232 bytes");
}

}  // namespace
