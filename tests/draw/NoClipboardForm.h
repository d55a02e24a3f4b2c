#pragma once
// The pictures that have no clipboard form: asked through the graphic class, they hand over no
// data and take none, raising nothing.
#include <windows.h>

#include "windows/Images.h"

namespace drawtest {

// Asks `graphic` for its clipboard form, then offers it a bitmap. True when it handed over no
// data; the caller checks that the offered bitmap changed nothing.
inline bool HandsOverNoClipboardData(classlib::TGraphic& graphic)
{
    UINT format = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    graphic.SaveToClipboardFormat(format, data, palette);
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    graphic.LoadFromClipboardFormat(CF_BITMAP, bitmap, nullptr);
    DeleteObject(bitmap);
    return data == nullptr;
}

} // namespace drawtest
