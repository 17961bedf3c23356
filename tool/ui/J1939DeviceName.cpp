#include "tool/ui/J1939DeviceName.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "tool/ui/TabChain.h"

namespace gantry::ui {

CJ1939DeviceName::CJ1939DeviceName(ConfigurationSession& session, const J1939Name& name,
                                   QWidget* parent)
    : QDialog(parent), m_session(session), m_editor(name) {
    setWindowTitle(QString::fromLatin1(f_szNameDialogTitle));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    column->addWidget(BuildBytes());
    column->addWidget(BuildComponents());
    auto* buttons = new QHBoxLayout();
    m_ok = new QPushButton(tr("&OK"), this);
    m_cancel = new QPushButton(tr("&Cancel"), this);
    m_apply = new QPushButton(tr("&Apply"), this);
    m_ok->setDefault(true);
    buttons->addStretch(1);
    for (QPushButton* button : {m_ok, m_cancel, m_apply}) {
        buttons->addWidget(button);
    }
    column->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &CJ1939DeviceName::OnOk);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_apply, &QPushButton::clicked, this, &CJ1939DeviceName::ApplyEdits);
    ShowEditor();
}

QWidget* CJ1939DeviceName::BuildBytes() {
    auto* group = new QGroupBox(tr("Device NAME Bytes (hex)"), this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    for (int column = 0; column < 8; ++column) {
        const int byteIndex = 7 - column;  // "8" is the most significant byte
        auto* label = new QLabel(QString::number(byteIndex + 1), group);
        label->setAlignment(Qt::AlignCenter);
        auto* entry = new QLineEdit(group);
        entry->setObjectName(QString::fromStdString(NameByteField(byteIndex)));
        entry->setFixedWidth(entry->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
        entry->setAlignment(Qt::AlignCenter);
        entry->installEventFilter(this);
        label->setBuddy(entry);
        grid->addWidget(label, 0, column);
        grid->addWidget(entry, 1, column);
        connect(entry, &QLineEdit::textEdited, this, [this, byteIndex](const QString& text) {
            m_editor.SetByteText(byteIndex, text.toStdString());
        });
        m_bytes[static_cast<std::size_t>(byteIndex)] = entry;
    }
    grid->setColumnStretch(8, 1);
    return group;
}

QLineEdit* CJ1939DeviceName::AddComponent(QGridLayout* grid, NameComponent component,
                                          const QString& label, int row, int column) {
    QWidget* group = grid->parentWidget();
    auto* name = new QLabel(label, group);
    auto* entry = new QLineEdit(group);
    entry->setObjectName(QString::fromLatin1(NameComponentField(component)));
    entry->setFixedWidth(entry->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 12);
    entry->installEventFilter(this);
    name->setBuddy(entry);
    grid->addWidget(name, row, column);
    grid->addWidget(entry, row, column + 1, Qt::AlignLeft);
    connect(entry, &QLineEdit::textEdited, this, [this, component](const QString& text) {
        m_editor.SetComponentText(component, text.toStdString());
    });
    m_components[static_cast<std::size_t>(component)] = entry;
    return entry;
}

QWidget* CJ1939DeviceName::BuildComponents() {
    auto* group = new QGroupBox(tr("Device NAME Components (decimal)"), this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    AddComponent(grid, NameComponent::IdentityNumber, tr("Identity Number"), 0, 0);
    AddComponent(grid, NameComponent::ManufacturerCode, tr("Manufacturer Code"), 1, 0);
    AddComponent(grid, NameComponent::EcuInstance, tr("ECU Instance"), 2, 0);
    auto* industryLabel = new QLabel(tr("Industry Group"), group);
    m_industryGroup = new QComboBox(group);
    m_industryGroup->setObjectName(QStringLiteral("industry_group"));
    for (int value = 0; value < f_nIndustryGroupNameCount; ++value) {
        m_industryGroup->addItem(QString::fromStdString(IndustryGroupName(value)));
    }
    industryLabel->setBuddy(m_industryGroup);
    grid->addWidget(industryLabel, 3, 0);
    grid->addWidget(m_industryGroup, 3, 1);
    AddComponent(grid, NameComponent::VehicleSystem, tr("Vehicle System "), 0, 2);
    AddComponent(grid, NameComponent::VehicleSystemInstance, tr("Vehicle System Instance"), 1, 2);
    AddComponent(grid, NameComponent::Function, tr("Function"), 2, 2);
    AddComponent(grid, NameComponent::FunctionInstance, tr("Function Instance"), 3, 2);
    m_arbitrary = new QCheckBox(tr("Arbitrary Address Capable"), group);
    m_arbitrary->setObjectName(QStringLiteral("arbitrary_address_capable"));
    grid->addWidget(m_arbitrary, 4, 0, 1, 2);
    grid->setColumnStretch(3, 1);
    // the Tab key reads the two columns row by row
    const auto entry = [this](NameComponent component) -> QWidget* {
        return m_components[static_cast<std::size_t>(component)];
    };
    SetTabChain({entry(NameComponent::IdentityNumber), entry(NameComponent::VehicleSystem),
                 entry(NameComponent::ManufacturerCode),
                 entry(NameComponent::VehicleSystemInstance), entry(NameComponent::EcuInstance),
                 entry(NameComponent::Function), m_industryGroup,
                 entry(NameComponent::FunctionInstance), m_arbitrary});
    connect(m_industryGroup, &QComboBox::activated, this,
            [this](int index) { m_editor.SelectIndustryGroup(index); });
    connect(m_arbitrary, &QCheckBox::clicked, this,
            [this](bool on) { m_editor.SetArbitraryAddressCapable(on); });
    return group;
}

bool CJ1939DeviceName::eventFilter(QObject* watched, QEvent* event) {
    // a message box or another window taking the focus is not the user leaving
    const auto leaves = [event] {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
    };
    if (event->type() == QEvent::FocusOut && leaves()) {
        const auto isIn = [watched](const auto& entries) {
            return std::find(entries.begin(), entries.end(), watched) != entries.end();
        };
        if (isIn(m_bytes)) {
            m_editor.MarkSource(NameSource::Bytes);
        } else if (isIn(m_components)) {
            m_editor.MarkSource(NameSource::Components);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CJ1939DeviceName::ShowEditor() {
    for (int i = 0; i < 8; ++i) {
        m_bytes[static_cast<std::size_t>(i)]->setText(QString::fromStdString(m_editor.ByteText(i)));
    }
    for (int i = 0; i < f_nNameComponentCount; ++i) {
        const auto component = static_cast<NameComponent>(i);
        m_components[static_cast<std::size_t>(i)]->setText(
            QString::fromStdString(m_editor.ComponentText(component)));
    }
    m_industryGroup->setCurrentIndex(m_editor.IndustryGroupSelection());
    m_arbitrary->setChecked(m_editor.ArbitraryAddressCapable());
}

bool CJ1939DeviceName::ApplyEdits() {
    if (const std::optional<Refusal> refusal = m_session.ApplyJ1939NameEditor(m_editor)) {
        FocusField(refusal->field);
        return false;
    }
    ShowEditor();
    return true;
}

void CJ1939DeviceName::OnOk() {
    if (ApplyEdits()) {
        accept();
    }
}

void CJ1939DeviceName::FocusField(Field field) {
    if (auto* entry = findChild<QLineEdit*>(QString::fromStdString(NameEntryName(field)))) {
        entry->setFocus(Qt::OtherFocusReason);
        entry->selectAll();
    }
}

}  // namespace gantry::ui
