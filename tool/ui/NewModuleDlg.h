// CNewModuleDlg: "New Module Configuration", the choice of the product for a
// new configuration made without a working gateway. Opens with item 0
// selected; OK keeps the selection index, Cancel makes no new configuration.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <string>
#include <vector>

namespace gantry::ui {

class CNewModuleDlg : public QDialog {
    Q_OBJECT

public:
    // `items`: the known combinations in their selection-index order, each
    // with its catalogue numbers (the session's list).
    CNewModuleDlg(const std::vector<std::string>& items, QWidget* parent = nullptr);

    int Selection() const { return m_list->currentIndex(); }
    QComboBox* List() const { return m_list; }

private:
    QComboBox* m_list = nullptr;
};

}  // namespace gantry::ui
