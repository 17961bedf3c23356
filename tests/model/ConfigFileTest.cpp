// The .cfg file: byte layout, every version, the opening rules, the product
// check, truncated files and atomic saving.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <filesystem>

#include "ModelTestSupport.h"
#include "TestSupport.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/InputFile.h"

using namespace gantry::tool;

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutLong(Bytes& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

Bytes Header(std::uint32_t version, std::uint32_t client, std::uint32_t server) {
    Bytes bytes;
    if (version >= 2) {
        PutLong(bytes, f_nConfigFileMagic);
        PutLong(bytes, version);
    }
    PutLong(bytes, client);
    PutLong(bytes, server);
    PutLong(bytes, 1);  // run state, ignored
    return bytes;
}

OpenResult OpenOffline(const Bytes& bytes, CConfiguration& config) {
    OpenEnvironment environment;
    environment.runState = 3;
    return OpenConfigFile(bytes, environment, config);
}

TEST(ConfigFileLayout, EmptyProfibusToJ1939FileIs64Bytes) {
    CConfiguration config;
    config.clientType = 9;
    config.serverType = 11;
    config.j1939.addressList.clear();
    const Bytes bytes = WriteConfigFile(config, 1);
    ASSERT_EQ(bytes.size(), 64u);
    EXPECT_EQ((Bytes(bytes.begin(), bytes.begin() + 8)),
              (Bytes{0xD1, 0x00, 0xDF, 0xBA, 6, 0, 0, 0}));
    config.j1939.addressList = {128};
    EXPECT_EQ(WriteConfigFile(config, 1).size(), 65u);
    config.io.Add(tagJ1939DataPoint{});
    EXPECT_EQ(WriteConfigFile(config, 1).size(), 80u);
}

TEST(ConfigFileLayout, Version6BytesOfAJ1939ToModbusFile) {
    CConfiguration config;
    config.clientType = 9;
    config.serverType = 8;
    config.j1939.name = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    config.j1939.addressList = {0x80};
    config.j1939.busOffReset = true;
    config.j1939.baudIndex = f_nNoBaudSelection;
    config.io.Add(
        tagJ1939DataPoint{JT_Output, 0x0102, 0x0304, 0x0506, 0x07, 0x08090A0B, 0x0C0D, 5});
    Bytes expected = Header(6, 9, 8);
    expected[16] = 0;  // run state 0
    for (std::uint32_t value : {5u, 19200u, 0u, 1u, 5000u}) {
        PutLong(expected, value);
    }
    expected.insert(expected.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0});
    for (std::uint32_t value : {0xFFFFu, 1u, 0xFFFFu, 0u, 0u, 1u}) {
        PutLong(expected, value);
    }
    expected.push_back(0x80);
    for (std::uint32_t value : {0u, 0xFFFFFFFFu, 1u}) {
        PutLong(expected, value);
    }
    // table, address, PGN, length, offset, rate, message offset, priority
    expected.insert(expected.end(), {1, 0x07, 0x0B, 0x0A, 0x09, 0x08, 0x04, 0x03, 0x02, 0x01, 0x06,
                                     0x05, 0x0D, 0x0C, 5});
    EXPECT_EQ(WriteConfigFile(config, 0), expected);
}

TEST(ConfigFileVersions, Version2WithoutMarkersHasNoBusOffOrSwap) {
    Bytes bytes = Header(2, 9, 11);
    bytes.insert(bytes.end(), {1, 2, 3, 4, 5, 6, 7, 8});
    PutLong(bytes, 2);  // the address count straight after the NAME
    bytes.insert(bytes.end(), {10, 20});
    PutLong(bytes, 0);
    CConfiguration config;
    config.j1939.busOffReset = true;
    config.j1939.swapIo = true;
    config.j1939.statusInInput = true;
    const OpenResult result = OpenOffline(bytes, config);
    ASSERT_TRUE(result.opened) << result.message;
    EXPECT_EQ(result.formatVersion, 2u);
    EXPECT_FALSE(config.j1939.busOffReset);
    EXPECT_FALSE(config.j1939.swapIo);
    EXPECT_FALSE(config.j1939.statusInInput);
    EXPECT_EQ(config.j1939.addressList, (std::vector<std::uint8_t>{10, 20}));
    EXPECT_EQ(config.j1939.offlineTimeMs, 0u);
    EXPECT_EQ(config.j1939.baudIndex, 0);
}

TEST(ConfigFileVersions, Version2MarkersCarryBusOffAndSwap) {
    Bytes bytes = Header(2, 9, 11);
    bytes.insert(bytes.end(), 8, 0);
    for (std::uint32_t value : {0xFFFFu, 1u, 0xFFFFu, 1u, 0u, 0u}) {
        PutLong(bytes, value);
    }
    CConfiguration config;
    ASSERT_TRUE(OpenOffline(bytes, config).opened);
    EXPECT_TRUE(config.j1939.busOffReset);
    EXPECT_TRUE(config.j1939.swapIo);
    EXPECT_TRUE(config.j1939.addressList.empty());
}

TEST(ConfigFileVersions, Version1PointsAre14BytesWithPriority6) {
    Bytes bytes = Header(1, 9, 11);
    bytes.insert(bytes.end(), 8, 0xFF);
    PutLong(bytes, 0);  // no addresses
    PutLong(bytes, 2);
    for (std::uint8_t table : {0, 1}) {
        bytes.insert(bytes.end(), {table, 3, 0x04, 0xF0, 0, 0, 8, 0, 16, 0, 100, 0, 0, 0});
    }
    CConfiguration config;
    const OpenResult result = OpenOffline(bytes, config);
    ASSERT_TRUE(result.opened) << result.message;
    EXPECT_EQ(result.formatVersion, 1u);
    ASSERT_EQ(config.io.Inputs().size(), 1u);
    ASSERT_EQ(config.io.Outputs().size(), 1u);
    EXPECT_EQ(config.io.Inputs()[0].priority, 6);
    EXPECT_EQ(config.io.Outputs()[0].priority, 6);
    EXPECT_EQ(config.io.Inputs()[0].pgn, 0xF004u);
    EXPECT_EQ(config.io.Inputs()[0].dataLength, 8);
    EXPECT_EQ(config.io.Inputs()[0].dataOffset, 16);
}

TEST(ConfigFileVersions, Version3EthernetFileHasIoSize500) {
    CConfiguration written = MakeTestConfiguration(9, 6);
    Bytes bytes = EncodeConfigFile(ImageOfConfiguration(written, 0), 3);
    CConfiguration config;
    config.ethernet.ioSize = 100;
    ASSERT_TRUE(OpenOffline(bytes, config).opened);
    EXPECT_EQ(config.ethernet.ioSize, 500u);
    EXPECT_EQ(config.limits, (DataTableLimits{496, 492, 988}));
    EXPECT_EQ(config.ethernet.ip, written.ethernet.ip);
}

// A file laid out by hand as `version` writes it, with values unlike every
// default and 16-bit fields that need both bytes (offset 712, rate 1000).
Bytes HandBuiltFile(std::uint32_t version, std::uint32_t client, std::uint32_t server) {
    Bytes bytes = Header(version, client, server);
    auto longs = [&bytes](std::initializer_list<std::uint32_t> values) {
        for (std::uint32_t value : values) {
            PutLong(bytes, value);
        }
    };
    if (client == 1) {
        longs({12, 2, 1, 1});
        if (version >= 3) {
            longs({1, 1});
        }
    }
    if (server == 8) {
        longs({17, 9600, 2, 2, 1234});
    }
    if (client == 12) {
        longs({33, 4800, 1, 2, 750, 1, 1});
    }
    if (client == 9 || server == 9) {
        bytes.insert(bytes.end(), {1, 2, 3, 4, 5, 6, 7, 8});
        longs({0xFFFF, 1, 0xFFFF, 1});
        if (version >= 3) {
            longs({1});
        }
        longs({2});
        bytes.insert(bytes.end(), {128, 129});
        if (version >= 5) {
            longs({2500});
        }
        longs({2});
        for (std::uint8_t table : {0, 1}) {
            // table, address, PGN, length, offset 712, rate 1000, message offset 300
            bytes.insert(bytes.end(),
                         {table, 7, 0x04, 0xF0, 0, 0, 16, 0, 0xC8, 0x02, 0xE8, 0x03, 0x2C, 0x01});
            if (version >= 2) {
                bytes.push_back(3);
            }
        }
    }
    if (server == 6) {
        bytes.insert(bytes.end(), {192, 168, 1, 20, 255, 255, 255, 0, 192, 168, 1, 1});
        longs({0, 2, 1, 1000});
        if (version >= 4) {
            longs({300});
        }
    }
    return bytes;
}

TEST(ConfigFileVersions, HandBuiltFilesOfVersions1To5ReadToTheirKnownValues) {
    for (std::uint32_t version = 1; version <= 5; ++version) {
        SCOPED_TRACE("version " + std::to_string(version));
        CConfiguration net;  // DeviceNet and Ethernet
        ASSERT_TRUE(OpenOffline(HandBuiltFile(version, 1, 6), net).opened);
        EXPECT_EQ(net.deviceNet.macAddress, 12u);
        EXPECT_EQ(net.deviceNet.baudIndex, 2u);
        EXPECT_TRUE(net.deviceNet.autobaud && net.deviceNet.swapIo);
        EXPECT_EQ(net.deviceNet.statusInInput, version >= 3);
        EXPECT_EQ(net.deviceNet.inputSafeState, version >= 3 ? 1u : 0u);
        EXPECT_EQ(net.ethernet.ip, (Ipv4Address{192, 168, 1, 20}));
        EXPECT_EQ(net.ethernet.subnetMask, (Ipv4Address{255, 255, 255, 0}));
        EXPECT_EQ(net.ethernet.gateway, (Ipv4Address{192, 168, 1, 1}));
        EXPECT_EQ(net.ethernet.dhcpIndex, 0u);
        EXPECT_EQ(net.ethernet.speedIndex, 2u);
        EXPECT_EQ(net.ethernet.duplexIndex, 1u);
        EXPECT_EQ(net.ethernet.modbusTimeoutMs, 1000u);
        EXPECT_EQ(net.ethernet.ioSize, version >= 4 ? 300u : 500u);

        CConfiguration j1939;  // Modbus and J1939
        ASSERT_TRUE(OpenOffline(HandBuiltFile(version, 9, 8), j1939).opened);
        EXPECT_EQ(j1939.modbus.networkAddress, 17u);
        EXPECT_EQ(j1939.modbus.baudRate, 9600u);
        EXPECT_EQ(j1939.modbus.parity, 2u);
        EXPECT_EQ(j1939.modbus.stopBits, 2u);
        EXPECT_EQ(j1939.modbus.watchdogMs, 1234u);
        EXPECT_EQ(j1939.j1939.name, (J1939Name{1, 2, 3, 4, 5, 6, 7, 8}));
        EXPECT_TRUE(j1939.j1939.busOffReset && j1939.j1939.swapIo);
        EXPECT_EQ(j1939.j1939.statusInInput, version >= 3);
        EXPECT_EQ(j1939.j1939.addressList, (std::vector<std::uint8_t>{128, 129}));
        EXPECT_EQ(j1939.j1939.offlineTimeMs, version >= 5 ? 2500u : 0u);
        ASSERT_EQ(j1939.io.Inputs().size(), 1u);
        ASSERT_EQ(j1939.io.Outputs().size(), 1u);
        const std::uint8_t priority = version >= 2 ? 3 : 6;
        EXPECT_EQ(j1939.io.Inputs()[0],
                  (tagJ1939DataPoint{JT_Input, 712, 16, 1000, 7, 61444u, 300, priority}));
        EXPECT_EQ(j1939.io.Outputs()[0].table, JT_Output);

        CConfiguration enhanced;  // enhanced Modbus
        ASSERT_TRUE(OpenOffline(HandBuiltFile(version, 12, 9), enhanced).opened);
        EXPECT_EQ(enhanced.modbusEnhanced.networkAddress, 33u);
        EXPECT_EQ(enhanced.modbusEnhanced.baudRate, 4800u);
        EXPECT_EQ(enhanced.modbusEnhanced.stopBits, 2u);
        EXPECT_EQ(enhanced.modbusEnhanced.watchdogMs, 750u);
        EXPECT_EQ(enhanced.modbusEnhanced.networkType, 1u);
        EXPECT_EQ(enhanced.modbusEnhanced.networkDuplex, 1u);
        EXPECT_EQ(enhanced.j1939.addressList.size(), 2u);
    }
}

TEST(ConfigFileVersions, VersionAbove6ReadsAs6) {
    const CConfiguration written = MakeTestConfiguration(9, 11);
    Bytes bytes = WriteConfigFile(written, 0);
    bytes[4] = 9;
    CConfiguration config;
    const OpenResult result = OpenOffline(bytes, config);
    ASSERT_TRUE(result.opened);
    EXPECT_EQ(result.formatVersion, 9u);
    EXPECT_TRUE(config.SameStoredValues(written));
}

TEST(ConfigFileRoundTrip, EveryPairAndVersionReadsWritesAndReadsTheSame) {
    for (const auto& [client, server] : TestPairs()) {
        const CConfiguration original = MakeTestConfiguration(client, server);
        for (std::uint32_t version = 1; version <= 6; ++version) {
            SCOPED_TRACE("pair " + std::to_string(client) + "/" + std::to_string(server) +
                         " version " + std::to_string(version));
            const Bytes old = EncodeConfigFile(ImageOfConfiguration(original, 0), version);
            CConfiguration first;
            ASSERT_TRUE(OpenOffline(old, first).opened);
            const Bytes written = WriteConfigFile(first, 0);
            CConfiguration second;
            ASSERT_TRUE(OpenOffline(written, second).opened);
            EXPECT_TRUE(second.SameStoredValues(first));
            EXPECT_EQ(WriteConfigFile(second, 0), written);
            if (version == 6) {
                EXPECT_TRUE(first.SameStoredValues(original));
                EXPECT_EQ(written, old);
            }
        }
    }
}

TEST(ConfigFileOpening, ValuesTheScreensCannotShowFollowTheirRules) {
    CConfiguration written = MakeTestConfiguration(1, 6);
    ConfigFileImage image = ImageOfConfiguration(written, 0);
    image.deviceNet->autobaud = 5;        // check box: left as it was
    image.deviceNet->inputSafeState = 7;  // reads as 0
    image.deviceNet->baudIndex = 3;       // no such item: left as it was
    image.ethernet->speedIndex = 9;       // no such index: no selection
    CConfiguration config;
    config.deviceNet.autobaud = true;
    config.deviceNet.baudIndex = 1;
    ASSERT_TRUE(OpenOffline(EncodeConfigFile(image, 6), config).opened);
    EXPECT_TRUE(config.deviceNet.autobaud);
    EXPECT_EQ(config.deviceNet.inputSafeState, 0u);
    EXPECT_EQ(config.deviceNet.baudIndex, 1u);
    EXPECT_EQ(config.ethernet.speedIndex, f_nNoListSelection);
    EXPECT_EQ(config.deviceNet.macAddress, 12u);
}

TEST(ConfigFileOpening, J1939BaudIndexSelectsOnlyAnEntryTheListHas) {
    CConfiguration written = MakeTestConfiguration(9, 11);
    ConfigFileImage image = ImageOfConfiguration(written, 0);
    image.j1939->baudIndex = 2;  // 125k: not offered at the assumed revision 1.07
    CConfiguration config;
    ASSERT_TRUE(OpenOffline(EncodeConfigFile(image, 6), config).opened);
    EXPECT_EQ(config.j1939.baudIndex, f_nNoBaudSelection);
    const Bytes saved = WriteConfigFile(config, 0);
    ConfigFileImage again = *ParseConfigFile(saved);
    EXPECT_EQ(again.j1939->baudIndex, 0xFFFFFFFFu);
}

TEST(ConfigFileOpening, MoreThan200PointsLoadAsTheyAre) {
    CConfiguration written;
    written.clientType = 9;
    written.serverType = 8;
    for (int i = 0; i < 450; ++i) {
        written.io.Add(tagJ1939DataPoint{static_cast<std::uint8_t>(i % 2),
                                         static_cast<std::uint16_t>(i * 8), 8, 0, 1,
                                         static_cast<std::uint32_t>(i), 0, 6});
    }
    CConfiguration config;
    ASSERT_TRUE(OpenOffline(WriteConfigFile(written, 0), config).opened);
    EXPECT_EQ(config.io.TotalCount(), 450u);
    EXPECT_TRUE(CheckCanAddPoint(config.io));
}

TEST(ConfigFileOpening, AFileOfManyPointsOpensQuickly) {
    ConfigFileImage image = ImageOfConfiguration(MakeTestConfiguration(9, 8), 0);
    for (std::uint32_t i = 0; i < 100000; ++i) {
        image.j1939->points.push_back(
            tagJ1939DataPoint{static_cast<std::uint8_t>(i % 4),
                              static_cast<std::uint16_t>((i * 40503u) % 65536), 8, 0, 1, i, 0, 6});
    }
    const Bytes bytes = EncodeConfigFile(image, 6);
    CConfiguration config;
    ASSERT_TRUE(OpenOffline(bytes, config).opened);
    EXPECT_EQ(config.io.TotalCount(), 100007u);
    EXPECT_EQ(WriteConfigFile(config, 0).size(), bytes.size());
}

TEST(ConfigFileOpening, ProductCheckAgainstAWorkingGateway) {
    const Bytes bytes = WriteConfigFile(MakeTestConfiguration(9, 8), 0);
    CConfiguration config = MakeTestConfiguration(9, 6);
    const CConfiguration before = config;
    OpenEnvironment online{1, false, 9, 6, MakeRevision(2, 7)};
    OpenResult result = OpenConfigFile(bytes, online, config);
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.message, "Failed to open document.");
    EXPECT_TRUE(config.SameStoredValues(before));
    EXPECT_FALSE(online.offline);
    EXPECT_EQ(online.clientType, 9);
    EXPECT_EQ(online.serverType, 6);

    // offline the file's pair is taken over with its assumed revision
    OpenEnvironment offline{0, true, 9, 6, MakeRevision(2, 7)};
    result = OpenConfigFile(bytes, offline, config);
    ASSERT_TRUE(result.opened);
    EXPECT_TRUE(result.pairChanged);
    EXPECT_EQ(offline.serverType, 8);
    EXPECT_EQ(offline.revision, MakeRevision(2, 6));
    EXPECT_EQ(config.serverType, 8u);
    EXPECT_EQ(config.limits, DataTableLimits::ForModbus());

    // the same pair opens online and stays online
    OpenEnvironment same{1, false, 9, 8, MakeRevision(2, 8)};
    result = OpenConfigFile(bytes, same, config);
    ASSERT_TRUE(result.opened);
    EXPECT_FALSE(same.offline);
    EXPECT_FALSE(result.pairChanged);
    EXPECT_EQ(config.baudChoices, 3);
}

TEST(ConfigFileOpening, NoGatewaySwitchesToOfflineIdle) {
    const Bytes bytes = WriteConfigFile(MakeTestConfiguration(1, 11), 0);
    CConfiguration config;
    OpenEnvironment environment{3, false, 9, 11, MakeRevision(1, 7)};
    ASSERT_TRUE(OpenConfigFile(bytes, environment, config).opened);
    EXPECT_TRUE(environment.offline);
    EXPECT_EQ(environment.runState, 0);
    EXPECT_EQ(environment.clientType, 1);
    EXPECT_EQ(environment.revision, MakeRevision(2, 3));
}

TEST(ConfigFileFailures, EveryTruncationIsRefusedAndChangesNothing) {
    for (const auto& [client, server] : TestPairs()) {
        for (std::uint32_t version : {1u, 2u, 6u}) {
            const Bytes full = EncodeConfigFile(
                ImageOfConfiguration(MakeTestConfiguration(client, server), 0), version);
            for (std::size_t length = 0; length < full.size(); ++length) {
                CConfiguration config;
                const CConfiguration before = config;
                OpenEnvironment environment{3, false, 1, 6, MakeRevision(2, 2)};
                const OpenResult result =
                    OpenConfigFile(Bytes(full.begin(), full.begin() + length), environment, config);
                ASSERT_FALSE(result.opened) << length << " of " << full.size();
                EXPECT_EQ(result.message, "Unexpected file format.");
                EXPECT_TRUE(config.SameStoredValues(before));
                EXPECT_FALSE(environment.offline);
                EXPECT_EQ(environment.runState, 3);
                EXPECT_EQ(environment.clientType, 1);
            }
        }
    }
}

// A version-6 J1939-to-PROFIBUS file up to its address count.
Bytes FileUpToAddressCount(std::uint32_t count) {
    Bytes bytes = Header(6, 9, 11);
    bytes.insert(bytes.end(), 8, 0);
    for (std::uint32_t value : {0xFFFFu, 0u, 0xFFFFu, 0u, 0u, count}) {
        PutLong(bytes, value);
    }
    return bytes;
}

TEST(ConfigFileFailures, AddressCountAbove255AndHugePointCountsAreRefused) {
    Bytes bytes = FileUpToAddressCount(256);
    bytes.insert(bytes.end(), 300, 1);
    CConfiguration config;
    EXPECT_EQ(OpenOffline(bytes, config).message, "Unexpected file format.");

    Bytes many = Header(6, 9, 11);
    many.insert(many.end(), 8, 0);
    for (std::uint32_t value : {0xFFFFu, 0u, 0xFFFFu, 0u, 0u, 0u, 0u, 0u, 0xFFFFFFFFu}) {
        PutLong(many, value);
    }
    many.insert(many.end(), 15, 0);
    EXPECT_EQ(OpenOffline(many, config).message, "Unexpected file format.");
}

TEST(ConfigFileFailures, AnAddressListOfExactly255EntriesReads) {
    Bytes bytes = FileUpToAddressCount(255);
    bytes.insert(bytes.end(), 255, 42);
    for (std::uint32_t value : {0u, 0u, 0u}) {  // offline time, baud index, no points
        PutLong(bytes, value);
    }
    CConfiguration config;
    ASSERT_TRUE(OpenOffline(bytes, config).opened);
    EXPECT_EQ(config.j1939.addressList, std::vector<std::uint8_t>(255, 42));
}

TEST(ConfigFileFailures, VersionZeroIsRefusedForItsVersionAlone) {
    // a body that reads as a version-2 file without markers: the version is the only fault
    Bytes body(8, 0);
    PutLong(body, 0);  // no addresses
    PutLong(body, 0);  // no points
    Bytes good = Header(2, 9, 11);
    good.insert(good.end(), body.begin(), body.end());
    ASSERT_TRUE(ParseConfigFile(good).has_value());
    Bytes zero = good;
    zero[4] = 0;
    EXPECT_FALSE(ParseConfigFile(zero).has_value());
    EXPECT_FALSE(ParseConfigFilePair(zero).has_value());
}

TEST(ConfigFileFailures, BytesLeftOverAndUnknownInterfaceTypesAreUnexpectedFormat) {
    const ConfigFileImage image = ImageOfConfiguration(MakeTestConfiguration(9, 8), 0);
    Bytes extra = EncodeConfigFile(image, 6);
    extra.push_back(0);
    Bytes downgraded = EncodeConfigFile(image, 6);
    downgraded[4] = 1;  // a version-1 layout leaves the offline time and the points over
    Bytes oldExtra = EncodeConfigFile(image, 1);
    oldExtra.insert(oldExtra.end(), 4, 0);
    const Bytes allOnes = Header(6, 0xFFFFFFFF, 0xFFFFFFFF);
    const Bytes zeros = Header(6, 0, 0);
    for (const Bytes& bytes : {extra, downgraded, oldExtra, allOnes, zeros}) {
        CConfiguration config;
        EXPECT_FALSE(ParseConfigFile(bytes).has_value());
        EXPECT_EQ(OpenOffline(bytes, config).message, "Unexpected file format.");
    }
    // a later version may append sections this tool does not know
    Bytes later = EncodeConfigFile(image, 6);
    later[4] = 7;
    later.insert(later.end(), 12, 0);
    CConfiguration config;
    EXPECT_TRUE(OpenOffline(later, config).opened);
}

TEST(ConfigFileSaving, WritesAtomicallyAndLeavesNoTemporaryFile) {
    ScopedGantryDir dir;
    const std::string path = dir.File("saved.cfg");
    const Bytes bytes = WriteConfigFile(MakeTestConfiguration(9, 6), 1);
    ASSERT_TRUE(SaveFileAtomically(path, bytes));
    EXPECT_EQ(ReadFileContents(path), bytes);
    const Bytes shorter(bytes.begin(), bytes.begin() + 20);
    ASSERT_TRUE(SaveFileAtomically(path, shorter));
    EXPECT_EQ(ReadFileContents(path), shorter);
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
    EXPECT_FALSE(SaveFileAtomically(dir.File("missing/saved.cfg"), bytes));
    EXPECT_FALSE(ReadFileContents(dir.File("missing/saved.cfg")));
}

TEST(ConfigFileSeeds, EveryCommittedSeedOpensAndRoundTrips) {
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(MODEL_SEED_DIR)) {
        const auto bytes = ReadFileContents(entry.path().string());
        ASSERT_TRUE(bytes);
        CConfiguration config;
        ASSERT_TRUE(OpenOffline(*bytes, config).opened) << entry.path();
        CConfiguration again;
        ASSERT_TRUE(OpenOffline(WriteConfigFile(config, 0), again).opened);
        EXPECT_TRUE(again.SameStoredValues(config)) << entry.path();
        ++seeds;
    }
    EXPECT_GE(seeds, 6 * 5);
}

}  // namespace

TEST(ConfigFileFailures, TextFilesVersionZeroAndUnknownVersion1TypesAreNoConfiguration) {
    CConfiguration config = MakeTestConfiguration(9, 8);
    const CConfiguration before = config;
    OpenEnvironment environment;
    environment.offline = true;
    const std::string text = "Run state saved: a text file is no configuration\n";
    const std::vector<std::uint8_t> textFile(text.begin(), text.end());
    std::vector<std::uint8_t> versionZero = EncodeConfigFile(ImageOfConfiguration(config, 0), 6);
    versionZero[4] = 0;  // the version word after the magic
    std::vector<std::uint8_t> unknownTypes = EncodeConfigFile(ImageOfConfiguration(config, 0), 1);
    unknownTypes[0] = 13;  // no interface type has the code 13
    for (const auto& bytes : {textFile, versionZero, unknownTypes}) {
        EXPECT_FALSE(ParseConfigFile(bytes).has_value());
        const OpenResult result = OpenConfigFile(bytes, environment, config);
        EXPECT_FALSE(result.opened);
        EXPECT_EQ(result.message, "Unexpected file format.");
        EXPECT_TRUE(config.SameStoredValues(before));
        EXPECT_TRUE(environment.offline);  // as it was
    }
    // a genuine version-1 file still opens
    EXPECT_TRUE(ParseConfigFile(EncodeConfigFile(ImageOfConfiguration(config, 0), 1)).has_value());
}

TEST(ConfigFileFailures, OnlyARegularFileOfBoundedSizeIsRead) {
    ScopedGantryDir dir;
    std::filesystem::create_directory(dir.File("d.cfg"));
    ASSERT_EQ(::mkfifo(dir.File("f.cfg").c_str(), 0600), 0);
    WriteFileBytes(dir.File("big.cfg"), std::string(kMaxConfigurationFileBytes + 1, 'x'));
    EXPECT_EQ(ReadInputFile(dir.File("d.cfg"), kMaxConfigurationFileBytes).error,
              dir.File("d.cfg") + " is a directory, not a file.");
    EXPECT_EQ(ReadInputFile(dir.File("f.cfg"), kMaxConfigurationFileBytes).error,
              dir.File("f.cfg") + " is not a regular file.");
    EXPECT_EQ(ReadInputFile("/dev/zero", kMaxConfigurationFileBytes).error,
              "/dev/zero is not a regular file.");
    EXPECT_EQ(ReadInputFile(dir.File("big.cfg"), kMaxConfigurationFileBytes).error,
              dir.File("big.cfg") + " is too large (1048577 bytes; at most 1048576).");
    EXPECT_EQ(ReadInputFile(dir.File("none.cfg"), 10).error,
              dir.File("none.cfg") + " does not exist.");
    EXPECT_FALSE(ReadFileContents(dir.File("d.cfg")).has_value());
}
