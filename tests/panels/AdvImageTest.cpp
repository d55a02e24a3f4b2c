// The OLE picture graphic: BMP, GIF, JPEG and ICO bytes drawn through the platform's picture
// loader, the bytes kept unchanged through a form layout, damaged bytes and foreign sources.
#include "panels/AdvImage.h"
#include "panels/AdvPanel.h"

#include "core/ComponentStream.h"
#include "core/Exceptions.h"

#include "FileBytes.h"
#include "PanelTestSupport.h"
#include "GuiTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace classlib;
using namespace panels;
using testsupport::Dib;

namespace {

std::string Fixture(const std::string& path)
{
    std::string bytes = testsupport::ReadBytes(path);
    EXPECT_FALSE(bytes.empty()) << path;
    return bytes;
}

void LoadBytes(TAdvImage& image, const std::string& bytes)
{
    TStringStream stream(bytes);
    image.LoadFromStream(stream);
}

std::string SavedBytes(TAdvImage& image)
{
    TStringStream out;
    image.SaveToStream(out);
    return out.DataString();
}

std::unique_ptr<Dib> DrawAt(TAdvImage& image, int x, int y, int w, int h, uint32_t fill = 0x123456)
{
    auto dib = std::make_unique<Dib>(64, 64, fill);
    TCanvas canvas;
    canvas.SetHandle(dib->dc());
    image.Draw(&canvas, RECT{x, y, x + w, y + h});
    canvas.SetHandle(nullptr);
    return dib;
}

bool Near(uint32_t pixel, uint32_t rgb, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) -
                     static_cast<int>((rgb >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// The 8 x 8 quadrant pictures (red, blue / green, white; sizes as file(1) reads them), in the
// two lossless formats.
TEST(AdvImage, QuadrantPicturesDrawAndKeepTheirBytes)
{
    for (const char* name : {"quadrants.bmp", "quadrants.gif"}) {
        SCOPED_TRACE(name);
        const std::string bytes = Fixture(std::string(BRENVIK_TEST_DATA) + name);
        TAdvImage image;
        paneltest::Events changes;
        image.OnChange = TNotifyEvent(&changes, &paneltest::Events::Notify);
        LoadBytes(image, bytes);
        EXPECT_EQ(changes.count, 1);
        EXPECT_FALSE(image.Empty());
        EXPECT_EQ(image.Width(), 8);
        EXPECT_EQ(image.Height(), 8);
        EXPECT_EQ(SavedBytes(image), bytes);
        auto dib = DrawAt(image, 10, 20, 8, 8);
        EXPECT_EQ(dib->Pixel(11, 21), 0xFF0000u);
        EXPECT_EQ(dib->Pixel(16, 21), 0x0000FFu);
        EXPECT_EQ(dib->Pixel(11, 26), 0x00FF00u);
        EXPECT_EQ(dib->Pixel(16, 26), 0xFFFFFFu);
        EXPECT_EQ(dib->Pixel(9, 21), 0x123456u); // nothing outside the rectangle
        EXPECT_EQ(dib->Pixel(11, 28), 0x123456u);
    }
}

// cjpeg's file of a 37 x 23 pattern with a flat red block (230, 30, 20) in its top-left
// 12 x 12 pixels.
TEST(AdvImage, JpegDrawsItsRedBlock)
{
    const std::string bytes = Fixture(std::string(BRENVIK_JPEG_FIXTURES) + "baseline.jpg");
    TAdvImage image;
    LoadBytes(image, bytes);
    EXPECT_EQ(image.Width(), 37);
    EXPECT_EQ(image.Height(), 23);
    auto dib = DrawAt(image, 0, 0, 37, 23);
    EXPECT_TRUE(Near(dib->Pixel(5, 5), 0xE61E14, 12)) << std::hex << dib->Pixel(5, 5);
    EXPECT_EQ(SavedBytes(image), bytes);
}

// The program's icon, 32 x 32 as file(1) reads it.
TEST(AdvImage, IconHasItsSizeAndDraws)
{
    const std::string bytes = Fixture(BRENVIK_PROGRAM_ICON);
    TAdvImage image;
    LoadBytes(image, bytes);
    EXPECT_EQ(image.Width(), 32);
    EXPECT_EQ(image.Height(), 32);
    auto dib = DrawAt(image, 0, 0, 32, 32, 0x123456);
    int painted = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            painted += dib->Pixel(x, y) != 0x123456u;
    EXPECT_GT(painted, 0);
    EXPECT_EQ(SavedBytes(image), bytes);
}

TEST(AdvImage, DamagedBytesRaiseFromStreamsAndLeaveFilesEmpty)
{
    const std::string damaged[] = {
        "this is not a picture",
        Fixture(std::string(BRENVIK_TEST_DATA) + "quadrants.gif").substr(0, 12),
    };
    for (const std::string& bytes : damaged) {
        TAdvImage image;
        EXPECT_THROW(LoadBytes(image, bytes), Exception);
        auto dib = DrawAt(image, 0, 0, 8, 8);
        EXPECT_EQ(dib->Pixel(3, 3), 0x123456u);
        EXPECT_EQ(image.Width(), 0);
    }
    TAdvImage fromFile;
    paneltest::Events changes;
    fromFile.OnChange = TNotifyEvent(&changes, &paneltest::Events::Notify);
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    const std::string textFile = std::string(path) + "adv_image_not_a_picture.txt";
    testsupport::WriteBytes(textFile, "plain text, not a picture");
    EXPECT_NO_THROW(fromFile.LoadFromFile(textFile));
    EXPECT_TRUE(fromFile.Empty());
    EXPECT_EQ(changes.count, 0);
    EXPECT_EQ(SavedBytes(fromFile), "");
    DeleteFileA(textFile.c_str());
}

TEST(AdvImage, EmptyGraphicHasNoSizeAndDrawsNothing)
{
    TAdvImage image;
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_EQ(DrawAt(image, 0, 0, 8, 8)->Pixel(3, 3), 0x123456u);
}

TEST(AdvImage, AssignCopiesAnotherImageAndDropsEverythingElse)
{
    const std::string bytes = Fixture(std::string(BRENVIK_TEST_DATA) + "quadrants.bmp");
    TAdvImage source, target;
    LoadBytes(source, bytes);
    target.Assign(&source);
    EXPECT_EQ(SavedBytes(target), bytes);
    EXPECT_EQ(DrawAt(target, 0, 0, 8, 8)->Pixel(1, 1), 0xFF0000u);

    // A bitmap of another class empties the graphic, and its old bytes must not be saved
    // (or streamed into a form layout) as if it still held them.
    TBitmap other;
    other.SetSize(4, 4);
    target.Assign(&other);
    EXPECT_TRUE(target.Empty());
    EXPECT_EQ(SavedBytes(target), "");

    // No source: cleared, with a change.
    LoadBytes(target, bytes);
    paneltest::Events changes;
    target.OnChange = TNotifyEvent(&changes, &paneltest::Events::Notify);
    target.Assign(nullptr);
    EXPECT_TRUE(target.Empty());
    EXPECT_EQ(changes.count, 1);
}

// A panel's background goes through a form layout as the picture file itself.
TEST(AdvImage, FormLayoutStoresTheFileBytes)
{
    const std::string bytes = Fixture(std::string(BRENVIK_JPEG_FIXTURES) + "baseline.jpg");
    TAdvPanel panel(nullptr);
    LoadBytes(*panel.Background(), bytes);
    TStringStream stream;
    WriteComponentToStream(stream, &panel);
    EXPECT_NE(stream.DataString().find(bytes), std::string::npos);

    TAdvPanel copy(nullptr);
    stream.SetPosition(0);
    ReadComponentFromStream(stream, &copy);
    EXPECT_EQ(SavedBytes(*copy.Background()), bytes);
    EXPECT_EQ(copy.Background()->Width(), 37);
}

} // namespace
