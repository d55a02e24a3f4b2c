#include "draw/GlowDrawing.h"

#include <objidl.h>

#include <cstring>

#include "core/Exceptions.h"
#include "core/Streams.h"
#include "core/TypeInfo.h"

using namespace classlib;

namespace draw {

CLASSLIB_DEFINE_ENUM(TGDIPGradient, "ggRadial", "ggVertical", "ggDiagonalForward",
                     "ggDiagonalBackward")
CLASSLIB_DEFINE_ENUM(TButtonPosition, "bpStandalone", "bpLeft", "bpMiddle", "bpRight")

namespace {

std::unique_ptr<TGPPen> PenOf(TColor color)
{
    return TGPPen::CreatePen1(ColorToGPColor(color), 1.0f);
}

void StrokeLine(TGPGraphics* graphics, TColor color, int x1, int y1, int x2, int y2)
{
    auto pen = PenOf(color);
    auto path = TGPGraphicsPath::CreatePath(0);
    path->AddPathLine(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                      static_cast<float>(y2));
    graphics->DrawPath(pen.get(), path.get());
}

// The left edge of an inner or last group member: a darker full line, or a short light one.
void DrawLeftEdgeByFlag(TGPGraphics* graphics, TColor color, int x, int y, int h, bool flag)
{
    if (flag)
        StrokeLine(graphics, AdjustBrightness(color, -5), x, y, x, y + h);
    else
        StrokeLine(graphics, AdjustBrightness(clWhite, -10), x, y + 2, x, y + h - 2);
}

float F(int value)
{
    return static_cast<float>(value);
}

} // namespace

TColor BlendColors(TColor color1, TColor color2, int percent)
{
    if (percent >= 100)
        return color1;
    if (percent <= 0)
        return color2;
    return BlendRGB(ColorToRGB(color1), ColorToRGB(color2), percent);
}

TColor AdjustBrightness(TColor color, int percent)
{
    return AdjustChannelBrightnessRGB(ColorToRGB(color), percent, percent, percent);
}

TColor AdjustChannelBrightness(TColor color, int percentRed, int percentGreen, int percentBlue)
{
    return AdjustChannelBrightnessRGB(ColorToRGB(color), percentRed, percentGreen, percentBlue);
}

void PaintGradientBands(TCanvas* canvas, TColor fromColor, TColor toColor, int steps, const RECT& r,
                        bool horizontal, bool lineWhenNarrow)
{
    const int extent = horizontal ? r.right - r.left : r.bottom - r.top;
    const bool asLines = lineWhenNarrow && !horizontal && r.left + 1 >= r.right;
    for (const TGradientStep& band :
         StepGradientBands(ColorToRGB(fromColor), ColorToRGB(toColor), steps, extent)) {
        canvas->Pen()->SetColor(band.Color);
        canvas->Brush()->SetColor(band.Color);
        if (horizontal) {
            canvas->Rectangle(r.left + band.Offset, r.top, r.left + band.Offset + band.Length,
                              r.bottom);
        } else if (asLines) {
            canvas->MoveTo(r.left, r.top + band.Offset);
            canvas->LineTo(r.right, r.top + band.Offset + band.Length);
        } else {
            canvas->Rectangle(r.left, r.top + band.Offset, r.right,
                              r.top + band.Offset + band.Length);
        }
    }
}

void DrawStepGradient(TCanvas* canvas, TColor fromColor, TColor toColor, int steps, const RECT& r,
                      bool horizontal)
{
    PaintGradientBands(canvas, fromColor, toColor, steps, r, horizontal, false);
}

void AddRoundRectOutline(TGPGraphicsPath& path, int x, int y, int w, int h, int r)
{
    const int d = 2 * r;
    path.AddPathLine(F(x + r), F(y), F(x + w - d), F(y));
    path.AddPathArc(F(x + w - d), F(y), F(d), F(d), 270, 90);
    path.AddPathLine(F(x + w), F(y + r), F(x + w), F(y + h - d));
    path.AddPathArc(F(x + w - d), F(y + h - d), F(d), F(d), 0, 90);
    path.AddPathLine(F(x + w - d), F(y + h), F(x + r), F(y + h));
    path.AddPathArc(F(x), F(y + h - d), F(d), F(d), 90, 90);
    path.AddPathLine(F(x), F(y + h - d), F(x), F(y + r));
    path.AddPathArc(F(x), F(y), F(d), F(d), 180, 90);
    path.ClosePathFigure();
}

void DrawRoundRectBorder(TGPGraphics* graphics, TColor color, int x, int y, int w, int h,
                         int corner)
{
    auto pen = PenOf(color);
    if (corner == 0) {
        graphics->StrokeRectangle(pen.get(), F(x), F(y), F(w), F(h));
        return;
    }
    auto path = TGPGraphicsPath::CreatePath(0);
    AddRoundRectOutline(*path, x, y, w, h, corner);
    graphics->DrawPath(pen.get(), path.get());
}

void DrawDottedRoundRect(TGPGraphics* graphics, TColor color, int x, int y, int w, int h,
                         int corner)
{
    auto pen = PenOf(color);
    pen->SetPenDashStyle(2);
    auto path = TGPGraphicsPath::CreatePath(0);
    AddRoundRectOutline(*path, x, y, w, h, corner);
    graphics->DrawPath(pen.get(), path.get());
}

void DrawLeftPartBorder(TGPGraphics* graphics, TColor color, int x, int y, int w, int h, int corner)
{
    const int r = corner, d = 2 * corner;
    auto pen = PenOf(color);
    auto path = TGPGraphicsPath::CreatePath(0);
    path->AddPathLine(F(x + w), F(y + h), F(x + r), F(y + h));
    path->AddPathArc(F(x), F(y + h - d), F(d), F(d), 90, 90);
    path->AddPathLine(F(x), F(y + h - d), F(x), F(y + r));
    path->AddPathArc(F(x), F(y), F(d), F(d), 180, 90);
    path->AddPathLine(F(x + r), F(y), F(x + w), F(y));
    graphics->DrawPath(pen.get(), path.get());
    StrokeLine(graphics, AdjustBrightness(color, -5), x + w, y, x + w, y + h);
}

void DrawMiddlePartBorder(TGPGraphics* graphics, TColor color, int x, int y, int w, int h, int,
                          bool flag)
{
    StrokeLine(graphics, color, x - 1, y + h, x + w, y + h);
    StrokeLine(graphics, color, x - 1, y, x + w, y);
    StrokeLine(graphics, AdjustBrightness(color, -5), x + w, y, x + w, y + h);
    DrawLeftEdgeByFlag(graphics, color, x, y, h, flag);
}

void DrawRightPartBorder(TGPGraphics* graphics, TColor color, int x, int y, int w, int h,
                         int corner, bool flag)
{
    const int r = corner, d = 2 * corner;
    auto pen = PenOf(color);
    auto path = TGPGraphicsPath::CreatePath(0);
    path->AddPathLine(F(x), F(y), F(x + w - d), F(y));
    path->AddPathArc(F(x + w - d), F(y), F(d), F(d), 270, 90);
    path->AddPathLine(F(x + w), F(y + r), F(x + w), F(y + h - d));
    path->AddPathArc(F(x + w - d), F(y + h - d), F(d), F(d), 0, 90);
    path->AddPathLine(F(x + w), F(y + h), F(x), F(y + h));
    graphics->DrawPath(pen.get(), path.get());
    DrawLeftEdgeByFlag(graphics, color, x, y, h, flag);
}

void DrawGlowFill(TGPGraphics* graphics, const RECT& r, TColor fromColor, TColor toColor,
                  TGDIPGradient gradient, bool upper)
{
    const int w = r.right - r.left, h = r.bottom - r.top, halfW = w / 2;
    // Right and Bottom are the width and height of the fill and the ellipse, as the glow's shape
    // has always been drawn.
    {
        auto solid = TGPSolidBrush::CreateSolidFill(ColorToGPColor(upper ? fromColor : toColor));
        graphics->FillRectWithBrush(solid.get(), F(r.left), F(r.top), F(r.right), F(r.bottom));
    }
    auto path = TGPGraphicsPath::CreatePath(0);
    if (upper)
        path->AddPathEllipse(F(r.left), F(r.top - h / 2 + 2), F(r.right), F(r.bottom));
    else
        path->AddPathEllipse(F(r.left), F(r.top), F(r.right), F(r.bottom));
    std::unique_ptr<TGPBrush> brush;
    if (gradient == ggRadial) {
        auto radial = TGPPathGradientBrush::CreatePathGradientFromPath(path.get());
        radial->SetPathGradientCenterPointI(TGPPoint{r.left + halfW, upper ? r.top : r.bottom});
        radial->SetPathGradientCenterColor(ColorToGPColor(upper ? toColor : fromColor));
        const ARGB surround = ColorToGPColor(upper ? fromColor : toColor);
        int count = 1;
        radial->SetPathGradientSurroundColorsWithCount(&surround, count);
        brush = std::move(radial);
    } else {
        brush = TGPLinearGradientBrush::CreateLineBrushFromRect(
            BuildRectF(F(r.left), F(r.top), F(w), F(h)), ColorToGPColor(fromColor),
            ColorToGPColor(toColor), static_cast<int>(gradient));
    }
    graphics->FillRectWithBrush(brush.get(), F(r.left), F(r.top), F(r.right), F(r.bottom));
}

void DrawDropDownArrow(TCanvas* canvas, POINT p, TColor color, TColor aaColor, bool down)
{
    // Offsets for the down-pointing arrow; the right-pointing one is its transpose.
    auto at = [&](int dx, int dy) {
        return down ? POINT{p.x + dx, p.y + dy} : POINT{p.x + dy, p.y + dx};
    };
    static const struct {
        int x1, y1, x2, y2;
    } strokes[] = {{0, 0, 5, 0}, {1, 1, 4, 1}};
    static const POINT edges[] = {{0, 1}, {4, 1}, {1, 2}, {3, 2}, {2, 3}};
    canvas->Pen()->SetColor(color);
    for (const auto& s : strokes) {
        const POINT a = at(s.x1, s.y1), b = at(s.x2, s.y2);
        canvas->MoveTo(a.x, a.y);
        canvas->LineTo(b.x, b.y);
    }
    const POINT tip = at(2, 2);
    canvas->SetPixel(tip.x, tip.y, color);
    for (const POINT& e : edges) {
        const POINT q = at(e.x, e.y);
        canvas->SetPixel(q.x, q.y, aaColor);
    }
}

void DrawPictureStretched(TGPGraphics* graphics, TCanvas* canvas, const RECT& r, TGraphic* graphic)
{
    TMemoryStream saved;
    graphic->SaveToStream(saved);
    const SIZE_T size = static_cast<SIZE_T>(saved.Size());
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        throw Exception("Could not allocate memory for image");
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
        GlobalFree(block);
        return;
    }
    ULONG written = 0;
    stream->Write(saved.Memory(), static_cast<ULONG>(size), &written);
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    {
        auto image = TGPImage::LoadImageFromStream(stream, false);
        if (image->GetImageRawFormat() == gifBmp) {
            TBitmap bitmap;
            saved.SetPosition(0);
            bitmap.LoadFromStream(saved);
            bitmap.SetTransparentMode(tmAuto);
            bitmap.SetTransparent(true);
            canvas->StretchDraw(r, &bitmap);
        } else {
            graphics->DrawImageRect(image.get(), r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
    }
    stream->Release();
}

} // namespace draw
