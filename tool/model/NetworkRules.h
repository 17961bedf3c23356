// The rules of the network-side entries and records: the range each number
// entry holds and the exact refusal it gets, the offline detection time, and
// the J1939 network address list. Entries are judged here whether they come
// from a screen, a file or a record before a download; nothing else repeats a
// range or a text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "tool/model/J1939Settings.h"
#include "tool/model/NetworkSettings.h"
#include "tool/model/Refusal.h"

namespace gantry::tool {

// Whether `value` lies in the range of `field` (MacAddress 0-63,
// NetworkAddress 1-247, IoSize 4-500, OfflineTime 100-60000 ms while
// detection is on, AddressList 0-255). Other fields have no range here.
bool InRange(Field field, std::uint32_t value);
// The refusal of a value outside the range of `field`.
Refusal RangeRefusal(Field field);
// Nothing when `value` is in range, else its refusal.
std::optional<Refusal> CheckRange(Field field, std::uint32_t value);

// The refusal of an Ethernet address text (Field::IpAddress, SubnetMask,
// GatewayAddress) that is not four numbers 0-255 joined by dots; it names the
// field ("Invalid Subnet Mask. ...").
Refusal AddressRefusal(Field field);

// The records before a download, each judged once.
std::optional<Refusal> ValidateDeviceNet(const DeviceNetSettings& d);
// A Modbus master has no network address to judge.
std::optional<Refusal> ValidateModbus(const ModbusSettings& m, bool modbusMaster);
std::optional<Refusal> ValidateEthernet(const EthernetSettings& e);
// The offline detection time while detection is on (time not 0).
std::optional<Refusal> ValidateJ1939Settings(const J1939Settings& s);

// The J1939 network address list holds at most 255 addresses, all its count
// byte can carry.
inline constexpr std::size_t f_nMaxAddressListSize = 255;
// "&Add" of an address read from the entry (nothing: the text held no
// acceptable number): appended (duplicates allowed) unless refused.
std::optional<Refusal> AddToAddressList(std::optional<std::uint32_t> address,
                                        J1939Settings& settings);
// "&Remove" of the selected address (index into the list; -1 = none).
std::optional<Refusal> RemoveFromAddressList(int selection, J1939Settings& settings);

}  // namespace gantry::tool
