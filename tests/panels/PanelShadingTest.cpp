// The caption shadings: the documented ranges of the patterns, the wrap of the low byte, and
// every pattern at small and odd sizes (no division by zero, the same pixels for the same seed).
#include "panels/PanelShading.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace panels;

namespace {

// With a white caption colour every channel of Shade(v) is the low byte of v itself.
constexpr uint32_t White = 0xFFFFFF;

uint32_t Grey(int v)
{
    return static_cast<uint32_t>(v) * 0x010101u;
}

TShadeRequest Request(TShadeType type, int w, int h, int light = 255)
{
    TShadeRequest q;
    q.type = type;
    q.width = w;
    q.height = h;
    q.color = White;
    q.light = light;
    q.grain = 32;
    q.seed = 1234;
    return q;
}

uint32_t At(const std::vector<uint32_t>& px, int w, int x, int y)
{
    return px[static_cast<size_t>(y * w + x)];
}

TEST(PanelShading, ShadeTakesTheLowByteOfEachChannelProduct)
{
    EXPECT_EQ(ShadeColor(0x804020, 255), 0x804020u);
    EXPECT_EQ(ShadeColor(0x804020, 0), 0u);
    // v * 255 div 255 for a white channel: -123 wraps to 133.
    EXPECT_EQ(ShadeColor(White, -123), Grey(133));
    // 128 * 200 div 255 = 100 (0x64) for the red channel, 0 for the others.
    EXPECT_EQ(ShadeColor(0x0000FF, 128), 0x000080u);
    EXPECT_EQ(ShadeColor(0x0000C8, 128), 0x000064u);
}

TEST(PanelShading, NoiseLiesBetween176And191At255)
{
    const auto px = BuildShadePixels(Request(stNoise, 200, 20));
    const auto [low, high] = std::minmax_element(px.begin(), px.end());
    EXPECT_GE(*low & 0xFF, 176u);
    EXPECT_LE(*high & 0xFF, 191u);
    EXPECT_NE(*low, *high);
}

TEST(PanelShading, HorizontalShadeRunsFromDarkLeftToLightRight)
{
    const int w = 240, h = 20;
    const auto shade = BuildShadePixels(Request(stHShade, w, h));
    EXPECT_EQ(At(shade, w, 0, 5), Grey(255 - 123));
    EXPECT_EQ(At(shade, w, w - 1, 5), Grey(255 - 4));
    const auto inverse = BuildShadePixels(Request(stHShadeInv, w, h));
    // Column x's colour lands in column W - x: column 1 takes x = 239's and column 239 x = 1's.
    EXPECT_EQ(At(inverse, w, 1, 5), At(shade, w, w - 1, 5));
    EXPECT_EQ(At(inverse, w, w - 1, 5), At(shade, w, 1, 5));
}

TEST(PanelShading, VerticalShadeDarkensDownward)
{
    const int w = 50, h = 20;
    const auto px = BuildShadePixels(Request(stVShade, w, h));
    EXPECT_EQ(At(px, w, 3, 0), Grey(255 - 2));                             // L - (0 + 8) div 4
    EXPECT_EQ(At(px, w, 3, h - 1), Grey(255 - ((239 * 19) / 20 + 8) / 4)); // row 19
}

TEST(PanelShading, LowShadeLightBytesWrapToBrightChannels)
{
    // ShadeLight 256 has the low byte 0: column 0 of a horizontal shade is Shade(-123).
    const auto px = BuildShadePixels(Request(stHShade, 100, 20, 256));
    EXPECT_EQ(px[0], Grey(133));
    // 300 shades like 44.
    EXPECT_EQ(BuildShadePixels(Request(stHShade, 100, 20, 300)),
              BuildShadePixels(Request(stHShade, 100, 20, 44)));
}

TEST(PanelShading, NormalFillsWithTheCaptionColour)
{
    TShadeRequest q = Request(stNormal, 7, 3);
    q.color = 0x123456;
    for (uint32_t p : BuildShadePixels(q))
        EXPECT_EQ(p, 0x123456u);
}

TEST(PanelShading, RadialShadingsAreBrightOrDarkAtTheCentre)
{
    const int w = 41, h = 21;
    const auto inner = BuildShadePixels(Request(stIRadial, w, h));
    const auto outer = BuildShadePixels(Request(stORadial, w, h));
    EXPECT_EQ(At(inner, w, 20, 10), Grey(255));
    EXPECT_EQ(At(outer, w, 20, 10), Grey(0));
    // The corners lie at about the normalising distance (rounded to whole pixels).
    EXPECT_LE(At(inner, w, 0, 0) & 0xFF, 8u);
    EXPECT_GE(At(outer, w, 0, 0) & 0xFF, 247u);
}

// Every pattern at sizes that make the divisors of the formulas small or zero: it builds
// without a fault, covers the bitmap and gives the same pixels for the same seed.
TEST(PanelShading, EveryPatternAtSmallAndOddSizes)
{
    const std::pair<int, int> sizes[] = {{0, 0}, {1, 1},  {1, 20},   {5, 1},   {5, 20},
                                         {6, 2}, {17, 3}, {300, 20}, {20, 300}};
    for (int type = stNormal; type <= stBitmapLStretch; ++type)
        for (auto [w, h] : sizes) {
            SCOPED_TRACE(testing::Message() << "type " << type << " size " << w << "x" << h);
            const TShadeRequest q = Request(static_cast<TShadeType>(type), w, h);
            const auto first = BuildShadePixels(q);
            EXPECT_EQ(first.size(), static_cast<size_t>(w * h));
            EXPECT_EQ(first, BuildShadePixels(q));
        }
}

TEST(PanelShading, ALeftCaptionUsesItsOwnZeroSizeFallbacks)
{
    TShadeRequest q = Request(stHShade, 0, 0);
    q.orientation = TShadeOrientation::Left;
    EXPECT_TRUE(BuildShadePixels(q).empty());
}

} // namespace
