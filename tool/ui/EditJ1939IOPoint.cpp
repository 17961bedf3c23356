#include "tool/ui/EditJ1939IOPoint.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "tool/session/IoTableCommands.h"

namespace gantry::ui {

using namespace gantry::tool;

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QLineEdit* NewEntry(QWidget* parent, int characters) {
    auto* entry = new QLineEdit(parent);
    entry->setMinimumWidth(entry->fontMetrics().horizontalAdvance(QLatin1Char('0')) * characters +
                           12);
    return entry;
}

}  // namespace

CEditJ1939IOPoint::CEditJ1939IOPoint(ConfigurationSession& session, const IoPointForm& form,
                                     QWidget* parent)
    : QDialog(parent), m_session(session), m_form(form) {
    setWindowTitle(QString::fromUtf8(f_szEditPointTitle));
    setModal(true);
    BuildControls();
    Draw();
    m_offset->installEventFilter(this);
    connect(m_type, &QComboBox::currentIndexChanged, this, &CEditJ1939IOPoint::OnTypeChanged);
    connect(m_ok, &QPushButton::clicked, this, &CEditJ1939IOPoint::OnOk);
    connect(m_apply, &QPushButton::clicked, this, &CEditJ1939IOPoint::OnApply);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CEditJ1939IOPoint::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* typeRow = new QHBoxLayout;
    auto* typeLabel = new QLabel(tr("Type"), this);
    m_type = new QComboBox(this);
    for (int type = JT_Input; type <= JT_PreviouslyActiveDtc; ++type) {
        m_type->addItem(Text(IoTableTypeName(static_cast<std::uint8_t>(type))));
    }
    typeLabel->setBuddy(m_type);
    typeRow->addWidget(typeLabel);
    typeRow->addWidget(m_type, 1);
    layout->addLayout(typeRow);
    layout->addWidget(BuildDataTableGroup());

    auto* pgnRow = new QHBoxLayout;
    m_pgnLabel = new QLabel(this);
    m_pgn = NewEntry(this, 8);
    m_priorityLabel = new QLabel(tr("Priority"), this);
    m_priority = NewEntry(this, 3);
    pgnRow->addWidget(m_pgnLabel);
    pgnRow->addWidget(m_pgn);
    pgnRow->addSpacing(16);
    pgnRow->addWidget(m_priorityLabel);
    pgnRow->addWidget(m_priority);
    pgnRow->addStretch(1);
    layout->addLayout(pgnRow);

    auto* middle = new QHBoxLayout;
    middle->addWidget(BuildSingleEntryGroup(tr("Target"), m_addressLabel, m_address, QString()));
    middle->addWidget(BuildSingleEntryGroup(tr("Update"), m_rateLabel, m_rate,
                                            QString::fromUtf8(f_szMillisecondsUnit)));
    layout->addLayout(middle);
    layout->addWidget(BuildSingleEntryGroup(tr("Message"), m_messageLabel, m_message,
                                            QString::fromUtf8(f_szBitsUnit)));

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    m_apply = buttons->addButton(tr("&Apply"), QDialogButtonBox::ApplyRole);
    m_ok->setDefault(true);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QGroupBox* CEditJ1939IOPoint::BuildDataTableGroup() {
    auto* group = new QGroupBox(tr("Data Table"), this);
    auto* row = new QHBoxLayout(group);
    m_groupLabel = new QLabel(group);
    m_offsetLabel = new QLabel(group);
    m_offset = NewEntry(group, 12);
    m_lengthLabel = new QLabel(group);
    m_length = NewEntry(group, 12);
    m_groupLabel->setMinimumWidth(m_groupLabel->fontMetrics().horizontalAdvance(tr("Table")) + 4);
    row->addWidget(m_groupLabel);
    row->addSpacing(8);
    row->addWidget(m_offsetLabel);
    row->addWidget(m_offset);
    row->addSpacing(8);
    row->addWidget(m_lengthLabel);
    row->addWidget(m_length);
    row->addSpacing(8);
    row->addWidget(new QLabel(QString::fromUtf8(f_szBitsUnit), group));
    return group;
}

QGroupBox* CEditJ1939IOPoint::BuildSingleEntryGroup(const QString& title, QLabel*& label,
                                                    QLineEdit*& entry, const QString& unit) {
    auto* group = new QGroupBox(title, this);
    auto* row = new QHBoxLayout(group);
    label = new QLabel(group);
    entry = NewEntry(group, 12);
    row->addWidget(label);
    row->addWidget(entry);
    if (!unit.isEmpty()) {
        row->addWidget(new QLabel(unit, group));
    }
    row->addStretch(1);
    return group;
}

QLineEdit* CEditJ1939IOPoint::Entry(Field field) const {
    switch (field) {
        case Field::Pgn:
            return m_pgn;
        case Field::Address:
            return m_address;
        case Field::Priority:
            return m_priority;
        case Field::DataOffset:
            return m_offset;
        case Field::DataLength:
            return m_length;
        case Field::UpdateRate:
            return m_rate;
        case Field::MessageOffset:
            return m_message;
        default:
            break;  // the type list, or an entry of another screen
    }
    return nullptr;
}

void CEditJ1939IOPoint::Draw() {
    {
        const QSignalBlocker blocker(m_type);
        m_type->setCurrentIndex(m_form.TableType());
    }
    m_type->setEnabled(m_form.TypeListEnabled());
    const IoPointTexts& texts = m_form.texts;
    m_offset->setText(Text(texts.dataOffset));
    m_length->setText(Text(texts.dataLength));
    m_pgn->setText(Text(texts.pgn));
    m_address->setText(Text(texts.address));
    m_rate->setText(Text(texts.updateRate));
    m_message->setText(Text(texts.messageOffset));
    m_priority->setText(Text(texts.priority));
    m_groupLabel->setText(Text(m_form.GroupLabel()));
    m_offsetLabel->setText(Text(m_form.OffsetLabel()));
    m_lengthLabel->setText(Text(m_form.LengthLabel()));
    m_pgnLabel->setText(Text(m_form.PgnLabel()));
    m_addressLabel->setText(Text(m_form.AddressLabel()));
    m_rateLabel->setText(Text(m_form.RateLabel()));
    m_messageLabel->setText(Text(m_form.MessageOffsetLabel()));
    m_pgn->setReadOnly(m_form.PgnReadOnly());
    m_message->setReadOnly(m_form.MessageOffsetReadOnly());
    m_priorityLabel->setVisible(m_form.PriorityVisible());
    m_priority->setVisible(m_form.PriorityVisible());
}

void CEditJ1939IOPoint::TakeTexts() {
    IoPointTexts& texts = m_form.texts;
    texts.dataOffset = m_offset->text().toStdString();
    texts.dataLength = m_length->text().toStdString();
    texts.pgn = m_pgn->text().toStdString();
    texts.address = m_address->text().toStdString();
    texts.updateRate = m_rate->text().toStdString();
    texts.messageOffset = m_message->text().toStdString();
    texts.priority = m_priority->text().toStdString();
}

void CEditJ1939IOPoint::OnTypeChanged(int index) {
    TakeTexts();
    if (m_form.SelectType(index, m_session.Configuration().io)) {
        Draw();
    }
}

void CEditJ1939IOPoint::OnApply() {
    TakeTexts();
    if (const std::optional<Refusal> refusal = ApplyIoPoint(m_session, m_form)) {
        FocusRefused(refusal->field);
        return;
    }
    Draw();
}

void CEditJ1939IOPoint::OnOk() {
    TakeTexts();
    if (const std::optional<Refusal> refusal = ConfirmIoPoint(m_session, m_form)) {
        FocusRefused(refusal->field);
        return;
    }
    accept();
}

void CEditJ1939IOPoint::FocusRefused(Field field) {
    if (field == Field::TableType) {
        m_type->setFocus(Qt::OtherFocusReason);
    } else if (QLineEdit* entry = Entry(field)) {
        entry->setFocus(Qt::OtherFocusReason);
        entry->selectAll();
    }
}

bool CEditJ1939IOPoint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_offset && event->type() == QEvent::FocusOut && !m_leavingOffset) {
        // a box or menu taking the focus from the window is not the user
        // leaving the entry
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            m_leavingOffset = true;
            TakeTexts();
            LeaveIoPointOffset(m_session, m_form);
            m_offset->setText(QString::fromStdString(m_form.texts.dataOffset));
            m_leavingOffset = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace gantry::ui
