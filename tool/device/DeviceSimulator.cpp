#include "tool/device/DeviceSimulator.h"

#include <algorithm>
#include <vector>

#include "common/Assert.h"
#include "common/TextFormat.h"
#include "tool/device/DeviceRequest.h"
#include "tool/device/IoPointRecord.h"
#include "tool/device/SimulatorAttributes.h"
#include "tool/device/SimulatorProfile.h"

namespace gantry::tool {

namespace {

// The general status of a write the profile could not take (a read-only file
// or folder): the gateway never answers as stored what was not.
constexpr std::uint8_t f_nStoreFailure = 0x19;
constexpr std::uint16_t f_nUpdateChunkSize = 128;

const char* const f_directionNames[] = {"Input", "Output"};

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
    // A class whose attributes are all in the attribute table: Get and Set of
    // instance 1; Reset, where the class takes it, does nothing.
    void Attributes(bool takesReset);
    void AnswerAttribute();
    void J1939Table();
    void J1939PointGet();
    void J1939PointSet();
    void Ethernet();
    void FirmwareStorage();
    void FirmwareStorageGet();

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
        case CLS_J1939Settings:
        case CLS_Modbus:
            return Attributes(true);
        case CLS_J1939IoTable:
            return J1939Table();
        case CLS_FirmwareStorage:
            return FirmwareStorage();
        case CLS_EthernetInterface:
            if (Complete()) {
                return Ethernet();
            }
            break;
        case CLS_ModbusEthernet:
            if (Complete()) {
                return Attributes(false);
            }
            break;
        default:
            break;
    }
    m_reply.Refuse(DST_ObjectNotFound);
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
            return AnswerAttribute();
        case SVC_SetAttributeSingle:
            if (m_request.attribute == 103) {
                return m_file.Write(f_szIdentity, "Run Mode",
                                    FormatText("%d", m_request.DataByte(0)));
            }
            if (m_request.attribute == 104 && Complete()) {
                return m_file.Write(f_szIdentity, "Major Fault", "0");
            }
            return m_reply.Refuse(DST_AttributeNotSupported);
        default:
            return m_reply.Refuse(DST_ServiceNotSupported);
    }
}

void CSimHandlers::AnswerAttribute() {
    const SimAttribute* attribute =
        FindSimAttribute(m_request.classId, m_request.attribute, Complete());
    if (attribute == nullptr) {
        return m_reply.Refuse(DST_AttributeNotSupported);
    }
    AnswerSimAttribute(*attribute, m_file, m_reply);
}

void CSimHandlers::Attributes(bool takesReset) {
    if (m_request.instance != 1) {
        return m_reply.Refuse(DST_ObjectNotFound);
    }
    if (m_request.service == SVC_Reset && takesReset) {
        return;
    }
    if (m_request.service == SVC_GetAttributeSingle) {
        return AnswerAttribute();
    }
    if (m_request.service != SVC_SetAttributeSingle) {
        return m_reply.Refuse(DST_ServiceNotSupported);
    }
    const SimAttribute* attribute =
        FindSimAttribute(m_request.classId, m_request.attribute, Complete());
    if (attribute == nullptr || !attribute->writable) {
        return m_reply.Refuse(DST_AttributeNotSupported);
    }
    StoreSimAttribute(*attribute, m_request, m_file);
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
                                FormatText("%d", m_request.DataWord(0)));
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
    point.table =
        static_cast<std::uint8_t>(ParseChoice(m_file.Read(section, "Direction"), f_directionNames));
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
                                    : FormatText("%d", point.table));
    m_file.Write(section, "Offset", FormatText("%d", point.dataOffset));
    m_file.Write(section, "Size", FormatText("%d", point.dataLength));
    m_file.Write(section, "Update Rate", FormatText("%d", point.updateRate));
    m_file.Write(section, "Target Address", FormatText("%d", point.address));
    m_file.Write(section, "PGN", FormatText("%u", static_cast<unsigned>(point.pgn)));
    m_file.Write(section, "Message Offset", FormatText("%d", point.messageOffset));
    // the priority survives the round trip; a record without one leaves the default
    if (m_request.data.size() >= static_cast<std::size_t>(kIoPointRecordSize)) {
        m_file.Write(section, "Priority", FormatText("%d", point.priority));
    } else {
        m_file.Delete(section, "Priority");
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
            m_file.Write(
                f_szEthernet, addressKeys[i],
                FormatText("%u.%u.%u.%u", m_request.DataByte(at), m_request.DataByte(at + 1),
                           m_request.DataByte(at + 2), m_request.DataByte(at + 3)));
        }
        for (int i = 0; i < 3; ++i) {
            m_file.Write(f_szEthernet, choiceKeys[i],
                         FormatText("%u", m_request.DataByte(static_cast<std::size_t>(12 + i))));
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
            m_file.Write(section, "Status", FormatText("%hd", status));
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
    const std::span<const std::uint8_t> bytes(
        buffer, static_cast<std::size_t>(std::clamp(length, 0, capacity)));
    if (!DecodeRequest(bytes, request)) {
        reply.Refuse(DST_ObjectNotFound);
    } else {
        CSimHandlers handlers(*this, request, reply);
        handlers.Dispatch();
        if (handlers.LostWrite()) {
            reply.Refuse(f_nStoreFailure);
        }
    }
    int written = EncodeReply(request.service, reply.status, reply.data, buffer, capacity);
    if (written < 0) {
        written = EncodeReply(request.service, DST_ReplyTooLarge, {}, buffer, capacity);
    }
    return written;
}

}  // namespace gantry::tool
