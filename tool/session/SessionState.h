// The state the configuration session's units share: the request gate, the
// device accessor, the configuration records, the frame's memory (layout
// pair, last state, last serial), the document's file and snapshot, and the
// listener; with the few steps every unit takes on it. One thread: the
// session's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tool/device/Device.h"
#include "tool/device/RequestGate.h"
#include "tool/model/Configuration.h"
#include "tool/model/DeviceSync.h"
#include "tool/model/Refusal.h"
#include "tool/session/ScreenLayout.h"
#include "tool/session/SessionListener.h"

namespace gantry::tool {

// Both types known (a layout or an identity of a gateway).
bool ValidPair(int clientType, int serverType);
// The records the layout's pair has; none before a pair is known.
RecordSet RecordsOfLayout(const ScreenLayout& layout);

struct SessionState {
    // See ConfigurationSession's constructor.
    SessionState(std::unique_ptr<IDeviceResponder> responder, INotifier* notifier, IClock* clock,
                 ISessionListener* reportTo);
    SessionState(const SessionState&) = delete;
    SessionState& operator=(const SessionState&) = delete;

    OfflineIdentity offline;
    CRequestGate gate;
    CDevice device;
    CConfiguration config;
    ISessionListener silent;  // reports to nobody
    ISessionListener* listener = nullptr;
    ScreenLayout layout;
    int lastState = RS_Unknown;
    std::uint32_t lastSerial = 0;
    CConfiguration snapshot;  // the records at the last New, Open, Save or Upload
    std::string documentPath;
    bool chooseOfflineProduct = false;  // started offline without a simulated gateway
    IoProgress ioProgress;              // hands the I/O table's progress to the listener

    ISessionListener& Listener() { return listener ? *listener : silent; }
    // The gate and device, with the I/O table's progress to the listener.
    DeviceLink Link() { return DeviceLink{gate, device, nullptr, &ioProgress}; }
    // The layout's screens, top to bottom; the status view before any layout.
    std::vector<ScreenKind> ShownScreens() const;
    // The records follow the layout pair and the identity's revision.
    void AlignConfigurationWithLayout();
    // Shows a message through the gate's notifier.
    void Show(const Refusal& message);
    // Shows each message of the check; `shown`, when given, collects them.
    void ShowTableCheck(const TableCheck& check, std::vector<Refusal>* shown = nullptr);
    void TakeSnapshot() { snapshot = config; }
};

}  // namespace gantry::tool
