#include "ReportPrintLayout.h"

namespace crashreport {

namespace {

// x millimetres in device units, rounded.
int32_t Millimetres(int32_t x, int32_t resolution, int32_t sizeMm)
{
    if (sizeMm <= 0)
        return 0;
    return static_cast<int32_t>((static_cast<int64_t>(x) * resolution + sizeMm / 2) / sizeMm);
}

} // namespace

PrintGeometry ComputePrintGeometry(const PrintDevice& device)
{
    PrintGeometry geometry;
    geometry.topMargin = Millimetres(10, device.vertRes, device.vertSizeMm) - device.offsetY;
    geometry.usableHeight = device.vertRes - 2 * geometry.topMargin;
    geometry.leftMargin = Millimetres(20, device.horzRes, device.horzSizeMm) - device.offsetX;
    geometry.textWidth = device.horzRes - geometry.leftMargin -
                         (Millimetres(10, device.horzRes, device.horzSizeMm) - device.offsetX);
    return geometry;
}

std::vector<std::string> ReportPrintLines(const std::string& report)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = report.find("\r\n", start);
        std::string line =
            report.substr(start, end == std::string::npos ? std::string::npos : end - start);
        lines.push_back(line.empty() ? " " : line);
        if (end == std::string::npos)
            return lines;
        start = end + 2;
    }
}

std::vector<PlacedLine> PlaceReportLines(const std::vector<int32_t>& heights,
                                         const PrintGeometry& geometry)
{
    std::vector<PlacedLine> placed;
    int32_t page = 0;
    int32_t y = geometry.topMargin;
    for (int32_t height : heights) {
        // A line taller than a page still gets a page of its own instead of an endless run.
        if (y + height > geometry.usableHeight && y > geometry.topMargin) {
            ++page;
            y = geometry.topMargin;
        }
        placed.push_back({page, y, height});
        y += height;
    }
    return placed;
}

} // namespace crashreport
