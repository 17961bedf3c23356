#include "tool/ui/NetworkPane.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace gantry::ui {

namespace {

constexpr int f_nMargin = 6;      // between the view's edge and the group box
constexpr int f_nGap = 4;         // between a label and its control
constexpr int f_nColumnGap = 10;  // between a control and the next column
constexpr int f_nMinimumWidth = 760;

// The form's resizes lay the controls out again.
class CResizeWatcher : public QObject {
public:
    CResizeWatcher(QObject* parent, std::function<void()> onResize)
        : QObject(parent), m_onResize(std::move(onResize)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
            m_onResize();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onResize;
};

}  // namespace

CNetworkPane::CNetworkPane(ConfigurationSession& session, const QString& title,
                           std::vector<double> columns, int rows, QWidget* parent)
    : CScreenPane(session, parent), m_columns(std::move(columns)), m_rows(rows) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFocusPolicy(Qt::NoFocus);  // no Tab stop of its own
    m_form = new QWidget(m_scroll);
    m_group = new QGroupBox(title, m_form);
    m_scroll->setWidget(m_form);
    layout->addWidget(m_scroll);
    m_form->installEventFilter(new CResizeWatcher(m_form, [this] { LayoutForm(); }));
}

QWidget* CNetworkPane::Form() const {
    return m_group;
}

void CNetworkPane::Place(int row, int column, QLabel* label, QWidget* control, int span,
                         QWidget* trailing) {
    m_cells.push_back(Cell{row, column, span, label, control, trailing});
}

void CNetworkPane::ShowCell(QWidget* control, bool shown) {
    for (const Cell& cell : m_cells) {
        if (cell.control == control) {
            for (QWidget* widget :
                 {static_cast<QWidget*>(cell.label), cell.control, cell.trailing}) {
                if (widget != nullptr) {
                    widget->setVisible(shown);
                }
            }
        }
    }
}

QLabel* CNetworkPane::MakeLabel(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, m_group);
    label->setBuddy(buddy);
    return label;
}

QLabel* CNetworkPane::MakeText(const char* name) {
    auto* text = new QLabel(m_group);
    text->setObjectName(QString::fromLatin1(name));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return text;
}

QLineEdit* CNetworkPane::MakeEdit(const char* name) {
    auto* edit = new QLineEdit(m_group);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QComboBox* CNetworkPane::MakeList(NetworkList list, const char* name) {
    auto* combo = new QComboBox(m_group);
    combo->setObjectName(QString::fromLatin1(name));
    for (const std::string& item : NetworkListItems(list)) {
        combo->addItem(QString::fromStdString(item));
    }
    combo->setCurrentIndex(-1);
    return combo;
}

void CNetworkPane::ShowListValue(QComboBox* combo, NetworkList list, std::uint32_t value) {
    combo->setCurrentIndex(NetworkListSelection(list, value, combo->currentIndex()));
}

void CNetworkPane::TakeListValue(const QComboBox* combo, NetworkList list, Choice choice) {
    if (const std::optional<std::uint32_t> value = NetworkListValue(list, combo->currentIndex())) {
        Session().SetChoice(choice, *value);
    }
}

void CNetworkPane::ApplyEnableRule() {
    m_controlsEnabled = Session().ControlsEnabled();
    for (QWidget* widget : m_group->findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
            qobject_cast<QCheckBox*>(widget)) {
            widget->setEnabled(m_controlsEnabled);
        }
    }
}

void CNetworkPane::FocusEdit(QLineEdit* edit) {
    m_scroll->ensureWidgetVisible(edit);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void CNetworkPane::Relayout() {
    LayoutForm();
}

int CNetworkPane::LabelWidth(int column) const {
    int width = 0;
    for (const Cell& cell : m_cells) {
        if (cell.column == column && cell.label != nullptr) {
            width = std::max(width, cell.label->sizeHint().width());
        }
    }
    return width;
}

int CNetworkPane::RowPitch() const {
    int height = 0;
    for (const Cell& cell : m_cells) {
        height = std::max(height, cell.control->sizeHint().height());
    }
    return height + 2;
}

void CNetworkPane::LayoutForm() {
    const int top = m_group->fontMetrics().height() + 7;  // below the group's title
    const int pitch = RowPitch();
    const int groupHeight = top + m_rows * pitch + f_nMargin;
    m_form->setMinimumSize(f_nMinimumWidth, groupHeight + 4);
    const int groupWidth = std::max(m_form->width(), f_nMinimumWidth) - 2 * f_nMargin;
    m_group->setGeometry(f_nMargin, 2, groupWidth, groupHeight);
    const int inner = groupWidth - 2 * f_nMargin;
    auto start = [&](std::size_t column) {
        return column >= m_columns.size() ? groupWidth - f_nMargin
                                          : f_nMargin + static_cast<int>(m_columns[column] * inner);
    };
    for (const Cell& cell : m_cells) {
        const int y = top + cell.row * pitch;
        const int h = pitch - 2;  // texts centred on the lists and edits of their row
        int x = start(static_cast<std::size_t>(cell.column));
        const bool last = static_cast<std::size_t>(cell.column + cell.span) >= m_columns.size();
        int end =
            start(static_cast<std::size_t>(cell.column + cell.span)) - (last ? 0 : f_nColumnGap);
        if (cell.label != nullptr) {
            const int labelWidth = LabelWidth(cell.column);
            cell.label->setGeometry(x, y, cell.label->sizeHint().width(), h);
            x += labelWidth + f_nGap;
        }
        if (cell.trailing != nullptr) {
            const int trailingWidth = cell.trailing->sizeHint().width();
            cell.trailing->setGeometry(end - trailingWidth, y, trailingWidth, h);
            end -= trailingWidth + f_nGap;
        }
        cell.control->setGeometry(x, y, std::max(end - x, 20), h);
    }
}

}  // namespace gantry::ui
