// What answers the requests that pass the request gate: the RP1210 client
// transport (CSerialTransport), the in-process simulator answering as a
// gateway (CSimulatorResponder) or, in offline mode, the offline simulator over
// GYSim.ini (COfflineResponder). The gate owns its responders and calls them
// from its one thread.
#pragma once

#include <functional>
#include <utility>

#include "common/Clock.h"
#include "tool/device/DeviceRequest.h"
#include "tool/device/DeviceResult.h"
#include "tool/device/Notifier.h"

namespace gantry::tool {

class IDeviceResponder {
public:
    virtual ~IDeviceResponder() = default;
    // Gives the responder the gate's notifier and clock (never null); called
    // once by the gate's constructor.
    virtual void Attach(INotifier& notifier, IClock& clock) {
        (void)notifier;
        (void)clock;
    }
    // Called by a Connect that tries several ports, between two of them (the
    // gate's: the window repaints, and a cancelled read stops there).
    void SetBetweenAttempts(std::function<void()> hook) { m_betweenAttempts = std::move(hook); }
    // Loads what the responder needs (the RP1210 library).
    virtual DeviceResult BindLibrary() = 0;
    // Finds and opens the gateway; Done when connected.
    virtual DeviceResult Connect() = 0;
    // Closes the connection; the result is informative only.
    virtual DeviceResult Disconnect() = 0;
    // Carries one exchange: Done when a reply was decoded into `reply` (its
    // general status is not judged), Failed when the request could not be
    // carried.
    virtual DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) = 0;
    // Whether the answers come over a connection that the gate keeps track of
    // (the connected flag, lost replies). A responder without one answers
    // whatever the connected flag says: its Connect opens nothing, and a
    // request it cannot answer counts as refused, never as lost.
    virtual bool HoldsConnection() const { return true; }

protected:
    void BetweenAttempts() {
        if (m_betweenAttempts) {
            m_betweenAttempts();
        }
    }

private:
    std::function<void()> m_betweenAttempts;
};

}  // namespace gantry::tool
