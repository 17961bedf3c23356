#include "MonkeyActions.h"

#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cstring>

#include "tool/ui/MainFrame.h"

namespace gantry::monkey {

using gantry::tool::FrameCommand;
using gantry::ui::CMainFrame;

void ActionLog::Add(const std::string& action) {
    char* entry = m_entries[m_count % f_nKept];
    std::snprintf(entry, f_nWidth, "#%ld %s", m_count + 1, action.c_str());
    ++m_count;
    if (m_trace) {
        std::printf("%s\n", entry);
    }
}

void ActionLog::Dump(const char* why) const {
    char line[f_nWidth + 64];
    int length = std::snprintf(line, sizeof line, "\nmonkey: %s; seed %u, after %ld actions:\n",
                               why, m_seed, m_count);
    ssize_t ignored = ::write(2, line, static_cast<std::size_t>(length));
    for (long i = std::max(0L, m_count - f_nKept); i < m_count; ++i) {
        length = std::snprintf(line, sizeof line, "  %s\n", m_entries[i % f_nKept]);
        ignored = ::write(2, line, static_cast<std::size_t>(length));
    }
    (void)ignored;
}

namespace {

int Pick(std::mt19937& random, int bound) {
    return std::uniform_int_distribution<int>(0, std::max(1, bound) - 1)(random);
}

std::string Describe(const QWidget* widget) {
    if (widget == nullptr) {
        return "(none)";
    }
    std::string text = widget->metaObject()->className();
    if (!widget->objectName().isEmpty()) {
        text += " '" + widget->objectName().toStdString() + "'";
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        text += " \"" + button->text().toStdString() + "\"";
    }
    if (const QWidget* window = widget->window(); window != widget) {
        text += " in " + std::string(window->metaObject()->className()) + " \"" +
                window->windowTitle().toStdString() + "\"";
    }
    return text;
}

// What a technician might type, and what no one should.
const char* const f_texts[] = {"0",           "1",
                               "63",          "64",
                               "127",         "128",
                               "247",         "255",
                               "256",         "-1",
                               "65535",       "1000",
                               "99999999999", "0x1F",
                               "abc",         "",
                               " ",           "192.168.1.20",
                               "1.2",         "192.168.001.020",
                               "12a",         "FF",
                               "4294967296",  "\xc3\xa9t\xc3\xa9"};

struct KeyChoice {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};
const KeyChoice f_keys[] = {
    {Qt::Key_Tab, {}},
    {Qt::Key_Backtab, Qt::ShiftModifier},
    {Qt::Key_Return, {}},
    {Qt::Key_Enter, {}},
    {Qt::Key_Escape, {}},
    {Qt::Key_Space, {}},
    {Qt::Key_Up, {}},
    {Qt::Key_Down, {}},
    {Qt::Key_Left, {}},
    {Qt::Key_Right, {}},
    {Qt::Key_PageUp, {}},
    {Qt::Key_PageDown, {}},
    {Qt::Key_Home, {}},
    {Qt::Key_End, {}},
    {Qt::Key_Delete, {}},
    {Qt::Key_Backspace, {}},
    {Qt::Key_Insert, {}},
    {Qt::Key_F5, {}},
    {Qt::Key_5, {}},
    {Qt::Key_A, Qt::ControlModifier},
    {Qt::Key_N, Qt::ControlModifier},
    {Qt::Key_O, Qt::ControlModifier},
    {Qt::Key_S, Qt::ControlModifier},
    {Qt::Key_Z, Qt::ControlModifier},
};

// The commands a user may pick from the menus: all but Exit, which would end
// the walk.
const FrameCommand f_commands[] = {
    FrameCommand::FileNew,
    FrameCommand::FileOpen,
    FrameCommand::FileSave,
    FrameCommand::FileSaveAs,
    FrameCommand::FileMru,
    FrameCommand::Connect,
    FrameCommand::OfflineConfiguration,
    FrameCommand::ViewToolbar,
    FrameCommand::ViewStatusBar,
    FrameCommand::RefreshDeviceStatus,
    FrameCommand::Upload,
    FrameCommand::Download,
    FrameCommand::ClearErrorStatus,
    FrameCommand::AddIoPoint,
    FrameCommand::EditIoPoint,
    FrameCommand::RemoveIoPoint,
    FrameCommand::RemoveAllIoPoints,
    FrameCommand::FlashUpdate,
    FrameCommand::AppAbout,
};

}  // namespace

void Monkey::Record(const std::string& what, const QWidget* widget) {
    m_log.Add(what + " on " + Describe(widget));
}

void Monkey::Step(CMainFrame& frame, bool busy) {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        // menus and list pop-ups: their commands are reached by other moves
        Record("Escape", popup);
        QTest::keyClick(popup, Qt::Key_Escape);
    } else if (QWidget* modal = QApplication::activeModalWidget()) {
        OnModal(modal);
    } else if (busy) {
        m_log.Add("(while busy, to be swallowed:)");
        OnControl(&frame, m_busyRandom);
    } else {
        OnFrame(frame);
    }
}

void Monkey::OnModal(QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        const QList<QAbstractButton*> buttons = box->buttons();
        if (!buttons.isEmpty()) {
            QAbstractButton* button = buttons[Pick(m_random, static_cast<int>(buttons.size()))];
            Record("answer \"" + box->text().left(60).toStdString() + "\" with", button);
            Click(button, m_random, false);
            return;
        }
    }
    if (qobject_cast<QFileDialog*>(modal) != nullptr) {
        OnFileDialog(modal);
        return;
    }
    const int roll = Pick(m_random, 20);
    if (roll < 2) {
        Record("Escape", modal);
        QTest::keyClick(modal, Qt::Key_Escape);
    } else if (roll < 3) {
        Record("Return", modal);
        QTest::keyClick(modal, Qt::Key_Return);
    } else {
        OnControl(modal, m_random);
    }
}

// File dialogs are answered, never typed into: a random name could land
// anywhere. They pick a file of the Gantry directory, name a new one there,
// or are cancelled.
void Monkey::OnFileDialog(QWidget* widget) {
    auto* dialog = static_cast<QFileDialog*>(widget);
    const QStringList files =
        QDir(m_files).entryList({"*.cfg", "*.nvs", "*.json", "*.csv"}, QDir::Files, QDir::Name);
    const int roll = Pick(m_random, 3);
    QString chosen;
    if (roll == 1 && !files.isEmpty()) {
        chosen = m_files + "/" + files[Pick(m_random, static_cast<int>(files.size()))];
    } else if (roll == 2) {
        chosen = m_files + "/monkey-" + QString::number(++m_fileNumber % 5) + ".cfg";
    }
    if (chosen.isEmpty()) {
        Record("cancel", dialog);
        dialog->reject();
        return;
    }
    Record("choose " + chosen.toStdString() + " in", dialog);
    dialog->selectFile(chosen);
    static_cast<QDialog*>(dialog)->accept();  // as the Open or Save button does
}

void Monkey::OnFrame(CMainFrame& frame) {
    const int roll = Pick(m_random, 100);
    if (roll < 15) {
        QAction* action = frame.Action(f_commands[Pick(m_random, std::size(f_commands))]);
        if (action != nullptr && action->isEnabled()) {
            m_log.Add("menu " + action->text().toStdString());
            action->trigger();
        }
        return;
    }
    if (roll < 25) {
        QList<QToolButton*> buttons;
        for (QToolBar* bar : frame.findChildren<QToolBar*>()) {
            buttons += bar->findChildren<QToolButton*>();
        }
        if (!buttons.isEmpty()) {
            Click(buttons[Pick(m_random, static_cast<int>(buttons.size()))], m_random, false);
        }
        return;
    }
    if (roll < 35) {
        Key(QApplication::focusWidget() ? QApplication::focusWidget() : &frame, m_random);
        return;
    }
    OnControl(&frame, m_random);
}

void Monkey::OnControl(QWidget* top, std::mt19937& random) {
    QList<QWidget*> widgets;
    for (QWidget* widget : top->findChildren<QWidget*>()) {
        if (widget->isVisible() && widget->isEnabled() && widget->window() == top) {
            widgets.push_back(widget);
        }
    }
    if (widgets.isEmpty()) {
        return;
    }
    QWidget* widget = widgets[Pick(random, static_cast<int>(widgets.size()))];
    const int roll = Pick(random, 10);
    if (roll < 5) {
        Click(widget, random, false);
    } else if (roll < 6) {
        Click(widget, random, true);
    } else if (roll < 8) {
        Type(widget, random);
    } else {
        Key(widget, random);
    }
}

void Monkey::Click(QWidget* widget, std::mt19937& random, bool twice) {
    const QPoint at(Pick(random, widget->width()), Pick(random, widget->height()));
    Record(std::string(twice ? "double-click" : "click") + " at " + std::to_string(at.x()) + "," +
               std::to_string(at.y()),
           widget);
    // the press may end in a dialog that deletes the widget: release only a living one
    QPointer<QWidget> alive(widget);
    if (twice) {
        QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
        return;
    }
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    if (alive) {
        QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    }
}

void Monkey::Type(QWidget* widget, std::mt19937& random) {
    const QString text = QString::fromUtf8(f_texts[Pick(random, std::size(f_texts))]);
    Record("type \"" + text.toStdString() + "\"", widget);
    QPointer<QWidget> alive(widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    if (alive && Pick(random, 2) == 0) {
        QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    }
    for (const QChar c : text) {
        if (!alive) {
            return;
        }
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, static_cast<char>(c.unicode()));
        } else {
            // no key of its own: the text alone, as an input method gives it
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), {});
        }
    }
}

void Monkey::Key(QWidget* widget, std::mt19937& random) {
    const KeyChoice& choice = f_keys[Pick(random, std::size(f_keys))];
    Record("key " + QKeySequence(choice.key | choice.modifiers).toString().toStdString(), widget);
    QPointer<QWidget> alive(widget);
    QTest::keyPress(widget, choice.key, choice.modifiers);
    if (alive) {
        QTest::keyRelease(widget, choice.key, choice.modifiers);
    }
}

bool Monkey::CloseModal() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        return true;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        QAbstractButton* button = box->escapeButton();
        if (button == nullptr) {
            button = box->defaultButton();
        }
        button ? button->click() : box->reject();
        return true;
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
        return true;
    }
    return false;
}

}  // namespace gantry::monkey
