// CJ1939Config: the J1939 settings pane (status, NAME, network address list,
// flags, offline detection, baud rate) of a gateway with a J1939 side. Draws
// the session's J1939 screen view and forwards each user event to the
// session, which owns the rules and shows every refusal. The NAME is edited
// in the modal CJ1939DeviceName dialog. GUI thread only.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "tool/ui/ScreenPane.h"

namespace gantry::ui {

class CJ1939Config : public CScreenPane {
    Q_OBJECT

public:
    explicit CJ1939Config(ConfigurationSession& session, QWidget* parent = nullptr);

    ScreenKind Kind() const override { return ScreenKind::J1939Settings; }
    // Visibility of "Status Data In Input" and of the baud-rate label and
    // list (with its items for the revision), the enable rule, then every
    // value from the J1939 settings record.
    void RefreshFromSession() override;
    // The offline detection box and the time entry's text.
    void CollectEntries(ScreenEntries& entries) const override;
    // Field::OfflineTime: the time entry; Field::AddressList: the Address entry.
    bool FocusField(Field field) override;

    // The controls, for the frame's tests and screenshots.
    QLabel* StatusValue() const { return m_status; }
    QLabel* ErrorValue() const { return m_error; }
    QLabel* NetAddressValue() const { return m_netAddress; }
    QLineEdit* NameDisplay() const { return m_name; }
    QPushButton* EditButton() const { return m_edit; }
    QLineEdit* AddressEntry() const { return m_address; }
    QListWidget* AddressList() const { return m_list; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* RemoveButton() const { return m_remove; }
    QCheckBox* BusOffReset() const { return m_busOff; }
    QCheckBox* SwapIo() const { return m_swapIo; }
    QCheckBox* StatusInInput() const { return m_statusInInput; }
    QCheckBox* OfflineDetection() const { return m_offline; }
    QLineEdit* OfflineTime() const { return m_time; }
    QLabel* BaudLabel() const { return m_baudLabel; }
    QComboBox* BaudRate() const { return m_baud; }

private:
    QWidget* BuildValues();
    QWidget* BuildAddressList();
    QWidget* BuildFlags();
    QWidget* BuildTimeAndBaud();
    void OnAdd();
    void OnRemove();
    void OnEdit();
    // Leaving the time entry: checked while the box is on; a refusal keeps
    // the text and takes the focus back.
    void OnTimeEntryLeft();

    QLabel* m_status = nullptr;
    QLabel* m_error = nullptr;
    QLabel* m_netAddress = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_edit = nullptr;
    QLineEdit* m_address = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QCheckBox* m_busOff = nullptr;
    QCheckBox* m_swapIo = nullptr;
    QCheckBox* m_statusInInput = nullptr;
    QCheckBox* m_offline = nullptr;
    QLineEdit* m_time = nullptr;
    QLabel* m_baudLabel = nullptr;
    QComboBox* m_baud = nullptr;
    bool m_checkingTime = false;  // a refusal's box is up: its focus change is not a second leave
};

}  // namespace gantry::ui
