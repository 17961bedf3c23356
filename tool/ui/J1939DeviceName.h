// CJ1939DeviceName: the modal "J1939 Device NAME" dialog. Eight byte entries
// labelled "8" (the most significant byte) down to "1", the seven component
// entries with the Industry Group list and the Arbitrary Address Capable box,
// and "&OK", "&Cancel", "&Apply". It works on its own copy of the NAME (a
// CJ1939NameEditor); Apply and OK check the group edited last through the
// session, which shows a refusal; a refusal keeps the dialog open with the
// user's text. Only OK hands the bytes back (Name()). GUI thread only.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "tool/session/ConfigurationSession.h"
#include "tool/session/J1939NameEditor.h"

class QGridLayout;

namespace gantry::ui {

using namespace gantry::tool;

class CJ1939DeviceName : public QDialog {
    Q_OBJECT

public:
    CJ1939DeviceName(ConfigurationSession& session, const J1939Name& name,
                     QWidget* parent = nullptr);

    // The dialog's bytes: those it opened with until an Apply or OK succeeds.
    const J1939Name& Name() const { return m_editor.Name(); }

    // The controls, for tests. `byteIndex` 0 is the entry labelled "1".
    QLineEdit* ByteEntry(int byteIndex) const { return m_bytes.at(byteIndex); }
    QLineEdit* ComponentEntry(NameComponent component) const {
        return m_components.at(static_cast<std::size_t>(component));
    }
    QComboBox* IndustryGroup() const { return m_industryGroup; }
    QCheckBox* ArbitraryAddressCapable() const { return m_arbitrary; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* ApplyButton() const { return m_apply; }

protected:
    // Leaving an entry makes its group the source.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildBytes();
    QWidget* BuildComponents();
    QLineEdit* AddComponent(QGridLayout* grid, NameComponent component, const QString& label,
                            int row, int column);
    // Draws every control from the editor.
    void ShowEditor();
    // Apply: true when the source group passed; a refusal takes the focus to
    // the refused entry.
    bool ApplyEdits();
    void OnOk();
    void FocusField(Field field);

    ConfigurationSession& m_session;
    CJ1939NameEditor m_editor;
    std::array<QLineEdit*, 8> m_bytes{};
    std::array<QLineEdit*, f_nNameComponentCount> m_components{};
    QComboBox* m_industryGroup = nullptr;
    QCheckBox* m_arbitrary = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_apply = nullptr;
};

}  // namespace gantry::ui
