// The Windows XP colour scheme that the stylers' automatic presets follow: the scheme's name as
// a number (portable), and on Windows the active scheme asked of the visual-styles library.
#pragma once

#include <string_view>

namespace draw {

// "NormalColor" 1 (blue), "HomeStead" 2 (olive), "Metallic" 3 (silver), compared
// case-sensitively; any other name 0.
int XPColorSchemeNumber(std::string_view schemeName);

#ifdef _WIN32
// Windows XP or later: a major version above 5, or 5 with a minor version of 1 or more.
bool IsWinXPOrLater();
// The number of the active colour scheme; 0 before Windows XP, without "uxtheme.dll" or its
// functions, without an active theme or when the theme name cannot be read.
int GetXPThemeColorName();
#endif

} // namespace draw
