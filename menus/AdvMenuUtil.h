// Small routines of the office menus: rectangle arithmetic, colour channels, a rotated copy
// of a font, the exception of the appearance objects' indexed properties, and the module's
// start-up lookup of the layered-window routines of user32.
#pragma once

#include <windows.h>

#include "core/Exceptions.h"
#include "windows/Graphics.h"
#include "windows/Images.h"

namespace menus {

// Raised by the indexed colour properties of the appearance objects for an index they do not
// know, with "Invalid property index %d.".
using classlib::Exception;
CLASSLIB_DECLARE_EXCEPTION(EInvalidPropertyIndex, Exception);
[[noreturn]] void RaiseInvalidPropertyIndex(int index);

// A new GDI font like `font`, its base line turned by `angle` whole degrees (counter-clockwise).
// The caller selects and deletes it.
HFONT CreateRotatedFont(classlib::TFont* font, int angle);

inline int WidthOfRect(const RECT& r)
{
    return r.right - r.left;
}
inline int HeightOfRect(const RECT& r)
{
    return r.bottom - r.top;
}
// Turns `r` into a width x height rectangle on its old centre (halving toward zero).
void CenterSizeInRect(RECT& r, int width, int height);
// (0, 0, Width, Height) of the bitmap; empty for nullptr.
RECT BitmapBounds(classlib::TBitmap* bitmap);
// Red, green and blue of the colour (system colours resolved first).
void SplitRGB(classlib::TColor color, int& red, int& green, int& blue);
// b3 << 24 | b2 << 16 | b1 << 8 | b0: with b3 = 0 a colour from red b0, green b1, blue b2.
inline uint32_t PackBytes(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    return static_cast<uint32_t>(b3) << 24 | static_cast<uint32_t>(b2) << 16 |
           static_cast<uint32_t>(b1) << 8 | b0;
}
inline int IntMin(int a, int b)
{
    return a < b ? a : b;
}
inline int IntMax(int a, int b)
{
    return a > b ? a : b;
}

// The layered-window routines of user32 found at start-up (nullptr when missing); nothing in
// the program calls them, they are there for translucent menu windows.
using TUpdateLayeredWindow = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                           BLENDFUNCTION*, DWORD);
using TSetLayeredWindowAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
extern TUpdateLayeredWindow UpdateLayeredWindowRoutine;
extern TSetLayeredWindowAttributes SetLayeredWindowAttributesRoutine;
extern bool LayeredWindowsAvailable;

// Module start-up and shut-down (counted: the body runs on the first start-up and the last
// shut-down).
void AdvMenuUtilInitialize();
void AdvMenuUtilFinalize();

} // namespace menus
