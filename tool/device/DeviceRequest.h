// Object requests to the gateway and their replies: the in-memory records, their
// byte form (little-endian, no path-size byte, no length field, no sequence
// number), the service codes, the interface type names, the product
// combinations and the display forms of identity values. Pure functions, no I/O.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace gantry::tool {

// Services the tool sends (a reply carries the same code with bit 7 set).
enum DeviceService : std::uint8_t {
    SVC_GetAttributesAll = 1,     // read one J1939 I/O point record
    SVC_SetAttributesAll = 2,     // write one J1939 I/O point record
    SVC_Reset = 5,                // reset the gateway (Identity object)
    SVC_GetAttributeSingle = 14,  // every single-attribute read
    SVC_SetAttributeSingle = 16,  // every single-attribute write
    SVC_Save = 22,                // commit a class's settings after a download
    SVC_FirmwareUpdate = 75,      // open a firmware transfer to one storage area
    SVC_FirmwareTransfer = 77,    // one chunk of a firmware image
};

// Object classes of the gateway.
enum DeviceClass : std::uint16_t {
    CLS_Identity = 1,
    CLS_DeviceNet = 3,
    CLS_J1939Settings = 110,
    CLS_J1939IoTable = 111,
    CLS_Modbus = 130,
    CLS_EthernetInterface = 140,
    CLS_ModbusEthernet = 141,
    CLS_DeviceNetScanner = 144,
    CLS_FirmwareStorage = 161,
};

// General status codes of a reply.
enum DeviceStatus : std::uint8_t {
    DST_Success = 0,
    DST_ObjectNotFound = 0x05,       // class or instance unknown, storage area absent
    DST_NotEnoughData = 0x06,        // request data too short
    DST_ServiceNotSupported = 0x08,  // service not handled by the class
    DST_ReplyTooLarge = 0x11,        // the reply would not fit the caller's buffer
    DST_AttributeNotSupported = 0x14,
};

inline constexpr int kDeviceDataSize = 508;      // data area of a request or reply
inline constexpr int kTransferBufferSize = 600;  // working buffer of one exchange
inline constexpr int kReplyHeaderSize = 4;       // service, status, two reserved bytes
inline constexpr int kMaxReplySize = kReplyHeaderSize + kDeviceDataSize;
inline constexpr int kBufferTooSmall = -500;  // result of an encoder that does not fit
inline constexpr std::int16_t kNoAttribute = -1;

// One object request. All fields zero unless set; `attribute` is -1 for the
// services that act on a whole instance or class.
struct DeviceRequest {
    std::uint8_t service = 0;
    std::uint16_t classId = 0;
    std::uint16_t instance = 0;
    std::int16_t attribute = 0;
    std::uint16_t dataLength = 0;
    std::uint8_t data[kDeviceDataSize] = {};

    // Appends bytes (little-endian for the numbers); false, and nothing
    // appended, when the data area would overflow.
    bool AppendByte(std::uint8_t value);
    bool AppendWord(std::uint16_t value);
    bool AppendLong(std::uint32_t value);
    bool AppendBytes(std::span<const std::uint8_t> bytes);
};

// One reply. `service` has bit 7 cleared; missing data reads as 0 because the
// record starts zero-filled.
struct DeviceReply {
    std::uint8_t service = 0;
    std::uint8_t generalStatus = 0;
    std::uint8_t data[kDeviceDataSize] = {};
    std::uint16_t dataLength = 0;

    // Little-endian values at `offset` of the data area; bytes past the data
    // area read as 0.
    std::uint8_t Byte(int offset) const;
    std::uint16_t Word(int offset) const;
    std::uint32_t Long(int offset) const;
};

// Requests as the object map uses them (instance and attribute as given).
DeviceRequest MakeGetRequest(std::uint16_t classId, std::uint16_t instance, std::int16_t attribute);
DeviceRequest MakeSetRequest(std::uint16_t classId, std::uint16_t instance, std::int16_t attribute,
                             std::span<const std::uint8_t> data = {});
// A service without attribute (Reset, Save, Get/Set_Attributes_All, firmware).
DeviceRequest MakeServiceRequest(std::uint8_t service, std::uint16_t classId,
                                 std::uint16_t instance, std::span<const std::uint8_t> data = {});

// Writes the request's byte form into buffer[0..size): service, class, instance,
// the attribute byte when the attribute is not -1, then the data. Returns the
// length, or kBufferTooSmall when it does not fit (or the data length exceeds
// the data area).
int EncodeRequest(const DeviceRequest& request, std::uint8_t* buffer, int size);

// Reads reply bytes: service (bit 7 dropped), status, two ignored bytes, data.
// Returns `length`, or kBufferTooSmall when the reply is shorter than 4 bytes or
// its data would not fit the 508-byte data area (such a reply is refused, never
// cut). `reply` is reset first.
int DecodeReply(const std::uint8_t* buffer, int length, DeviceReply& reply);

// Interface type codes naming each side of a gateway.
enum InterfaceType : int {
    IT_DeviceNetMaster = 1,
    IT_DeviceNetSlave = 2,
    IT_ControlNetScanner = 3,
    IT_ControlNetAdapter = 4,
    IT_EthernetClient = 5,
    IT_EthernetServer = 6,
    IT_ModbusMaster = 7,
    IT_ModbusSlave = 8,
    IT_J1939 = 9,
    IT_J1708 = 10,
    IT_ProfibusSlave = 11,
    IT_ModbusSlaveEnhanced = 12,
    IT_EndOfTable = 13,
};

// Whether `code` names an interface type (1 to 12).
inline bool IsKnownInterfaceType(std::uint32_t code) {
    return code >= IT_DeviceNetMaster && code < IT_EndOfTable;
}

// The display name of an interface type; "Undefined communication library
// type" for any code outside 1 to 12.
const char* InterfaceTypeName(int code);
// The code whose display name is exactly `name` (case matters; the first of
// the two "Modbus Slave" entries wins); -1 when none.
int InterfaceTypeFromName(const std::string& name);

// A gateway's product: display name, revision word (low byte major, high byte
// minor) and interface pair.
struct ProductCombination {
    std::string name;
    std::uint16_t revision = 0;
    int clientType = -1;
    int serverType = -1;
};

bool operator==(const ProductCombination& a, const ProductCombination& b);

// The five known combinations in the order of the new-module list.
std::span<const ProductCombination> KnownProductCombinations();
inline constexpr int kKnownProductCount = 5;
// The combination of the pair: a known entry, or "Unknown Gantry Combination"
// with revision 1.01 carrying the given pair.
ProductCombination LookupProductCombination(int clientType, int serverType);
// Why a file of one pair cannot go to a gateway of another, naming both
// products: "The file is for the NAME; the connected gateway is the NAME."
std::string ProductMismatchText(int fileClient, int fileServer, int gatewayClient,
                                int gatewayServer);
// The combination of a selection index of the new-module list (0..4); an index
// outside the list gives the unknown entry with the pair -1, -1.
ProductCombination ProductCombinationForIndex(int index);

// Revision words.
inline constexpr std::uint16_t MakeRevision(int major, int minor) {
    return static_cast<std::uint16_t>((major & 0xFF) | ((minor & 0xFF) << 8));
}
inline constexpr int RevisionMajor(std::uint16_t revision) {
    return revision & 0xFF;
}
inline constexpr int RevisionMinor(std::uint16_t revision) {
    return revision >> 8;
}
// The value revisions are compared by: major × 256 + minor.
inline constexpr int RevisionOrder(std::uint16_t revision) {
    return RevisionMajor(revision) * 256 + RevisionMinor(revision);
}
// "%d.%02d" of major and minor: bytes 2, 7 show "2.07".
std::string FormatRevision(std::uint16_t revision);
// "%08X": 0x1A2B shows "00001A2B".
std::string FormatSerialNumber(std::uint32_t serialNumber);
// "No Error" for 0, else "0x%X" of the low 7 bits: 0x85 shows "0x5".
std::string FormatMajorFault(std::uint32_t fault);
// The DeviceNet scanner's status text; a code without text shows "%2d ".
std::string ScannerStatusText(int code);

// J1939 I/O point record of class 111 (instance = entry number).
inline constexpr int kIoPointRecordSize = 15;     // with the priority byte
inline constexpr int kIoPointRecordSizeOld = 14;  // firmware without priority
inline constexpr std::uint8_t kDefaultIoPriority = 6;

struct IoPointRecord {
    std::uint8_t table = 0;  // 0 input, 1 output, 2 active DTC, 3 previously active DTC
    std::uint16_t dataOffset = 0;
    std::uint16_t dataLength = 0;
    std::uint16_t updateRate = 0;
    std::uint8_t address = 0;
    std::uint32_t pgn = 0;
    std::uint16_t messageOffset = 0;
    std::uint8_t priority = kDefaultIoPriority;

    bool operator==(const IoPointRecord&) const = default;
};

// Whether the gateway's firmware carries the priority byte: not when the server
// type is 8 and the revision is below 1.06, nor when it is 6 and below 1.02.
bool IoPointHasPriority(int serverType, std::uint16_t revision);
// 15 or 14 bytes, by the rule above.
int IoPointRecordSize(int serverType, std::uint16_t revision);
// Writes the first `size` (14 or 15) bytes of the record; returns `size`, or
// kBufferTooSmall when `capacity` is smaller.
int EncodeIoPoint(const IoPointRecord& point, int size, std::uint8_t* buffer, int capacity);
// Reads a record from `length` bytes; a missing priority byte (length 14) gives
// priority 6. False when fewer than 14 bytes.
bool DecodeIoPoint(const std::uint8_t* buffer, int length, IoPointRecord& point);

}  // namespace gantry::tool
