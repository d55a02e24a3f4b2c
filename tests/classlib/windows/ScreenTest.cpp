// The screen object against what the platform reports: the desktop's fonts, the monitors and
// their work areas, and the drawn drag cursors.
#include "windows/Graphics.h"
#include "windows/Screen.h"

#include <gtest/gtest.h>

#include <string>

using namespace classlib;

namespace {

TEST(Screen, FontsAreTheDesktopsFonts)
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    LOGFONTA iconTitle{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0));
    struct Case {
        const char* name;
        TFont* font;
        const LOGFONTA& expected;
    };
    const Case cases[] = {
        {"hint", Screen->HintFont(), metrics.lfStatusFont},
        {"message", Screen->MessageFont(), metrics.lfMessageFont},
        {"menu", Screen->MenuFont(), metrics.lfMenuFont},
        {"icon", Screen->IconFont(), iconTitle},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.font->Name(), c.expected.lfFaceName) << c.name;
        EXPECT_EQ(c.font->Height(), c.expected.lfHeight) << c.name;
    }
}

TEST(Screen, MonitorsAreTheDisplaysOfTheDesktop)
{
    ASSERT_EQ(Screen->MonitorCount(), GetSystemMetrics(SM_CMONITORS));
    TMonitor* primary = Screen->Monitors(0);
    EXPECT_TRUE(primary->Primary());
    EXPECT_EQ(primary->MonitorNum(), 0);
    EXPECT_EQ(primary->Width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(primary->Height(), GetSystemMetrics(SM_CYSCREEN));
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const RECT area = primary->WorkareaRect();
    EXPECT_TRUE(EqualRect(&area, &work));
    EXPECT_EQ(Screen->PrimaryMonitor(), primary);

    const RECT desktop = Screen->DesktopRect();
    const POINT outside{desktop.right + 5000, desktop.bottom + 5000};
    EXPECT_EQ(Screen->MonitorFromPoint(POINT{10, 10}), primary);
    EXPECT_EQ(Screen->MonitorFromPoint(outside, mdNull), nullptr);
    EXPECT_EQ(Screen->MonitorFromPoint(outside, mdNearest), primary);
    EXPECT_EQ(
        Screen->MonitorFromRect(RECT{outside.x, outside.y, outside.x + 10, outside.y + 10}, mdNull),
        nullptr);
    EXPECT_EQ(Screen->MonitorFromRect(RECT{-50, -50, 100, 100}), primary);
    EXPECT_THROW(Screen->Monitors(Screen->MonitorCount()), EListError);
}

// Whether the cursor's AND mask makes (x, y) opaque.
bool Opaque(HCURSOR cursor, int x, int y)
{
    ICONINFO info{};
    if (!GetIconInfo(cursor, &info))
        return false;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, info.hbmMask);
    const bool opaque = GetPixel(dc, x, y) == RGB(0, 0, 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return opaque;
}

TEST(Screen, DragCursorsAreCursorsOfTheirOwn)
{
    HCURSOR drag = Screen->Cursors(crDrag);
    HCURSOR multi = Screen->Cursors(crMultiDrag);
    ASSERT_NE(drag, nullptr);
    ASSERT_NE(multi, nullptr);
    EXPECT_NE(drag, Screen->Cursors(crArrow));
    EXPECT_NE(drag, multi);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(drag, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 0u);
    EXPECT_EQ(info.yHotspot, 0u);
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    // Both carry a sheet below the arrow; the multi-drag cursor has more of them further out.
    EXPECT_TRUE(Opaque(drag, 10, 14));
    EXPECT_TRUE(Opaque(multi, 10, 14));
    EXPECT_FALSE(Opaque(drag, 22, 24));
    EXPECT_TRUE(Opaque(multi, 22, 24));
    EXPECT_FALSE(Opaque(drag, 30, 2));
    // The other drag-and-drop cursors are the system's.
    EXPECT_EQ(Screen->Cursors(crNoDrop), LoadCursorA(nullptr, IDC_NO));
}

} // namespace
