// The JPEG picture format under Wine: a file that cjpeg wrote loads into a picture by its
// extension and draws the pixels djpeg gives for it; grayscale and progressive files; damaged
// files raise the graphic error and leave the picture empty; saving.
#include "draw/JPEGImage.h"
#include "draw/JpegCodec.h"

#include "GuiTest.h"
#include "JpegFixtures.h"

#include "core/Streams.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace classlib;
using namespace draw;
using testsupport::Dib;

namespace {

class JPEGImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { JpegModuleInitialize(); }
    static void TearDownTestSuite() { JpegModuleFinalize(); }
};

// The largest channel difference between a graphic drawn at its natural size and djpeg's
// pixels (grey files: the grey in every channel).
int LargestDifferenceFromDjpeg(TGraphic& graphic, const std::string& expectedFile)
{
    const drawtest::Pnm expected = drawtest::ParsePnm(drawtest::JpegFixture(expectedFile));
    EXPECT_GT(expected.components, 0);
    EXPECT_EQ(graphic.Width(), expected.width);
    EXPECT_EQ(graphic.Height(), expected.height);
    Dib dib(expected.width, expected.height, 0x000000);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    canvas.Draw(0, 0, &graphic);
    canvas.SetHandle(nullptr);
    int largest = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const uint32_t pixel = dib.Pixel(x, y);
            const uint8_t drawn[3] = {static_cast<uint8_t>(pixel >> 16),
                                      static_cast<uint8_t>(pixel >> 8),
                                      static_cast<uint8_t>(pixel)};
            for (int c = 0; c < 3; ++c) {
                const std::size_t at =
                    (static_cast<std::size_t>(y) * expected.width + x) * expected.components +
                    (expected.components == 3 ? c : 0);
                largest = std::max(largest, std::abs(int{drawn[c]} - int{expected.data[at]}));
            }
        }
    return largest;
}

TEST_F(JPEGImageTest, AFileLoadsIntoAPictureByItsExtensionAndDrawsDjpegsPixels)
{
    for (const char* extension : {"jpg", "jpeg"}) {
        ASSERT_NE(FindFileFormat(extension), nullptr) << extension;
        EXPECT_EQ(FindFileFormat(extension)->graphicClass, &TJPEGImage::StaticClass());
    }
    TPicture picture;
    picture.LoadFromFile(std::string(BRENVIK_JPEG_FIXTURES) + "baseline.jpg");
    auto* jpeg = dynamic_cast<TJPEGImage*>(picture.Graphic());
    ASSERT_NE(jpeg, nullptr);
    EXPECT_FALSE(jpeg->ProgressiveFile());
    EXPECT_EQ(LargestDifferenceFromDjpeg(*jpeg, "baseline.ppm"), 0);
}

TEST_F(JPEGImageTest, ProgressiveAndGreyFilesAndTheGrayscaleSetting)
{
    TJPEGImage progressive;
    TStringStream progressiveBytes(drawtest::JpegFixture("progressive.jpg"));
    progressive.LoadFromStream(progressiveBytes);
    EXPECT_TRUE(progressive.ProgressiveFile());
    EXPECT_EQ(LargestDifferenceFromDjpeg(progressive, "progressive.ppm"), 0);

    TJPEGImage grey;
    TStringStream greyBytes(drawtest::JpegFixture("gray.jpg"));
    grey.LoadFromStream(greyBytes);
    EXPECT_EQ(LargestDifferenceFromDjpeg(grey, "gray.pgm"), 0);

    TJPEGImage colour;
    TStringStream colourBytes(drawtest::JpegFixture("baseline.jpg"));
    colour.LoadFromStream(colourBytes);
    colour.SetGrayscale(true);
    EXPECT_EQ(LargestDifferenceFromDjpeg(colour, "baseline-gray.pgm"), 0);
}

TEST_F(JPEGImageTest, DamagedFilesRaiseTheGraphicErrorAndLeaveThePictureEmpty)
{
    for (const char* name :
         {"truncated-scan.jpg", "truncated-tables.jpg", "damaged.jpg", "header-only.jpg"}) {
        SCOPED_TRACE(name);
        TJPEGImage jpeg;
        TStringStream good(drawtest::JpegFixture("baseline.jpg"));
        jpeg.LoadFromStream(good);
        ASSERT_FALSE(jpeg.Empty());
        TStringStream bad(drawtest::JpegFixture(name));
        EXPECT_THROW(jpeg.LoadFromStream(bad), EInvalidGraphic);
        EXPECT_TRUE(jpeg.Empty());
        EXPECT_EQ(jpeg.Width(), 0);
        TStringStream saved;
        jpeg.SaveToStream(saved);
        EXPECT_TRUE(saved.DataString().empty());
    }
    TPicture picture;
    EXPECT_THROW(picture.LoadFromFile(std::string(BRENVIK_JPEG_FIXTURES) + "damaged.jpg"),
                 EInvalidGraphic);
    EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST_F(JPEGImageTest, SavingKeepsTheLoadedBytesAndEncodesABitmapAtItsQuality)
{
    const std::string original = drawtest::JpegFixture("progressive.jpg");
    TJPEGImage loaded;
    TStringStream in(original);
    loaded.LoadFromStream(in);
    TStringStream out;
    loaded.SaveToStream(out);
    EXPECT_EQ(out.DataString(), original);

    TJPEGImage self;
    self.Assign(&loaded);
    self.Assign(&self);
    TStringStream copied;
    self.SaveToStream(copied);
    EXPECT_EQ(copied.DataString(), original);

    TBitmap bitmap;
    bitmap.SetSize(24, 16);
    bitmap.Canvas()->Brush()->SetColor(0x3080E0); // red E0, green 80, blue 30
    bitmap.Canvas()->FillRect(RECT{0, 0, 24, 16});
    std::string sizes[2];
    const int qualities[2] = {10, 100};
    for (int i = 0; i < 2; ++i) {
        TJPEGImage encoded;
        encoded.SetCompressionQuality(qualities[i]);
        encoded.Assign(&bitmap);
        TStringStream file;
        encoded.SaveToStream(file);
        sizes[i] = file.DataString();
        const JpegDecoded back =
            DecodeJpeg(reinterpret_cast<const uint8_t*>(sizes[i].data()), sizes[i].size(), false);
        ASSERT_EQ(back.pixels.width, 24);
        ASSERT_EQ(back.pixels.components, 3);
        EXPECT_NEAR(back.pixels.data[0], 0xE0, 6);
        EXPECT_NEAR(back.pixels.data[1], 0x80, 6);
        EXPECT_NEAR(back.pixels.data[2], 0x30, 6);
    }
    EXPECT_LT(sizes[0].size(), sizes[1].size());
}

} // namespace
