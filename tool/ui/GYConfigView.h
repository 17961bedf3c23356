// CGYConfigView: the status pane at the top of every layout. Shows the
// identity and run state of the gateway that the session's device holds and
// lets the user switch the gateway between Idle and Run. Every text comes from
// the session's status presentation; the pane owns no data. GUI thread only.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QStringList>

#include "tool/ui/ScreenPane.h"

class QAction;
class QGridLayout;
class QToolButton;

namespace gantry::ui {

class CGYConfigView : public CScreenPane {
    Q_OBJECT

public:
    explicit CGYConfigView(ConfigurationSession& session, QWidget* parent = nullptr);

    ScreenKind Kind() const override { return ScreenKind::StatusView; }
    // Rebuilds the mode list for the current run state and fills every text
    // from the identity; with no device detected the identity texts are empty
    // and the error reads "Unable to detect the device".
    void RefreshFromSession() override;
    // Only the mode list, for `runState` (the same gateway went between Idle
    // and Run, or a firmware update ended).
    void SetModeList(int runState);
    // While the gateway is being read and nothing is known yet, the pane says
    // so ("Reading..." in the mode list and the error line, the identity
    // empty) instead of "Not Detected" / "Unable to detect the device";
    // false shows the session's texts again.
    void SetReading(bool reading);
    bool IsReading() const { return m_reading; }

    // Why no gateway answers, one line each, under the identity with
    // `settings` (File > Connection Settings) beside them; no lines hide both.
    void SetConnectionProblem(const QStringList& lines, QAction* settings);
    QLabel* ConnectionProblem() const { return m_problem; }
    QToolButton* ConnectionSettingsButton() const { return m_settings; }

    QComboBox* ModeBox() const { return m_mode; }
    // The value label of a field: "Device", "Error", "Client Interface",
    // "Server Interface", "Serial Number", "Firmware Revision".
    QLabel* Value(const QString& label) const;

private:
    // The user chose a mode: "Idle" or "Run" is sent to the gateway under a
    // wait cursor; the list then shows the gateway's new state.
    void OnModeActivated(int index);
    QLabel* AddField(QGridLayout* grid, const QString& label, int row, int column);

    QComboBox* m_mode = nullptr;
    QLabel* m_device = nullptr;
    QLabel* m_error = nullptr;
    QLabel* m_client = nullptr;
    QLabel* m_server = nullptr;
    QLabel* m_serial = nullptr;
    QLabel* m_firmware = nullptr;
    QLabel* m_problem = nullptr;
    QToolButton* m_settings = nullptr;
    bool m_reading = false;
};

}  // namespace gantry::ui
