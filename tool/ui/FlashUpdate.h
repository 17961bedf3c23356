// CFlashUpdate: the modal "Flash Update" dialog. It shows the revisions the
// gateway reports for its storage areas, reads an update description (.nvs)
// chosen with "Select &File", and on "&Start" writes the images it names,
// showing the progress of each transfer; after a Start that ends the
// procedure the dialog closes and the session uploads every screen again.
//
// The procedure, its texts and its order of requests are the firmware
// session's; the dialog draws what it reports. While the procedure runs the
// window is busy (input swallowed, wait cursor) and keeps repainting: every
// wait of a request goes through the session's clock, which processes the
// window's events. GUI thread only.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

namespace gantry::tool {
class ConfigurationSession;
}  // namespace gantry::tool
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace gantry::ui {

using namespace gantry::tool;

class CFlashUpdate : public QDialog {
    Q_OBJECT

public:
    // Reads the device revisions at once; when area 1 or 2 does not answer
    // the message has been shown and exec() returns Rejected without showing
    // the dialog.
    CFlashUpdate(ConfigurationSession& session, QWidget* parent = nullptr);
    ~CFlashUpdate() override;

    int exec() override;
    // Whether the device revisions could be read on opening.
    bool IsOpen() const;
    // Whether the firmware was updated and verified (the gateway is in Idle).
    bool Updated() const { return m_updated; }

    // The open-file dialog of "Select &File": the chosen path, or an empty
    // text for Cancel. Tests replace it.
    void SetFileChooser(std::function<QString()> chooser);

    // The controls, for tests and screenshots.
    QPushButton* SelectFileButton() const;
    QPushButton* StartButton() const;
    QPushButton* CloseButton() const;
    QLineEdit* FileName() const;
    QLineEdit* Description() const;
    QTableWidget* DeviceRevisions() const;
    QTableWidget* ImageRevisions() const;
    QProgressBar* Progress() const;
    QLabel* TransferredText() const;
    QLabel* UpdateText() const;

private:
    struct Controls;
    void Build();
    void OnSelectFile();
    void OnStart();

    std::unique_ptr<Controls> m_controls;
    bool m_updated = false;
};

}  // namespace gantry::ui
