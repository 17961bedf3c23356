// The I/O menu's commands on the session's J1939 I/O table: Add, Edit,
// Remove and Remove All, and the edit-point screen's events with their
// message boxes. Every message goes through the session's notifier; every
// change marks the document modified and has the I/O lists redrawn. The
// desktop lists and dialog call these and only draw the results.
//
// Main thread only (the session's thread).
#pragma once

#include <optional>

#include "tool/session/ConfigurationSession.h"
#include "tool/session/IoPointForm.h"

namespace gantry::tool {

inline constexpr const char* f_szConfirmDeleteCaption = "Confirm Delete Request";
// The Remove All question for the list of `list`.
std::string RemoveAllQuestion(IoDirection list);

// Add: refused with "Total Datapoint Limit has been Reached" (shown) when the
// table holds 200 points or more; otherwise the form for a new point in the
// direction of the focused list (none: Input).
std::optional<IoPointForm> BeginAddIoPoint(ConfigurationSession& session,
                                           std::optional<IoDirection> focusedList,
                                           const IoColumnModes& modes);
// Edit: the form for the point at `row` of the list; nothing without a point
// there (no selection: row −1).
std::optional<IoPointForm> BeginEditIoPoint(const ConfigurationSession& session, IoDirection list,
                                            int row, const IoColumnModes& modes);

// Leaving the offset entry; a DTC table's alignment notice is shown.
void LeaveIoPointOffset(ConfigurationSession& session, IoPointForm& form);
// "&Apply": the refusal is shown and returned; the form's texts are
// normalised when it passes.
std::optional<Refusal> ApplyIoPoint(ConfigurationSession& session, IoPointForm& form);
// "&OK": the refusal is shown and returned and nothing changes; when the
// check passes the point is added (a new point) or replaces the edited one,
// and its array is re-sorted.
std::optional<Refusal> ConfirmIoPoint(ConfigurationSession& session, const IoPointForm& form);

// Remove: the point at `row` of the list goes at once, without a question;
// false (nothing done) without a point there.
bool RemoveIoPoint(ConfigurationSession& session, IoDirection list, int row);
// Remove All: asks the list's question (Yes / No, No the default); Yes empties
// that array. Returns whether it was emptied.
bool RemoveAllIoPoints(ConfigurationSession& session, IoDirection list);

}  // namespace gantry::tool
