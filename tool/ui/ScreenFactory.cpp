// The panes of the main frame's rows. Each screen adds its one case here when
// its pane builds; until then its row shows a placeholder of the row's height
// with the screen's group title.
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "tool/ui/DNetConfig.h"
#include "tool/ui/GYConfigView.h"
#include "tool/ui/IpConfig.h"
#include "tool/ui/J1939Config.h"
#include "tool/ui/J1939ListIO.h"
#include "tool/ui/ModbusConfigEnh.h"
#include "tool/ui/ScreenPane.h"

namespace gantry::ui {

namespace {

const char* GroupTitleOf(ScreenKind kind) {
    switch (kind) {
        case ScreenKind::StatusView:
            return "Gantry Configuration";
        case ScreenKind::Ethernet:
            return "Ethernet Configuration";
        case ScreenKind::DeviceNet:
            return "DeviceNet Configuration";
        case ScreenKind::Modbus:
        case ScreenKind::EnhancedModbus:
            return "Modbus Configuration";
        case ScreenKind::J1939Settings:
            return "J1939 Configuration";
        case ScreenKind::J1939IoLists:
            return "J1939 I/O Table";
    }
    return "";
}

// The row of a screen whose pane is not built yet: its group box, empty; the
// frame gives it the row's height.
class CPlaceholderPane : public CScreenPane {
public:
    CPlaceholderPane(ScreenKind kind, ConfigurationSession& session, QWidget* parent)
        : CScreenPane(session, parent), m_kind(kind) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(6, 2, 6, 4);
        auto* group = new QGroupBox(QString::fromUtf8(GroupTitleOf(kind)), this);
        layout->addWidget(group);
    }
    ScreenKind Kind() const override { return m_kind; }
    void RefreshFromSession() override {}

private:
    ScreenKind m_kind;
};

}  // namespace

CScreenPane* CreateScreenPane(ScreenKind kind, ConfigurationSession& session, QWidget* parent) {
    switch (kind) {
        case ScreenKind::StatusView:
            return new CGYConfigView(session, parent);
        case ScreenKind::J1939Settings:
            return new CJ1939Config(session, parent);
        case ScreenKind::J1939IoLists:
            return new CJ1939ListIO(session, parent);
        case ScreenKind::DeviceNet:
            return new CDNetConfig(session, parent);
        case ScreenKind::Modbus:
            return new CModbusConfig(session, parent);
        case ScreenKind::EnhancedModbus:
            return new CModbusConfigEnh(session, parent);
        case ScreenKind::Ethernet:
            return new CIpConfig(session, parent);
        default:
            break;
    }
    return new CPlaceholderPane(kind, session, parent);
}

}  // namespace gantry::ui
