#include "draw/ToolbarDrawing.h"

#include <vector>

using namespace classlib;

namespace draw {

namespace {

float F(int value)
{
    return static_cast<float>(value);
}

void Polyline(TCanvas* canvas, std::initializer_list<POINT> points)
{
    bool first = true;
    for (const POINT& p : points) {
        if (first)
            canvas->MoveTo(p.x, p.y);
        else
            canvas->LineTo(p.x, p.y);
        first = false;
    }
}

// One glyph: line sequences of (x, y) offsets.
using Sequences = std::vector<std::vector<POINT>>;

void DrawSequences(TCanvas* canvas, TColor color, const Sequences& sequences, POINT origin,
                   bool mirrored)
{
    canvas->Pen()->SetColor(color);
    for (const auto& sequence : sequences) {
        bool first = true;
        for (const POINT& p : sequence) {
            // The other variant gives points as (Right - u, Top + v).
            const int x = mirrored ? origin.x - p.x : origin.x + p.x;
            const int y = origin.y + p.y;
            if (first)
                canvas->MoveTo(x, y);
            else
                canvas->LineTo(x, y);
            first = false;
        }
    }
}

} // namespace

void DrawStepGradientInner(TCanvas* canvas, TColor fromColor, TColor toColor, int steps,
                           const RECT& r, bool horizontal)
{
    RECT inner = r;
    if (horizontal)
        --inner.right;
    else
        --inner.bottom;
    DrawStepGradient(canvas, fromColor, toColor, steps, inner, horizontal);
}

void DrawMirrorGradient(TCanvas* canvas, const RECT& r, int topHeight, TColor color, TColor colorTo,
                        TColor colorMirror, TColor colorMirrorTo, TColor borderColor,
                        int cornerSize)
{
    const RECT top{r.left, r.top, r.right, r.top + topHeight + 1};
    const RECT bottom{r.left, r.top + topHeight, r.right, r.bottom};
    DrawStepGradientInner(canvas, color, colorTo, 40, top, false);
    DrawStepGradientInner(canvas, colorMirror, colorMirrorTo, 40, bottom, false);
    if (borderColor == clNone)
        return;
    auto graphics = TGPGraphics::CreateFromHDC(canvas->Handle());
    auto pen = TGPPen::CreatePen1(ColorToGPColor(borderColor), 1.0f);
    graphics->SetSmoothingMode(4);
    if (cornerSize > 0)
        DrawGPRoundRect(graphics.get(), pen.get(), r.left, r.top, r.right - r.left - 1,
                        r.bottom - r.top - 1, cornerSize);
    else
        DrawGPRectangle(graphics.get(), pen.get(), r.left, r.top, r.right - r.left - 1,
                        r.bottom - r.top - 1);
}

void DrawBevelLine(TCanvas* canvas, POINT p1, POINT p2, bool raised, bool vertical)
{
    const TColor a = raised ? clWhite : clBtnShadow;
    const TColor b = raised ? clBtnShadow : clWhite;
    canvas->Pen()->SetColor(a);
    if (vertical)
        Polyline(canvas, {{p1.x - 1, p1.y - 1}, {p2.x - 1, p2.y}, {p2.x + 1, p2.y}});
    else
        Polyline(canvas, {{p1.x - 1, p1.y + 1}, {p1.x - 1, p1.y - 1}, {p2.x + 1, p2.y - 1}});
    canvas->Pen()->SetColor(b);
    if (vertical)
        Polyline(canvas, {{p2.x + 1, p2.y}, {p2.x + 1, p1.y}, {p2.x - 1, p1.y}});
    else
        Polyline(canvas, {{p2.x + 1, p2.y - 1}, {p2.x + 1, p2.y + 1}, {p1.x, p1.y + 1}});
}

void DrawAccelText(TCanvas* canvas, const std::string& text, POINT p)
{
    const TAccelText accel = SplitAccel(text);
    canvas->TextOut(p.x, p.y, accel.Text);
    if (accel.AccelPos < 1)
        return;
    const int k = accel.AccelPos;
    const int h = canvas->TextHeight(accel.Text);
    const int w1 = canvas->TextWidth(accel.Text.substr(0, static_cast<size_t>(k - 1)));
    const int w2 = canvas->TextWidth(accel.Text.substr(static_cast<size_t>(k - 1), 1));
    canvas->Pen()->SetColor(canvas->Font()->Color());
    canvas->MoveTo(p.x - h + 1, p.y + w1);
    canvas->LineTo(p.x - h + 1, p.y + w1 + w2);
}

void CenterRect(RECT& r, int width, int height)
{
    const TIntRect c = CenterRect(TIntRect{r.left, r.top, r.right, r.bottom}, width, height);
    r = RECT{c.Left, c.Top, c.Right, c.Bottom};
}

TColor DarkenColor(TColor color, int percent)
{
    return DarkenRGB(ColorToRGB(color), percent);
}

void DrawGPLine(TGPGraphics* graphics, TGPPen* pen, int x, int y, int dx, int dy)
{
    auto path = TGPGraphicsPath::CreatePath(0);
    path->AddPathLine(F(x), F(y), F(x + dx), F(y + dy));
    path->ClosePathFigure();
    graphics->DrawPath(pen, path.get());
}

void DrawGPArc(TGPGraphics* graphics, TGPPen* pen, int x, int y, int w, int h, float startAngle,
               float sweepAngle, bool close)
{
    auto path = TGPGraphicsPath::CreatePath(0);
    path->AddPathArc(F(x), F(y), F(w), F(h), startAngle, sweepAngle);
    if (close)
        path->ClosePathFigure();
    graphics->DrawPath(pen, path.get());
}

void DrawGPRoundRect(TGPGraphics* graphics, TGPPen* pen, int x, int y, int w, int h, int corner)
{
    auto path = TGPGraphicsPath::CreatePath(0);
    AddRoundRectOutline(*path, x, y, w, h, corner);
    graphics->DrawPath(pen, path.get());
}

void DrawGPRectangle(TGPGraphics* graphics, TGPPen* pen, int x, int y, int w, int h)
{
    auto path = TGPGraphicsPath::CreatePath(0);
    path->AddPathLine(F(x), F(y), F(x + w), F(y));
    path->AddPathLine(F(x + w), F(y), F(x + w), F(y + h));
    path->AddPathLine(F(x + w), F(y + h), F(x), F(y + h));
    path->AddPathLine(F(x), F(y + h), F(x), F(y));
    path->ClosePathFigure();
    graphics->DrawPath(pen, path.get());
}

void DrawRoundedBorder(TGPGraphics* graphics, TColor color, int x, int y, int w, int h, int corner)
{
    auto pen = TGPPen::CreatePen1(ColorToGPColor(color), 1.0f);
    DrawGPRoundRect(graphics, pen.get(), x, y, w, h, corner);
}

void DrawCaptionText(TCanvas* canvas, int alignment, UINT format, const RECT& r,
                     const std::string& caption, const std::wstring&, TFont* font, bool enabled,
                     bool doDraw, int antiAlias, bool ellipsis, bool wordWrap, RECT& textRect)
{
    static const TPanelTextStyle toolbar{DT_CALCRECT | DT_SINGLELINE, false, true, true, 1};
    PaintPanelText(canvas, alignment, format, r, caption, font, enabled, doDraw, antiAlias,
                   ellipsis, wordWrap, textRect, toolbar);
}

void DrawButtonCaption(TCanvas* canvas, int alignment, const RECT& r, const std::string& caption,
                       const std::wstring& wideCaption, TFont* font, bool enabled, bool doDraw,
                       int antiAlias, RECT& textRect)
{
    if (caption.empty() && wideCaption.empty())
        return;
    auto graphics = TGPGraphics::CreateFromHDC(canvas->Handle());
    TGPFontPair gpFont = MakeGPFont(font, true, 0x7); // strikeout is not shown
    graphics->SetSmoothingMode(4);
    const TGPRectF layout =
        BuildRectF(F(r.left), F(r.top), F(r.right - r.left), F(r.bottom - r.top));
    auto format = TGPStringFormat::CreateStringFormat(0, 0);
    auto brush = TGPSolidBrush::CreateSolidFill(ColorToGPColor(enabled ? font->Color() : 0x808080));
    static const int horizontal[] = {0, 2, 1};
    format->SetStringFormatAlign(alignment >= 0 && alignment <= 2 ? horizontal[alignment] : 0);
    format->SetStringFormatLineAlign(1);
    format->SetStringFormatHotkeyPrefix(1);
    format->SetStringFormatTrimming(0);
    ApplyTextHint(graphics.get(), antiAlias);

    TGPRectF measured;
    if (antiAlias != 0) {
        const std::wstring text = caption.empty() ? wideCaption : AnsiToWide(caption);
        int fitted = 0, lines = 0;
        graphics->MeasureString(text, static_cast<int>(text.size()), gpFont.font.get(), layout,
                                format.get(), measured, fitted, lines);
    } else {
        // A rectangle two pixels wide: every word becomes a line of its own.
        RECT box{RoundEven(layout.X), RoundEven(layout.Y), RoundEven(layout.X) + 2,
                 RoundEven(layout.Y)};
        const UINT flags = DT_CALCRECT | DT_WORDBREAK;
        const int height = caption.empty()
                               ? DrawTextW(FontDC(canvas), wideCaption.c_str(),
                                           static_cast<int>(wideCaption.size()), &box, flags)
                               : DrawTextA(FontDC(canvas), caption.c_str(),
                                           static_cast<int>(caption.size()), &box, flags);
        box.bottom = box.top + height;
        measured =
            BuildRectF(F(box.left), F(box.top), F(box.right - box.left), F(box.bottom - box.top));
    }
    textRect =
        RECT{RoundEven(measured.X), RoundEven(measured.Y), RoundEven(measured.X + measured.Width),
             RoundEven(measured.Y + measured.Height)};
    if (!doDraw)
        return;
    if (antiAlias != 0) {
        if (!caption.empty())
            graphics->DrawAnsiString(caption, static_cast<int>(caption.size()), gpFont.font.get(),
                                     layout, format.get(), brush.get());
        else
            graphics->DrawString(wideCaption, static_cast<int>(wideCaption.size()),
                                 gpFont.font.get(), layout, format.get(), brush.get());
        return;
    }
    canvas->Brush()->SetStyle(bsClear);
    static const UINT alignFlags[] = {0, DT_RIGHT, DT_CENTER};
    const UINT flags =
        DT_SINGLELINE | DT_VCENTER | (alignment >= 0 && alignment <= 2 ? alignFlags[alignment] : 0);
    RECT target = r;
    HDC dc = FontDC(canvas);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(enabled ? font->Color() : 0x808080));
    if (!caption.empty())
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &target, flags);
    else
        DrawTextW(dc, wideCaption.c_str(), static_cast<int>(wideCaption.size()), &target, flags);
}

void DrawCloseGlyph(TCanvas* canvas, const RECT& r, TColor color, int size)
{
    const int x0 = r.left + (r.right - r.left - size) / 3;
    const int y0 = r.top + (r.bottom - r.top - size) / 3;
    const int s = size;
    DrawSequences(
        canvas, color,
        {{{0, s}, {s + 1, 0}}, {{1, s}, {s, 0}}, {{0, 1}, {s + 1, s + 1}}, {{1, 1}, {s, s + 1}}},
        POINT{x0, y0}, false);
}

void DrawRestoreGlyph(TCanvas* canvas, const RECT& r, TColor color, bool centred)
{
    if (centred)
        DrawSequences(
            canvas, color,
            {{{2, 0}, {8, 0}},
             {{2, 1}, {8, 1}},
             {{8, 0}, {8, 6}},
             {{0, 3}, {7, 3}},
             {{0, 4}, {7, 4}},
             {{0, 4}, {0, 8}, {6, 8}, {6, 4}}},
            POINT{r.left + (r.right - r.left - 8) / 3, r.top + (r.bottom - r.top - 8) / 3}, false);
    else
        DrawSequences(canvas, color,
                      {{{5, 2}, {5, 8}},
                       {{6, 2}, {6, 8}},
                       {{5, 8}, {11, 8}},
                       {{8, 0}, {8, 7}},
                       {{9, 0}, {9, 7}},
                       {{9, 0}, {13, 0}, {13, 6}, {9, 6}}},
                      POINT{r.right, r.top}, true);
}

void DrawMaximizeGlyph(TCanvas* canvas, const RECT& r, TColor color, bool centred)
{
    if (centred)
        DrawSequences(
            canvas, color, {{{0, 1}, {9, 1}}, {{0, 2}, {9, 2}}, {{0, 2}, {0, 8}, {8, 8}, {8, 2}}},
            POINT{r.left + (r.right - r.left - 8) / 3, r.top + (r.bottom - r.top - 8) / 3}, false);
    else
        DrawSequences(canvas, color,
                      {{{8, 0}, {8, 7}}, {{9, 0}, {9, 7}}, {{9, 0}, {13, 0}, {13, 6}, {9, 6}}},
                      POINT{r.right, r.top}, true);
}

void DrawMinimizeGlyph(TCanvas* canvas, const RECT& r, TColor color, bool centred)
{
    if (centred)
        DrawSequences(canvas, color, {{{0, 0}, {6, 0}}, {{0, 1}, {6, 1}}},
                      POINT{r.left + (r.right - r.left - 6) / 3, r.top + (r.bottom - r.top) / 2},
                      false);
    else
        DrawSequences(canvas, color, {{{0, 0}, {0, 6}}, {{1, 0}, {1, 6}}}, POINT{r.left, r.top},
                      false);
}

} // namespace draw
