// What the configuration session reports to the front end that draws it (the
// desktop frame, the command line). One thread: the session's.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tool/session/ScreenEntries.h"
#include "tool/session/ScreenLayout.h"

namespace gantry::tool {

// What the session reports. Every method has a default that does nothing (or
// gives the cautious answer), so a front end overrides only what it draws.
class ISessionListener {
public:
    virtual ~ISessionListener() = default;
    // The screens were destroyed and rebuilt for `layout`; `previousHeight` is
    // the old layout's height (0 before the first layout): the frame window
    // grows or shrinks by the difference.
    virtual void LayoutRebuilt(const ScreenLayout& layout, int previousHeight) {
        (void)layout;
        (void)previousHeight;
    }
    // These screens redraw from the session's records (and the status view
    // from the identity held in the device).
    virtual void ScreensChanged(const std::vector<ScreenKind>& screens) { (void)screens; }
    // Only the mode display changes: the same gateway went between Idle and Run.
    virtual void RunStateChanged(int runState) { (void)runState; }
    // The offline flag was switched.
    virtual void OfflineChanged(bool offline) { (void)offline; }
    // The Save As dialog, asked when the save-changes question is answered
    // Yes for a document that has no file yet: the path chosen, or nothing for
    // Cancel (which cancels the new document too).
    virtual std::optional<std::string> ChooseSavePath(const std::string& title) {
        (void)title;
        return std::nullopt;
    }
    // The texts the user left in the screens' number entries, which a save
    // takes as they are.
    virtual ScreenEntries CurrentEntries() { return {}; }
    // The new-module dialog: the items in order, item 0 selected. The chosen
    // index, or nothing for Cancel.
    virtual std::optional<int> ChooseProduct(const std::vector<std::string>& items) {
        (void)items;
        return std::nullopt;
    }
    // The user cancelled a read (Refresh Device Status, Upload, the start):
    // it stopped between two requests and every screen shows again what it
    // showed before; the gateway is not taken for lost.
    virtual void ReadCancelled() {}
    // The I/O table's transfer (upload, download, a read of the gateway's
    // configuration): point 0 of `total` when the entry count is known, then
    // point k of `total` after each point's request.
    virtual void IoTableProgress(int point, int total) {
        (void)point;
        (void)total;
    }
};

}  // namespace gantry::tool
