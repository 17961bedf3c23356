// The J1939 NAME dialog without a window: the dialog's own copy of the 8 NAME
// bytes, the texts of its eight byte entries and seven component entries, the
// Industry Group selection, the Arbitrary Address Capable box, and which of
// the two groups the user edited last (the source). Apply checks the source
// group's texts and recomputes the other group from them; a refusal changes
// nothing. The dialog draws what the editor holds and shows its refusals.
//
// One thread (the dialog's).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "tool/model/J1939Settings.h"
#include "tool/session/EntryRules.h"

namespace gantry::tool {

// Which group of entries the user edited last.
enum class NameSource { Bytes, Components };

// The component entries, in the order Apply checks them.
enum class NameComponent {
    IdentityNumber,
    ManufacturerCode,
    EcuInstance,
    FunctionInstance,
    Function,
    VehicleSystem,
    VehicleSystemInstance,
};
inline constexpr int f_nNameComponentCount = 7;

// "Identity Number", ... as the messages name the component.
const char* NameComponentName(NameComponent component);
// The highest value the component's bits hold (2097151 for Identity Number).
std::uint32_t NameComponentMaximum(NameComponent component);
// Names of the entries (the dialog's object names): "name_byte_0" (the
// least significant byte) to "name_byte_7", "identity_number", ...
std::string NameByteField(int byteIndex);
const char* NameComponentField(NameComponent component);
// The name of the entry a refusal's field stands for ("" for other fields).
std::string NameEntryName(Field field);

inline constexpr const char* f_szNameByteLength =
    "Byte length is limited to 2 hexadecimal characters in the range 0 - F";
inline constexpr const char* f_szNameByteDigits =
    "Each byte should be represented by up to 2 hexadecimal characters in the range 0 - F";
inline constexpr const char* f_szNameCaption = "Warning";
inline constexpr const char* f_szNameDialogTitle = "J1939 Device NAME";

class CJ1939NameEditor {
public:
    // Starts from `name`: byte texts "%02X", component texts "%d", bytes the
    // source.
    explicit CJ1939NameEditor(const J1939Name& name);

    // The editor's copy of the bytes (changed only by a successful Apply).
    const J1939Name& Name() const { return m_name; }
    // Text of byte `byteIndex` (0 = least significant, the entry labelled "1").
    const std::string& ByteText(int byteIndex) const;
    const std::string& ComponentText(NameComponent component) const;
    // Industry Group list selection: 0 to 6, -1 for none.
    int IndustryGroupSelection() const { return m_industryGroup; }
    bool ArbitraryAddressCapable() const { return m_arbitraryAddressCapable; }
    NameSource Source() const { return m_source; }

    // The user's edits. A byte text makes the bytes the source; a component
    // text, an Industry Group choice or the box makes the components the
    // source. An index or component out of range is ignored.
    void SetByteText(int byteIndex, std::string text);
    void SetComponentText(NameComponent component, std::string text);
    void SelectIndustryGroup(int selection);
    void SetArbitraryAddressCapable(bool capable);
    // Leaving an entry of a group makes that group the source.
    void MarkSource(NameSource source) { m_source = source; }

    // "&Apply" and "&OK": checks the source group's texts in order and stops
    // at the first refusal (returned; nothing changes). Accepted: the bytes
    // take the new value and the other group is rewritten from it.
    std::optional<Refusal> Apply();

private:
    std::optional<Refusal> ApplyBytes();
    std::optional<Refusal> ApplyComponents();
    void ShowBytes();
    void ShowComponents();

    J1939Name m_name{};
    std::array<std::string, 8> m_byteTexts;
    std::array<std::string, f_nNameComponentCount> m_componentTexts;
    int m_industryGroup = -1;
    bool m_arbitraryAddressCapable = false;
    NameSource m_source = NameSource::Bytes;
};

}  // namespace gantry::tool
