// The bitmap object under Wine: screen capture of windows this test paints (with and without
// the application filter), .bmp files written by ImageMagick, fitting, painting and files.
#include "NVBitmap.h"

#include "BitmapPixels.h"
#include "FileBytes.h"
#include "GuiTest.h"

#include <gtest/gtest.h>

#include <string>

using namespace crashui;

namespace {

// The pixel at (x, y) from the top of a bitmap object, as 0xRRGGBB, read from its .bmp bytes.
uint32_t PixelOf(const TNVBitmapPtr& bitmap, int x, int y)
{
    const std::string bmp = bitmap->BmpBytes();
    const size_t at =
        54 + (size_t(bitmap->Height() - 1 - y) * size_t(bitmap->Width()) + size_t(x)) * 4;
    return uint32_t(uint8_t(bmp[at + 2])) << 16 | uint32_t(uint8_t(bmp[at + 1])) << 8 |
           uint8_t(bmp[at]);
}

class NVBitmapCapture : public testsupport::GuiTest {
protected:
    // A borderless window at (x, y) of the screen filled with one colour.
    HWND ColourWindow(int x, int y, int w, int h, COLORREF colour)
    {
        HWND window = CreateTestWindow(
            "capture", w, h, [colour](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
                if (msg != WM_PAINT)
                    return false;
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(hwnd, &ps);
                RECT r;
                GetClientRect(hwnd, &r);
                HBRUSH brush = CreateSolidBrush(colour);
                FillRect(dc, &r, brush);
                DeleteObject(brush);
                EndPaint(hwnd, &ps);
                result = 0;
                return true;
            });
        SetWindowLongPtrA(window, GWL_STYLE, WS_POPUP | WS_VISIBLE);
        SetWindowPos(window, HWND_TOPMOST, x, y, w, h, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
        return window;
    }
    void SetUp() override
    {
        // The cursor stays away from the windows.
        SetCursorPos(2, 2);
    }
};

} // namespace

TEST_F(NVBitmapCapture, WholeScreenHoldsWhatAWindowPainted)
{
    ColourWindow(300, 200, 80, 50, RGB(200, 30, 90));
    testsupport::PumpFor(150);
    const TNVBitmapPtr shot = CaptureScreen(false);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->Width(), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(shot->Height(), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    const int x0 = GetSystemMetrics(SM_XVIRTUALSCREEN), y0 = GetSystemMetrics(SM_YVIRTUALSCREEN);
    for (const POINT p : {POINT{300, 200}, POINT{379, 249}, POINT{340, 225}})
        EXPECT_EQ(PixelOf(shot, p.x - x0, p.y - y0), 0xC81E5Au) << p.x << "," << p.y;
}

TEST_F(NVBitmapCapture, ApplicationOnlyCutsToItsWindowsAndLeavesTheRestWhite)
{
    HWND a = ColourWindow(100, 100, 40, 30, RGB(0, 0, 255));
    HWND b = ColourWindow(200, 160, 50, 20, RGB(0, 128, 0));
    testsupport::PumpFor(150);
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    const TNVBitmapPtr shot = CaptureScreen(true);
    ASSERT_TRUE(shot);
    // Only these two windows of the process show: the picture is their bounding box.
    EXPECT_EQ(shot->Width(), rb.right - ra.left);
    EXPECT_EQ(shot->Height(), rb.bottom - ra.top);
    EXPECT_EQ(PixelOf(shot, 5, 5), 0x0000FFu);
    EXPECT_EQ(PixelOf(shot, rb.left - ra.left + 10, rb.top - ra.top + 10), 0x008000u);
    EXPECT_EQ(PixelOf(shot, shot->Width() - 1, 0), 0xFFFFFFu) << "outside the windows";
    EXPECT_EQ(PixelOf(shot, 0, shot->Height() - 1), 0xFFFFFFu) << "outside the windows";

    ShowWindow(a, SW_HIDE);
    ShowWindow(b, SW_MINIMIZE);
    EXPECT_FALSE(CaptureScreen(true)) << "no visible window of the process";
}

TEST_F(NVBitmapCapture, CursorIsDrawnWithItsHotSpotAtThePointer)
{
    HWND window = ColourWindow(400, 300, 60, 60, RGB(0, 200, 0));
    SetClassLongPtrA(window, GCLP_HCURSOR,
                     reinterpret_cast<LONG_PTR>(LoadCursor(nullptr, IDC_ARROW)));
    SetCursorPos(420, 320);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    testsupport::PumpFor(150);
    const TNVBitmapPtr shot = CaptureScreen(true);
    ASSERT_TRUE(shot);
    RECT r;
    GetWindowRect(window, &r);
    // The arrow's tip (its hot spot) covers the pointer's pixel; the window's far corner keeps
    // its colour.
    int covered = 0;
    for (int dy = 0; dy < 4; ++dy)
        for (int dx = 0; dx < 4; ++dx)
            covered += PixelOf(shot, 420 - r.left + dx, 320 - r.top + dy) != 0x00C800u;
    EXPECT_GT(covered, 0);
    EXPECT_EQ(PixelOf(shot, 419 - r.left, 319 - r.top), 0x00C800u)
        << "nothing above or left of the hot spot";
    EXPECT_EQ(PixelOf(shot, 58, 58), 0x00C800u);
}

TEST_F(NVBitmapCapture, PaintToDrawsTheWholeBitmap)
{
    ColourWindow(50, 50, 16, 16, RGB(10, 20, 30));
    testsupport::PumpFor(150);
    const TNVBitmapPtr shot = CaptureScreen(true);
    ASSERT_TRUE(shot);
    testsupport::Dib dib(40, 40, 0xFFFFFF);
    EXPECT_TRUE(shot->PaintTo(dib.dc(), 4, 6));
    EXPECT_EQ(dib.Pixel(4, 6), 0x0A141Eu);
    EXPECT_EQ(dib.Pixel(4 + shot->Width() - 1, 6 + shot->Height() - 1), 0x0A141Eu);
    EXPECT_EQ(dib.Pixel(4 + shot->Width(), 6), 0xFFFFFFu);
}

namespace {

// The fixture's colours, row by row from the top (tests/crashreport/ui/fixtures/colours.ppm).
const uint32_t FixtureColours[3][5] = {
    {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000},
    {0x0C2238, 0x4E5A7B, 0xC86432, 0x5A0A0A, 0xFAFBFC},
    {0x808080, 0x4000C0, 0x00A050, 0xFFFF00, 0x11AAFF},
};

std::string Fixture(const char* name)
{
    return std::string(BRENVIK_BMP_FIXTURES) + "/" + name;
}

} // namespace

TEST(NVBitmapFile, ReadsBmpsWrittenByImageMagick)
{
    for (const char* name : {"colours24.bmp", "colours-palette.bmp", "colours32.bmp"}) {
        const TNVBitmapPtr bitmap = BitmapFromFile(Fixture(name));
        ASSERT_TRUE(bitmap) << name;
        ASSERT_EQ(bitmap->Width(), 5) << name;
        ASSERT_EQ(bitmap->Height(), 3) << name;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(PixelOf(bitmap, x, y), FixtureColours[y][x])
                    << name << " " << x << "," << y;
    }
    EXPECT_FALSE(BitmapFromFile(Fixture("missing.bmp")));
    EXPECT_FALSE(BitmapFromFile(Fixture("../fixtures/colours.ppm"))) << "not a bitmap";
}

TEST(NVBitmapFile, BytesFilesAndFitting)
{
    const TNVBitmapPtr bitmap = BitmapFromFile(Fixture("colours24.bmp"));
    ASSERT_TRUE(bitmap);
    const std::string bmp = bitmap->BmpBytes();
    EXPECT_EQ(bmp.size(), 54u + 5 * 3 * 4);
    EXPECT_EQ(bmp.substr(0, 2), "BM");

    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string bmpName = std::string(folder) + "nvbitmap-test.bmp";
    const std::string pngName = std::string(folder) + "nvbitmap-test.png";
    EXPECT_TRUE(bitmap->WriteBmpFile(bmpName));
    EXPECT_EQ(testsupport::ReadBytes(bmpName), bmp);
    EXPECT_TRUE(bitmap->WritePngFile(pngName, 0));
    EXPECT_EQ(testsupport::ReadBytes(pngName), bitmap->PngBytes(0));
    // Read back, the written .bmp gives the same pixels.
    const TNVBitmapPtr again = BitmapFromFile(bmpName);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->BmpBytes(), bmp);
    DeleteFileA(bmpName.c_str());
    DeleteFileA(pngName.c_str());
    EXPECT_FALSE(bitmap->WriteBmpFile(std::string(folder) + "no such folder\\x.bmp"));

    struct Case {
        int boxWidth, boxHeight, width, height;
    } cases[] = {{10, 3, 5, 3}, {100, 100, 100, 60}, {2, 2, 2, 1}};
    for (const Case& c : cases) {
        const TNVBitmapPtr fitted = bitmap->FitInto(c.boxWidth, c.boxHeight);
        ASSERT_TRUE(fitted);
        EXPECT_EQ(fitted->Width(), c.width);
        EXPECT_EQ(fitted->Height(), c.height);
    }
    EXPECT_EQ(bitmap->BmpBytes(), bmp) << "the source is not changed";

    // A gray PNG turns the object's pixels gray for good.
    EXPECT_FALSE(bitmap->PngBytes(1).empty());
    EXPECT_EQ(PixelOf(bitmap, 0, 0), 0x4C4C4Cu); // red: (77 x 255) >> 8 = 76
}
