// The GDI primitives office menus paint every surface with: a line-by-line linear gradient,
// gradient parts that join into one gradient across items painted one at a time, boxes with a
// frame and a second ("mirror") gradient in their lower half, band gradients for separators
// and the side-bar splitter, and a background composed in a cache bitmap.
#pragma once

#include "menus/AdvMenuAppearance.h"

namespace menus {

using classlib::TCanvas;

// The colour of line `t` of a gradient of `length` lines from `start` to `end` (per channel,
// start + t x (end - start) / length, truncating toward zero).
TColor GradientColorAt(TColor start, TColor end, int t, int length);

// One-pixel lines per row (vertical) or column (horizontal); end clNone means solid.
void FillGradient(TCanvas* canvas, const RECT& r, TGradientDirection direction, TColor start,
                  TColor end);
// The part of the gradient over `full` that falls into `part`.
void DrawGradientPart(TCanvas* canvas, const RECT& full, TGradientDirection direction, TColor start,
                      TColor end, const RECT& part);
void DrawBox(TCanvas* canvas, const RECT& r, bool fill, TColor border, TGradientDirection direction,
             TColor color, TColor colorTo);
// With a mirror colour the upper half (top to top + height / 2) runs color to colorTo and the
// rest mirror to mirrorTo.
void DrawMirrorBox(TCanvas* canvas, const RECT& r, bool fill, TColor border,
                   TGradientDirection direction, TColor color, TColor colorTo, TColor mirror,
                   TColor mirrorTo);
void DrawBandGradient(TCanvas* canvas, RECT r, bool horizontal, int margin, int band,
                      TGradientType type, TColor color, TColor colorTo);
// Composes the background (gradient when `fill`, then its picture) in its cache bitmap and
// draws that at `r` shrunk by the margins.
void DrawMenuBackground(TCanvas* canvas, RECT r, TBackground* background, bool fill);

} // namespace menus
