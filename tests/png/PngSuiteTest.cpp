// Every PngSuite image: the valid ones decode to libpng's pixels (with the gamma correction
// the codec applies), the broken ones ("x*") are refused with the codec's exception.
#include "PngPixels.h"
#include "PngReference.h"

#include "core/Streams.h"
#include "FileBytes.h"

#include <gtest/gtest.h>

using namespace png;
using namespace pngtest;

namespace {

class PngSuiteTest : public ::testing::TestWithParam<std::string> {};

TEST(PngSuiteFolder, HoldsTheWholeSuite)
{
    EXPECT_EQ(PngSuiteFiles().size(), 175u) << PngSuiteDir();
}

TEST_P(PngSuiteTest, DecodesLikeLibpngOrRefuses)
{
    const std::string name = GetParam();
    const std::string bytes = testsupport::ReadBytes(PngSuiteDir() + "/" + name);
    ASSERT_FALSE(bytes.empty());
    TPNGImage image;
    classlib::TStringStream stream(bytes);
    if (name[0] == 'x') {
        EXPECT_FALSE(DecodeWithLibpng(bytes).error.empty()) << "libpng accepts " << name;
        EXPECT_THROW(image.LoadFromStream(stream), classlib::Exception);
        return;
    }
    const TReferenceImage reference = DecodeWithLibpng(bytes);
    ASSERT_EQ(reference.error, "");
    ASSERT_NO_THROW(image.LoadFromStream(stream));
    ASSERT_EQ(uint32_t(image.Width()), reference.width);
    ASSERT_EQ(uint32_t(image.Height()), reference.height);
    std::vector<uint8_t> ours = OurRgba(image);
    const std::vector<uint8_t> expected = ExpectedRgba(reference);
    if (reference.colorType == 0 || reference.colorType == 2) {
        // A key colour is matched on the held 8-bit, gamma-corrected colour, as the image is
        // drawn: every pixel libpng makes transparent must match it, but an opaque pixel
        // whose colour lands on the same held value (16-bit samples that differ in the low
        // byte, steep gamma) matches it too.
        for (size_t i = 3; i < ours.size() && i < expected.size(); i += 4)
            if (expected[i] == 255 && ours[i] == 0)
                ours[i] = 255;
    }
    EXPECT_EQ(FirstDifference(ours, expected, reference.width), "");
}

INSTANTIATE_TEST_SUITE_P(PngSuite, PngSuiteTest, ::testing::ValuesIn(PngSuiteFiles()),
                         [](const auto& info) {
                             return info.param.substr(0, info.param.size() - 4);
                         });

} // namespace
