#include "tool/ui/NewModuleDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace gantry::ui {

CNewModuleDlg::CNewModuleDlg(const std::vector<std::string>& items, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("New Module Configuration"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("Select the type of Gantry:"), this);
    m_list = new QComboBox(this);
    for (const std::string& item : items) {
        m_list->addItem(QString::fromStdString(item));
    }
    m_list->setCurrentIndex(0);
    label->setBuddy(m_list);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

}  // namespace gantry::ui
