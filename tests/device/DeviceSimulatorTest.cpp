// The simulated gateway over GYSim.ini: keys, number forms, written texts and
// status codes, answered through the same byte form as a real gateway.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "TestSupport.h"
#include "common/ProfileFile.h"
#include "tool/device/DeviceSimulator.h"
#include "tool/device/RequestGate.h"
#include "tool/device/SimulatorResponder.h"

using namespace gantry;

using namespace gantry::tool;

namespace {

using Bytes = std::vector<std::uint8_t>;

class SimulatorTest : public ::testing::Test {
protected:
    void Ini(const std::string& text) { WriteFileBytes(m_dir.File("GYSim.ini"), text); }
    std::string Value(const std::string& section, const std::string& key) {
        return ReadProfileString("GYSim.ini", section, key, "<missing>");
    }
    DeviceReply Exchange(const DeviceRequest& request) {
        DeviceReply reply;
        EXPECT_EQ(SimulateExchange(m_sim, request, reply), DeviceResult::Done);
        return reply;
    }
    DeviceReply Get(std::uint16_t classId, std::uint16_t instance, std::int16_t attribute) {
        return Exchange(MakeGetRequest(classId, instance, attribute));
    }
    DeviceReply Set(std::uint16_t classId, std::uint16_t instance, std::int16_t attribute,
                    const Bytes& data) {
        return Exchange(MakeSetRequest(classId, instance, attribute, data));
    }
    DeviceReply Service(std::uint8_t service, std::uint16_t classId, std::uint16_t instance,
                        const Bytes& data = {}) {
        return Exchange(MakeServiceRequest(service, classId, instance, data));
    }
    static Bytes Data(const DeviceReply& reply) {
        return Bytes(reply.data, reply.data + reply.dataLength);
    }
    // A successful reply's data.
    Bytes GetData(std::uint16_t classId, std::uint16_t instance, std::int16_t attribute) {
        const DeviceReply reply = Get(classId, instance, attribute);
        EXPECT_EQ(reply.generalStatus, 0) << classId << "/" << instance << "/" << attribute;
        return Data(reply);
    }

    ScopedGantryDir m_dir;
    DeviceSimulator m_sim;
};

TEST_F(SimulatorTest, ReplyBytes_CarryServiceWithBit7StatusAndZero) {
    std::uint8_t buffer[kTransferBufferSize] = {14, 1, 0, 1, 0, 103, 0, 0x77};
    const int length = m_sim.SimulateRequest(buffer, 6, kTransferBufferSize);
    ASSERT_EQ(length, 5);
    EXPECT_EQ(buffer[0], 0x8E);
    EXPECT_EQ(buffer[1], 0);
    EXPECT_EQ(buffer[2], 0);
    EXPECT_EQ(buffer[4], 0);  // Idle
}

TEST_F(SimulatorTest, MissingFile_ReadsEveryKeyAsEmpty) {
    EXPECT_EQ(GetData(CLS_Identity, 1, 103), Bytes{0});  // Idle
    EXPECT_EQ(GetData(CLS_DeviceNet, 1, 2), Bytes{0});   // 125K
    EXPECT_EQ(GetData(CLS_Identity, 1, 6), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(GetData(CLS_Identity, 1, 7), Bytes{0});  // empty name
    EXPECT_EQ(GetData(CLS_Identity, 1, 4), (Bytes{0, 0}));
    EXPECT_EQ(GetData(CLS_J1939Settings, 1, 5), Bytes{0});  // empty list
    EXPECT_EQ(GetData(CLS_Modbus, 1, 1), Bytes{0});         // Offline
}

TEST_F(SimulatorTest, IdentityAttributes_FromTheIdentitySection) {
    Ini("[Identity]\r\n"
        "Product Code = 0x1234\r\n"
        "Firmware Revision=2.07\r\n"
        "Serial Number=0x1A2B\r\n"
        "Product Name=J1939 to Modbus Interface\r\n"
        "Client Type=J1939\r\n"
        "Server Type=12\r\n"
        "Run Mode=run\r\n"
        "Major Fault=0x85\r\n");
    EXPECT_EQ(GetData(CLS_Identity, 1, 3), (Bytes{0x34, 0x12, 0, 0}));
    EXPECT_EQ(GetData(CLS_Identity, 1, 4), (Bytes{2, 7}));
    EXPECT_EQ(GetData(CLS_Identity, 1, 6), (Bytes{0x2B, 0x1A, 0, 0}));
    const Bytes name = GetData(CLS_Identity, 1, 7);
    ASSERT_EQ(name.size(), 26u);
    EXPECT_EQ(name[0], 25);
    EXPECT_EQ(std::string(name.begin() + 1, name.end()), "J1939 to Modbus Interface");
    EXPECT_EQ(GetData(CLS_Identity, 1, 101), Bytes{9});
    EXPECT_EQ(GetData(CLS_Identity, 1, 102), Bytes{12});
    EXPECT_EQ(GetData(CLS_Identity, 1, 103), Bytes{1});
    EXPECT_EQ(GetData(CLS_Identity, 1, 104), Bytes{0x85});
}

TEST_F(SimulatorTest, NumberForms_HexOnlyWithZeroXAndDecimalOtherwise) {
    Ini("[Identity]\nSerial Number=1A2B\nProduct Code=12abc\nMajor Fault=-1\n"
        "Firmware Revision=3\nClient Type=Modbus Slave\nServer Type=modbus slave\n"
        "Run Mode=Faulted\n"
        "[DNetConfig]\nMAC Address=0x3F\nBaud Rate=500k\n");
    EXPECT_EQ(GetData(CLS_Identity, 1, 6), (Bytes{1, 0, 0, 0}));   // no "0x": decimal "1"
    EXPECT_EQ(GetData(CLS_Identity, 1, 3), (Bytes{12, 0, 0, 0}));  // leading digits count
    EXPECT_EQ(GetData(CLS_Identity, 1, 104), Bytes{0xFF});         // signed -1 in one byte
    EXPECT_EQ(GetData(CLS_Identity, 1, 4), (Bytes{0, 0}));         // no "." gives 0
    EXPECT_EQ(GetData(CLS_Identity, 1, 101), Bytes{8});            // first "Modbus Slave"
    EXPECT_EQ(GetData(CLS_Identity, 1, 102), Bytes{0});            // names match exactly
    EXPECT_EQ(GetData(CLS_Identity, 1, 103), Bytes{2});
    EXPECT_EQ(GetData(CLS_DeviceNet, 1, 1), Bytes{0x3F});
    EXPECT_EQ(GetData(CLS_DeviceNet, 1, 2), Bytes{2});
}

TEST_F(SimulatorTest, RunMode_WrittenAsDecimalAndReadBack) {
    EXPECT_EQ(Set(CLS_Identity, 1, 103, {1}).generalStatus, 0);
    EXPECT_EQ(Value("Identity", "Run Mode"), "1");
    EXPECT_EQ(GetData(CLS_Identity, 1, 103), Bytes{1});
    Ini("[Identity]\nRun Mode=7\n");
    EXPECT_EQ(GetData(CLS_Identity, 1, 103), Bytes{7});
}

TEST_F(SimulatorTest, StatusCodes_ForClassInstanceServiceAndAttribute) {
    EXPECT_EQ(Get(CLS_Identity, 2, 4).generalStatus, DST_ObjectNotFound);
    EXPECT_EQ(Get(CLS_EthernetInterface, 1, 1).generalStatus, DST_ObjectNotFound);
    EXPECT_EQ(Get(999, 1, 1).generalStatus, DST_ObjectNotFound);
    EXPECT_EQ(Service(SVC_GetAttributesAll, CLS_Identity, 1).generalStatus,
              DST_ServiceNotSupported);
    EXPECT_EQ(Service(SVC_Save, CLS_DeviceNet, 0).generalStatus, DST_ObjectNotFound);
    EXPECT_EQ(Service(SVC_Save, CLS_Modbus, 1).generalStatus, DST_ServiceNotSupported);
    const DeviceReply refused = Get(CLS_Identity, 1, 100);
    EXPECT_EQ(refused.generalStatus, DST_AttributeNotSupported);
    EXPECT_EQ(refused.dataLength, 0);
    EXPECT_EQ(Set(CLS_Identity, 1, 104, {}).generalStatus, DST_AttributeNotSupported);
    EXPECT_EQ(Set(CLS_Identity, 1, 4, {1, 2}).generalStatus, DST_AttributeNotSupported);
    EXPECT_EQ(Get(CLS_DeviceNet, 1, 100).generalStatus, DST_AttributeNotSupported);
    EXPECT_EQ(Get(CLS_J1939Settings, 1, 7).generalStatus, DST_AttributeNotSupported);
    EXPECT_EQ(Set(CLS_J1939Settings, 1, 1, {1}).generalStatus, DST_AttributeNotSupported);
    EXPECT_EQ(Get(CLS_Modbus, 1, 8).generalStatus, DST_AttributeNotSupported);
    EXPECT_EQ(Set(CLS_Modbus, 1, 2, {0, 0}).generalStatus, DST_AttributeNotSupported);
    // Reset is answered (empty) by the network classes, refused by the table and storage
    EXPECT_EQ(Service(SVC_Reset, CLS_DeviceNet, 1).generalStatus, 0);
    EXPECT_EQ(Service(SVC_Reset, CLS_J1939IoTable, 1).generalStatus, DST_ServiceNotSupported);
    EXPECT_EQ(Service(SVC_Reset, CLS_FirmwareStorage, 1).generalStatus, DST_ServiceNotSupported);
}

TEST_F(SimulatorTest, ShortOrTruncatedRequests_AreAnsweredNotFailed) {
    std::uint8_t buffer[kTransferBufferSize] = {14, 1};
    EXPECT_EQ(m_sim.SimulateRequest(buffer, 2, kTransferBufferSize), 4);
    EXPECT_EQ(buffer[0], 0x8E);
    EXPECT_EQ(buffer[1], DST_ObjectNotFound);
    // Get single without its attribute byte: attribute 0, not handled
    std::uint8_t noAttribute[kTransferBufferSize] = {14, 1, 0, 1, 0};
    EXPECT_EQ(m_sim.SimulateRequest(noAttribute, 5, kTransferBufferSize), 4);
    EXPECT_EQ(noAttribute[1], DST_AttributeNotSupported);
}

TEST_F(SimulatorTest, DeviceNet_MacAndBaudRateTexts) {
    EXPECT_EQ(Set(CLS_DeviceNet, 1, 1, {63}).generalStatus, 0);
    EXPECT_EQ(Value("DNetConfig", "MAC Address"), "63");
    EXPECT_EQ(Set(CLS_DeviceNet, 1, 2, {1}).generalStatus, 0);
    EXPECT_EQ(Value("DNetConfig", "Baud Rate"), "250K");
    EXPECT_EQ(GetData(CLS_DeviceNet, 1, 2), Bytes{1});
    Set(CLS_DeviceNet, 1, 2, {2});
    EXPECT_EQ(Value("DNetConfig", "Baud Rate"), "500K");
    Set(CLS_DeviceNet, 1, 2, {3});
    EXPECT_EQ(Value("DNetConfig", "Baud Rate"), "");
    EXPECT_EQ(GetData(CLS_DeviceNet, 1, 2), Bytes{0});
    Ini("[DNetConfig]\nBaud Rate=2\n");
    EXPECT_EQ(GetData(CLS_DeviceNet, 1, 2), Bytes{2});
}

TEST_F(SimulatorTest, J1939_DeviceNameIsReversedHexDigitPairs) {
    Ini("[J1939Config]\nDevice Name=0102030405060708\n");
    EXPECT_EQ(GetData(CLS_J1939Settings, 1, 4), (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
    Ini("");
    EXPECT_EQ(Set(CLS_J1939Settings, 1, 4, {8, 7, 6, 5, 4, 3, 2, 1}).generalStatus, 0);
    EXPECT_EQ(Value("J1939Config", "Device Name"), "0102030405060708");
    Set(CLS_J1939Settings, 1, 4, {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0xA1});
    EXPECT_EQ(Value("J1939Config", "Device Name"), "A123456789ABCDEF");
    EXPECT_EQ(GetData(CLS_J1939Settings, 1, 4),
              (Bytes{0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0xA1}));
}

TEST_F(SimulatorTest, J1939_AddressListPairsAndOddTrailingDigit) {
    Ini("[J1939Config]\nNetwork Address List=80A1FF7\n");
    EXPECT_EQ(GetData(CLS_J1939Settings, 1, 5), (Bytes{3, 0x80, 0xA1, 0xFF}));
    EXPECT_EQ(Set(CLS_J1939Settings, 1, 5, {2, 0x0B, 0xFE}).generalStatus, 0);
    EXPECT_EQ(Value("J1939Config", "Network Address List"), "0BFE");
    // a count beyond the bytes sent stores only the bytes that came
    Set(CLS_J1939Settings, 1, 5, {9, 0x21});
    EXPECT_EQ(Value("J1939Config", "Network Address List"), "21");
}

TEST_F(SimulatorTest, J1939_StatusFaultAddressAndBusOffReset) {
    Ini("[J1939Config]\nStatus=1\nMajor Fault=0x1234\nNetwork Address=0x80\n"
        "Enable Bus Off CAN Reset=1\n");
    EXPECT_EQ(GetData(CLS_J1939Settings, 1, 1), Bytes{1});
    EXPECT_EQ(GetData(CLS_J1939Settings, 1, 2), (Bytes{0x34, 0x12}));
    EXPECT_EQ(GetData(CLS_J1939Settings, 1, 3), Bytes{0x80});
    EXPECT_EQ(GetData(CLS_J1939Settings, 1, 6), Bytes{1});
    Set(CLS_J1939Settings, 1, 6, {5});
    EXPECT_EQ(Value("J1939Config", "Enable Bus Off CAN Reset"), "1");
    Set(CLS_J1939Settings, 1, 6, {0});
    EXPECT_EQ(Value("J1939Config", "Enable Bus Off CAN Reset"), "0");
}

TEST_F(SimulatorTest, Modbus_BaudRateInHundredsAndParityTexts) {
    Ini("[ModbusConfig]\nStatus=online\nMajor Fault=-2\nSlave Address=0x11\nBaud Rate=19200\n"
        "Parity=even\nStop Bits=2\nWatchdog Timeout=1500\n");
    EXPECT_EQ(GetData(CLS_Modbus, 1, 1), Bytes{1});
    EXPECT_EQ(GetData(CLS_Modbus, 1, 2), (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(GetData(CLS_Modbus, 1, 3), Bytes{0x11});
    EXPECT_EQ(GetData(CLS_Modbus, 1, 4), (Bytes{192, 0}));
    EXPECT_EQ(GetData(CLS_Modbus, 1, 5), Bytes{2});
    EXPECT_EQ(GetData(CLS_Modbus, 1, 6), Bytes{2});
    EXPECT_EQ(GetData(CLS_Modbus, 1, 7), (Bytes{0xDC, 0x05}));
    Set(CLS_Modbus, 1, 4, {96, 0});
    EXPECT_EQ(Value("ModbusConfig", "Baud Rate"), "9600");
    Set(CLS_Modbus, 1, 3, {247});
    EXPECT_EQ(Value("ModbusConfig", "Slave Address"), "247");
    Set(CLS_Modbus, 1, 5, {1});
    EXPECT_EQ(Value("ModbusConfig", "Parity"), "Odd");
    Set(CLS_Modbus, 1, 5, {0});
    EXPECT_EQ(Value("ModbusConfig", "Parity"), "None");
    Set(CLS_Modbus, 1, 5, {4});
    EXPECT_EQ(Value("ModbusConfig", "Parity"), "");
    Set(CLS_Modbus, 1, 6, {1});
    EXPECT_EQ(Value("ModbusConfig", "Stop Bits"), "1");
    Set(CLS_Modbus, 1, 7, {0x60, 0xEA});
    EXPECT_EQ(Value("ModbusConfig", "Watchdog Timeout"), "60000");
    EXPECT_EQ(Set(CLS_Modbus, 1, 1, {1}).generalStatus, DST_AttributeNotSupported);
}

TEST_F(SimulatorTest, IoTable_EntryCountAndInstanceRules) {
    Ini("[J1939IO_0]\nNumberOfEntries=12\n");
    EXPECT_EQ(GetData(CLS_J1939IoTable, 0, 1), (Bytes{12, 0}));
    EXPECT_EQ(Set(CLS_J1939IoTable, 0, 1, {0x2C, 0x01}).generalStatus, 0);
    EXPECT_EQ(Value("J1939IO_0", "NumberOfEntries"), "300");
    EXPECT_EQ(Get(CLS_J1939IoTable, 1, 1).generalStatus, DST_ObjectNotFound);
    EXPECT_EQ(Get(CLS_J1939IoTable, 0, 2).generalStatus, DST_AttributeNotSupported);
    EXPECT_EQ(Service(SVC_GetAttributesAll, CLS_J1939IoTable, 0).generalStatus, DST_ObjectNotFound);
    EXPECT_EQ(Service(SVC_Save, CLS_J1939IoTable, 0).generalStatus, DST_ServiceNotSupported);
}

TEST_F(SimulatorTest, IoPoint_ReadFromItsSectionWithPrioritySixByDefault) {
    Ini("[J1939IO_3]\nDirection=output\nOffset=0x10\nSize=8\nUpdate Rate=250\n"
        "Target Address=255\nPGN=0xFEF1\nMessage Offset=2\n");
    const DeviceReply reply = Service(SVC_GetAttributesAll, CLS_J1939IoTable, 3);
    EXPECT_EQ(reply.generalStatus, 0);
    EXPECT_EQ(Data(reply), (Bytes{1, 0x10, 0, 8, 0, 250, 0, 255, 0xF1, 0xFE, 0, 0, 2, 0, 6}));
    // an empty section still answers a whole record
    EXPECT_EQ(Service(SVC_GetAttributesAll, CLS_J1939IoTable, 9).dataLength, 15);
}

TEST_F(SimulatorTest, IoPoint_WriteKeepsThePriorityAndRefusesShortRecords) {
    const Bytes record = {0, 4, 0, 2, 0, 0xE8, 0x03, 0x21, 0xCA, 0xFE, 0, 0, 1, 0, 3};
    EXPECT_EQ(Service(SVC_SetAttributesAll, CLS_J1939IoTable, 2, record).generalStatus, 0);
    EXPECT_EQ(Value("J1939IO_2", "Direction"), "Input");
    EXPECT_EQ(Value("J1939IO_2", "Offset"), "4");
    EXPECT_EQ(Value("J1939IO_2", "Size"), "2");
    EXPECT_EQ(Value("J1939IO_2", "Update Rate"), "1000");
    EXPECT_EQ(Value("J1939IO_2", "Target Address"), "33");
    EXPECT_EQ(Value("J1939IO_2", "PGN"), "65226");
    EXPECT_EQ(Value("J1939IO_2", "Message Offset"), "1");
    EXPECT_EQ(Value("J1939IO_2", "Priority"), "3");
    EXPECT_EQ(Data(Service(SVC_GetAttributesAll, CLS_J1939IoTable, 2)), record);

    Bytes dtc = record;
    dtc[0] = 2;
    Service(SVC_SetAttributesAll, CLS_J1939IoTable, 2, dtc);
    EXPECT_EQ(Value("J1939IO_2", "Direction"), "2");

    const Bytes shortRecord(record.begin(), record.begin() + 14);
    const DeviceReply refused = Service(SVC_SetAttributesAll, CLS_J1939IoTable, 5, shortRecord);
    EXPECT_EQ(refused.generalStatus, DST_NotEnoughData);
    EXPECT_EQ(Value("J1939IO_5", "Offset"), "<missing>");
}

TEST_F(SimulatorTest, FirmwareStorage_StatusAndRevisionOfEachArea) {
    Ini("[NVS_1]\nStatus=2\nRevision=0702\n[NVS_2]\nStatus=1\n[NVS_3]\nStatus=0\nRevision=0101\n");
    EXPECT_EQ(GetData(CLS_FirmwareStorage, 1, 1), (Bytes{2, 0}));
    EXPECT_EQ(GetData(CLS_FirmwareStorage, 1, 2), (Bytes{0x02, 0x07}));
    EXPECT_EQ(Get(CLS_FirmwareStorage, 2, 2).generalStatus, DST_ObjectNotFound);
    EXPECT_EQ(Get(CLS_FirmwareStorage, 3, 1).generalStatus, DST_ObjectNotFound);
    EXPECT_EQ(Get(CLS_FirmwareStorage, 4, 1).generalStatus, DST_ObjectNotFound);
    EXPECT_EQ(Get(CLS_FirmwareStorage, 5, 1).generalStatus, DST_ObjectNotFound);
    EXPECT_EQ(Get(CLS_FirmwareStorage, 1, 3).generalStatus, DST_AttributeNotSupported);
    EXPECT_EQ(Set(CLS_FirmwareStorage, 1, 1, {1, 0}).generalStatus, DST_ServiceNotSupported);
}

TEST_F(SimulatorTest, FirmwareTransfer_SetsStatusOneThenTwoAndResetClearsAll) {
    Ini("[NVS_1]\nStatus=2\nRevision=0102\n[NVS_4]\nStatus=2\n");
    DeviceRequest update = MakeServiceRequest(SVC_FirmwareUpdate, CLS_FirmwareStorage, 3);
    update.AppendLong(300);
    update.AppendLong(0);
    const DeviceReply opened = Exchange(update);
    EXPECT_EQ(opened.generalStatus, 0);
    EXPECT_EQ(opened.dataLength, 12);
    EXPECT_EQ(opened.Word(4), 128);
    EXPECT_EQ(m_sim.AnnouncedImageSize(), 300u);

    auto transfer = [&](std::uint32_t offset, int length) {
        DeviceRequest chunk = MakeServiceRequest(SVC_FirmwareTransfer, CLS_FirmwareStorage, 3);
        chunk.AppendLong(offset);
        chunk.AppendBytes(Bytes(static_cast<std::size_t>(length), 0x5A));
        return Exchange(chunk);
    };
    const DeviceReply first = transfer(0, 128);
    EXPECT_EQ(first.dataLength, 6);
    EXPECT_EQ(first.Word(4), 1);
    EXPECT_EQ(Value("NVS_3", "Status"), "1");
    transfer(128, 128);
    EXPECT_EQ(Value("NVS_3", "Status"), "1");
    transfer(256, 44);  // reaches the announced size
    EXPECT_EQ(Value("NVS_3", "Status"), "2");
    EXPECT_EQ(GetData(CLS_FirmwareStorage, 3, 1), (Bytes{2, 0}));

    EXPECT_EQ(Service(SVC_Reset, CLS_Identity, 1).generalStatus, 0);
    for (int area = 1; area <= 4; ++area) {
        EXPECT_EQ(Value("NVS_" + std::to_string(area), "Status"), "0") << area;
    }
    EXPECT_EQ(Value("NVS_1", "Revision"), "0102");  // other keys stay
    EXPECT_EQ(Get(CLS_FirmwareStorage, 1, 1).generalStatus, DST_ObjectNotFound);
    EXPECT_FALSE(m_sim.IsUnreachable());  // only the complete mode goes away
}

TEST_F(SimulatorTest, FirmwareTransfer_NearTheTopOfTheRangeDoesNotWrap) {
    DeviceRequest update = MakeServiceRequest(SVC_FirmwareUpdate, CLS_FirmwareStorage, 1);
    update.AppendLong(0xFFFFFFFF);
    Exchange(update);
    DeviceRequest chunk = MakeServiceRequest(SVC_FirmwareTransfer, CLS_FirmwareStorage, 1);
    chunk.AppendLong(0xFFFFFF80);
    chunk.AppendBytes(Bytes(0x7E, 1));
    Exchange(chunk);
    EXPECT_EQ(Value("NVS_1", "Status"), "1");
    chunk.AppendByte(1);
    chunk.AppendByte(1);
    Exchange(chunk);  // offset + length passes 2^32: the image is complete
    EXPECT_EQ(Value("NVS_1", "Status"), "2");
}

TEST_F(SimulatorTest, Writes_KeepTheRestOfAHandWrittenFile) {
    Ini("; simulated gateway\r\n[Identity]\r\nProduct Name = My Gateway\r\nRun Mode=Idle\r\n");
    Set(CLS_Identity, 1, 103, {1});
    const std::string text = ReadFileBytes(m_dir.File("GYSim.ini"));
    EXPECT_NE(text.find("; simulated gateway"), std::string::npos);
    EXPECT_EQ(Value("Identity", "Product Name"), "My Gateway");
    EXPECT_EQ(Value("Identity", "Run Mode"), "1");
}

TEST_F(SimulatorTest, LongProductName_IsCutToOneLengthByte) {
    Ini("[Identity]\nProduct Name=" + std::string(300, 'x') + "\n");
    const Bytes name = GetData(CLS_Identity, 1, 7);
    EXPECT_EQ(name[0], 255);
    EXPECT_EQ(name.size(), 256u);
}

TEST_F(SimulatorTest, ProfileWithPath_IsUsedAsGiven) {
    DeviceSimulator other(m_dir.File("other.ini"));
    WriteFileBytes(m_dir.File("other.ini"), "[Identity]\nRun Mode=Run\n");
    DeviceReply reply;
    ASSERT_EQ(SimulateExchange(other, MakeGetRequest(CLS_Identity, 1, 103), reply),
              DeviceResult::Done);
    EXPECT_EQ(reply.Byte(0), 1);
}

class CompleteModeTest : public SimulatorTest {
protected:
    void SetUp() override { m_sim.SetCompleteMode(true); }
};

TEST_F(CompleteModeTest, WrittenAttributesAreStoredAndReadBack) {
    struct Case {
        std::uint16_t classId;
        std::int16_t attribute;
        Bytes value;
    };
    const Case cases[] = {
        {CLS_DeviceNet, 100, {1}},
        {CLS_DeviceNet, 101, {1}},
        {CLS_DeviceNet, 103, {1}},
        {CLS_DeviceNet, 104, {1}},
        {CLS_J1939Settings, 7, {1}},
        {CLS_J1939Settings, 8, {1}},
        {CLS_J1939Settings, 9, {0xE8, 3}},
        {CLS_J1939Settings, 10, {2}},
        {CLS_Modbus, 8, {1}},
        {CLS_Modbus, 9, {0xFF}},
        {CLS_ModbusEthernet, 1, {0x10, 0x27}},
        {CLS_ModbusEthernet, 2, {0xF4, 0x01}},
        {CLS_EthernetInterface, 1, {192, 168, 1, 20, 255, 255, 255, 0, 192, 168, 1, 1, 1, 2, 1, 0}},
    };
    for (const Case& c : cases) {
        // never written: refused as a plain gateway would
        EXPECT_NE(Get(c.classId, 1, c.attribute).generalStatus, 0)
            << c.classId << "/" << c.attribute;
        EXPECT_EQ(Set(c.classId, 1, c.attribute, c.value).generalStatus, 0);
        EXPECT_EQ(GetData(c.classId, 1, c.attribute), c.value) << c.classId << "/" << c.attribute;
    }
    // the plain keys stay where they were
    EXPECT_EQ(Value("DNetConfig", "Baud Rate"), "<missing>");
    EXPECT_EQ(Value("EthernetConfig", "IP Address"), "192.168.1.20");
}

TEST_F(CompleteModeTest, SaveAnswersZeroAndClearFaultResetsIt) {
    for (std::uint16_t classId :
         {CLS_DeviceNet, CLS_J1939IoTable, CLS_Modbus, CLS_EthernetInterface}) {
        EXPECT_EQ(Service(SVC_Save, classId, 0).generalStatus, 0) << classId;
    }
    EXPECT_EQ(Service(SVC_Save, CLS_Identity, 0).generalStatus, DST_ObjectNotFound);
    Ini("[Identity]\nMajor Fault=0x85\n");
    EXPECT_EQ(Set(CLS_Identity, 1, 104, {}).generalStatus, 0);
    EXPECT_EQ(GetData(CLS_Identity, 1, 104), Bytes{0});
}

TEST_F(CompleteModeTest, FourteenByteRecordIsAcceptedAndReadsPrioritySix) {
    const Bytes record = {1, 0, 0, 4, 0, 100, 0, 0x10, 0x00, 0xF0, 0, 0, 0, 0, 2};
    Service(SVC_SetAttributesAll, CLS_J1939IoTable, 1, record);
    EXPECT_EQ(Value("J1939IO_1", "Priority"), "2");
    const Bytes old(record.begin(), record.begin() + 14);
    EXPECT_EQ(Service(SVC_SetAttributesAll, CLS_J1939IoTable, 1, old).generalStatus, 0);
    EXPECT_EQ(Value("J1939IO_1", "Priority"), "<missing>");
    const Bytes back = Data(Service(SVC_GetAttributesAll, CLS_J1939IoTable, 1));
    ASSERT_EQ(back.size(), 15u);
    EXPECT_EQ(back[14], 6);
    EXPECT_EQ(Bytes(back.begin(), back.begin() + 14), old);
    EXPECT_EQ(Service(SVC_SetAttributesAll, CLS_J1939IoTable, 1, Bytes(13, 0)).generalStatus,
              DST_NotEnoughData);
}

TEST_F(CompleteModeTest, ResetMakesTheGatewayUnreachableForTheDowntime) {
    m_sim.SetResetDowntime(std::chrono::milliseconds(150));
    EXPECT_FALSE(m_sim.IsUnreachable());
    Service(SVC_Reset, CLS_Identity, 1);
    EXPECT_TRUE(m_sim.IsUnreachable());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(m_sim.IsUnreachable());
}

}  // namespace
