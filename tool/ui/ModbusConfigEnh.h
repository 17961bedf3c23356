// CModbusConfigEnh: the enhanced Modbus settings pane: the Modbus pane's two
// rows ("Watchdog Timeout:") and a third with the network type and duplex.
// GUI thread only.
#pragma once

#include "tool/ui/ModbusConfig.h"

namespace gantry::ui {

class CModbusConfigEnh : public CModbusConfig {
    Q_OBJECT

public:
    explicit CModbusConfigEnh(ConfigurationSession& session, QWidget* parent = nullptr);

    ScreenKind Kind() const override { return ScreenKind::EnhancedModbus; }
    void RefreshFromSession() override;
    void CollectEntries(ScreenEntries& entries) const override;

    QComboBox* NetworkType() const { return m_type; }
    QComboBox* NetworkDuplex() const { return m_duplex; }

protected:
    const ModbusSettings& Record() const override { return EnhancedRecord(); }

private:
    const EnhancedModbusSettings& EnhancedRecord() const {
        return Session().Configuration().modbusEnhanced;
    }

    QComboBox* m_type = nullptr;
    QComboBox* m_duplex = nullptr;
};

}  // namespace gantry::ui
