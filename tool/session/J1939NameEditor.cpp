#include "tool/session/J1939NameEditor.h"

#include <cstdio>

namespace gantry::tool {

namespace {

struct ComponentInfo {
    const char* name;
    const char* field;
    std::uint32_t maximum;
};

constexpr ComponentInfo f_components[f_nNameComponentCount] = {
    {"Identity Number", "identity_number", 2097151},
    {"Manufacturer Code", "manufacturer_code", 2047},
    {"ECU Instance", "ecu_instance", 7},
    {"Function Instance", "function_instance", 31},
    {"Function", "function", 255},
    {"Vehicle System", "vehicle_system", 127},
    {"Vehicle System Instance", "vehicle_system_instance", 15},
};

const ComponentInfo& InfoOf(NameComponent component) {
    return f_components[static_cast<int>(component)];
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

Refusal Warning(std::string text, Field field) {
    return Refusal{std::move(text), f_szNameCaption, field, NotifyIcon::None};
}

// The fields of the bytes and of the components follow in their entries' order.
Field ByteFieldOf(int byteIndex) {
    return static_cast<Field>(static_cast<int>(Field::NameByte0) + byteIndex);
}
Field ComponentFieldOf(NameComponent component) {
    return static_cast<Field>(static_cast<int>(Field::IdentityNumber) +
                              static_cast<int>(component));
}

// The component's value in its NAME record.
std::uint32_t& ValueOf(J1939NameComponents& c, NameComponent component) {
    switch (component) {
        case NameComponent::IdentityNumber:
            return c.identityNumber;
        case NameComponent::ManufacturerCode:
            return c.manufacturerCode;
        case NameComponent::EcuInstance:
            return c.ecuInstance;
        case NameComponent::FunctionInstance:
            return c.functionInstance;
        case NameComponent::Function:
            return c.function;
        case NameComponent::VehicleSystem:
            return c.vehicleSystem;
        case NameComponent::VehicleSystemInstance:
            break;
    }
    return c.vehicleSystemInstance;
}

}  // namespace

const char* NameComponentName(NameComponent component) {
    return InfoOf(component).name;
}

std::uint32_t NameComponentMaximum(NameComponent component) {
    return InfoOf(component).maximum;
}

std::string NameByteField(int byteIndex) {
    return "name_byte_" + std::to_string(byteIndex);
}

const char* NameComponentField(NameComponent component) {
    return InfoOf(component).field;
}

std::string NameEntryName(Field field) {
    const int index = static_cast<int>(field);
    const int firstByte = static_cast<int>(Field::NameByte0);
    const int firstComponent = static_cast<int>(Field::IdentityNumber);
    if (index >= firstByte && index < firstComponent) {
        return NameByteField(index - firstByte);
    }
    if (index >= firstComponent && index < firstComponent + f_nNameComponentCount) {
        return NameComponentField(static_cast<NameComponent>(index - firstComponent));
    }
    return "";
}

CJ1939NameEditor::CJ1939NameEditor(const J1939Name& name) : m_name(name) {
    ShowBytes();
    ShowComponents();
}

const std::string& CJ1939NameEditor::ByteText(int byteIndex) const {
    return m_byteTexts.at(static_cast<std::size_t>(byteIndex));
}

const std::string& CJ1939NameEditor::ComponentText(NameComponent component) const {
    return m_componentTexts.at(static_cast<std::size_t>(component));
}

void CJ1939NameEditor::SetByteText(int byteIndex, std::string text) {
    if (byteIndex < 0 || byteIndex >= 8) {
        return;
    }
    m_byteTexts[static_cast<std::size_t>(byteIndex)] = std::move(text);
    m_source = NameSource::Bytes;
}

void CJ1939NameEditor::SetComponentText(NameComponent component, std::string text) {
    const int index = static_cast<int>(component);
    if (index < 0 || index >= f_nNameComponentCount) {
        return;
    }
    m_componentTexts[static_cast<std::size_t>(index)] = std::move(text);
    m_source = NameSource::Components;
}

void CJ1939NameEditor::SelectIndustryGroup(int selection) {
    m_industryGroup = selection >= 0 && selection < f_nIndustryGroupNameCount ? selection : -1;
    m_source = NameSource::Components;
}

void CJ1939NameEditor::SetArbitraryAddressCapable(bool capable) {
    m_arbitraryAddressCapable = capable;
    m_source = NameSource::Components;
}

std::optional<Refusal> CJ1939NameEditor::Apply() {
    return m_source == NameSource::Bytes ? ApplyBytes() : ApplyComponents();
}

std::optional<Refusal> CJ1939NameEditor::ApplyBytes() {
    std::array<std::string, 8> texts = m_byteTexts;
    J1939Name name{};
    // in the order the entries are shown: "8" (the most significant) first
    for (int i = 7; i >= 0; --i) {
        std::string& text = texts[static_cast<std::size_t>(i)];
        if (text.empty()) {
            text = "00";
        } else if (text.size() == 1) {
            text = "0" + text;
        }
        if (text.size() > 2) {
            return Warning(f_szNameByteLength, ByteFieldOf(i));
        }
        if (!IsHexDigit(text[0]) || !IsHexDigit(text[1])) {
            return Warning(f_szNameByteDigits, ByteFieldOf(i));
        }
        name[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(std::stoul(text, nullptr, 16));
    }
    m_byteTexts = texts;
    m_name = name;
    ShowComponents();
    return std::nullopt;
}

std::optional<Refusal> CJ1939NameEditor::ApplyComponents() {
    std::array<std::string, f_nNameComponentCount> texts = m_componentTexts;
    J1939NameComponents components;
    for (int i = 0; i < f_nNameComponentCount; ++i) {
        const auto component = static_cast<NameComponent>(i);
        const ComponentInfo& info = InfoOf(component);
        std::string& text = texts[static_cast<std::size_t>(i)];
        if (text.empty()) {
            text = "0";
        }
        std::uint64_t value = 0;
        for (char c : text) {
            if (c < '0' || c > '9') {
                return Warning(std::string(info.name) + " must be entered in decimal format",
                               ComponentFieldOf(component));
            }
            // saturates: any longer run of digits is above every maximum
            value = value > info.maximum ? value : value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value > info.maximum) {
            return Warning(
                std::string(info.name) + " must be between 0 and " + std::to_string(info.maximum),
                ComponentFieldOf(component));
        }
        ValueOf(components, component) = static_cast<std::uint32_t>(value);
    }
    components.industryGroup =
        m_industryGroup < 0 ? 0u : static_cast<std::uint32_t>(m_industryGroup);
    components.arbitraryAddressCapable = m_arbitraryAddressCapable;
    m_componentTexts = texts;
    m_name = PackJ1939Name(components);
    ShowBytes();
    return std::nullopt;
}

void CJ1939NameEditor::ShowBytes() {
    for (std::size_t i = 0; i < m_name.size(); ++i) {
        char text[3];
        std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(m_name[i]));
        m_byteTexts[i] = text;
    }
}

void CJ1939NameEditor::ShowComponents() {
    J1939NameComponents components = UnpackJ1939Name(m_name);
    for (int i = 0; i < f_nNameComponentCount; ++i) {
        m_componentTexts[static_cast<std::size_t>(i)] =
            std::to_string(ValueOf(components, static_cast<NameComponent>(i)));
    }
    // the list names 0 to 6 only: group 7 shows no selection
    m_industryGroup =
        components.industryGroup < static_cast<std::uint32_t>(f_nIndustryGroupNameCount)
            ? static_cast<int>(components.industryGroup)
            : -1;
    m_arbitraryAddressCapable = components.arbitraryAddressCapable;
}

}  // namespace gantry::tool
