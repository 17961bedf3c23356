#include "tool/device/RequestGate.h"

#include <thread>
#include <utility>

#include "common/Assert.h"
#include "tool/device/DeviceResponder.h"
#include "tool/device/Notifier.h"

namespace gantry::tool {

CRequestGate::CRequestGate(std::unique_ptr<IDeviceResponder> responder, INotifier* notifier,
                           IClock* clock)
    : m_responder(std::move(responder)),
      m_notifier(notifier != nullptr ? notifier : &m_stderrNotifier),
      m_clock(clock != nullptr ? clock : &SystemClock()),
      m_answering(m_responder.get()) {
    if (m_responder) {
        m_responder->Attach(*m_notifier, *m_clock);
        m_responder->SetBetweenAttempts([this] {
            m_clock->Sleep(std::chrono::milliseconds(0));
            StopIfCancelled();
        });
    }
}

CRequestGate::~CRequestGate() = default;

void CRequestGate::SetOffline(bool offline) {
    m_answering = offline ? &m_offlineResponder : m_responder.get();
}

DeviceResult CRequestGate::BindLibrary() {
    return m_answering != nullptr ? m_answering->BindLibrary() : DeviceResult::Failed;
}

DeviceResult CRequestGate::ConnectDevice() {
    if (AnswersWithoutConnection()) {
        // nothing to open; an open client of the online responder stays as it is
        return m_answering->Connect();
    }
    if (m_sequenceLost) {
        return DeviceResult::Failed;  // the sequence ended on a lost reply: no new connection
    }
    m_connected = m_responder && Succeeded(m_responder->Connect());
    return ResultOf(m_connected);
}

DeviceResult CRequestGate::DisconnectDevice() {
    if (!m_responder) {
        return DeviceResult::Failed;
    }
    m_responder->Disconnect();
    m_connected = false;
    return DeviceResult::Done;
}

DeviceResult CRequestGate::ConnectWithRetry(int n) {
    for (int attempt = 0; attempt < 2 * n && !m_sequenceLost; ++attempt) {
        StopIfCancelled();
        if (Succeeded(ConnectDevice())) {
            return DeviceResult::Done;
        }
        m_clock->Sleep(std::chrono::milliseconds(500));
    }
    return DeviceResult::Failed;
}

RequestOutcome CRequestGate::Exchange(const DeviceRequest& request, DeviceReply& reply) {
    const bool withoutConnection = AnswersWithoutConnection();
    if (withoutConnection || m_connected) {
        StopIfCancelled();  // a request that would fail at once is no wait to cancel
    }
    return withoutConnection ? ExchangeWithoutConnection(request, reply)
                             : ExchangeOnline(request, reply);
}

RequestOutcome CRequestGate::ExchangeWithoutConnection(const DeviceRequest& request,
                                                       DeviceReply& reply) {
    // The connected flag belongs to the real gateway: an offline answer
    // neither sets nor clears it, and nothing offline is ever lost.
    const DeviceResult result = m_answering->SendRequest(request, reply);
    Report(request, result, reply);
    return Succeeded(result) && reply.generalStatus == 0 ? RequestOutcome::Answered
                                                         : RequestOutcome::Refused;
}

DeviceResult CRequestGate::SendDeviceRequest(const DeviceRequest& request, DeviceReply& reply) {
    return CarriedResult(Exchange(request, reply));
}

RequestOutcome CRequestGate::ExchangeOnline(const DeviceRequest& request, DeviceReply& reply) {
    if (!m_responder || !m_connected) {
        m_connected = false;
        reply = DeviceReply{};
        return RequestOutcome::Lost;
    }
    // one exchange at a time: a request started from an event that the wait
    // for a reply let through would take the other's reply
    GY_ASSERT(!m_exchanging);
    m_exchanging = true;
    const DeviceResult result = m_responder->SendRequest(request, reply);
    m_exchanging = false;
    if (!Succeeded(result)) {
        reply = DeviceReply{};
    }
    m_connected = Succeeded(result);
    Report(request, result, reply);
    if (m_connected) {
        return reply.generalStatus == 0 ? RequestOutcome::Answered : RequestOutcome::Refused;
    }
    DisconnectDevice();
    if (m_sequences > 0) {
        m_sequenceLost = true;  // the sequence's owner reacts after it
    } else if (m_deviceLost) {
        m_deviceLost();
    }
    return RequestOutcome::Lost;
}

void CRequestGate::BeginSequence() {
    if (m_sequences++ == 0) {
        m_sequenceLost = false;
    }
}

bool CRequestGate::EndSequence() {
    if (m_sequences == 0 || --m_sequences > 0) {
        return false;
    }
    return std::exchange(m_sequenceLost, false);
}

DeviceResult CRequestGate::ResetDevice() {
    DeviceRequest request = MakeServiceRequest(SVC_Reset, CLS_Identity, 1);
    DeviceReply reply;
    SendDeviceRequest(request, reply);
    m_connected = false;
    if (m_responder) {
        m_responder->Disconnect();
    }
    return DeviceResult::Done;
}

void CRequestGate::EndCancellableRead() {
    if (m_cancellableReads > 0 && --m_cancellableReads == 0) {
        m_cancelRequested = false;  // a cancel that came too late is not kept for the next read
    }
}

bool CRequestGate::RequestCancel() {
    m_cancelRequested = m_cancellableReads > 0;
    return m_cancelRequested;
}

void CRequestGate::StopIfCancelled() {
    if (m_cancelRequested && m_cancellableReads > 0) {
        m_cancelRequested = false;
        throw ReadCancelled{};
    }
}

void CRequestGate::Report(const DeviceRequest& request, DeviceResult result,
                          const DeviceReply& reply) {
    if (!m_observer) {
        return;
    }
    std::vector<std::uint8_t> encoded(kTransferBufferSize);
    const int length = EncodeRequest(request, encoded.data(), kTransferBufferSize);
    encoded.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    m_observer(encoded, Succeeded(result) ? 1 : 0, reply);  // the log's 1/0
}

}  // namespace gantry::tool
