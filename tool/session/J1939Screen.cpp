#include "tool/session/J1939Screen.h"

#include "tool/session/ReportedTexts.h"

namespace gantry::tool {

J1939ScreenView J1939ScreenViewOf(const ConfigurationSession& session) {
    const J1939Settings& s = session.Configuration().j1939;
    const J1939Fields fields = session.J1939ScreenFields();
    J1939ScreenView view;
    view.enabled = session.ControlsEnabled();
    view.statusDataInInputShown = fields.statusDataInInput;
    view.baudRates = fields.baudRates;
    const int items = static_cast<int>(view.baudRates.items.size());
    view.baudSelection = view.baudRates.visible && s.baudIndex >= 0 && s.baudIndex < items
                             ? static_cast<int>(s.baudIndex)
                             : -1;
    if (view.enabled) {
        // offline nothing is read: a screen built for an opened file shows
        // the offline texts as well as one refreshed after the switch
        const StatusAndErrorTexts texts = J1939StatusTexts(s);
        view.status = session.IsOffline() ? "Offline" : texts.status;
        view.error = session.IsOffline() ? "None" : texts.error;
        view.networkAddress = J1939NetworkAddressText(s);
    }
    view.name = FormatJ1939Name(s.name);
    for (std::uint8_t address : s.addressList) {
        view.addresses.push_back(std::to_string(address));
    }
    view.busOffReset = s.busOffReset;
    view.swapIo = s.swapIo;
    view.statusInInput = s.statusInInput;
    view.offlineDetection = s.OfflineDetectionEnabled();
    view.offlineTime = std::to_string(s.offlineTimeMs);
    return view;
}

}  // namespace gantry::tool
