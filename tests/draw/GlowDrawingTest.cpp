// The glow helpers painted into 32-bit DIB sections; pixels are sampled where nothing is
// anti-aliased (GDI+ draws with its default smoothing here, as the helpers leave it).
#include "draw/GlowDrawing.h"

#include "core/Streams.h"

#include "PaintOnDib.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

using namespace classlib;
using namespace draw;
using drawtest::Px;
using testsupport::Dib;

namespace {

constexpr uint32_t White = 0xFFFFFF;

// A graphic whose saved form is the given file bytes.
class TBytesGraphic : public TGraphic {
public:
    explicit TBytesGraphic(std::string bytes) : bytes_(std::move(bytes)) {}
    void Draw(TCanvas*, const RECT&) override {}
    bool Empty() const override { return bytes_.empty(); }
    int Width() const override { return 0; }
    int Height() const override { return 0; }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream& s) override
    {
        s.WriteBuffer(bytes_.data(), static_cast<int64_t>(bytes_.size()));
    }

private:
    std::string bytes_;
};

std::unique_ptr<Dib> Paint(int w, int h, const drawtest::Painter& paint)
{
    return drawtest::PaintOnDib(w, h, paint);
}

} // namespace

TEST(GlowColours, SystemColoursStayReferencesAtTheEnds)
{
    EXPECT_EQ(BlendColors(clBtnFace, clRed, 100), clBtnFace);
    EXPECT_EQ(BlendColors(clRed, clBtnFace, 0), clBtnFace);
    EXPECT_EQ(BlendColors(clWhite, clBlack, 50), 0x808080u);
    EXPECT_EQ(BlendColors(clBtnFace, clBtnFace, 30), ColorToRGB(clBtnFace))
        << "resolved in between";
    EXPECT_EQ(AdjustBrightness(0xC86400, -10), 0xB45A00u); // RGB(0, 100, 200) -> RGB(0, 90, 180)
    EXPECT_EQ(AdjustChannelBrightness(0x646464, -10, -10, 0), 0x645A5Au);
}

TEST(StepGradientPaint, ZeroStepsPaintsOneBandOnePixelPastTheRectangle)
{
    auto dib = Paint(20, 20, [](TCanvas* c, TGPGraphics*) {
        DrawStepGradient(c, 0x0000FF, 0xFF0000, 0, {2, 2, 12, 8}, false);
    });
    EXPECT_EQ(dib->Pixel(5, 2), Px(0x0000FF));
    EXPECT_EQ(dib->Pixel(5, 8), Px(0x0000FF)) << "the band is one pixel longer";
    EXPECT_EQ(dib->Pixel(5, 9), White);
    EXPECT_EQ(dib->Pixel(12, 5), White);
}

TEST(StepGradientPaint, HorizontalBandsStepTowardsButNeverReachTheEndColour)
{
    auto dib = Paint(50, 10, [](TCanvas* c, TGPGraphics*) {
        DrawStepGradient(c, 0x000000, 0x000064, 4, {0, 0, 40, 10}, true);
    });
    const uint32_t reds[] = {0, 25, 50, 75};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dib->Pixel(i * 10 + 5, 5), reds[i] << 16) << "band " << i;
    EXPECT_EQ(dib->Pixel(40, 5), 75u << 16) << "the last band overlaps one pixel";
}

TEST(RoundedBorders, CornerZeroIsSharpAndCornerThreeRounded)
{
    auto sharp = Paint(40, 30, [](TCanvas*, TGPGraphics* g) {
        DrawRoundRectBorder(g, 0x0000FF, 5, 5, 20, 15, 0);
    });
    auto round = Paint(40, 30, [](TCanvas*, TGPGraphics* g) {
        DrawRoundRectBorder(g, 0x0000FF, 5, 5, 20, 15, 3);
    });
    const uint32_t red = Px(0x0000FF);
    for (const auto* dib : {sharp.get(), round.get()}) {
        EXPECT_EQ(dib->Pixel(15, 5), red);  // top edge
        EXPECT_EQ(dib->Pixel(15, 20), red); // bottom edge
        EXPECT_EQ(dib->Pixel(5, 12), red);  // left edge
        EXPECT_EQ(dib->Pixel(25, 12), red); // right edge
        EXPECT_EQ(dib->Pixel(15, 12), White);
    }
    EXPECT_EQ(sharp->Pixel(5, 5), red);
    EXPECT_EQ(round->Pixel(5, 5), White);
}

TEST(RoundedBorders, PartBordersDrawTheirEdgesByPositionAndFlag)
{
    const TColor border = 0x808080;
    const uint32_t darker = Px(AdjustBrightness(border, -5)),
                   light = Px(AdjustBrightness(clWhite, -10));
    auto left = Paint(
        40, 30, [&](TCanvas*, TGPGraphics* g) { DrawLeftPartBorder(g, border, 5, 5, 20, 15, 3); });
    EXPECT_EQ(left->Pixel(15, 5), Px(border));
    EXPECT_EQ(left->Pixel(25, 12), darker) << "the right edge";
    EXPECT_EQ(left->Pixel(5, 5), White) << "rounded on the left";

    auto flagSet = Paint(40, 30, [&](TCanvas*, TGPGraphics* g) {
        DrawMiddlePartBorder(g, border, 5, 5, 20, 15, 3, true);
    });
    EXPECT_EQ(flagSet->Pixel(5, 6), darker);
    EXPECT_EQ(flagSet->Pixel(4, 5), Px(border)) << "top line starts one pixel left";
    auto flagClear = Paint(40, 30, [&](TCanvas*, TGPGraphics* g) {
        DrawMiddlePartBorder(g, border, 5, 5, 20, 15, 3, false);
    });
    EXPECT_EQ(flagClear->Pixel(5, 12), light);
    EXPECT_EQ(flagClear->Pixel(5, 6), White) << "the light edge is shorter";

    auto right = Paint(40, 30, [&](TCanvas*, TGPGraphics* g) {
        DrawRightPartBorder(g, border, 5, 5, 20, 15, 3, true);
    });
    EXPECT_EQ(right->Pixel(25, 5), White) << "rounded on the right";
    EXPECT_EQ(right->Pixel(5, 12), darker);
}

// The lower half's R.Top is the button's middle: the fill is R.Bottom high, so it reaches
// R.Top pixels below the rectangle.
TEST(GlowFill, LowerHalfReachesBelowTheRectangle)
{
    for (TGDIPGradient kind : {ggRadial, ggVertical, ggDiagonalForward}) {
        auto dib = Paint(40, 80, [&](TCanvas*, TGPGraphics* g) {
            DrawGlowFill(g, {0, 20, 30, 40}, 0x0000FF, 0x0000FF, kind, false);
        });
        EXPECT_EQ(dib->Pixel(15, 19), White) << kind;
        EXPECT_EQ(dib->Pixel(15, 25), Px(0x0000FF)) << kind;
        EXPECT_EQ(dib->Pixel(15, 58), Px(0x0000FF)) << kind;
        EXPECT_EQ(dib->Pixel(15, 61), White) << kind;
        EXPECT_EQ(dib->Pixel(29, 30), Px(0x0000FF)) << kind;
        EXPECT_EQ(dib->Pixel(31, 30), White) << kind;
    }
}

TEST(GlowFill, UpperHalfRadialHasItsToColourAtTheTopMiddle)
{
    auto dib = Paint(40, 40, [](TCanvas*, TGPGraphics* g) {
        DrawGlowFill(g, {0, 0, 30, 20}, 0xFF0000, 0x00FF00, ggRadial, true);
    });
    const uint32_t top = dib->Pixel(15, 1);
    EXPECT_GT((top >> 8) & 0xFF, 200u) << std::hex << top << ": green (ToColor) at the centre";
    EXPECT_EQ(dib->Pixel(1, 19), Px(0xFF0000)) << "blue (FromColor) outside the ellipse";
}

TEST(DropDownArrow, PixelsOfBothDirections)
{
    const char* down[] = {"MMMMM", "AMMMA", ".AMA.", "..A..", "....."};
    for (bool isDown : {true, false}) {
        auto dib = Paint(10, 10, [&](TCanvas* c, TGPGraphics*) {
            DrawDropDownArrow(c, {2, 3}, 0x0000FF, 0x00FF00, isDown);
        });
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                const char cell = isDown ? down[y][x] : down[x][y];
                const uint32_t expected = cell == 'M'   ? Px(0x0000FF)
                                          : cell == 'A' ? Px(0x00FF00)
                                                        : White;
                EXPECT_EQ(dib->Pixel(2 + x, 3 + y), expected)
                    << (isDown ? "down " : "right ") << x << "," << y;
            }
    }
}

// A BMP goes through the canvas with its bottom-left colour left out; other formats through
// GDI+, scaled.
TEST(PictureStretched, BitmapThroughTheCanvasOthersThroughGdiplus)
{
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(4, 4);
    bmp.Canvas()->Brush()->SetColor(0x00FF00);
    bmp.Canvas()->FillRect({0, 0, 4, 4});
    bmp.Canvas()->SetPixel(0, 3, 0x0000FF); // the automatic transparent colour
    auto dib = Paint(20, 20, [&](TCanvas* c, TGPGraphics* g) {
        DrawPictureStretched(g, c, {0, 0, 16, 16}, &bmp);
    });
    EXPECT_EQ(dib->Pixel(10, 6), Px(0x00FF00));
    EXPECT_EQ(dib->Pixel(1, 14), White) << "transparent corner";
    EXPECT_EQ(dib->Pixel(17, 17), White);

    HRSRC r = FindResourceA(nullptr, "FRAMES3", MAKEINTRESOURCEA(10));
    ASSERT_NE(r, nullptr);
    TBytesGraphic picture(
        std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, r))),
                    SizeofResource(nullptr, r)));
    auto scaled = Paint(20, 20, [&](TCanvas* c, TGPGraphics* g) {
        DrawPictureStretched(g, c, {2, 2, 18, 18}, &picture);
    });
    EXPECT_EQ(scaled->Pixel(16, 16), 0xFF0000u) << "the 8 x 8 red frame scaled to 16 x 16";
    EXPECT_EQ(scaled->Pixel(19, 19), White);
}

// Every GDI and GDI+ object a paint creates is gone when it returns.
TEST(GlowResources, RepeatedPaintsLeaveNoObjectsBehind)
{
    auto paintAll = [](TCanvas* c, TGPGraphics* g) {
        DrawGlowFill(g, {0, 0, 40, 12}, 0xFF0000, 0x00FF00, ggRadial, true);
        DrawGlowFill(g, {0, 12, 40, 24}, 0xFF0000, 0x00FF00, ggVertical, false);
        DrawRoundRectBorder(g, 0x808080, 0, 0, 39, 23, 3);
        DrawDottedRoundRect(g, 0x808080, 2, 2, 35, 19, 3);
        DrawLeftPartBorder(g, 0x808080, 0, 0, 20, 23, 3);
        DrawMiddlePartBorder(g, 0x808080, 0, 0, 20, 23, 3, false);
        DrawRightPartBorder(g, 0x808080, 0, 0, 20, 23, 3, true);
        DrawStepGradient(c, 0xFF0000, 0x00FF00, 16, {0, 0, 40, 24}, false);
        DrawDropDownArrow(c, {5, 5}, 0, 0x808080, true);
    };
    Paint(40, 24, paintAll);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 200; ++i)
        Paint(40, 24, paintAll);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
    EXPECT_EQ(LiveNativeObjectCount(), 0);
}
