// CEditJ1939IOPoint: the modal edit-point dialog "Edit J1939 I/O Point". It
// draws an IoPointForm and forwards the user's events to the session's I/O
// commands: the type list, leaving the offset entry, "&Apply", and "&OK",
// which closes the dialog only when the point passed every check and is in
// the table. Every refusal is shown by the session and leaves the user's
// texts in place, the refused entry focused.
//
// GUI thread only; lives for one use.
#pragma once

#include <QDialog>

#include "tool/session/ConfigurationSession.h"
#include "tool/session/IoPointForm.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace gantry::ui {

using namespace gantry::tool;

class CEditJ1939IOPoint : public QDialog {
    Q_OBJECT

public:
    CEditJ1939IOPoint(ConfigurationSession& session, const IoPointForm& form,
                      QWidget* parent = nullptr);

    const IoPointForm& Form() const { return m_form; }

    // The controls, for tests and screenshots.
    QComboBox* TypeList() const { return m_type; }
    QLineEdit* Entry(Field field) const;
    QLabel* GroupLabel() const { return m_groupLabel; }
    QLabel* LengthLabel() const { return m_lengthLabel; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* ApplyButton() const { return m_apply; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QGroupBox* BuildDataTableGroup();
    QGroupBox* BuildSingleEntryGroup(const QString& title, QLabel*& label, QLineEdit*& entry,
                                     const QString& unit);
    // Form → controls, and the texts the user left → form.
    void Draw();
    void TakeTexts();
    void OnTypeChanged(int index);
    void OnApply();
    void OnOk();
    void FocusRefused(Field field);

    ConfigurationSession& m_session;
    IoPointForm m_form;
    bool m_leavingOffset = false;  // the alignment notice is showing

    QComboBox* m_type = nullptr;
    QLabel* m_groupLabel = nullptr;
    QLabel* m_offsetLabel = nullptr;
    QLineEdit* m_offset = nullptr;
    QLabel* m_lengthLabel = nullptr;
    QLineEdit* m_length = nullptr;
    QLabel* m_pgnLabel = nullptr;
    QLineEdit* m_pgn = nullptr;
    QLabel* m_addressLabel = nullptr;
    QLineEdit* m_address = nullptr;
    QLabel* m_rateLabel = nullptr;
    QLineEdit* m_rate = nullptr;
    QLabel* m_messageLabel = nullptr;
    QLineEdit* m_message = nullptr;
    QLabel* m_priorityLabel = nullptr;
    QLineEdit* m_priority = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_apply = nullptr;
};

}  // namespace gantry::ui
