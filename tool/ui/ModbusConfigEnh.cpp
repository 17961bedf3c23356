#include "tool/ui/ModbusConfigEnh.h"

namespace gantry::ui {

CModbusConfigEnh::CModbusConfigEnh(ConfigurationSession& session, QWidget* parent)
    : CModbusConfig(session, 3, tr("Watchdog Timeout:"), parent) {
    m_type = MakeList(NetworkList::NetworkType, "NetworkType");
    m_duplex = MakeList(NetworkList::NetworkDuplex, "NetworkDuplex");
    Place(2, 0, MakeLabel(tr("Network Type:"), m_type), m_type);
    Place(2, 1, MakeLabel(tr("Network Duplex:"), m_duplex), m_duplex);
    connect(m_type, &QComboBox::activated, this,
            [this] { TakeListValue(m_type, NetworkList::NetworkType, Choice::ModbusNetworkType); });
    connect(m_duplex, &QComboBox::activated, this, [this] {
        TakeListValue(m_duplex, NetworkList::NetworkDuplex, Choice::ModbusNetworkDuplex);
    });
    RefreshFromSession();
}

void CModbusConfigEnh::RefreshFromSession() {
    const EnhancedModbusSettings& record = EnhancedRecord();
    ShowListValue(m_type, NetworkList::NetworkType, record.networkType);
    ShowListValue(m_duplex, NetworkList::NetworkDuplex, record.networkDuplex);
    CModbusConfig::RefreshFromSession();
}

void CModbusConfigEnh::CollectEntries(ScreenEntries& entries) const {
    ScreenEntries own;
    CModbusConfig::CollectEntries(own);
    entries.enhancedModbusNetworkAddress = own.modbusNetworkAddress;
}

}  // namespace gantry::ui
