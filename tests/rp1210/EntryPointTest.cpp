// The entry points' fixed argument checks, version and error texts.
#include <cstring>

#include "Rp1210Fixture.h"

namespace {

using EntryPoints = Rp1210Test;

TEST_F(EntryPoints, ReadVersion_WritesOneZeroTwoZeroOnlyWhenAllPointersAreSet) {
    char version[4] = {'x', 'x', 'x', 'x'};
    ReadVersion(&version[0], &version[1], &version[2], &version[3]);
    EXPECT_EQ(std::string(version, 4), "1020");

    char untouched[4] = {'x', 'x', 'x', 'x'};
    ReadVersion(&untouched[0], &untouched[1], nullptr, &untouched[3]);
    ReadVersion(nullptr, &untouched[1], &untouched[2], &untouched[3]);
    EXPECT_EQ(std::string(untouched, 4), "xxxx");
}

TEST_F(EntryPoints, GetErrorMsg_KnownCodesGiveTheirTextsUnknownOnesGive154) {
    char text[80];
    EXPECT_EQ(GetErrorMsg(0, text), 0);
    EXPECT_STREQ(text, "Success");
    EXPECT_EQ(GetErrorMsg(204, text), 0);
    EXPECT_STREQ(text, "Invalid driver DLL - file does not exist, or it is not a valid driver");
    EXPECT_EQ(GetErrorMsg(240, text), 0);
    EXPECT_STREQ(text, "Unknown driver error");
    EXPECT_EQ(GetErrorMsg(148, text), 0);
    EXPECT_STREQ(text, "Client Disconnected");

    for (const std::int16_t unknown : {199, 208, 163, -141, 127, 1}) {
        std::strcpy(text, "unchanged");
        EXPECT_EQ(GetErrorMsg(unknown, text), 154) << unknown;
        EXPECT_STREQ(text, "unchanged") << unknown;
    }
    EXPECT_EQ(GetErrorMsg(137, nullptr), 0);
    EXPECT_EQ(GetErrorMsg(9999, nullptr), 0) << "a null buffer is checked first";
}

TEST_F(EntryPoints, ClientConnect_NegativeBufferSizeGives203BeforeAnythingElse) {
    // no INI file, an unknown device and protocol: the sizes still decide
    EXPECT_EQ(ClientConnect(nullptr, 5, "nonsense", 512, -1, 0), 203);
    EXPECT_EQ(ClientConnect(nullptr, 5, "nonsense", -1, 512, 0), 203);
    EXPECT_EQ(ClientConnect(nullptr, 5, nullptr, -2147483647 - 1, 0, 0), 203);
    EXPECT_EQ(ClientConnect(nullptr, 5, "CIP", 0, 0, 0), 202) << "zero sizes are accepted";
}

TEST_F(EntryPoints, ClientConnect_WithoutUsableIniGives202WhateverTheDeviceAndProtocol) {
    EXPECT_EQ(Connect(101, "CIP"), 202);
    EXPECT_EQ(Connect(-1, "bogus"), 202);
    WriteFileBytes(m_dir.File("KV121032.INI"), "; only a comment, no section\r\nkey=value\r\n");
    EXPECT_EQ(Connect(101, "CIP"), 202);
}

TEST_F(EntryPoints, ClientConnect_MissingOrEmptyDeviceParamsGives134) {
    WriteFileBytes(m_dir.File("KV121032.INI"),
                   "[DeviceInformation101]\r\nOther=x\r\n"
                   "[DeviceInformation102]\r\nDeviceParams=\r\n"
                   "[DeviceInformation103]\r\nDeviceParams = NoSuchINIFileKey!\r\n");
    EXPECT_EQ(Connect(101, "CIP"), 134) << "key missing";
    EXPECT_EQ(Connect(102, "CIP"), 134) << "empty value";
    EXPECT_EQ(Connect(103, "CIP"), 134) << "a value equal to the missing-key marker";
    EXPECT_EQ(Connect(104, "CIP"), 134) << "no section";
    EXPECT_EQ(Connect(104, "bogus"), 134) << "the device is checked before the protocol";
}

TEST_F(EntryPoints, ClientConnect_SectionNameIsTheDeviceIdInDecimal) {
    WriteIni({{7, StubPath("StubDriver") + " PORT7"}, {-1, StubPath("StubDriver") + " PORTM1"}});
    EXPECT_EQ(Connect(7, "CIP"), 0);
    EXPECT_EQ(Connect(-1, "J1708"), 1);
    EXPECT_EQ(CountInLog("SP_Connect 7 [PORT7] 1"), 1);
    EXPECT_EQ(CountInLog("SP_Connect -1 [PORTM1] 2"), 1);
    EXPECT_EQ(Connect(70, "CIP"), 134);
}

TEST_F(EntryPoints, ClientConnect_OnlyTheExactNamesCipAndJ1708Connect) {
    WriteIni({{101, StubPath("StubDriver") + " COM1"}});
    for (const char* refused :
         {"cip", "J1708:Baud=9600", "J1708 ", "J1939", "J1850", "CAN", "", "CIPX"}) {
        EXPECT_EQ(Connect(101, refused), 136) << refused;
    }
    EXPECT_EQ(Connect(101, nullptr), 136);
    EXPECT_FALSE(StubLoaded("StubDriver")) << "the protocol is checked before the driver loads";
    EXPECT_EQ(Connect(101, "CIP"), 0);
}

TEST_F(EntryPoints, PerClientCallsCheckTheirArgumentsInTheirFixedOrder) {
    char buffer[16] = {};
    // send: null before size before client
    EXPECT_EQ(SendMessage(3, nullptr, 0, 0, 0), 206);
    EXPECT_EQ(SendMessage(3, buffer, 0, 0, 0), 207);
    EXPECT_EQ(SendMessage(3, buffer, -5, 0, 0), 207);
    EXPECT_EQ(SendMessage(3, buffer, 4, 0, 0), 129);
    // read: the same, negated
    EXPECT_EQ(ReadMessage(3, nullptr, 0, 0), -206);
    EXPECT_EQ(ReadMessage(3, buffer, 0, 0), -207);
    EXPECT_EQ(ReadMessage(3, buffer, 16, 0), -129);
    EXPECT_EQ(ReadMessage(3, buffer, 16, 1), -129) << "a blocking read never waits for nobody";
    // status: size before null before client
    EXPECT_EQ(GetHardwareStatus(3, nullptr, 8, 0), 207);
    EXPECT_EQ(GetHardwareStatus(3, nullptr, 16, 0), 206);
    EXPECT_EQ(GetHardwareStatus(3, buffer, 16, 0), 129);
    EXPECT_EQ(ClientDisconnect(3), 129);
    EXPECT_EQ(ClientDisconnect(-1), 129);
}

TEST_F(EntryPoints, SendCommand_PreCheckComesBeforeTheClientId) {
    char on[1] = {1};
    char bad[1] = {2};
    EXPECT_EQ(SendCommand(200, 3, on, 1), 143);
    EXPECT_EQ(SendCommand(20, 3, on, 1), 143);
    EXPECT_EQ(SendCommand(-1, 3, on, 1), 143);
    EXPECT_EQ(SendCommand(1, 3, on, 1), 143);
    for (const std::int16_t refused : {4, 5, 14, 19}) {
        EXPECT_EQ(SendCommand(refused, 3, nullptr, 0), 128) << refused;
    }
    EXPECT_EQ(SendCommand(7, 3, nullptr, 1), 206);
    EXPECT_EQ(SendCommand(7, 3, on, 0), 207);
    EXPECT_EQ(SendCommand(7, 3, on, 2050), 207) << "more MIDs than one packet can carry";
    for (const std::int16_t command : {15, 16, 18}) {
        EXPECT_EQ(SendCommand(command, 3, nullptr, 0), 206) << command;
        EXPECT_EQ(SendCommand(command, 3, on, 0), 207) << command;
        EXPECT_EQ(SendCommand(command, 3, bad, 1), 144) << command;
        EXPECT_EQ(SendCommand(command, 3, on, 1), 129) << command;
    }
    for (const std::int16_t command : {0, 3, 17}) {
        EXPECT_EQ(SendCommand(command, 3, nullptr, 0), 129) << command;
    }
}

TEST_F(EntryPoints, SendCommand_AFirstByteOf0xFFIsNoFlagEvenThoughCharIsSigned) {
    char all[1] = {static_cast<char>(0xFF)};
    for (const std::int16_t command : {15, 16, 18}) {
        EXPECT_EQ(SendCommand(command, 3, all, 1), 144) << command;
    }
}

}  // namespace
