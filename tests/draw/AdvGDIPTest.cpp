// The GDI+ wrappers under Wine's real gdiplus.dll: colour helpers, the status rule, pixels drawn
// into a 32-bit DIB section (sampled away from anti-aliased edges), images read from files that
// ImageMagick wrote, and the start-up after a shut-down.
#include "draw/AdvGDIP.h"

#include "DrawTestSupport.h"
#include "GuiTest.h"

#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <memory>

using namespace draw;
using testsupport::Dib;

namespace {

constexpr int Anti = 4; // GDI+ smoothing mode anti-alias

TEST(AdvGDIPHelpers, ColoursAndRecords)
{
    struct Case {
        classlib::TColor color;
        ARGB expected;
    };
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const Case cases[] = {
        {0x00123456, 0xFF563412},
        {classlib::clRed, 0xFFFF0000},
        {classlib::clBlue, 0xFF0000FF},
        {classlib::clBtnFace,
         0xFF000000u | (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColorToGPColor(c.color), c.expected) << std::hex << c.color;

    const ARGB argb = BuildARGB(0x11, 0x22, 0x33, 0x44);
    EXPECT_EQ(argb, 0x11223344u);
    EXPECT_EQ(AlphaOf(argb), 0x11);
    EXPECT_EQ(RedOf(argb), 0x22);
    EXPECT_EQ(GreenOf(argb), 0x33);
    EXPECT_EQ(BlueOf(argb), 0x44);

    TGPPoint p;
    BuildPoint(-3, 7, p);
    EXPECT_EQ(p.X, -3);
    EXPECT_EQ(p.Y, 7);
    const TGPRectF r = BuildRectF(1.5f, 2, 3, 4.25f);
    EXPECT_EQ(r.X, 1.5f);
    EXPECT_EQ(r.Y, 2.0f);
    EXPECT_EQ(r.Width, 3.0f);
    EXPECT_EQ(r.Height, 4.25f);
}

TEST(AdvGDIPStatus, AFailureStaysRecordedAfterALaterSuccess)
{
    Dib dib(20, 20);
    auto g = TGPGraphics::CreateFromHDC(dib.dc());
    ASSERT_EQ(g->LastStatus(), gpOk);
    auto brush = TGPSolidBrush::CreateSolidFill(0xFF000000);
    EXPECT_EQ(g->DrawPath(nullptr, nullptr), gpInvalidParameter);
    EXPECT_EQ(g->FillRectWithBrush(brush.get(), 0, 0, 5, 5), gpOk);
    EXPECT_EQ(g->LastStatus(), gpInvalidParameter);
}

TEST(AdvGDIPStatus, AFailedCreationKeepsItsStatusAndNoNativeObject)
{
    const int live = LiveNativeObjectCount();
    auto family = TGPFontFamily::CreateFontFamilyFromName(L"No Such Family Anywhere");
    EXPECT_EQ(family->LastStatus(), 14); // FontFamilyNotFound
    EXPECT_EQ(family->NativeObject(), nullptr);
    EXPECT_EQ(LiveNativeObjectCount(), live);

    // A wrapper without a native object still answers: GDI+ says InvalidParameter.
    auto font = TGPFont::CreateFromFamily(family.get(), 10, 0, 3);
    EXPECT_EQ(font->LastStatus(), gpInvalidParameter);
    EXPECT_EQ(font->NativeObject(), nullptr);
    auto path = TGPGraphicsPath::CreatePath(0);
    auto region = TGPRegion::CreateRegionPath(path.get());
    EXPECT_EQ(region->CombineRegionRegion(nullptr), gpInvalidParameter);
    EXPECT_EQ(region->LastStatus(), gpInvalidParameter);
}

TEST(AdvGDIPDrawing, FillsStrokesAndPathsLandOnTheirPixels)
{
    Dib dib(60, 40, 0xFFFFFF);
    auto g = TGPGraphics::CreateFromHDC(dib.dc());
    auto red = TGPSolidBrush::CreateSolidFill(0xFFFF0000);
    EXPECT_EQ(g->FillRectRecord(red.get(), BuildRectF(0, 0, 10, 10)), gpOk);
    // Without smoothing a 1-pixel pen on whole coordinates covers whole pixels.
    auto bluePen = TGPPen::CreatePen1(0xFF0000FF, 1);
    EXPECT_EQ(g->StrokeRectangle(bluePen.get(), 20, 0, 10, 10), gpOk);
    auto path = TGPGraphicsPath::CreatePath(0);
    EXPECT_EQ(path->AddPathLine(40, 5, 55, 5), gpOk);
    EXPECT_EQ(path->ClosePathFigure(), gpOk);
    auto greenPen = TGPPen::CreatePen1(0xFF00FF00, 1);
    EXPECT_EQ(g->DrawPath(greenPen.get(), path.get()), gpOk);
    g.reset();

    EXPECT_EQ(dib.Pixel(5, 5), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(10, 5), 0xFFFFFFu); // the fill ends at x 10
    EXPECT_EQ(dib.Pixel(20, 5), 0x0000FFu); // left side of the stroked rectangle
    EXPECT_EQ(dib.Pixel(25, 0), 0x0000FFu); // top side
    EXPECT_EQ(dib.Pixel(25, 5), 0xFFFFFFu); // inside stays empty
    EXPECT_EQ(dib.Pixel(48, 5), 0x00FF00u);
    EXPECT_EQ(dib.Pixel(48, 7), 0xFFFFFFu);
}

TEST(AdvGDIPDrawing, DottedPenLeavesGaps)
{
    Dib dib(60, 10, 0xFFFFFF);
    auto g = TGPGraphics::CreateFromHDC(dib.dc());
    auto pen = TGPPen::CreatePen1(0xFF000000, 1);
    EXPECT_EQ(pen->SetPenDashStyle(2), gpOk);
    auto path = TGPGraphicsPath::CreatePath(0);
    path->AddPathLine(0, 4, 60, 4);
    EXPECT_EQ(g->DrawPath(pen.get(), path.get()), gpOk);
    g.reset();
    int black = 0;
    for (int x = 0; x < 60; ++x)
        black += dib.Pixel(x, 4) == 0 ? 1 : 0;
    EXPECT_GT(black, 10);
    EXPECT_LT(black, 50);
}

TEST(AdvGDIPDrawing, LinearGradientRunsFromTheFirstColourToTheSecond)
{
    struct Case {
        int mode;
        int firstX, firstY, lastX, lastY; // pixels at the gradient's start and end
    };
    const Case cases[] = {
        {0, 0, 20, 99, 20}, // horizontal
        {1, 50, 0, 50, 39}, // vertical
    };
    for (const auto& c : cases) {
        Dib dib(100, 40, 0xFFFFFF);
        auto g = TGPGraphics::CreateFromHDC(dib.dc());
        auto brush = TGPLinearGradientBrush::CreateLineBrushFromRect(
            BuildRectF(0, 0, 100, 40), 0xFF000000, 0xFFFFFFFF, c.mode);
        EXPECT_EQ(brush->LastStatus(), gpOk);
        EXPECT_EQ(g->FillRectWithBrush(brush.get(), 0, 0, 100, 40), gpOk);
        g.reset();
        // Near the ends the channel is close to 0 and 255; between them it rises.
        const uint32_t first = dib.Pixel(c.firstX, c.firstY) & 0xFF;
        const uint32_t mid = dib.Pixel((c.firstX + c.lastX) / 2, (c.firstY + c.lastY) / 2) & 0xFF;
        const uint32_t last = dib.Pixel(c.lastX, c.lastY) & 0xFF;
        EXPECT_LT(first, 20u) << c.mode;
        EXPECT_GT(last, 235u) << c.mode;
        EXPECT_GT(mid, 90u) << c.mode;
        EXPECT_LT(mid, 165u) << c.mode;
    }
}

TEST(AdvGDIPDrawing, ClipRegionsLimitTheFill)
{
    Dib dib(40, 40, 0xFFFFFF);
    auto g = TGPGraphics::CreateFromHDC(dib.dc());
    // Region: the rectangle (0,0)-(20,20) without the square (5,5)-(15,15), united with the
    // rectangle (30,30)-(40,40).
    auto region = TGPRegion::CreateRegionRect(BuildRectF(0, 0, 20, 20));
    auto hole = TGPGraphicsPath::CreatePath(0);
    hole->AddPathLine(5, 5, 15, 5);
    hole->AddPathLine(15, 5, 15, 15);
    hole->AddPathLine(15, 15, 5, 15);
    hole->ClosePathFigure();
    EXPECT_EQ(region->CombineRegionPath(hole.get()), gpOk);
    auto corner = TGPRegion::CreateRegionRect(BuildRectF(30, 30, 10, 10));
    EXPECT_EQ(region->CombineRegionRegion(corner.get()), gpOk);
    EXPECT_EQ(g->SetClipRegion(region.get(), 0), gpOk);
    auto black = TGPSolidBrush::CreateSolidFill(0xFF000000);
    g->FillRectWithBrush(black.get(), 0, 0, 40, 40);
    g.reset();

    EXPECT_EQ(dib.Pixel(2, 2), 0u);
    EXPECT_EQ(dib.Pixel(10, 10), 0xFFFFFFu); // the excluded hole
    EXPECT_EQ(dib.Pixel(25, 10), 0xFFFFFFu); // outside the region
    EXPECT_EQ(dib.Pixel(35, 35), 0u);        // the united corner
}

TEST(AdvGDIPPathGradient, SurroundColoursNeedNoMoreColoursThanPoints)
{
    auto path = TGPGraphicsPath::CreatePath(0);
    path->AddPathEllipse(0, 0, 40, 40);
    // The path's point count straight from GDI+ (not through the wrappers).
    INT pathPoints = 0;
    Gdiplus::DllExports::GdipGetPointCount(static_cast<Gdiplus::GpPath*>(path->NativeObject()),
                                           &pathPoints);
    ASSERT_GT(pathPoints, 1);

    auto brush = TGPPathGradientBrush::CreatePathGradientFromPath(path.get());
    ASSERT_EQ(brush->LastStatus(), gpOk);
    EXPECT_EQ(brush->GetPathGradientPointCount(), pathPoints);
    std::vector<ARGB> colours(static_cast<std::size_t>(pathPoints) + 1, 0xFF00FF00);

    int count = pathPoints + 1;
    EXPECT_EQ(brush->SetPathGradientSurroundColorsWithCount(colours.data(), count),
              gpInvalidParameter);
    EXPECT_EQ(count, pathPoints + 1);
    EXPECT_EQ(brush->SetPathGradientSurroundColorsWithCount(nullptr, count), gpInvalidParameter);

    count = pathPoints;
    EXPECT_EQ(brush->SetPathGradientSurroundColorsWithCount(colours.data(), count), gpOk);
    EXPECT_EQ(count, pathPoints);
    // The failures before stay recorded.
    EXPECT_EQ(brush->LastStatus(), gpInvalidParameter);

    // Centre red, rim green: the middle of the ellipse is red.
    EXPECT_EQ(brush->SetPathGradientCenterColor(0xFFFF0000), gpInvalidParameter); // the last status
    TGPPoint centre;
    BuildPoint(20, 20, centre);
    EXPECT_EQ(brush->SetPathGradientCenterPointI(centre), gpOk);
    Dib dib(40, 40, 0xFFFFFF);
    auto g = TGPGraphics::CreateFromHDC(dib.dc());
    EXPECT_EQ(g->FillRectWithBrush(brush.get(), 0, 0, 40, 40), gpOk);
    g.reset();
    const uint32_t middle = dib.Pixel(20, 20);
    EXPECT_GT((middle >> 16) & 0xFF, 200u);
    EXPECT_LT((middle >> 8) & 0xFF, 60u);
}

struct ImageCase {
    const char* file;
    int format;
};

TEST(AdvGDIPImages, FormatSizeAndPixelsOfImagesFromStreams)
{
    const ImageCase cases[] = {
        {"quadrants.png", gifPng},
        {"quadrants.gif", gifGif},
        {"quadrants.bmp", gifBmp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string bytes = drawtest::FixtureBytes(c.file);
        ASSERT_FALSE(bytes.empty());
        auto stream = drawtest::ComStream(bytes);
        auto image = TGPImage::LoadImageFromStream(stream.get(), false);
        ASSERT_EQ(image->LastStatus(), gpOk);
        EXPECT_EQ(image->GetImageRawFormat(), c.format);
        EXPECT_EQ(image->GetImageWidth(), 8u);
        EXPECT_EQ(image->GetImageHeight(), 8u);

        // Drawn 8 times larger: the quadrants' middles are red, blue, green and white.
        Dib dib(64, 64, 0x000000);
        auto g = TGPGraphics::CreateFromHDC(dib.dc());
        EXPECT_EQ(g->DrawImageRect(image.get(), 0, 0, 64, 64), gpOk);
        g.reset();
        EXPECT_EQ(dib.Pixel(16, 16), 0xFF0000u);
        EXPECT_EQ(dib.Pixel(48, 16), 0x0000FFu);
        EXPECT_EQ(dib.Pixel(16, 48), 0x00FF00u);
        EXPECT_EQ(dib.Pixel(48, 48), 0xFFFFFFu);

        auto bitmap = TGPBitmap::CreateBitmapFromStream(drawtest::ComStream(bytes).get(), false);
        ASSERT_EQ(bitmap->LastStatus(), gpOk);
        ARGB pixel = 0;
        EXPECT_EQ(bitmap->BitmapGetPixel(5, 1, pixel), gpOk);
        EXPECT_EQ(pixel, 0xFF0000FFu);
    }
}

TEST(AdvGDIPImages, UnreadableBytesGiveFormatZeroAndSizeZero)
{
    const std::string damaged = drawtest::FixtureBytes("quadrants.png").substr(0, 20);
    auto image = TGPImage::LoadImageFromStream(drawtest::ComStream(damaged).get(), true);
    EXPECT_NE(image->LastStatus(), gpOk);
    EXPECT_EQ(image->GetImageRawFormat(), gifUnknown);
    EXPECT_EQ(image->GetImageWidth(), 0u);
    EXPECT_EQ(image->GetImageHeight(), 0u);
    // Drawing it draws nothing.
    Dib dib(10, 10, 0x123456);
    auto g = TGPGraphics::CreateFromHDC(dib.dc());
    EXPECT_NE(g->DrawImageRect(image.get(), 0, 0, 10, 10), gpOk);
    g.reset();
    EXPECT_EQ(dib.Pixel(5, 5), 0x123456u);
}

TEST(AdvGDIPImages, RotateFlipSixTurnsTheImageUpsideDown)
{
    auto image = TGPImage::LoadImageFromStream(
        drawtest::ComStream(drawtest::FixtureBytes("quadrants.png")).get(), false);
    EXPECT_EQ(image->ImageRotateFlip(6), gpOk);
    Dib dib(8, 8, 0x000000);
    auto g = TGPGraphics::CreateFromHDC(dib.dc());
    g->DrawImageRect(image.get(), 0, 0, 8, 8);
    g.reset();
    EXPECT_EQ(dib.Pixel(1, 1), 0x00FF00u); // green came up
    EXPECT_EQ(dib.Pixel(6, 1), 0xFFFFFFu);
    EXPECT_EQ(dib.Pixel(1, 6), 0xFF0000u);
}

TEST(AdvGDIPImages, BitmapFromScan0KeepsItsPixels)
{
    constexpr int Format32bppArgb = 0x26200A;
    auto bitmap = TGPBitmap::CreateBitmapFromScan0(4, 3, Format32bppArgb);
    ASSERT_EQ(bitmap->LastStatus(), gpOk);
    EXPECT_EQ(bitmap->GetImageRawFormat(), gifMemoryBmp);
    EXPECT_EQ(bitmap->BitmapSetPixel(3, 2, 0x80102030), gpOk);
    ARGB pixel = 0;
    EXPECT_EQ(bitmap->BitmapGetPixel(3, 2, pixel), gpOk);
    EXPECT_EQ(pixel, 0x80102030u);
    EXPECT_EQ(bitmap->BitmapGetPixel(4, 0, pixel), gpInvalidParameter);
}

TEST(AdvGDIPText, DrawsAndMeasuresWideAndAnsiText)
{
    auto family = TGPFontFamily::CreateFontFamilyFromName(L"Tahoma");
    ASSERT_EQ(family->LastStatus(), gpOk);
    auto font = TGPFont::CreateFromFamily(family.get(), 20, 1, 2); // bold, 20 pixels
    ASSERT_EQ(font->LastStatus(), gpOk);
    auto format = TGPStringFormat::CreateStringFormat(0x1000, 0); // no wrap
    ASSERT_EQ(format->LastStatus(), gpOk);
    EXPECT_EQ(format->SetStringFormatAlign(1), gpOk);
    EXPECT_EQ(format->SetStringFormatLineAlign(1), gpOk);
    EXPECT_EQ(format->SetStringFormatTrimming(1), gpOk);
    EXPECT_EQ(format->SetStringFormatHotkeyPrefix(1), gpOk);

    Dib dib(200, 40, 0xFFFFFF);
    auto g = TGPGraphics::CreateFromHDC(dib.dc());
    EXPECT_EQ(g->SetTextRenderingHint(4), gpOk);
    EXPECT_EQ(g->SetSmoothingMode(Anti), gpOk);
    TGPRectF bounds;
    int fitted = 0, lines = 0;
    const TGPRectF layout = BuildRectF(0, 0, 200, 40);
    EXPECT_EQ(g->MeasureString(L"Wide", 4, font.get(), layout, format.get(), bounds, fitted, lines),
              gpOk);
    EXPECT_EQ(fitted, 4);
    EXPECT_EQ(lines, 1);
    EXPECT_GT(bounds.Width, 20.0f);
    EXPECT_LT(bounds.Width, 200.0f);

    g.reset();

    // The 8-bit text converts in the ANSI code page: in Windows-1252 "\x80" is the euro sign,
    // so "caf\x80" draws exactly as the wide L"caf\u20AC" does.
    ASSERT_EQ(GetACP(), 1252u);
    auto black = TGPSolidBrush::CreateSolidFill(0xFF000000);
    Dib wide(200, 40, 0xFFFFFF);
    auto gw = TGPGraphics::CreateFromHDC(wide.dc());
    EXPECT_EQ(gw->DrawString(L"caf\u20AC", 4, font.get(), layout, format.get(), black.get()), gpOk);
    gw.reset();
    Dib ansi(200, 40, 0xFFFFFF);
    auto ga = TGPGraphics::CreateFromHDC(ansi.dc());
    EXPECT_EQ(ga->DrawAnsiString("caf\x80", 4, font.get(), layout, format.get(), black.get()),
              gpOk);
    ga.reset();
    int ink = 0, differing = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) {
            ink += ansi.Pixel(x, y) != 0xFFFFFFu ? 1 : 0;
            differing += ansi.Pixel(x, y) != wide.Pixel(x, y) ? 1 : 0;
        }
    EXPECT_GT(ink, 20);
    EXPECT_EQ(differing, 0);
}

TEST(AdvGDIPStartUp, WrappersStartGdiplusAgainAfterItWasShutDown)
{
    GdiplusModuleInitialize();
    GdiplusModuleFinalize(); // the count returns to zero: GDI+ is shut down
    auto family = TGPFontFamily::CreateFontFamilyFromName(L"Tahoma");
    EXPECT_EQ(family->LastStatus(), gpOk);
    Dib dib(10, 10, 0xFFFFFF);
    auto g = TGPGraphics::CreateFromHDC(dib.dc());
    auto brush = TGPSolidBrush::CreateSolidFill(0xFF00FF00);
    EXPECT_EQ(g->FillRectWithBrush(brush.get(), 0, 0, 10, 10), gpOk);
    g.reset();
    EXPECT_EQ(dib.Pixel(5, 5), 0x00FF00u);
}

TEST(AdvGDIPLeaks, RepeatedPaintsReturnEveryObject)
{
    auto paint = [] {
        Dib dib(40, 40);
        auto g = TGPGraphics::CreateFromHDC(dib.dc());
        g->SetSmoothingMode(Anti);
        auto path = TGPGraphicsPath::CreatePath(0);
        path->AddPathArc(0, 0, 10, 10, 180, 90);
        path->AddPathLine(5, 0, 35, 0);
        path->ClosePathFigure();
        auto pen = TGPPen::CreatePen1(0xFF000000, 1);
        g->DrawPath(pen.get(), path.get());
        auto brush = TGPLinearGradientBrush::CreateLineBrushFromRect(BuildRectF(0, 0, 40, 40),
                                                                     0xFF000000, 0xFFFFFFFF, 1);
        auto region = TGPRegion::CreateRegionPath(path.get());
        g->SetClipRegion(region.get(), 0);
        g->FillRectWithBrush(brush.get(), 0, 0, 40, 40);
        auto family = TGPFontFamily::CreateFontFamilyFromName(L"Tahoma");
        auto font = TGPFont::CreateFromFamily(family.get(), 9, 0, 3);
        auto format = TGPStringFormat::CreateStringFormat(0, 0);
        g->DrawAnsiString("Leak", 4, font.get(), BuildRectF(0, 0, 40, 40), format.get(),
                          brush.get());
        auto image = TGPImage::LoadImageFromStream(
            drawtest::ComStream(drawtest::FixtureBytes("quadrants.png")).get(), false);
        g->DrawImageRect(image.get(), 0, 0, 20, 20);
    };
    paint(); // first use may create caches of its own
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 200; ++i)
        paint();
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
    EXPECT_EQ(LiveNativeObjectCount(), 0);
}

} // namespace
