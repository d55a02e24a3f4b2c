#pragma once
// The page layout of a printed bug report: margins from the device's size in millimetres,
// report lines (an empty one printed as a blank), and lines placed page by page so that no
// line is split across pages.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace crashreport {

// Device capabilities a layout needs (device units, millimetres, printable-area offsets).
struct PrintDevice {
    int32_t horzRes = 0, vertRes = 0;
    int32_t horzSizeMm = 0, vertSizeMm = 0;
    int32_t offsetX = 0, offsetY = 0;
};

struct PrintGeometry {
    int32_t leftMargin = 0, topMargin = 0;
    int32_t textWidth = 0, usableHeight = 0;
};

// 20 mm left, 10 mm top and right margins, less the unprintable border.
PrintGeometry ComputePrintGeometry(const PrintDevice& device);

// The report's lines split at CR LF; an empty line becomes one blank.
std::vector<std::string> ReportPrintLines(const std::string& report);

struct PlacedLine {
    int32_t page = 0; // 0-based
    int32_t top = 0;
    int32_t height = 0;
};
// Places lines of the measured heights: a line whose bottom would pass the usable height
// starts a new page at the top margin.
std::vector<PlacedLine> PlaceReportLines(const std::vector<int32_t>& heights,
                                         const PrintGeometry& geometry);

} // namespace crashreport
