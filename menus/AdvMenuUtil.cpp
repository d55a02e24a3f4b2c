#include "menus/AdvMenuUtil.h"

#include "core/SysUtils.h"

#include <cstring>

namespace menus {

using namespace classlib;

TUpdateLayeredWindow UpdateLayeredWindowRoutine = nullptr;
TSetLayeredWindowAttributes SetLayeredWindowAttributesRoutine = nullptr;
bool LayeredWindowsAvailable = false;

namespace {
int utilStartCount = 0;
}

void RaiseInvalidPropertyIndex(int index)
{
    throw EInvalidPropertyIndex(Format("Invalid property index %d.", {index}));
}

HFONT CreateRotatedFont(TFont* font, int angle)
{
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof(lf));
    lf.lfHeight = font->Height();
    lf.lfWidth = 0;
    lf.lfEscapement = angle * 10;
    lf.lfOrientation = 0;
    const TFontStyles style = font->Style();
    lf.lfWeight = style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style.Contains(fsItalic) ? 1 : 0;
    lf.lfUnderline = style.Contains(fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = style.Contains(fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(lf.lfFaceName, font->Name().c_str(), LF_FACESIZE - 1);
    static constexpr BYTE pitchFamily[] = {0, VARIABLE_PITCH,
                                           FIXED_PITCH}; // fpDefault, fpVariable, fpFixed
    lf.lfPitchAndFamily = pitchFamily[font->Pitch()];
    return CreateFontIndirectA(&lf);
}

void CenterSizeInRect(RECT& r, int width, int height)
{
    // C++ division truncates toward zero, as the rule asks.
    const int cx = (r.left + r.right + width) / 2;
    const int cy = (r.top + r.bottom + height) / 2;
    r.right = cx;
    r.left = cx - width;
    r.bottom = cy;
    r.top = cy - height;
}

RECT BitmapBounds(TBitmap* bitmap)
{
    if (!bitmap)
        return RECT{0, 0, 0, 0};
    return RECT{0, 0, bitmap->Width(), bitmap->Height()};
}

void SplitRGB(TColor color, int& red, int& green, int& blue)
{
    const TColor rgb = ColorToRGB(color);
    red = static_cast<int>(rgb & 0xFF);
    green = static_cast<int>((rgb >> 8) & 0xFF);
    blue = static_cast<int>((rgb >> 16) & 0xFF);
}

void AdvMenuUtilInitialize()
{
    if (utilStartCount++ != 0)
        return;
    LayeredWindowsAvailable = false;
    if (HMODULE user32 = LoadLibraryA("user32.dll")) {
        UpdateLayeredWindowRoutine = reinterpret_cast<TUpdateLayeredWindow>(
            reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindow")));
        SetLayeredWindowAttributesRoutine = reinterpret_cast<TSetLayeredWindowAttributes>(
            reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
        // user32 stays loaded through the program's own imports.
        FreeLibrary(user32);
        LayeredWindowsAvailable = SetLayeredWindowAttributesRoutine != nullptr;
    }
}

void AdvMenuUtilFinalize()
{
    if (utilStartCount > 0)
        --utilStartCount;
}

} // namespace menus
