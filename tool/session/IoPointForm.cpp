#include "tool/session/IoPointForm.h"

namespace gantry::tool {

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsDtcType(int type) {
    return type == JT_ActiveDtc || type == JT_PreviouslyActiveDtc;
}

}  // namespace

unsigned ReadPriorityEntry(const std::string& text) {
    const std::optional<std::uint32_t> value = ReadPlainNumber(Trimmed(text), false);
    return value && *value <= 255 ? *value : 256u;
}

IoPointForm IoPointForm::ForNewPoint(const CJ1939IO& io, IoDirection direction,
                                     const IoColumnModes& modes) {
    IoPointForm form(modes);
    const tagJ1939DataPoint point = ProposeNewPoint(io, direction);
    form.m_tableType = point.table;
    form.texts.dataOffset = ShowBitQuantity(point.dataOffset, modes.IsHex(IoColumn::TableOffset));
    form.texts.priority = std::to_string(point.priority);
    return form;
}

IoPointForm IoPointForm::ForPoint(const tagJ1939DataPoint& point, int index,
                                  const IoColumnModes& modes) {
    IoPointForm form(modes);
    form.m_tableType = point.table;
    form.m_editIndex = index < 0 ? 0 : index;
    const IoDirection list = DirectionOfTable(point.table);
    IoPointTexts& texts = form.texts;
    texts.dataOffset = ShowBitQuantity(point.dataOffset, modes.IsHex(IoColumn::TableOffset));
    const bool lengthHex = modes.IsHex(IoColumn::DataLength);
    texts.dataLength = IsDtcTable(point.table) ? ShowDtcCount(point.dataLength, lengthHex)
                                               : ShowBitQuantity(point.dataLength, lengthHex);
    texts.pgn = IoCellText(point, IoColumn::Pgn, modes, list);
    texts.address = IoCellText(point, IoColumn::TargetAddress, modes, list);
    texts.updateRate = IoCellText(point, IoColumn::UpdateRate, modes, list);
    texts.messageOffset =
        ShowBitQuantity(point.messageOffset, modes.IsHex(IoColumn::MessageOffset));
    texts.priority = std::to_string(point.priority);
    return form;
}

IoDirection IoPointForm::Direction() const {
    return DirectionOfTable(static_cast<std::uint8_t>(m_tableType));
}

bool IoPointForm::PgnReadOnly() const {
    return IsDtcType(m_tableType);
}

std::string IoPointForm::WithHex(const char* label, bool hex) const {
    return hex ? std::string(label) + " (hex)" : std::string(label);
}

std::string IoPointForm::GroupLabel() const {
    return IsDtcType(m_tableType) ? "Table" : "Data";
}

std::string IoPointForm::OffsetLabel() const {
    return WithHex("Offset", m_modes.IsHex(IoColumn::TableOffset));
}

std::string IoPointForm::LengthLabel() const {
    return WithHex(IsDtcType(m_tableType) ? "Size" : "Length", m_modes.IsHex(IoColumn::DataLength));
}

std::string IoPointForm::PgnLabel() const {
    return WithHex("PGN", m_modes.IsHex(IoColumn::Pgn));
}

std::string IoPointForm::AddressLabel() const {
    return WithHex("Address", m_modes.IsHex(IoColumn::TargetAddress));
}

std::string IoPointForm::RateLabel() const {
    return WithHex("Rate", m_modes.IsHex(IoColumn::UpdateRate));
}

std::string IoPointForm::MessageOffsetLabel() const {
    return WithHex("Offset", m_modes.IsHex(IoColumn::MessageOffset));
}

bool IoPointForm::SelectType(int type, const CJ1939IO& io) {
    if (IsEditing() || type == m_tableType || type < JT_Input || type > JT_PreviouslyActiveDtc) {
        return false;
    }
    const bool wasDtc = IsDtcType(m_tableType);
    m_tableType = type;
    const bool offsetHex = m_modes.IsHex(IoColumn::TableOffset);
    texts.messageOffset = "0";
    if (IsDtcType(type)) {
        texts.pgn = type == JT_ActiveDtc ? "DM1" : "DM2";
        texts.dataOffset =
            ShowBitQuantity(static_cast<std::uint16_t>(ProposeDtcOffset(io)), offsetHex);
        return true;
    }
    if (wasDtc) {
        // "DM1" is no PGN to enter (in hexadecimal it would even read as 13)
        texts.pgn.clear();
    }
    const tagJ1939DataPoint proposed = ProposeNewPoint(io, Direction());
    texts.dataOffset = ShowBitQuantity(proposed.dataOffset, offsetHex);
    return true;
}

std::optional<Refusal> IoPointForm::LeaveOffset() {
    if (!IsDtcType(m_tableType)) {
        return std::nullopt;
    }
    const std::optional<AlignmentNotice> notice =
        AlignDtcOffset(texts.dataOffset, m_modes.IsHex(IoColumn::TableOffset));
    if (!notice) {
        return std::nullopt;
    }
    texts.dataOffset = notice->offsetText;
    return notice->message;
}

std::optional<Refusal> IoPointForm::Apply() {
    const ApplyResult result = ApplyPointEntry(Entry(), m_modes.FieldModes());
    if (result.failure) {
        return result.failure;
    }
    texts.dataOffset = result.dataOffset;
    texts.dataLength = result.dataLength;
    texts.messageOffset = result.messageOffset;
    return std::nullopt;
}

PointValidation IoPointForm::Confirm(const CJ1939IO& io, const DataTableLimits& limits,
                                     const PgnLimits& pgnLimits) const {
    return ValidatePointEntry(Entry(), m_modes.FieldModes(), m_editIndex, io, limits, pgnLimits);
}

PointEntry IoPointForm::Entry() const {
    PointEntry entry;
    entry.tableType = m_tableType;
    entry.pgn = texts.pgn;
    entry.address = texts.address;
    entry.priority = ReadPriorityEntry(texts.priority);
    entry.dataOffset = texts.dataOffset;
    entry.dataLength = texts.dataLength;
    entry.updateRate = texts.updateRate;
    entry.messageOffset = texts.messageOffset;
    return entry;
}

}  // namespace gantry::tool
