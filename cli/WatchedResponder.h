// The responder the command line hands its session: every call goes to the
// real one (the RP1210 transport or the in-process simulated gateway), and it
// remembers whether a gateway was reached and whether it stopped answering
// afterwards, so that "no gateway" and "the gateway was lost part way" are
// told apart. Main thread only.
#pragma once

#include <memory>

#include "tool/device/DeviceResponder.h"
#include "tool/device/DeviceResult.h"
#include "tool/device/Notifier.h"

namespace gantry::cli {

using namespace gantry::tool;

class CWatchedResponder : public IDeviceResponder {
public:
    explicit CWatchedResponder(std::unique_ptr<IDeviceResponder> inner)
        : m_inner(std::move(inner)) {}

    void Attach(INotifier& notifier, IClock& clock) override { m_inner->Attach(notifier, clock); }
    DeviceResult BindLibrary() override { return m_inner->BindLibrary(); }
    DeviceResult Connect() override {
        const DeviceResult result = m_inner->Connect();
        m_reached = m_reached || Succeeded(result);
        return result;
    }
    DeviceResult Disconnect() override { return m_inner->Disconnect(); }
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override {
        const DeviceResult result = m_inner->SendRequest(request, reply);
        m_lost = m_lost || (!Succeeded(result) && m_reached);
        return result;
    }

    IDeviceResponder& Inner() { return *m_inner; }
    // A connect succeeded at least once.
    bool Reached() const { return m_reached; }
    // After a connect, an exchange failed: the gateway stopped answering.
    bool Lost() const { return m_lost; }

private:
    std::unique_ptr<IDeviceResponder> m_inner;
    bool m_reached = false;
    bool m_lost = false;
};

}  // namespace gantry::cli
