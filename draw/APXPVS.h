// APXPVS: the styled panel's theme binding (OpenThemeData, CloseThemeData, DrawThemeBackground and
// IsThemeActive are what the panel calls); it also binds GetThemePartSize.
#pragma once

#include "ThemeBinding.h"

namespace draw::apxpvs {

THEME_ENTRY_POINTS_BEFORE_PART_SIZE(THEME_DECLARE_ENTRY_POINT)
THEME_DECLARE_ENTRY_POINT(GetThemePartSize)
THEME_ENTRY_POINTS_AFTER_PART_SIZE(THEME_DECLARE_ENTRY_POINT)

// Whether uxtheme.dll is loaded, and its handle (null when not).
bool ThemeLibraryLoaded();
HMODULE ThemeLibraryHandle();

// Loads the library and binds the entry points; a second call while loaded does nothing.
void LoadThemeLibrary();
// Frees the library when it is loaded.
void UnloadThemeLibrary();

// Module start-up (loads on the first initialization) and shut-down (unloads when the
// initialization count returns to zero).
void ThemeBindingInitialize();
void ThemeBindingFinalize();

} // namespace draw::apxpvs
