// Printing's page layout on a device context (no printer queue exists under this Wine): the
// report font, wrapped long lines, pages that never split a line, and the drawn text.
#include "ReportPrinting.h"

#include <gtest/gtest.h>

namespace crashreport {
namespace {

class ReportPrinting : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen_ = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen_);
        font_ = CreateReportFont(dc_);
        previous_ = SelectObject(dc_, font_);
    }
    void TearDown() override
    {
        SelectObject(dc_, previous_);
        DeleteObject(font_);
        DeleteDC(dc_);
        ReleaseDC(nullptr, screen_);
    }
    HDC screen_ = nullptr, dc_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

TEST_F(ReportPrinting, AsksForEightPointCourierNew)
{
    // The font asked for; which face the system substitutes depends on its installed fonts.
    LOGFONTA font{};
    ASSERT_EQ(GetObjectA(font_, sizeof font, &font), static_cast<int>(sizeof font));
    EXPECT_STREQ(font.lfFaceName, "Courier New");
    EXPECT_EQ(font.lfHeight, -MulDiv(8, GetDeviceCaps(dc_, LOGPIXELSY), 72));
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
}

TEST_F(ReportPrinting, WrapsLongLinesAndKeepsEveryLineOnOnePage)
{
    std::string longLine;
    for (int i = 0; i < 200; ++i)
        longLine += "word" + std::to_string(i) + " ";
    std::string report = "date/time : today\r\n\r\n" + longLine;
    for (int i = 0; i < 400; ++i)
        report += "\r\nline " + std::to_string(i);
    const LaidOutReport layout = LayOutReport(dc_, report);
    ASSERT_EQ(layout.placed.size(), 403u);
    const int32_t lineHeight = layout.placed[0].height;
    EXPECT_GT(lineHeight, 0);
    EXPECT_EQ(layout.placed[1].height, lineHeight) << "an empty line prints as a blank";
    EXPECT_GT(layout.placed[2].height, 2 * lineHeight) << "the long line wraps";
    EXPECT_EQ(layout.placed[2].height % lineHeight, 0);
    EXPECT_GT(layout.placed.back().page, 0);
    for (const PlacedLine& line : layout.placed)
        EXPECT_TRUE(line.top == layout.geometry.topMargin ||
                    line.top + line.height <= layout.geometry.usableHeight);
}

TEST_F(ReportPrinting, DrawsTheLinesOfOnePage)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = GetDeviceCaps(dc_, HORZRES);
    info.bmiHeader.biHeight = -GetDeviceCaps(dc_, VERTRES);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(dc_, bitmap);
    const int width = info.bmiHeader.biWidth;
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < width * -info.bmiHeader.biHeight; ++i)
        const_cast<uint32_t*>(pixels)[i] = 0xFFFFFF;

    const LaidOutReport layout = LayOutReport(dc_, "MMMMMMMM\r\n\r\nMMMMMMMM");
    DrawReportPage(dc_, layout, 0);
    GdiFlush();
    auto inkInRows = [&](int32_t top, int32_t height) {
        int ink = 0;
        for (int y = top; y < top + height; ++y)
            for (int x = 0; x < width; ++x)
                ink += (pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF;
        return ink;
    };
    EXPECT_GT(inkInRows(layout.placed[0].top, layout.placed[0].height), 0);
    EXPECT_EQ(inkInRows(layout.placed[1].top, layout.placed[1].height), 0);
    EXPECT_GT(inkInRows(layout.placed[2].top, layout.placed[2].height), 0);
    for (int y = 0; y < -info.bmiHeader.biHeight; ++y)
        for (int x = 0; x < layout.geometry.leftMargin; ++x)
            ASSERT_EQ(pixels[y * width + x] & 0xFFFFFF, 0xFFFFFFu)
                << "ink left of the margin at " << x << "," << y;
    SelectObject(dc_, old);
    DeleteObject(bitmap);
}

TEST_F(ReportPrinting, ContextWithoutPrinterPrintsNothing)
{
    EXPECT_FALSE(PrintReportOnDc(dc_, "report", "Print"));
}

} // namespace
} // namespace crashreport
