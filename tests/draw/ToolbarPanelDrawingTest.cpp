// The toolbar and status-bar helper sets painted into 32-bit DIB sections: gradients, bevel
// lines, glyphs, accelerator underline, text measuring and the gauge. Expected text geometry
// comes from the text measured at run time.
#include "draw/PanelDrawing.h"
#include "draw/ToolbarDrawing.h"

#include "PaintOnDib.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using namespace classlib;
using namespace draw;
using drawtest::Px;
using testsupport::Dib;

namespace {

constexpr uint32_t White = 0xFFFFFF;

std::unique_ptr<Dib> Paint(int w, int h, const std::function<void(TCanvas*)>& paint,
                           uint32_t fill = White)
{
    return drawtest::PaintOnDib(w, h, paint, fill);
}

bool ColumnTouched(const Dib& dib, int x, int y0, int y1, uint32_t background)
{
    for (int y = y0; y < y1; ++y)
        if (dib.Pixel(x, y) != background)
            return true;
    return false;
}

} // namespace

TEST(ToolbarHelpers, CenterRectAndDarkenColour)
{
    RECT r{0, 0, 11, 11};
    CenterRect(r, 5, 5);
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.top, 3);
    EXPECT_EQ(r.right, 8);
    EXPECT_EQ(r.bottom, 8);
    EXPECT_EQ(DarkenColor(0x0064C8, 10), 0x005AB4u);  // RGB(200, 100, 0) -> RGB(180, 90, 0)
    EXPECT_EQ(DarkenColor(0x0A64FA, -20), 0x0C78FFu); // lighter, red stays at 255
}

TEST(ToolbarHelpers, StepGradientInnerAndMirrorGradient)
{
    // The inner gradient ends one pixel earlier: the last band's overlap stays inside r.
    auto inner = Paint(30, 30, [](TCanvas* c) {
        DrawStepGradientInner(c, 0x0000FF, 0x0000FF, 1, {0, 0, 10, 10}, false);
    });
    EXPECT_EQ(inner->Pixel(5, 9), Px(0x0000FF));
    EXPECT_EQ(inner->Pixel(5, 10), White);

    auto mirror = Paint(30, 40, [](TCanvas* c) {
        DrawMirrorGradient(c, {0, 0, 20, 30}, 10, 0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00, clNone,
                           3);
    });
    EXPECT_EQ(mirror->Pixel(10, 0), Px(0x0000FF));
    EXPECT_EQ(mirror->Pixel(10, 9), Px(0x0000FF));
    EXPECT_EQ(mirror->Pixel(10, 11), Px(0x00FF00));
    EXPECT_EQ(mirror->Pixel(10, 29), Px(0x00FF00));
    EXPECT_EQ(mirror->Pixel(0, 0), Px(0x0000FF)) << "no border";
    EXPECT_EQ(mirror->Pixel(10, 30), White);
}

TEST(ToolbarHelpers, BevelLineColoursByRaised)
{
    const uint32_t shadow = Px(clBtnShadow);
    for (bool raised : {true, false}) {
        auto dib = Paint(
            30, 30,
            [&](TCanvas* c) {
                DrawBevelLine(c, {5, 10}, {20, 10}, raised, false);
            },
            0x000000);
        EXPECT_EQ(dib->Pixel(12, 9), raised ? White : shadow) << raised;
        EXPECT_EQ(dib->Pixel(12, 11), raised ? shadow : White) << raised;
        EXPECT_EQ(dib->Pixel(12, 10), 0u) << "the line itself is left alone";
    }
}

TEST(ToolbarHelpers, CaptionButtonGlyphs)
{
    const uint32_t red = Px(0x0000FF);
    auto maximize = Paint(20, 20, [](TCanvas* c) {
        DrawMaximizeGlyph(c, {0, 0, 20, 20}, 0x0000FF, true);
    });
    for (POINT p : {POINT{8, 5}, POINT{8, 6}, POINT{4, 9}, POINT{8, 12}, POINT{12, 9}})
        EXPECT_EQ(maximize->Pixel(p.x, p.y), red) << p.x << "," << p.y;
    EXPECT_EQ(maximize->Pixel(8, 9), White);

    auto minimize = Paint(20, 20, [](TCanvas* c) {
        DrawMinimizeGlyph(c, {0, 0, 20, 20}, 0x0000FF, true);
    });
    EXPECT_EQ(minimize->Pixel(4, 10), red);
    EXPECT_EQ(minimize->Pixel(9, 11), red);
    EXPECT_EQ(minimize->Pixel(10, 10), White) << "line ends exclude their last point";

    auto close = Paint(20, 20, [](TCanvas* c) { DrawCloseGlyph(c, {0, 0, 20, 20}, 0x0000FF, 7); });
    for (POINT p : {POINT{4, 11}, POINT{5, 11}, POINT{4, 5}, POINT{5, 5}})
        EXPECT_EQ(close->Pixel(p.x, p.y), red) << p.x << "," << p.y;
    EXPECT_EQ(close->Pixel(2, 2), White);

    // The other restore variant counts from the right edge.
    auto restore = Paint(20, 20, [](TCanvas* c) {
        DrawRestoreGlyph(c, {0, 0, 20, 20}, 0x0000FF, false);
    });
    EXPECT_EQ(restore->Pixel(20 - 5, 4), red);
    EXPECT_EQ(restore->Pixel(20 - 13, 3), red);
}

TEST(ToolbarHelpers, AccelTextUnderlinesTheMarkedCharacterOnly)
{
    for (const std::string text : {"A&bcd", "A&&bcd"}) {
        const TAccelText split = SplitAccel(text);
        int h = 0, w1 = 0, w2 = 0;
        auto dib = Paint(120, 40, [&](TCanvas* c) {
            c->Font()->SetColor(0x0000FF);
            h = c->TextHeight(split.Text);
            w1 = c->TextWidth(split.Text.substr(0, 1));
            w2 = c->TextWidth(split.Text.substr(1, 1));
            c->Brush()->SetStyle(bsClear);
            DrawAccelText(c, text, {60, 5});
        });
        const int x = 60 - h + 1;
        if (split.AccelPos == 2) {
            EXPECT_EQ(dib->Pixel(x, 5 + w1), Px(0x0000FF)) << text;
            EXPECT_EQ(dib->Pixel(x, 5 + w1 + w2 - 1), Px(0x0000FF)) << text;
        } else {
            EXPECT_FALSE(ColumnTouched(*dib, x, 0, 40, White)) << text;
        }
    }
}

TEST(ToolbarHelpers, UnknownFamilyFallsBackToArial)
{
    TFont font;
    font.SetName("No Such Family Here");
    EXPECT_EQ(MakeGPFont(&font, false, 0xF).family->LastStatus(), 14);
    TGPFontPair pair = MakeGPFont(&font, true, 0xF);
    EXPECT_EQ(pair.family->LastStatus(), 0);
    EXPECT_EQ(pair.font->LastStatus(), 0);
}

// Without anti-aliasing the caption is measured in a rectangle two pixels wide: each word is
// a line of its own.
TEST(ToolbarHelpers, ButtonCaptionWithoutAntiAliasMeasuresWordsAsLines)
{
    TFont font;
    font.SetName("Tahoma");
    font.SetSize(10);
    RECT measured{}, oneWord{};
    Paint(200, 60, [&](TCanvas* c) {
        c->Font()->Assign(&font);
        DrawButtonCaption(c, 2, {0, 0, 200, 60}, "Two words", L"", &font, true, false, 0, measured);
        DrawButtonCaption(c, 2, {0, 0, 200, 60}, "Two", L"", &font, true, false, 0, oneWord);
    });
    EXPECT_GT(oneWord.bottom - oneWord.top, 0);
    EXPECT_EQ(measured.bottom - measured.top, 2 * (oneWord.bottom - oneWord.top));
    RECT untouched{1, 2, 3, 4};
    Paint(10, 10, [&](TCanvas* c) {
        DrawButtonCaption(c, 0, {0, 0, 10, 10}, "", L"", &font, true, true, 0, untouched);
    });
    EXPECT_EQ(untouched.left, 1) << "an empty caption leaves the rectangle";
}

TEST(PanelHelpers, EmptyPanelTextMeasuresNothingAndDrawsNothing)
{
    TFont font;
    RECT textRect{5, 5, 5, 5};
    auto dib = Paint(40, 20, [&](TCanvas* c) {
        DrawPanelText(c, 0, 0, {0, 0, 40, 20}, "", &font, true, true, 2, true, false, textRect);
    });
    EXPECT_EQ(textRect.left, 0);
    EXPECT_EQ(textRect.right, 0);
    EXPECT_EQ(textRect.bottom, 0);
    EXPECT_FALSE(ColumnTouched(*dib, 10, 0, 20, White));
}

// Drawn with an end ellipsis, a caption too long for its rectangle stays inside it.
TEST(PanelHelpers, PanelTextEllipsisStaysInsideTheRectangle)
{
    TFont font;
    font.SetName("Tahoma");
    font.SetSize(9);
    font.SetColor(0x000000);
    for (int antiAlias : {0, 2}) {
        RECT textRect{};
        auto dib = Paint(200, 20, [&](TCanvas* c) {
            DrawPanelText(c, 0, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, {0, 0, 60, 20},
                          "A caption much longer than sixty pixels", &font, true, true, antiAlias,
                          true, false, textRect);
        });
        EXPECT_GT(textRect.right - textRect.left, 60) << "measured whole, " << antiAlias;
        for (int x = 62; x < 200; ++x)
            EXPECT_FALSE(ColumnTouched(*dib, x, 0, 20, White)) << x << ", " << antiAlias;
        EXPECT_TRUE(ColumnTouched(*dib, 3, 0, 20, White) || ColumnTouched(*dib, 4, 0, 20, White))
            << antiAlias;
    }
}

TEST(PanelHelpers, MirrorGradientFrameHalvesAndFrame)
{
    auto dib = Paint(40, 40, [](TCanvas* c) {
        DrawMirrorGradientFrame(c, {0, 0, 30, 30}, 0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00, true,
                                0xFF0000, true);
    });
    EXPECT_EQ(dib->Pixel(0, 10), Px(0xFF0000));
    EXPECT_EQ(dib->Pixel(29, 10), Px(0xFF0000));
    EXPECT_EQ(dib->Pixel(10, 5), Px(0x0000FF));
    EXPECT_EQ(dib->Pixel(10, 20), Px(0x00FF00));
    auto narrow = Paint(10, 40, [](TCanvas* c) {
        DrawStepGradientNarrow(c, 0x0000FF, 0x0000FF, 4, {3, 0, 4, 20}, false);
    });
    EXPECT_EQ(narrow->Pixel(3, 10), Px(0x0000FF)) << "a one-pixel-wide gradient is drawn as lines";
}

namespace {

TGaugeSettings FlatGauge()
{
    TGaugeSettings s;
    s.Level0Color = 0x0000FF;
    s.Level1Color = 0x00FF00;
    s.Level2Color = 0xFF0000;
    s.Level3Color = 0x00FFFF;
    s.Level0ColorTo = s.Level1ColorTo = s.Level2ColorTo = s.Level3ColorTo = 0x808080;
    s.Level1Perc = 30;
    s.Level2Perc = 60;
    s.BackGround = 0xFFFFFF;
    s.BorderColor = 0x000000;
    s.ShowBorder = true;
    s.CompletionSmooth = true;
    return s;
}

} // namespace

// With a border the gauge (10..110) shrinks to 11..109, its border lines at 11 and 108, and its
// extent is 96: a full stacked bar covers 12..107 exactly, up to the border; the last part's
// flat fill is the level 3 colour.
TEST(Gauge, StackedFullBarFillsTheExtentAndOverOneHundredStaysInside)
{
    TGaugeSettings s = FlatGauge();
    s.Stacked = true;
    for (int percent : {100, 180}) {
        auto dib = Paint(
            130, 40,
            [&](TCanvas* c) {
                DrawGauge(c, {10, 10, 110, 30}, percent, s);
            },
            0x404040);
        EXPECT_EQ(dib->Pixel(11, 20), 0u) << "border";
        EXPECT_EQ(dib->Pixel(12, 20), Px(0x0000FF)) << percent;
        EXPECT_EQ(dib->Pixel(107, 20), Px(0x00FFFF)) << percent;
        EXPECT_EQ(dib->Pixel(108, 20), 0u) << percent << ": the border";
        for (int x : {10, 109, 112})
            EXPECT_EQ(dib->Pixel(x, 20), 0x404040u)
                << percent << ": nothing past the gauge at " << x;
    }
}

TEST(Gauge, ZeroPaintsOnlyBackgroundAndBorder)
{
    auto dib = Paint(
        130, 40,
        [](TCanvas* c) {
            DrawGauge(c, {10, 10, 110, 30}, 0, FlatGauge());
        },
        0x404040);
    EXPECT_EQ(dib->Pixel(11, 20), 0u);
    EXPECT_EQ(dib->Pixel(108, 20), 0u);
    for (int x = 12; x < 108; ++x)
        EXPECT_EQ(dib->Pixel(x, 20), White) << x;
}

// With a clNone background the gaps between the blocks show what was there before.
TEST(Gauge, SegmentGapsRestoreTheOriginalPixels)
{
    TGaugeSettings s = FlatGauge();
    s.BackGround = clNone;
    s.ShowBorder = false;
    s.CompletionSmooth = false;
    auto dib = Paint(
        130, 40,
        [&](TCanvas* c) {
            DrawGauge(c, {10, 10, 110, 30}, 50, s);
        },
        0x404040);
    // The bar spans 12..59 (extent 98: Round(49)), rows 12..26; gaps from 20, every 9 pixels.
    EXPECT_EQ(dib->Pixel(15, 20), Px(0x00FF00));
    EXPECT_EQ(dib->Pixel(20, 20), 0x404040u);
    EXPECT_EQ(dib->Pixel(21, 20), 0x404040u);
    EXPECT_EQ(dib->Pixel(22, 20), Px(0x00FF00));
    EXPECT_EQ(dib->Pixel(29, 20), 0x404040u);
}
