// The colour arithmetic and geometry of the drawing helpers, checked against the values the
// helpers are specified with.
#include "draw/DrawMath.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace draw;

namespace {

constexpr uint32_t RGB3(int r, int g, int b)
{
    return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
           (static_cast<uint32_t>(b) << 16);
}

} // namespace

TEST(ColourMath, BlendRoundsHalvesToEven)
{
    EXPECT_EQ(BlendRGB(RGB3(255, 255, 255), RGB3(0, 0, 0), 50), RGB3(128, 128, 128)); // 127.5
    EXPECT_EQ(BlendRGB(RGB3(255, 255, 255), RGB3(0, 0, 0), 10), RGB3(26, 26, 26));    // 25.5
    EXPECT_EQ(BlendRGB(RGB3(200, 0, 100), RGB3(0, 100, 0), 25), RGB3(50, 75, 25));
}

TEST(ColourMath, BrightnessTable)
{
    const struct {
        uint32_t color;
        int red, green, blue;
        uint32_t expected;
    } cases[] = {
        {RGB3(0, 100, 200), -10, -10, -10, RGB3(0, 90, 180)},
        {RGB3(0, 100, 200), 10, 10, 10, RGB3(10, 100, 200)}, // only zero channels rise
        {RGB3(200, 200, 200), -10, -10, 0, RGB3(180, 180, 200)},
        {RGB3(0, 0, 0), -5, -5, -5, RGB3(0, 0, 0)},
        {RGB3(10, 20, 30), -5, -5, -5, RGB3(10, 19, 28)},      // 9.5 -> 10, 28.5 -> 28
        {RGB3(100, 100, 0), -150, -150, 300, RGB3(0, 0, 255)}, // limited, never spilled
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdjustChannelBrightnessRGB(c.color, c.red, c.green, c.blue), c.expected)
            << std::hex << c.color;
}

// Darkening by a negative percentage lightens; a channel past 255 stays at 255 instead of
// running into the next channel.
TEST(ColourMath, DarkenIsLimitedToTheChannel)
{
    EXPECT_EQ(DarkenRGB(RGB3(200, 100, 0), 10), RGB3(180, 90, 0));
    EXPECT_EQ(DarkenRGB(RGB3(250, 100, 10), -20), RGB3(255, 120, 12));
    EXPECT_EQ(DarkenRGB(RGB3(250, 250, 250), 150), RGB3(0, 0, 0));
}

// A toolbar gradient's Steps property may hold 0 or a negative number: one band, the start
// colour over the whole extent.
TEST(StepGradient, ZeroOrNegativeStepsIsOneBandOfTheStartColourPlusOnePixel)
{
    for (int steps : {0, -1, -64, INT32_MIN}) {
        const auto bands = StepGradientBands(RGB3(10, 20, 30), RGB3(200, 200, 200), steps, 20);
        ASSERT_EQ(bands.size(), 1u) << steps;
        EXPECT_EQ(bands[0].Offset, 0) << steps;
        EXPECT_EQ(bands[0].Length, 21) << steps;
        EXPECT_EQ(bands[0].Color, RGB3(10, 20, 30)) << steps;
    }
}

// Four bands over 10 pixels: band size 2.5 rounds to 2 (plus the overlapping pixel), offsets
// 0, 2.5, 5, 7.5 round to even; the end colour itself is never painted.
TEST(StepGradient, BandsRoundToEvenAndStopShortOfTheEndColour)
{
    const auto bands = StepGradientBands(RGB3(0, 100, 0), RGB3(100, 0, 0), 4, 10);
    ASSERT_EQ(bands.size(), 4u);
    const int offsets[] = {0, 2, 5, 8};
    const uint32_t colours[] = {RGB3(0, 100, 0), RGB3(25, 75, 0), RGB3(50, 50, 0), RGB3(75, 25, 0)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bands[i].Offset, offsets[i]) << i;
        EXPECT_EQ(bands[i].Length, 3) << i;
        EXPECT_EQ(bands[i].Color, colours[i]) << i;
    }
}

TEST(CenterRect, HalvesTowardZero)
{
    EXPECT_EQ(CenterRect({0, 0, 11, 11}, 5, 5), (TIntRect{3, 3, 8, 8}));
    EXPECT_EQ(CenterRect({-10, -10, 0, 0}, 3, 3), (TIntRect{-6, -6, -3, -3}));
}

namespace {

int Covered(const std::vector<TGaugePart>& parts)
{
    int sum = 0;
    for (const auto& p : parts)
        sum += p.Rect.Right - p.Rect.Left;
    return sum;
}

} // namespace

TEST(GaugeGeometry, StackedFullGaugeFillsExactlyTheExtent)
{
    const TIntRect r{0, 0, 103, 20}; // extent 101: every level rounds
    const TGaugeGeometry g{33, 66, true, true};
    const auto parts = GaugeParts(r, 101, 100, g);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(Covered(parts), 101);
    EXPECT_EQ(parts[0].Rect, (TIntRect{1, 1, 34, 18}));
    EXPECT_EQ(parts[1].Rect.Left, parts[0].Rect.Right);
    EXPECT_EQ(parts[2].Level, 2);
    EXPECT_EQ(parts[2].FlatLevel, 3);
}

TEST(GaugeGeometry, AboveOneHundredStaysInsideTheGauge)
{
    const TIntRect r{0, 0, 102, 20};
    for (const TGaugeGeometry g :
         {TGaugeGeometry{30, 60, true, false}, TGaugeGeometry{30, 60, false, true},
          TGaugeGeometry{30, 60, false, false}}) {
        const auto full = GaugeParts(r, 100, 100, g);
        const auto over = GaugeParts(r, 100, 250, g);
        ASSERT_EQ(over.size(), full.size());
        for (size_t i = 0; i < over.size(); ++i) {
            EXPECT_EQ(over[i].Rect, full[i].Rect);
            EXPECT_LE(over[i].Rect.Right, r.Right);
        }
    }
}

TEST(GaugeGeometry, NothingAtZeroAndTheLevelOfASinglePart)
{
    const TIntRect r{0, 0, 102, 20};
    EXPECT_TRUE(GaugeParts(r, 100, 0, {30, 60, false, false}).empty());
    EXPECT_TRUE(GaugeParts(r, 100, -5, {30, 60, true, false}).empty());
    const struct {
        int percent, level;
    } cases[] = {{29, 0}, {30, 1}, {59, 1}, {60, 2}, {99, 2}, {100, 3}};
    for (const auto& c : cases) {
        const auto smooth = GaugeParts(r, 100, c.percent, {30, 60, false, true});
        ASSERT_EQ(smooth.size(), 1u);
        EXPECT_EQ(smooth[0].Level, c.level) << c.percent;
        EXPECT_EQ(smooth[0].Rect, (TIntRect{1, 1, 1 + c.percent, 18})) << c.percent;
        EXPECT_FALSE(smooth[0].Segmented);
        const auto blocks = GaugeParts(r, 100, c.percent, {30, 60, false, false});
        EXPECT_EQ(blocks[0].Rect, (TIntRect{2, 2, c.percent, 17})) << c.percent;
        EXPECT_EQ(blocks[0].GapRect, blocks[0].Rect);
    }
}

TEST(GaugeGeometry, SegmentGapsLeaveAnEightPixelBlockThenSevens)
{
    const auto gaps = GaugeSegmentGaps({0, 3, 30, 10});
    ASSERT_EQ(gaps.size(), 3u);
    EXPECT_EQ(gaps[0], (TIntRect{8, 3, 10, 11}));
    EXPECT_EQ(gaps[1], (TIntRect{17, 3, 19, 11}));
    EXPECT_EQ(gaps[2], (TIntRect{26, 3, 28, 11}));
    EXPECT_TRUE(GaugeSegmentGaps({0, 0, 9, 5}).empty());
}
