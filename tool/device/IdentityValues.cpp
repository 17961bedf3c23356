#include "tool/device/IdentityValues.h"

#include <cstdio>

namespace gantry::tool {

namespace {

struct ScannerText {
    int code;
    const char* text;
};

constexpr ScannerText f_scannerTexts[] = {
    {0, "OK"},
    {60, "DUP MAC CHK"},
    {61, "AUTOBAUD"},
    {70, "DUP MAC ERR"},
    {71, "CONFIG ERR"},
    {72, "COMM FAIL"},
    {73, "DEV TYPE"},
    {74, "PORT ORUN"},
    {75, "NET QUIET"},
    {76, "NO MSGS"},
    {77, "DATA SIZE"},
    {78, "NO DEVICE"},
    {79, "XMIT FAIL"},
    {80, "IDLE MODE"},
    {81, "FAULT MODE"},
    {82, "FRAG ERR"},
    {83, "INIT ERR"},
    {84, "NOT INIT"},
    {85, "DATA SIZE"},
    {86, "DEV IDLE"},
    {87, "SHARED MASTER ERROR"},
    {88, "SHARED CHOICE ERROR"},
    {89, "KEEPER FAIL"},
    {90, "PORT DISABLED"},
    {91, "BUS OFF"},
    {92, "NET POWER"},
    {95, "FLASH"},
    {96, "TEST MODE"},
    {97, "HALT"},
    {98, "FW FAIL"},
    {99, "SYS FAIL"},
};

}  // namespace

std::string FormatRevision(std::uint16_t revision) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", RevisionMajor(revision), RevisionMinor(revision));
    return text;
}

std::string FormatSerialNumber(std::uint32_t serialNumber) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(serialNumber));
    return text;
}

std::string FormatMajorFault(std::uint32_t fault) {
    if (fault == 0) {
        return "No Error";
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(fault & 0x7F));
    return text;
}

std::string ScannerStatusText(int code) {
    for (const ScannerText& entry : f_scannerTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    char text[16];
    std::snprintf(text, sizeof text, "%2d ", code);
    return text;
}

}  // namespace gantry::tool
