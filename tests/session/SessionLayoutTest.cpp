// Which screens, rows and fields the session shows for a pair and revision,
// and the number entries of the settings screens with their exact messages.
#include <gtest/gtest.h>

#include "tool/device/IdentityValues.h"
#include "tool/device/Notifier.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/session/ConfigurationSession.h"

using namespace gantry::tool;

namespace {

using Rows = std::vector<LayoutRow>;
constexpr auto kStatus = ScreenKind::StatusView;

TEST(SessionLayout, KnownPairs_GiveTheirRowsInFrameOrderWithHeights) {
    struct Case {
        int client;
        int server;
        Rows rows;
        int height;
    };
    const Case cases[] = {
        {1, 6, {{kStatus, 104}, {ScreenKind::Ethernet, 145}, {ScreenKind::DeviceNet, 120}}, 377},
        {1, 11, {{kStatus, 104}, {ScreenKind::DeviceNet, 120}}, 232},
        {9,
         8,
         {{kStatus, 104},
          {ScreenKind::Modbus, 90},
          {ScreenKind::J1939Settings, 140},
          {ScreenKind::J1939IoLists, 230}},
         564},
        {9,
         6,
         {{kStatus, 104},
          {ScreenKind::Ethernet, 145},
          {ScreenKind::J1939Settings, 140},
          {ScreenKind::J1939IoLists, 230}},
         619},
        {9,
         11,
         {{kStatus, 104}, {ScreenKind::J1939Settings, 140}, {ScreenKind::J1939IoLists, 230}},
         474},
    };
    for (const Case& c : cases) {
        const ScreenLayout layout = LayoutOfPair(c.client, c.server);
        EXPECT_EQ(layout.rows, c.rows) << c.client << "/" << c.server;
        EXPECT_EQ(layout.height, c.height) << c.client << "/" << c.server;
        EXPECT_EQ(ScreenCountOfPair(c.client, c.server), static_cast<int>(c.rows.size()));
    }
}

TEST(SessionLayout, PairWithoutScreens_IsTheStatusViewAloneAt104) {
    for (const auto& [client, server] : {std::pair{-1, -1}, {3, 11}, {11, 11}, {5, 10}}) {
        const ScreenLayout layout = LayoutOfPair(client, server);
        EXPECT_TRUE(layout.IsSingleScreen());
        EXPECT_EQ(layout.height, 104);
    }
    // an enhanced Modbus slave beside a DeviceNet slave: both rows, no J1939 allowance skipped
    const ScreenLayout layout = LayoutOfPair(2, 12);
    EXPECT_EQ(
        layout.rows,
        (Rows{{kStatus, 104}, {ScreenKind::DeviceNet, 120}, {ScreenKind::EnhancedModbus, 130}}));
    EXPECT_EQ(layout.height, 104 + 120 + 130 + 8);
}

TEST(SessionLayout, ProfibusJ1939BaudList_HiddenAt106_TwoRatesAt107_ThreeAt108) {
    const auto list = [](int minor) {
        return J1939BaudRateListOf(IT_J1939, IT_ProfibusSlave, MakeRevision(1, minor));
    };
    EXPECT_FALSE(list(6).visible);
    EXPECT_TRUE(list(6).items.empty());
    EXPECT_TRUE(list(7).visible);
    EXPECT_EQ(list(7).items, (std::vector<std::string>{"250k", "500k"}));
    EXPECT_EQ(list(8).items, (std::vector<std::string>{"250k", "500k", "125k"}));
    // Ethernet and Modbus servers reach the list at 2.07 and 2.06
    EXPECT_FALSE(J1939BaudRateListOf(9, 6, MakeRevision(2, 6)).visible);
    EXPECT_EQ(J1939BaudRateListOf(9, 6, MakeRevision(2, 8)).items.size(), 3u);
    EXPECT_EQ(J1939BaudRateListOf(9, 8, MakeRevision(2, 6)).items.size(), 2u);
    EXPECT_EQ(J1939BaudRateListOf(9, 8, MakeRevision(2, 7)).items.size(), 3u);
    // a major above the threshold counts, whatever its minor
    EXPECT_EQ(J1939BaudRateListOf(9, 11, MakeRevision(2, 0)).items.size(), 3u);
    EXPECT_FALSE(J1939BaudRateListOf(1, 11, MakeRevision(2, 0)).visible);
}

TEST(SessionLayout, StatusDataInInput_ShownForProfibusJ1939Only) {
    EXPECT_TRUE(J1939FieldsOf(9, 11, MakeRevision(1, 0)).statusDataInInput);
    EXPECT_FALSE(J1939FieldsOf(9, 6, MakeRevision(3, 0)).statusDataInInput);
    EXPECT_FALSE(J1939FieldsOf(9, 8, MakeRevision(3, 0)).statusDataInInput);
}

TEST(SessionLayout, DeviceNetFields_FollowPairAndRevision) {
    const auto fields = [](int server, int minor) {
        return DeviceNetFieldsOf(IT_DeviceNetMaster, server, MakeRevision(1, minor));
    };
    EXPECT_FALSE(fields(11, 9).statusDataInInputTable);
    EXPECT_FALSE(fields(11, 9).inputSafeState);
    EXPECT_TRUE(fields(11, 10).statusDataInInputTable);
    EXPECT_TRUE(fields(11, 10).inputSafeState);
    EXPECT_FALSE(fields(6, 10).inputSafeState);
    EXPECT_TRUE(fields(6, 11).inputSafeState);
    EXPECT_FALSE(fields(6, 11).statusDataInInputTable);
    // the minor byte is compared under the major: 2.00 is above 1.10
    EXPECT_TRUE(DeviceNetFieldsOf(1, 6, MakeRevision(2, 0)).inputSafeState);
    // a DeviceNet slave client shows neither
    EXPECT_FALSE(DeviceNetFieldsOf(2, 11, MakeRevision(2, 0)).inputSafeState);
}

TEST(SessionLayout, ModbusMasterPair_HidesTheNetworkAddress) {
    EXPECT_TRUE(ModbusFieldsOf(9, 8).networkAddress);
    EXPECT_FALSE(ModbusFieldsOf(7, 12).networkAddress);
    EXPECT_FALSE(ModbusFieldsOf(12, 7).networkAddress);
}

TEST(SessionLayout, NewModuleItems_AreTheKnownCombinationsWithCatalogueNumbers) {
    const std::vector<std::string> items = NewModuleItems();
    ASSERT_EQ(items.size(), 5u);
    const char* const names[] = {"Ethernet to DeviceNet Gateway", "PROFIBUS to DeviceNet Gateway",
                                 "J1939 to Modbus Interface", "Ethernet to J1939 Gateway",
                                 "PROFIBUS to J1939 Gateway"};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].rfind(std::string(names[i]) + " (", 0), 0u) << items[i];
        EXPECT_EQ(items[i].back(), ')');
    }
}

// ---- number entries ----

TEST(SessionEntries, MacAddress_AcceptsHexAndExactZeroOnly) {
    EXPECT_EQ(ReadMacAddressEntry("0x3F").value, 63u);
    EXPECT_FALSE(ReadMacAddressEntry("0x3F").refusal);
    EXPECT_FALSE(ReadMacAddressEntry("0").refusal);
    EXPECT_FALSE(ReadMacAddressEntry("0X0").refusal);
    for (const char* text : {"64", "00", "abc", "", "-1"}) {
        const EntryReading reading = ReadMacAddressEntry(text);
        ASSERT_TRUE(reading.refusal) << text;
        EXPECT_EQ(reading.refusal->text,
                  "Invalid MAC Address. Please specify the MAC Address in the 0 - 63 range.");
        EXPECT_EQ(reading.refusal->caption, "Invalid Entry");
    }
    // the number read stays the field's value even when refused
    EXPECT_EQ(ReadMacAddressEntry("64").value, 64u);
}

TEST(SessionEntries, NetworkAddress_Accepts1To247) {
    EXPECT_EQ(ReadNetworkAddressEntry("0xF7").value, 247u);
    EXPECT_FALSE(ReadNetworkAddressEntry("0xF7").refusal);
    EXPECT_FALSE(ReadNetworkAddressEntry("1").refusal);
    for (const char* text : {"248", "0", "x"}) {
        const EntryReading reading = ReadNetworkAddressEntry(text);
        ASSERT_TRUE(reading.refusal) << text;
        EXPECT_EQ(reading.refusal->text,
                  "Invalid Network Address. Please specify the Network Address in the 1 - 247 "
                  "range.");
        EXPECT_EQ(reading.refusal->caption, "Invalid Entry");
    }
}

TEST(SessionEntries, IoSizeAndOfflineTime_RefuseOutsideTheirRanges) {
    EXPECT_EQ(ReadIoSizeEntry("4").value, 4u);
    EXPECT_EQ(ReadIoSizeEntry("500").value, 500u);
    for (const char* text : {"3", "501", "", "-4"}) {
        const EntryReading reading = ReadIoSizeEntry(text);
        ASSERT_TRUE(reading.refusal) << text;
        EXPECT_EQ(reading.refusal->text, "I/O Size must be between 4 and 500 bytes");
        EXPECT_EQ(reading.refusal->caption, "I/O Size Entry Error");
    }
    EXPECT_EQ(ReadOfflineDetectionEntry(true, "100").value, 100u);
    EXPECT_EQ(ReadOfflineDetectionEntry(true, "60000").value, 60000u);
    EXPECT_EQ(ReadOfflineDetectionEntry(false, "50").value, 0u);
    EXPECT_FALSE(ReadOfflineDetectionEntry(false, "50").refusal);
    for (const char* text : {"50", "99", "60001", "0", "", "abc", "99999999999999"}) {
        const EntryReading reading = ReadOfflineDetectionEntry(true, text);
        ASSERT_TRUE(reading.refusal) << text;
        EXPECT_FALSE(reading.value) << text;
        EXPECT_EQ(reading.refusal->text,
                  "Offline Detection Time must be between 100ms and 60000ms");
        EXPECT_EQ(reading.refusal->caption, "Offline Detect Time Entry Error");
    }
}

TEST(SessionEntries, AddressListAdd_ReadsHexAndRefusesOutOfRangeWithWarning) {
    J1939Settings settings;
    settings.addressList.clear();
    EXPECT_FALSE(AddNetworkAddressEntry("0", settings));
    EXPECT_FALSE(AddNetworkAddressEntry("0x10", settings));
    EXPECT_FALSE(AddNetworkAddressEntry("255", settings));
    EXPECT_FALSE(AddNetworkAddressEntry("255", settings));  // duplicates allowed
    EXPECT_EQ(settings.addressList, (std::vector<std::uint8_t>{0, 16, 255, 255}));
    for (const char* text : {"256", "-1", "abc", "00", "0x0", "99999999999999999999"}) {
        const std::optional<Refusal> refusal = AddNetworkAddressEntry(text, settings);
        ASSERT_TRUE(refusal) << text;
        EXPECT_EQ(refusal->text, "Network Address must be in the 0 - 255 range");
        EXPECT_EQ(refusal->caption, "Invalid Address Entry");
        EXPECT_EQ(refusal->icon, NotifyIcon::Warning);
    }
    EXPECT_EQ(settings.addressList.size(), 4u);
}

TEST(SessionEntries, AddressList_StopsAt255AddressesSoTheCountByteStaysTrue) {
    J1939Settings settings;
    settings.addressList.assign(254, 7);
    EXPECT_FALSE(AddNetworkAddressEntry("1", settings));
    const std::optional<Refusal> refusal = AddNetworkAddressEntry("2", settings);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(settings.addressList.size(), 255u);
    EXPECT_EQ(settings.AddressListBytes().front(), 255);
}

TEST(SessionEntries, AddressListRemove_NeedsASelection) {
    J1939Settings settings;
    settings.addressList = {1, 2, 3};
    EXPECT_FALSE(RemoveFromAddressList(1, settings));
    EXPECT_EQ(settings.addressList, (std::vector<std::uint8_t>{1, 3}));
    for (int selection : {-1, 2}) {
        const std::optional<Refusal> refusal = RemoveFromAddressList(selection, settings);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->text,
                  "Please select an entry in the list box and click Remove button again");
        EXPECT_EQ(refusal->caption, "Request Failed");
    }
    EXPECT_EQ(settings.addressList.size(), 2u);
}

}  // namespace
