#include "tool/session/IoListPresentation.h"

#include <algorithm>
#include <cstdio>

namespace gantry::tool {

namespace {

// Decimal or hexadecimal text of an unsigned quantity. Shown unsigned on
// purpose: a signed 16-bit form would turn a valid 40000 ms rate negative.
std::string Number(std::uint32_t value, bool hex) {
    char text[16];
    std::snprintf(text, sizeof text, hex ? "%X" : "%u", static_cast<unsigned>(value));
    return text;
}

struct HeaderTexts {
    const char* decimal;
    const char* hex;
};

constexpr HeaderTexts f_headers[f_nIoColumnCount] = {
    {"Table\nOffset", "Table Offset\n(hex)"},
    {"Data\nLength", "Data Length\n(hex)"},
    {"PGN", "PGN\n(hex)"},
    {"Priority", "Priority"},
    {"Target\nAddress", "Target\nAddress (hex)"},
    {"Update\nRate", "Update\nRate (hex)"},
    {"Message\nOffset", "Message\nOffset (hex)"},
};

std::string PgnCell(const tagJ1939DataPoint& point, bool hex) {
    if (point.table == JT_ActiveDtc) {
        return "DM1";
    }
    if (point.table == JT_PreviouslyActiveDtc) {
        return "DM2";
    }
    return Number(point.pgn, hex);
}

}  // namespace

IoColumn IoColumnAt(int position) {
    return static_cast<IoColumn>(std::clamp(position, 0, f_nIoColumnCount - 1));
}

ColumnModes IoColumnModes::FieldModes() const {
    ColumnModes modes;
    modes.tableOffset = IsHex(IoColumn::TableOffset);
    modes.dataLength = IsHex(IoColumn::DataLength);
    modes.pgn = IsHex(IoColumn::Pgn);
    modes.targetAddress = IsHex(IoColumn::TargetAddress);
    modes.updateRate = IsHex(IoColumn::UpdateRate);
    modes.messageOffset = IsHex(IoColumn::MessageOffset);
    return modes;
}

unsigned IoColumnModes::ToBits() const {
    unsigned bits = 0;
    for (int i = 0; i < f_nIoColumnCount; ++i) {
        bits |= m_hex[static_cast<std::size_t>(i)] ? 1u << i : 0u;
    }
    return bits;
}

IoColumnModes IoColumnModes::FromBits(unsigned bits) {
    IoColumnModes modes;
    for (int i = 0; i < f_nIoColumnCount; ++i) {
        modes.m_hex[static_cast<std::size_t>(i)] = (bits >> i & 1u) != 0;
    }
    return modes;
}

std::string IoColumnHeader(IoColumn column, bool hex) {
    const HeaderTexts& texts = f_headers[static_cast<int>(column)];
    return hex ? texts.hex : texts.decimal;
}

std::string IoColumnHeader(IoColumn column, const IoColumnModes& modes) {
    return IoColumnHeader(column, modes.IsHex(column));
}

std::string IoCellText(const tagJ1939DataPoint& point, IoColumn column, const IoColumnModes& modes,
                       IoDirection list) {
    const bool hex = modes.IsHex(column);
    switch (column) {
        case IoColumn::TableOffset:
            return ShowBitQuantityInList(point.dataOffset, hex);
        case IoColumn::DataLength:
            return ShowBitQuantityInList(point.dataLength, hex);
        case IoColumn::Pgn:
            return PgnCell(point, hex);
        case IoColumn::Priority:
            return list == IoDirection::Input ? "**" : Number(point.priority, false);
        case IoColumn::TargetAddress:
            return Number(point.address, hex);
        case IoColumn::UpdateRate:
            return Number(point.updateRate, hex);
        case IoColumn::MessageOffset:
            return ShowBitQuantityInList(point.messageOffset, hex);
    }
    return {};
}

std::vector<std::string> IoRowTexts(const tagJ1939DataPoint& point, const IoColumnModes& modes,
                                    IoDirection list) {
    std::vector<std::string> cells;
    cells.reserve(f_nIoColumnCount);
    for (int i = 0; i < f_nIoColumnCount; ++i) {
        cells.push_back(IoCellText(point, IoColumnAt(i), modes, list));
    }
    return cells;
}

std::string IoTableTypeName(std::uint8_t table) {
    switch (table) {
        case JT_Input:
            return "Input";
        case JT_Output:
            return "Output";
        case JT_ActiveDtc:
            return "Active DTC Table";
        case JT_PreviouslyActiveDtc:
            return "Previously Active DTC Table";
        default:
            return "?";
    }
}

const char* IoTableTitle(IoDirection list) {
    return list == IoDirection::Input ? f_szInputTableTitle : f_szOutputTableTitle;
}

std::string IoPgnCountText(const CJ1939IO& io, IoDirection list) {
    return std::to_string(CountPgns(io.Points(list)));
}

std::string IoPgnLimitText(const PgnLimits& limits, IoDirection list) {
    return "of " +
           std::to_string(list == IoDirection::Input ? limits.inputPgns : limits.outputPgns);
}

std::string IoTotalCountText(const CJ1939IO& io) {
    return std::to_string(io.TotalCount());
}

std::string IoTotalLimitText() {
    return "of " + std::to_string(f_nTotalPointLimit);
}

std::array<int, f_nIoColumnCount> IoColumnWidths(IoDirection list, int clientWidth) {
    const int width = std::max(clientWidth, 0);
    const bool input = list == IoDirection::Input;
    const int share = width / (input ? 6 : 7);
    std::array<int, f_nIoColumnCount> widths{};
    int used = 0;
    for (int i = 0; i < f_nIoColumnCount - 1; ++i) {
        const bool hidden = input && IoColumnAt(i) == IoColumn::Priority;
        widths[static_cast<std::size_t>(i)] = hidden ? 0 : share;
        used += widths[static_cast<std::size_t>(i)];
    }
    widths[f_nIoColumnCount - 1] = width - used;
    return widths;
}

}  // namespace gantry::tool
