// What the two theme-API binding modules (APXPVS, ACXPVS) share: the list of the theme
// functions they bind, the shape of their entry-point variables and the loader. The visual-
// styles library does not exist before Windows XP, so it is never imported: it is loaded by
// name and each function is looked up into a variable with the uxtheme signature of the same
// name; a variable stays null when its function is absent.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <span>

// The theme functions in binding order. APXPVS binds GetThemePartSize between the two parts.
// clang-format off
#define THEME_ENTRY_POINTS_BEFORE_PART_SIZE(X)                                                    \
    X(OpenThemeData) X(CloseThemeData) X(DrawThemeBackground) X(DrawThemeText)                  \
    X(GetThemeBackgroundContentRect) X(GetThemeBackgroundExtent) X(GetThemeTextExtent)          \
    X(GetThemeTextMetrics) X(GetThemeBackgroundRegion) X(HitTestThemeBackground)                \
    X(DrawThemeEdge) X(DrawThemeIcon) X(IsThemePartDefined)                                     \
    X(IsThemeBackgroundPartiallyTransparent) X(GetThemeColor) X(GetThemeMetric)                 \
    X(GetThemeString) X(GetThemeBool) X(GetThemeInt) X(GetThemeEnumValue) X(GetThemePosition)   \
    X(GetThemeFont) X(GetThemeRect) X(GetThemeMargins) X(GetThemeIntList) X(SetWindowTheme)     \
    X(GetThemeFilename) X(GetThemeSysColor) X(GetThemeSysColorBrush) X(GetThemeSysBool)         \
    X(GetThemeSysSize) X(GetThemeSysFont) X(GetThemeSysString) X(GetThemeSysInt)                \
    X(IsThemeActive) X(IsAppThemed) X(GetWindowTheme) X(EnableThemeDialogTexture)               \
    X(IsThemeDialogTextureEnabled) X(GetThemeAppProperties) X(SetThemeAppProperties)            \
    X(GetCurrentThemeName) X(GetThemeDocumentationProperty)
#define THEME_ENTRY_POINTS_AFTER_PART_SIZE(X) X(DrawThemeParentBackground) X(EnableTheming)
// clang-format on

// An entry-point variable with the signature of the uxtheme function of the same name.
#define THEME_DECLARE_ENTRY_POINT(name) extern decltype(&::name) name;
#define THEME_DEFINE_ENTRY_POINT(name) decltype(&::name) name = nullptr;
// A table row that stores a looked-up address in the variable (through the generic function
// type, which converts to any other).
#define THEME_ENTRY_SLOT(name)                                                              \
    ::draw::ThemeEntrySlot{                                                                 \
        #name, [](FARPROC address) {                                                        \
            name = reinterpret_cast<decltype(name)>(reinterpret_cast<void (*)()>(address)); \
        }},

namespace draw {

struct ThemeEntrySlot {
    const char* name;
    void (*store)(FARPROC address);
};

// The binding state of one module.
struct ThemeLibraryState {
    bool loaded = false;
    HMODULE handle = nullptr;
    int initCount = 0;
};

// Looks every slot's function up in `library` and stores it; a missing function stores null
// and the others are still bound. Returns the number of functions found.
int BindThemeEntryPoints(HMODULE library, std::span<const ThemeEntrySlot> slots);

// Loads "UXTHEME.DLL" and binds the slots, unless the state is loaded already. Without the
// library nothing is bound and the state stays unloaded.
void LoadThemeLibrary(ThemeLibraryState& state, std::span<const ThemeEntrySlot> slots);
// Frees a loaded library and clears the flag; the variables keep their values, but none may
// be called afterwards.
void UnloadThemeLibrary(ThemeLibraryState& state);

// Module start-up: loads on the first initialization. Shut-down: unloads when the count of
// initializations returns to zero.
void InitializeThemeBinding(ThemeLibraryState& state, std::span<const ThemeEntrySlot> slots);
void FinalizeThemeBinding(ThemeLibraryState& state);

} // namespace draw
