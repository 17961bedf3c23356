#include "tool/device/DeviceRequest.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace gantry::tool {

bool DeviceRequest::AppendBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > static_cast<std::size_t>(kDeviceDataSize - dataLength)) {
        return false;
    }
    if (!bytes.empty()) {
        std::memcpy(data + dataLength, bytes.data(), bytes.size());
    }
    dataLength = static_cast<std::uint16_t>(dataLength + bytes.size());
    return true;
}

bool DeviceRequest::AppendByte(std::uint8_t value) {
    const std::uint8_t bytes[1] = {value};
    return AppendBytes(bytes);
}

bool DeviceRequest::AppendWord(std::uint16_t value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value),
                                   static_cast<std::uint8_t>(value >> 8)};
    return AppendBytes(bytes);
}

bool DeviceRequest::AppendLong(std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return AppendBytes(bytes);
}

std::uint8_t DeviceReply::Byte(int offset) const {
    return offset >= 0 && offset < kDeviceDataSize ? data[offset] : 0;
}

std::uint16_t DeviceReply::Word(int offset) const {
    return static_cast<std::uint16_t>(Byte(offset) | (Byte(offset + 1) << 8));
}

std::uint32_t DeviceReply::Long(int offset) const {
    return static_cast<std::uint32_t>(Word(offset)) |
           (static_cast<std::uint32_t>(Word(offset + 2)) << 16);
}

DeviceRequest MakeGetRequest(std::uint16_t classId, std::uint16_t instance,
                             std::int16_t attribute) {
    DeviceRequest request;
    request.service = SVC_GetAttributeSingle;
    request.classId = classId;
    request.instance = instance;
    request.attribute = attribute;
    return request;
}

DeviceRequest MakeSetRequest(std::uint16_t classId, std::uint16_t instance, std::int16_t attribute,
                             std::span<const std::uint8_t> data) {
    DeviceRequest request = MakeGetRequest(classId, instance, attribute);
    request.service = SVC_SetAttributeSingle;
    request.AppendBytes(data.first(std::min<std::size_t>(data.size(), kDeviceDataSize)));
    return request;
}

DeviceRequest MakeServiceRequest(std::uint8_t service, std::uint16_t classId,
                                 std::uint16_t instance, std::span<const std::uint8_t> data) {
    DeviceRequest request = MakeGetRequest(classId, instance, kNoAttribute);
    request.service = service;
    request.AppendBytes(data.first(std::min<std::size_t>(data.size(), kDeviceDataSize)));
    return request;
}

int EncodeRequest(const DeviceRequest& request, std::uint8_t* buffer, int size) {
    const bool hasAttribute = request.attribute != kNoAttribute;
    if (request.dataLength > kDeviceDataSize) {
        return kBufferTooSmall;
    }
    const int total = 5 + (hasAttribute ? 1 : 0) + request.dataLength;
    if (buffer == nullptr || size < total) {
        return kBufferTooSmall;
    }
    buffer[0] = request.service;
    buffer[1] = static_cast<std::uint8_t>(request.classId);
    buffer[2] = static_cast<std::uint8_t>(request.classId >> 8);
    buffer[3] = static_cast<std::uint8_t>(request.instance);
    buffer[4] = static_cast<std::uint8_t>(request.instance >> 8);
    int position = 5;
    if (hasAttribute) {
        // one byte on the wire: attribute numbers above 255 are not used
        buffer[position++] = static_cast<std::uint8_t>(request.attribute);
    }
    if (request.dataLength > 0) {
        std::memcpy(buffer + position, request.data, request.dataLength);
    }
    return total;
}

int DecodeReply(const std::uint8_t* buffer, int length, DeviceReply& reply) {
    reply = DeviceReply{};
    if (buffer == nullptr || length < kReplyHeaderSize || length > kMaxReplySize) {
        return kBufferTooSmall;
    }
    reply.service = buffer[0] & 0x7F;
    reply.generalStatus = buffer[1];
    reply.dataLength = static_cast<std::uint16_t>(length - kReplyHeaderSize);
    if (reply.dataLength > 0) {
        std::memcpy(reply.data, buffer + kReplyHeaderSize, reply.dataLength);
    }
    return length;
}

namespace {

struct InterfaceTypeEntry {
    int code;
    const char* name;
};

// Ended by code 13, whose name stands for every unknown code.
constexpr InterfaceTypeEntry f_interfaceTypes[] = {
    {IT_DeviceNetMaster, "DeviceNet Master"},
    {IT_DeviceNetSlave, "DeviceNet Slave"},
    {IT_ControlNetScanner, "ControlNet Scanner"},
    {IT_ControlNetAdapter, "ControlNet Adapter"},
    {IT_EthernetClient, "Ethernet Client"},
    {IT_EthernetServer, "Ethernet Server"},
    {IT_ModbusMaster, "Modbus Master"},
    {IT_ModbusSlave, "Modbus Slave"},
    {IT_J1939, "J1939"},
    {IT_J1708, "J1708/J1587"},
    {IT_ProfibusSlave, "PROFIBUS Slave"},
    {IT_ModbusSlaveEnhanced, "Modbus Slave"},
    {IT_EndOfTable, "Undefined communication library type"},
};

const ProductCombination f_knownProducts[kKnownProductCount] = {
    {"Ethernet to DeviceNet Gateway", MakeRevision(2, 2), IT_DeviceNetMaster, IT_EthernetServer},
    {"PROFIBUS to DeviceNet Gateway", MakeRevision(2, 3), IT_DeviceNetMaster, IT_ProfibusSlave},
    {"J1939 to Modbus Interface", MakeRevision(2, 6), IT_J1939, IT_ModbusSlave},
    {"Ethernet to J1939 Gateway", MakeRevision(2, 7), IT_J1939, IT_EthernetServer},
    {"PROFIBUS to J1939 Gateway", MakeRevision(1, 7), IT_J1939, IT_ProfibusSlave},
};

struct ScannerText {
    int code;
    const char* text;
};

constexpr ScannerText f_scannerTexts[] = {
    {0, "OK"},
    {60, "DUP MAC CHK"},
    {61, "AUTOBAUD"},
    {70, "DUP MAC ERR"},
    {71, "CONFIG ERR"},
    {72, "COMM FAIL"},
    {73, "DEV TYPE"},
    {74, "PORT ORUN"},
    {75, "NET QUIET"},
    {76, "NO MSGS"},
    {77, "DATA SIZE"},
    {78, "NO DEVICE"},
    {79, "XMIT FAIL"},
    {80, "IDLE MODE"},
    {81, "FAULT MODE"},
    {82, "FRAG ERR"},
    {83, "INIT ERR"},
    {84, "NOT INIT"},
    {85, "DATA SIZE"},
    {86, "DEV IDLE"},
    {87, "SHARED MASTER ERROR"},
    {88, "SHARED CHOICE ERROR"},
    {89, "KEEPER FAIL"},
    {90, "PORT DISABLED"},
    {91, "BUS OFF"},
    {92, "NET POWER"},
    {95, "FLASH"},
    {96, "TEST MODE"},
    {97, "HALT"},
    {98, "FW FAIL"},
    {99, "SYS FAIL"},
};

}  // namespace

const char* InterfaceTypeName(int code) {
    for (const InterfaceTypeEntry& entry : f_interfaceTypes) {
        if (entry.code == code || entry.code == IT_EndOfTable) {
            return entry.name;
        }
    }
    return f_interfaceTypes[std::size(f_interfaceTypes) - 1].name;
}

int InterfaceTypeFromName(const std::string& name) {
    for (const InterfaceTypeEntry& entry : f_interfaceTypes) {
        if (entry.code != IT_EndOfTable && name == entry.name) {
            return entry.code;
        }
    }
    return -1;
}

bool operator==(const ProductCombination& a, const ProductCombination& b) {
    return a.name == b.name && a.revision == b.revision && a.clientType == b.clientType &&
           a.serverType == b.serverType;
}

std::span<const ProductCombination> KnownProductCombinations() {
    return f_knownProducts;
}

ProductCombination LookupProductCombination(int clientType, int serverType) {
    for (const ProductCombination& product : f_knownProducts) {
        if (product.clientType == clientType && product.serverType == serverType) {
            return product;
        }
    }
    return ProductCombination{"Unknown Gantry Combination", MakeRevision(1, 1), clientType,
                              serverType};
}

std::string ProductMismatchText(int fileClient, int fileServer, int gatewayClient,
                                int gatewayServer) {
    return "The file is for the " + LookupProductCombination(fileClient, fileServer).name +
           "; the connected gateway is the " +
           LookupProductCombination(gatewayClient, gatewayServer).name + ".";
}

ProductCombination ProductCombinationForIndex(int index) {
    if (index >= 0 && index < kKnownProductCount) {
        return f_knownProducts[index];
    }
    return LookupProductCombination(-1, -1);
}

std::string FormatRevision(std::uint16_t revision) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", RevisionMajor(revision), RevisionMinor(revision));
    return text;
}

std::string FormatSerialNumber(std::uint32_t serialNumber) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(serialNumber));
    return text;
}

std::string FormatMajorFault(std::uint32_t fault) {
    if (fault == 0) {
        return "No Error";
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(fault & 0x7F));
    return text;
}

std::string ScannerStatusText(int code) {
    for (const ScannerText& entry : f_scannerTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    char text[16];
    std::snprintf(text, sizeof text, "%2d ", code);
    return text;
}

bool IoPointHasPriority(int serverType, std::uint16_t revision) {
    const int order = RevisionOrder(revision);
    if (serverType == IT_ModbusSlave && RevisionMajor(revision) == 1 && order < 0x0106) {
        return false;
    }
    if (serverType == IT_EthernetServer && RevisionMajor(revision) == 1 && order < 0x0102) {
        return false;
    }
    return true;
}

int IoPointRecordSize(int serverType, std::uint16_t revision) {
    return IoPointHasPriority(serverType, revision) ? kIoPointRecordSize : kIoPointRecordSizeOld;
}

int EncodeIoPoint(const IoPointRecord& point, int size, std::uint8_t* buffer, int capacity) {
    if (size != kIoPointRecordSize && size != kIoPointRecordSizeOld) {
        return kBufferTooSmall;
    }
    if (buffer == nullptr || capacity < size) {
        return kBufferTooSmall;
    }
    std::array<std::uint8_t, kIoPointRecordSize> bytes = {
        point.table,
        static_cast<std::uint8_t>(point.dataOffset),
        static_cast<std::uint8_t>(point.dataOffset >> 8),
        static_cast<std::uint8_t>(point.dataLength),
        static_cast<std::uint8_t>(point.dataLength >> 8),
        static_cast<std::uint8_t>(point.updateRate),
        static_cast<std::uint8_t>(point.updateRate >> 8),
        point.address,
        static_cast<std::uint8_t>(point.pgn),
        static_cast<std::uint8_t>(point.pgn >> 8),
        static_cast<std::uint8_t>(point.pgn >> 16),
        static_cast<std::uint8_t>(point.pgn >> 24),
        static_cast<std::uint8_t>(point.messageOffset),
        static_cast<std::uint8_t>(point.messageOffset >> 8),
        point.priority,
    };
    std::memcpy(buffer, bytes.data(), static_cast<std::size_t>(size));
    return size;
}

bool DecodeIoPoint(const std::uint8_t* buffer, int length, IoPointRecord& point) {
    if (buffer == nullptr || length < kIoPointRecordSizeOld) {
        return false;
    }
    auto word = [buffer](int offset) {
        return static_cast<std::uint16_t>(buffer[offset] | (buffer[offset + 1] << 8));
    };
    point.table = buffer[0];
    point.dataOffset = word(1);
    point.dataLength = word(3);
    point.updateRate = word(5);
    point.address = buffer[7];
    point.pgn = static_cast<std::uint32_t>(word(8)) | (static_cast<std::uint32_t>(word(10)) << 16);
    point.messageOffset = word(12);
    point.priority = length >= kIoPointRecordSize ? buffer[14] : kDefaultIoPriority;
    return true;
}

}  // namespace gantry::tool
