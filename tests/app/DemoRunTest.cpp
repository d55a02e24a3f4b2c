// The real Brenvik.exe as `tools/run` starts it, with the demo devices of
// tools/simulator/demo.ini: the link indicator shows its "bootloader present" image within a few
// seconds, and a screenshot of the window is saved as build/screenshots/main-window-demo.bmp.
// (What the combo boxes show with these devices is checked in-process in MainWindowLayoutTest:
// reading a combo box's items from another process made Wine fault here.)
#include "GuiTest.h"
#include "ProgramCopy.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace program_copy;

constexpr DWORD FoundLimitMs = 10000;

std::string WindowsPath(std::string unixPath)
{
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath;
}

template <class Done>
bool PollUntil(Done done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

struct ChildSearch {
    std::vector<HWND> indicators; // visible glow buttons of the link indicator's size
};

BOOL CALLBACK CollectChild(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<ChildSearch*>(data);
    const std::string name = ClassOf(child);
    RECT r{};
    GetWindowRect(child, &r);
    if (name.find("TAdvGlowButton") != std::string::npos && IsWindowVisible(child) &&
        r.right - r.left == 47 && r.bottom - r.top == 30)
        search->indicators.push_back(child);
    return TRUE;
}

HWND Indicator(HWND main)
{
    ChildSearch search;
    EnumChildWindows(main, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.indicators.size() == 1 ? search.indicators.front() : nullptr;
}

// The screen's pixel as 0xRRGGBB.
std::uint32_t ScreenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    const COLORREF p = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);
}

TEST(DemoRun, ShowsTheFirstBootloaderAndItsLinkAndSavesAScreenshot)
{
    UseSimulatedDevicesLibraries();
    PrivateCopy copy{"demo", {"hid.dll", "setupapi.dll", "BrenvikSim.dll"}};
    ASSERT_EQ(copy.Missing(), "");
    SetEnvironmentVariableA(
        "BRENVIK_SIM_CONFIG",
        WindowsPath(BRENVIK_SOURCE_UNIX_PATH "/tools/simulator/demo.ini").c_str());
    Program program(copy);
    SetEnvironmentVariableA("BRENVIK_SIM_CONFIG", nullptr);
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);

    // Out of the way of other tests' windows and above them, so that the screen shows it whole.
    SetWindowPos(main, HWND_TOPMOST, 780, 590, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(main, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HWND indicator = Indicator(main);
    ASSERT_NE(indicator, nullptr);
    RECT button{};
    GetWindowRect(indicator, &button);
    // The centre of the "bootloader present" image: its green (resources/bitmaps/LinkPresent.png).
    EXPECT_TRUE(PollUntil(
        [&] {
            return ScreenPixel((button.left + button.right) / 2,
                               (button.top + button.bottom) / 2) == 0x2EB84Au;
        },
        FoundLimitMs));

    RECT outer{};
    GetWindowRect(main, &outer);
    testsupport::Dib shot(outer.right - outer.left, outer.bottom - outer.top);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.dc(), 0, 0, shot.width(), shot.height(), screen, outer.left, outer.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    const std::string folder = WindowsPath(BRENVIK_SCREENSHOT_UNIX_DIR);
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_TRUE(shot.SaveBmp(folder + "\\main-window-demo.bmp"));

    EXPECT_TRUE(program.Close());
}

} // namespace
