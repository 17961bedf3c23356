// One encoded object request as a short text, for tests that record the
// requests of a sequence and compare them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tool/device/DeviceRequest.h"

// One request as "G 1/1/103", "S 3/1/2 01", "GA 111/4", "SA 111/1 <data>", "Save 111/0".
inline std::string DescribeRequest(const std::vector<std::uint8_t>& bytes) {
    using namespace gantry::tool;
    const unsigned service = bytes.at(0);
    const unsigned classId = bytes.at(1) | (bytes.at(2) << 8);
    const unsigned instance = bytes.at(3) | (bytes.at(4) << 8);
    const bool single = service == SVC_GetAttributeSingle || service == SVC_SetAttributeSingle;
    std::string text = service == SVC_GetAttributeSingle   ? "G "
                       : service == SVC_SetAttributeSingle ? "S "
                       : service == SVC_GetAttributesAll   ? "GA "
                       : service == SVC_SetAttributesAll   ? "SA "
                       : service == SVC_Save               ? "Save "
                                                           : std::to_string(service) + " ";
    text += std::to_string(classId) + "/" + std::to_string(instance);
    std::size_t data = 5;
    if (single) {
        text += "/" + std::to_string(bytes.at(5));
        data = 6;
    }
    if (data < bytes.size()) {
        text += " ";
        for (std::size_t i = data; i < bytes.size(); ++i) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
            text += hex;
        }
    }
    return text;
}
