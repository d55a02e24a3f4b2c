// The JPEG codec against libjpeg-turbo's own command-line tools: files that cjpeg wrote decode
// to exactly the pixels djpeg gives for them, files our encoder writes decode with djpeg, and
// damaged files raise instead of giving a partial picture.
#include "draw/JpegCodec.h"

#include "JpegFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace draw;
using drawtest::JpegFixture;
using drawtest::ParsePnm;

namespace {

JpegDecoded Decode(const std::string& bytes, bool grayscale)
{
    return DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), grayscale);
}

TEST(JpegCodec, CjpegFilesDecodeToTheSamePixelsAsDjpegGives)
{
    struct Case {
        const char* jpeg;
        bool grayscale;
        const char* expected;
        bool progressive;
    };
    const Case cases[] = {
        {"baseline.jpg", false, "baseline.ppm", false},
        {"progressive.jpg", false, "progressive.ppm", true},
        {"gray.jpg", false, "gray.pgm", false},
        {"baseline.jpg", true, "baseline-gray.pgm", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.jpeg) + (c.grayscale ? " as grey" : ""));
        const drawtest::Pnm expected = ParsePnm(JpegFixture(c.expected));
        ASSERT_GT(expected.components, 0);
        const JpegDecoded decoded = Decode(JpegFixture(c.jpeg), c.grayscale);
        EXPECT_EQ(decoded.progressive, c.progressive);
        EXPECT_EQ(decoded.pixels.width, expected.width);
        EXPECT_EQ(decoded.pixels.height, expected.height);
        EXPECT_EQ(decoded.pixels.components, expected.components);
        EXPECT_TRUE(decoded.pixels.data == expected.data);
    }
}

TEST(JpegCodec, DamagedDataRaises)
{
    for (const char* name : {"truncated-scan.jpg", "truncated-tables.jpg", "damaged.jpg",
                             "header-only.jpg", "pattern.ppm"}) {
        SCOPED_TRACE(name);
        const std::string bytes = JpegFixture(name);
        ASSERT_FALSE(bytes.empty());
        EXPECT_THROW(Decode(bytes, false), EJpegError);
    }
    EXPECT_THROW(DecodeJpeg(nullptr, 0, false), EJpegError);
}

// Runs djpeg on JPEG bytes and returns the PNM it writes.
drawtest::Pnm DecodeWithDjpeg(const std::vector<uint8_t>& jpeg)
{
    char name[] = "/tmp/brenvik-jpeg-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        return {};
    FILE* file = fdopen(fd, "wb");
    fwrite(jpeg.data(), 1, jpeg.size(), file);
    fclose(file);
    std::string output;
    if (FILE* pipe = popen(("djpeg -pnm " + std::string(name)).c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        EXPECT_EQ(pclose(pipe), 0) << "djpeg failed (is libjpeg-turbo-progs installed?)";
    }
    std::remove(name);
    return ParsePnm(output);
}

int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int largest = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
    return largest;
}

TEST(JpegCodec, OurFilesDecodeWithDjpegAndFollowTheQuality)
{
    const drawtest::Pnm source = ParsePnm(JpegFixture("pattern.ppm"));
    ASSERT_EQ(source.components, 3);
    JpegPixels pixels{source.width, source.height, 3, source.data};

    const std::vector<uint8_t> fine = EncodeJpeg(pixels, 95, false);
    const std::vector<uint8_t> coarse = EncodeJpeg(pixels, 10, false);
    EXPECT_LT(coarse.size(), fine.size());
    const drawtest::Pnm fineBack = DecodeWithDjpeg(fine);
    const drawtest::Pnm coarseBack = DecodeWithDjpeg(coarse);
    ASSERT_EQ(fineBack.components, 3);
    ASSERT_EQ(coarseBack.components, 3);
    EXPECT_EQ(fineBack.width, source.width);
    EXPECT_EQ(fineBack.height, source.height);
    EXPECT_LT(LargestDifference(fineBack.data, source.data),
              LargestDifference(coarseBack.data, source.data));
    // The flat red block survives a fine encoding closely.
    const std::size_t inBlock = (5u * static_cast<std::size_t>(source.width) + 5u) * 3u;
    EXPECT_NEAR(fineBack.data[inBlock], 230, 4);
    EXPECT_NEAR(fineBack.data[inBlock + 1], 30, 4);
    EXPECT_NEAR(fineBack.data[inBlock + 2], 20, 4);

    // A grey encoding holds one component; so does an encoding of grey pixels.
    const drawtest::Pnm grey = DecodeWithDjpeg(EncodeJpeg(pixels, 90, true));
    EXPECT_EQ(grey.components, 1);
    EXPECT_EQ(grey.width, source.width);
    JpegPixels greyPixels{4, 2, 1, {0, 50, 100, 150, 200, 250, 255, 10}};
    const drawtest::Pnm greyBack = DecodeWithDjpeg(EncodeJpeg(greyPixels, 100, false));
    EXPECT_EQ(greyBack.components, 1);
    EXPECT_LE(LargestDifference(greyBack.data, greyPixels.data), 3);
}

TEST(JpegCodec, PixelsThatMakeNoPictureRaise)
{
    const JpegPixels wrong[] = {
        {0, 1, 3, {}},
        {2, 2, 3, {1, 2, 3}},
        {1, 1, 4, {1, 2, 3, 4}},
    };
    for (const auto& p : wrong)
        EXPECT_THROW(EncodeJpeg(p, 90, false), EJpegError);
}

} // namespace
