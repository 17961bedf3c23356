// Object requests to the gateway and their replies: the in-memory records, their
// byte form (little-endian, no path-size byte, no length field, no sequence
// number), the service, class and status codes. The gateway's side of the same
// format is in RequestCodec.h. Pure functions, no I/O.
#pragma once

#include <cstdint>
#include <span>

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

}  // namespace gantry::tool
