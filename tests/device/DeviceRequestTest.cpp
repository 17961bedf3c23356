// Byte forms of requests and replies, and the display rules of identity values.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tool/device/DeviceRequest.h"
#include "tool/device/IdentityValues.h"
#include "tool/device/IoPointRecord.h"
#include "tool/device/ProductCatalogue.h"

using namespace gantry::tool;

namespace {

std::vector<std::uint8_t> Encode(const DeviceRequest& request) {
    std::vector<std::uint8_t> buffer(kTransferBufferSize, 0xEE);
    const int length = EncodeRequest(request, buffer.data(), kTransferBufferSize);
    buffer.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
    return buffer;
}

TEST(EncodeRequest, ServiceWithoutAttributeOrData_IsFiveBytes) {
    const DeviceRequest reset = MakeServiceRequest(SVC_Reset, CLS_Identity, 1);
    EXPECT_EQ(Encode(reset), (std::vector<std::uint8_t>{5, 1, 0, 1, 0}));
}

TEST(EncodeRequest, AttributeAndOneDataByte_IsSevenBytesLittleEndian) {
    const std::uint8_t run[1] = {1};
    const DeviceRequest set = MakeSetRequest(CLS_Identity, 1, 103, run);
    EXPECT_EQ(Encode(set), (std::vector<std::uint8_t>{16, 1, 0, 1, 0, 103, 1}));

    const DeviceRequest get = MakeGetRequest(0x1234, 0x0201, 9);
    EXPECT_EQ(Encode(get), (std::vector<std::uint8_t>{14, 0x34, 0x12, 0x01, 0x02, 9}));
}

TEST(EncodeRequest, DefaultAttributeZero_IsSentAsAByte) {
    DeviceRequest request;  // all fields zero: attribute 0 is an attribute
    request.service = SVC_GetAttributeSingle;
    EXPECT_EQ(Encode(request).size(), 6u);
}

TEST(EncodeRequest, BufferTooSmallOrOversizedData_GivesMinus500) {
    std::uint8_t buffer[8];
    const DeviceRequest get = MakeGetRequest(CLS_Identity, 1, 4);
    EXPECT_EQ(EncodeRequest(get, buffer, 5), kBufferTooSmall);
    EXPECT_EQ(EncodeRequest(get, buffer, 6), 6);

    DeviceRequest full = MakeServiceRequest(SVC_FirmwareTransfer, CLS_FirmwareStorage, 1);
    std::vector<std::uint8_t> chunk(kDeviceDataSize, 0xAB);
    ASSERT_TRUE(full.AppendBytes(chunk));
    EXPECT_FALSE(full.AppendByte(1));  // the data area is full; nothing appended
    EXPECT_EQ(full.dataLength, kDeviceDataSize);
    EXPECT_EQ(Encode(full).size(), static_cast<std::size_t>(5 + kDeviceDataSize));
    full.dataLength = kDeviceDataSize + 1;  // a corrupt record never reads past its data
    EXPECT_EQ(EncodeRequest(full, chunk.data(), static_cast<int>(chunk.size())), kBufferTooSmall);
}

TEST(EncodeRequest, AppendedNumbersAreLittleEndian) {
    DeviceRequest request = MakeServiceRequest(SVC_FirmwareUpdate, CLS_FirmwareStorage, 2);
    request.AppendLong(0x11223344);
    request.AppendWord(0xA0B0);
    EXPECT_EQ(Encode(request),
              (std::vector<std::uint8_t>{75, 161, 0, 2, 0, 0x44, 0x33, 0x22, 0x11, 0xB0, 0xA0}));
}

TEST(DecodeReply, FourBytes_GiveEmptyDataAndServiceWithoutBit7) {
    const std::uint8_t bytes[4] = {0x8E, 0x14, 0x55, 0x66};
    DeviceReply reply;
    reply.data[0] = 9;  // stale content is cleared
    EXPECT_EQ(DecodeReply(bytes, 4, reply), 4);
    EXPECT_EQ(reply.service, 14);
    EXPECT_EQ(reply.generalStatus, 0x14);
    EXPECT_EQ(reply.dataLength, 0);
    EXPECT_EQ(reply.Byte(0), 0);
}

TEST(DecodeReply, DataFollowsTheFourByteHeader) {
    const std::uint8_t bytes[] = {0x8E, 0, 0, 0, 0x2B, 0x1A, 0, 0};
    DeviceReply reply;
    ASSERT_EQ(DecodeReply(bytes, sizeof bytes, reply), 8);
    EXPECT_EQ(reply.dataLength, 4);
    EXPECT_EQ(reply.Long(0), 0x1A2Bu);
    EXPECT_EQ(reply.Word(0), 0x1A2B);
    EXPECT_EQ(reply.Long(kDeviceDataSize - 2), 0u);  // reads past the area give 0
}

TEST(DecodeReply, ShorterThanFourOrLongerThanTheDataArea_IsRefused) {
    std::vector<std::uint8_t> bytes(kMaxReplySize + 1, 0x80);
    DeviceReply reply;
    EXPECT_EQ(DecodeReply(bytes.data(), 3, reply), kBufferTooSmall);
    EXPECT_EQ(DecodeReply(bytes.data(), 0, reply), kBufferTooSmall);
    EXPECT_EQ(DecodeReply(bytes.data(), kMaxReplySize + 1, reply), kBufferTooSmall);
    EXPECT_EQ(DecodeReply(bytes.data(), kMaxReplySize, reply), kMaxReplySize);
    EXPECT_EQ(reply.dataLength, kDeviceDataSize);
}

TEST(DisplayForms, RevisionSerialNumberAndMajorFault) {
    EXPECT_EQ(FormatRevision(MakeRevision(2, 7)), "2.07");
    EXPECT_EQ(FormatRevision(MakeRevision(1, 12)), "1.12");
    EXPECT_EQ(FormatRevision(0), "0.00");
    EXPECT_EQ(FormatSerialNumber(0x1A2B), "00001A2B");
    EXPECT_EQ(FormatSerialNumber(0xDEADBEEF), "DEADBEEF");
    EXPECT_EQ(FormatMajorFault(0), "No Error");
    EXPECT_EQ(FormatMajorFault(0x85), "0x5");
    EXPECT_EQ(FormatMajorFault(0x80), "0x0");
    EXPECT_EQ(FormatMajorFault(0x7F), "0x7F");
    // revision order: major first, then minor
    EXPECT_LT(RevisionOrder(MakeRevision(1, 99)), RevisionOrder(MakeRevision(2, 0)));
    EXPECT_EQ(RevisionOrder(MakeRevision(1, 6)), 0x0106);
}

TEST(DisplayForms, ScannerStatusTexts) {
    EXPECT_EQ(ScannerStatusText(0), "OK");
    EXPECT_EQ(ScannerStatusText(77), "DATA SIZE");
    EXPECT_EQ(ScannerStatusText(85), "DATA SIZE");
    EXPECT_EQ(ScannerStatusText(87), "SHARED MASTER ERROR");
    EXPECT_EQ(ScannerStatusText(99), "SYS FAIL");
    EXPECT_EQ(ScannerStatusText(62), "62 ");
    EXPECT_EQ(ScannerStatusText(5), " 5 ");
    EXPECT_EQ(ScannerStatusText(93), "93 ");
    EXPECT_EQ(ScannerStatusText(200), "200 ");
}

TEST(InterfaceTypes, NamesAndTheUnknownEntry) {
    EXPECT_STREQ(InterfaceTypeName(1), "DeviceNet Master");
    EXPECT_STREQ(InterfaceTypeName(10), "J1708/J1587");
    EXPECT_STREQ(InterfaceTypeName(8), "Modbus Slave");
    EXPECT_STREQ(InterfaceTypeName(12), "Modbus Slave");
    for (int code : {0, -1, 13, 14, 255}) {
        EXPECT_STREQ(InterfaceTypeName(code), "Undefined communication library type") << code;
    }
    EXPECT_EQ(InterfaceTypeFromName("Modbus Slave"), 8);  // the first entry wins
    EXPECT_EQ(InterfaceTypeFromName("PROFIBUS Slave"), 11);
    EXPECT_EQ(InterfaceTypeFromName("profibus slave"), -1);  // case matters
    EXPECT_EQ(InterfaceTypeFromName("Undefined communication library type"), -1);
}

TEST(ProductCombinations, KnownPairsAndTheUnknownEntry) {
    ASSERT_EQ(KnownProductCombinations().size(), 5u);
    const ProductCombination j1939Modbus = LookupProductCombination(9, 8);
    EXPECT_EQ(j1939Modbus.name, "J1939 to Modbus Interface");
    EXPECT_EQ(FormatRevision(j1939Modbus.revision), "2.06");
    EXPECT_EQ(ProductCombinationForIndex(4).name, "PROFIBUS to J1939 Gateway");
    EXPECT_EQ(FormatRevision(ProductCombinationForIndex(4).revision), "1.07");
    EXPECT_EQ(ProductCombinationForIndex(0), LookupProductCombination(1, 6));
    // the pair decides: reversed pairs are unknown
    const ProductCombination unknown = LookupProductCombination(6, 1);
    EXPECT_EQ(unknown.name, "Unknown Gantry Combination");
    EXPECT_EQ(FormatRevision(unknown.revision), "1.01");
    EXPECT_EQ(unknown.clientType, 6);
    EXPECT_EQ(unknown.serverType, 1);
    EXPECT_EQ(ProductCombinationForIndex(5).name, "Unknown Gantry Combination");
}

TEST(IoPointRecord, PriorityByteDependsOnServerTypeAndRevision) {
    // Modbus server: priority from 1.06 on
    EXPECT_EQ(IoPointRecordSize(IT_ModbusSlave, MakeRevision(1, 5)), 14);
    EXPECT_EQ(IoPointRecordSize(IT_ModbusSlave, MakeRevision(1, 6)), 15);
    EXPECT_EQ(IoPointRecordSize(IT_ModbusSlave, MakeRevision(2, 0)), 15);
    // Ethernet server: priority from 1.02 on
    EXPECT_EQ(IoPointRecordSize(IT_EthernetServer, MakeRevision(1, 1)), 14);
    EXPECT_EQ(IoPointRecordSize(IT_EthernetServer, MakeRevision(1, 2)), 15);
    // other server types always carry it
    EXPECT_EQ(IoPointRecordSize(IT_ProfibusSlave, MakeRevision(1, 0)), 15);
    EXPECT_EQ(IoPointRecordSize(IT_ModbusSlaveEnhanced, MakeRevision(1, 5)), 15);
}

TEST(IoPointRecord, RoundTripAndShortRecordGetsPrioritySix) {
    IoPointRecord point;
    point.table = 1;
    point.dataOffset = 0x0102;
    point.dataLength = 8;
    point.updateRate = 1000;
    point.address = 0xFE;
    point.pgn = 0x0FEF1;
    point.messageOffset = 3;
    point.priority = 3;
    std::uint8_t bytes[kIoPointRecordSize] = {};
    ASSERT_EQ(EncodeIoPoint(point, kIoPointRecordSize, bytes, sizeof bytes), 15);
    const std::uint8_t expected[15] = {1, 2, 1, 8, 0, 0xE8, 3, 0xFE, 0xF1, 0xFE, 0, 0, 3, 0, 3};
    EXPECT_EQ(0, std::memcmp(bytes, expected, 15));

    IoPointRecord back;
    ASSERT_TRUE(DecodeIoPoint(bytes, 15, back));
    EXPECT_EQ(back.pgn, point.pgn);
    EXPECT_EQ(back.priority, 3);
    ASSERT_TRUE(DecodeIoPoint(bytes, 14, back));
    EXPECT_EQ(back.priority, kDefaultIoPriority);
    EXPECT_EQ(back.messageOffset, 3);
    EXPECT_FALSE(DecodeIoPoint(bytes, 13, back));
    EXPECT_EQ(EncodeIoPoint(point, kIoPointRecordSizeOld, bytes, 13), kBufferTooSmall);
}

}  // namespace
