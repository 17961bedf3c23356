#include <gtest/gtest.h>

#include <cstring>

#include "rp1210/Exception.h"

using namespace gantry::rp1210;

namespace {

struct Expected {
    int code;
    const char* text;
};

// Every text, byte for byte, as RP1210_GetErrorMsg hands it out.
const Expected kTexts[] = {
    {0, "Success"},
    {128, "DLL Not Initialized"},
    {129, "Invalid Client ID"},
    {130, "Client Already Connected"},
    {131, "Client Area Full"},
    {132, "Free Memory"},
    {133, "Not Enough Memory"},
    {134, "Invalid Device"},
    {135, "Device In Use"},
    {136, "Invalid Protocol"},
    {137, "Transmit Queue Full"},
    {138, "Transmit Queue Corrupt"},
    {139, "Receive Queue Full"},
    {140, "Receive Queue Corrupt"},
    {141, "Message Too Long"},
    {142, "Hardware Not Responding"},
    {143, "Command Not Supported"},
    {144, "Invalid Command"},
    {145, "Transmit Message Status"},
    {146, "Address Not Available"},
    {147, "Cannot Set Priority"},
    {148, "Client Disconnected"},
    {149, "Connect Not Allowed"},
    {150, "Change Mode Failed"},
    {151, "Bus Off"},
    {152, "Could Not Transmit Address Claimed"},
    {153, "Address Lost"},
    {154, "Code Not Found"},
    {155, "Block Not Allowed"},
    {156, "Multiple Clients Connected"},
    {157, "Address Never Claimed"},
    {158, "Window Handle Required"},
    {159, "Message Not Sent"},
    {160, "Max Notify Exceeded"},
    {161, "Max Filters Exceeded"},
    {162, "Hardware Status Change"},
    {200, "Unknown internal error"},
    {201, "Unknown internal standard library error"},
    {202, "Error reading KV121032.INI file"},
    {203, "Invalid Tx or Rx buffer size"},
    {204, "Invalid driver DLL - file does not exist, or it is not a valid driver"},
    {205, "Driver DLL version is incompatible with KV121032.DLL"},
    {206, "Invalid buffer"},
    {207, "Invalid buffer size"},
    {240, "Unknown driver error"},
};

TEST(ErrorTexts, EveryCodeHasItsExactText) {
    for (const auto& expected : kTexts) {
        const char* text = LookupErrorText(static_cast<std::int16_t>(expected.code));
        ASSERT_NE(text, nullptr) << expected.code;
        EXPECT_STREQ(text, expected.text) << expected.code;
    }
    std::size_t longest = 0;
    for (const auto& expected : kTexts) {
        longest = std::max(longest, std::strlen(expected.text));
    }
    EXPECT_EQ(longest, 69u) << "callers supply 80 bytes";
}

TEST(ErrorTexts, CodesInNoTableHaveNoText) {
    for (int code : {1, 127, 163, 199, 208, 239, 241, -141, -1, 1199, -999}) {
        EXPECT_EQ(LookupErrorText(static_cast<std::int16_t>(code)), nullptr) << code;
    }
    EXPECT_EQ(ERR_CODE_NOT_FOUND, 154);
}

TEST(ErrorTexts, TagsTurnIntoPublicCodes) {
    EXPECT_EQ(CException::FromTag(PE_UnknownInternalError).GetErrorCode(), 200);
    EXPECT_EQ(CException::FromTag(PE_InvalidDriver).GetErrorCode(), 204);
    EXPECT_EQ(CException::FromTag(PE_InvalidBufferSize).GetErrorCode(), 207);
    EXPECT_EQ(CException(ERR_DEVICE_IN_USE).GetErrorCode(), 135);
    const auto& table = GetProprietaryErrorMap();
    EXPECT_EQ(table.size(), 8u);
    EXPECT_EQ(table.begin()->first, PE_FirstErrorTag + 1);
    EXPECT_EQ(table.rbegin()->first, PE_LastErrorTag - 1);
    try {
        ThrowError(PE_IncompatibleDriver);
        FAIL() << "ThrowError returned";
    } catch (const CException& error) {
        EXPECT_EQ(error.GetErrorCode(), 205);
    }
}

TEST(ErrorTextsDeath, BadTagStopsTheProgramWithTheExpression) {
    EXPECT_DEATH(CException::FromTag(static_cast<EProprietaryError>(-990)),
                 "GetProprietaryErrorMap\\(\\)\\.count\\(tag\\) == 1");
}

}  // namespace
