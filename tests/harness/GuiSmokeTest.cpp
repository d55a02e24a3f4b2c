#include "GuiTest.h"

using testsupport::Dib;
using testsupport::GuiTest;

namespace {

constexpr COLORREF kPaintColour = RGB(200, 30, 60);

void PaintMarker(HDC dc)
{
    RECT area{10, 10, 60, 40};
    HBRUSH brush = CreateSolidBrush(kPaintColour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

bool PaintingHandler(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        PaintMarker(dc);
        EndPaint(window, &paint);
        result = 0;
        return true;
    }
    if (message == WM_PRINTCLIENT) {
        PaintMarker(reinterpret_cast<HDC>(wParam));
        result = 0;
        return true;
    }
    return false;
}

} // namespace

class HarnessGui : public GuiTest {};

TEST_F(HarnessGui, PaintedPixelsCanBeReadFromADibAndFromTheScreen)
{
    HWND window = CreateTestWindow("harness", 100, 60, PaintingHandler);
    ASSERT_NE(window, nullptr);

    Dib dib(100, 60);
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()), PRF_CLIENT);
    EXPECT_EQ(dib.Pixel(30, 20), 0xC81E3Cu); // inside the marker, as 0xRRGGBB
    EXPECT_EQ(dib.Pixel(80, 50), 0xFFFFFFu); // untouched

    // The real window on the virtual display shows the same pixel once painted.
    InvalidateRect(window, nullptr, TRUE);
    bool painted = testsupport::PumpUntil(
        [&] {
            HDC dc = GetDC(window);
            const COLORREF pixel = GetPixel(dc, 30, 20);
            ReleaseDC(window, dc);
            return pixel == kPaintColour;
        },
        3000);
    EXPECT_TRUE(painted);
    EXPECT_FALSE(testsupport::SaveScreenshot("harness-smoke").empty());
}

TEST(HarnessPump, PumpUntilHonoursItsDeadline)
{
    const DWORD start = GetTickCount();
    EXPECT_FALSE(testsupport::PumpUntil([] { return false; }, 100));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 90u);
    EXPECT_LT(elapsed, 1000u);

    int posted = 0;
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ++posted > 1; }, 1000));
}
