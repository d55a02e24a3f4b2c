// Canvas, GDI objects and bitmaps, checked pixel by pixel in DIBs.
#include "windows/Graphics.h"
#include "windows/ImageLists.h"
#include "windows/Images.h"

#include "core/ComponentStream.h"
#include "core/Streams.h"

#include "GuiTest.h"

#include <algorithm>
#include <functional>
#include <climits>
#include <cstring>
#include <string>
#include <thread>

using namespace classlib;
using testsupport::Dib;

namespace {

const std::string kData = BRENVIK_TEST_DATA; // the fixtures folder, as a Windows path

// The pattern of the ImageMagick fixtures: 6 x 4 pixels, as 0xRRGGBB.
uint32_t PatternPixel(int x, int y)
{
    return uint32_t(40 * x) << 16 | uint32_t(60 * y) << 8 | uint32_t(200 - 30 * x);
}

// 0x00BBGGRR colour value to 0xRRGGBB.
uint32_t Rgb(TColor color)
{
    return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

// The pixel as 0xRRGGBB: from the scan line in the 24 and 32-bit formats, else through GDI.
uint32_t BitmapPixel(TBitmap& bitmap, int x, int y)
{
    if (bitmap.PixelFormat() != pf24bit && bitmap.PixelFormat() != pf32bit)
        return Rgb(GetPixel(bitmap.Canvas()->Handle(), x, y));
    const auto* row = static_cast<const uint8_t*>(bitmap.ScanLine(y));
    const int bytes = bitmap.PixelFormat() == pf32bit ? 4 : 3;
    const uint8_t* p = row + x * bytes;
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

TEST(Colors, SystemColorsResolveAndOtherValuesStay)
{
    EXPECT_EQ(clBtnFace, 0xFF00000Fu);
    EXPECT_EQ(clNone, 0x1FFFFFFFu);
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(clHighlight), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    std::string name;
    ASSERT_TRUE(ColorToIdent(clBtnFace, name));
    EXPECT_EQ(name, "clBtnFace");
    TColor color = 0;
    ASSERT_TRUE(IdentToColor("CLWINDOW", color));
    EXPECT_EQ(color, clWindow);
    EXPECT_FALSE(IdentToColor("clNoSuchColour", color));
    EXPECT_FALSE(ColorToIdent(0x123456, name));
}

class CanvasTest : public ::testing::Test {
protected:
    Dib dib{60, 40};
    TCanvas canvas;
    void SetUp() override { canvas.SetHandle(dib.dc()); }
    void TearDown() override { canvas.SetHandle(nullptr); }
};

TEST_F(CanvasTest, FillsFramesAndShapesPaintTheExpectedPixels)
{
    canvas.Brush()->SetColor(clRed);
    canvas.FillRect({2, 2, 12, 12});
    canvas.Brush()->SetColor(clBlue);
    canvas.FrameRect({20, 2, 30, 12});
    canvas.Pen()->SetColor(clLime);
    canvas.Brush()->SetColor(clYellow);
    canvas.Rectangle(35, 2, 45, 12);
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect({2, 20, 12, 30});

    EXPECT_EQ(dib.Pixel(2, 2), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(11, 11), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(12, 12), 0xFFFFFFu); // right and bottom edges are exclusive
    EXPECT_EQ(dib.Pixel(20, 2), 0x0000FFu);
    EXPECT_EQ(dib.Pixel(29, 11), 0x0000FFu);
    EXPECT_EQ(dib.Pixel(25, 7), 0xFFFFFFu); // a frame leaves the inside alone
    EXPECT_EQ(dib.Pixel(35, 2), 0x00FF00u);
    EXPECT_EQ(dib.Pixel(40, 7), 0xFFFF00u);
    EXPECT_EQ(dib.Pixel(5, 25), Rgb(GetSysColor(COLOR_BTNFACE)));
}

TEST_F(CanvasTest, ClearBrushFillsNothingAndLinesUseThePen)
{
    canvas.Brush()->SetStyle(bsClear);
    canvas.Pen()->SetColor(clNavy);
    canvas.Rectangle(5, 5, 15, 15);
    canvas.MoveTo(20, 30);
    canvas.LineTo(40, 30);
    EXPECT_EQ(dib.Pixel(5, 10), 0x000080u);
    EXPECT_EQ(dib.Pixel(10, 10), 0xFFFFFFu);
    EXPECT_EQ(dib.Pixel(20, 30), 0x000080u);
    EXPECT_EQ(dib.Pixel(39, 30), 0x000080u);
    EXPECT_EQ(dib.Pixel(40, 30), 0xFFFFFFu);
    EXPECT_EQ(canvas.PenPos().X, 40);
}

TEST_F(CanvasTest, TextExtentMatchesTheSystemMeasureAndFollowsFontChanges)
{
    canvas.Font()->SetName("Tahoma");
    canvas.Font()->SetHeight(-13);
    const std::string text = "Brenvik 1.0";
    const SIZE small = canvas.TextExtent(text);

    HFONT font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma");
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE expected{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &expected);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    EXPECT_EQ(small.cx, expected.cx);
    EXPECT_EQ(small.cy, expected.cy);

    // A font selected into the context is replaced when it changes.
    canvas.Font()->SetHeight(-26);
    const SIZE large = canvas.TextExtent(text);
    EXPECT_GT(large.cx, small.cx);
    EXPECT_GT(large.cy, small.cy);
    canvas.Font()->SetStyle({fsBold});
    EXPECT_GE(canvas.TextWidth(text), large.cx);
}

TEST_F(CanvasTest, TextRectPaintsInsideTheRectangleOnly)
{
    canvas.Font()->SetName("Tahoma");
    canvas.Font()->SetHeight(-20);
    canvas.Font()->SetColor(clBlack);
    canvas.Brush()->SetColor(clAqua);
    const RECT clip{10, 10, 30, 30};
    canvas.TextRect(clip, 5, 5, "WWWWWW");
    // The background inside the rectangle is the brush, ink appears inside it, nothing
    // outside it changes.
    int ink = 0;
    for (int y = 0; y < dib.height(); ++y) {
        for (int x = 0; x < dib.width(); ++x) {
            const uint32_t p = dib.Pixel(x, y);
            const bool inside =
                x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
            if (!inside)
                ASSERT_EQ(p, 0xFFFFFFu) << x << "," << y;
            else if (p != 0x00FFFFu)
                ++ink;
        }
    }
    EXPECT_GT(ink, 0);
}

// Counts the pixels of the DIB that are not white, and their bounding box.
struct InkBox {
    int count = 0;
    int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
};
InkBox FindInk(const Dib& dib, uint32_t background = 0xFFFFFF)
{
    InkBox box;
    for (int y = 0; y < dib.height(); ++y) {
        for (int x = 0; x < dib.width(); ++x) {
            if (dib.Pixel(x, y) == background)
                continue;
            ++box.count;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    }
    return box;
}

// The text extent of `text` in a Tahoma font of `height` pixels, measured by GDI alone.
SIZE SystemTextExtent(const std::string& text, int height)
{
    HFONT font =
        CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma");
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return size;
}

// clNone is "not set, not painted": a brush of it fills nothing, a pen of it draws nothing,
// text on it keeps the background.
TEST_F(CanvasTest, ClNoneBrushAndPenPaintNothing)
{
    canvas.Brush()->SetColor(clNone);
    canvas.FillRect({0, 0, 20, 20});
    EXPECT_EQ(FindInk(dib).count, 0);

    canvas.Pen()->SetColor(clNone);
    canvas.Brush()->SetColor(clRed);
    canvas.Rectangle(10, 10, 20, 20);
    EXPECT_EQ(dib.Pixel(10, 15), 0xFF0000u); // the border is the fill: no pen
    EXPECT_EQ(dib.Pixel(15, 10), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(15, 15), 0xFF0000u);

    canvas.Pen()->SetColor(clBlue);
    canvas.Brush()->SetColor(clNone);
    canvas.Rectangle(30, 5, 40, 15);
    EXPECT_EQ(dib.Pixel(30, 10), 0x0000FFu);
    EXPECT_EQ(dib.Pixel(35, 10), 0xFFFFFFu); // no fill inside

    Dib text(60, 20, 0x00FF00);
    TCanvas textCanvas;
    textCanvas.SetHandle(text.dc());
    textCanvas.Font()->SetColor(clBlack);
    textCanvas.Brush()->SetColor(clNone);
    textCanvas.TextOut(2, 2, "WWW");
    textCanvas.SetHandle(nullptr);
    for (int y = 0; y < text.height(); ++y)
        for (int x = 0; x < text.width(); ++x)
            ASSERT_NE(text.Pixel(x, y), 0xFFFFFFu) << x << "," << y; // no opaque background
    EXPECT_GT(FindInk(text, 0x00FF00).count, 0);
}

TEST_F(CanvasTest, DrawTextMeasuresWithCalcRectAndAlignsByFlags)
{
    canvas.Font()->SetName("Tahoma");
    canvas.Font()->SetHeight(-16);
    canvas.Font()->SetColor(clBlack);
    canvas.Brush()->SetStyle(bsClear);
    const std::string text = "Brenvik";
    const SIZE expected = SystemTextExtent(text, -16);

    RECT measured{5, 5, 6, 6};
    const int height = canvas.DrawText(text, measured, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(measured.left, 5);
    EXPECT_EQ(measured.right - measured.left, expected.cx);
    EXPECT_EQ(measured.bottom - measured.top, expected.cy);
    EXPECT_EQ(height, expected.cy);
    EXPECT_EQ(FindInk(dib).count, 0); // measuring draws nothing

    // Right-aligned and vertically centred in the whole DIB.
    RECT all{0, 0, dib.width(), dib.height()};
    canvas.DrawText(text, all, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    const InkBox ink = FindInk(dib);
    ASSERT_GT(ink.count, 0);
    EXPECT_GE(ink.left, dib.width() - expected.cx);
    EXPECT_LE(ink.right, dib.width());
    EXPECT_GE(ink.top, (dib.height() - expected.cy) / 2);
    EXPECT_LE(ink.bottom, (dib.height() + expected.cy) / 2 + 1);
}

TEST_F(CanvasTest, TextRectWithAFormatMeasuresDrawsAndShortensText)
{
    canvas.Font()->SetName("Tahoma");
    canvas.Font()->SetHeight(-13);
    canvas.Brush()->SetStyle(bsClear);
    std::string text = "Two words";
    const SIZE expected = SystemTextExtent(text, -13);
    RECT rect{0, 0, 1000, 100};
    canvas.TextRect(rect, text, {tfCalcRect, tfSingleLine});
    EXPECT_EQ(rect.right, expected.cx);
    EXPECT_EQ(rect.bottom, expected.cy);
    EXPECT_EQ(FindInk(dib).count, 0);

    // Word breaks put the second word on a line of its own.
    RECT narrow{0, 0, SystemTextExtent("Two", -13).cx + 2, 100};
    canvas.TextRect(narrow, text, {tfCalcRect, tfWordBreak});
    EXPECT_EQ(narrow.bottom, 2 * expected.cy);

    // An end ellipsis that also shortens the string.
    std::string longText = "A rather long caption for a small box";
    RECT box{0, 0, 60, 20};
    canvas.TextRect(box, longText, {tfEndEllipsis, tfModifyString, tfSingleLine});
    ASSERT_GE(longText.size(), 3u);
    EXPECT_EQ(longText.substr(longText.size() - 3), "...");
    EXPECT_LT(longText.size(), std::string("A rather long caption for a small box").size());
    const InkBox ink = FindInk(dib);
    EXPECT_GT(ink.count, 0);
    EXPECT_LE(ink.right, 60);
}

// Code that calls GDI on Canvas.Handle draws with the canvas's font, colour and brush.
TEST_F(CanvasTest, HandleHasTheCanvasObjectsSelected)
{
    canvas.Font()->SetName("Tahoma");
    canvas.Font()->SetHeight(-20);
    canvas.Font()->SetColor(clRed);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Pen()->SetColor(clBlue);
    HDC dc = canvas.Handle();
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas.Font()->Handle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), canvas.Pen()->Handle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), canvas.Brush()->Handle());
    // Setting the same context again keeps them.
    canvas.SetHandle(dc);
    EXPECT_EQ(GetCurrentObject(canvas.Handle(), OBJ_FONT), canvas.Font()->Handle());

    RECT rect{0, 0, dib.width(), dib.height()};
    DrawTextA(canvas.Handle(), "WW", 2, &rect, DT_SINGLELINE | DT_NOPREFIX);
    const InkBox ink = FindInk(dib);
    ASSERT_GT(ink.count, 0);
    int red = 0;
    for (int y = ink.top; y < ink.bottom; ++y)
        for (int x = ink.left; x < ink.right; ++x)
            red += dib.Pixel(x, y) == 0xFF0000u;
    EXPECT_GT(red, 0);
    EXPECT_EQ(ink.bottom - ink.top <= SystemTextExtent("WW", -20).cy, true);
    MoveToEx(canvas.Handle(), 0, 39, nullptr);
    LineTo(canvas.Handle(), 10, 39);
    EXPECT_EQ(dib.Pixel(5, 39), 0x0000FFu);
}

TEST_F(CanvasTest, ClipRegionIsSelectedAndRestored)
{
    EXPECT_EQ(canvas.ClipRegion(), nullptr); // a fresh context is not clipped
    HRGN saved = canvas.ClipRegion();
    canvas.IntersectClip({10, 10, 20, 20});
    canvas.Brush()->SetColor(clRed);
    canvas.FillRect({0, 0, 60, 40});
    EXPECT_EQ(dib.Pixel(15, 15), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(5, 5), 0xFFFFFFu);
    EXPECT_EQ(dib.Pixel(25, 15), 0xFFFFFFu);

    // A region of its own: two squares; the caller's region stays the caller's.
    HRGN first = CreateRectRgn(30, 0, 35, 5);
    HRGN second = CreateRectRgn(40, 0, 45, 5);
    CombineRgn(first, first, second, RGN_OR);
    HRGN before = canvas.ClipRegion();
    ASSERT_NE(before, nullptr);
    canvas.SetClipRegion(first);
    DeleteObject(first);
    DeleteObject(second);
    canvas.Brush()->SetColor(clBlue);
    canvas.FillRect({0, 0, 60, 40});
    EXPECT_EQ(dib.Pixel(32, 2), 0x0000FFu);
    EXPECT_EQ(dib.Pixel(42, 2), 0x0000FFu);
    EXPECT_EQ(dib.Pixel(37, 2), 0xFFFFFFu);
    EXPECT_EQ(dib.Pixel(15, 15), 0xFF0000u);

    canvas.SetClipRegion(before); // back to the 10..20 square
    DeleteObject(before);
    canvas.Brush()->SetColor(clLime);
    canvas.FillRect({0, 0, 60, 40});
    EXPECT_EQ(dib.Pixel(15, 15), 0x00FF00u);
    EXPECT_EQ(dib.Pixel(32, 2), 0x0000FFu);

    canvas.SetClipRegion(saved); // none: everything
    canvas.FillRect({0, 0, 60, 40});
    EXPECT_EQ(dib.Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(dib.Pixel(59, 39), 0x00FF00u);
}

TEST(Font, OrientationRotatesTheText)
{
    Dib dib(80, 80);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    canvas.Font()->SetName("Tahoma");
    canvas.Font()->SetHeight(-16);
    canvas.Font()->SetColor(clBlack);
    canvas.Brush()->SetStyle(bsClear);
    const SIZE flat = SystemTextExtent("WWWWW", -16);
    canvas.Font()->SetOrientation(900); // rising at 90 degrees from the start point
    canvas.TextOut(20, 70, "WWWWW");
    canvas.SetHandle(nullptr);
    const InkBox ink = FindInk(dib);
    ASSERT_GT(ink.count, 0);
    EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left);
    EXPECT_GE(ink.bottom - ink.top, flat.cx - 4);
    EXPECT_LE(ink.bottom, 71);
    EXPECT_GE(ink.left, 20);

    LOGFONTA log{};
    GetObjectA(canvas.Font()->Handle(), sizeof log, &log);
    EXPECT_EQ(log.lfEscapement, 900);
    EXPECT_EQ(log.lfOrientation, 900);
    TFont copy;
    copy.SetHandle(CreateFontIndirectA(&log));
    EXPECT_EQ(copy.Orientation(), 900);
}

TEST_F(CanvasTest, CopyRectStretchesAnotherCanvasWithTheCopyMode)
{
    TBitmap source;
    source.SetSize(2, 2);
    source.Canvas()->SetPixel(0, 0, clRed);
    source.Canvas()->SetPixel(1, 1, clBlue);
    canvas.CopyRect({0, 0, 4, 4}, source.Canvas(), {0, 0, 2, 2});
    EXPECT_EQ(dib.Pixel(1, 1), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(3, 3), 0x0000FFu);
    EXPECT_EQ(dib.Pixel(3, 0), 0xFFFFFFu);
    // SRCAND keeps only what both have: white source pixels leave the red, blue ones make it black.
    canvas.SetCopyMode(SRCAND);
    canvas.CopyRect({0, 0, 4, 4}, source.Canvas(), {0, 0, 2, 2});
    EXPECT_EQ(dib.Pixel(1, 1), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(3, 3), 0x0000FFu);
    // The source squeezed into the lower half: its top row (red, white) lands on row 2,
    // over white and blue.
    canvas.CopyRect({0, 2, 4, 4}, source.Canvas(), {0, 0, 2, 2});
    EXPECT_EQ(dib.Pixel(1, 2), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(3, 2), 0x0000FFu);
}

TEST_F(CanvasTest, FocusRectangleIsInvertedSoDrawingItTwiceRemovesIt)
{
    const RECT focus{5, 5, 25, 15};
    canvas.DrawFocusRect(focus);
    int changed = 0;
    for (int x = focus.left; x < focus.right; ++x)
        changed += dib.Pixel(x, focus.top) != 0xFFFFFFu;
    EXPECT_GT(changed, 0);
    EXPECT_EQ(dib.Pixel(15, 10), 0xFFFFFFu);
    canvas.DrawFocusRect(focus);
    for (int x = focus.left; x < focus.right; ++x)
        ASSERT_EQ(dib.Pixel(x, focus.top), 0xFFFFFFu);
}

TEST_F(CanvasTest, LockingIsCountedAndExcludesOtherThreads)
{
    canvas.Lock();
    canvas.Lock();
    EXPECT_EQ(canvas.LockCount(), 2);
    bool otherGotIt = true;
    std::thread other([&] { otherGotIt = canvas.TryLock(); });
    other.join();
    EXPECT_FALSE(otherGotIt);
    canvas.Unlock();
    canvas.Unlock();
    EXPECT_EQ(canvas.LockCount(), 0);
    std::thread later([&] {
        otherGotIt = canvas.TryLock();
        if (otherGotIt)
            canvas.Unlock();
    });
    later.join();
    EXPECT_TRUE(otherGotIt);
}

TEST_F(CanvasTest, CanvasWithoutContextRefusesToDraw)
{
    TCanvas bare;
    EXPECT_THROW(bare.FillRect({0, 0, 1, 1}), EInvalidOperation);
}

TEST(Bitmap, PixelAccessThroughCanvasAndScanLineAgree)
{
    TBitmap bitmap;
    bitmap.SetSize(5, 4);
    EXPECT_EQ(BitmapPixel(bitmap, 0, 0), 0xFFFFFFu); // new pixels are white
    bitmap.Canvas()->SetPixel(1, 2, clRed);
    bitmap.Canvas()->Brush()->SetColor(clBlue);
    bitmap.Canvas()->FillRect({3, 0, 5, 1});
    EXPECT_EQ(BitmapPixel(bitmap, 1, 2), 0xFF0000u);
    EXPECT_EQ(BitmapPixel(bitmap, 4, 0), 0x0000FFu);
    EXPECT_EQ(bitmap.Canvas()->Pixel(1, 2), clRed);

    auto* row = static_cast<uint8_t*>(bitmap.ScanLine(3));
    row[0] = 0x10; // blue
    row[1] = 0x20; // green
    row[2] = 0x30; // red
    EXPECT_EQ(bitmap.Canvas()->Pixel(0, 3), 0x102030u);

    // Growing keeps the old pixels at the top-left corner.
    bitmap.SetSize(8, 6);
    EXPECT_EQ(BitmapPixel(bitmap, 1, 2), 0xFF0000u);
    EXPECT_EQ(BitmapPixel(bitmap, 7, 5), 0xFFFFFFu);
    EXPECT_THROW(bitmap.ScanLine(6), EInvalidGraphicOperation);
}

TEST(Bitmap, AutomaticTransparentColorIsTheBottomLeftPixel)
{
    TBitmap bitmap;
    bitmap.SetSize(4, 3);
    bitmap.Canvas()->SetPixel(0, 2, 0x123456);
    bitmap.Canvas()->SetPixel(0, 0, clRed);
    EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), 0x123456u);
    bitmap.SetTransparentColor(clLime);
    EXPECT_EQ(bitmap.TransparentMode(), tmFixed);
    EXPECT_EQ(bitmap.TransparentColor(), clLime);
    bitmap.SetTransparentMode(tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), 0x123456u);
}

// A glyph-like bitmap: fuchsia background (also the bottom-left pixel), a red square.
void MakeGlyph(TBitmap& glyph)
{
    glyph.SetSize(10, 10);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect({0, 0, 10, 10});
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect({3, 3, 7, 7});
}

TEST(Bitmap, TransparentBitmapLeavesItsTransparentColorUnpainted)
{
    TBitmap glyph;
    MakeGlyph(glyph);
    glyph.SetTransparent(true);
    Dib dib(20, 20, 0x00FF00);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    canvas.Draw(5, 5, &glyph);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(dib.Pixel(5, 5), 0x00FF00u);
    EXPECT_EQ(dib.Pixel(14, 14), 0x00FF00u);
    EXPECT_EQ(dib.Pixel(9, 9), 0xFF0000u);
}

TEST(Bitmap, OpaqueDrawAndStretchDrawCopyEveryPixel)
{
    TBitmap glyph;
    MakeGlyph(glyph);
    Dib dib(40, 40, 0x00FF00);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    canvas.Draw(0, 0, &glyph);
    canvas.StretchDraw({20, 20, 40, 40}, &glyph);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(dib.Pixel(0, 0), 0xFF00FFu);
    EXPECT_EQ(dib.Pixel(5, 5), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(21, 21), 0xFF00FFu);
    EXPECT_EQ(dib.Pixel(30, 30), 0xFF0000u); // the square doubled: 26..33
    EXPECT_EQ(dib.Pixel(39, 39), 0xFF00FFu);
}

TEST(Bitmap, BrushCopyReplacesOneColourWithTheBrush)
{
    TBitmap glyph;
    MakeGlyph(glyph);
    Dib dib(10, 10, 0x000000);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    canvas.Brush()->SetColor(clBtnFace);
    canvas.BrushCopy({0, 0, 10, 10}, &glyph, {0, 0, 10, 10}, clFuchsia);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(dib.Pixel(0, 0), Rgb(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(dib.Pixel(9, 9), Rgb(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(dib.Pixel(5, 5), 0xFF0000u);
}

// The colour table of a bitmap's DIB section as GDI reports it, as 0xRRGGBB.
std::vector<uint32_t> ColorTableOf(TBitmap& bitmap)
{
    RGBQUAD quads[256]{};
    const UINT count = GetDIBColorTable(bitmap.Canvas()->Handle(), 0, 256, quads);
    std::vector<uint32_t> table;
    for (UINT i = 0; i < count; ++i)
        table.push_back(uint32_t(quads[i].rgbRed) << 16 | uint32_t(quads[i].rgbGreen) << 8 |
                        quads[i].rgbBlue);
    return table;
}

int BitsPerPixelOf(HBITMAP bitmap)
{
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    return description.bmBitsPixel;
}

// Each pixel format lays its scan lines out as the BMP format defines: a 9 x 3 white bitmap
// with one pixel painted at (1, 1).
TEST(Bitmap, EveryPixelFormatHasItsScanLineLayout)
{
    struct Case {
        TPixelFormat format;
        int bits;
        TColor paint;
        std::function<void(const uint8_t* row, const std::vector<uint32_t>& table)> check;
    };
    auto word = [](const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); };
    const Case cases[] = {
        {pf1bit, 1, clBlack,
         [](const uint8_t* row, const std::vector<uint32_t>& table) {
             ASSERT_EQ(table, (std::vector<uint32_t>{0x000000, 0xFFFFFF}));
             EXPECT_EQ(row[0], 0xBF); // white, black, then white: 1011 1111
             EXPECT_EQ(row[1] & 0x80, 0x80);
         }},
        {pf4bit, 4, clBlack,
         [](const uint8_t* row, const std::vector<uint32_t>& table) {
             ASSERT_EQ(table.size(), 16u);
             EXPECT_EQ(table[0], 0x000000u);
             EXPECT_EQ(table[9], 0xFF0000u); // the standard 16 colours: red at 9
             EXPECT_EQ(table[15], 0xFFFFFFu);
             EXPECT_EQ(row[0], 0xF0); // white (15), black (0)
         }},
        {pf8bit, 8, clRed,
         [](const uint8_t* row, const std::vector<uint32_t>& table) {
             ASSERT_EQ(table.size(), 256u);
             EXPECT_EQ(table[row[0]], 0xFFFFFFu);
             EXPECT_EQ(table[row[1]], 0xFF0000u);
         }},
        {pf15bit, 16, clRed,
         [word](const uint8_t* row, const std::vector<uint32_t>&) {
             EXPECT_EQ(word(row), 0x7FFF);
             EXPECT_EQ(word(row + 2), 0x7C00); // 5-5-5
         }},
        {pf16bit, 16, clRed,
         [word](const uint8_t* row, const std::vector<uint32_t>&) {
             EXPECT_EQ(word(row), 0xFFFF);
             EXPECT_EQ(word(row + 2), 0xF800); // 5-6-5
         }},
        {pf24bit, 24, clRed,
         [](const uint8_t* row, const std::vector<uint32_t>&) {
             EXPECT_EQ(std::vector<uint8_t>(row, row + 6),
                       (std::vector<uint8_t>{255, 255, 255, 0, 0, 255}));
         }},
        {pf32bit, 32, clRed,
         [](const uint8_t* row, const std::vector<uint32_t>&) {
             EXPECT_EQ(std::vector<uint8_t>(row + 4, row + 7), (std::vector<uint8_t>{0, 0, 255}));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(GetEnumName(TypeInfoOf<TPixelFormat>(), c.format));
        TBitmap bitmap;
        bitmap.SetPixelFormat(c.format);
        bitmap.SetSize(9, 3);
        EXPECT_EQ(bitmap.PixelFormat(), c.format);
        EXPECT_EQ(bitmap.HandleType(), bmDIB);
        EXPECT_EQ(BitsPerPixelOf(bitmap.Handle()), c.bits);
        bitmap.Canvas()->SetPixel(1, 1, c.paint);
        c.check(static_cast<const uint8_t*>(bitmap.ScanLine(1)), ColorTableOf(bitmap));
        EXPECT_EQ(bitmap.Monochrome(), c.format == pf1bit);
    }
}

TEST(Bitmap, ChangingThePixelFormatKeepsTheColoursItCanHold)
{
    TBitmap bitmap;
    bitmap.SetSize(4, 2);
    bitmap.Canvas()->SetPixel(0, 0, clRed);
    bitmap.Canvas()->SetPixel(1, 0, clBlack);
    for (TPixelFormat format : {pf32bit, pf16bit, pf15bit, pf8bit, pf4bit, pf24bit}) {
        bitmap.SetPixelFormat(format);
        EXPECT_EQ(BitmapPixel(bitmap, 0, 0), 0xFF0000u) << format;
        EXPECT_EQ(BitmapPixel(bitmap, 1, 0), 0x000000u) << format;
        EXPECT_EQ(BitmapPixel(bitmap, 3, 1), 0xFFFFFFu) << format;
    }
    bitmap.SetMonochrome(true);
    EXPECT_EQ(bitmap.PixelFormat(), pf1bit);
    EXPECT_EQ(BitmapPixel(bitmap, 1, 0), 0x000000u);
    EXPECT_EQ(BitmapPixel(bitmap, 3, 1), 0xFFFFFFu);
    bitmap.SetMonochrome(false);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    EXPECT_THROW(bitmap.SetPixelFormat(pfCustom), EInvalidGraphic);
}

TEST(Bitmap, PaletteIsTheColourTableAndSettingOneRecolours)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf4bit);
    bitmap.SetSize(3, 1);
    bitmap.Canvas()->SetPixel(1, 0, clRed);
    HPALETTE palette = bitmap.Palette();
    ASSERT_NE(palette, nullptr);
    PALETTEENTRY entries[16]{};
    ASSERT_EQ(GetPaletteEntries(palette, 0, 16, entries), 16u);
    EXPECT_EQ(RGB(entries[9].peRed, entries[9].peGreen, entries[9].peBlue), RGB(255, 0, 0));

    // Index 9 (red) becomes blue: the painted pixel turns blue, the others stay white.
    entries[9] = {0, 0, 255, 0};
    std::vector<uint8_t> memory(sizeof(LOGPALETTE) + 16 * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(memory.data());
    log->palVersion = 0x300;
    log->palNumEntries = 16;
    memcpy(log->palPalEntry, entries, sizeof entries);
    HPALETTE blue = CreatePalette(log);
    bitmap.SetPalette(blue);
    DeleteObject(blue);
    EXPECT_EQ(BitmapPixel(bitmap, 1, 0), 0x0000FFu);
    EXPECT_EQ(BitmapPixel(bitmap, 0, 0), 0xFFFFFFu);

    TBitmap direct;
    direct.SetSize(2, 2);
    EXPECT_EQ(direct.Palette(), nullptr);
}

TEST(Bitmap, DeviceBitmapKeepsItsPixelsAndScanLineMakesItADib)
{
    TBitmap bitmap;
    bitmap.SetSize(5, 5);
    bitmap.Canvas()->SetPixel(2, 3, clBlue);
    bitmap.SetHandleType(bmDDB);
    EXPECT_EQ(bitmap.HandleType(), bmDDB);
    EXPECT_EQ(bitmap.PixelFormat(), pfDevice);
    DIBSECTION section{};
    // A device-dependent bitmap has no DIB section: GetObject fills only the BITMAP part.
    EXPECT_EQ(GetObjectA(bitmap.Handle(), sizeof section, &section), int(sizeof(BITMAP)));
    EXPECT_EQ(bitmap.Canvas()->Pixel(2, 3), clBlue);
    bitmap.SetMonochrome(true);
    EXPECT_TRUE(bitmap.Monochrome());
    EXPECT_EQ(BitsPerPixelOf(bitmap.Handle()), 1);
    bitmap.SetMonochrome(false);

    bitmap.SetSize(6, 6);
    bitmap.Canvas()->SetPixel(2, 3, clBlue);
    bitmap.ScanLine(0);
    EXPECT_EQ(bitmap.HandleType(), bmDIB);
    EXPECT_EQ(GetObjectA(bitmap.Handle(), sizeof section, &section), int(sizeof section));
    EXPECT_EQ(BitmapPixel(bitmap, 2, 3), 0x0000FFu);
    EXPECT_EQ(BitmapPixel(bitmap, 5, 5), 0xFFFFFFu);
}

TEST(Bitmap, ClipboardFormatIsACopyOfTheBitmap)
{
    TBitmap bitmap;
    bitmap.SetSize(4, 4);
    bitmap.Canvas()->SetPixel(1, 2, clRed);
    UINT format = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    bitmap.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, UINT(CF_BITMAP));
    ASSERT_NE(data, nullptr);
    EXPECT_NE(data, bitmap.Handle());

    TBitmap loaded;
    loaded.LoadFromClipboardFormat(format, data, palette);
    EXPECT_EQ(loaded.Width(), 4);
    EXPECT_EQ(BitmapPixel(loaded, 1, 2), 0xFF0000u);
    EXPECT_EQ(BitmapPixel(loaded, 2, 1), 0xFFFFFFu);
    DeleteObject(data); // the loaded bitmap made its own copy
    EXPECT_EQ(BitmapPixel(loaded, 1, 2), 0xFF0000u);

    EXPECT_THROW(loaded.LoadFromClipboardFormat(CF_TEXT, nullptr, nullptr), EInvalidGraphic);
    TIcon icon;
    EXPECT_THROW(icon.SaveToClipboardFormat(format, data, palette), EInvalidGraphic);
    EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_BITMAP));
    EXPECT_FALSE(TPicture::SupportsClipboardFormat(CF_TEXT));
}

struct ChangeCount {
    int changes = 0;
    void Changed(TObject*) { ++changes; }
};

TEST(Graphic, SizeAndModifiedGoThroughTheGraphicInterface)
{
    TBitmap bitmap;
    ChangeCount count;
    bitmap.OnChange = TNotifyEvent(&count, &ChangeCount::Changed);
    TGraphic* graphic = &bitmap;
    graphic->SetSize(7, 5);
    EXPECT_EQ(bitmap.Width(), 7);
    EXPECT_EQ(bitmap.Height(), 5);
    EXPECT_TRUE(graphic->Modified());
    const int changes = count.changes;
    EXPECT_GE(changes, 1);
    graphic->SetModified(false);
    EXPECT_FALSE(graphic->Modified());
    EXPECT_EQ(count.changes, changes); // clearing is silent
    graphic->SetModified(true);
    EXPECT_EQ(count.changes, changes + 1);
    graphic->SetTransparent(true);
    EXPECT_TRUE(graphic->Transparent());
    EXPECT_EQ(count.changes, changes + 2);
}

TEST(Bitmap, ReadsBmpFilesWrittenByImageMagick)
{
    for (const char* name : {"pattern24.bmp", "pattern8.bmp", "pattern8rle.bmp"}) {
        SCOPED_TRACE(name);
        TBitmap bitmap;
        bitmap.LoadFromFile(kData + name);
        ASSERT_EQ(bitmap.Width(), 6);
        ASSERT_EQ(bitmap.Height(), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
                ASSERT_EQ(BitmapPixel(bitmap, x, y), PatternPixel(x, y)) << x << "," << y;
        EXPECT_EQ(bitmap.TransparentColor(), TColor(0xC8B400)); // pixel (0, 3): 0, 180, 200
    }
}

// Bitmap resources keep the pixel format of the file they were made from (an 8-bit one with
// its colour table, also run-length encoded) and read the same pixels as the file.
TEST(Bitmap, LoadsFromAResourceInItsOwnPixelFormat)
{
    const struct {
        const char* name;
        TPixelFormat format;
    } cases[] = {{"PATTERN24", pf24bit}, {"PATTERN8", pf8bit}, {"PATTERN8RLE", pf8bit}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bitmap;
        bitmap.LoadFromResourceName(nullptr, c.name);
        ASSERT_EQ(bitmap.Width(), 6);
        ASSERT_EQ(bitmap.Height(), 4);
        EXPECT_EQ(bitmap.PixelFormat(), c.format);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
                ASSERT_EQ(BitmapPixel(bitmap, x, y), PatternPixel(x, y)) << x << "," << y;
    }
    TBitmap bitmap;
    EXPECT_THROW(bitmap.LoadFromResourceName(nullptr, "NO_SUCH_BITMAP"), EResNotFound);
    EXPECT_THROW(bitmap.LoadFromResourceID(nullptr, 4711), EResNotFound);
}

TEST(Bitmap, SavedBmpLoadsBackWithTheSameBytes)
{
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        SCOPED_TRACE(format);
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(7, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                bitmap.Canvas()->SetPixel(x, y, TColor(x * 30 | y * 80 << 8 | (x + y) * 20 << 16));
        TMemoryStream first;
        bitmap.SaveToStream(first);
        first.SetPosition(0);
        TBitmap loaded;
        loaded.LoadFromStream(first);
        EXPECT_EQ(loaded.PixelFormat(), format);
        TMemoryStream second;
        loaded.SaveToStream(second);
        ASSERT_EQ(first.Size(), second.Size());
        EXPECT_EQ(0, memcmp(first.Memory(), second.Memory(), static_cast<size_t>(first.Size())));
        EXPECT_EQ(BitmapPixel(loaded, 6, 2), BitmapPixel(bitmap, 6, 2));
    }
}

// Damaged files are refused with EInvalidGraphic, never read past their end.
TEST(Bitmap, RefusesDamagedFiles)
{
    TMemoryStream source;
    source.LoadFromFile(kData + "pattern24.bmp");
    const auto* bytes = static_cast<const uint8_t*>(source.Memory());
    const std::string good(reinterpret_cast<const char*>(bytes),
                           static_cast<size_t>(source.Size()));

    auto withPatch = [&](size_t offset, std::string patch) {
        std::string s = good;
        s.replace(offset, patch.size(), patch);
        return s;
    };
    const std::string cases[] = {
        good.substr(0, 20),                                // header cut off
        good.substr(0, good.size() - 5),                   // pixels cut off
        withPatch(0, "XX"),                                // no signature
        withPatch(18, std::string("\xFF\xFF\xFF\x7F", 4)), // absurd width
        withPatch(28, std::string("\x07\x00", 2)),         // 7 bits per pixel
        withPatch(10, std::string("\xFF\xFF\x00\x00", 4)), // pixels beyond the end
        withPatch(30, std::string("\x09\x00\x00\x00", 4)), // unknown compression
    };
    for (const auto& data : cases) {
        TMemoryStream stream;
        stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
        stream.SetPosition(0);
        TBitmap bitmap;
        EXPECT_THROW(bitmap.LoadFromStream(stream), EInvalidGraphic);
    }
}

TEST(Icon, LoadsTheProgramIconFileAndSavesItUnchanged)
{
    TIcon icon;
    icon.LoadFromFile(std::string(BRENVIK_RESOURCES) + "Brenvik.ico");
    EXPECT_FALSE(icon.Empty());
    EXPECT_GT(icon.Width(), 0);
    EXPECT_EQ(icon.Width(), icon.Height());
    TMemoryStream saved;
    icon.SaveToStream(saved);
    TMemoryStream original;
    original.LoadFromFile(std::string(BRENVIK_RESOURCES) + "Brenvik.ico");
    ASSERT_EQ(saved.Size(), original.Size());
    EXPECT_EQ(0, memcmp(saved.Memory(), original.Memory(), static_cast<size_t>(saved.Size())));

    Dib dib(64, 64, 0x00FF00);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    canvas.Draw(0, 0, &icon);
    canvas.SetHandle(nullptr);
    int changed = 0;
    for (int y = 0; y < icon.Height(); ++y)
        for (int x = 0; x < icon.Width(); ++x)
            changed += dib.Pixel(x, y) != 0x00FF00u;
    EXPECT_GT(changed, 0);
}

// A graphic of the test's own, for the format registry.
class TTestGraphic : public TBitmap {
    CLASSLIB_CLASS(TTestGraphic, TBitmap)
};
CLASSLIB_PUBLISH(TTestGraphic) {}

TEST(Picture, ChoosesTheGraphicClassByExtension)
{
    TPicture picture;
    picture.LoadFromFile(kData + "pattern24.bmp");
    ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 6);
    EXPECT_THROW(picture.LoadFromFile(kData + "pattern24.xyz"), EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 6); // a failed load keeps the picture

    RegisterFileFormat("XYZ", "Test pictures", TTestGraphic::StaticClass());
    ASSERT_NE(FindFileFormat(".xyz"), nullptr);
    EXPECT_EQ(FindFileFormat("xyz")->graphicClass, &TTestGraphic::StaticClass());
    EXPECT_NE(GraphicFilter().find("Test pictures (*.xyz)|*.xyz"), std::string::npos);
    UnregisterGraphicClass(TTestGraphic::StaticClass());
    EXPECT_EQ(FindFileFormat("xyz"), nullptr);
}

TEST(Picture, AssignCopiesTheGraphicAndBitmapReplacesOthers)
{
    TPicture source;
    source.LoadFromFile(kData + "pattern24.bmp");
    TPicture copy;
    copy.Assign(&source);
    ASSERT_NE(copy.Graphic(), nullptr);
    EXPECT_NE(copy.Graphic(), source.Graphic());
    EXPECT_EQ(BitmapPixel(*copy.Bitmap(), 2, 1), PatternPixel(2, 1));

    TPicture icon;
    icon.Icon()->LoadFromFile(std::string(BRENVIK_RESOURCES) + "Brenvik.ico");
    EXPECT_FALSE(icon.Graphic()->Empty());
    TBitmap* bitmap = icon.Bitmap();
    EXPECT_TRUE(bitmap->Empty());
    copy.Assign(nullptr);
    EXPECT_EQ(copy.Graphic(), nullptr);
}

} // namespace

namespace {

// A component with a picture property, as a control with an image would have.
class TPictureHolder : public TComponent {
    CLASSLIB_CLASS(TPictureHolder, TComponent)
    explicit TPictureHolder(TComponent* owner) : TComponent(owner), picture_(new TPicture) {}
    ~TPictureHolder() override { delete picture_; }
    TPicture* Picture() const { return picture_; }
    void SetPicture(TPicture* picture) { picture_->Assign(picture); }

private:
    TPicture* picture_;
};

} // namespace

CLASSLIB_PUBLISH(TPictureHolder)
{
    c.Property("Picture", &TPictureHolder::Picture, &TPictureHolder::SetPicture);
}

namespace {

TEST(Picture, TravelsThroughTheComponentStreamAsClassNameAndLengthPrefixedBmp)
{
    TPictureHolder source(nullptr);
    source.SetName("Holder");
    source.Picture()->LoadFromFile(kData + "pattern24.bmp");
    TMemoryStream stream;
    WriteComponentToStream(stream, &source);

    const auto* bytes = static_cast<const char*>(stream.Memory());
    const std::string written(bytes, static_cast<size_t>(stream.Size()));
    const size_t name = written.find("\x07TBitmap");
    ASSERT_NE(name, std::string::npos);
    ASSERT_LT(name + 14, written.size());
    uint32_t length = 0;
    memcpy(&length, written.data() + name + 8, 4);
    EXPECT_EQ(length, 54u + 4 * 20); // headers and four rows of 6 x 3 bytes padded to 20
    EXPECT_EQ(written.substr(name + 12, 2), "BM");
    TBitmap* bitmap = source.Picture()->Bitmap();

    stream.SetPosition(0);
    TPictureHolder copy(nullptr);
    ReadComponentFromStream(stream, &copy);
    TBitmap* loaded = dynamic_cast<TBitmap*>(copy.Picture()->Graphic());
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->Width(), 6);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(BitmapPixel(*loaded, x, y), BitmapPixel(*bitmap, x, y));
}

} // namespace

// ---- Graphics in form layouts ------------------------------------------------------------------

namespace {

// The root of the test layout: an image list and two picture holders.
class TPictureRoot : public TComponent {
    CLASSLIB_CLASS(TPictureRoot, TComponent)
    explicit TPictureRoot(TComponent* owner) : TComponent(owner) {}
    ~TPictureRoot() override { DestroyComponents(); }
};

} // namespace

CLASSLIB_PUBLISH(TPictureRoot) {}

namespace {

// Reads the layout "layouts/Pictures.form", compiled by the form compiler into the resource
// TPICTUREROOT. Its data were made by outside tools: the image list stream by comctl32's
// ImageList_Write (two 24 x 24 discs: grey 0xC0C0C0 and green 0x2EB84A on a masked
// background), the bitmap is ImageMagick's pattern24.bmp, the icon ImageMagick's square16.ico
// (red with a blue square from 4 to 11).
void ReadPicturesLayout(TPictureRoot& root)
{
    RegisterClasses({&TPictureHolder::StaticClass(), &TImageList::StaticClass()});
    HRSRC info = FindResourceA(nullptr, "TPICTUREROOT", MAKEINTRESOURCEA(10));
    ASSERT_NE(info, nullptr);
    const void* bytes = LockResource(LoadResource(nullptr, info));
    TMemoryStream stream;
    stream.WriteBuffer(bytes, SizeofResource(nullptr, info));
    stream.SetPosition(0);
    ReadComponentFromStream(stream, &root);
}

TEST(Layout, ImageListAndPicturesOfEveryFormatComeFromTheLayout)
{
    TPictureRoot root(nullptr);
    ReadPicturesLayout(root);
    if (HasFatalFailure())
        return;

    auto* images = dynamic_cast<TImageList*>(root.FindComponent("Images"));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->Count(), 2);
    EXPECT_EQ(images->Width(), 24);
    EXPECT_EQ(images->Height(), 24);
    Dib dib(48, 24, 0x0000FF);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    images->Draw(&canvas, 0, 0, 0);
    images->Draw(&canvas, 24, 0, 1);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(dib.Pixel(12, 12), 0xC0C0C0u);
    EXPECT_EQ(dib.Pixel(36, 12), 0x2EB84Au);
    EXPECT_EQ(dib.Pixel(0, 0), 0x0000FFu); // masked corners
    EXPECT_EQ(dib.Pixel(47, 23), 0x0000FFu);

    auto* bitmapHolder = dynamic_cast<TPictureHolder*>(root.FindComponent("BitmapHolder"));
    ASSERT_NE(bitmapHolder, nullptr);
    auto* bitmap = dynamic_cast<TBitmap*>(bitmapHolder->Picture()->Graphic());
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Width(), 6);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(BitmapPixel(*bitmap, x, y), PatternPixel(x, y)) << x << "," << y;

    auto* iconHolder = dynamic_cast<TPictureHolder*>(root.FindComponent("IconHolder"));
    ASSERT_NE(iconHolder, nullptr);
    auto* icon = dynamic_cast<TIcon*>(iconHolder->Picture()->Graphic());
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->Width(), 16);
    Dib iconDib(16, 16, 0x00FF00);
    canvas.SetHandle(iconDib.dc());
    canvas.Draw(0, 0, icon);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(iconDib.Pixel(1, 1), 0xFF0000u);
    EXPECT_EQ(iconDib.Pixel(8, 8), 0x0000FFu);
}

// Written back, each graphic reads in again the same: the image list through the system's
// stream, the icon as its file, the bitmap as its length-prefixed file.
TEST(Layout, GraphicsWrittenToAStreamReadBackTheSame)
{
    TPictureRoot root(nullptr);
    ReadPicturesLayout(root);
    if (HasFatalFailure())
        return;
    for (const char* name : {"Images", "BitmapHolder", "IconHolder"}) {
        SCOPED_TRACE(name);
        TComponent* original = root.FindComponent(name);
        ASSERT_NE(original, nullptr);
        TMemoryStream stream;
        WriteComponentToStream(stream, original);
        stream.SetPosition(0);
        if (auto* list = dynamic_cast<TImageList*>(original)) {
            TImageList read(nullptr);
            ReadComponentFromStream(stream, &read);
            EXPECT_EQ(read.Count(), list->Count());
            EXPECT_EQ(read.Width(), 24);
            TBitmap image;
            read.GetBitmap(1, &image);
            EXPECT_EQ(BitmapPixel(image, 12, 12), 0x2EB84Au);
        } else {
            auto* holder = static_cast<TPictureHolder*>(original);
            TPictureHolder read(nullptr);
            ReadComponentFromStream(stream, &read);
            ASSERT_NE(read.Picture()->Graphic(), nullptr);
            EXPECT_EQ(read.Picture()->Graphic()->ClassName(),
                      holder->Picture()->Graphic()->ClassName());
            TMemoryStream before, after;
            holder->Picture()->Graphic()->SaveToStream(before);
            read.Picture()->Graphic()->SaveToStream(after);
            ASSERT_EQ(before.Size(), after.Size());
            EXPECT_EQ(0,
                      memcmp(before.Memory(), after.Memory(), static_cast<size_t>(before.Size())));
        }
    }
}

} // namespace
