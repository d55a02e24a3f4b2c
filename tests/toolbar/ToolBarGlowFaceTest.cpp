// The toolbar glow face: the border's corners by the button's place in a group, a transparent
// face leaving the background, the focus frames, the split drop-down part's darker half, the
// drop-down arrow and the caption in the enabled and disabled colours, and measuring.
#include "toolbar/ToolBarGlowFace.h"

#include <gtest/gtest.h>

#include "../draw/PaintOnDib.h"

using namespace classlib;
using namespace toolbar;
using drawtest::PaintOnDib;
using drawtest::Px;

namespace {

constexpr int kW = 40, kH = 24;
constexpr TColor kFace = 0x60A0E0;
constexpr uint32_t kBackground = 0x123456;

TToolBarGlowFace Face()
{
    TToolBarGlowFace f;
    f.R = RECT{0, 0, kW, kH};
    f.Color = f.ColorTo = f.ColorMirror = f.ColorMirrorTo = kFace;
    f.BorderColor = clBlack;
    f.Gradient = f.GradientMirror = draw::ggVertical;
    f.AntiAlias = draw::aaNone;
    return f;
}

std::unique_ptr<testsupport::Dib> Paint(const TToolBarGlowFace& f, TFont* font = nullptr)
{
    return PaintOnDib(
        kW, kH,
        [&](TCanvas* canvas) {
            TToolBarGlowFace g = f;
            if (font)
                g.Font = font;
            DrawToolBarGlowFace(canvas, g);
        },
        kBackground);
}

int Count(const testsupport::Dib& dib, RECT r, uint32_t pixel)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += dib.Pixel(x, y) == pixel;
    return n;
}

} // namespace

TEST(ToolBarGlowFace, BorderCornersFollowThePositionInAGroup)
{
    // Square corners lie on the border; rounded ones do not. A middle member is square on both
    // sides, a left one rounded on the left only.
    struct Case {
        draw::TButtonPosition position;
        bool leftSquare, rightSquare;
    };
    const Case cases[] = {
        {draw::bpStandalone, false, false},
        {draw::bpLeft, false, true},
        {draw::bpMiddle, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.position));
        TToolBarGlowFace f = Face();
        f.Position = c.position;
        auto dib = Paint(f);
        EXPECT_EQ(dib->Pixel(kW / 2, 0) == 0, true) << "top edge";
        EXPECT_EQ(dib->Pixel(kW / 2, kH - 1), 0u) << "bottom edge";
        EXPECT_EQ(dib->Pixel(0, 0) == 0, c.leftSquare);
        EXPECT_EQ(dib->Pixel(0, kH - 1) == 0, c.leftSquare);
        EXPECT_EQ(dib->Pixel(kW - 1, 0) == 0, c.rightSquare);
        EXPECT_EQ(dib->Pixel(kW - 1, kH - 1) == 0, c.rightSquare);
        EXPECT_EQ(dib->Pixel(kW / 2, kH / 2), Px(kFace));
    }
    // Not rounded: square everywhere.
    TToolBarGlowFace f = Face();
    f.Rounded = false;
    auto dib = Paint(f);
    EXPECT_EQ(dib->Pixel(0, 0), 0u);
    EXPECT_EQ(dib->Pixel(kW - 1, kH - 1), 0u);
}

TEST(ToolBarGlowFace, TransparentFaceAndNoBorder)
{
    TToolBarGlowFace f = Face();
    f.TransparentFace = true;
    auto dib = Paint(f);
    EXPECT_EQ(Count(*dib, RECT{0, 0, kW, kH}, kBackground), kW * kH);

    f = Face();
    f.ShowBorder = false;
    dib = Paint(f);
    EXPECT_EQ(dib->Pixel(kW / 2, 0), Px(kFace));
    EXPECT_EQ(Count(*dib, RECT{0, 0, kW, kH}, 0), 0);
}

TEST(ToolBarGlowFace, FocusFramesInside)
{
    TToolBarGlowFace f = Face();
    f.Focused = true;
    auto dib = Paint(f);
    EXPECT_EQ(dib->Pixel(1, kH / 2), Px(TColor(14986633)));
    EXPECT_EQ(dib->Pixel(kW - 2, kH / 2), Px(TColor(14986633)));
    EXPECT_GT(Count(*dib, RECT{2, 2, kW - 2, 3}, Px(clGray)), 3); // dotted
    EXPECT_EQ(dib->Pixel(kW / 2, kH / 2), Px(kFace));
}

TEST(ToolBarGlowFace, SplitDropDownDarkensThePartNotPressed)
{
    // Luminance of a pixel as the sum of its channels.
    auto sum = [](uint32_t p) { return (p & 0xFF) + ((p >> 8) & 0xFF) + (p >> 16); };
    for (const bool down : {false, true}) {
        SCOPED_TRACE(down);
        TToolBarGlowFace f = Face();
        f.DropDownButton = f.DropDownSplit = f.DropDownPart = true;
        f.State = down ? controls::gsDown : controls::gsNormal;
        auto dib = Paint(f);
        const uint32_t main = dib->Pixel(8, 4), part = dib->Pixel(kW - 4, 4);
        if (down) {
            EXPECT_EQ(main, Px(kFace));
            EXPECT_LT(sum(part), sum(Px(kFace)));
        } else {
            EXPECT_LT(sum(main), sum(Px(kFace)));
        }
        // The separator along the part's inner edge.
        EXPECT_EQ(dib->Pixel(kW - 13, kH / 2), 0u);
    }
}

TEST(ToolBarGlowFace, DropDownArrowAndCaptionColours)
{
    TFont font;
    font.SetName("Tahoma");
    font.SetSize(10);
    font.SetColor(clBlack);
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        TToolBarGlowFace f = Face();
        f.ShowBorder = false;
        f.Caption = "W";
        f.Enabled = enabled;
        f.DropDownButton = true;
        auto dib = Paint(f, &font);
        const uint32_t ink = enabled ? 0u : Px(clGray);
        const uint32_t other = enabled ? Px(clGray) : 0u;
        EXPECT_GT(Count(*dib, RECT{kW - 13, 0, kW, kH}, ink), 4) << "arrow";
        EXPECT_GT(Count(*dib, RECT{0, 0, kW - 13, kH}, ink), 4) << "caption";
        EXPECT_EQ(Count(*dib, RECT{0, 0, kW, kH}, other), 0);
    }
}

TEST(ToolBarGlowFace, MeasuringCountsPictureAndSpacing)
{
    TToolBarGlowFace f = Face();
    f.MeasureOnly = true;
    TBitmap picture;
    PaintOnDib(kW, kH, [&](TCanvas* canvas) {
        SIZE s = DrawToolBarGlowFace(canvas, f);
        EXPECT_EQ(s.cx, 0);
        EXPECT_EQ(s.cy, 0);
        picture.SetSize(16, 16);
        f.Picture = &picture;
        s = DrawToolBarGlowFace(canvas, f);
        EXPECT_EQ(s.cx, 18);
        EXPECT_EQ(s.cy, 16);
    });
}
