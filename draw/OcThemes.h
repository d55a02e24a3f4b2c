// Painting a control's background either with a colour or, when visual styles are on, by letting
// the parent paint itself underneath (so a control that looks transparent shows its parent).
#pragma once

#include <windows.h>

#include "windows/Controls.h"

namespace draw {

// The rectangle that means "no clipping".
constexpr RECT NoClipRect{2147483647, 2147483647, 2147483647, 2147483647};

// The background painters ask the class library's theme services whether visual styles are on
// and let them paint the parent.

// PaintControlBackgroundColor with the canvas's brush colour.
void PaintControlBackground(classlib::TControl* control, classlib::TCanvas* canvas,
                            const RECT& rect, bool needsParentBackground);
// With themes on, a parent, the parent's colour and (when the control needs its parent's
// background) csParentBackground, the parent paints under the control; otherwise `rect` is
// filled with `color`.
void PaintControlBackgroundColor(classlib::TControl* control, classlib::TCanvas* canvas,
                                 const RECT& rect, bool needsParentBackground,
                                 classlib::TColor color);
// Sends WM_ERASEBKGND to the parent with the device context moved by `offset` (when either
// coordinate is non-zero) and clipped to `rect` (unless it is NoClipRect); the context's origin
// and clipping are put back afterwards.
void PaintParentBackgroundAt(classlib::TControl* control, HDC dc, POINT offset, const RECT& rect);
// The same at the control's own position.
void PaintParentBackground(classlib::TControl* control, HDC dc, const RECT& rect);
// The control's csNeedsBorderPaint and csParentBackground flags.
classlib::TControlStyle ParentBackgroundStyleBits(classlib::TControl* control);

} // namespace draw
