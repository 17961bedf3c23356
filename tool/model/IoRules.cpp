#include "tool/model/IoRules.h"

#include <algorithm>
#include <set>
#include <utility>

#include "common/TextFormat.h"
#include "tool/model/NetworkSettings.h"

namespace gantry::tool {

namespace {

bool IsBitQuantityCharacter(char c, bool hex) {
    if ((c >= '0' && c <= '9') || c == ' ' || c == ',' || c == '.' || c == '(' || c == ')') {
        return true;
    }
    return hex && ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'));
}

std::uint64_t ReadPart(const std::string& text, bool hex) {
    // The part holds no sign or "x" (the character check refused them), so a
    // plain unsigned conversion reads as far as the radix's digits go.
    return ToUnsigned32(text, hex ? 16 : 10);
}

Refusal InvalidEntry(std::string text, Field field) {
    return Refusal{std::move(text), f_szInvalidEntry, field};
}

bool IsValidBits(std::uint32_t bits) {
    return bits < f_nInvalidBits;
}

// A point occupies at least one bit: a length of 0 would sit on any other point.
bool IsValidLength(std::uint32_t bits) {
    return IsValidBits(bits) && bits != 0;
}

std::optional<Refusal> CheckMessageOffset(const std::string& text, bool hex, std::uint32_t& bits) {
    bits = ReadBitQuantity(text, hex);
    if (!IsValidBits(bits)) {
        return InvalidEntry("Invalid Message Table Offset", Field::MessageOffset);
    }
    if (bits > f_nMessageOffsetLimitBits) {
        return InvalidEntry(
            FormatText("Message Offset must be within Message Offset bounds: 0 - %u bits",
                       f_nMessageOffsetLimitBits),
            Field::MessageOffset);
    }
    return std::nullopt;
}

// The data length as stored: a DTC table's entry is a count n giving 32n + 16
// bits. A length of 65535 bits or more is invalid rather than wrapped.
std::uint32_t LengthFromEntry(const std::string& text, bool hex, int tableType) {
    const std::uint32_t entered = ReadBitQuantity(text, hex);
    if (!IsValidBits(entered) || !IsDtcTable(static_cast<std::uint8_t>(tableType))) {
        return entered;
    }
    const std::uint64_t length = 32ull * entered + 16;
    return length < f_nInvalidBits ? static_cast<std::uint32_t>(length) : f_nInvalidBits;
}

}  // namespace

std::uint32_t ReadBitQuantity(const std::string& text, bool hex) {
    for (char c : text) {
        if (!IsBitQuantityCharacter(c, hex)) {
            return f_nInvalidBits;
        }
    }
    std::uint64_t value = 0;
    const std::size_t paren = text.find('(');
    std::size_t split = text.find(',');
    if (split == std::string::npos) {
        split = text.find('.');
    }
    if (paren != std::string::npos && paren > 0) {
        value = ReadPart(text.substr(0, paren), hex);
    } else if (split != std::string::npos) {
        value = 8 * ReadPart(text.substr(0, split), hex) + ReadPart(text.substr(split + 1), hex);
    } else {
        value = ReadPart(text, hex);
    }
    return value < f_nInvalidBits ? static_cast<std::uint32_t>(value) : f_nInvalidBits;
}

std::string ShowBitQuantity(std::uint16_t bits, bool hex) {
    const unsigned b = bits;
    return hex ? FormatText("%X (%X,%X)", b, b / 8, b % 8)
               : FormatText("%u (%u,%u)", b, b / 8, b % 8);
}

std::string ShowBitQuantityInList(std::uint16_t bits, bool hex) {
    const unsigned b = bits;
    return hex ? FormatText("%4X (%X,%X)", b, b / 8, b % 8)
               : FormatText("%4u (%u,%u)", b, b / 8, b % 8);
}

std::string ShowDtcCount(std::uint16_t dataLength, bool hex) {
    const unsigned count = dataLength >= 16 ? (dataLength - 16u) / 32u : 0u;
    return hex ? FormatText("%X", count) : FormatText("%u", count);
}

std::optional<std::uint32_t> ReadPlainNumber(const std::string& text, bool hex) {
    const bool marked =
        text.find("0x") != std::string::npos || text.find("0X") != std::string::npos;
    const std::uint32_t value = ToUnsigned32(text, marked || hex ? 16 : 10);
    if (value == 0 && text != "0" && text != "0x0" && text != "0X0") {
        return std::nullopt;
    }
    return value;
}

namespace {

// The bounds check with the used ends of both directions already known.
int BoundsWithUsedEnds(const DataTableLimits& limits, IoDirection direction, std::uint32_t offset,
                       std::uint32_t length, std::int64_t used, std::int64_t usedOther) {
    const std::int64_t end = std::int64_t{offset} + length;
    const std::int64_t size =
        direction == IoDirection::Input ? limits.inputBytes : limits.outputBytes;
    if (8 * size < end) {
        return -1;
    }
    if (used < end && 8 * limits.combinedBytes < end + usedOther) {
        return -2;
    }
    return 0;
}

IoDirection OtherDirection(IoDirection direction) {
    return direction == IoDirection::Input ? IoDirection::Output : IoDirection::Input;
}

}  // namespace

int CheckDataTableBounds(const CJ1939IO& io, const DataTableLimits& limits, IoDirection direction,
                         std::uint32_t offset, std::uint32_t length) {
    return BoundsWithUsedEnds(limits, direction, offset, length, io.UsedEnd(direction),
                              io.UsedEnd(OtherDirection(direction)));
}

bool OverlapsAnotherPoint(const CJ1939IO& io, IoDirection direction, std::uint32_t offset,
                          std::uint32_t length, int editIndex) {
    const auto& points = io.Points(direction);
    const std::uint32_t newEnd = offset + length;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (static_cast<int>(i) == editIndex) {
            continue;
        }
        const std::uint32_t start = points[i].dataOffset;
        const std::uint32_t end = start + points[i].dataLength;
        const bool startsInside = offset >= start && offset < end;
        const bool endsInside = start < newEnd && end >= newEnd;
        // also a point that starts before the other and ends after it
        const bool encloses = offset < start && newEnd > end;
        if (startsInside || endsInside || encloses) {
            return true;
        }
    }
    return false;
}

int CountPgns(const std::vector<tagJ1939DataPoint>& points) {
    std::set<std::pair<std::uint32_t, std::uint8_t>> pairs;
    for (const auto& point : points) {
        pairs.emplace(point.pgn, point.address);
    }
    return static_cast<int>(pairs.size());
}

bool PgnPairFits(const std::vector<tagJ1939DataPoint>& points, std::uint32_t pgn,
                 std::uint8_t address, int limit) {
    bool present = false;
    for (const auto& point : points) {
        if (point.pgn == pgn && point.address == address) {
            present = true;
            break;
        }
    }
    return CountPgns(points) + (present ? 0 : 1) <= limit;
}

namespace {

// Steps 2 to 5 of the OK check: PGN, target address, PGN limit, priority.
std::optional<Refusal> CheckAddressing(const PointEntry& entry, const ColumnModes& modes,
                                       const CJ1939IO& io, const PgnLimits& pgnLimits,
                                       tagJ1939DataPoint& point) {
    if (point.table == JT_ActiveDtc) {
        point.pgn = f_nDm1Pgn;
    } else if (point.table == JT_PreviouslyActiveDtc) {
        point.pgn = f_nDm2Pgn;
    } else if (auto pgn = ReadPlainNumber(entry.pgn, modes.pgn); pgn && IsValidPgn(*pgn)) {
        point.pgn = *pgn;
    } else {
        return InvalidEntry(f_szInvalidPgn, Field::Pgn);
    }
    const auto address = ReadPlainNumber(entry.address, modes.targetAddress);
    if (!address || *address > 255) {
        return InvalidEntry(
            "Invalid Target Address. Please specify the Target Address in the 0 - 255 range.",
            Field::Address);
    }
    point.address = static_cast<std::uint8_t>(*address);
    const IoDirection direction = DirectionOfTable(point.table);
    const bool input = direction == IoDirection::Input;
    if (!PgnPairFits(io.Points(direction), point.pgn, point.address,
                     input ? pgnLimits.inputPgns : pgnLimits.outputPgns)) {
        return Refusal{input ? "Input PGN Count Limit has been Reached"
                             : "Output PGN Count Limit has been Reached",
                       f_szConfigurationLimit, Field::Pgn};
    }
    if (entry.priority > 7) {
        return InvalidEntry("Priority must be 0-7", Field::Priority);
    }
    point.priority = static_cast<std::uint8_t>(entry.priority);
    return std::nullopt;
}

// Steps 6 to 9: data offset, data length, data-table bounds, overlap.
std::optional<Refusal> CheckPlacement(const PointEntry& entry, const ColumnModes& modes,
                                      int editIndex, const CJ1939IO& io,
                                      const DataTableLimits& limits, tagJ1939DataPoint& point) {
    const std::uint32_t offset = ReadBitQuantity(entry.dataOffset, modes.tableOffset);
    if (!IsValidBits(offset)) {
        return InvalidEntry("Invalid Data Table Offset", Field::DataOffset);
    }
    const std::uint32_t length =
        LengthFromEntry(entry.dataLength, modes.dataLength, entry.tableType);
    if (!IsValidLength(length)) {
        return InvalidEntry(f_szInvalidDataSize, Field::DataLength);
    }
    point.dataOffset = static_cast<std::uint16_t>(offset);
    point.dataLength = static_cast<std::uint16_t>(length);
    const IoDirection direction = DirectionOfTable(point.table);
    const int bounds = CheckDataTableBounds(io, limits, direction, offset, length);
    if (bounds == -1) {
        const std::int64_t size =
            direction == IoDirection::Input ? limits.inputBytes : limits.outputBytes;
        return InvalidEntry(
            FormatText(
                "Specified table offset and length is outside of the Data Table bounds of %lld "
                "bytes",
                static_cast<long long>(size)),
            Field::DataOffset);
    }
    if (bounds == -2) {
        return InvalidEntry(FormatText("Specified table offset and length yields a total I/O space "
                                       "larger than the combined Data Table limit of %lld bytes",
                                       static_cast<long long>(limits.combinedBytes)),
                            Field::DataOffset);
    }
    if (OverlapsAnotherPoint(io, direction, offset, length, editIndex)) {
        return InvalidEntry("Specified Data Table space is already occupied by another I/O Point",
                            Field::DataOffset);
    }
    return std::nullopt;
}

// Steps 10 and 11: update rate, message offset.
std::optional<Refusal> CheckTiming(const PointEntry& entry, const ColumnModes& modes,
                                   tagJ1939DataPoint& point) {
    const auto rate = ReadPlainNumber(entry.updateRate, modes.updateRate);
    if (!rate) {
        return InvalidEntry("Invalid Update Rate", Field::UpdateRate);
    }
    if ((*rate >= 1 && *rate <= 9) || *rate > 60000) {
        return InvalidEntry("Invalid Update Rate. Valid rates are 0, and 10 - 60,000 ms",
                            Field::UpdateRate);
    }
    point.updateRate = static_cast<std::uint16_t>(*rate);
    std::uint32_t messageOffset = 0;
    if (auto failure =
            CheckMessageOffset(entry.messageOffset, modes.messageOffset, messageOffset)) {
        return failure;
    }
    point.messageOffset = static_cast<std::uint16_t>(messageOffset);
    return std::nullopt;
}

}  // namespace

PointValidation ValidatePointEntry(const PointEntry& entry, const ColumnModes& modes, int editIndex,
                                   const CJ1939IO& io, const DataTableLimits& limits,
                                   const PgnLimits& pgnLimits) {
    PointValidation result;
    if (entry.tableType < JT_Input || entry.tableType > JT_PreviouslyActiveDtc) {
        result.failure = InvalidEntry("Invalid Entry", Field::TableType);
        return result;
    }
    result.point.table = static_cast<std::uint8_t>(entry.tableType);
    result.failure = CheckAddressing(entry, modes, io, pgnLimits, result.point);
    if (!result.failure) {
        result.failure = CheckPlacement(entry, modes, editIndex, io, limits, result.point);
    }
    if (!result.failure) {
        result.failure = CheckTiming(entry, modes, result.point);
    }
    return result;
}

ApplyResult ApplyPointEntry(const PointEntry& entry, const ColumnModes& modes) {
    ApplyResult result;
    const std::uint32_t offset = ReadBitQuantity(entry.dataOffset, modes.tableOffset);
    if (!IsValidBits(offset)) {
        result.failure = InvalidEntry("Invalid Data Table Offset", Field::DataOffset);
        return result;
    }
    const std::uint32_t length =
        LengthFromEntry(entry.dataLength, modes.dataLength, entry.tableType);
    if (!IsValidBits(length)) {
        result.failure = InvalidEntry(f_szInvalidDataSize, Field::DataLength);
        return result;
    }
    if (offset > f_nApplyBoundBits) {
        result.failure = InvalidEntry(
            FormatText("Data Table Offset must be within Data Table bounds: 0 - %u bits",
                       f_nApplyBoundBits),
            Field::DataOffset);
        return result;
    }
    if (offset + length > f_nApplyBoundBits) {
        result.failure = InvalidEntry(
            FormatText(
                "Specified Data Table space is outside of the Data Table bounds: 0 - %u bits",
                f_nApplyBoundBits),
            Field::DataLength);
        return result;
    }
    std::uint32_t messageOffset = 0;
    if (auto failure =
            CheckMessageOffset(entry.messageOffset, modes.messageOffset, messageOffset)) {
        result.failure = failure;
        return result;
    }
    result.dataOffset = ShowBitQuantity(static_cast<std::uint16_t>(offset), modes.tableOffset);
    result.dataLength = IsDtcTable(static_cast<std::uint8_t>(entry.tableType))
                            ? ShowDtcCount(static_cast<std::uint16_t>(length), modes.dataLength)
                            : ShowBitQuantity(static_cast<std::uint16_t>(length), modes.dataLength);
    result.messageOffset =
        ShowBitQuantity(static_cast<std::uint16_t>(messageOffset), modes.messageOffset);
    return result;
}

std::uint32_t ProposeDtcOffset(const CJ1939IO& io) {
    return (io.UsedEnd(IoDirection::Input) + 15) / 16 * 16;
}

std::optional<AlignmentNotice> AlignDtcOffset(const std::string& offsetText, bool hex) {
    const std::uint32_t offset = ReadBitQuantity(offsetText, hex);
    if (!IsValidBits(offset) || offset % 16 == 0) {
        return std::nullopt;
    }
    AlignmentNotice notice;
    notice.message = Refusal{
        "Table offsets for diagnostic tables must be on even word boundaries.  Moving offset to "
        "next valid location.",
        f_szApplicationTitle, Field::DataOffset};
    notice.offset = offset / 16 * 16 + 16;
    notice.offsetText = ShowBitQuantity(static_cast<std::uint16_t>(notice.offset), hex);
    return notice;
}

std::optional<Refusal> CheckCanAddPoint(const CJ1939IO& io) {
    if (io.TotalCount() >= f_nTotalPointLimit) {
        return Refusal{"Total Datapoint Limit has been Reached", f_szConfigurationLimit,
                       Field::None};
    }
    return std::nullopt;
}

std::optional<Refusal> CheckPointCountForDownload(const CJ1939IO& io) {
    if (io.TotalCount() > f_nTotalPointLimit) {
        return CheckCanAddPoint(io);
    }
    return std::nullopt;
}

tagJ1939DataPoint ProposeNewPoint(const CJ1939IO& io, IoDirection direction) {
    tagJ1939DataPoint point;
    point.table = direction == IoDirection::Input ? JT_Input : JT_Output;
    point.dataOffset =
        static_cast<std::uint16_t>(std::min<std::uint32_t>(io.UsedEnd(direction), 0xFFFF));
    point.priority = 6;
    return point;
}

TableCheck CheckWholeTable(const CJ1939IO* io, const DataTableLimits& limits) {
    TableCheck check;
    if (io == nullptr) {
        return check;
    }
    int counts[2] = {0, 0};
    for (IoDirection direction : {IoDirection::Input, IoDirection::Output}) {
        const std::int64_t used = io->UsedEnd(direction);
        const std::int64_t usedOther = io->UsedEnd(OtherDirection(direction));
        for (const auto& point : io->Points(direction)) {
            if (BoundsWithUsedEnds(limits, direction, point.dataOffset, point.dataLength, used,
                                   usedOther) == -1) {
                ++counts[static_cast<int>(direction)];
            }
        }
    }
    if (counts[0] != 0) {
        check.messages.push_back(Refusal{
            FormatText("%d Input datapoints are outside of the Data Table bound of %lld bytes",
                       counts[0], static_cast<long long>(limits.inputBytes)),
            f_szInvalidParameters, Field::None});
    }
    if (counts[1] != 0) {
        check.messages.push_back(Refusal{
            FormatText("%d Output datapoints are outside of the Data Table bound of %lld bytes",
                       counts[1], static_cast<long long>(limits.outputBytes)),
            f_szInvalidParameters, Field::None});
    }
    const std::int64_t used =
        std::int64_t{io->UsedEnd(IoDirection::Input)} + io->UsedEnd(IoDirection::Output);
    if (8 * limits.combinedBytes < used) {
        check.messages.push_back(
            Refusal{FormatText("Total I/O space is larger than combined Data Table limit of %lld "
                               "bytes",
                               static_cast<long long>(limits.combinedBytes)),
                    f_szInvalidParameters, Field::None});
        check.passed = false;
        return check;
    }
    check.passed = counts[0] == 0 && counts[1] == 0;
    return check;
}

TableCheck CheckPgnCounts(const CJ1939IO& io, const PgnLimits& pgnLimits) {
    TableCheck check;
    const int inputs = CountPgns(io.Inputs());
    const int outputs = CountPgns(io.Outputs());
    if (inputs > pgnLimits.inputPgns) {
        check.messages.push_back(
            Refusal{FormatText("Input PGN count of %d is beyond the limit of %d PGNs", inputs,
                               pgnLimits.inputPgns),
                    f_szInvalidParameters, Field::None});
        check.passed = false;
    }
    if (outputs > pgnLimits.outputPgns) {
        check.messages.push_back(
            Refusal{FormatText("Output PGN count of %d is beyond the limit of %d PGNs", outputs,
                               pgnLimits.outputPgns),
                    f_szInvalidParameters, Field::None});
        check.passed = false;
    }
    return check;
}

TableCheck CheckPointValues(const CJ1939IO& io) {
    TableCheck check;
    for (IoDirection direction : {IoDirection::Input, IoDirection::Output}) {
        const char* list = direction == IoDirection::Input ? "input" : "output";
        int number = 0;
        for (const auto& point : io.Points(direction)) {
            ++number;
            if (!IsValidPgn(point.pgn)) {
                check.messages.push_back(
                    InvalidEntry(FormatText("%s: %s point %d has PGN %u; J1939 PGNs are 0 to 0x%X",
                                            f_szInvalidPgn, list, number, point.pgn, f_nMaxPgn),
                                 Field::Pgn));
            }
            if (point.dataLength == 0) {
                check.messages.push_back(
                    InvalidEntry(FormatText("%s: %s point %d has a data length of 0",
                                            f_szInvalidDataSize, list, number),
                                 Field::DataLength));
            }
        }
    }
    check.passed = check.messages.empty();
    return check;
}

TableCheck CheckTableBeforeDownload(const CJ1939IO& io, const DataTableLimits& limits,
                                    const PgnLimits& pgnLimits) {
    TableCheck check = CheckPointValues(io);
    for (const TableCheck& next : {CheckWholeTable(&io, limits), CheckPgnCounts(io, pgnLimits)}) {
        check.passed = check.passed && next.passed;
        check.messages.insert(check.messages.end(), next.messages.begin(), next.messages.end());
    }
    return check;
}

}  // namespace gantry::tool
