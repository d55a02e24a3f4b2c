// The bitmap object's pixel arithmetic: the .bmp file image, the fitted box and the Mitchell
// resampling.
#include "BitmapPixels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace crashui;

TEST(BitmapPixels, BmpFileOfTwoByTwo)
{
    const uint8_t pixels[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
    const std::string bmp = BmpFileBytes(2, 2, pixels);
    ASSERT_EQ(bmp.size(), 70u);
    const std::string expectedHeaders(
        "BM\x46\0\0\0\0\0\0\0\x36\0\0\0"             // file size 70, offset 54
        "\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x20\0" // 40, 2 x 2, 1 plane, 32 bits
        "\0\0\0\0\x10\0\0\0"
        "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0",
        54);
    EXPECT_EQ(bmp.substr(0, 54), expectedHeaders);
    EXPECT_EQ(std::memcmp(bmp.data() + 54, pixels, 16), 0);
}

TEST(BitmapPixels, FitBoxKeepsTheAspectRatio)
{
    struct Case {
        TSize source, box, expected;
    } cases[] = {
        {{400, 100}, {200, 100}, {200, 50}},    {{200, 100}, {300, 100}, {200, 100}},
        {{400, 200}, {800, 400}, {800, 400}}, // enlarged
        {{1280, 1024}, {320, 240}, {300, 240}}, {{100, 100}, {1, 1}, {1, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitBox(c.source, c.box), c.expected) << c.source.width << "x" << c.source.height;
}

namespace {
std::vector<uint8_t> Uniform(int w, int h, uint8_t b, uint8_t g, uint8_t r)
{
    std::vector<uint8_t> p(size_t(w) * h * 4);
    for (size_t i = 0; i < p.size(); i += 4) {
        p[i] = b;
        p[i + 1] = g;
        p[i + 2] = r;
    }
    return p;
}
} // namespace

TEST(BitmapPixels, MitchellKeepsAUniformPictureAtAnyScale)
{
    // The kernel's weights sum to one at every scale (at equal size: 8/9 + 2 x 1/18), so a
    // uniform picture stays uniform up to the rounding of the fixed-point weights and the
    // sampled kernel of a shrink (its weights sum to one only approximately).
    struct Case {
        TSize from, to;
    } cases[] = {{{8, 8}, {8, 8}}, {{40, 30}, {13, 7}}, {{5, 3}, {23, 17}},
                 {{1, 1}, {4, 4}}, {{2, 1}, {9, 5}},    {{64, 2}, {3, 1}}};
    for (const Case& c : cases) {
        const std::vector<uint8_t> source = Uniform(c.from.width, c.from.height, 200, 100, 50);
        std::vector<uint8_t> out(size_t(c.to.width) * c.to.height * 4, 0xEE);
        ResampleMitchell(source.data(), c.from, out.data(), c.to);
        for (size_t i = 0; i < out.size(); i += 4) {
            EXPECT_NEAR(out[i], 200, 3) << c.to.width << "x" << c.to.height;
            EXPECT_NEAR(out[i + 1], 100, 2);
            EXPECT_NEAR(out[i + 2], 50, 2);
            EXPECT_EQ(out[i + 3], 0);
        }
    }
}

TEST(BitmapPixels, MitchellAtEqualSizeSoftensEdgesByTheKernel)
{
    // One white column between black ones, at equal size: the centre keeps M(0) = 8/9 of the
    // white, its neighbours get M(1) = 1/18 (weights 58254 and 3641 of 65536).
    std::vector<uint8_t> source = Uniform(5, 1, 0, 0, 0);
    for (int c = 0; c < 3; ++c)
        source[2 * 4 + c] = 255;
    std::vector<uint8_t> out(5 * 4);
    ResampleMitchell(source.data(), {5, 1}, out.data(), {5, 1});
    // Vertically the single row mirrors onto itself: 58254 + 2 x 3641 = 65536.
    EXPECT_EQ(out[2 * 4], (58254 * 255 * 65536ll >> 32));
    EXPECT_EQ(out[1 * 4], (3641 * 255 * 65536ll >> 32));
    EXPECT_EQ(out[0], 0);
}
