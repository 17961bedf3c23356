// The titles and field labels of the network and J1939 settings panes, as the
// window shows them, for the front ends that list a configuration by field
// (the commissioning report). The panes' own labels must read the same.
#pragma once

namespace gantry::tool {

inline constexpr const char* f_szDeviceNetTitle = "DeviceNet Configuration";
inline constexpr const char* f_szModbusTitle = "Modbus Configuration";
inline constexpr const char* f_szEthernetTitle = "Ethernet Configuration";
inline constexpr const char* f_szJ1939Title = "J1939 Configuration";

inline constexpr const char* f_szMacAddressLabel = "MAC Address:";
inline constexpr const char* f_szBaudRateLabel = "Baud Rate:";
inline constexpr const char* f_szAutoBaudLabel = "AutoBaud";
inline constexpr const char* f_szSwapIoLabel = "Swap I/O Bytes";
inline constexpr const char* f_szStatusDataTableLabel = "Status Data in Input Table";
inline constexpr const char* f_szInputSafeStateLabel = "Input Safe State:";

inline constexpr const char* f_szNetworkAddressLabel = "Network Address:";
inline constexpr const char* f_szParityLabel = "Parity:";
inline constexpr const char* f_szStopBitsLabel = "Stop Bits:";
inline constexpr const char* f_szWatchdogLabel = "Watchdog Timeout (ms)";
inline constexpr const char* f_szEnhancedWatchdogLabel = "Watchdog Timeout:";
inline constexpr const char* f_szNetworkTypeLabel = "Network Type:";
inline constexpr const char* f_szNetworkDuplexLabel = "Network Duplex:";

inline constexpr const char* f_szDhcpLabel = "DHCP:";
inline constexpr const char* f_szIpAddressLabel = "IP Address:";
inline constexpr const char* f_szSubnetMaskLabel = "Subnet Mask:";
inline constexpr const char* f_szGatewayAddressLabel = "Gateway Address:";
inline constexpr const char* f_szSpeedLabel = "Speed:";
inline constexpr const char* f_szDuplexLabel = "Duplex:";
inline constexpr const char* f_szModbusTimeoutEnableLabel = "Enable Modbus Timeout";
inline constexpr const char* f_szModbusTimeoutLabel = "Modbus Timeout (ms):";
inline constexpr const char* f_szIoSizeLabel = "I/O Size:";

inline constexpr const char* f_szDeviceNameLabel = "Device NAME:";
inline constexpr const char* f_szNetAddressLabel = "Net Address:";
inline constexpr const char* f_szAddressListTitle = "Network Address List";
inline constexpr const char* f_szBusOffResetLabel = "Bus-Off CAN Reset";
inline constexpr const char* f_szStatusInInputLabel = "Status Data In Input";
inline constexpr const char* f_szOfflineDetectionLabel = "Enable Offline Detection";
inline constexpr const char* f_szOfflineTimeLabel = "Offline Detection Time (ms):";
inline constexpr const char* f_szJ1939BaudRateLabel = "Baud Rate:";

}  // namespace gantry::tool
