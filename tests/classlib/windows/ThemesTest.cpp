// Theme services against the system's own uxtheme calls.
#include "windows/Themes.h"

#include "GuiTest.h"

#include <vector>

using namespace classlib;
using testsupport::Dib;

namespace {

// A uxtheme function looked up by the test itself.
template <class F>
F SystemThemeFunction(const char* name)
{
    HMODULE module = GetModuleHandleA("uxtheme.dll");
    if (!module)
        module = LoadLibraryA("uxtheme.dll");
    return module ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                  : nullptr;
}

TEST(Themes, EnabledStateIsTheSystemsAndABindingIsComplete)
{
    using BoolFn = BOOL(WINAPI*)();
    const auto active = SystemThemeFunction<BoolFn>("IsThemeActive");
    const auto appThemed = SystemThemeFunction<BoolFn>("IsAppThemed");
    ASSERT_NE(active, nullptr);
    ASSERT_NE(appThemed, nullptr);
    EXPECT_TRUE(ThemeServices()->ThemesAvailable());
    EXPECT_EQ(ThemeServices()->ThemesEnabled(), active() && appThemed());
    const TUxThemeLibrary& ux = UxThemeLibrary();
    EXPECT_TRUE(ux.Loaded());
    EXPECT_NE(ux.OpenThemeData, nullptr);
    EXPECT_NE(ux.DrawThemeParentBackground, nullptr);
}

// A themed push button drawn by the services is what uxtheme itself draws.
TEST(Themes, DrawElementPaintsWhatTheSystemPaints)
{
    ASSERT_TRUE(ThemeServices()->ThemesEnabled()) << "visual styles are on in the test prefix";
    constexpr int kPushButton = 1, kNormal = 1; // BP_PUSHBUTTON, PBS_NORMAL
    const RECT rect{2, 2, 62, 26};
    Dib ours(64, 28, 0x123456);
    ASSERT_TRUE(ThemeServices()->DrawElement(
        ours.dc(), ThemeServices()->GetElementDetails(teButton, kPushButton, kNormal), rect));

    using OpenFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
    using DrawFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
    using CloseFn = HRESULT(WINAPI*)(HTHEME);
    HTHEME theme = SystemThemeFunction<OpenFn>("OpenThemeData")(nullptr, L"BUTTON");
    ASSERT_NE(theme, nullptr);
    Dib system(64, 28, 0x123456);
    SystemThemeFunction<DrawFn>("DrawThemeBackground")(theme, system.dc(), kPushButton, kNormal,
                                                       &rect, nullptr);
    SystemThemeFunction<CloseFn>("CloseThemeData")(theme);

    int painted = 0;
    for (int y = 0; y < 28; ++y) {
        for (int x = 0; x < 64; ++x) {
            ASSERT_EQ(ours.Pixel(x, y), system.Pixel(x, y)) << x << "," << y;
            painted += ours.Pixel(x, y) != 0x123456u;
        }
    }
    EXPECT_GT(painted, 0);
    EXPECT_EQ(ours.Pixel(0, 0), 0x123456u); // outside the rectangle

    ThemeServices()->UpdateThemes(); // handles reopen on the next call
    EXPECT_TRUE(ThemeServices()->DrawElement(ours.dc(), {teButton, kPushButton, kNormal}, rect));
}

// The parent paints its background (red) and, in its client coordinates, a blue mark at the
// child's offset + (3, 3): the child's image of it has the mark at (3, 3).
class ParentBackgroundTest : public testsupport::GuiTest {};

TEST_F(ParentBackgroundTest, DrawParentBackgroundPaintsTheParentBehindTheChild)
{
    constexpr int kChildX = 20, kChildY = 10;
    auto paint = [](HDC dc) {
        RECT all{0, 0, 200, 100};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &all, red);
        DeleteObject(red);
        RECT mark{kChildX + 3, kChildY + 3, kChildX + 5, kChildY + 5};
        HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
        FillRect(dc, &mark, blue);
        DeleteObject(blue);
    };
    HWND parent = CreateTestWindow("parent", 200, 100,
                                   [&](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
                                       if (message == WM_ERASEBKGND || message == WM_PRINTCLIENT) {
                                           paint(reinterpret_cast<HDC>(wParam));
                                           result = 1;
                                           return true;
                                       }
                                       return false;
                                   });
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, kChildX, kChildY, 40, 30,
                                 parent, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    Dib dib(40, 30, 0x00FF00);
    ASSERT_TRUE(ThemeServices()->DrawParentBackground(child, dib.dc()));
    EXPECT_EQ(dib.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(3, 3), 0x0000FFu);
    EXPECT_EQ(dib.Pixel(5, 5), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(39, 29), 0xFF0000u);
}

} // namespace
