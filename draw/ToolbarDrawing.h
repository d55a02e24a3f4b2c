// The toolbar, dock-panel and pager family's drawing helpers: stepped and two-part ("mirror")
// gradients, GDI+ strokes with a caller's pen, a 3D bevel line, captions with an underlined
// accelerator for downward-running text, two text painters, a colour darkener, rectangle
// centring and the glyphs of caption buttons. The glow routines they share are GlowDrawing's.
#pragma once

#include <windows.h>

#include <string>

#include "draw/GlowDrawing.h"
#include "draw/PanelDrawing.h"

namespace draw {

// DrawStepGradient over `r` pulled in by one pixel at its far edge in the gradient's direction.
void DrawStepGradientInner(classlib::TCanvas* canvas, classlib::TColor fromColor,
                           classlib::TColor toColor, int steps, const RECT& r, bool horizontal);
// A 40-band top part of `topHeight` + 1 rows and a 40-band rest, then (unless clNone) an
// anti-aliased border, rounded with `cornerSize` when it is above 0.
void DrawMirrorGradient(classlib::TCanvas* canvas, const RECT& r, int topHeight,
                        classlib::TColor color, classlib::TColor colorTo,
                        classlib::TColor colorMirror, classlib::TColor colorMirrorTo,
                        classlib::TColor borderColor, int cornerSize);
// A white and a clBtnShadow line pair around the line from p1 to p2 (swapped unless raised).
void DrawBevelLine(classlib::TCanvas* canvas, POINT p1, POINT p2, bool raised, bool vertical);
// The text without its accelerator marks at `p` (in a font rotated to run downwards), its
// accelerator character underlined left of the text.
void DrawAccelText(classlib::TCanvas* canvas, const std::string& text, POINT p);
void CenterRect(RECT& r, int width, int height);
// Every channel scaled by (100 - percent) %, limited to 0..255.
classlib::TColor DarkenColor(classlib::TColor color, int percent);

void DrawGPLine(TGPGraphics* graphics, TGPPen* pen, int x, int y, int dx, int dy);
void DrawGPArc(TGPGraphics* graphics, TGPPen* pen, int x, int y, int w, int h, float startAngle,
               float sweepAngle, bool close);
void DrawGPRoundRect(TGPGraphics* graphics, TGPPen* pen, int x, int y, int w, int h, int corner);
void DrawGPRectangle(TGPGraphics* graphics, TGPPen* pen, int x, int y, int w, int h);
// The rounded outline in a 1-pixel pen, whatever the corner.
void DrawRoundedBorder(TGPGraphics* graphics, classlib::TColor color, int x, int y, int w, int h,
                       int corner);

// DrawPanelText with GDI measuring that interprets "&", no path ellipsis, "Arial" when the
// font's family is unknown, the font's style, and the accelerator underlined.
void DrawCaptionText(classlib::TCanvas* canvas, int alignment, UINT format, const RECT& r,
                     const std::string& caption, const std::wstring& wideCaption,
                     classlib::TFont* font, bool enabled, bool doDraw, int antiAlias, bool ellipsis,
                     bool wordWrap, RECT& textRect);
// Measures the caption (or the wide caption when the caption is empty) in `r` into `textRect`
// and, with doDraw, draws it: GDI+ with anti-aliasing, else GDI on one line.
void DrawButtonCaption(classlib::TCanvas* canvas, int alignment, const RECT& r,
                       const std::string& caption, const std::wstring& wideCaption,
                       classlib::TFont* font, bool enabled, bool doDraw, int antiAlias,
                       RECT& textRect);

void DrawCloseGlyph(classlib::TCanvas* canvas, const RECT& r, classlib::TColor color, int size);
void DrawRestoreGlyph(classlib::TCanvas* canvas, const RECT& r, classlib::TColor color,
                      bool centred);
void DrawMaximizeGlyph(classlib::TCanvas* canvas, const RECT& r, classlib::TColor color,
                       bool centred);
void DrawMinimizeGlyph(classlib::TCanvas* canvas, const RECT& r, classlib::TColor color,
                       bool centred);

} // namespace draw
