// The two theme-API bindings against Wine's uxtheme.dll: loading twice and unloading without a
// load, a library without one of the functions, and the calls the styled panel makes.
#include "draw/ACXPVS.h"
#include "draw/APXPVS.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

#include <vector>

using namespace draw;
using testsupport::Dib;

namespace {

// A function's address, for comparing a bound variable with the library's export.
template <class Function>
const void* AddressOf(Function function)
{
    return reinterpret_cast<const void*>(function);
}

TEST(ThemeBinding, LoadingTwiceLoadsOnceAndUnloadingWithoutALoadDoesNothing)
{
    apxpvs::UnloadThemeLibrary(); // nothing loaded: nothing happens
    EXPECT_FALSE(apxpvs::ThemeLibraryLoaded());
    EXPECT_EQ(apxpvs::ThemeLibraryHandle(), nullptr);

    apxpvs::LoadThemeLibrary();
    ASSERT_TRUE(apxpvs::ThemeLibraryLoaded());
    const HMODULE first = apxpvs::ThemeLibraryHandle();
    EXPECT_EQ(first, GetModuleHandleA("uxtheme.dll"));
    apxpvs::LoadThemeLibrary();
    EXPECT_EQ(apxpvs::ThemeLibraryHandle(), first);

    // One unload balances the one load that happened.
    apxpvs::UnloadThemeLibrary();
    EXPECT_FALSE(apxpvs::ThemeLibraryLoaded());
    apxpvs::UnloadThemeLibrary();
    EXPECT_FALSE(apxpvs::ThemeLibraryLoaded());
}

TEST(ThemeBinding, BothModulesBindEveryFunctionOfWinesLibrary)
{
    apxpvs::ThemeBindingInitialize();
    acxpvs::ThemeBindingInitialize();
    ASSERT_TRUE(apxpvs::ThemeLibraryLoaded());
    ASSERT_TRUE(acxpvs::ThemeLibraryLoaded());
    const HMODULE uxtheme = GetModuleHandleA("uxtheme.dll");
    EXPECT_EQ(AddressOf(apxpvs::OpenThemeData),
              AddressOf(GetProcAddress(uxtheme, "OpenThemeData")));
    EXPECT_EQ(AddressOf(apxpvs::GetThemePartSize),
              AddressOf(GetProcAddress(uxtheme, "GetThemePartSize")));
    EXPECT_EQ(AddressOf(apxpvs::EnableTheming),
              AddressOf(GetProcAddress(uxtheme, "EnableTheming")));
    EXPECT_EQ(AddressOf(acxpvs::DrawThemeParentBackground),
              AddressOf(GetProcAddress(uxtheme, "DrawThemeParentBackground")));
    EXPECT_EQ(AddressOf(acxpvs::GetCurrentThemeName),
              AddressOf(GetProcAddress(uxtheme, "GetCurrentThemeName")));

    // Either module may shut down first: the system counts the loads.
    acxpvs::ThemeBindingFinalize();
    EXPECT_FALSE(acxpvs::ThemeLibraryLoaded());
    EXPECT_TRUE(apxpvs::ThemeLibraryLoaded());
    ASSERT_NE(apxpvs::IsThemeActive, nullptr);
    apxpvs::IsThemeActive(); // still callable
    apxpvs::ThemeBindingFinalize();
    EXPECT_FALSE(apxpvs::ThemeLibraryLoaded());
}

// Stand-ins for two entry-point variables of a binding.
decltype(&::OpenThemeData) BoundOpen = nullptr;
decltype(&::CloseThemeData) BoundClose = nullptr;
decltype(&::IsThemeActive) BoundMissing = reinterpret_cast<decltype(&::IsThemeActive)>(1);

TEST(ThemeBinding, AMissingFunctionStaysNullAndTheOthersAreStillBound)
{
    const ThemeEntrySlot slots[] = {
        {"OpenThemeData",
         [](FARPROC p) {
             BoundOpen = reinterpret_cast<decltype(BoundOpen)>(reinterpret_cast<void (*)()>(p));
         }},
        {"NoSuchThemeFunction",
         [](FARPROC p) {
             BoundMissing =
                 reinterpret_cast<decltype(BoundMissing)>(reinterpret_cast<void (*)()>(p));
         }},
        {"CloseThemeData",
         [](FARPROC p) {
             BoundClose = reinterpret_cast<decltype(BoundClose)>(reinterpret_cast<void (*)()>(p));
         }},
    };
    HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
    ASSERT_NE(uxtheme, nullptr);
    EXPECT_NO_THROW(EXPECT_EQ(BindThemeEntryPoints(uxtheme, slots), 2));
    EXPECT_NE(BoundOpen, nullptr);
    EXPECT_EQ(BoundMissing, nullptr);
    EXPECT_NE(BoundClose, nullptr);
    FreeLibrary(uxtheme);
}

class ThemedPanelCalls : public testsupport::GuiTest {};

TEST_F(ThemedPanelCalls, TheCaptionOfTheWindowClassDrawsIntoADib)
{
    apxpvs::ThemeBindingInitialize();
    ASSERT_NE(apxpvs::IsThemeActive, nullptr);
    ASSERT_TRUE(apxpvs::IsThemeActive()); // Wine runs with a visual style
    HWND window = CreateTestWindow("themed", 200, 60);
    HTHEME theme = apxpvs::OpenThemeData(window, L"window");
    ASSERT_NE(theme, nullptr);
    Dib dib(200, 30, 0x123456);
    RECT caption{0, 0, 200, 30};
    EXPECT_EQ(apxpvs::DrawThemeBackground(theme, dib.dc(), 1, 1, &caption, nullptr), S_OK);
    EXPECT_EQ(apxpvs::CloseThemeData(theme), S_OK);
    // The caption covered the marker colour.
    EXPECT_NE(dib.Pixel(100, 15), 0x123456u);
    apxpvs::ThemeBindingFinalize();
}

} // namespace
