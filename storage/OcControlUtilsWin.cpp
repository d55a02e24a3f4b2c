#include "OcControlUtilsWin.h"

#include "OcControlUtils.h"

namespace storage {

namespace {

constexpr uint32_t ClNone = 0x1FFFFFFF;

// 0xFF000000 + index is a system colour; everything else is RGB in its low three bytes.
uint32_t ColorToRgb(uint32_t color)
{
    if ((color & 0xFF000000) == 0xFF000000)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0x00FFFFFF;
}

struct ActiveWindowSearch {
    HWND active;
    bool found;
};

BOOL CALLBACK MatchActiveWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ActiveWindowSearch*>(param);
    if (window == search->active) {
        search->found = true;
        return FALSE; // stop at the first match
    }
    return TRUE;
}

} // namespace

void PaintStepGradient(HDC dc, const RECT& rect, uint32_t startColor, uint8_t stepCount,
                       uint8_t direction, uint32_t endColor)
{
    if (startColor == ClNone && endColor == ClNone)
        return;
    if (IsRectEmpty(&rect) && GetMapMode(dc) == MM_TEXT)
        return;
    const bool vertical = direction == 0 || direction == 1;
    const int start = vertical ? rect.top : rect.left;
    const int extent = vertical ? rect.bottom - rect.top : rect.right - rect.left;
    const auto bands = PlanStepGradient(start, extent, ColorToRgb(startColor), stepCount, direction,
                                        ColorToRgb(endColor));
    for (const auto& band : bands) {
        RECT part = rect;
        if (vertical) {
            part.top = band.from;
            part.bottom = band.to;
        } else {
            part.left = band.from;
            part.right = band.to;
        }
        HBRUSH brush = CreateSolidBrush(band.color);
        FillRect(dc, &part, brush);
        DeleteObject(brush);
    }
}

bool ThreadOwnsActiveWindow()
{
    ActiveWindowSearch search{GetActiveWindow(), false};
    if (!search.active)
        return false;
    EnumThreadWindows(GetCurrentThreadId(), MatchActiveWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace storage
