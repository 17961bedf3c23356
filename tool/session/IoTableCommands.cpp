#include "tool/session/IoTableCommands.h"

namespace gantry::tool {

namespace {

void Show(ConfigurationSession& session, const Refusal& message) {
    session.Gate().Notifier().Notify(message.text, message.caption, NotifyButtons::Ok,
                                     NotifyIcon::None);
}

const tagJ1939DataPoint* PointAt(const ConfigurationSession& session, IoDirection list, int row) {
    if (row < 0) {
        return nullptr;
    }
    return session.Configuration().io.Get(list, static_cast<std::size_t>(row));
}

}  // namespace

std::string RemoveAllQuestion(IoDirection list) {
    return std::string("Are you sure you want to delete all entries from the ") +
           IoTableTitle(list) + " ?";
}

std::optional<IoPointForm> BeginAddIoPoint(ConfigurationSession& session,
                                           std::optional<IoDirection> focusedList,
                                           const IoColumnModes& modes) {
    const CJ1939IO& io = session.Configuration().io;
    if (const std::optional<Refusal> refusal = CheckCanAddPoint(io)) {
        Show(session, *refusal);
        return std::nullopt;
    }
    return IoPointForm::ForNewPoint(io, focusedList.value_or(IoDirection::Input), modes);
}

std::optional<IoPointForm> BeginEditIoPoint(const ConfigurationSession& session, IoDirection list,
                                            int row, const IoColumnModes& modes) {
    const tagJ1939DataPoint* point = PointAt(session, list, row);
    if (point == nullptr) {
        return std::nullopt;
    }
    return IoPointForm::ForPoint(*point, row, modes);
}

void LeaveIoPointOffset(ConfigurationSession& session, IoPointForm& form) {
    if (const std::optional<Refusal> notice = form.LeaveOffset()) {
        Show(session, *notice);
    }
}

std::optional<Refusal> ApplyIoPoint(ConfigurationSession& session, IoPointForm& form) {
    std::optional<Refusal> refusal = form.Apply();
    if (refusal) {
        Show(session, *refusal);
    }
    return refusal;
}

std::optional<Refusal> ConfirmIoPoint(ConfigurationSession& session, const IoPointForm& form) {
    CConfiguration& config = session.EditConfiguration();
    const PointValidation result = form.Confirm(config.io, config.limits, config.pgnLimits);
    if (result.failure) {
        Show(session, *result.failure);
        return result.failure;
    }
    if (form.IsEditing()) {
        config.io.Replace(form.Direction(), static_cast<std::size_t>(form.EditIndex()),
                          result.point);
    } else {
        config.io.Add(result.point);
    }
    session.IoTableEdited();
    return std::nullopt;
}

bool RemoveIoPoint(ConfigurationSession& session, IoDirection list, int row) {
    if (PointAt(session, list, row) == nullptr) {
        return false;
    }
    session.EditConfiguration().io.Remove(list, static_cast<std::size_t>(row));
    session.IoTableEdited();
    return true;
}

bool RemoveAllIoPoints(ConfigurationSession& session, IoDirection list) {
    const NotifyAnswer answer =
        session.Gate().Notifier().Notify(RemoveAllQuestion(list), f_szConfirmDeleteCaption,
                                         NotifyButtons::YesNo, NotifyIcon::Question,
                                         NotifyAnswer::No);  // Enter keeps the table
    if (answer != NotifyAnswer::Yes) {
        return false;
    }
    session.EditConfiguration().io.RemoveAll(list);
    session.IoTableEdited();
    return true;
}

}  // namespace gantry::tool
