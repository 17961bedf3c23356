// The J1939 I/O lists and the edit-point form without a window: cell and
// header texts in both modes, column widths, the form's events, and the I/O
// commands on a session against the simulator as a gateway.
#include "SessionTestSupport.h"
#include "tool/device/Notifier.h"
#include "tool/session/IoListPresentation.h"
#include "tool/session/IoPointForm.h"
#include "tool/session/IoTableCommands.h"

using namespace gantry::tool;

namespace {

tagJ1939DataPoint Point(std::uint8_t table, std::uint16_t offset, std::uint16_t length,
                        std::uint32_t pgn = 61444) {
    tagJ1939DataPoint point;
    point.table = table;
    point.dataOffset = offset;
    point.dataLength = length;
    point.pgn = pgn;
    point.address = 0xF9;
    point.updateRate = 40000;
    point.messageOffset = 19;
    point.priority = 3;
    return point;
}

IoColumnModes AllHex() {
    IoColumnModes modes;
    for (int i = 0; i < f_nIoColumnCount; ++i) {
        modes.SetHex(IoColumnAt(i), true);
    }
    return modes;
}

TEST(IoListPresentation, CellsInBothModes_RatesAboveSignedRangeStayPositive) {
    const tagJ1939DataPoint output = Point(JT_Output, 19, 16, 65280);
    EXPECT_EQ(IoRowTexts(output, IoColumnModes{}, IoDirection::Output),
              (std::vector<std::string>{"  19 (2,3)", "  16 (2,0)", "65280", "3", "249", "40000",
                                        "  19 (2,3)"}));
    // the Priority column shows decimal whatever its mode
    EXPECT_EQ(IoRowTexts(output, AllHex(), IoDirection::Output),
              (std::vector<std::string>{"  13 (2,3)", "  10 (2,0)", "FF00", "3", "F9", "9C40",
                                        "  13 (2,3)"}));
    const tagJ1939DataPoint dm2 = Point(JT_PreviouslyActiveDtc, 32, 80, f_nDm2Pgn);
    EXPECT_EQ(IoCellText(dm2, IoColumn::Pgn, AllHex(), IoDirection::Input), "DM2");
    EXPECT_EQ(IoCellText(Point(JT_ActiveDtc, 0, 48), IoColumn::Pgn, AllHex(), IoDirection::Input),
              "DM1");
    EXPECT_EQ(IoCellText(dm2, IoColumn::Priority, IoColumnModes{}, IoDirection::Input), "**");
}

TEST(IoListPresentation, HeadersCountsAndModes) {
    EXPECT_EQ(IoColumnHeader(IoColumn::TableOffset, false), "Table\nOffset");
    EXPECT_EQ(IoColumnHeader(IoColumn::TableOffset, true), "Table Offset\n(hex)");
    EXPECT_EQ(IoColumnHeader(IoColumn::Pgn, true), "PGN\n(hex)");
    EXPECT_EQ(IoColumnHeader(IoColumn::Priority, true), "Priority");
    EXPECT_EQ(IoColumnHeader(IoColumn::TargetAddress, true), "Target\nAddress (hex)");
    EXPECT_EQ(IoColumnHeader(IoColumn::MessageOffset, false), "Message\nOffset");

    CJ1939IO io;
    io.Add(Point(JT_Input, 0, 8, 61444));
    io.Add(Point(JT_Input, 8, 8, 61444));  // same pair: counted once
    io.Add(Point(JT_ActiveDtc, 16, 48, f_nDm1Pgn));
    io.Add(Point(JT_Output, 0, 8));
    EXPECT_EQ(IoPgnCountText(io, IoDirection::Input), "2");
    EXPECT_EQ(IoPgnCountText(io, IoDirection::Output), "1");
    EXPECT_EQ(IoPgnLimitText(PgnLimits{50, 40}, IoDirection::Output), "of 40");
    EXPECT_EQ(IoTotalCountText(io), "4");
    EXPECT_EQ(IoTotalLimitText(), "of 200");

    IoColumnModes modes;
    modes.SetHex(IoColumn::Pgn, true);
    modes.SetHex(IoColumn::MessageOffset, true);
    EXPECT_EQ(IoColumnModes::FromBits(modes.ToBits()), modes);
    EXPECT_TRUE(modes.FieldModes().pgn);
    EXPECT_FALSE(modes.FieldModes().tableOffset);
}

TEST(IoListPresentation, WidthsBySixthsAndSevenths_LastColumnTakesTheRest) {
    EXPECT_EQ(IoColumnWidths(IoDirection::Input, 605),
              (std::array<int, 7>{100, 100, 100, 0, 100, 100, 105}));
    EXPECT_EQ(IoColumnWidths(IoDirection::Output, 706),
              (std::array<int, 7>{100, 100, 100, 100, 100, 100, 106}));
    EXPECT_EQ(IoColumnWidths(IoDirection::Output, -5), (std::array<int, 7>{}));
}

TEST(IoPointForm, NewPointTypeChangesAndLabels) {
    CJ1939IO io;
    io.Add(Point(JT_Input, 0, 20));
    io.Add(Point(JT_Output, 0, 24));
    IoPointForm form = IoPointForm::ForNewPoint(io, IoDirection::Output, IoColumnModes{});
    EXPECT_EQ(form.TableType(), JT_Output);
    EXPECT_EQ(form.texts, (IoPointTexts{"24 (3,0)", "", "", "", "", "", "6"}));
    EXPECT_TRUE(form.PriorityVisible());
    EXPECT_TRUE(form.TypeListEnabled());

    form.texts.pgn = "65280";
    ASSERT_TRUE(form.SelectType(JT_ActiveDtc, io));
    EXPECT_EQ(form.texts.pgn, "DM1");
    EXPECT_EQ(form.texts.dataOffset, "32 (4,0)");  // input used end 20 rounded up to 32
    EXPECT_EQ(form.texts.messageOffset, "0");
    EXPECT_EQ(form.GroupLabel(), "Table");
    EXPECT_EQ(form.LengthLabel(), "Size");
    EXPECT_TRUE(form.PgnReadOnly());
    EXPECT_FALSE(form.PriorityVisible());

    form.texts.dataOffset = "48";
    EXPECT_FALSE(form.SelectType(JT_ActiveDtc, io));  // the same entry again changes nothing
    EXPECT_EQ(form.texts.dataOffset, "48");

    ASSERT_TRUE(form.SelectType(JT_Input, io));
    EXPECT_EQ(form.texts.dataOffset, "20 (2,4)");
    EXPECT_EQ(form.texts.pgn, "");
    EXPECT_EQ(form.GroupLabel(), "Data");
    EXPECT_EQ(form.LengthLabel(), "Length");
    EXPECT_FALSE(form.PgnReadOnly());
}

TEST(IoPointForm, ExistingDtcTableInHexadecimal) {
    IoColumnModes modes = AllHex();
    const IoPointForm form =
        IoPointForm::ForPoint(Point(JT_ActiveDtc, 32, 80, f_nDm1Pgn), 1, modes);
    EXPECT_FALSE(form.TypeListEnabled());
    EXPECT_EQ(form.EditIndex(), 1);
    EXPECT_EQ(form.texts, (IoPointTexts{"20 (4,0)", "2", "DM1", "F9", "9C40", "13 (2,3)", "3"}));
    EXPECT_EQ(form.LengthLabel(), "Size (hex)");
    EXPECT_EQ(form.OffsetLabel(), "Offset (hex)");
    EXPECT_EQ(form.RateLabel(), "Rate (hex)");
    EXPECT_TRUE(form.MessageOffsetReadOnly());
}

TEST(IoPointForm, LeavingTheOffsetApplyAndPriorityTexts) {
    CJ1939IO io;
    IoPointForm form = IoPointForm::ForNewPoint(io, IoDirection::Input, IoColumnModes{});
    form.texts.dataOffset = "20";
    EXPECT_FALSE(form.LeaveOffset());  // only DTC tables are aligned
    ASSERT_TRUE(form.SelectType(JT_PreviouslyActiveDtc, io));
    form.texts.dataOffset = "20";
    const std::optional<Refusal> notice = form.LeaveOffset();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->caption, f_szApplicationTitle);
    EXPECT_EQ(form.texts.dataOffset, "32 (4,0)");
    EXPECT_FALSE(form.LeaveOffset());  // 32 stays

    form.texts.dataLength = "2";
    form.texts.messageOffset = "1785,0";
    EXPECT_FALSE(form.Apply());
    EXPECT_EQ(form.texts.dataLength, "2");
    EXPECT_EQ(form.texts.messageOffset, "14280 (1785,0)");
    form.texts.messageOffset = "1785,1";
    EXPECT_EQ(form.Apply()->text,
              "Message Offset must be within Message Offset bounds: 0 - 14280 bits");

    EXPECT_EQ(ReadPriorityEntry(" 7 "), 7u);
    EXPECT_EQ(ReadPriorityEntry("0"), 0u);
    EXPECT_EQ(ReadPriorityEntry("0x5"), 5u);
    for (const char* refused : {"", "abc", "-1", "256", "00"}) {
        EXPECT_GT(ReadPriorityEntry(refused), 255u) << refused;
    }
}

TEST(IoPointForm, EachEntryReachesItsOwnFieldOfThePoint) {
    CJ1939IO io;
    IoPointForm form = IoPointForm::ForNewPoint(io, IoDirection::Output, IoColumnModes{});
    form.texts = IoPointTexts{"0", "2,0", "65280", "5", "100", "0", "9"};
    PointValidation result = form.Confirm(io, DataTableLimits{}, PgnLimits{});
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->text, "Priority must be 0-7");
    EXPECT_EQ(result.failure->field, Field::Priority);
    form.texts.priority = "3";
    result = form.Confirm(io, DataTableLimits{}, PgnLimits{});
    ASSERT_FALSE(result.failure) << result.failure->text;
    EXPECT_EQ(result.point.priority, 3);
    EXPECT_EQ(result.point.address, 5);

    EXPECT_FALSE(form.Apply());
    EXPECT_EQ(form.texts.dataOffset, "0 (0,0)");
    EXPECT_EQ(form.texts.dataLength, "16 (2,0)");

    // blanks and tabs around the priority are both dropped ("0" is read strictly)
    for (const char* text : {" 0 ", "\t0\t", " \t0\t "}) {
        EXPECT_EQ(ReadPriorityEntry(text), 0u) << text;
    }
}

TEST(IoPointForm, EachOffsetLabelFollowsItsOwnColumnOnly) {
    IoColumnModes table;
    table.SetHex(IoColumn::TableOffset, true);
    IoColumnModes message;
    message.SetHex(IoColumn::MessageOffset, true);
    const tagJ1939DataPoint point = Point(JT_Input, 0, 8);
    EXPECT_EQ(IoPointForm::ForPoint(point, 0, table).OffsetLabel(), "Offset (hex)");
    EXPECT_EQ(IoPointForm::ForPoint(point, 0, table).MessageOffsetLabel(), "Offset");
    EXPECT_EQ(IoPointForm::ForPoint(point, 0, message).OffsetLabel(), "Offset");
    EXPECT_EQ(IoPointForm::ForPoint(point, 0, message).MessageOffsetLabel(), "Offset (hex)");
}

class IoCommandsTest : public SessionTest {
protected:
    // The gateway holds one input point at offset 16, 16 bits long.
    void SetUp() override {
        PlugAndStart(f_ethernetJ1939,
                     "[J1939IO_0]\nNumberOfEntries=1\n[J1939IO_1]\nDirection=0\nOffset=16\n"
                     "Size=16\nUpdate Rate=100\nTarget Address=5\nPGN=61444\nMessage Offset=0\n");
        ASSERT_EQ(Io().TotalCount(), 1u);
    }
    CJ1939IO& Io() { return m_session->EditConfiguration().io; }
    bool ListsRedrawn() const {
        for (const auto& screens : m_listener.screenChanges) {
            if (screens == std::vector<ScreenKind>{ScreenKind::J1939IoLists}) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(IoCommandsTest, AddRefusedAtTheTotalLimitBeforeAnyForm) {
    for (int i = 1; i < 199; ++i) {
        Io().Append(Point(i % 2 ? JT_Output : JT_Input, static_cast<std::uint16_t>(8 * i), 8));
    }
    const std::optional<IoPointForm> form =
        BeginAddIoPoint(*m_session, std::nullopt, IoColumnModes{});
    ASSERT_TRUE(form);
    EXPECT_EQ(form->TableType(), JT_Input);  // no focused list: Input
    EXPECT_TRUE(m_notifier.shown.empty());

    Io().Append(Point(JT_Output, 4000, 8));
    EXPECT_FALSE(BeginAddIoPoint(*m_session, IoDirection::Output, IoColumnModes{}));
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].text, "Total Datapoint Limit has been Reached");
    EXPECT_EQ(m_notifier.shown[0].caption, "Configuration Limit");
}

TEST_F(IoCommandsTest, ConfirmRefusesAnOverlapAndChangesNothing_ThenAddsAndReplaces) {
    IoPointForm form = *BeginAddIoPoint(*m_session, IoDirection::Input, IoColumnModes{});
    form.texts = IoPointTexts{"8", "9", "61444", "0", "100", "0", "6"};
    const CJ1939IO before = Io();
    const std::optional<Refusal> refusal = ConfirmIoPoint(*m_session, form);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "Specified Data Table space is already occupied by another I/O Point");
    EXPECT_EQ(m_notifier.shown.back().caption, "Invalid Entry");
    EXPECT_EQ(Io(), before);
    EXPECT_FALSE(m_session->IsModified());

    form.texts.dataLength = "8";
    EXPECT_FALSE(ConfirmIoPoint(*m_session, form));
    ASSERT_EQ(Io().Inputs().size(), 2u);
    EXPECT_EQ(Io().Inputs()[0].dataOffset, 8);  // ordered by offset
    EXPECT_TRUE(m_session->IsModified());
    EXPECT_TRUE(ListsRedrawn());

    // editing the point at index 1 against itself is no overlap
    IoPointForm edit = *BeginEditIoPoint(*m_session, IoDirection::Input, 1, IoColumnModes{});
    edit.texts.updateRate = "250";
    EXPECT_FALSE(ConfirmIoPoint(*m_session, edit));
    EXPECT_EQ(Io().Inputs()[1].updateRate, 250);
    EXPECT_FALSE(BeginEditIoPoint(*m_session, IoDirection::Input, -1, IoColumnModes{}));
    EXPECT_FALSE(BeginEditIoPoint(*m_session, IoDirection::Output, 0, IoColumnModes{}));
}

TEST_F(IoCommandsTest, RemoveAtOnce_RemoveAllAsksItsListsQuestion) {
    Io().Add(Point(JT_Input, 0, 8));
    Io().Add(Point(JT_Output, 0, 8));
    EXPECT_FALSE(RemoveIoPoint(*m_session, IoDirection::Input, 2));
    EXPECT_TRUE(RemoveIoPoint(*m_session, IoDirection::Input, 0));
    EXPECT_TRUE(m_notifier.shown.empty());
    ASSERT_EQ(Io().Inputs().size(), 1u);
    EXPECT_EQ(Io().Inputs()[0].dataOffset, 16);

    m_notifier.answerYes = false;
    EXPECT_FALSE(RemoveAllIoPoints(*m_session, IoDirection::Output));
    EXPECT_EQ(Io().Outputs().size(), 1u);
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].text,
              "Are you sure you want to delete all entries from the J1939 Output I/O Table ?");
    EXPECT_EQ(m_notifier.shown[0].caption, "Confirm Delete Request");
    EXPECT_EQ(m_notifier.shown[0].buttons, NotifyButtons::YesNo);

    m_notifier.answerYes = true;
    EXPECT_TRUE(RemoveAllIoPoints(*m_session, IoDirection::Input));
    EXPECT_EQ(m_notifier.shown[1].text,
              "Are you sure you want to delete all entries from the J1939 Input I/O Table ?");
    EXPECT_TRUE(Io().Inputs().empty());
    EXPECT_EQ(Io().Outputs().size(), 1u);
}

}  // namespace
