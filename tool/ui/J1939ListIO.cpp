#include "tool/ui/J1939ListIO.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

#include "tool/session/IoTableCommands.h"
#include "tool/ui/EditJ1939IOPoint.h"
#include "tool/ui/ListHeaderCtrl.h"
#include "tool/ui/MainFrame.h"
#include "tool/ui/TableCtrl.h"

namespace gantry::ui {

using namespace gantry::tool;

namespace {

int Index(IoDirection list) {
    return list == IoDirection::Input ? 0 : 1;
}

FrameCommand FrameCommandOf(IoCommand command) {
    switch (command) {
        case IoCommand::Add:
            return FrameCommand::AddIoPoint;
        case IoCommand::Edit:
            return FrameCommand::EditIoPoint;
        case IoCommand::Remove:
            return FrameCommand::RemoveIoPoint;
        case IoCommand::RemoveAll:
            return FrameCommand::RemoveAllIoPoints;
    }
    return FrameCommand::AddIoPoint;
}

constexpr IoCommand f_ioCommands[] = {IoCommand::Add, IoCommand::Edit, IoCommand::Remove,
                                      IoCommand::RemoveAll};

}  // namespace

CJ1939ListIO::CJ1939ListIO(ConfigurationSession& session, QWidget* parent)
    : CScreenPane(session, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(2);
    auto* lists = new QHBoxLayout;
    lists->addWidget(BuildListGroup(IoDirection::Input), 1);
    lists->addWidget(BuildListGroup(IoDirection::Output), 1);
    layout->addLayout(lists, 1);
    auto* totalRow = new QHBoxLayout;
    m_total = new QLabel(this);
    totalRow->addWidget(new QLabel(QString::fromUtf8(f_szTotalCountLabel), this));
    totalRow->addWidget(m_total);
    totalRow->addWidget(new QLabel(QString::fromStdString(IoTotalLimitText()), this));
    totalRow->addStretch(1);
    layout->addLayout(totalRow);
    RefreshFromSession();
}

QWidget* CJ1939ListIO::BuildListGroup(IoDirection list) {
    auto* group = new QGroupBox(QString::fromUtf8(IoTableTitle(list)), this);
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(4, 2, 4, 2);
    column->setSpacing(2);
    auto* table = new CTableCtrl(list, group);
    table->SetHeaders(m_modes);
    m_lists[Index(list)] = table;
    column->addWidget(table, 1);
    auto* countRow = new QHBoxLayout;
    m_pgnCounts[Index(list)] = new QLabel(group);
    m_pgnLimits[Index(list)] = new QLabel(group);
    countRow->addWidget(new QLabel(QString::fromUtf8(f_szPgnCountLabel), group));
    countRow->addWidget(m_pgnCounts[Index(list)]);
    countRow->addWidget(m_pgnLimits[Index(list)]);
    countRow->addStretch(1);
    column->addLayout(countRow);
    connect(table, &CTableCtrl::RowDoubleClicked, this, [this] { SendCommand(IoCommand::Edit); });
    connect(table, &CTableCtrl::EnterPressed, this, [this] { SendCommand(IoCommand::Edit); });
    connect(table, &CTableCtrl::InsertPressed, this, [this] { SendCommand(IoCommand::Add); });
    connect(table, &CTableCtrl::DeletePressed, this, [this] { SendCommand(IoCommand::Remove); });
    connect(table, &CTableCtrl::ContextMenuAt, this, &CJ1939ListIO::ShowIoMenu);
    connect(table, &CTableCtrl::ColumnMenuKey, this, &CJ1939ListIO::ShowColumnMenu);
    connect(table->Header(), &CListHeaderCtrl::ColumnMenuRequested, this,
            &CJ1939ListIO::ShowColumnMenu);
    return group;
}

CTableCtrl* CJ1939ListIO::List(IoDirection list) const {
    return m_lists[Index(list)];
}

QLabel* CJ1939ListIO::PgnCountLabel(IoDirection list) const {
    return m_pgnCounts[Index(list)];
}

QLabel* CJ1939ListIO::PgnLimitLabel(IoDirection list) const {
    return m_pgnLimits[Index(list)];
}

void CJ1939ListIO::RefreshFromSession() {
    const bool enabled = Session().ControlsEnabled();
    const PgnLimits& limits = Session().Configuration().pgnLimits;
    for (IoDirection list : {IoDirection::Input, IoDirection::Output}) {
        List(list)->setEnabled(enabled);
        PgnLimitLabel(list)->setText(QString::fromStdString(IoPgnLimitText(limits, list)));
    }
    if (enabled) {
        FillLists();
    }
}

void CJ1939ListIO::FillLists() {
    const CJ1939IO& io = Session().Configuration().io;
    for (IoDirection list : {IoDirection::Input, IoDirection::Output}) {
        List(list)->Fill(io.Points(list), m_modes);
        PgnCountLabel(list)->setText(QString::fromStdString(IoPgnCountText(io, list)));
    }
    m_total->setText(QString::fromStdString(IoTotalCountText(io)));
    ++m_fills;
}

bool CJ1939ListIO::FocusField(Field field) {
    if (field != Field::IoTable || !List(IoDirection::Input)->isEnabled()) {
        return false;
    }
    List(IoDirection::Input)->setFocus(Qt::OtherFocusReason);
    return true;
}

bool CJ1939ListIO::HasIoListFocus() const {
    return FocusedList().has_value();
}

std::optional<IoDirection> CJ1939ListIO::FocusedList() const {
    // the window's focus widget, so that the answer holds while a menu or
    // a message box has the application's focus
    const QWidget* focus = window()->focusWidget();
    for (IoDirection list : {IoDirection::Input, IoDirection::Output}) {
        const CTableCtrl* table = List(list);
        if (focus != nullptr && table->isEnabled() &&
            (focus == table || table->isAncestorOf(focus))) {
            return list;
        }
    }
    return std::nullopt;
}

void CJ1939ListIO::RunIoCommand(IoCommand command) {
    const std::optional<IoDirection> list = FocusedList();
    if (command == IoCommand::Add) {
        RunAdd();
    } else if (!list) {
        return;  // Edit, Remove and Remove All act on the focused list only
    } else if (command == IoCommand::Edit) {
        RunEdit(*list);
    } else if (command == IoCommand::Remove) {
        RunRemove(*list);
    } else {
        const int fills = m_fills;
        if (RemoveAllIoPoints(Session(), *list)) {
            RefillUnlessRedrawn(fills);
        }
    }
}

void CJ1939ListIO::RefillUnlessRedrawn(int fillsBefore) {
    // the frame redraws the lists when the session reports the change; a pane
    // on its own (or a frame that did not) fills them here
    if (m_fills == fillsBefore) {
        FillLists();
    }
}

void CJ1939ListIO::RunAdd() {
    const std::optional<IoPointForm> form = BeginAddIoPoint(Session(), FocusedList(), m_modes);
    if (!form) {
        return;
    }
    const int fills = m_fills;
    std::optional<IoDirection> added = RunDialog(*form);
    if (added) {
        RefillUnlessRedrawn(fills);
        List(*added)->scrollToBottom();
    }
}

void CJ1939ListIO::RunEdit(IoDirection list) {
    CTableCtrl* table = List(list);
    const int row = table->SelectedRow();
    const std::optional<IoPointForm> form = BeginEditIoPoint(Session(), list, row, m_modes);
    if (!form) {
        return;  // no selection
    }
    const int top = table->TopRow();
    const int bottom = table->BottomRow();
    const int fills = m_fills;
    if (RunDialog(*form)) {
        RefillUnlessRedrawn(fills);
        table->RestoreView(top, bottom);
        table->SelectAndFocus(row);
    }
}

void CJ1939ListIO::RunRemove(IoDirection list) {
    CTableCtrl* table = List(list);
    const int top = table->TopRow();
    const int bottom = table->BottomRow();
    const int fills = m_fills;
    if (RemoveIoPoint(Session(), list, table->SelectedRow())) {
        RefillUnlessRedrawn(fills);
        table->RestoreView(top, bottom);
    }
}

std::optional<IoDirection> CJ1939ListIO::RunDialog(const IoPointForm& form) {
    CEditJ1939IOPoint dialog(Session(), form, window());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Form().Direction();
}

void CJ1939ListIO::SetColumnMode(IoColumn column, bool hex) {
    m_modes.SetHex(column, hex);
    for (IoDirection list : {IoDirection::Input, IoDirection::Output}) {
        List(list)->SetHeaders(m_modes);
    }
    FillLists();
}

void CJ1939ListIO::ShowColumnMenu(int column, const QPoint& globalPos) {
    const IoColumn which = IoColumnAt(column);
    QMenu menu(this);
    menu.setTitle(tr("Dec / Hex"));
    QAction* decimal = menu.addAction(QString::fromUtf8(f_szDecimalItem));
    QAction* hexadecimal = menu.addAction(QString::fromUtf8(f_szHexadecimalItem));
    decimal->setCheckable(true);
    hexadecimal->setCheckable(true);
    decimal->setChecked(!m_modes.IsHex(which));
    hexadecimal->setChecked(m_modes.IsHex(which));
    QAction* chosen = menu.exec(globalPos);
    if (chosen == decimal || chosen == hexadecimal) {
        SetColumnMode(which, chosen == hexadecimal);
    }
}

void CJ1939ListIO::ShowIoMenu(const QPoint& globalPos) {
    // the frame's own I/O commands, with their texts and enable rules
    auto* frame = qobject_cast<CMainFrame*>(window());
    if (frame == nullptr) {
        return;
    }
    frame->UpdateCommandUI();  // the click may have moved the focus into a list
    QMenu menu(this);
    for (IoCommand command : f_ioCommands) {
        menu.addAction(frame->Action(FrameCommandOf(command)));
    }
    menu.exec(globalPos);
}

void CJ1939ListIO::SendCommand(IoCommand command) {
    if (auto* frame = qobject_cast<CMainFrame*>(window())) {
        frame->UpdateCommandUI();
        QAction* action = frame->Action(FrameCommandOf(command));
        if (action != nullptr && action->isEnabled()) {
            action->trigger();
        }
        return;
    }
    RunIoCommand(command);
}

}  // namespace gantry::ui
