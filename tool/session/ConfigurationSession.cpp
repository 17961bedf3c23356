#include "tool/session/ConfigurationSession.h"

namespace gantry::tool {

ConfigurationSession::ConfigurationSession(std::unique_ptr<IDeviceResponder> responder,
                                           INotifier* notifier, IClock* clock,
                                           ISessionListener* listener)
    : m_state(std::move(responder), notifier, clock, listener) {
    m_state.gate.SetDeviceLostHandler([this] { m_screens.MarkNotDetected(); });
    m_state.TakeSnapshot();  // the first document asks nothing and keeps the records as built
}

}  // namespace gantry::tool
