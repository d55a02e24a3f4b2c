// The real Brenvik.exe as `tools/run` starts it: with the demo devices of
// tools/simulator/demo.ini it shows the first bootloader's name and family in its two combo
// boxes and the link indicator's "bootloader present" image within a few seconds; a screenshot
// of the window is saved as build/screenshots/main-window-demo.bmp.
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
    std::vector<HWND> combos;
    std::vector<HWND> indicators;  // visible glow buttons of the link indicator's size
};

BOOL CALLBACK CollectChild(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<ChildSearch*>(data);
    const std::string name = ClassOf(child);
    RECT r{};
    GetWindowRect(child, &r);
    if (_stricmp(name.c_str(), "ComboBox") == 0)
        search->combos.push_back(child);
    else if (name.find("TAdvGlowButton") != std::string::npos && IsWindowVisible(child) && r.right - r.left == 47 &&
             r.bottom - r.top == 30)
        search->indicators.push_back(child);
    return TRUE;
}

// The first item of each combo box of the window (empty for an empty box).
std::vector<std::string> ComboItems(HWND main)
{
    ChildSearch search;
    EnumChildWindows(main, CollectChild, reinterpret_cast<LPARAM>(&search));
    std::vector<std::string> items;
    for (HWND combo : search.combos) {
        DWORD_PTR count = 0;
        SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
        std::string text;
        DWORD_PTR length = 0;
        if (count > 0 && count != static_cast<DWORD_PTR>(CB_ERR) &&
            SendMessageTimeoutA(combo, CB_GETLBTEXTLEN, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) &&
            length != static_cast<DWORD_PTR>(CB_ERR)) {
            text.assign(length + 1, '\0');
            DWORD_PTR copied = 0;
            SendMessageTimeoutA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000,
                                &copied);
            text.resize(copied == static_cast<DWORD_PTR>(CB_ERR) ? 0 : copied);
        }
        items.push_back(text);
    }
    std::sort(items.begin(), items.end());
    return items;
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
    SetEnvironmentVariableA("BRENVIK_SIM_CONFIG", WindowsPath(BRENVIK_SOURCE_UNIX_PATH "/tools/simulator/demo.ini").c_str());
    Program program(copy);
    SetEnvironmentVariableA("BRENVIK_SIM_CONFIG", nullptr);
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);

    // The first device of the demo configuration, a PIC18 bootloader.
    const std::vector<std::string> expected = {"<P align=\"center\">PIC18</P>",
                                               "<P align=\"center\">PIC18F4550</P>"};
    EXPECT_TRUE(PollUntil([&] { return ComboItems(main) == expected; }, FoundLimitMs));
    EXPECT_EQ(ComboItems(main), expected);

    // Out of the way of other tests' windows and above them, so that the screen shows it whole.
    SetWindowPos(main, HWND_TOPMOST, 780, 590, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HWND indicator = Indicator(main);
    ASSERT_NE(indicator, nullptr);
    RECT button{};
    GetWindowRect(indicator, &button);
    // The centre of the "bootloader present" image: its green (resources/bitmaps/LinkPresent.png).
    EXPECT_TRUE(PollUntil([&] { return ScreenPixel((button.left + button.right) / 2, (button.top + button.bottom) / 2) ==
                                       0x2EB84Au; },
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
