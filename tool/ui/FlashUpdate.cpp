#include "tool/ui/FlashUpdate.h"

#include "tool/session/ConfigurationSession.h"

struct CFlashUpdate::Controls {};

CFlashUpdate::CFlashUpdate(ConfigurationSession& session, QWidget* parent)
    : QDialog(parent), m_controls(std::make_unique<Controls>()) {
    (void)session;
    setWindowTitle("Flash Update");
}

CFlashUpdate::~CFlashUpdate() = default;

int CFlashUpdate::exec() {
    return QDialog::exec();
}
