#include "ReportPrintLayout.h"

#include <gtest/gtest.h>

namespace crashreport {
namespace {

TEST(ReportPrintLayout, MarginsFollowTheDevicesMillimetres)
{
    // An A4 page at 600 dots per inch with a printable area 100 dots in from the edges:
    // mm(10) = (10 x 7016 + 148) / 297 = 236 down, (10 x 4960 + 105) / 210 = 236 across,
    // mm(20) = (20 x 4960 + 105) / 210 = 472.
    const PrintGeometry g = ComputePrintGeometry({4960, 7016, 210, 297, 100, 100});
    EXPECT_EQ(g.topMargin, 136);
    EXPECT_EQ(g.usableHeight, 7016 - 2 * 136);
    EXPECT_EQ(g.leftMargin, 372);
    EXPECT_EQ(g.textWidth, 4960 - 372 - 136);
    const PrintGeometry unknown = ComputePrintGeometry({4960, 7016, 0, 0, 0, 0});
    EXPECT_EQ(unknown.topMargin, 0);
}

TEST(ReportPrintLayout, EmptyLinesPrintAsBlanks)
{
    EXPECT_EQ(ReportPrintLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", " ", "b", " "}));
}

TEST(ReportPrintLayout, LinesAreNeverSplitAcrossPages)
{
    PrintGeometry g;
    g.topMargin = 10;
    g.usableHeight = 100;
    const std::vector<PlacedLine> placed = PlaceReportLines({30, 30, 30, 40, 200, 10}, g);
    const std::vector<std::pair<int32_t, int32_t>> expected = {{0, 10}, {0, 40}, {0, 70},
                                                               {1, 10}, {2, 10}, {3, 10}};
    ASSERT_EQ(placed.size(), expected.size());
    for (size_t i = 0; i < placed.size(); ++i) {
        EXPECT_EQ(placed[i].page, expected[i].first) << i;
        EXPECT_EQ(placed[i].top, expected[i].second) << i;
    }
}

} // namespace
} // namespace crashreport
