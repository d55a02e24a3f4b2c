#include "OcControlUtilsWin.h"

#include "windows/ImageLists.h"
#include "OcControlUtils.h"
#include "windows/Screen.h"

namespace storage {

namespace {

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

constexpr classlib::TCursor CrMultiDrag = -16;
constexpr classlib::TCursor CrDrag = -12;

} // namespace

void PaintStepGradient(classlib::TCanvas& canvas, const RECT& rect, classlib::TColor startColor,
                       uint8_t stepCount, uint8_t direction, classlib::TColor endColor)
{
    canvas.Lock();
    try {
        HDC dc = canvas.Handle();
        const bool nothing = (startColor == classlib::clNone && endColor == classlib::clNone) ||
                             (IsRectEmpty(&rect) && GetMapMode(dc) == MM_TEXT);
        if (!nothing) {
            const bool vertical = direction == 0 || direction == 1;
            const int start = vertical ? rect.top : rect.left;
            const int extent = vertical ? rect.bottom - rect.top : rect.right - rect.left;
            canvas.Pen()->SetStyle(classlib::psSolid);
            canvas.Pen()->SetMode(classlib::pmCopy);
            const auto bands =
                PlanStepGradient(start, extent, classlib::ColorToRGB(startColor), stepCount,
                                 direction, classlib::ColorToRGB(endColor));
            for (const auto& band : bands) {
                RECT part = rect;
                (vertical ? part.top : part.left) = band.from;
                (vertical ? part.bottom : part.right) = band.to;
                HBRUSH brush = CreateSolidBrush(band.color);
                FillRect(dc, &part, brush);
                DeleteObject(brush);
            }
        }
    } catch (...) {
        canvas.Unlock();
        throw;
    }
    canvas.Unlock();
}

bool ThreadOwnsActiveWindow()
{
    ActiveWindowSearch search{GetActiveWindow(), false};
    if (!search.active)
        return false;
    EnumThreadWindows(GetCurrentThreadId(), MatchActiveWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void AssignFontParts(classlib::TFont& target, const classlib::TFont& source, uint8_t options)
{
    if (!(options & fpoEnabled))
        return;
    if (!(options & fpoKeepCharset))
        target.SetCharset(source.Charset());
    if (!(options & fpoKeepColor))
        target.SetColor(source.Color());
    if (!(options & fpoKeepHeight))
        target.SetHeight(source.Height());
    if (!(options & fpoKeepName))
        target.SetName(source.Name());
    if (!(options & fpoKeepPitch))
        target.SetPitch(source.Pitch());
    if (!(options & fpoKeepStyle))
        target.SetStyle(source.Style());
}

bool RelinkImageList(classlib::TComponent* owner, classlib::TCustomImageList* imageList,
                     classlib::TCustomImageList*& reference, classlib::TChangeLink* changeLink)
{
    if (imageList == reference || !owner)
        return false;
    if (reference) {
        reference->RemoveFreeNotification(owner);
        if (changeLink)
            reference->UnRegisterChanges(changeLink);
    }
    reference = imageList;
    if (imageList) {
        if (changeLink)
            imageList->RegisterChanges(changeLink);
        imageList->FreeNotification(owner);
    }
    return true;
}

void RegisterExtraDragCursors()
{
    if (!classlib::Screen)
        return;
    // Failures only leave the numbers unregistered.
    try {
        const classlib::TCursor standsFor[] = {CrMultiDrag, CrDrag, CrMultiDrag, CrMultiDrag};
        for (int i = 0; i < 4; ++i)
            classlib::Screen->SetCursors(368 + i, classlib::Screen->Cursors(standsFor[i]));
    } catch (...) {
    }
}

} // namespace storage
