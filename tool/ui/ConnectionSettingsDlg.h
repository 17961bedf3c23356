// CConnectionSettingsDlg: File > Connection Settings. Lists the machine's
// serial devices with the COM name each is linked as and whether it can be
// opened; the user picks one and a COM number, "Apply" links it in the Gantry
// directory's dosdevices/ and completes KV121032.INI (SetupComPort, the rules
// of `gyconfig-cli setup`), "Test" applies and then asks the gateway on that
// port for its identity. The result box shows what was done and found. Every
// rule and text comes from the session's ConnectionSettings unit. GUI thread
// only.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "tool/session/ConnectionSettings.h"

class QLabel;
class QPlainTextEdit;
class QHBoxLayout;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace gantry::ui {

using namespace gantry::tool;

class CConnectionSettingsDlg : public QDialog {
    Q_OBJECT

public:
    // `libraryName`: the RP1210 library the Test loads; `clock`: its waits
    // (the GUI clock); `devFolder`: where the serial devices are looked for.
    CConnectionSettingsDlg(std::string libraryName, IClock& clock, QWidget* parent = nullptr,
                           std::string devFolder = "/dev");

    QTableWidget* DeviceTable() const { return m_table; }
    QSpinBox* PortBox() const { return m_port; }
    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* TestButton() const { return m_test; }
    QPushButton* RefreshButton() const { return m_refresh; }
    QPlainTextEdit* ResultBox() const { return m_result; }

    // Escape closes the dialog, except while a test runs.
    void reject() override;

private:
    // Reads the devices again and keeps the selected device selected.
    // The COM port box and the Refresh List, Apply and Test buttons.
    QHBoxLayout* CreatePortRow();
    void Reload();
    void OnSelectionChanged();
    // Sets up the selected device as the chosen COM port; false when nothing
    // is selected or the set-up failed.
    bool Apply();
    void OnTest();
    void ShowLines(const std::vector<std::string>& lines);
    const DeviceRow* SelectedRow() const;

    std::string m_libraryName;
    IClock& m_clock;
    std::string m_devFolder;
    std::vector<DeviceRow> m_rows;
    bool m_testing = false;
    QTableWidget* m_table = nullptr;
    QSpinBox* m_port = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_test = nullptr;
    QPlainTextEdit* m_result = nullptr;
};

}  // namespace gantry::ui
