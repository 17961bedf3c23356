#include "tool/session/StatusPresentation.h"

#include "tool/device/IdentityValues.h"
#include "tool/device/ProductCatalogue.h"

#include <cstdint>

namespace gantry::tool {

ModeList ModeListOf(int runState) {
    switch (runState) {
        case RS_Idle:
        case RS_Run:
            return ModeList{{"Idle", "Run"}, runState};
        case RS_Faulted:
            return ModeList{{"Faulted"}, 0};
        default:
            return ModeList{{"Not Detected"}, 0};
    }
}

std::string RunStateText(int runState) {
    const ModeList list = ModeListOf(runState);
    return list.items[static_cast<std::size_t>(list.selected)];
}

StatusTexts StatusTextsOf(const CDevice& device) {
    StatusTexts texts;
    // a faulted gateway still answers: only "not detected" (or never read)
    // empties the identity
    const int state = device.GetRunState();
    texts.detected = state == RS_Idle || state == RS_Run || state == RS_Faulted;
    if (!texts.detected) {
        texts.error = f_szUnableToDetect;
        return texts;
    }
    texts.device = device.ProductName();
    texts.error = FormatMajorFault(static_cast<std::uint32_t>(device.MajorFault()));
    texts.clientInterface = InterfaceTypeName(device.ClientType());
    texts.serverInterface = InterfaceTypeName(device.ServerType());
    texts.serialNumber = FormatSerialNumber(device.SerialNumber());
    texts.firmwareRevision = FormatRevision(device.Revision());
    return texts;
}

}  // namespace gantry::tool
