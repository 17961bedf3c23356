// CFlashUpdate: the modal "Flash Update" dialog. It shows the revisions the
// gateway reports for its storage areas, reads an update description (.nvs)
// chosen with "Select &File", and on "&Start" writes the images it names with
// the progress of the transfer; after a Start that ends the procedure the
// dialog closes and the session uploads every screen again.
//
// The procedure, its texts and its order of requests are the firmware
// session's; the dialog draws what it reports. GUI thread only.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class ConfigurationSession;

class CFlashUpdate : public QDialog {
    Q_OBJECT

public:
    // Reads the device revisions at once; when area 1 or 2 does not answer
    // the message has been shown and exec() returns Rejected without showing
    // the dialog.
    CFlashUpdate(ConfigurationSession& session, QWidget* parent = nullptr);
    ~CFlashUpdate() override;

    int exec() override;

private:
    struct Controls;
    std::unique_ptr<Controls> m_controls;
};
