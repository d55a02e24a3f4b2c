// The stepped gradient painted into a 32-bit DIB.
#include "GuiTest.h"
#include "OcControlUtilsWin.h"

#include <gtest/gtest.h>

using storage::PaintStepGradient;
using testsupport::Dib;

TEST(GradientPaint, BandsAndTheEndColourStrip)
{
    Dib dib(20, 10, 0x00FF00);
    // 10 pixels high, 3 steps: bands of 3 pixels, the last pixel row in the end colour.
    // TColor is 0x00BBGGRR: blue 0xFF0000 runs to red 0x0000FF.
    PaintStepGradient(dib.dc(), RECT{0, 0, 20, 10}, 0xFF0000, 3, 0, 0x0000FF);
    EXPECT_EQ(dib.Pixel(5, 0), 0x0000FFu);  // Pixel() is 0xRRGGBB: blue
    EXPECT_EQ(dib.Pixel(5, 2), 0x0000FFu);
    // The middle step: red 0 + MulDiv(1, 255, 2) = 128, blue 255 + MulDiv(1, -255, 2) = 127
    // (MulDiv rounds halves away from zero).
    EXPECT_EQ(dib.Pixel(5, 3), 0x80007Fu);
    EXPECT_EQ(dib.Pixel(5, 8), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(5, 9), 0xFF0000u);  // the remaining strip: end colour
}

TEST(GradientPaint, RightToLeftExchangesTheColoursAndNoneDrawsNothing)
{
    Dib dib(4, 2, 0x00FF00);
    PaintStepGradient(dib.dc(), RECT{0, 0, 4, 2}, 0x000000, 255, 3, 0xFFFFFF);
    EXPECT_EQ(dib.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dib.Pixel(3, 1), 0x000000u);

    Dib untouched(4, 2, 0x00FF00);
    PaintStepGradient(untouched.dc(), RECT{0, 0, 4, 2}, 0x1FFFFFFF, 4, 0, 0x1FFFFFFF);
    PaintStepGradient(untouched.dc(), RECT{2, 2, 2, 2}, 0x000000, 4, 0, 0xFFFFFF);
    EXPECT_EQ(untouched.Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(untouched.Pixel(2, 1), 0x00FF00u);
}

TEST(GradientPaint, SystemColoursAreResolved)
{
    Dib dib(2, 2, 0x00FF00);
    PaintStepGradient(dib.dc(), RECT{0, 0, 2, 2}, 0xFF00000F, 1, 0, 0x000000); // button face
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(dib.Pixel(1, 1), (uint32_t(GetRValue(face)) << 16) | (GetGValue(face) << 8) | GetBValue(face));
}
