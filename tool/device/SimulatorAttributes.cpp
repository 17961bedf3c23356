#include "tool/device/SimulatorAttributes.h"

#include "common/TextFormat.h"
#include "tool/device/ProductCatalogue.h"

namespace gantry::tool {

namespace {

const char* const f_baudNames[] = {"125K", "250K", "500K"};
const char* const f_parityNames[] = {"None", "Odd", "Even"};
const char* const f_statusNames[] = {"Offline", "Online"};
const char* const f_runModeNames[] = {"Idle", "Run", "Faulted"};

using V = SimValue;
constexpr bool RO = false;
constexpr bool RW = true;
constexpr bool Always = false;
constexpr bool Complete = true;

// Identity's writes (run mode, clearing the fault) and Reset are its
// handler's; here are the attributes it answers.
const SimAttribute f_attributes[] = {
    {CLS_Identity, 3, f_szIdentity, "Product Code", V::Long, RO, Always},
    {CLS_Identity, 4, f_szIdentity, "Firmware Revision", V::Revision, RO, Always},
    {CLS_Identity, 6, f_szIdentity, "Serial Number", V::Long, RO, Always},
    {CLS_Identity, 7, f_szIdentity, "Product Name", V::ShortText, RO, Always},
    {CLS_Identity, 101, f_szIdentity, "Client Type", V::InterfaceType, RO, Always},
    {CLS_Identity, 102, f_szIdentity, "Server Type", V::InterfaceType, RO, Always},
    {CLS_Identity, 103, f_szIdentity, "Run Mode", V::Choice, RO, Always, f_runModeNames, 0},
    {CLS_Identity, 104, f_szIdentity, "Major Fault", V::Byte, RO, Always},

    {CLS_DeviceNet, 1, f_szDeviceNet, "MAC Address", V::Byte, RW, Always},
    {CLS_DeviceNet, 2, f_szDeviceNet, "Baud Rate", V::Choice, RW, Always, f_baudNames},
    {CLS_DeviceNet, 100, f_szDeviceNet, "AutoBaud", V::StoredByte, RW, Complete},
    {CLS_DeviceNet, 101, f_szDeviceNet, "Swap IO Bytes", V::StoredByte, RW, Complete},
    {CLS_DeviceNet, 103, f_szDeviceNet, "Status Data In Input", V::StoredByte, RW, Complete},
    {CLS_DeviceNet, 104, f_szDeviceNet, "Input Safe State", V::StoredByte, RW, Complete},

    {CLS_J1939Settings, 1, f_szJ1939, "Status", V::DecimalByte, RO, Always},
    {CLS_J1939Settings, 2, f_szJ1939, "Major Fault", V::Word, RO, Always},
    {CLS_J1939Settings, 3, f_szJ1939, "Network Address", V::Byte, RO, Always},
    {CLS_J1939Settings, 4, f_szJ1939, "Device Name", V::DeviceName, RW, Always},
    {CLS_J1939Settings, 5, f_szJ1939, "Network Address List", V::AddressList, RW, Always},
    {CLS_J1939Settings, 6, f_szJ1939, "Enable Bus Off CAN Reset", V::Flag, RW, Always},
    {CLS_J1939Settings, 7, f_szJ1939, "Swap IO Bytes", V::StoredByte, RW, Complete},
    {CLS_J1939Settings, 8, f_szJ1939, "Status Data In Input", V::StoredByte, RW, Complete},
    {CLS_J1939Settings, 9, f_szJ1939, "Offline Detection Time", V::StoredWord, RW, Complete},
    {CLS_J1939Settings, 10, f_szJ1939, "Baud Rate", V::StoredByte, RW, Complete},

    {CLS_Modbus, 1, f_szModbus, "Status", V::Choice, RO, Always, f_statusNames, 0},
    {CLS_Modbus, 2, f_szModbus, "Major Fault", V::Word, RO, Always},
    {CLS_Modbus, 3, f_szModbus, "Slave Address", V::Byte, RW, Always},
    {CLS_Modbus, 4, f_szModbus, "Baud Rate", V::Hundreds, RW, Always},
    {CLS_Modbus, 5, f_szModbus, "Parity", V::Choice, RW, Always, f_parityNames},
    {CLS_Modbus, 6, f_szModbus, "Stop Bits", V::DecimalByte, RW, Always},
    {CLS_Modbus, 7, f_szModbus, "Watchdog Timeout", V::DecimalWord, RW, Always},
    {CLS_Modbus, 8, f_szModbus, "Network Type", V::StoredByte, RW, Complete},
    {CLS_Modbus, 9, f_szModbus, "Network Duplex", V::StoredByte, RW, Complete},

    {CLS_ModbusEthernet, 1, f_szModbusEthernet, "Timeout", V::StoredWord, RW, Complete},
    {CLS_ModbusEthernet, 2, f_szModbusEthernet, "IO Size", V::StoredWord, RW, Complete},
};

// Byte, Word or Long of the number `value` by the width the kind answers.
void AnswerNumber(SimValue kind, std::uint32_t value, SimReply& reply) {
    switch (kind) {
        case V::Word:
        case V::DecimalWord:
        case V::Hundreds:
        case V::StoredWord:
            return reply.Word(value);
        case V::Long:
            return reply.Long(value);
        default:
            return reply.Byte(value);
    }
}

// The profile text of the value the request writes.
std::string StoredText(const SimAttribute& attribute, const SimRequest& request) {
    switch (attribute.value) {
        case V::Word:
        case V::DecimalWord:
        case V::StoredWord:
            return FormatText("%u", static_cast<unsigned>(request.DataWord(0)));
        case V::Hundreds:
            return FormatText("%u", static_cast<unsigned>(request.DataWord(0) * 100));
        case V::Flag:
            return std::string(request.DataByte(0) != 0 ? "1" : "0");
        case V::Choice:
            return ChoiceName(request.DataByte(0), attribute.names);
        case V::DeviceName:
            return DeviceNameText(request);
        case V::AddressList:
            return AddressListText(request);
        default:
            return FormatText("%u", static_cast<unsigned>(request.DataByte(0)));
    }
}

}  // namespace

const SimAttribute* FindSimAttribute(std::uint16_t classId, int attribute, bool complete) {
    for (const SimAttribute& entry : f_attributes) {
        if (entry.classId == classId && entry.attribute == attribute) {
            return entry.completeOnly && !complete ? nullptr : &entry;
        }
    }
    return nullptr;
}

void AnswerSimAttribute(const SimAttribute& attribute, const CSimFile& file, SimReply& reply) {
    const std::string text = file.Read(attribute.section, attribute.key);
    switch (attribute.value) {
        case V::DecimalByte:
        case V::DecimalWord:
        case V::Flag:
            return AnswerNumber(attribute.value, ParseDecimal(text), reply);
        case V::Hundreds:
            return reply.Word(ParseDecimal(text) / 100);
        case V::Choice:
            return reply.Byte(ParseChoice(text, attribute.names, attribute.emptyChoice));
        case V::Revision:
            return ReadRevisionText(text, reply);
        case V::DeviceName:
            return ReadDeviceName(text, reply);
        case V::AddressList:
            return ReadAddressList(text, reply);
        case V::ShortText:
            return ReadShortText(text, reply);
        case V::InterfaceType:
            return reply.Byte(ParseInterfaceType(text));
        case V::StoredByte:
        case V::StoredWord:
            if (text.empty()) {
                return reply.Refuse(DST_AttributeNotSupported);
            }
            [[fallthrough]];
        default:
            return AnswerNumber(attribute.value, ParseHexOrDecimal(text), reply);
    }
}

void StoreSimAttribute(const SimAttribute& attribute, const SimRequest& request, CSimFile& file) {
    file.Write(attribute.section, attribute.key, StoredText(attribute, request));
}

}  // namespace gantry::tool
