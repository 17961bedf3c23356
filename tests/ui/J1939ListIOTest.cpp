// The J1939 I/O list pane and the edit-point dialog, offscreen, driven
// through their widgets against the real session with the in-process
// simulator as the gateway. Screenshots go to the test's working folder in
// the build tree.
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <memory>

#include "session/SessionTestSupport.h"
#include "tool/device/Notifier.h"
#include "tool/session/IoTableCommands.h"
#include "tool/ui/EditJ1939IOPoint.h"
#include "tool/ui/J1939ListIO.h"
#include "tool/ui/ListHeaderCtrl.h"
#include "tool/ui/MainFrame.h"
#include "tool/ui/TableCtrl.h"

using namespace gantry::tool;
using namespace gantry::ui;

namespace {

using Requests = std::vector<std::string>;

std::string IoSection(int instance, int direction, int offset, int size, unsigned pgn) {
    return "[J1939IO_" + std::to_string(instance) + "]\nDirection=" + std::to_string(direction) +
           "\nOffset=" + std::to_string(offset) + "\nSize=" + std::to_string(size) +
           "\nUpdate Rate=100\nTarget Address=5\nPGN=" + std::to_string(pgn) +
           "\nMessage Offset=0\n";
}

// Inputs at 0 (8 bits) and 16 (16 bits), a DM1 table at 32 and one output.
const std::string f_table = "[J1939IO_0]\nNumberOfEntries=4\n" + IoSection(1, 0, 0, 8, 61444) +
                            IoSection(2, 0, 16, 16, 65265) + IoSection(3, 2, 32, 48, 65226) +
                            IoSection(4, 1, 0, 8, 65280);

// The one QApplication goes when the tests are done, before the static
// objects at exit.
class CQtEnvironment : public ::testing::Environment {
public:
    void TearDown() override { delete QApplication::instance(); }
};
::testing::Environment* const g_qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

// Does what the main frame does with the session's reports for this pane.
class CPaneRefresher : public ISessionListener {
public:
    void ScreensChanged(const std::vector<ScreenKind>& screens) override {
        if (pane != nullptr &&
            std::find(screens.begin(), screens.end(), ScreenKind::J1939IoLists) != screens.end()) {
            pane->RefreshFromSession();
        }
    }
    CJ1939ListIO* pane = nullptr;
};

class J1939ListIOTest : public SessionTest {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "ui_j1939listio";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) {
            new QApplication(argc, argv);  // CQtEnvironment deletes it
        }
        // QSettings goes to a scratch folder, never $HOME
        s_settings = std::make_unique<QTemporaryDir>();
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, s_settings->path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, s_settings->path());
        QCoreApplication::setOrganizationName(QStringLiteral("GantryTest"));
        QCoreApplication::setApplicationName(QStringLiteral("ui_j1939listio"));
    }
    static void TearDownTestSuite() { s_settings.reset(); }
    void TearDown() override {
        QSettings().clear();
        m_frame.reset();
        m_window.reset();
        m_session.reset();
    }

    // A started session with the table on the gateway, and the pane in a
    // window beside an entry that can take the focus away from the lists.
    void Open(const std::string& table = f_table) {
        PlugAndStart(f_ethernetJ1939, table);
        m_session->SetListener(&m_refresher);
        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        m_elsewhere = new QLineEdit(m_window.get());
        layout->addWidget(m_elsewhere);
        m_pane = new CJ1939ListIO(*m_session, m_window.get());
        layout->addWidget(m_pane);
        m_refresher.pane = m_pane;
        m_window->resize(880, 280);
        m_window->show();
        m_elsewhere->setFocus();
    }
    // The same gateway with the pane in a started main frame.
    void OpenInFrame() {
        Plug(f_ethernetJ1939, f_table);
        m_frame = std::make_unique<CMainFrame>(*m_session);
        m_frame->show();
        bool started = false;
        QObject::connect(m_frame.get(), &CMainFrame::StartupFinished,
                         [&started] { started = true; });
        m_frame->PostStartupRefresh();
        ASSERT_TRUE(QTest::qWaitFor([&started] { return started; }, 10000));
        m_pane = qobject_cast<CJ1939ListIO*>(m_frame->Pane(ScreenKind::J1939IoLists));
        ASSERT_NE(m_pane, nullptr);
        ASSERT_EQ(List(IoDirection::Output)->rowCount(), 1);
    }
    CTableCtrl* List(IoDirection list) const { return m_pane->List(list); }
    std::string Cell(IoDirection list, int row, IoColumn column) const {
        const QTableWidgetItem* item = List(list)->item(row, static_cast<int>(column));
        return item ? item->text().toStdString() : "<none>";
    }
    void ClickRow(IoDirection list, int row) {
        CTableCtrl* table = List(list);
        const QRect cell = table->visualRect(table->model()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // Runs `action` on the edit-point dialog once it is open; a dialog still
    // open after it is cancelled, so that no test can hang on it.
    void WhenDialogOpens(std::function<void(CEditJ1939IOPoint&)> action) {
        m_dialogSeen = false;
        QTimer::singleShot(0, [this, action] {
            auto* dialog = qobject_cast<CEditJ1939IOPoint*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            m_dialogSeen = true;
            action(*dialog);
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : m_notifier.shown) {
            texts.push_back(m.caption + ": " + m.text);
        }
        return texts;
    }
    void Screenshot(QWidget* widget, const char* file) {
        QTest::qWait(20);
        ASSERT_TRUE(widget->grab().save(QString::fromLatin1(file)));
    }
    bool EditEnabled() const {
        return m_session->IsCommandEnabled(SessionCommand::EditIoPoint, m_pane->HasIoListFocus());
    }

    static std::unique_ptr<QTemporaryDir> s_settings;
    CPaneRefresher m_refresher;
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<CMainFrame> m_frame;
    QLineEdit* m_elsewhere = nullptr;
    CJ1939ListIO* m_pane = nullptr;
    bool m_dialogSeen = false;
};

std::unique_ptr<QTemporaryDir> J1939ListIOTest::s_settings;

TEST_F(J1939ListIOTest, ListsShowTheTable_InputPriorityHiddenAsStars) {
    Open();
    ASSERT_EQ(List(IoDirection::Input)->rowCount(), 3);
    EXPECT_EQ(Cell(IoDirection::Input, 1, IoColumn::TableOffset), "  16 (2,0)");
    EXPECT_EQ(Cell(IoDirection::Input, 2, IoColumn::Pgn), "DM1");
    EXPECT_EQ(Cell(IoDirection::Input, 0, IoColumn::Priority), "**");
    EXPECT_EQ(List(IoDirection::Input)->columnWidth(static_cast<int>(IoColumn::Priority)), 0);
    EXPECT_GT(List(IoDirection::Output)->columnWidth(static_cast<int>(IoColumn::Priority)), 40);
    EXPECT_EQ(Cell(IoDirection::Output, 0, IoColumn::Priority), "6");
    EXPECT_EQ(m_pane->PgnCountLabel(IoDirection::Input)->text(), "3");
    EXPECT_EQ(m_pane->PgnLimitLabel(IoDirection::Output)->text().toStdString(),
              "of " + std::to_string(m_session->Configuration().pgnLimits.outputPgns));
    EXPECT_EQ(m_pane->TotalCountLabel()->text(), "4");

    // sixths of the input list, the last column taking the rest
    const CTableCtrl* input = List(IoDirection::Input);
    const int width = input->viewport()->width();
    EXPECT_EQ(input->columnWidth(0), width / 6);
    int sum = 0;
    for (int column = 0; column < f_nIoColumnCount; ++column) {
        sum += input->columnWidth(column);
    }
    EXPECT_EQ(sum, width);

    // without a module the lists are disabled and keep what they showed
    m_session->MarkNotDetected();
    EXPECT_FALSE(List(IoDirection::Input)->isEnabled());
    EXPECT_FALSE(List(IoDirection::Output)->isEnabled());
    EXPECT_EQ(List(IoDirection::Input)->rowCount(), 3);
    EXPECT_FALSE(m_session->IsCommandEnabled(SessionCommand::AddIoPoint, false));
}

TEST_F(J1939ListIOTest, FocusOutsideTheLists_EditDisabledAndAddOpensAsInput) {
    Open();
    EXPECT_FALSE(m_pane->HasIoListFocus());
    EXPECT_FALSE(EditEnabled());
    EXPECT_TRUE(m_session->IsCommandEnabled(SessionCommand::AddIoPoint, false));
    m_pane->RunIoCommand(IoCommand::Remove);  // nothing to act on
    EXPECT_EQ(m_session->Configuration().io.TotalCount(), 4u);

    std::string type;
    WhenDialogOpens([&](CEditJ1939IOPoint& dialog) {
        type = dialog.TypeList()->currentText().toStdString();
        EXPECT_EQ(dialog.windowTitle(), "Edit J1939 I/O Point");
        EXPECT_EQ(dialog.Entry(Field::DataOffset)->text(), "80 (10,0)");  // input used end
        EXPECT_FALSE(dialog.Entry(Field::Priority)->isVisible());
    });
    m_pane->RunIoCommand(IoCommand::Add);
    EXPECT_TRUE(m_dialogSeen);
    EXPECT_EQ(type, "Input");

    ClickRow(IoDirection::Output, 0);
    EXPECT_TRUE(m_pane->HasIoListFocus());
    EXPECT_TRUE(EditEnabled());
    WhenDialogOpens([&](CEditJ1939IOPoint& dialog) {
        type = dialog.TypeList()->currentText().toStdString();
        EXPECT_TRUE(dialog.Entry(Field::Priority)->isVisible());
    });
    m_pane->RunIoCommand(IoCommand::Add);
    EXPECT_EQ(type, "Output");
}

TEST_F(J1939ListIOTest, EachEntryOfTheDialogReachesItsOwnFieldOfThePoint) {
    Open();
    ClickRow(IoDirection::Output, 0);
    WhenDialogOpens([&](CEditJ1939IOPoint& dialog) {
        const std::pair<Field, const char*> entries[] = {
            {Field::DataOffset, "8"}, {Field::DataLength, "2,0"}, {Field::Pgn, "65281"},
            {Field::Address, "5"},    {Field::UpdateRate, "100"}, {Field::MessageOffset, "0"},
            {Field::Priority, "9"}};
        for (const auto& [field, text] : entries) {
            dialog.Entry(field)->setText(QString::fromLatin1(text));
        }
        QTest::mouseClick(dialog.ApplyButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.Entry(Field::DataLength)->text(), "16 (2,0)");
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), dialog.Entry(Field::Priority));
        dialog.Entry(Field::Priority)->setText("3");
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
    });
    m_pane->RunIoCommand(IoCommand::Add);
    ASSERT_TRUE(m_dialogSeen);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Invalid Entry: Priority must be 0-7"}));
    const auto& outputs = m_session->Configuration().io.Outputs();
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_EQ(outputs[1], (tagJ1939DataPoint{JT_Output, 8, 16, 100, 5, 65281, 0, 3}));
}

TEST_F(J1939ListIOTest, The201stPointIsRefusedBeforeTheDialogOpens) {
    Open("");
    CJ1939IO& io = m_session->EditConfiguration().io;
    for (int i = 0; i < 200; ++i) {
        tagJ1939DataPoint point;
        point.table = i % 4 == 3 ? JT_Output : JT_Input;
        point.dataOffset = static_cast<std::uint16_t>(8 * i);
        point.dataLength = 8;
        io.Append(point);
    }
    m_pane->RefreshFromSession();
    EXPECT_EQ(m_pane->TotalCountLabel()->text(), "200");
    WhenDialogOpens([](CEditJ1939IOPoint&) {});
    m_pane->RunIoCommand(IoCommand::Add);
    EXPECT_FALSE(m_dialogSeen);
    EXPECT_EQ(
        Texts(),
        (std::vector<std::string>{"Configuration Limit: Total Datapoint Limit has been Reached"}));
}

TEST_F(J1939ListIOTest, PgnHeaderToHexadecimal_RenamesBothLists_ANewPaneStartsDecimal) {
    Open();
    CListHeaderCtrl* header = List(IoDirection::Output)->Header();
    const int pgn = static_cast<int>(IoColumn::Pgn);
    const QPoint at(header->sectionViewportPosition(pgn) + 10, 10);
    bool decimalChecked = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        decimalChecked = menu->actions().at(0)->isChecked();
        QTest::keyClick(menu, Qt::Key_H);  // "&Hexadecimal"
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, header->viewport()->mapToGlobal(at));
    QApplication::sendEvent(header->viewport(), &click);

    EXPECT_TRUE(decimalChecked);
    for (IoDirection list : {IoDirection::Input, IoDirection::Output}) {
        EXPECT_EQ(List(list)->horizontalHeaderItem(pgn)->text(), "PGN\n(hex)");
    }
    EXPECT_EQ(Cell(IoDirection::Input, 0, IoColumn::Pgn), "F004");
    EXPECT_EQ(Cell(IoDirection::Input, 2, IoColumn::Pgn), "DM1");
    EXPECT_EQ(Cell(IoDirection::Output, 0, IoColumn::Pgn), "FF00");
    EXPECT_EQ(Cell(IoDirection::Input, 1, IoColumn::TableOffset), "  16 (2,0)");  // unchanged

    // the next start (or layout) reads typed values in decimal again
    CJ1939ListIO again(*m_session);
    EXPECT_FALSE(again.Modes().IsHex(IoColumn::Pgn));
    EXPECT_EQ(again.List(IoDirection::Input)->item(0, pgn)->text(), "61444");
}

TEST_F(J1939ListIOTest, AnOverlappingEditIsRefusedAndTheDialogStaysOpen) {
    Open();
    CTableCtrl* input = List(IoDirection::Input);
    const QRect row1 = input->visualRect(input->model()->index(1, 0));
    bool stayedOpen = false;
    WhenDialogOpens([&](CEditJ1939IOPoint& dialog) {
        EXPECT_FALSE(dialog.TypeList()->isEnabled());
        QLineEdit* offset = dialog.Entry(Field::DataOffset);
        offset->selectAll();
        QTest::keyClicks(offset, "4");  // 4..20 runs into the point at 0..8
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        stayedOpen = dialog.isVisible();
        EXPECT_EQ(offset->text(), "4");
        EXPECT_EQ(dialog.focusWidget(), offset);
    });
    QTest::mouseDClick(input->viewport(), Qt::LeftButton, {}, row1.center());
    EXPECT_TRUE(m_dialogSeen);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "Invalid Entry: Specified Data Table space is already occupied by "
                           "another I/O Point"}));
    EXPECT_EQ(m_session->Configuration().io.Inputs()[1].dataOffset, 16);
}

TEST_F(J1939ListIOTest, DtcTypeProposesAnAlignedOffsetAndLeavingTheOffsetAligns) {
    Open("[J1939IO_0]\nNumberOfEntries=1\n" + IoSection(1, 0, 0, 20, 61444));
    WhenDialogOpens([&](CEditJ1939IOPoint& dialog) {
        dialog.TypeList()->setCurrentIndex(JT_ActiveDtc);
        EXPECT_EQ(dialog.Entry(Field::DataOffset)->text(), "32 (4,0)");
        EXPECT_EQ(dialog.Entry(Field::Pgn)->text(), "DM1");
        EXPECT_TRUE(dialog.Entry(Field::Pgn)->isReadOnly());
        EXPECT_EQ(dialog.GroupLabel()->text(), "Table");
        EXPECT_EQ(dialog.LengthLabel()->text(), "Size");
        Screenshot(&dialog, "j1939-io-dialog-dtc.png");

        QLineEdit* offset = dialog.Entry(Field::DataOffset);
        offset->setFocus();
        offset->setText("40");
        dialog.Entry(Field::DataLength)->setFocus();  // leaving the offset entry
        EXPECT_EQ(offset->text(), "48 (6,0)");
    });
    m_pane->RunIoCommand(IoCommand::Add);
    ASSERT_TRUE(m_dialogSeen);
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].text,
              "Table offsets for diagnostic tables must be on even word boundaries.  Moving "
              "offset to next valid location.");
}

TEST_F(J1939ListIOTest, RemoveAllAsks_NoKeepsTheTable_RemoveKeepsTheRest) {
    Open();
    ClickRow(IoDirection::Input, 0);
    m_notifier.answerYes = false;
    m_pane->RunIoCommand(IoCommand::RemoveAll);
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "Confirm Delete Request: Are you sure you want to delete all entries "
                           "from the J1939 Input I/O Table ?"}));
    EXPECT_EQ(m_notifier.shown[0].defaultAnswer, NotifyAnswer::No);  // Enter keeps the table
    EXPECT_EQ(List(IoDirection::Input)->rowCount(), 3);

    m_pane->RunIoCommand(IoCommand::Remove);  // the selected row 0, at once
    EXPECT_EQ(m_notifier.shown.size(), 1u);
    ASSERT_EQ(List(IoDirection::Input)->rowCount(), 2);
    EXPECT_EQ(Cell(IoDirection::Input, 0, IoColumn::TableOffset), "  16 (2,0)");
    EXPECT_EQ(m_pane->TotalCountLabel()->text(), "3");
}

TEST_F(J1939ListIOTest, ADownloadAfterAddingWritesTheTableInOrder) {
    Open();
    ClickRow(IoDirection::Input, 0);
    WhenDialogOpens([&](CEditJ1939IOPoint& dialog) {
        const std::pair<Field, const char*> entries[] = {
            {Field::DataOffset, "1,0"}, {Field::DataLength, "8"},   {Field::Pgn, "0xFEF1"},
            {Field::Address, "0"},      {Field::UpdateRate, "100"}, {Field::MessageOffset, "0"}};
        for (const auto& [field, text] : entries) {
            dialog.Entry(field)->setText(QString::fromLatin1(text));
        }
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
    });
    m_pane->RunIoCommand(IoCommand::Add);
    EXPECT_TRUE(m_notifier.shown.empty()) << Texts().front();
    ASSERT_EQ(List(IoDirection::Input)->rowCount(), 4);
    EXPECT_EQ(Cell(IoDirection::Input, 1, IoColumn::Pgn), "65265");
    EXPECT_TRUE(m_session->IsModified());

    TakeRequests();
    EXPECT_EQ(m_session->Download().outcome, DownloadOutcome::Written);
    Requests table;
    for (const std::string& r : TakeRequests()) {
        if (r.rfind("S 111/", 0) == 0 || r.rfind("SA 111/", 0) == 0) {
            table.push_back(r.substr(0, r.find(' ', 3) + 11));  // type, offset, length
        }
    }
    EXPECT_EQ(table,
              (Requests{"S 111/0/1 0500", "SA 111/1 0000000800", "SA 111/2 0008000800",
                        "SA 111/3 0010001000", "SA 111/4 0220003000", "SA 111/5 0100000800"}));
}

TEST_F(J1939ListIOTest, ScreenshotsOfAFullTableAndTheDialog) {
    Open("");
    CJ1939IO& io = m_session->EditConfiguration().io;
    for (int i = 0; i < 200; ++i) {
        tagJ1939DataPoint point;
        point.table = i < 120 ? (i % 40 == 5 ? JT_ActiveDtc : JT_Input) : JT_Output;
        point.dataOffset = static_cast<std::uint16_t>(16 * (i < 120 ? i : i - 120));
        point.dataLength = 16;
        point.pgn =
            point.table == JT_ActiveDtc ? f_nDm1Pgn : 65280u + static_cast<unsigned>(i % 30);
        point.address = static_cast<std::uint8_t>(i);
        point.updateRate = static_cast<std::uint16_t>(i < 190 ? 100 : 45000);
        point.messageOffset = static_cast<std::uint16_t>(i % 8);
        point.priority = static_cast<std::uint8_t>(i % 8);
        io.Append(point);
    }
    m_pane->RefreshFromSession();
    List(IoDirection::Output)->scrollToBottom();
    Screenshot(m_pane, "j1939-io-lists-decimal.png");
    for (int column = 0; column < f_nIoColumnCount; ++column) {
        m_pane->SetColumnMode(IoColumnAt(column), true);
    }
    EXPECT_EQ(List(IoDirection::Output)->item(79, static_cast<int>(IoColumn::UpdateRate))->text(),
              "AFC8");  // 45000, not a negative number
    Screenshot(m_pane, "j1939-io-lists-hexadecimal.png");

    for (IoDirection list : {IoDirection::Input, IoDirection::Output}) {
        const std::optional<IoPointForm> form =
            BeginEditIoPoint(*m_session, list, 3, m_pane->Modes());
        ASSERT_TRUE(form);
        CEditJ1939IOPoint dialog(*m_session, *form, m_window.get());
        dialog.show();
        Screenshot(&dialog, list == IoDirection::Input ? "j1939-io-dialog-input.png"
                                                       : "j1939-io-dialog-output.png");
        EXPECT_EQ(dialog.Entry(Field::Priority)->isVisible(), list == IoDirection::Output);
    }
}

TEST_F(J1939ListIOTest, EditKeepsTheViewAndSelectsTheEditedRow_RemoveKeepsTheView) {
    Open("");
    CJ1939IO& io = m_session->EditConfiguration().io;
    for (int i = 0; i < 150; ++i) {
        tagJ1939DataPoint point;
        point.dataOffset = static_cast<std::uint16_t>(8 * i);
        point.dataLength = 8;
        point.pgn = 65280;
        point.updateRate = 100;
        io.Append(point);
    }
    m_pane->RefreshFromSession();
    CTableCtrl* input = List(IoDirection::Input);
    QCoreApplication::processEvents();
    input->scrollToItem(input->item(100, 0), QAbstractItemView::PositionAtTop);
    QCoreApplication::processEvents();
    ClickRow(IoDirection::Input, 102);
    const int top = input->TopRow();
    ASSERT_GE(top, 95);
    WhenDialogOpens([](CEditJ1939IOPoint& dialog) {
        dialog.Entry(Field::UpdateRate)->setText(QStringLiteral("250"));
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
    m_pane->RunIoCommand(IoCommand::Edit);
    EXPECT_EQ(Cell(IoDirection::Input, 102, IoColumn::UpdateRate), "250");
    EXPECT_EQ(input->SelectedRow(), 102);
    EXPECT_EQ(input->currentRow(), 102);
    EXPECT_EQ(input->TopRow(), top);
    EXPECT_TRUE(m_pane->HasIoListFocus());

    m_pane->RunIoCommand(IoCommand::Remove);
    EXPECT_EQ(input->rowCount(), 149);
    EXPECT_EQ(input->TopRow(), top);
    EXPECT_EQ(Cell(IoDirection::Input, 102, IoColumn::TableOffset), " 824 (103,0)");
}

// ---- through the main frame ----

TEST_F(J1939ListIOTest, TheFramesIoMenuFollowsTheFocusAndActsOnTheFocusedList) {
    OpenInFrame();

    m_frame->UpdateCommandUI();
    EXPECT_TRUE(m_frame->Action(FrameCommand::AddIoPoint)->isEnabled());
    EXPECT_FALSE(m_frame->Action(FrameCommand::EditIoPoint)->isEnabled());
    EXPECT_FALSE(m_frame->Action(FrameCommand::RemoveAllIoPoints)->isEnabled());

    ClickRow(IoDirection::Input, 1);
    m_frame->UpdateCommandUI();
    EXPECT_TRUE(m_frame->Action(FrameCommand::EditIoPoint)->isEnabled());
    EXPECT_TRUE(m_frame->Action(FrameCommand::RemoveIoPoint)->isEnabled());
    m_notifier.shown.clear();
    m_frame->Action(FrameCommand::RemoveIoPoint)->trigger();
    ASSERT_EQ(List(IoDirection::Input)->rowCount(), 2);
    EXPECT_EQ(Cell(IoDirection::Input, 1, IoColumn::Pgn), "DM1");
    EXPECT_EQ(m_pane->TotalCountLabel()->text(), "3");
    EXPECT_TRUE(m_notifier.shown.empty());

    ClickRow(IoDirection::Output, 0);
    std::string type;
    WhenDialogOpens(
        [&](CEditJ1939IOPoint& dialog) { type = dialog.TypeList()->currentText().toStdString(); });
    m_frame->Action(FrameCommand::AddIoPoint)->trigger();
    EXPECT_EQ(type, "Output");
}

TEST_F(J1939ListIOTest, RightClickInAListShowsTheIoMenuAfterSelectingTheRow) {
    OpenInFrame();
    CTableCtrl* output = List(IoDirection::Output);
    const QPoint at = output->visualRect(output->model()->index(0, 2)).center();
    std::vector<bool> enabled;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            enabled.push_back(action->isEnabled());
        }
        menu->close();
    });
    QTest::mousePress(output->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, output->viewport()->mapToGlobal(at));
    QApplication::sendEvent(output->viewport(), &click);
    QTest::mouseRelease(output->viewport(), Qt::RightButton, {}, at);
    EXPECT_EQ(output->SelectedRow(), 0);
    EXPECT_EQ(enabled, (std::vector<bool>{true, true, true, true}));
}

}  // namespace
