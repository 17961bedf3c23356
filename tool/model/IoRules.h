// The rules every J1939 I/O point must satisfy: entry syntax of the numeric
// fields, data-table bounds, overlap, PGN counting, the checks of the edit-point
// screen, and the whole-table checks before a download. Rules return their
// verdict as a value; the screens show it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tool/model/J1939IO.h"
#include "tool/model/Limits.h"
#include "tool/model/Refusal.h"

namespace gantry::tool {

constexpr const char* f_szInvalidEntry = "Invalid Entry";
constexpr const char* f_szConfigurationLimit = "Configuration Limit";
constexpr const char* f_szInvalidParameters = "Invalid Parameters";
// The application's title, the caption of the diagnostic alignment notice.
constexpr const char* f_szApplicationTitle = "Gantry Configuration";

constexpr std::uint32_t f_nInvalidBits = 65535;
constexpr std::uint32_t f_nApplyBoundBits = 16384;
constexpr std::uint32_t f_nMessageOffsetLimitBits = 14280;
// J1939 PGNs have 18 bits.
constexpr std::uint32_t f_nMaxPgn = 0x3FFFF;
constexpr const char* f_szInvalidPgn = "Invalid PGN";
constexpr const char* f_szInvalidDataSize = "Invalid Data Size";

// A PGN a point may carry: 0 to f_nMaxPgn.
constexpr bool IsValidPgn(std::uint32_t pgn) {
    return pgn <= f_nMaxPgn;
}

// Display mode of each list column; true = hexadecimal. All start decimal.
struct ColumnModes {
    bool tableOffset = false;
    bool dataLength = false;
    bool pgn = false;
    bool targetAddress = false;
    bool updateRate = false;
    bool messageOffset = false;
};

// Reads a bit quantity ("19", "2,3", "2.3", "19 (2,3)"). Returns the bits, or
// f_nInvalidBits for a text with a character outside digits, blank , . ( )
// (and A-F/a-f in hexadecimal mode) or a value of 65535 or more.
std::uint32_t ReadBitQuantity(const std::string& text, bool hex);
// "%hu (%hu,%hu)" / "%hX (%hX,%hX)" of bits, bytes, bit.
std::string ShowBitQuantity(std::uint16_t bits, bool hex);
// The list form, "%4hu (%hu,%hu)" / "%4hX (%hX,%hX)".
std::string ShowBitQuantityInList(std::uint16_t bits, bool hex);
// A DTC table's length shown as its DTC count, (length − 16) ÷ 32.
std::string ShowDtcCount(std::uint16_t dataLength, bool hex);

// Reads a PGN, target address or update rate: radix 16 when the text holds
// "0x"/"0X", else the column's radix; trailing characters ignored. A 0 is
// valid only from "0", "0x0" or "0X0".
std::optional<std::uint32_t> ReadPlainNumber(const std::string& text, bool hex);

// Data-table bounds of a point in a direction: 0 in bounds, −1 outside the
// direction's table, −2 over the combined limit.
int CheckDataTableBounds(const CJ1939IO& io, const DataTableLimits& limits, IoDirection direction,
                         std::uint32_t offset, std::uint32_t length);

// True when [offset, offset + length) collides with another point of the
// direction (editIndex: the edited point's index there, −1 for a new point).
bool OverlapsAnotherPoint(const CJ1939IO& io, IoDirection direction, std::uint32_t offset,
                          std::uint32_t length, int editIndex);

// Number of distinct (pgn, address) pairs.
int CountPgns(const std::vector<tagJ1939DataPoint>& points);
// True when the pair still fits the limit (a pair already present is free).
bool PgnPairFits(const std::vector<tagJ1939DataPoint>& points, std::uint32_t pgn,
                 std::uint8_t address, int limit);

// The entries of the edit-point screen as the user left them.
struct PointEntry {
    int tableType = JT_Input;  // the type list's selection
    std::string pgn;
    std::string address;
    unsigned priority = 6;  // the priority field holds 0 to 255
    std::string dataOffset;
    std::string dataLength;  // a DTC count for table types 2 and 3
    std::string updateRate;
    std::string messageOffset;
};

struct PointValidation {
    std::optional<Refusal> failure;
    tagJ1939DataPoint point;  // the record to add or store, when no failure
};

// The OK check of the edit-point screen, in its fixed order; the first failure
// is returned and nothing is changed. editIndex is the edited point's index in
// the array of its direction, −1 for a new point.
PointValidation ValidatePointEntry(const PointEntry& entry, const ColumnModes& modes, int editIndex,
                                   const CJ1939IO& io, const DataTableLimits& limits,
                                   const PgnLimits& pgnLimits);

struct ApplyResult {
    std::optional<Refusal> failure;
    // the normalised texts when all three are valid
    std::string dataOffset;
    std::string dataLength;
    std::string messageOffset;
};

// The Apply button: checks and normalises the three bit quantities only.
ApplyResult ApplyPointEntry(const PointEntry& entry, const ColumnModes& modes);

// Offset proposed for a DTC table: the input used end rounded up to 16 bits.
std::uint32_t ProposeDtcOffset(const CJ1939IO& io);

struct AlignmentNotice {
    Refusal message;
    std::uint32_t offset = 0;
    std::string offsetText;
};

// Leaving the offset field of a DTC table: a notice and the moved offset when
// the offset is not on a 16-bit boundary; nothing when it is (or is invalid,
// which the OK check reports).
std::optional<AlignmentNotice> AlignDtcOffset(const std::string& offsetText, bool hex);

// Refusal of Add when the two arrays hold the total point limit or more.
std::optional<Refusal> CheckCanAddPoint(const CJ1939IO& io);
// A table of more than the total point limit cannot be downloaded, with the
// text of the Add refusal.
std::optional<Refusal> CheckPointCountForDownload(const CJ1939IO& io);
// A new point of the direction: offset at the used end, priority 6.
tagJ1939DataPoint ProposeNewPoint(const CJ1939IO& io, IoDirection direction);

// The verdict of a whole-table check; several messages may come together.
struct TableCheck {
    bool passed = true;
    std::vector<Refusal> messages;
};

// Every point against the data-table limits. A table not bound to a screen
// (nullptr) passes.
TableCheck CheckWholeTable(const CJ1939IO* io, const DataTableLimits& limits);
// The PGN counts of both directions against their limits.
TableCheck CheckPgnCounts(const CJ1939IO& io, const PgnLimits& pgnLimits);
// Each point's own values as a file may hold them: a PGN above f_nMaxPgn or a
// data length of 0 is refused, naming the point ("Invalid PGN: input point 3
// has PGN 999999; J1939 PGNs are 0 to 0x3FFFF").
TableCheck CheckPointValues(const CJ1939IO& io);
// The three checks, every message; the download goes ahead only when all pass.
TableCheck CheckTableBeforeDownload(const CJ1939IO& io, const DataTableLimits& limits,
                                    const PgnLimits& pgnLimits);

}  // namespace gantry::tool
