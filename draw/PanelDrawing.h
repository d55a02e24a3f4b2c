// The status bar's drawing helpers: a panel text painter (GDI+ for outline fonts with
// anti-aliasing, else GDI), path and end ellipsis on a canvas, solid fills, a narrow-aware
// stepped gradient, the two-part gradient background with its frame, and the level-coloured
// progress gauge with optional segments and a value caption.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "draw/CaptionText.h"
#include "draw/GlowDrawing.h"
#include "windows/Graphics.h"

namespace draw {

// Everything one gauge shows.
struct TGaugeSettings {
    classlib::TColor Level0Color = classlib::clNone;
    classlib::TColor Level0ColorTo = classlib::clNone;
    classlib::TColor Level1Color = classlib::clNone;
    classlib::TColor Level1ColorTo = classlib::clNone;
    classlib::TColor Level2Color = classlib::clNone;
    classlib::TColor Level2ColorTo = classlib::clNone;
    classlib::TColor Level3Color = classlib::clNone;
    classlib::TColor Level3ColorTo = classlib::clNone;
    int32_t Level1Perc = 0;
    int32_t Level2Perc = 0;
    classlib::TColor BorderColor = classlib::clNone;
    bool ShowBorder = false;
    bool Stacked = false;                // every level reached side by side
    bool ShowPercentage = false;         // a value caption instead of the panel text
    classlib::TFont* TextFont = nullptr; // not owned
    bool CompletionSmooth = false;       // no segment gaps
    bool ShowGradient = false;
    int32_t GradientSteps = 0;
    int32_t Position = 0;                           // value of a non-percent caption
    classlib::TColor BackGround = classlib::clNone; // clNone keeps what was painted before
    bool Vertical = false;
    bool IndicatePercent = false;
    std::string Suffix;
    std::string Prefix;
    std::string PanelText;
};

void ShortenPathToWidth(const std::string& path, classlib::TCanvas* canvas, int maxWidth,
                        std::string& result);
// Path or end ellipsis measured in the canvas font; empty when that fails.
void EllipsisText(bool pathMode, const std::string& text, classlib::TCanvas* canvas, int maxWidth,
                  std::string& result);
void FillRectColor(classlib::TCanvas* canvas, const RECT& r, classlib::TColor color);
// DrawStepGradient, except that a vertical gradient at most one pixel wide is a line a band.
void DrawStepGradientNarrow(classlib::TCanvas* canvas, classlib::TColor fromColor,
                            classlib::TColor toColor, int steps, const RECT& r, bool horizontal);
void DrawMirrorGradientFrame(classlib::TCanvas* canvas, const RECT& r, classlib::TColor color,
                             classlib::TColor colorTo, classlib::TColor colorMirror,
                             classlib::TColor colorMirrorTo, bool vertical,
                             classlib::TColor borderColor, bool gradient);
// The canvas font is a vector font (not a device font) that the screen lists.
bool IsOutlineFont(classlib::TCanvas* canvas);
// Alignment 0 left, 1 right, 2 centre; `format` GDI DrawText flags; antiAlias 0 none,
// 1 ClearType, 2 anti-aliased. Measures into `textRect` and, with doDraw, draws.
void DrawPanelText(classlib::TCanvas* canvas, int alignment, UINT format, const RECT& r,
                   std::string caption, classlib::TFont* font, bool enabled, bool doDraw,
                   int antiAlias, bool ellipsis, bool wordWrap, RECT& textRect);
void DrawGauge(classlib::TCanvas* canvas, RECT r, int percent, const TGaugeSettings& settings);
// Cuts the gaps of a segmented gauge part: restored from `snapshot` (the canvas under
// `gaugeRect` before painting) when the background is clNone, else filled with the brush.
void DrawGaugeSegments(classlib::TCanvas* canvas, const RECT& partRect, int percent,
                       classlib::TBitmap* snapshot, const RECT& gaugeRect,
                       const TGaugeSettings& settings);

// The GDI+ text painter behind DrawPanelText and the toolbar's DrawCaptionText, which differs
// in how it measures with GDI, shortens paths, falls back to "Arial", styles and shows "&".
struct TPanelTextStyle {
    UINT gdiMeasureFlags;
    bool pathEllipsis;
    bool arialFallback;
    bool fontStyle;
    int hotkeyPrefix;
};
void PaintPanelText(classlib::TCanvas* canvas, int alignment, UINT format, const RECT& r,
                    std::string caption, classlib::TFont* font, bool enabled, bool doDraw,
                    int antiAlias, bool ellipsis, bool wordWrap, RECT& textRect,
                    const TPanelTextStyle& style);

// A GDI+ font for a canvas font: its family (or "Arial" when `arialFallback` and the family or
// style is unknown), its point size and, when `styleMask` is not 0, its style bits within it.
struct TGPFontPair {
    std::unique_ptr<TGPFontFamily> family;
    std::unique_ptr<TGPFont> font;
};
TGPFontPair MakeGPFont(classlib::TFont* font, bool arialFallback, int styleMask);
// The canvas's context with the canvas font selected, for GDI text calls made on it directly.
HDC FontDC(classlib::TCanvas* canvas);
// The GDI+ text rendering hint of an anti-alias mode (1 ClearType grid-fit, 2 anti-alias);
// nothing for 0.
void ApplyTextHint(TGPGraphics* graphics, int antiAlias);

} // namespace draw
