// The gate through which every screen, the device accessor and the firmware
// update talk to the gateway (SendDeviceRequest), with the connected and
// offline flags of the application. Qt-free: the desktop application object
// owns one gate, the command-line front end owns another.
//
// What answers a request is pluggable:
//  - offline mode (SetOffline(true)): the gate's own DeviceSimulator over
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
#include "tool/device/DeviceSimulator.h"

namespace gantry::tool {

// Message boxes that the device layers raise. The desktop tool shows a modal
// box; tests record the call and answer it; the command line prints it.
enum class NotifyButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class NotifyIcon { None, Error, Warning, Information, Question };
enum class NotifyAnswer { Ok, Cancel, Yes, No, Retry };

class INotifier {
public:
    virtual ~INotifier() = default;
    // Shows `text` under `caption` with the given buttons and icon and returns
    // the button the user chose. `defaultAnswer` is the button that Enter
    // chooses (the caution before a download defaults to No); Ok means the
    // first button of the set. Called on the gate's thread; may block.
    virtual NotifyAnswer Notify(const std::string& text, const std::string& caption,
                                NotifyButtons buttons, NotifyIcon icon,
                                NotifyAnswer defaultAnswer = NotifyAnswer::Ok) = 0;
};

// Writes "caption: text" to standard error and answers the cautious button
// (Ok alone, else No or Cancel); used when no notifier is given.
class CStderrNotifier : public INotifier {
public:
    NotifyAnswer Notify(const std::string& text, const std::string& caption, NotifyButtons buttons,
                        NotifyIcon icon, NotifyAnswer defaultAnswer) override;
};

// What answers requests while the tool is online. Results are 1 for success
// and 0 for failure throughout.
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
    // Loads what the responder needs (the RP1210 library); 1/0.
    virtual int BindLibrary() = 0;
    // Finds and opens the gateway; 1 when connected.
    virtual int Connect() = 0;
    // Closes the connection; the result is informative only.
    virtual int Disconnect() = 0;
    // Carries one exchange: 1 when a reply was decoded into `reply` (its general
    // status is not judged), 0 when the request could not be carried.
    virtual int SendRequest(const DeviceRequest& request, DeviceReply& reply) = 0;

protected:
    void BetweenAttempts() {
        if (m_betweenAttempts) {
            m_betweenAttempts();
        }
    }

private:
    std::function<void()> m_betweenAttempts;
};

// The in-process simulator answering as a gateway (online, not offline): every
// request goes through the byte form, SimulateRequest and DecodeReply exactly
// as it would over the line. Connect fails and requests fail while the
// simulator is unreachable (a complete-mode Reset's downtime).
class CSimulatorResponder : public IDeviceResponder {
public:
    explicit CSimulatorResponder(std::string profile = "GYSim.ini");
    DeviceSimulator& Simulator() { return m_simulator; }

    int BindLibrary() override { return 1; }
    int Connect() override;
    int Disconnect() override { return 0; }
    int SendRequest(const DeviceRequest& request, DeviceReply& reply) override;

private:
    DeviceSimulator m_simulator;
};

// Encodes `request`, lets `simulator` answer in place and decodes the reply;
// 1 when decoded, 0 otherwise.
int SimulateExchange(DeviceSimulator& simulator, const DeviceRequest& request, DeviceReply& reply);

// Recording hook: called for every request that passes the gate (online or
// offline), after the exchange, with the request's encoded bytes, the result of
// the exchange (1/0) and the reply (zero-filled when the result is 0).
// Requests the gate refuses without sending (not connected) are not reported.
using RequestObserver = std::function<void(const std::vector<std::uint8_t>& encodedRequest,
                                           int result, const DeviceReply& reply)>;

// What became of one request.
enum class RequestOutcome {
    Answered,  // a reply with general status 0
    Refused,   // a reply with another status (offline: also one the simulator could not give)
    Lost,      // no reply: unanswered, or not sent because the connection is gone
};

// Thrown by the gate in place of the next request of a read the user
// cancelled (see CRequestGate::RequestCancel); the read's owner catches it.
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

    // Offline: 1 at once. Else the responder's BindLibrary (0 without one).
    int BindLibrary();
    // Offline: 1, nothing opened, flags unchanged. Else the responder's Connect:
    // sets the connected flag on success and returns 1, clears it and returns 0
    // otherwise.
    int ConnectDevice();
    // With a responder: Disconnect, clear the connected flag, 1. Without: 0.
    int DisconnectDevice();
    // Up to 2·n ConnectDevice calls with a 500 ms pause after each failed one;
    // 1 at the first success, 0 after the last failure.
    int ConnectWithRetry(int n);
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
    // Exchange as 1 (answered or refused) or 0 (lost).
    int SendDeviceRequest(const DeviceRequest& request, DeviceReply& reply);

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
    // answer, clears the connected flag and disconnects. Always 1. The caller
    // (CDevice::ResetDevice) marks the device not detected.
    int ResetDevice();

    bool IsConnected() const { return m_connected; }
    bool IsOffline() const { return m_offline; }
    // Switches offline mode; the connected flag and an open client stay as they
    // are.
    void SetOffline(bool offline) { m_offline = offline; }

    // The simulator that answers in offline mode (GYSim.ini in the Gantry
    // directory).
    DeviceSimulator& OfflineSimulator() { return m_offlineSimulator; }
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
    void Report(const DeviceRequest& request, int result, const DeviceReply& reply);
    RequestOutcome ExchangeOnline(const DeviceRequest& request, DeviceReply& reply);
    // Throws ReadCancelled (once) when the user cancelled the read under way.
    void StopIfCancelled();

    std::unique_ptr<IDeviceResponder> m_responder;
    CStderrNotifier m_stderrNotifier;
    INotifier* m_notifier;
    IClock* m_clock;
    DeviceSimulator m_offlineSimulator;
    std::function<void()> m_deviceLost;
    RequestObserver m_observer;
    bool m_connected = false;
    bool m_offline = false;
    bool m_exchanging = false;  // a request waits for its reply
    int m_cancellableReads = 0;
    bool m_cancelRequested = false;
    int m_sequences = 0;          // sequences open, nested
    bool m_sequenceLost = false;  // a reply was lost in the one open
};

}  // namespace gantry::tool
