#include "tool/session/SessionScreens.h"

#include "tool/session/RecordTransfer.h"

namespace gantry::tool {

bool RebuildsLayout(const ScreenLayout& current, int clientType, int serverType) {
    const bool samePair = clientType == current.clientType && serverType == current.serverType;
    return !samePair &&
           !(LayoutOfPair(clientType, serverType).IsSingleScreen() && current.IsSingleScreen());
}

void SessionScreens::MarkNotDetected() {
    m_s.device.MarkNotDetected();
    m_s.lastState = RS_NotDetected;
    RefreshAllScreens();
}

void SessionScreens::RefreshAllScreens() {
    m_s.AlignConfigurationWithLayout();
    RefreshRecords(m_s.Link(), RecordsOfLayout(m_s.layout), m_s.config);
    if (m_s.gate.SequenceLost()) {
        return;  // the sequence's owner redraws them once, after it
    }
    if (m_s.device.IsPresent()) {
        m_s.ShowTableCheck(m_s.config.UpdateLimits());
    }
    m_s.Listener().ScreensChanged(m_s.ShownScreens());
}

bool SessionScreens::Relayout(int clientType, int serverType) {
    const ScreenLayout next = LayoutOfPair(clientType, serverType);
    const bool rebuild = RebuildsLayout(m_s.layout, clientType, serverType);
    if (rebuild) {
        const int previousHeight = m_s.layout.height;
        m_s.layout = next;
        m_s.Listener().LayoutRebuilt(m_s.layout, previousHeight);
    } else {
        m_s.layout.clientType = clientType;
        m_s.layout.serverType = serverType;
    }
    m_s.AlignConfigurationWithLayout();
    return rebuild;
}

void SessionScreens::ResetToDefaults() {
    m_s.AlignConfigurationWithLayout();
    m_s.ShowTableCheck(m_s.config.SetNewDefaults());
    m_s.Listener().ScreensChanged(m_s.ShownScreens());
}

}  // namespace gantry::tool
