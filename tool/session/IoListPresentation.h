// The two J1939 I/O lists as the tool shows them: the seven columns with
// their display modes, the header texts, every cell text, the PGN counts and
// the limits, and how the columns share a list's width. Pure functions, shared
// by the desktop lists and the command line's summary so that both show the
// same texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tool/model/IoRules.h"
#include "tool/model/J1939IO.h"

namespace gantry::tool {

// The columns in their fixed positions.
enum class IoColumn {
    TableOffset = 0,
    DataLength = 1,
    Pgn = 2,
    Priority = 3,
    TargetAddress = 4,
    UpdateRate = 5,
    MessageOffset = 6,
};
inline constexpr int f_nIoColumnCount = 7;
IoColumn IoColumnAt(int position);  // position 0..6; out of range clamps

// Display mode of each column, decimal or hexadecimal; all start decimal.
// The Priority column has a mode too, but always shows decimal.
class IoColumnModes {
public:
    bool IsHex(IoColumn column) const { return m_hex[static_cast<std::size_t>(column)]; }
    void SetHex(IoColumn column, bool hex) { m_hex[static_cast<std::size_t>(column)] = hex; }
    // The modes in which the edit-point form reads and shows its fields.
    ColumnModes FieldModes() const;
    // One bit per position (set = hexadecimal), for keeping the modes between
    // runs; bits above position 6 are ignored.
    unsigned ToBits() const;
    static IoColumnModes FromBits(unsigned bits);

    bool operator==(const IoColumnModes&) const = default;

private:
    std::array<bool, f_nIoColumnCount> m_hex{};
};

// Header text of a column in a mode; "\n" breaks a two-line header.
std::string IoColumnHeader(IoColumn column, bool hex);
// Header text of a column in its current mode.
std::string IoColumnHeader(IoColumn column, const IoColumnModes& modes);

// The text of one cell of the list of `list` (the input list shows "**" for a
// priority). Quantities are shown unsigned: a rate of 40000 ms is "40000".
std::string IoCellText(const tagJ1939DataPoint& point, IoColumn column, const IoColumnModes& modes,
                       IoDirection list);
// The seven cells of a row, by position.
std::vector<std::string> IoRowTexts(const tagJ1939DataPoint& point, const IoColumnModes& modes,
                                    IoDirection list);

// "Input", "Output", "Active DTC Table", "Previously Active DTC Table" for
// table types 0 to 3 (the edit-point screen's type list); "?" otherwise.
std::string IoTableTypeName(std::uint8_t table);

// The group titles of the two lists and the labels beside the counts.
inline constexpr const char* f_szInputTableTitle = "J1939 Input I/O Table";
inline constexpr const char* f_szOutputTableTitle = "J1939 Output I/O Table";
inline constexpr const char* f_szPgnCountLabel = "PGN Count:";
inline constexpr const char* f_szTotalCountLabel = "Total Datapoint Count:";
const char* IoTableTitle(IoDirection list);

// The PGN count of a direction ("%d", distinct (PGN, address) pairs), its
// limit ("of %d"), the total of both arrays ("%d") and its limit ("of 200").
std::string IoPgnCountText(const CJ1939IO& io, IoDirection list);
std::string IoPgnLimitText(const PgnLimits& limits, IoDirection list);
std::string IoTotalCountText(const CJ1939IO& io);
std::string IoTotalLimitText();

// Column widths for a list `clientWidth` pixels wide: the input list hides
// the Priority column (width 0) and gives the other six a sixth each, the
// output list gives all seven a seventh each; the last column takes the rest.
// A negative width counts as 0.
std::array<int, f_nIoColumnCount> IoColumnWidths(IoDirection list, int clientWidth);

// The column header's "Dec / Hex" menu.
inline constexpr const char* f_szDecimalItem = "&Decimal";
inline constexpr const char* f_szHexadecimalItem = "&Hexadecimal";

}  // namespace gantry::tool
