// The screenshot PNG writer: every file passes pngcheck and decodes with libpng; the decoded
// pixels are compared with the palette read back from the file (nearest entry computed here),
// the gray form with the fixed ramp, and the chunk layout with the expected bytes.
#include "ScreenshotPng.h"

#include "PngBytes.h"
#include "PngReference.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace crashui;

namespace {

// A bitmap of the bitmap object's layout: BGRX, rows bottom-up. `At(x, y)` counts y from the top.
struct TPixels {
    uint32_t width, height;
    std::vector<uint8_t> bytes;
    TPixels(uint32_t w, uint32_t h) : width(w), height(h), bytes(size_t(w) * h * 4) {}
    uint8_t* At(uint32_t x, uint32_t y) { return &bytes[(size_t(height - 1 - y) * width + x) * 4]; }
    void Set(uint32_t x, uint32_t y, uint8_t r, uint8_t g, uint8_t b)
    {
        uint8_t* p = At(x, y);
        p[0] = b;
        p[1] = g;
        p[2] = r;
        p[3] = 0;
    }
};

// A busy picture: window-like bands and gradients, with some noise.
TPixels Busy(uint32_t w, uint32_t h, unsigned seed)
{
    TPixels p(w, h);
    std::mt19937 rng(seed);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t noise = static_cast<uint8_t>(rng() % 16);
            p.Set(x, y, static_cast<uint8_t>(x * 255 / w), static_cast<uint8_t>((y * 3) ^ noise),
                  static_cast<uint8_t>((x + y) % 97 < 50 ? 200 : 40 + noise));
        }
    return p;
}

std::string Inflated(const std::string& png)
{
    std::string idat;
    for (const std::string& part : pngtest::ChunkData(png, "IDAT"))
        idat += part;
    return pngtest::Inflate(idat);
}

// Checks the file with pngcheck and libpng, and that every decoded pixel is the palette entry
// nearest to the source pixel (which is what the writer must choose when no two colours share
// a 15-bit key).
void ExpectNearestPaletteColours(const std::string& png, TPixels& source)
{
    EXPECT_EQ(pngtest::PngcheckComplaint(png), "");
    const pngtest::TReferenceImage decoded = pngtest::DecodeWithLibpng(png);
    ASSERT_EQ(decoded.error, "");
    ASSERT_EQ(decoded.width, source.width);
    ASSERT_EQ(decoded.height, source.height);
    const std::vector<std::string> plte = pngtest::ChunkData(png, "PLTE");
    ASSERT_EQ(plte.size(), 1u);
    ASSERT_EQ(plte[0].size(), 768u);
    for (uint32_t y = 0; y < source.height; ++y)
        for (uint32_t x = 0; x < source.width; ++x) {
            const uint8_t* s = source.At(x, y);
            int best = 0, bestDistance = 1 << 30;
            for (int k = 0; k < 256; ++k) {
                const int d = std::abs(s[2] - uint8_t(plte[0][3 * k])) +
                              std::abs(s[1] - uint8_t(plte[0][3 * k + 1])) +
                              std::abs(s[0] - uint8_t(plte[0][3 * k + 2]));
                if (d < bestDistance) {
                    bestDistance = d;
                    best = k;
                }
            }
            const uint8_t* got = &decoded.rgba[(size_t(y) * source.width + x) * 4];
            ASSERT_EQ(got[0], uint8_t(plte[0][3 * best])) << x << "," << y;
            ASSERT_EQ(got[1], uint8_t(plte[0][3 * best + 1])) << x << "," << y;
            ASSERT_EQ(got[2], uint8_t(plte[0][3 * best + 2])) << x << "," << y;
        }
}

} // namespace

TEST(ScreenshotPng, OneBlackPixelInColour)
{
    TPixels p(1, 1);
    const std::string png = ScreenshotPngBytes(p.bytes.data(), 1, 1, pngColour);
    EXPECT_EQ(pngtest::PngcheckComplaint(png), "");
    EXPECT_EQ(pngtest::ChunkNames(png), (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
    EXPECT_EQ(pngtest::ChunkData(png, "IHDR")[0], pngtest::Header(1, 1, 8, 3).substr(8, 13));
    EXPECT_EQ(pngtest::ChunkData(png, "PLTE")[0].substr(0, 3), std::string(3, '\0'));
    EXPECT_EQ(Inflated(png), std::string(2, '\0'));
    // The zlib stream: header 0x78 0x01, raw deflate, Adler-32.
    EXPECT_EQ(pngtest::ChunkData(png, "IDAT")[0].substr(0, 2), "\x78\x01");
}

TEST(ScreenshotPng, ThreePixelsInGrayPackTwoToAByte)
{
    TPixels p(3, 1);
    p.Set(0, 0, 255, 255, 255); // Y 255: index 15
    p.Set(1, 0, 128, 128, 128); // Y 128: index 6 (level 125)
    p.Set(2, 0, 0, 0, 0);
    const std::string png = ScreenshotPngBytes(p.bytes.data(), 3, 1, pngGray);
    EXPECT_EQ(pngtest::PngcheckComplaint(png), "");
    EXPECT_EQ(pngtest::ChunkData(png, "IHDR")[0], pngtest::Header(3, 1, 4, 3).substr(8, 13));
    std::string ramp;
    for (int level : {0, 28, 52, 73, 92, 109, 125, 140, 155, 170, 185, 199, 213, 227, 241, 255})
        ramp.append(3, static_cast<char>(level));
    EXPECT_EQ(pngtest::ChunkData(png, "PLTE")[0], ramp);
    EXPECT_EQ(Inflated(png), std::string("\x00\xF6\x00", 3));
    // The object's own pixels are gray now.
    EXPECT_EQ(p.At(1, 0)[0], 128);
    EXPECT_EQ(p.At(1, 0)[2], 128);
}

TEST(ScreenshotPng, GrayValuesAndLevels)
{
    struct Case {
        uint8_t gray, index;
    } cases[] = {{255, 15}, {128, 6}, {14, 0}, {15, 1}, {0, 0}, {248, 14}, {249, 15}, {234, 13}};
    for (const Case& c : cases)
        EXPECT_EQ(GrayLevelIndex(c.gray), c.index) << int(c.gray);
    uint8_t pixel[4] = {10, 200, 30, 0}; // blue, green, red
    MakeGray(pixel, 1);
    const uint8_t y = static_cast<uint8_t>((77 * 30 + 151 * 200 + 28 * 10) >> 8);
    EXPECT_EQ(pixel[0], y);
    EXPECT_EQ(pixel[1], y);
    EXPECT_EQ(pixel[2], y);
}

TEST(ScreenshotPng, GrayImageOfOddWidthDecodesToTheRamp)
{
    TPixels p = Busy(33, 7, 3);
    TPixels original = p;
    const std::string png = GrayPngBytes(p.bytes.data(), 33, 7);
    EXPECT_EQ(pngtest::PngcheckComplaint(png), "");
    const pngtest::TReferenceImage decoded = pngtest::DecodeWithLibpng(png);
    ASSERT_EQ(decoded.error, "");
    static const int ramp[] = {0,   28,  52,  73,  92,  109, 125, 140,
                               155, 170, 185, 199, 213, 227, 241, 255};
    for (uint32_t y = 0; y < 7; ++y)
        for (uint32_t x = 0; x < 33; ++x) {
            const uint8_t* s = original.At(x, y);
            const int gray = (77 * s[2] + 151 * s[1] + 28 * s[0]) >> 8;
            int best = 0;
            for (int k = 1; k < 16; ++k)
                if (std::abs(gray - ramp[k]) < std::abs(gray - ramp[best]))
                    best = k;
            ASSERT_EQ(decoded.rgba[(size_t(y) * 33 + x) * 4], ramp[best]) << x << "," << y;
        }
}

TEST(ScreenshotPng, BusyPictureDecodesToTheNearestPaletteColours)
{
    // Colours whose low three bits are 0: no two colours share a key, so the cache changes
    // nothing and each pixel must get its nearest entry.
    TPixels p = Busy(200, 150, 4);
    for (size_t i = 0; i < p.bytes.size(); ++i)
        p.bytes[i] = static_cast<uint8_t>(i % 4 == 3 ? 0 : p.bytes[i] & 0xF8);
    const std::string png = ColourPngBytes(p.bytes.data(), 200, 150);
    ExpectNearestPaletteColours(png, p);
}

TEST(ScreenshotPng, FewColoursComeOutExactly)
{
    // Each colour gets a box of its own, whose mean is the colour itself.
    TPixels p(40, 30);
    const uint8_t colours[4][3] = {{255, 255, 255}, {0, 0, 128}, {212, 208, 200}, {10, 36, 106}};
    for (uint32_t y = 0; y < 30; ++y)
        for (uint32_t x = 0; x < 40; ++x) {
            const uint8_t* c = colours[(x / 10 + y / 15) % 4];
            p.Set(x, y, c[0], c[1], c[2]);
        }
    TPalette palette;
    EXPECT_EQ(QuantizeWu(p.bytes.data(), 1200, palette), 4);
    const std::string png = ColourPngBytes(p.bytes.data(), 40, 30);
    const pngtest::TReferenceImage decoded = pngtest::DecodeWithLibpng(png);
    ASSERT_EQ(decoded.error, "");
    for (uint32_t y = 0; y < 30; ++y)
        for (uint32_t x = 0; x < 40; ++x) {
            const uint8_t* c = colours[(x / 10 + y / 15) % 4];
            const uint8_t* got = &decoded.rgba[(size_t(y) * 40 + x) * 4];
            ASSERT_EQ(std::string(reinterpret_cast<const char*>(got), 3),
                      std::string(reinterpret_cast<const char*>(c), 3));
        }

    TPixels single(5, 5);
    for (uint32_t i = 0; i < 25; ++i)
        single.Set(i % 5, i / 5, 90, 60, 30);
    EXPECT_EQ(QuantizeWu(single.bytes.data(), 25, palette), 1);
    EXPECT_EQ(palette[0], 90);
    EXPECT_EQ(palette[1], 60);
    EXPECT_EQ(palette[2], 30);
}

TEST(ScreenshotPng, SumsStayExactBeyondEightMillionPixels)
{
    // 9 million white pixels: 2295000000 per colour sum, beyond 32-bit signed sums.
    const size_t count = 9000000;
    std::vector<uint8_t> pixels(count * 4, 255);
    TPalette palette;
    EXPECT_EQ(QuantizeWu(pixels.data(), count, palette), 1);
    EXPECT_EQ(palette[0], 255);
    EXPECT_EQ(palette[1], 255);
    EXPECT_EQ(palette[2], 255);
}

TEST(ScreenshotPng, SizeLimitedFormatsChooseTheShorterImage)
{
    // Noise makes a long colour image; its gray image is shorter.
    TPixels noisy(400, 300);
    std::mt19937 rng(9);
    for (uint8_t& b : noisy.bytes)
        b = static_cast<uint8_t>(rng());
    TPixels copy = noisy;
    const std::string colour = ColourPngBytes(copy.bytes.data(), 400, 300);
    copy = noisy;
    const std::string gray = GrayPngBytes(copy.bytes.data(), 400, 300);
    ASSERT_GT(colour.size(), 102400u);
    ASSERT_LT(colour.size(), 204800u);
    ASSERT_LT(gray.size(), colour.size());
    struct Case {
        uint8_t format;
        bool grayWins;
    } cases[] = {{0, false}, {2, true},  {3, true},   {4, false},
                 {5, false}, {6, false}, {255, false}};
    for (const Case& c : cases) {
        copy = noisy;
        const std::string got = ScreenshotPngBytes(copy.bytes.data(), 400, 300, c.format);
        EXPECT_EQ(got, c.grayWins ? gray : colour) << int(c.format);
        // Whenever the gray image was made, the bitmap is gray afterwards.
        EXPECT_EQ(copy.bytes == noisy.bytes, !c.grayWins) << int(c.format);
    }
    // A colour image within its limit stays, and the bitmap keeps its colours.
    TPixels small = Busy(20, 20, 5);
    copy = small;
    EXPECT_EQ(ScreenshotPngBytes(copy.bytes.data(), 20, 20, 2),
              ColourPngBytes(small.bytes.data(), 20, 20));
    EXPECT_EQ(copy.bytes, small.bytes);
}

TEST(ScreenshotPng, EmptyBitmapGivesNoImage)
{
    uint8_t none[4] = {};
    for (uint8_t format : {0, 1, 2})
        EXPECT_EQ(ScreenshotPngBytes(none, 0, 0, format), "");
}
