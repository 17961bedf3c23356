// The J1939 NAME editor's rules and the J1939 settings screen's texts,
// through the session against the in-process simulator.
#include "SessionTestSupport.h"
#include "tool/session/J1939NameEditor.h"
#include "tool/session/J1939Screen.h"

using namespace gantry::tool;

namespace {

const J1939Name f_allOnes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// ---- bytes as the source ----

TEST(J1939NameEditor, ByteTexts_ShortOnesArePaddedAndComponentsRecomputed) {
    CJ1939NameEditor editor(f_allOnes);
    for (int i = 4; i < 8; ++i) {
        editor.SetByteText(i, i == 4 ? "" : "0");
    }
    editor.SetByteText(0, "F");
    editor.SetByteText(1, "ff");

    ASSERT_EQ(editor.Apply(), std::nullopt);

    EXPECT_EQ(editor.ByteText(0), "0F");
    EXPECT_EQ(editor.ByteText(1), "ff");
    EXPECT_EQ(editor.ByteText(4), "00");
    EXPECT_EQ(editor.Name(), (J1939Name{0x0F, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
    EXPECT_EQ(editor.ComponentText(NameComponent::IdentityNumber), std::to_string(0x1FFF0F));
    EXPECT_EQ(editor.ComponentText(NameComponent::ManufacturerCode), "2047");
    EXPECT_EQ(editor.ComponentText(NameComponent::FunctionInstance), "0");
    EXPECT_EQ(editor.IndustryGroupSelection(), 0);
    EXPECT_FALSE(editor.ArbitraryAddressCapable());
}

TEST(J1939NameEditor, RefusedByteText_ChangesNothingAndNamesTheEntry) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"FFF", f_szNameByteLength}, {"G", f_szNameByteDigits}, {"-1", f_szNameByteDigits}};
    for (const Case& c : cases) {
        CJ1939NameEditor editor(f_allOnes);
        editor.SetByteText(0, "1");
        editor.SetByteText(3, c.text);
        const std::optional<Refusal> refusal = editor.Apply();
        ASSERT_TRUE(refusal) << c.text;
        EXPECT_EQ(refusal->text, c.message);
        EXPECT_EQ(refusal->caption, "Warning");
        EXPECT_EQ(NameEntryName(refusal->field), "name_byte_3");
        EXPECT_EQ(editor.Name(), f_allOnes);
        EXPECT_EQ(editor.ByteText(3), c.text);  // the user's text stays
        EXPECT_EQ(editor.ByteText(0), "1");
        EXPECT_EQ(editor.ComponentText(NameComponent::Function), "255");
    }
}

// ---- components as the source ----

TEST(J1939NameEditor, ComponentTexts_PackTheBytesAndEmptyMeansZero) {
    CJ1939NameEditor editor(f_allOnes);
    editor.SetComponentText(NameComponent::IdentityNumber, "2097151");
    editor.SetComponentText(NameComponent::ManufacturerCode, "2047");
    for (NameComponent c : {NameComponent::EcuInstance, NameComponent::FunctionInstance,
                            NameComponent::Function, NameComponent::VehicleSystem}) {
        editor.SetComponentText(c, "");
    }
    editor.SetComponentText(NameComponent::VehicleSystemInstance, "0");
    editor.SelectIndustryGroup(-1);  // no selection counts as 0
    editor.SetArbitraryAddressCapable(false);

    ASSERT_EQ(editor.Apply(), std::nullopt);

    EXPECT_EQ(FormatJ1939Name(editor.Name()), "00000000FFFFFFFF");
    EXPECT_EQ(editor.ByteText(0), "FF");
    EXPECT_EQ(editor.ByteText(7), "00");
    EXPECT_EQ(editor.ComponentText(NameComponent::Function), "0");
}

TEST(J1939NameEditor, RefusedComponent_NamesItWithItsMaximumInCheckingOrder) {
    struct Case {
        NameComponent component;
        const char* text;
        const char* message;
    } cases[] = {
        {NameComponent::FunctionInstance, "32", "Function Instance must be between 0 and 31"},
        {NameComponent::IdentityNumber, "99999999999999999999999",
         "Identity Number must be between 0 and 2097151"},
        {NameComponent::VehicleSystem, "12a", "Vehicle System must be entered in decimal format"},
        {NameComponent::EcuInstance, "-1", "ECU Instance must be entered in decimal format"},
    };
    for (const Case& c : cases) {
        CJ1939NameEditor editor(f_allOnes);
        editor.SetComponentText(NameComponent::Function, "300");  // checked after all but two
        editor.SetComponentText(c.component, c.text);
        const std::optional<Refusal> refusal = editor.Apply();
        ASSERT_TRUE(refusal) << c.text;
        const bool beforeFunction = c.component < NameComponent::Function;
        EXPECT_EQ(refusal->text, beforeFunction ? c.message : "Function must be between 0 and 255");
        EXPECT_EQ(refusal->caption, "Warning");
        EXPECT_EQ(editor.Name(), f_allOnes);
        EXPECT_EQ(editor.ComponentText(c.component), c.text);
    }
}

TEST(J1939NameEditor, SourceIsTheGroupEditedOrLeftLast) {
    CJ1939NameEditor editor(J1939Name{1, 0, 0, 0, 0, 0, 0, 0x70});
    EXPECT_EQ(editor.IndustryGroupSelection(), -1);  // group 7 has no name in the list

    editor.SetComponentText(NameComponent::IdentityNumber, "2");
    editor.MarkSource(NameSource::Bytes);  // the user left a byte entry afterwards
    ASSERT_EQ(editor.Apply(), std::nullopt);
    EXPECT_EQ(editor.Name()[0], 1);
    EXPECT_EQ(editor.Name()[7], 0x70);
    EXPECT_EQ(editor.ComponentText(NameComponent::IdentityNumber), "1");

    editor.SetArbitraryAddressCapable(true);
    ASSERT_EQ(editor.Apply(), std::nullopt);
    EXPECT_EQ(editor.Name()[7], 0x80);  // the unnamed group 7 packs as 0
    EXPECT_EQ(editor.ByteText(7), "80");
}

// ---- through the session ----

TEST_F(SessionTest, J1939Screen_TextsOnlineThenWithoutModule) {
    PlugAndStart(f_profibusJ1939,
                 "[J1939Config]\nStatus=1\nMajor Fault=0x85\nNetwork Address=0x82\n"
                 "Network Address List=8283\nOffline Detection Time=250\n");
    J1939ScreenView view = J1939ScreenViewOf(*m_session);
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.status, "Online");
    EXPECT_EQ(view.error, "0x5");
    EXPECT_EQ(view.networkAddress, "130");
    EXPECT_EQ(view.addresses, (std::vector<std::string>{"130", "131"}));
    EXPECT_TRUE(view.offlineDetection);
    EXPECT_EQ(view.offlineTime, "250");

    m_gateway->unplugged = true;
    m_session->RefreshDeviceStatus();
    view = J1939ScreenViewOf(*m_session);
    EXPECT_FALSE(view.enabled);
    EXPECT_EQ(view.status, "");
    EXPECT_EQ(view.error, "");
    EXPECT_EQ(view.networkAddress, "");
    EXPECT_EQ(view.addresses.size(), 2u);  // the record keeps the list
}

TEST_F(SessionTest, J1939Screen_FileOpenedWithoutModuleShowsOfflineTexts) {
    Plug(f_profibusJ1939);
    m_gateway->unplugged = true;
    m_session->Start();
    ASSERT_EQ(m_session->ModulePaneText(), "NO MODULE");
    CConfiguration file;
    file.j1939.addressList = {7};
    ASSERT_TRUE(m_session->OpenConfiguration(WriteConfigFile(file, RS_Idle)).opened);

    const J1939ScreenView view = J1939ScreenViewOf(*m_session);
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.status, "Offline");
    EXPECT_EQ(view.error, "None");
    EXPECT_EQ(view.networkAddress, "");  // nothing read since the module went
    EXPECT_EQ(view.addresses, (std::vector<std::string>{"7"}));
}

}  // namespace
