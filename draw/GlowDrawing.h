// The drawing helpers of the glow look, shared by the glow button and the toolbar and status-bar
// helper sets: colour blending and brightness, stepped GDI gradients, the two-half glow fill,
// anti-aliased rounded borders of whole buttons and of button-group members, the dotted focus
// frame, the small drop-down arrow and a picture's bytes drawn into a rectangle.
//
// Shapes are X, Y, W, H in pixels, an edge running from X to X + W. Every routine creates its
// own GDI+ pens, paths and brushes and frees them before it returns; the TGPGraphics is the
// caller's, and its smoothing mode is left as it is.
#pragma once

#include <windows.h>

#include "draw/AdvGDIP.h"
#include "draw/DrawMath.h"
#include "windows/Graphics.h"
#include "windows/Images.h"

namespace draw {

enum TGDIPGradient { ggRadial, ggVertical, ggDiagonalForward, ggDiagonalBackward };
enum TButtonPosition { bpStandalone, bpLeft, bpMiddle, bpRight };
CLASSLIB_ENUM(TGDIPGradient);
CLASSLIB_ENUM(TButtonPosition);

// Percent >= 100 gives color1 as given, <= 0 color2 as given (system colours stay references);
// otherwise each channel of the RGB values is mixed.
classlib::TColor BlendColors(classlib::TColor color1, classlib::TColor color2, int percent);
// A negative percent darkens every channel by that much; a positive one only lifts zero
// channels to the percentage.
classlib::TColor AdjustBrightness(classlib::TColor color, int percent);
classlib::TColor AdjustChannelBrightness(classlib::TColor color, int percentRed, int percentGreen,
                                         int percentBlue);

// `steps` GDI bands (0 counts as 1) from `fromColor` towards `toColor` across `r`, each one
// pixel longer than its step so that they overlap.
void DrawStepGradient(classlib::TCanvas* canvas, classlib::TColor fromColor,
                      classlib::TColor toColor, int steps, const RECT& r, bool horizontal);

// The closed rounded-rectangle outline of radius `r` (straight edges stop 2r before the far
// corner) added to `path`.
void AddRoundRectOutline(TGPGraphicsPath& path, int x, int y, int w, int h, int r);

// Corner 0: the plain rectangle; else the rounded outline.
void DrawRoundRectBorder(TGPGraphics* graphics, classlib::TColor color, int x, int y, int w, int h,
                         int corner);
void DrawDottedRoundRect(TGPGraphics* graphics, classlib::TColor color, int x, int y, int w, int h,
                         int corner);
// Borders of the first, inner and last button of a group; `flag` chooses the left edge of the
// inner and last ones (set: a darker line; clear: a short light inner line).
void DrawLeftPartBorder(TGPGraphics* graphics, classlib::TColor color, int x, int y, int w, int h,
                        int corner);
void DrawMiddlePartBorder(TGPGraphics* graphics, classlib::TColor color, int x, int y, int w, int h,
                          int corner, bool flag);
void DrawRightPartBorder(TGPGraphics* graphics, classlib::TColor color, int x, int y, int w, int h,
                         int corner, bool flag);

// One half of a glow face. The rectangle's Right and Bottom serve as width and height of the
// fill and of the ellipse, so a lower half reaches below the button (the control clips it).
void DrawGlowFill(TGPGraphics* graphics, const RECT& r, classlib::TColor fromColor,
                  classlib::TColor toColor, TGDIPGradient gradient, bool upper);

// A 5-pixel arrow at `p`, pointing down or right, its edge pixels in `aaColor`.
void DrawDropDownArrow(classlib::TCanvas* canvas, POINT p, classlib::TColor color,
                       classlib::TColor aaColor, bool down);

// Any graphic's saved bytes drawn scaled into `r`: BMP data through the canvas (with its
// automatic transparent colour left out), anything else through GDI+.
void DrawPictureStretched(TGPGraphics* graphics, classlib::TCanvas* canvas, const RECT& r,
                          classlib::TGraphic* graphic);

// Internal to the helper sets: the bands of a stepped gradient painted on a canvas; with
// `lineWhenNarrow`, a vertical gradient at most one pixel wide is drawn as one line a band.
void PaintGradientBands(classlib::TCanvas* canvas, classlib::TColor fromColor,
                        classlib::TColor toColor, int steps, const RECT& r, bool horizontal,
                        bool lineWhenNarrow);

} // namespace draw
