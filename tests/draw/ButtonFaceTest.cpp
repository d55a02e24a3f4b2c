// The toolbar button face painter in a 32-bit DIB: halves, border and focus frames, the
// centred picture of a caption-less button, the drop-down part. Faces use one colour for both
// halves, so every pixel away from the anti-aliased frames is exactly that colour.
#include "draw/ButtonFace.h"

#include "PaintOnDib.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace classlib;
using namespace draw;
using testsupport::Dib;

namespace {

constexpr TColor Face = 0x00C000;
constexpr uint32_t FacePx = 0x00C000;

std::unique_ptr<Dib> Paint(int w, int h, const std::function<void(TCanvas*)>& paint)
{
    return drawtest::PaintOnDib(w, h, paint);
}

std::unique_ptr<Dib> PlainFace(TColor border, bool focused, TGDIPGradient kind)
{
    TFont font;
    return Paint(40, 30, [&](TCanvas* c) {
        DrawButtonContentSimple(c, {0, 0, 40, 30}, Face, Face, Face, Face, border, kind, kind, "",
                                &font, true, focused, 0, false);
    });
}

} // namespace

TEST(ButtonFace, HalvesFillTheFaceWithoutBorderOrFocus)
{
    for (TGDIPGradient kind : {ggRadial, ggVertical, ggDiagonalForward}) {
        auto dib = PlainFace(clNone, false, kind);
        for (POINT p : {POINT{20, 0}, POINT{0, 15}, POINT{20, 7}, POINT{20, 22}, POINT{39, 29}})
            EXPECT_EQ(dib->Pixel(p.x, p.y), FacePx) << kind << " at " << p.x << "," << p.y;
    }
}

TEST(ButtonFace, BorderOnlyWhenSetAndFocusFramesEitherWay)
{
    auto bordered = PlainFace(0x404040, false, ggVertical);
    EXPECT_NE(bordered->Pixel(20, 0), FacePx);
    EXPECT_EQ(bordered->Pixel(20, 15), FacePx);

    auto focused = PlainFace(clNone, true, ggVertical);
    EXPECT_EQ(focused->Pixel(20, 0), FacePx) << "no border";
    EXPECT_NE(focused->Pixel(20, 1), FacePx) << "outer focus frame";
    EXPECT_EQ(focused->Pixel(20, 15), FacePx);
    EXPECT_EQ(PlainFace(clNone, false, ggVertical)->Pixel(20, 1), FacePx);
}

// A caption-less 16 x 16 picture in a 40 x 40 face sits at (12, 12).
TEST(ButtonFace, CaptionlessPictureIsCentred)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(16, 16);
    bitmap.Canvas()->Brush()->SetColor(0xFF0000);
    bitmap.Canvas()->FillRect({0, 0, 16, 16});
    bitmap.Canvas()->SetPixel(0, 15, 0x00FFFF); // the automatic transparent colour
    TGDIPPicture picture;
    picture.Assign(&bitmap);
    TFont font;
    auto dib = Paint(40, 40, [&](TCanvas* c) {
        DrawButtonContent(c, {0, 0, 40, 40}, Face, Face, Face, Face, clNone, ggVertical, ggVertical,
                          "", &font, nullptr, -1, true, 0, false, false, true, false, false,
                          &picture, 0, false);
    });
    EXPECT_EQ(dib->Pixel(11, 20), FacePx);
    EXPECT_EQ(dib->Pixel(12, 12), 0x0000FFu);
    EXPECT_EQ(dib->Pixel(27, 27), 0x0000FFu);
    EXPECT_EQ(dib->Pixel(28, 20), FacePx);
    EXPECT_EQ(dib->Pixel(12, 27), FacePx) << "transparent corner";
}

TEST(ButtonFace, DropDownPartWithSeparatorAndArrow)
{
    TFont font;
    for (bool enabled : {true, false}) {
        auto dib = Paint(40, 30, [&](TCanvas* c) {
            DrawButtonContent(c, {0, 0, 40, 30}, Face, Face, Face, Face, 0x0000FF, ggVertical,
                              ggVertical, "", &font, nullptr, -1, true, 0, true, true, enabled,
                              false, false, nullptr, 0, false);
        });
        const uint32_t arrow = enabled ? 0x000000 : 0x808080;
        EXPECT_EQ(dib->Pixel(27, 15), 0xFF0000u) << "separator";
        for (POINT p : {POINT{31, 14}, POINT{35, 14}, POINT{32, 15}, POINT{34, 15}, POINT{33, 16}})
            EXPECT_EQ(dib->Pixel(p.x, p.y), arrow) << p.x << "," << p.y;
        EXPECT_EQ(dib->Pixel(36, 14), FacePx);
        EXPECT_EQ(dib->Pixel(31, 15), FacePx);
    }
}

// Every GDI and GDI+ object the toolbar and panel painters create is gone when they return.
TEST(ButtonFace, RepeatedPaintsLeaveNoObjectsBehind)
{
    TFont font;
    font.SetName("Tahoma");
    TGaugeSettings gauge;
    gauge.Level0Color = gauge.Level1Color = gauge.Level2Color = gauge.Level3Color = 0x00FF00;
    gauge.Level0ColorTo = gauge.Level1ColorTo = gauge.Level2ColorTo = gauge.Level3ColorTo =
        0x008000;
    gauge.Level1Perc = 30;
    gauge.Level2Perc = 60;
    gauge.ShowBorder = true;
    gauge.ShowGradient = true;
    gauge.GradientSteps = 11;
    gauge.ShowPercentage = true;
    gauge.IndicatePercent = true;
    gauge.BackGround = clNone;
    gauge.TextFont = &font;
    auto paintAll = [&](TCanvas* c) {
        DrawButtonContent(c, {0, 0, 60, 30}, Face, 0xFFFFFF, Face, 0x808080, 0x404040, ggRadial,
                          ggVertical, "&Go", &font, nullptr, -1, true, 0, true, true, true, true,
                          false, nullptr, 2, true);
        DrawButtonContentSimple(c, {0, 0, 60, 30}, Face, Face, Face, Face, 0x404040,
                                ggDiagonalBackward, ggRadial, "Go", &font, false, false, 0, false);
        DrawMirrorGradient(c, {0, 0, 60, 30}, 10, Face, 0xFFFFFF, Face, 0x808080, 0x404040, 3);
        DrawGauge(c, {0, 0, 60, 20}, 70, gauge);
        RECT text{};
        DrawPanelText(c, 2, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, {0, 0, 40, 20},
                      "A longer caption", &font, true, true, 2, true, false, text);
        DrawButtonCaption(c, 2, {0, 0, 60, 20}, "Caption", L"", &font, true, true, 1, text);
    };
    Paint(60, 30, paintAll);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 100; ++i)
        Paint(60, 30, paintAll);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
    EXPECT_EQ(LiveNativeObjectCount(), 0);
}
