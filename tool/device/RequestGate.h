// The gate through which every screen, the device accessor and the firmware
// update talk to the gateway (SendDeviceRequest), with the connected and
// offline flags of the application. Qt-free: the desktop application object
// owns one gate, the command-line front end owns another.
//
// What answers a request is a responder (DeviceResponder.h), swapped by the
// offline switch:
//  - offline mode (SetOffline(true)): the gate's own COfflineResponder over
//    GYSim.ini answers; reads that the accessor skips offline are skipped there;
//  - online: the IDeviceResponder given at construction, either the RP1210
//    client transport (CSerialTransport) or CSimulatorResponder, the in-process
//    simulator answering every request as a gateway would.
// All calls on one gate come from one thread (the GUI thread, or the command
// line's main thread); one request is outstanding at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/Clock.h"  // IClock, SystemClock, CInstantClock
#include "tool/device/DeviceRequest.h"
#include "tool/device/DeviceResponder.h"
#include "tool/device/DeviceResult.h"
#include "tool/device/DeviceSimulator.h"
#include "tool/device/Notifier.h"
#include "tool/device/OfflineResponder.h"

namespace gantry::tool {

// Recording hook: called for every request that passes the gate (online or
// offline), after the exchange, with the request's encoded bytes, the result of
// the exchange (1/0) and the reply (zero-filled when the result is 0).
// Requests the gate refuses without sending (not connected) are not reported.
using RequestObserver = std::function<void(const std::vector<std::uint8_t>& encodedRequest,
                                           int result, const DeviceReply& reply)>;

// Thrown by the gate in place of the next request of a read the user
// cancelled (see CRequestGate::RequestCancel); the read's owner catches it.
// An exception, not a DeviceResult, by design (DeviceResult.h).
struct ReadCancelled {};

class CRequestGate {
public:
    // `responder` may be null (no transport: online requests fail). A null
    // notifier means CStderrNotifier; a null clock means SystemClock(). The
    // notifier and clock must outlive the gate.
    explicit CRequestGate(std::unique_ptr<IDeviceResponder> responder,
                          INotifier* notifier = nullptr, IClock* clock = nullptr);
    ~CRequestGate();
    CRequestGate(const CRequestGate&) = delete;
    CRequestGate& operator=(const CRequestGate&) = delete;

    // Offline: Done at once. Else the responder's BindLibrary (Failed without
    // one).
    DeviceResult BindLibrary();
    // Offline: Done, nothing opened, flags unchanged. Else the responder's
    // Connect: sets the connected flag on success, clears it otherwise.
    DeviceResult ConnectDevice();
    // With a responder: Disconnect, clear the connected flag, Done. Without:
    // Failed.
    DeviceResult DisconnectDevice();
    // Up to 2·n ConnectDevice calls with a 500 ms pause after each failed one;
    // Done at the first success, Failed after the last failure.
    DeviceResult ConnectWithRetry(int n);
    // The single gate for every request; what became of it.
    //  - Offline: the offline simulator answers (never Lost); the connected
    //    flag is not touched.
    //  - Online and connected: the responder carries it; its result becomes the
    //    connected flag. A lost reply disconnects; outside a sequence it also
    //    calls the device-lost handler, inside one the sequence ends (below).
    //  - Online and not connected: nothing is sent, the flag is cleared, Lost.
    // A request made while another waits for its reply (from an event the
    // wait let through) is a programming error: the program stops.
    RequestOutcome Exchange(const DeviceRequest& request, DeviceReply& reply);
    // Exchange as Done (answered or refused) or Failed (lost).
    DeviceResult SendDeviceRequest(const DeviceRequest& request, DeviceReply& reply);

    // A sequence of requests that belong together (a refresh, an upload, a
    // download). A reply lost inside it ends it: the gate sends nothing more
    // and opens no connection until the outermost sequence ends, and calls no
    // handler: the sequence's owner reacts once, after it. Sequences nest;
    // the outermost one counts.
    void BeginSequence();
    // Ends the sequence begun last; true when it was the outermost one and a
    // reply was lost in it.
    bool EndSequence();
    // A reply was lost in the sequence under way.
    bool SequenceLost() const { return m_sequenceLost; }
    // Sends Reset (service 5) to the Identity object and then, whatever the
    // answer, clears the connected flag and disconnects. Always Done. The
    // caller (CDevice::ResetDevice) marks the device not detected.
    DeviceResult ResetDevice();

    bool IsConnected() const { return m_connected; }
    bool IsOffline() const { return m_answering == &m_offlineResponder; }
    // Switches offline mode: the offline responder answers from now on, or the
    // online one again. The connected flag and an open client stay as they are.
    void SetOffline(bool offline);

    // The simulator that answers in offline mode (GYSim.ini in the Gantry
    // directory).
    DeviceSimulator& OfflineSimulator() { return m_offlineResponder.Simulator(); }
    // The online responder (null when none was given).
    IDeviceResponder* Responder() { return m_responder.get(); }
    INotifier& Notifier() { return *m_notifier; }
    IClock& Clock() { return *m_clock; }

    // A read that may be cancelled runs while the count is above 0 (the
    // session's Refresh Device Status, Upload and start). RequestCancel then
    // makes the next request or connect attempt throw ReadCancelled before
    // anything is sent, so the read stops between two requests and the
    // connection stays as it is. Outside such a read (a write runs, or
    // nothing) RequestCancel does nothing and returns false.
    void BeginCancellableRead() { ++m_cancellableReads; }
    void EndCancellableRead();
    bool IsReadCancellable() const { return m_cancellableReads > 0; }
    bool RequestCancel();

    // Called after a reply lost outside a sequence (the session: RunState :=
    // 3, refresh the screens).
    void SetDeviceLostHandler(std::function<void()> handler) { m_deviceLost = std::move(handler); }
    // Installs the recording hook (an empty function removes it).
    void SetRequestObserver(RequestObserver observer) { m_observer = std::move(observer); }

private:
    void Report(const DeviceRequest& request, DeviceResult result, const DeviceReply& reply);
    // The answering responder holds no connection (offline).
    bool AnswersWithoutConnection() const {
        return m_answering != nullptr && !m_answering->HoldsConnection();
    }
    RequestOutcome ExchangeWithoutConnection(const DeviceRequest& request, DeviceReply& reply);
    RequestOutcome ExchangeOnline(const DeviceRequest& request, DeviceReply& reply);
    // Throws ReadCancelled (once) when the user cancelled the read under way.
    void StopIfCancelled();

    std::unique_ptr<IDeviceResponder> m_responder;
    CStderrNotifier m_stderrNotifier;
    INotifier* m_notifier;
    IClock* m_clock;
    COfflineResponder m_offlineResponder;
    IDeviceResponder* m_answering;  // m_responder or &m_offlineResponder
    std::function<void()> m_deviceLost;
    RequestObserver m_observer;
    bool m_connected = false;
    bool m_exchanging = false;  // a request waits for its reply
    int m_cancellableReads = 0;
    bool m_cancelRequested = false;
    int m_sequences = 0;          // sequences open, nested
    bool m_sequenceLost = false;  // a reply was lost in the one open
};

}  // namespace gantry::tool
