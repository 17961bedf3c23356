// CAboutDlg: "About GYConfig": the program's name and version, the versions of
// the RP1210 library and the serial driver the program has loaded ("not
// loaded" for one that is not), and the Gantry directory in use.
#pragma once

#include <QDialog>
#include <QString>

namespace gantry::ui {

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // The lines the dialog shows, top to bottom.
    static QStringList Lines();
};

}  // namespace gantry::ui
