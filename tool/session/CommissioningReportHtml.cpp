// The report as one HTML page. Kept to the HTML subset that Qt's rich text
// renders the same, so that the window prints the PDF from this very page.
#include "tool/session/CommissioningReport.h"

namespace gantry::tool {

namespace {

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

void AppendFields(std::string& html, const std::vector<ReportField>& fields) {
    html += "<table cellspacing=\"0\" cellpadding=\"3\" border=\"1\">\n";
    for (const ReportField& field : fields) {
        html += "<tr><th align=\"left\" style=\"white-space:nowrap\">" + Escape(field.label) +
                "</th><td>" + Escape(field.value) + "</td></tr>\n";
    }
    html += "</table>\n";
}

void AppendTable(std::string& html, const ReportTable& table) {
    html += "<h2>" + Escape(table.title) + "</h2>\n";
    // the I/O tables take the page's width in a smaller font; the headers'
    // words wrap to stay on the page
    html += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" border=\"1\">\n<tr>";
    for (const std::string& header : table.headers) {
        html += "<th style=\"font-size:8pt\">" + Escape(header) + "</th>";
    }
    html += "</tr>\n";
    for (const std::vector<std::string>& row : table.rows) {
        html += "<tr>";
        for (std::size_t column = 0; column < row.size(); ++column) {
            // numbers keep their line; the last column's words (the type) may wrap
            const bool wraps = column + 1 == row.size();
            html += std::string(
                        wraps ? "<td align=\"right\" style=\"font-size:8pt\">"
                              : "<td align=\"right\" style=\"font-size:8pt;white-space:nowrap\">") +
                    Escape(row[column]) + "</td>";
        }
        html += "</tr>\n";
    }
    if (table.rows.empty()) {
        html += "<tr><td colspan=\"" + std::to_string(table.headers.size()) +
                "\">No I/O points</td></tr>\n";
    }
    html += "</table>\n<p>";
    for (const ReportField& count : table.counts) {
        html += Escape(count.label) + " " + Escape(count.value) + " ";
    }
    html += "</p>\n";
}

}  // namespace

std::string CommissioningReportHtml(const CommissioningReport& report) {
    std::string html =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + Escape(report.title) +
        "</title>\n<style>body{font-family:sans-serif;font-size:10pt} table{border-collapse:"
        "collapse;margin-bottom:8px} th,td{border:1px solid #888;padding:2px "
        "6px}"
        "</style>\n"
        "</head><body>\n<h1>" +
        Escape(report.title) + "</h1>\n";
    AppendFields(html, report.header);
    for (const ReportSection& section : report.sections) {
        html += "<h2>" + Escape(section.title) + "</h2>\n";
        AppendFields(html, section.fields);
    }
    for (const ReportTable& table : report.tables) {
        AppendTable(html, table);
    }
    if (!report.totals.empty()) {
        AppendFields(html, report.totals);
    }
    html += "</body></html>\n";
    return html;
}

}  // namespace gantry::tool
