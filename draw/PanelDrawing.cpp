#include "draw/PanelDrawing.h"

#include <algorithm>

#include "core/StringList.h"
#include "core/SysUtils.h"
#include "windows/Images.h"
#include "windows/Screen.h"

using namespace classlib;

namespace draw {

namespace {

float F(int value)
{
    return static_cast<float>(value);
}

TTextWidth WidthOn(TCanvas* canvas)
{
    return [canvas](const std::string& text) { return canvas->TextWidth(text); };
}

int StyleBits(TFont* font)
{
    static const struct {
        TFontStyle style;
        int bit;
    } bits[] = {{fsBold, 1}, {fsItalic, 2}, {fsUnderline, 4}, {fsStrikeOut, 8}};
    int result = 0;
    for (const auto& b : bits)
        if (font->Style().Contains(b.style))
            result |= b.bit;
    return result;
}

RECT Rounded(const TGPRectF& r)
{
    return RECT{RoundEven(r.X), RoundEven(r.Y), RoundEven(r.X + r.Width),
                RoundEven(r.Y + r.Height)};
}

} // namespace

HDC FontDC(TCanvas* canvas)
{
    canvas->TextExtent(std::string());
    return canvas->Handle();
}

TGPFontPair MakeGPFont(TFont* font, bool arialFallback, int styleMask)
{
    TGPFontPair pair;
    pair.family = TGPFontFamily::CreateFontFamilyFromName(AnsiToWide(font->Name()));
    const GpStatusCode status = pair.family->LastStatus();
    if (arialFallback && (status == 14 || status == 15))
        pair.family = TGPFontFamily::CreateFontFamilyFromName(L"Arial");
    pair.font = TGPFont::CreateFromFamily(pair.family.get(), static_cast<float>(font->Size()),
                                          StyleBits(font) & styleMask, 3);
    return pair;
}

void ApplyTextHint(TGPGraphics* graphics, int antiAlias)
{
    if (antiAlias == 1)
        graphics->SetTextRenderingHint(5);
    else if (antiAlias == 2)
        graphics->SetTextRenderingHint(4);
}

void ShortenPathToWidth(const std::string& path, TCanvas* canvas, int maxWidth, std::string& result)
{
    result = ShortenPathToWidth(path, WidthOn(canvas), maxWidth);
}

void EllipsisText(bool pathMode, const std::string& text, TCanvas* canvas, int maxWidth,
                  std::string& result)
{
    try {
        TEXTMETRICA metrics{};
        const int average = GetTextMetricsA(FontDC(canvas), &metrics) ? metrics.tmAveCharWidth : 0;
        result = EllipsisText(pathMode, text, WidthOn(canvas), average, maxWidth);
    } catch (const Exception&) {
        result.clear();
    }
}

void FillRectColor(TCanvas* canvas, const RECT& r, TColor color)
{
    canvas->Brush()->SetColor(color);
    canvas->FillRect(r);
}

void DrawStepGradientNarrow(TCanvas* canvas, TColor fromColor, TColor toColor, int steps,
                            const RECT& r, bool horizontal)
{
    PaintGradientBands(canvas, fromColor, toColor, steps, r, horizontal, true);
}

void DrawMirrorGradientFrame(TCanvas* canvas, const RECT& r, TColor color, TColor colorTo,
                             TColor colorMirror, TColor colorMirrorTo, bool vertical,
                             TColor borderColor, bool gradient)
{
    if (gradient && color != clNone) {
        if (colorMirror != clNone) {
            RECT first = r, second = r;
            if (vertical) {
                first.bottom = second.top = r.top + (r.bottom - r.top) / 2;
            } else {
                first.right = second.left = r.left + (r.right - r.left) / 2;
            }
            DrawStepGradientNarrow(canvas, color, colorTo, 128, first, !vertical);
            DrawStepGradientNarrow(canvas, colorMirror, colorMirrorTo, 128, second, !vertical);
        } else {
            DrawStepGradientNarrow(canvas, color, colorTo, 128, r, !vertical);
        }
    }
    if (borderColor != clNone) {
        canvas->Brush()->SetColor(borderColor);
        canvas->FrameRect(r);
    }
}

bool IsOutlineFont(TCanvas* canvas)
{
    if (!canvas)
        return false;
    TEXTMETRICA metrics{};
    if (!GetTextMetricsA(FontDC(canvas), &metrics))
        return false;
    const bool vector = (metrics.tmPitchAndFamily & TMPF_VECTOR) != 0;
    const bool device = (metrics.tmPitchAndFamily & TMPF_DEVICE) != 0;
    return vector && !device && Screen && Screen->Fonts()->IndexOf(canvas->Font()->Name()) >= 0;
}

void PaintPanelText(TCanvas* canvas, int alignment, UINT format, const RECT& r, std::string caption,
                    TFont* font, bool enabled, bool doDraw, int antiAlias, bool ellipsis,
                    bool wordWrap, RECT& textRect, const TPanelTextStyle& style)
{
    textRect = RECT{0, 0, 0, 0};
    if (caption.empty())
        return;
    canvas->Font()->SetName(font->Name());
    if (antiAlias == 0 || !IsOutlineFont(canvas)) {
        textRect = RECT{0, 0, 1000, 100};
        DrawTextA(FontDC(canvas), caption.c_str(), static_cast<int>(caption.size()), &textRect,
                  style.gdiMeasureFlags);
        if (doDraw) {
            RECT target = r;
            DrawTextA(FontDC(canvas), caption.c_str(), static_cast<int>(caption.size()), &target,
                      format);
        }
        return;
    }
    if (style.pathEllipsis && (format & DT_PATH_ELLIPSIS))
        EllipsisText(true, caption, canvas, r.right - r.left, caption);

    auto graphics = TGPGraphics::CreateFromHDC(canvas->Handle());
    TGPFontPair gpFont = MakeGPFont(font, style.arialFallback, style.fontStyle ? 0xF : 0);
    graphics->SetSmoothingMode(4);
    const TGPRectF layout =
        BuildRectF(F(r.left), F(r.top), F(r.right - r.left), F(r.bottom - r.top));
    const TGPRectF wide = BuildRectF(F(r.left), F(r.top), 1000, F(r.bottom - r.top));
    auto format0 = TGPStringFormat::CreateStringFormat(0, 0);
    auto brush = TGPSolidBrush::CreateSolidFill(ColorToGPColor(enabled ? font->Color() : 0x808080));
    static const int horizontal[] = {0, 2, 1}; // left near, right far, centre
    format0->SetStringFormatAlign(alignment >= 0 && alignment <= 2 ? horizontal[alignment] : 0);
    format0->SetStringFormatLineAlign(1);
    format0->SetStringFormatHotkeyPrefix(style.hotkeyPrefix);
    ApplyTextHint(graphics.get(), antiAlias);

    auto measure = [&](const std::string& text, const TGPRectF& in) {
        TGPRectF bounds;
        int fitted = 0, lines = 0;
        const std::wstring w = AnsiToWide(text);
        graphics->MeasureString(w, static_cast<int>(w.size()), gpFont.font.get(), in, format0.get(),
                                bounds, fitted, lines);
        return bounds;
    };
    const bool singleLine = ellipsis || !wordWrap;
    const TGPRectF measured = measure(caption, doDraw && singleLine ? wide : layout);
    textRect = Rounded(measured);
    if (!doDraw)
        return;
    const float width = F(r.right - r.left);
    if (measured.Width > width && singleLine) {
        const std::string suffix = ellipsis ? "..." : "";
        for (size_t tries = caption.size() + 1; tries > 0; --tries) {
            if (measure(caption + suffix, wide).Width <= width || caption.empty())
                break;
            caption.pop_back();
        }
        caption += suffix;
    }
    graphics->DrawAnsiString(caption, static_cast<int>(caption.size()), gpFont.font.get(), layout,
                             format0.get(), brush.get());
}

void DrawPanelText(TCanvas* canvas, int alignment, UINT format, const RECT& r, std::string caption,
                   TFont* font, bool enabled, bool doDraw, int antiAlias, bool ellipsis,
                   bool wordWrap, RECT& textRect)
{
    static const TPanelTextStyle panel{DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX, true, false,
                                       false, 0};
    PaintPanelText(canvas, alignment, format, r, std::move(caption), font, enabled, doDraw,
                   antiAlias, ellipsis, wordWrap, textRect, panel);
}

void DrawGaugeSegments(TCanvas* canvas, const RECT& partRect, int, TBitmap* snapshot,
                       const RECT& gaugeRect, const TGaugeSettings& settings)
{
    const TIntRect part{partRect.left, partRect.top, partRect.right, partRect.bottom};
    for (const TIntRect& gap : GaugeSegmentGaps(part)) {
        const RECT g{gap.Left, gap.Top, gap.Right, gap.Bottom};
        if (settings.BackGround == clNone) {
            const RECT source{g.left - gaugeRect.left, g.top - gaugeRect.top,
                              g.right - gaugeRect.left, g.bottom - gaugeRect.top};
            canvas->CopyRect(g, snapshot->Canvas(), source);
        } else {
            canvas->FillRect(g);
        }
    }
}

void DrawGauge(TCanvas* canvas, RECT r, int percent, const TGaugeSettings& s)
{
    const RECT given = r;
    TBitmap snapshot;
    snapshot.SetPixelFormat(pf32bit);
    snapshot.SetSize(r.right - r.left, r.bottom - r.top);
    snapshot.Canvas()->CopyRect(RECT{0, 0, r.right - r.left, r.bottom - r.top}, canvas, r);

    if (s.BackGround != clNone)
        canvas->Brush()->SetColor(s.BackGround);
    if (s.ShowBorder) {
        canvas->Pen()->SetColor(s.BorderColor);
        canvas->Pen()->SetWidth(1);
        canvas->Pen()->SetStyle(psSolid);
        InflateRect(&r, -1, -1);
    } else if (s.BackGround != clNone) {
        canvas->Pen()->SetColor(s.BackGround);
    }
    if (s.BackGround != clNone) {
        canvas->Rectangle(r);
    } else if (s.ShowBorder) {
        canvas->Brush()->SetStyle(bsClear);
        canvas->Rectangle(r);
        canvas->Brush()->SetStyle(bsSolid);
    }
    const int extent = given.right - given.left - (s.ShowBorder ? 4 : 2);

    const TColor colors[4][2] = {{s.Level0Color, s.Level0ColorTo},
                                 {s.Level1Color, s.Level1ColorTo},
                                 {s.Level2Color, s.Level2ColorTo},
                                 {s.Level3Color, s.Level3ColorTo}};
    const TGaugeGeometry geometry{s.Level1Perc, s.Level2Perc, s.Stacked, s.CompletionSmooth};
    for (const TGaugePart& part :
         GaugeParts({r.left, r.top, r.right, r.bottom}, extent, percent, geometry)) {
        const RECT pr{part.Rect.Left, part.Rect.Top, part.Rect.Right, part.Rect.Bottom};
        const TColor color = colors[part.Level][0], colorTo = colors[part.Level][1];
        if (s.ShowGradient) {
            RECT first = pr, second = pr;
            const bool sideBySide = s.Vertical && s.CompletionSmooth && !s.Stacked;
            if (sideBySide)
                first.right = second.left = pr.left + (pr.right - pr.left) / 2;
            else
                first.bottom = second.top = pr.top + (pr.bottom - pr.top) / 2;
            DrawStepGradientNarrow(canvas, colorTo, color, s.GradientSteps, first, sideBySide);
            DrawStepGradientNarrow(canvas, color, colorTo, s.GradientSteps, second, sideBySide);
        } else {
            FillRectColor(canvas, pr, colors[part.FlatLevel][0]);
        }
        if (part.Segmented) {
            if (s.BackGround != clNone)
                canvas->Brush()->SetColor(s.BackGround);
            const RECT gaps{part.GapRect.Left, part.GapRect.Top, part.GapRect.Right,
                            part.GapRect.Bottom};
            DrawGaugeSegments(canvas, gaps, percent, &snapshot, given, s);
        }
    }

    std::string text;
    if (s.ShowPercentage)
        text = s.IndicatePercent || s.Vertical ? IntToStr(percent) + "%"
                                               : s.Prefix + IntToStr(s.Position) + s.Suffix;
    else
        text = s.PanelText;
    if (text.empty())
        return;
    canvas->Brush()->SetStyle(bsClear);
    if (s.TextFont) {
        canvas->Font()->SetName(s.TextFont->Name());
        canvas->Font()->SetSize(s.TextFont->Size());
        canvas->Font()->SetColor(s.TextFont->Color());
        canvas->Font()->SetStyle(s.TextFont->Style());
    }
    const SIZE size = canvas->TextExtent(text);
    const int midX = r.left + (r.right - r.left) / 2, midY = r.top + (r.bottom - r.top) / 2;
    if (!s.Vertical) {
        canvas->TextOut(midX - size.cx / 2, midY - size.cy / 2, text);
    } else {
        // Text rising at 90 degrees: a copy of the canvas font turned by its escapement.
        LOGFONTA logFont{};
        GetObjectA(canvas->Font()->Handle(), sizeof logFont, &logFont);
        logFont.lfEscapement = logFont.lfOrientation = 900;
        HFONT rotated = CreateFontIndirectA(&logFont);
        HDC dc = canvas->Handle();
        HGDIOBJ previous = SelectObject(dc, rotated);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(canvas->Font()->Color()));
        TextOutA(dc, midX - size.cy / 2, midY + size.cx / 2, text.c_str(),
                 static_cast<int>(text.size()));
        SelectObject(dc, previous);
        DeleteObject(rotated);
    }
    canvas->Brush()->SetStyle(bsSolid);
}

} // namespace draw
