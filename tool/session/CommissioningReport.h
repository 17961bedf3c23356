// The commissioning report: what a technician hands over after commissioning a
// gateway. Its content (identity, every setting of each pane with the pane's
// label, both I/O tables as the lists show them in decimal, the counts and
// limits, the date, the tool's version and a checksum of the .cfg bytes) comes
// from here only; the front ends choose the output (HTML here, PDF in the
// window). Pure functions, any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tool/device/Device.h"
#include "tool/model/Configuration.h"
#include "tool/session/ConfigurationSession.h"

namespace gantry::tool {

// Whose configuration it is. Texts as the status view shows them; a file
// read without a gateway has no serial number or revision of its own.
struct ReportIdentity {
    std::string product;
    std::string serialNumber;      // "%08X", or "not recorded"
    std::string firmwareRevision;  // "%d.%02d", or "not recorded"
    std::string runState;          // "Idle", "Run", "Faulted", "Not Detected"
    std::string source;            // "gateway" or the file's path
    std::uint16_t revision = 0;    // decides which fields the panes show
};
// The gateway the device holds (online or the simulated one).
ReportIdentity ReportIdentityOf(const CDevice& device);
// A configuration file with no gateway: the product by its pair, the run
// state kept in the file, the pair's usual revision for the fields.
ReportIdentity ReportIdentityOfFile(const CConfiguration& config, std::uint32_t runState,
                                    const std::string& path);

struct ReportField {
    std::string label;
    std::string value;
};
struct ReportSection {
    std::string title;
    std::vector<ReportField> fields;
};
struct ReportTable {
    std::string title;
    std::vector<std::string> headers;  // one line each
    std::vector<std::vector<std::string>> rows;
    std::vector<ReportField> counts;  // "PGN Count:" "3 of 32"
};

struct CommissioningReport {
    std::string title;
    std::vector<ReportField> header;      // product .. checksum
    std::vector<ReportSection> sections;  // the panes of the pair, top to bottom
    std::vector<ReportTable> tables;      // the J1939 input and output lists
    std::vector<ReportField> totals;      // point total, data-table sizes
};

// `cfgBytes` are the .cfg bytes of the configuration (their CRC-32 is shown);
// `date` the time of the report as it should read.
CommissioningReport BuildCommissioningReport(const CConfiguration& config,
                                             const ReportIdentity& identity,
                                             std::span<const std::uint8_t> cfgBytes,
                                             const std::string& date);

// The session's document: with the identity of the gateway that answers (the
// simulated one offline), else of the document's file; the checksum is of the
// .cfg bytes a Save would write.
CommissioningReport BuildSessionReport(const ConfigurationSession& session,
                                       const std::string& date);

// A self-contained HTML page of the report (UTF-8, no scripts, texts escaped).
std::string CommissioningReportHtml(const CommissioningReport& report);

// CRC-32 (IEEE 802.3) of the bytes as 8 upper-case hexadecimal digits.
std::string Crc32Text(std::span<const std::uint8_t> bytes);
// The current UTC time as "2026-12-08 19:40 UTC".
std::string UtcNowText();
// The tool's version ("1.0.0").
const char* ToolVersion();

}  // namespace gantry::tool
