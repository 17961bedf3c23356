#include "tool/session/SessionState.h"

#include <utility>

#include "tool/session/ScreenEntries.h"

namespace gantry::tool {

bool ValidPair(int clientType, int serverType) {
    return clientType >= 0 && serverType >= 0;
}

RecordSet RecordsOfLayout(const ScreenLayout& layout) {
    if (!ValidPair(layout.clientType, layout.serverType)) {
        return RecordSet{};
    }
    return RecordsOfPair(static_cast<std::uint32_t>(layout.clientType),
                         static_cast<std::uint32_t>(layout.serverType));
}

SessionState::SessionState(std::unique_ptr<IDeviceResponder> responder, INotifier* notifier,
                           IClock* clock, ISessionListener* reportTo)
    : gate(std::move(responder), notifier, clock),
      device(gate, offline),
      listener(reportTo),
      ioProgress([this](int point, int total) { Listener().IoTableProgress(point, total); }) {}

std::vector<ScreenKind> SessionState::ShownScreens() const {
    std::vector<ScreenKind> screens;
    for (const LayoutRow& row : layout.rows) {
        screens.push_back(row.screen);
    }
    if (screens.empty()) {
        screens.push_back(ScreenKind::StatusView);
    }
    return screens;
}

void SessionState::AlignConfigurationWithLayout() {
    if (ValidPair(layout.clientType, layout.serverType)) {
        config.clientType = static_cast<std::uint32_t>(layout.clientType);
        config.serverType = static_cast<std::uint32_t>(layout.serverType);
    }
    if (device.IsPresent()) {
        config.SetRevision(device.Revision());
    }
}

void SessionState::Show(const Refusal& message) {
    gate.Notifier().Notify(message.text, message.caption, NotifyButtons::Ok, message.icon);
}

void SessionState::ShowTableCheck(const TableCheck& check, std::vector<Refusal>* shown) {
    for (const Refusal& message : check.messages) {
        const Refusal entry = TableRefusal(message);
        Show(entry);
        if (shown) {
            shown->push_back(entry);
        }
    }
}

}  // namespace gantry::tool
