// The PNG graphic object under Wine: the picture-format registry, drawing in its three
// transparency modes (pixels checked on a DIB), bitmap and clipboard conversions, and the
// canvas on the image memory.
#include "PngBuilder.h"
#include "PngBytes.h"
#include "PngObject.h"

#include "GuiTest.h"

#include "core/Streams.h"
#include "windows/Images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace png;
using namespace pngtest;
using classlib::TCanvas;

namespace {

class PngObjectTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PngCodecInitialize(); }
    static void TearDownTestSuite() { PngCodecFinalize(); }
};

std::unique_ptr<TPNGObject> Loaded(const std::string& bytes)
{
    auto png = std::make_unique<TPNGObject>();
    classlib::TStringStream stream(bytes);
    png->LoadFromStream(stream);
    return png;
}

std::string Png(uint32_t width, uint32_t height, int depth, int colorType, const std::string& rows,
                const std::string& beforeData = {})
{
    return Signature() + Header(width, height, depth, colorType) + beforeData +
           Chunk("IDAT", Deflate(rows)) + Chunk("IEND", "");
}

// Draws the graphic onto a DIB filled with `background` (0xRRGGBB).
std::unique_ptr<testsupport::Dib> DrawOn(classlib::TGraphic& graphic, const RECT& rect, int width,
                                         int height, uint32_t background)
{
    auto dib = std::make_unique<testsupport::Dib>(width, height, background);
    TCanvas canvas;
    canvas.SetHandle(dib->dc());
    graphic.Draw(&canvas, rect);
    canvas.SetHandle(nullptr);
    return dib;
}

TEST_F(PngObjectTest, PictureLoadsPngFilesByExtension)
{
    const classlib::TFileFormat* format = classlib::FindFileFormat("png");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->graphicClass, &TPNGObject::StaticClass());
    EXPECT_EQ(format->description, "Portable Network Graphics");

    classlib::TPicture picture;
    picture.LoadFromFile(PngSuiteDir() + "/basn6a08.png");
    ASSERT_NE(dynamic_cast<TPNGObject*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 32);
    EXPECT_EQ(picture.Height(), 32);
    EXPECT_TRUE(picture.Graphic()->Transparent());

    classlib::TPicture refused;
    EXPECT_THROW(refused.LoadFromFile(PngSuiteDir() + "/xcsn0g01.png"), classlib::Exception);
    EXPECT_EQ(refused.Graphic(), nullptr);
}

TEST_F(PngObjectTest, EmptyObjectDrawsNothing)
{
    TPNGObject png;
    EXPECT_TRUE(png.Empty());
    EXPECT_EQ(png.Width(), 0);
    EXPECT_THROW(png.Palette(), EPNGHeaderNotPresent);
    auto dib = DrawOn(png, RECT{0, 0, 4, 4}, 4, 4, 0x123456);
    EXPECT_EQ(dib->Pixel(1, 1), 0x123456u);
}

TEST_F(PngObjectTest, PlainImagesAreStretchedOntoTheRectangle)
{
    auto rgb = Loaded(Png(2, 1, 8, 2, std::string("\0\x10\x20\x30\xC0\xB0\xA0", 7)));
    auto dib = DrawOn(*rgb, RECT{0, 0, 4, 2}, 4, 2, 0xFFFFFF);
    EXPECT_EQ(dib->Pixel(0, 0), 0x102030u);
    EXPECT_EQ(dib->Pixel(1, 1), 0x102030u);
    EXPECT_EQ(dib->Pixel(2, 0), 0xC0B0A0u);

    auto palette = Loaded(Png(2, 1, 1, 3, std::string("\0\x40", 2),
                              Chunk("PLTE", std::string("\x11\x22\x33\xAA\xBB\xCC", 6))));
    auto paletteDib = DrawOn(*palette, RECT{0, 0, 2, 1}, 2, 1, 0xFFFFFF);
    EXPECT_EQ(paletteDib->Pixel(0, 0), 0x112233u);
    EXPECT_EQ(paletteDib->Pixel(1, 0), 0xAABBCCu);
}

TEST_F(PngObjectTest, PaletteHandleFollowsTheColourTable)
{
    auto palette = Loaded(Png(2, 1, 1, 3, std::string("\0\x40", 2),
                              Chunk("PLTE", std::string("\x11\x22\x33\xAA\xBB\xCC", 6))));
    HPALETTE handle = palette->Palette();
    ASSERT_NE(handle, nullptr);
    PALETTEENTRY entries[2] = {};
    ASSERT_EQ(GetPaletteEntries(handle, 0, 2, entries), 2u);
    EXPECT_EQ(entries[1].peRed, 0xAA);
    EXPECT_EQ(entries[1].peBlue, 0xCC);

    const PALETTEENTRY replacement[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    std::vector<uint8_t> memory(sizeof(LOGPALETTE) + sizeof replacement);
    auto* logical = reinterpret_cast<LOGPALETTE*>(memory.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = 2;
    std::memcpy(logical->palPalEntry, replacement, sizeof replacement);
    HPALETTE given = CreatePalette(logical);
    palette->SetPalette(given);
    DeleteObject(given);
    EXPECT_EQ(palette->ReadPixel(1, 0), 0x060504u);
    auto dib = DrawOn(*palette, RECT{0, 0, 2, 1}, 2, 1, 0xFFFFFF);
    EXPECT_EQ(dib->Pixel(1, 0), 0x040506u);
}

TEST_F(PngObjectTest, KeyColourIsLeftOut)
{
    auto gray = Loaded(
        Png(3, 1, 8, 0, std::string("\0\x07\x80\x07", 4), Chunk("tRNS", std::string("\0\x07", 2))));
    ASSERT_EQ(gray->Image().TransparencyMode(), ptmBit);
    auto dib = DrawOn(*gray, RECT{0, 0, 3, 1}, 3, 1, 0xFF0000);
    EXPECT_EQ(dib->Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(1, 0), 0x808080u);
    EXPECT_EQ(dib->Pixel(2, 0), 0xFF0000u);

    auto palette = Loaded(Png(2, 1, 1, 3, std::string("\0\x40", 2),
                              Chunk("PLTE", std::string("\x11\x22\x33\xAA\xBB\xCC", 6)) +
                                  Chunk("tRNS", std::string("\xFF\0", 2))));
    ASSERT_EQ(palette->Image().TransparencyMode(), ptmBit);
    auto paletteDib = DrawOn(*palette, RECT{0, 0, 2, 1}, 2, 1, 0x00FF00);
    EXPECT_EQ(paletteDib->Pixel(0, 0), 0x112233u);
    EXPECT_EQ(paletteDib->Pixel(1, 0), 0x00FF00u);

    classlib::TBitmap bitmap;
    bitmap.Assign(gray.get());
    EXPECT_TRUE(bitmap.Transparent());
    EXPECT_EQ(bitmap.TransparentColor(), 0x070707u);
}

TEST_F(PngObjectTest, AlphaIsBlendedOntoTheTarget)
{
    auto rgba = Loaded(Png(2, 1, 8, 6, std::string("\0\0\0\0\x80\xC8\x64\x32\xFF", 9)));
    auto dib = DrawOn(*rgba, RECT{0, 0, 2, 1}, 2, 1, 0xFFFFFF);
    EXPECT_EQ(dib->Pixel(0, 0), 0x7F7F7Fu); // (0 × 128 + 127 × 255 + 255) >> 8
    EXPECT_EQ(dib->Pixel(1, 0), 0xC86432u);

    // 10 × 10 into 20 × 20: each 2 × 2 block of the target shows one source pixel.
    const TBuiltPng built = RandomPng(10, 10, 6, 8, 3);
    auto random = Loaded(built.bytes);
    auto big = DrawOn(*random, RECT{0, 0, 20, 20}, 20, 20, 0x000000);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const uint8_t* s =
                reinterpret_cast<const uint8_t*>(built.rows.data()) + ((y / 2) * 10 + x / 2) * 4;
            uint32_t expected = 0;
            for (int c = 0; c < 3; ++c)
                expected = expected << 8 | ((s[c] * s[3] + 255) >> 8);
            ASSERT_EQ(big->Pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(PngObjectTest, BitmapConversionsKeepThePixels)
{
    const TBuiltPng built = RandomPng(7, 5, 2, 8, 11);
    auto png = Loaded(built.bytes);
    classlib::TBitmap bitmap;
    bitmap.Assign(png.get());
    ASSERT_EQ(bitmap.Width(), 7);
    ASSERT_EQ(bitmap.Height(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(bitmap.Canvas()->Pixel(x, y), png->ReadPixel(x, y)) << x << "," << y;

    TPNGObject back;
    bitmap.SetTransparentMode(classlib::tmFixed);
    bitmap.SetTransparentColor(png->ReadPixel(3, 2));
    bitmap.SetTransparent(true);
    back.Assign(&bitmap);
    const TChunkIHDR* header = back.Image().HeaderChunk();
    EXPECT_EQ(header->Header.ColorType, ctRGB);
    EXPECT_EQ(header->Header.BitDepth, 8);
    EXPECT_EQ(back.Image().TransparencyMode(), ptmBit);
    EXPECT_EQ(back.Image().TransparentColor(), png->ReadPixel(3, 2));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(back.ReadPixel(x, y), png->ReadPixel(x, y)) << x << "," << y;

    // Saved and loaded again: the same pixels.
    classlib::TStringStream saved;
    back.SaveToStream(saved);
    auto reloaded = Loaded(saved.DataString());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(reloaded->ReadPixel(x, y), png->ReadPixel(x, y)) << x << "," << y;
}

// A bitmap copy takes the pixel format the image's depth and colour type call for, with the
// image's own colours in its colour table, so every pixel keeps its colour.
TEST_F(PngObjectTest, BitmapCopiesTakeThePixelFormatOfTheImage)
{
    const struct {
        int colorType, depth;
        classlib::TPixelFormat format;
    } cases[] = {
        {0, 1, classlib::pf1bit},  {0, 2, classlib::pf4bit},  {3, 4, classlib::pf4bit},
        {3, 8, classlib::pf8bit},  {0, 8, classlib::pf24bit}, {2, 16, classlib::pf24bit},
        {6, 8, classlib::pf24bit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "colour type " << c.colorType << ", depth " << c.depth);
        auto png = Loaded(RandomPng(9, 4, c.colorType, c.depth, 21).bytes);
        classlib::TBitmap bitmap;
        bitmap.Assign(png.get());
        EXPECT_EQ(bitmap.PixelFormat(), c.format);
        ASSERT_EQ(bitmap.Width(), 9);
        if (c.colorType == 6)
            continue; // blended over the bitmap's white: no pixel of the image's own to compare
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 9; ++x)
                ASSERT_EQ(bitmap.Canvas()->Pixel(x, y), png->ReadPixel(x, y)) << x << "," << y;
    }
}

// Code that holds any graphic reaches the image's palette and clipboard forms.
TEST_F(PngObjectTest, PaletteAndClipboardAreTheGraphicsOwn)
{
    auto png = Loaded(Png(2, 1, 1, 3, std::string("\0\x40", 2),
                          Chunk("PLTE", std::string("\x11\x22\x33\xAA\xBB\xCC", 6))));
    classlib::TGraphic& graphic = *png;
    HPALETTE handle = graphic.Palette();
    ASSERT_NE(handle, nullptr);
    PALETTEENTRY entry{};
    ASSERT_EQ(GetPaletteEntries(handle, 1, 1, &entry), 1u);
    EXPECT_EQ(entry.peRed, 0xAA);

    UINT format = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    graphic.SaveToClipboardFormat(format, data, palette);
    ASSERT_EQ(format, UINT(CF_BITMAP));
    TPNGObject pasted;
    static_cast<classlib::TGraphic&>(pasted).LoadFromClipboardFormat(format, data, palette);
    DeleteObject(data);
    EXPECT_EQ(pasted.ReadPixel(1, 0), 0xCCBBAAu);
}

TEST_F(PngObjectTest, ClipboardConversionKeepsThePixels)
{
    const TBuiltPng built = RandomPng(6, 4, 2, 8, 12);
    auto png = Loaded(built.bytes);
    UINT format = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    png->SaveToClipboardFormat(format, data, palette);
    ASSERT_EQ(format, UINT(CF_BITMAP));
    ASSERT_NE(data, nullptr);
    TPNGObject pasted;
    pasted.LoadFromClipboardFormat(format, data, palette);
    DeleteObject(data);
    ASSERT_EQ(pasted.Width(), 6);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(pasted.ReadPixel(x, y), png->ReadPixel(x, y)) << x << "," << y;
}

TEST_F(PngObjectTest, CanvasDrawsIntoTheImage)
{
    auto png = Loaded(RandomPng(8, 8, 2, 8, 13).bytes);
    TCanvas* canvas = png->Canvas();
    canvas->Brush()->SetColor(0x0000FF);
    canvas->FillRect(RECT{2, 2, 4, 4});
    GdiFlush();
    EXPECT_EQ(png->ReadPixel(3, 3), 0x0000FFu);
    classlib::TStringStream saved;
    png->SaveToStream(saved);
    EXPECT_EQ(Loaded(saved.DataString())->ReadPixel(2, 2), 0x0000FFu);
}

TEST_F(PngObjectTest, CopiesAreIndependent)
{
    auto png = Loaded(RandomPng(4, 4, 6, 8, 14).bytes);
    TPNGObject copy;
    copy.Assign(png.get());
    png->WritePixel(0, 0, 0x010203);
    EXPECT_NE(copy.ReadPixel(0, 0), 0x010203u);
    copy.SetWidth(8);
    EXPECT_EQ(copy.Width(), 8);
    EXPECT_EQ(png->Width(), 4);
}

} // namespace
