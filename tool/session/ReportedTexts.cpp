#include "tool/session/ReportedTexts.h"

namespace gantry::tool {

namespace {

using TextOf = std::string (*)(std::uint32_t value);

std::string TextOfReported(const ReportedValue& reported, const char* offlineText, TextOf text) {
    switch (reported.state) {
        case ReportedValue::State::Offline:
            return offlineText;
        case ReportedValue::State::Read:
            return text(reported.value);
        case ReportedValue::State::NotRead:
            break;
    }
    return {};
}

std::string ScannerText(std::uint32_t code) {
    return DeviceNetScannerStatusText(static_cast<std::uint8_t>(code));
}

std::string OnlineText(std::uint32_t status) {
    return J1939StatusText(static_cast<std::uint8_t>(status));
}

std::string FaultText(std::uint32_t code) {
    return MajorFaultText(code);
}

// The status and fault pair the Modbus and J1939 records report alike.
StatusAndErrorTexts OnlineAndFault(const ReportedValue& status, const ReportedValue& fault) {
    return {TextOfReported(status, "Offline", OnlineText),
            TextOfReported(fault, "None", FaultText)};
}

}  // namespace

StatusAndErrorTexts DeviceNetStatusTexts(const DeviceNetSettings& s) {
    return {TextOfReported(s.scannerStatus, "Offline", ScannerText),
            TextOfReported(s.fault, "None", FaultText)};
}

StatusAndErrorTexts ModbusStatusTexts(const ModbusSettings& s) {
    return OnlineAndFault(s.status, s.fault);
}

StatusAndErrorTexts J1939StatusTexts(const J1939Settings& s) {
    return OnlineAndFault(s.status, s.fault);
}

std::string J1939NetworkAddressText(const J1939Settings& s) {
    const ReportedValue& address = s.networkAddress;
    return address.state == ReportedValue::State::Read ? std::to_string(address.value)
                                                       : std::string();
}

}  // namespace gantry::tool
