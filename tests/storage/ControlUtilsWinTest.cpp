// The platform side of the control utilities that draws: text on a canvas.
#include "OcBCLUtilsWin.h"

#include "windows/Graphics.h"
#include "windows/Images.h"

#include <gtest/gtest.h>

using namespace classlib;

// DrawTextOnCanvas draws through the canvas's own device context (its font) and returns the
// text's height; with DT_CALCRECT the rectangle grows to the text and nothing is drawn.
TEST(ControlUtilsWin, DrawTextOnCanvasMeasuresAndDrawsWithTheCanvasFont)
{
    TBitmap bitmap;
    bitmap.SetSize(200, 60);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetColor(static_cast<TColor>(0xFFFFFF));
    canvas->FillRect(RECT{0, 0, 200, 60});
    canvas->Font()->SetHeight(-20);
    RECT measured{0, 0, 0, 0};
    const int height =
        bcl::DrawTextOnCanvas(canvas, "Wide text", -1, measured, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(height, canvas->TextHeight("Wide text"));
    EXPECT_EQ(measured.right, canvas->TextWidth("Wide text"));
    EXPECT_EQ(measured.bottom, height);

    // Only the first four characters when a length is given.
    RECT part{0, 0, 0, 0};
    bcl::DrawTextOnCanvas(canvas, "Wide text", 4, part, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(part.right, canvas->TextWidth("Wide"));

    canvas->Font()->SetColor(static_cast<TColor>(0x000000));
    RECT box{10, 10, 190, 50};
    EXPECT_EQ(bcl::DrawTextOnCanvas(canvas, "Wide text", -1, box, DT_SINGLELINE), height);
    int dark = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if ((GetPixel(canvas->Handle(), x, y) & 0xFFFFFF) == 0)
                ++dark;
    EXPECT_GT(dark, 0) << "the text was drawn";
}
