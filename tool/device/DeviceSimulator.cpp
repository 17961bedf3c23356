#include "tool/device/DeviceSimulator.h"

#include <strings.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <span>
#include <vector>

#include "common/Assert.h"
#include "common/ProfileFile.h"
#include "tool/device/DeviceRequest.h"

namespace gantry::tool {

namespace {

// The general status of a write the profile could not take (a read-only file
// or folder): the gateway never answers as stored what was not.
constexpr std::uint8_t f_nStoreFailure = 0x19;
// every value is read into a 260-byte buffer, so at most 259 characters count
constexpr std::uint32_t f_nValueBufferSize = 260;
constexpr std::uint16_t f_nUpdateChunkSize = 128;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
    char text[64];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

// Numbers as the simulator reads them: the leading number of the text, as
// strtol reads it; unparsable text reads 0. Values wrap to 32 bits.
std::int64_t ParseBase(const std::string& text, int base) {
    return static_cast<std::int64_t>(std::strtoll(text.c_str(), nullptr, base));
}

// "0x" anywhere in the text means base 16, else base 10.
std::uint32_t ParseHexOrDecimal(const std::string& text) {
    const int base = text.find("0x") != std::string::npos ? 16 : 10;
    return static_cast<std::uint32_t>(ParseBase(text, base));
}

std::uint32_t ParseDecimal(const std::string& text) {
    return static_cast<std::uint32_t>(ParseBase(text, 10));
}

// The index of `text` among `names` (case ignored; an empty text gives
// `emptyValue` when it is not negative), else the text read as a decimal.
std::uint32_t ParseChoice(const std::string& text, std::initializer_list<const char*> names,
                          int emptyValue = -1) {
    if (text.empty() && emptyValue >= 0) {
        return static_cast<std::uint32_t>(emptyValue);
    }
    std::uint32_t index = 0;
    for (const char* name : names) {
        if (strcasecmp(text.c_str(), name) == 0) {
            return index;
        }
        ++index;
    }
    return ParseDecimal(text);
}

// The name for `value`, or an empty text when it has none.
std::string ChoiceName(std::uint32_t value, std::initializer_list<const char*> names) {
    return value < names.size() ? std::string(names.begin()[value]) : std::string();
}

struct SimReply {
    std::uint8_t status = DST_Success;
    std::vector<std::uint8_t> data;

    void Byte(std::uint32_t value) { data.push_back(static_cast<std::uint8_t>(value)); }
    void Word(std::uint32_t value) {
        Byte(value);
        Byte(value >> 8);
    }
    void Long(std::uint32_t value) {
        Word(value);
        Word(value >> 16);
    }
    void Refuse(std::uint8_t code) {
        status = code;
        data.clear();
    }
};

// One request: the decoded header, the data and the profile file.
struct SimRequest {
    std::uint8_t service = 0;
    std::uint16_t classId = 0;
    std::uint16_t instance = 0;
    int attribute = 0;
    std::span<const std::uint8_t> data;

    // Data bytes past the end read as 0.
    std::uint8_t DataByte(std::size_t index) const { return index < data.size() ? data[index] : 0; }
    std::uint32_t DataWord(std::size_t index) const {
        return DataByte(index) | (DataByte(index + 1) << 8);
    }
    std::uint32_t DataLong(std::size_t index) const {
        return DataWord(index) | (DataWord(index + 2) << 16);
    }
};

class CSimFile {
public:
    explicit CSimFile(const std::string& file) : m_file(file) {}

    std::string Read(const std::string& section, const char* key) const {
        char value[f_nValueBufferSize] = {};
        GetProfileString(section.c_str(), key, "", value, f_nValueBufferSize, m_file);
        return value;
    }
    // A write that cannot be stored is remembered: the request is then refused.
    void Write(const std::string& section, const char* key, const std::string& value) {
        m_lost = !WriteProfileString(m_file, section, key, value) || m_lost;
    }
    void Delete(const std::string& section, const char* key) {
        m_lost = !DeleteProfileKey(m_file, section, key) || m_lost;
    }
    bool LostWrite() const { return m_lost; }

private:
    const std::string& m_file;
    bool m_lost = false;
};

const char* const f_szIdentity = "Identity";
const char* const f_szDeviceNet = "DNetConfig";
const char* const f_szJ1939 = "J1939Config";
const char* const f_szModbus = "ModbusConfig";
const char* const f_szEthernet = "EthernetConfig";
const char* const f_szModbusEthernet = "ModbusTCPConfig";

std::string NumberedSection(const char* prefix, int instance) {
    return prefix + std::to_string(instance);
}

std::uint32_t ParseInterfaceType(const std::string& text) {
    const int code = InterfaceTypeFromName(text);
    return code >= 0 ? static_cast<std::uint32_t>(code) : ParseHexOrDecimal(text);
}

void ReadRevisionText(const std::string& text, SimReply& reply) {
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos) {
        reply.Word(0);
        return;
    }
    reply.Byte(ParseDecimal(text.substr(0, dot)));
    reply.Byte(ParseDecimal(text.substr(dot + 1)));
}

// The 64-bit NAME, written most significant digit first, answered least
// significant byte first.
void ReadDeviceName(const std::string& text, SimReply& reply) {
    std::uint64_t name = std::strtoull(text.c_str(), nullptr, 16);
    for (int i = 0; i < 8; ++i, name >>= 8) {
        reply.Byte(static_cast<std::uint32_t>(name & 0xFF));
    }
}

std::string DeviceNameText(const SimRequest& request) {
    std::string text;
    for (int i = 7; i >= 0; --i) {
        text += Format("%02hX",
                       static_cast<unsigned short>(request.DataByte(static_cast<std::size_t>(i))));
    }
    return text;
}

// Pairs of hexadecimal digits; an odd trailing digit is ignored.
void ReadAddressList(const std::string& text, SimReply& reply) {
    const std::size_t count = text.size() / 2;
    reply.Byte(static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        reply.Byte(
            static_cast<std::uint32_t>(std::strtoul(text.substr(2 * i, 2).c_str(), nullptr, 16)));
    }
}

std::string AddressListText(const SimRequest& request) {
    // a count beyond the bytes that came is cut to them
    std::size_t count = request.DataByte(0);
    if (count + 1 > request.data.size()) {
        count = request.data.empty() ? 0 : request.data.size() - 1;
    }
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += Format("%02X", request.DataByte(i + 1));
    }
    return text;
}

}  // namespace

// The handlers of one request, with the simulator's state at hand.
class CSimHandlers {
public:
    CSimHandlers(DeviceSimulator& simulator, const SimRequest& request, SimReply& reply)
        : m_sim(simulator), m_file(simulator.m_profile), m_request(request), m_reply(reply) {}

    void Dispatch();
    // Some write of the request could not be stored in the profile.
    bool LostWrite() const { return m_file.LostWrite(); }

private:
    bool Complete() const { return m_sim.m_complete; }
    void Identity();
    void IdentityGet();
    void DeviceNet();
    void J1939Settings();
    void J1939Table();
    void J1939PointGet();
    void J1939PointSet();
    void Modbus();
    void Ethernet();
    void ModbusEthernet();
    void FirmwareStorage();
    void FirmwareStorageGet();
    // Complete mode: a one-or-two-byte attribute kept under `key` of `section`;
    // a key never written answers 0x14.
    void StoredGet(const char* section, const char* key, int width);
    void StoredSet(const char* section, const char* key, int width);

    DeviceSimulator& m_sim;
    CSimFile m_file;
    const SimRequest& m_request;
    SimReply& m_reply;
};

void CSimHandlers::Dispatch() {
    if (Complete() && m_request.service == SVC_Save) {
        switch (m_request.classId) {
            case CLS_DeviceNet:
            case CLS_J1939Settings:
            case CLS_J1939IoTable:
            case CLS_Modbus:
            case CLS_EthernetInterface:
            case CLS_ModbusEthernet:
                return;  // the settings are already where they are kept
            default:
                break;
        }
    }
    switch (m_request.classId) {
        case CLS_Identity:
            return Identity();
        case CLS_DeviceNet:
            return DeviceNet();
        case CLS_J1939Settings:
            return J1939Settings();
        case CLS_J1939IoTable:
            return J1939Table();
        case CLS_Modbus:
            return Modbus();
        case CLS_FirmwareStorage:
            return FirmwareStorage();
        case CLS_EthernetInterface:
            if (Complete()) {
                return Ethernet();
            }
            break;
        case CLS_ModbusEthernet:
            if (Complete()) {
                return ModbusEthernet();
            }
            break;
        default:
            break;
    }
    m_reply.Refuse(DST_ObjectNotFound);
}

void CSimHandlers::StoredGet(const char* section, const char* key, int width) {
    const std::string text = m_file.Read(section, key);
    if (text.empty()) {
        return m_reply.Refuse(DST_AttributeNotSupported);
    }
    const std::uint32_t value = ParseHexOrDecimal(text);
    width == 2 ? m_reply.Word(value) : m_reply.Byte(value);
}

void CSimHandlers::StoredSet(const char* section, const char* key, int width) {
    const std::uint32_t value = width == 2 ? m_request.DataWord(0) : m_request.DataByte(0);
    m_file.Write(section, key, Format("%u", static_cast<unsigned>(value)));
}

void CSimHandlers::Identity() {
    if (m_request.instance != 1) {
        return m_reply.Refuse(DST_ObjectNotFound);
    }
    switch (m_request.service) {
        case SVC_Reset:
            for (int area = 1; area <= 4; ++area) {
                m_file.Write(NumberedSection("NVS_", area), "Status", "0");
            }
            m_sim.BeginResetDowntime();
            return;
        case SVC_GetAttributeSingle:
            return IdentityGet();
        case SVC_SetAttributeSingle:
            if (m_request.attribute == 103) {
                return m_file.Write(f_szIdentity, "Run Mode", Format("%d", m_request.DataByte(0)));
            }
            if (m_request.attribute == 104 && Complete()) {
                return m_file.Write(f_szIdentity, "Major Fault", "0");
            }
            return m_reply.Refuse(DST_AttributeNotSupported);
        default:
            return m_reply.Refuse(DST_ServiceNotSupported);
    }
}

void CSimHandlers::IdentityGet() {
    auto read = [this](const char* key) { return m_file.Read(f_szIdentity, key); };
    switch (m_request.attribute) {
        case 3:
            return m_reply.Long(ParseHexOrDecimal(read("Product Code")));
        case 4:
            return ReadRevisionText(read("Firmware Revision"), m_reply);
        case 6:
            return m_reply.Long(ParseHexOrDecimal(read("Serial Number")));
        case 7: {
            // one length byte: a longer name is cut at 255 characters
            std::string name = read("Product Name");
            if (name.size() > 255) {
                name.resize(255);
            }
            m_reply.Byte(static_cast<std::uint32_t>(name.size()));
            m_reply.data.insert(m_reply.data.end(), name.begin(), name.end());
            return;
        }
        case 101:
            return m_reply.Byte(ParseInterfaceType(read("Client Type")));
        case 102:
            return m_reply.Byte(ParseInterfaceType(read("Server Type")));
        case 103:
            return m_reply.Byte(ParseChoice(read("Run Mode"), {"Idle", "Run", "Faulted"}, 0));
        case 104:
            return m_reply.Byte(ParseHexOrDecimal(read("Major Fault")));
        default:
            return m_reply.Refuse(DST_AttributeNotSupported);
    }
}

void CSimHandlers::DeviceNet() {
    static const std::initializer_list<const char*> baudNames = {"125K", "250K", "500K"};
    if (m_request.instance != 1) {
        return m_reply.Refuse(DST_ObjectNotFound);
    }
    const int attribute = m_request.attribute;
    static const char* const storedKeys[] = {"AutoBaud", "Swap IO Bytes", nullptr,
                                             "Status Data In Input", "Input Safe State"};
    const char* storedKey =
        Complete() && attribute >= 100 && attribute <= 104 ? storedKeys[attribute - 100] : nullptr;
    switch (m_request.service) {
        case SVC_Reset:
            return;
        case SVC_GetAttributeSingle:
            if (attribute == 1) {
                return m_reply.Byte(ParseHexOrDecimal(m_file.Read(f_szDeviceNet, "MAC Address")));
            }
            if (attribute == 2) {
                return m_reply.Byte(
                    ParseChoice(m_file.Read(f_szDeviceNet, "Baud Rate"), baudNames));
            }
            if (storedKey != nullptr) {
                return StoredGet(f_szDeviceNet, storedKey, 1);
            }
            return m_reply.Refuse(DST_AttributeNotSupported);
        case SVC_SetAttributeSingle:
            if (attribute == 1) {
                return m_file.Write(f_szDeviceNet, "MAC Address",
                                    Format("%d", m_request.DataByte(0)));
            }
            if (attribute == 2) {
                return m_file.Write(f_szDeviceNet, "Baud Rate",
                                    ChoiceName(m_request.DataByte(0), baudNames));
            }
            if (storedKey != nullptr) {
                return StoredSet(f_szDeviceNet, storedKey, 1);
            }
            return m_reply.Refuse(DST_AttributeNotSupported);
        default:
            return m_reply.Refuse(DST_ServiceNotSupported);
    }
}

void CSimHandlers::J1939Settings() {
    if (m_request.instance != 1) {
        return m_reply.Refuse(DST_ObjectNotFound);
    }
    const int attribute = m_request.attribute;
    // complete mode: swap bytes, status data, offline detection time, baud rate
    static const char* const storedKeys[] = {"Swap IO Bytes", "Status Data In Input",
                                             "Offline Detection Time", "Baud Rate"};
    const char* storedKey =
        Complete() && attribute >= 7 && attribute <= 10 ? storedKeys[attribute - 7] : nullptr;
    const int storedWidth = attribute == 9 ? 2 : 1;
    auto read = [this](const char* key) { return m_file.Read(f_szJ1939, key); };
    switch (m_request.service) {
        case SVC_Reset:
            return;
        case SVC_GetAttributeSingle:
            switch (attribute) {
                case 1:
                    return m_reply.Byte(ParseDecimal(read("Status")));
                case 2:
                    return m_reply.Word(ParseHexOrDecimal(read("Major Fault")));
                case 3:
                    return m_reply.Byte(ParseHexOrDecimal(read("Network Address")));
                case 4:
                    return ReadDeviceName(read("Device Name"), m_reply);
                case 5:
                    return ReadAddressList(read("Network Address List"), m_reply);
                case 6:
                    return m_reply.Byte(ParseDecimal(read("Enable Bus Off CAN Reset")));
                default:
                    if (storedKey != nullptr) {
                        return StoredGet(f_szJ1939, storedKey, storedWidth);
                    }
                    return m_reply.Refuse(DST_AttributeNotSupported);
            }
        case SVC_SetAttributeSingle:
            switch (attribute) {
                case 4:
                    return m_file.Write(f_szJ1939, "Device Name", DeviceNameText(m_request));
                case 5:
                    return m_file.Write(f_szJ1939, "Network Address List",
                                        AddressListText(m_request));
                case 6:
                    return m_file.Write(f_szJ1939, "Enable Bus Off CAN Reset",
                                        m_request.DataByte(0) != 0 ? "1" : "0");
                default:
                    if (storedKey != nullptr) {
                        return StoredSet(f_szJ1939, storedKey, storedWidth);
                    }
                    return m_reply.Refuse(DST_AttributeNotSupported);
            }
        default:
            return m_reply.Refuse(DST_ServiceNotSupported);
    }
}

void CSimHandlers::J1939Table() {
    const bool single =
        m_request.service == SVC_GetAttributeSingle || m_request.service == SVC_SetAttributeSingle;
    const bool whole =
        m_request.service == SVC_GetAttributesAll || m_request.service == SVC_SetAttributesAll;
    if (!single && !whole) {
        return m_reply.Refuse(DST_ServiceNotSupported);
    }
    if ((single && m_request.instance != 0) || (whole && m_request.instance < 1)) {
        return m_reply.Refuse(DST_ObjectNotFound);
    }
    if (single && m_request.attribute != 1) {
        return m_reply.Refuse(DST_AttributeNotSupported);
    }
    switch (m_request.service) {
        case SVC_GetAttributeSingle:
            return m_reply.Word(ParseDecimal(m_file.Read("J1939IO_0", "NumberOfEntries")));
        case SVC_SetAttributeSingle:
            return m_file.Write("J1939IO_0", "NumberOfEntries",
                                Format("%d", m_request.DataWord(0)));
        case SVC_GetAttributesAll:
            return J1939PointGet();
        default:
            return J1939PointSet();
    }
}

void CSimHandlers::J1939PointGet() {
    const std::string section = NumberedSection("J1939IO_", m_request.instance);
    auto read = [&](const char* key) { return ParseHexOrDecimal(m_file.Read(section, key)); };
    IoPointRecord point;
    point.table = static_cast<std::uint8_t>(
        ParseChoice(m_file.Read(section, "Direction"), {"Input", "Output"}));
    point.dataOffset = static_cast<std::uint16_t>(read("Offset"));
    point.dataLength = static_cast<std::uint16_t>(read("Size"));
    point.updateRate = static_cast<std::uint16_t>(read("Update Rate"));
    point.address = static_cast<std::uint8_t>(read("Target Address"));
    point.pgn = read("PGN");
    point.messageOffset = static_cast<std::uint16_t>(read("Message Offset"));
    const std::string priority = m_file.Read(section, "Priority");
    point.priority = priority.empty() ? kDefaultIoPriority
                                      : static_cast<std::uint8_t>(ParseHexOrDecimal(priority));
    m_reply.data.resize(kIoPointRecordSize);
    EncodeIoPoint(point, kIoPointRecordSize, m_reply.data.data(), kIoPointRecordSize);
}

void CSimHandlers::J1939PointSet() {
    const int shortest = Complete() ? kIoPointRecordSizeOld : kIoPointRecordSize;
    IoPointRecord point;
    if (static_cast<int>(m_request.data.size()) < shortest ||
        !DecodeIoPoint(m_request.data.data(), static_cast<int>(m_request.data.size()), point)) {
        return m_reply.Refuse(DST_NotEnoughData);
    }
    const std::string section = NumberedSection("J1939IO_", m_request.instance);
    m_file.Write(section, "Direction",
                 point.table == 0   ? std::string("Input")
                 : point.table == 1 ? std::string("Output")
                                    : Format("%d", point.table));
    m_file.Write(section, "Offset", Format("%d", point.dataOffset));
    m_file.Write(section, "Size", Format("%d", point.dataLength));
    m_file.Write(section, "Update Rate", Format("%d", point.updateRate));
    m_file.Write(section, "Target Address", Format("%d", point.address));
    m_file.Write(section, "PGN", Format("%u", static_cast<unsigned>(point.pgn)));
    m_file.Write(section, "Message Offset", Format("%d", point.messageOffset));
    // the priority survives the round trip; a record without one leaves the default
    if (m_request.data.size() >= static_cast<std::size_t>(kIoPointRecordSize)) {
        m_file.Write(section, "Priority", Format("%d", point.priority));
    } else {
        m_file.Delete(section, "Priority");
    }
}

void CSimHandlers::Modbus() {
    static const std::initializer_list<const char*> parityNames = {"None", "Odd", "Even"};
    if (m_request.instance != 1) {
        return m_reply.Refuse(DST_ObjectNotFound);
    }
    const int attribute = m_request.attribute;
    const char* storedKey = !Complete()      ? nullptr
                            : attribute == 8 ? "Network Type"
                            : attribute == 9 ? "Network Duplex"
                                             : nullptr;
    auto read = [this](const char* key) { return m_file.Read(f_szModbus, key); };
    auto write = [this](const char* key, const std::string& value) {
        m_file.Write(f_szModbus, key, value);
    };
    switch (m_request.service) {
        case SVC_Reset:
            return;
        case SVC_GetAttributeSingle:
            switch (attribute) {
                case 1:
                    return m_reply.Byte(ParseChoice(read("Status"), {"Offline", "Online"}, 0));
                case 2:
                    return m_reply.Word(ParseHexOrDecimal(read("Major Fault")));
                case 3:
                    return m_reply.Byte(ParseHexOrDecimal(read("Slave Address")));
                case 4:
                    return m_reply.Word(ParseDecimal(read("Baud Rate")) / 100);
                case 5:
                    return m_reply.Byte(ParseChoice(read("Parity"), parityNames));
                case 6:
                    return m_reply.Byte(ParseDecimal(read("Stop Bits")));
                case 7:
                    return m_reply.Word(ParseDecimal(read("Watchdog Timeout")));
                default:
                    if (storedKey != nullptr) {
                        return StoredGet(f_szModbus, storedKey, 1);
                    }
                    return m_reply.Refuse(DST_AttributeNotSupported);
            }
        case SVC_SetAttributeSingle:
            switch (attribute) {
                case 3:
                    return write("Slave Address", Format("%d", m_request.DataByte(0)));
                case 4:
                    return write("Baud Rate", Format("%d", m_request.DataWord(0) * 100));
                case 5:
                    return write("Parity", ChoiceName(m_request.DataByte(0), parityNames));
                case 6:
                    return write("Stop Bits", Format("%d", m_request.DataByte(0)));
                case 7:
                    return write("Watchdog Timeout", Format("%d", m_request.DataWord(0)));
                default:
                    if (storedKey != nullptr) {
                        return StoredSet(f_szModbus, storedKey, 1);
                    }
                    return m_reply.Refuse(DST_AttributeNotSupported);
            }
        default:
            return m_reply.Refuse(DST_ServiceNotSupported);
    }
}

void CSimHandlers::Ethernet() {
    static const char* const addressKeys[] = {"IP Address", "Subnet Mask", "Gateway Address"};
    static const char* const choiceKeys[] = {"DHCP", "Speed", "Duplex"};
    if (m_request.instance != 1) {
        return m_reply.Refuse(DST_ObjectNotFound);
    }
    if (m_request.service != SVC_GetAttributeSingle &&
        m_request.service != SVC_SetAttributeSingle) {
        return m_reply.Refuse(DST_ServiceNotSupported);
    }
    if (m_request.attribute != 1) {
        return m_reply.Refuse(DST_AttributeNotSupported);
    }
    if (m_request.service == SVC_SetAttributeSingle) {
        for (int i = 0; i < 3; ++i) {
            const std::size_t at = static_cast<std::size_t>(4 * i);
            m_file.Write(f_szEthernet, addressKeys[i],
                         Format("%u.%u.%u.%u", m_request.DataByte(at), m_request.DataByte(at + 1),
                                m_request.DataByte(at + 2), m_request.DataByte(at + 3)));
        }
        for (int i = 0; i < 3; ++i) {
            m_file.Write(f_szEthernet, choiceKeys[i],
                         Format("%u", m_request.DataByte(static_cast<std::size_t>(12 + i))));
        }
        return;
    }
    if (m_file.Read(f_szEthernet, "IP Address").empty()) {
        return m_reply.Refuse(DST_AttributeNotSupported);
    }
    for (const char* key : addressKeys) {
        unsigned octets[4] = {};
        std::sscanf(m_file.Read(f_szEthernet, key).c_str(), "%u.%u.%u.%u", &octets[0], &octets[1],
                    &octets[2], &octets[3]);
        for (unsigned octet : octets) {
            m_reply.Byte(octet);
        }
    }
    for (const char* key : choiceKeys) {
        m_reply.Byte(ParseDecimal(m_file.Read(f_szEthernet, key)));
    }
    m_reply.Byte(0);
}

void CSimHandlers::ModbusEthernet() {
    if (m_request.instance != 1) {
        return m_reply.Refuse(DST_ObjectNotFound);
    }
    const char* key = m_request.attribute == 1   ? "Timeout"
                      : m_request.attribute == 2 ? "IO Size"
                                                 : nullptr;
    if (m_request.service == SVC_GetAttributeSingle) {
        return key != nullptr ? StoredGet(f_szModbusEthernet, key, 2)
                              : m_reply.Refuse(DST_AttributeNotSupported);
    }
    if (m_request.service == SVC_SetAttributeSingle) {
        return key != nullptr ? StoredSet(f_szModbusEthernet, key, 2)
                              : m_reply.Refuse(DST_AttributeNotSupported);
    }
    m_reply.Refuse(DST_ServiceNotSupported);
}

void CSimHandlers::FirmwareStorage() {
    if (m_request.instance > 4) {
        return m_reply.Refuse(DST_ObjectNotFound);
    }
    const std::string section = NumberedSection("NVS_", m_request.instance);
    switch (m_request.service) {
        case SVC_GetAttributeSingle:
            return FirmwareStorageGet();
        case SVC_FirmwareUpdate:
            m_sim.m_imageSize = m_request.DataLong(0);
            m_reply.data.assign(12, 0);
            m_reply.data[4] = static_cast<std::uint8_t>(f_nUpdateChunkSize);
            m_reply.data[5] = static_cast<std::uint8_t>(f_nUpdateChunkSize >> 8);
            return;
        case SVC_FirmwareTransfer: {
            const std::uint64_t offset = m_request.DataLong(0);
            const std::uint64_t chunk = m_request.data.size() > 4 ? m_request.data.size() - 4 : 0;
            const short status = offset + chunk < m_sim.m_imageSize ? 1 : 2;
            m_file.Write(section, "Status", Format("%hd", status));
            m_reply.data.assign(6, 0);
            m_reply.data[4] = 1;
            return;
        }
        default:
            return m_reply.Refuse(DST_ServiceNotSupported);
    }
}

void CSimHandlers::FirmwareStorageGet() {
    const std::string section = NumberedSection("NVS_", m_request.instance);
    if (m_request.attribute == 1) {
        const std::uint32_t status = ParseDecimal(m_file.Read(section, "Status"));
        if (status == 0) {
            return m_reply.Refuse(DST_ObjectNotFound);
        }
        return m_reply.Word(status);
    }
    if (m_request.attribute == 2) {
        const std::string revision = m_file.Read(section, "Revision");
        if (revision.empty()) {
            return m_reply.Refuse(DST_ObjectNotFound);
        }
        return m_reply.Word(static_cast<std::uint32_t>(ParseBase(revision, 16)));
    }
    m_reply.Refuse(DST_AttributeNotSupported);
}

DeviceSimulator::DeviceSimulator(std::string profile) : m_profile(std::move(profile)) {}

void DeviceSimulator::SetCompleteMode(bool complete) {
    m_complete = complete;
}

void DeviceSimulator::SetResetDowntime(std::chrono::milliseconds downtime) {
    m_resetDowntime = downtime;
}

bool DeviceSimulator::IsUnreachable() const {
    return m_complete && m_clock->Now() < m_unreachableUntil;
}

void DeviceSimulator::BeginResetDowntime() {
    if (m_complete) {
        m_unreachableUntil = m_clock->Now() + m_resetDowntime;
    }
}

int DeviceSimulator::SimulateRequest(std::uint8_t* buffer, int length, int capacity) {
    GY_ASSERT(buffer != nullptr && capacity >= kReplyHeaderSize);
    SimRequest request;
    SimReply reply;
    if (length >= 1) {
        request.service = buffer[0];
    }
    if (length < 5) {
        reply.Refuse(DST_ObjectNotFound);
    } else {
        request.classId = static_cast<std::uint16_t>(buffer[1] | (buffer[2] << 8));
        request.instance = static_cast<std::uint16_t>(buffer[3] | (buffer[4] << 8));
        // copied: the reply is written over the same buffer
        std::vector<std::uint8_t> data(buffer + 5, buffer + std::min(length, capacity));
        request.data = data;
        if (request.service == SVC_GetAttributeSingle ||
            request.service == SVC_SetAttributeSingle) {
            request.attribute = request.DataByte(0);
            request.data = request.data.empty() ? request.data : request.data.subspan(1);
        }
        CSimHandlers handlers(*this, request, reply);
        handlers.Dispatch();
        if (handlers.LostWrite()) {
            reply.Refuse(f_nStoreFailure);
        }
    }
    if (kReplyHeaderSize + static_cast<int>(reply.data.size()) > capacity) {
        reply.Refuse(DST_ReplyTooLarge);
    }
    buffer[0] = static_cast<std::uint8_t>(request.service | 0x80);
    buffer[1] = reply.status;
    buffer[2] = 0;
    if (!reply.data.empty()) {
        std::memcpy(buffer + kReplyHeaderSize, reply.data.data(), reply.data.size());
    }
    return kReplyHeaderSize + static_cast<int>(reply.data.size());
}

}  // namespace gantry::tool
