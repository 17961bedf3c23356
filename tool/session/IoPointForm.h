// The edit-point screen without a window: the entry texts, the type list's
// selection, the labels that follow the column modes and the table type,
// which entries are read-only or hidden, and the screen's events (type
// change, leaving the offset entry, Apply, OK) over the I/O table rules. The
// dialog copies the user's texts in, calls an event and draws the form again.
//
// A form works on a copy of the point; only the caller changes the table, and
// only after Confirm passed. Main thread only.
#pragma once

#include <optional>
#include <string>

#include "tool/model/IoRules.h"
#include "tool/model/J1939IO.h"
#include "tool/session/IoListPresentation.h"

namespace gantry::tool {

// The texts of the entry fields, as shown and as the user left them.
struct IoPointTexts {
    std::string dataOffset;
    std::string dataLength;  // a DTC table: its DTC count
    std::string pgn;
    std::string address;
    std::string updateRate;
    std::string messageOffset;
    std::string priority;

    bool operator==(const IoPointTexts&) const = default;
};

inline constexpr const char* f_szEditPointTitle = "Edit J1939 I/O Point";
inline constexpr const char* f_szBitsUnit = "Bits (Byte,bit)";
inline constexpr const char* f_szMillisecondsUnit = "Millisecs";

// Reads the priority entry: blanks around the text are ignored, then the text
// is read as a plain decimal number ("0x" switches to hexadecimal) and must
// give 0 to 255, the field's range. Anything else gives 256, which the OK
// check refuses with its priority message.
unsigned ReadPriorityEntry(const std::string& text);

class IoPointForm {
public:
    // A new point in `direction` (the focused list's): type Input or Output,
    // offset at the used end of that direction, priority 6, the other
    // entries empty.
    static IoPointForm ForNewPoint(const CJ1939IO& io, IoDirection direction,
                                   const IoColumnModes& modes);
    // An existing point, `index` in the array of its direction: every entry
    // shows its value in its column's mode and the type list is disabled.
    static IoPointForm ForPoint(const tagJ1939DataPoint& point, int index,
                                const IoColumnModes& modes);

    IoPointTexts texts;

    int TableType() const { return m_tableType; }
    bool IsEditing() const { return m_editIndex >= 0; }
    int EditIndex() const { return m_editIndex; }
    // The point's direction (from the type list's selection).
    IoDirection Direction() const;
    const IoColumnModes& Modes() const { return m_modes; }

    bool TypeListEnabled() const { return !IsEditing(); }
    // A DTC table's PGN and message offset are fixed.
    bool PgnReadOnly() const;
    bool MessageOffsetReadOnly() const { return PgnReadOnly(); }
    // Only an output point has a priority to enter.
    bool PriorityVisible() const { return m_tableType == JT_Output; }

    std::string GroupLabel() const;  // "Data", or "Table" for a DTC table
    std::string OffsetLabel() const;
    std::string LengthLabel() const;  // "Length", or "Size" for a DTC table
    std::string PgnLabel() const;
    std::string AddressLabel() const;
    std::string RateLabel() const;
    std::string MessageOffsetLabel() const;

    // The type list's selection changed to `type` (0 to 3). Choosing the same
    // entry again, or a type outside 0 to 3, changes nothing (false).
    bool SelectType(int type, const CJ1939IO& io);
    // The offset entry lost the focus: a DTC table's offset off a 16-bit
    // boundary moves to the next boundary; the notice to show is returned.
    std::optional<Refusal> LeaveOffset();
    // "&Apply": the three bit quantities are checked and, when all are valid,
    // rewritten in their shown form. The refusal to show, if any.
    std::optional<Refusal> Apply();
    // "&OK": the whole check in its fixed order against the table. The form
    // itself does not change; a passed check carries the record to store.
    PointValidation Confirm(const CJ1939IO& io, const DataTableLimits& limits,
                            const PgnLimits& pgnLimits) const;

    // The entries as the rules read them.
    PointEntry Entry() const;

private:
    explicit IoPointForm(const IoColumnModes& modes) : m_modes(modes) {}
    std::string WithHex(const char* label, bool hex) const;

    IoColumnModes m_modes;
    int m_tableType = JT_Input;  // also the last selected type
    int m_editIndex = -1;
};

}  // namespace gantry::tool
