#include "tool/model/Limits.h"

namespace gantry::tool {

DataTableLimits DataTableLimits::ForProfibus(bool statusDataInInput) {
    // the status data takes 12 bytes of the input table
    return statusDataInInput ? DataTableLimits{232, 244, 388} : DataTableLimits{244, 244, 400};
}

DataTableLimits DataTableLimits::ForEthernet(std::uint32_t ioSizeBytes) {
    const std::int64_t size = ioSizeBytes;
    return DataTableLimits{size - 4, size - 8, 2 * size - 12};
}

DataTableLimits DataTableLimits::ForModbus() {
    return DataTableLimits{2048, 2048, 4096};
}

PgnLimits PgnLimits::FromIdentity(std::uint32_t serverType, std::uint16_t revision) {
    const unsigned value = RevisionCompareValue(revision);
    const bool older = ((serverType == 6 || serverType == 8) && value < 0x203) ||
                       (serverType == 11 && value < 0x103);
    return older ? PgnLimits{50, 50} : PgnLimits{120, 100};
}

}  // namespace gantry::tool
