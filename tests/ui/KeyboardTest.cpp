// The main window by the keyboard, through the real session with the
// simulator as the gateway: F5, the I/O lists' keys, Escape in the dialogs,
// the Tab order of the J1939 pane and the NAME dialog; and what the window
// says about itself: the "*" of unsaved changes, "Ready" once a status tip is
// gone, whole captions on message boxes, the NAME Edit button without a module.
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QWindow>
#include <functional>

#include "FrameTestSupport.h"
#include "tool/device/Notifier.h"
#include "tool/session/J1939NameEditor.h"
#include "tool/ui/EditJ1939IOPoint.h"
#include "tool/ui/J1939Config.h"
#include "tool/ui/J1939DeviceName.h"
#include "tool/ui/J1939ListIO.h"
#include "tool/ui/QtNotifier.h"
#include "tool/ui/TableCtrl.h"

namespace {

const std::string f_j1939 =
    "[J1939Config]\nStatus=1\nMajor Fault=0\nNetwork Address=0x82\n"
    "Device Name=A00064001E00A003\nNetwork Address List=82\nOffline Detection Time=0\n"
    "Baud Rate=0\n[J1939IO_0]\nNumberOfEntries=3\n"
    "[J1939IO_1]\nDirection=0\nOffset=0\nSize=8\nUpdate Rate=100\nTarget Address=5\n"
    "PGN=61444\nMessage Offset=0\n"
    "[J1939IO_2]\nDirection=0\nOffset=16\nSize=16\nUpdate Rate=100\nTarget Address=5\n"
    "PGN=65265\nMessage Offset=0\n"
    "[J1939IO_3]\nDirection=1\nOffset=0\nSize=8\nUpdate Rate=100\nTarget Address=5\n"
    "PGN=65280\nMessage Offset=0\n";

class KeyboardTest : public FrameTest {
protected:
    // A J1939 gateway with three points, the window active.
    void Open() {
        OpenFrame(f_profibusJ1939, f_j1939);
        m_frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    }
    CJ1939ListIO* Lists() const {
        return static_cast<CJ1939ListIO*>(m_frame->Pane(ScreenKind::J1939IoLists));
    }
    CJ1939Config* Settings() const {
        return static_cast<CJ1939Config*>(m_frame->Pane(ScreenKind::J1939Settings));
    }
    // Runs `inside` on the next modal dialog once it shows; true when it did.
    static bool WithDialog(const std::function<void()>& open,
                           const std::function<void(QDialog&)>& inside) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                seen = true;
                inside(*dialog);
                if (dialog->isVisible()) {
                    dialog->reject();  // no test hangs on a dialog left open
                }
            }
        });
        open();
        return seen;
    }
    // The object names of the controls the Tab key reaches from `first` in
    // its window (active or not), as one line.
    static std::string TabChain(QWidget* first, int presses) {
        first->setFocus(Qt::TabFocusReason);
        QStringList names{first->objectName()};
        for (int i = 0; i < presses; ++i) {
            QTest::keyClick(first->window()->focusWidget(), Qt::Key_Tab);
            names << first->window()->focusWidget()->objectName();
        }
        return names.join(QLatin1Char(' ')).toStdString();
    }
    QString ShownTitle() const { return m_frame->windowHandle()->title(); }
};

TEST_F(KeyboardTest, F5AndTheIoListKeysRunTheirCommands_EscapeClosesTheDialog) {
    Open();
    QTest::keyClick(m_frame.get(), Qt::Key_F5);
    const std::vector<std::string> refresh = TakeRequests();
    ASSERT_FALSE(refresh.empty());
    EXPECT_EQ(refresh.front(), "G 1/1/103");

    CTableCtrl* input = Lists()->List(IoDirection::Input);
    input->SelectAndFocus(1);
    std::string edited;
    EXPECT_TRUE(WithDialog([&] { QTest::keyClick(input, Qt::Key_Return); },
                           [&](QDialog& dialog) {
                               auto& edit = static_cast<CEditJ1939IOPoint&>(dialog);
                               edited = edit.Entry(Field::Pgn)->text().toStdString();
                               QTest::keyClick(&dialog, Qt::Key_Escape);
                               EXPECT_FALSE(dialog.isVisible());
                           }));
    EXPECT_EQ(edited, "65265");
    std::string type;
    EXPECT_TRUE(WithDialog([&] { QTest::keyClick(input, Qt::Key_Insert); },
                           [&](QDialog& dialog) {
                               auto& add = static_cast<CEditJ1939IOPoint&>(dialog);
                               type = add.TypeList()->currentText().toStdString();
                               QTest::keyClick(add.Entry(Field::Pgn), Qt::Key_Escape);
                               EXPECT_FALSE(dialog.isVisible());
                           }));
    EXPECT_EQ(type, "Input");
    EXPECT_EQ(m_session->Configuration().io.TotalCount(), 3u);
    input->SelectAndFocus(0);
    QTest::keyClick(input, Qt::Key_Delete);
    ASSERT_EQ(input->rowCount(), 1);
    EXPECT_EQ(input->item(0, static_cast<int>(IoColumn::Pgn))->text(), "65265");

    // the context-menu key: the Dec / Hex menu of the current column
    input->setCurrentCell(0, static_cast<int>(IoColumn::Pgn));
    QString title;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            title = menu->title();
            QTest::keyClick(menu, Qt::Key_H);  // "&Hexadecimal"
        }
    });
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5),
                          input->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(input, &key);
    EXPECT_EQ(title, "Dec / Hex");
    EXPECT_EQ(input->item(0, static_cast<int>(IoColumn::Pgn))->text(), "FEF1");
}

TEST_F(KeyboardTest, TabReadsThePaneAndTheNameDialogRowByRow) {
    Open();
    CJ1939Config* pane = Settings();
    QStringList expected = {"Name",        "Edit",   "Address",     "Add",
                            "AddressList", "Remove", "BusOffReset", "SwapIo"};
    if (pane->StatusInInput()->isVisible()) {
        expected << "StatusInInput";
    }
    expected << "OfflineDetection";  // the time entry is off with the box
    if (pane->BaudRate()->isVisible()) {
        expected << "BaudRate";
    }
    EXPECT_EQ(TabChain(pane->NameDisplay(), static_cast<int>(expected.size()) - 1),
              expected.join(QLatin1Char(' ')).toStdString());

    std::string chain;
    EXPECT_TRUE(WithDialog([&] { pane->EditButton()->click(); },
                           [&](QDialog& dialog) {
                               auto* first = dialog.findChild<QLineEdit*>(QString::fromLatin1(
                                   NameComponentField(NameComponent::IdentityNumber)));
                               chain = TabChain(first, 8);
                               QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
                               EXPECT_FALSE(dialog.isVisible());
                           }));
    using N = NameComponent;
    QStringList rows;
    for (N component : {N::IdentityNumber, N::VehicleSystem, N::ManufacturerCode,
                        N::VehicleSystemInstance, N::EcuInstance, N::Function}) {
        rows << QString::fromLatin1(NameComponentField(component));
    }
    rows << "industry_group" << QString::fromLatin1(NameComponentField(N::FunctionInstance))
         << "arbitrary_address_capable";
    EXPECT_EQ(chain, rows.join(QLatin1Char(' ')).toStdString());
}

TEST_F(KeyboardTest, TitleStarFollowsUnsavedChanges_ReadyComesBack_NoModuleDisablesNameEdit) {
    Open();
    EXPECT_EQ(ShownTitle(), "Untitled - Gantry Configuration");
    QTest::mouseClick(Settings()->BusOffReset(), Qt::LeftButton);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return ShownTitle() == "Untitled* - Gantry Configuration"; }));
    QTest::mouseClick(Settings()->BusOffReset(), Qt::LeftButton);  // back as uploaded
    EXPECT_TRUE(QTest::qWaitFor([&] { return ShownTitle() == "Untitled - Gantry Configuration"; }));

    // a tool-bar button's tip goes when the pointer leaves it; About
    QStatusTipEvent tip(QStringLiteral("Refresh the device status"));
    QApplication::sendEvent(m_frame.get(), &tip);
    QStatusTipEvent left{QString()};
    QApplication::sendEvent(m_frame.get(), &left);
    EXPECT_EQ(m_frame->statusBar()->currentMessage(), "Ready");
    AnswerNextDialog(true);
    Trigger(FrameCommand::AppAbout);
    EXPECT_EQ(m_frame->statusBar()->currentMessage(), "Ready");

    EXPECT_TRUE(Settings()->EditButton()->isEnabled());
    m_gateway->unplugged = true;
    Trigger(FrameCommand::RefreshDeviceStatus);
    EXPECT_EQ(m_frame->ModulePane()->text(), "NO MODULE");
    EXPECT_FALSE(Settings()->EditButton()->isEnabled());
}

TEST_F(KeyboardTest, RemoveAllDefaultsToNo_BoxesShowTheirWholeCaption) {
    Open();
    Lists()->List(IoDirection::Output)->SelectAndFocus(0);
    m_notifier.answerYes = false;
    Trigger(FrameCommand::RemoveAllIoPoints);
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    const ShownMessage question = m_notifier.shown[0];
    EXPECT_EQ(question.defaultAnswer, NotifyAnswer::No);

    // the same values in the window's own boxes
    CQtNotifier boxes(m_frame.get());
    const auto show = [&](const ShownMessage& message,
                          const std::function<void(QMessageBox&)>& look) {
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                look(*box);
                box->done(QMessageBox::Cancel);
            }
        });
        boxes.Notify(message.text, message.caption, message.buttons, message.icon,
                     message.defaultAnswer);
    };
    bool defaultNo = false;
    show(question,
         [&](QMessageBox& box) { defaultNo = box.defaultButton() == box.button(QMessageBox::No); });
    EXPECT_TRUE(defaultNo);
    int width = 0;
    show({"Bad value", "Invalid Entry", NotifyButtons::Ok, NotifyIcon::Warning},
         [&](QMessageBox& box) { width = box.width(); });
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(QStringLiteral("Invalid Entry")) + 100);
}

}  // namespace
