// The cancellable reads of the configuration session: Refresh Device Status,
// Upload and the start stop between two requests when the user cancels, and
// everything they had changed is put back, so the screens show what they
// showed before and the gateway is not taken for lost.
#include "tool/session/ConfigurationSession.h"

namespace gantry::tool {

bool ConfigurationSession::ReadCancellably(const std::function<void()>& read) {
    if (m_gate.IsReadCancellable()) {
        read();  // part of the read under way, which answers for the whole
        return true;
    }
    const ReadSnapshot before{
        m_config,     m_snapshot,        m_documentPath,      m_lastState,
        m_lastSerial, m_device.Cached(), m_layout.clientType, m_layout.serverType};
    m_gate.BeginCancellableRead();
    try {
        read();
    } catch (const ReadCancelled&) {
        m_gate.EndCancellableRead();
        PutBack(before);
        Listener().ReadCancelled();
        return false;
    }
    m_gate.EndCancellableRead();
    return true;
}

void ConfigurationSession::PutBack(const ReadSnapshot& before) {
    m_device.Restore(before.device);
    Relayout(before.layoutClient, before.layoutServer);  // rebuilds only for another pair
    m_config = before.config;
    m_snapshot = before.snapshot;
    m_documentPath = before.documentPath;
    m_lastState = before.lastState;
    m_lastSerial = before.lastSerial;
    Listener().ScreensChanged(ShownScreens());
}

}  // namespace gantry::tool
