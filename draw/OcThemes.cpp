#include "draw/OcThemes.h"

#include "windows/Themes.h"

using namespace classlib;

namespace draw {

void PaintControlBackground(TControl* control, TCanvas* canvas, const RECT& rect,
                            bool needsParentBackground)
{
    PaintControlBackgroundColor(control, canvas, rect, needsParentBackground,
                                canvas->Brush()->Color());
}

void PaintControlBackgroundColor(TControl* control, TCanvas* canvas, const RECT& rect,
                                 bool needsParentBackground, TColor color)
{
    TWinControl* parent = control->Parent();
    const bool parentPaints =
        ThemeServices()->ThemesEnabled() && parent &&
        (color == parent->Color() || ColorToRGB(color) == ColorToRGB(parent->Color())) &&
        (!needsParentBackground || control->ControlStyle().Contains(csParentBackground));
    if (parentPaints) {
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (windowed && !windowed->DoubleBuffered())
            ThemeServices()->DrawParentBackground(windowed->Handle(), canvas->Handle(), &rect);
        else
            PaintParentBackground(control, canvas->Handle(), rect);
        return;
    }
    const TColor previous = canvas->Brush()->Color();
    canvas->Brush()->SetColor(color);
    canvas->FillRect(rect);
    canvas->Brush()->SetColor(previous);
}

void PaintParentBackgroundAt(TControl* control, HDC dc, POINT offset, const RECT& rect)
{
    TWinControl* parent = control->Parent();
    if (!parent)
        return;
    // Moved when either coordinate is non-zero (a control at the parent's left or top edge has
    // one zero coordinate and still needs the other).
    const bool moveOrigin = offset.x != 0 || offset.y != 0;
    POINT savedOrigin{};
    if (moveOrigin) {
        GetWindowOrgEx(dc, &savedOrigin);
        if (dynamic_cast<TWinControl*>(control))
            SetWindowOrgEx(dc, savedOrigin.x + offset.x, savedOrigin.y + offset.y, nullptr);
        else
            SetWindowOrgEx(dc, -offset.x, -offset.y, nullptr);
    }
    const bool clip = !EqualRect(&rect, &NoClipRect);
    HRGN savedClip = nullptr;
    if (clip) {
        savedClip = CreateRectRgn(0, 0, 0, 0);
        if (GetClipRgn(dc, savedClip) != 1) {
            DeleteObject(savedClip);
            savedClip = nullptr;
        }
        HRGN region = CreateRectRgnIndirect(&rect);
        SelectClipRgn(dc, region);
        DeleteObject(region);
    }
    SendMessageA(parent->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(dc));
    if (moveOrigin)
        SetWindowOrgEx(dc, savedOrigin.x, savedOrigin.y, nullptr);
    if (clip) {
        // Without a clip region before, none is left behind.
        SelectClipRgn(dc, savedClip);
        if (savedClip)
            DeleteObject(savedClip);
    }
}

void PaintParentBackground(TControl* control, HDC dc, const RECT& rect)
{
    PaintParentBackgroundAt(control, dc, POINT{control->Left(), control->Top()}, rect);
}

TControlStyle ParentBackgroundStyleBits(TControl* control)
{
    return control->ControlStyle() * TControlStyle{csNeedsBorderPaint, csParentBackground};
}

} // namespace draw
