#pragma once
// Printing a bug report: the print dialog, then the report in 8-point "Courier New", wrapped
// at the text width, page after page.
#include "ReportPrintLayout.h"

#include <windows.h>

#include <string>

namespace crashreport {

// Asks for a printer and prints; the result is always false (callers ignore it).
bool PrintReportText(const std::string& report, HWND parent, const std::string& documentName);

// The report laid out on a device context with the report font selected.
struct LaidOutReport {
    PrintGeometry geometry;
    std::vector<std::string> lines;
    std::vector<PlacedLine> placed;
};
LaidOutReport LayOutReport(HDC dc, const std::string& report);
// Draws the lines of one page.
void DrawReportPage(HDC dc, const LaidOutReport& layout, int32_t page);
// The report font for the device (8 points); the caller deletes it.
HFONT CreateReportFont(HDC dc);

// The whole print job on a printer context: document, pages, font.
bool PrintReportOnDc(HDC dc, const std::string& report, const std::string& documentName);

} // namespace crashreport
