#include "menus/AdvMenuGradients.h"

#include "menus/AdvMenuUtil.h"

#include <algorithm>

namespace menus {

using namespace classlib;

TColor GradientColorAt(TColor start, TColor end, int t, int length)
{
    int r1, g1, b1, r2, g2, b2;
    SplitRGB(start, r1, g1, b1);
    SplitRGB(end, r2, g2, b2);
    if (length <= 0)
        return PackBytes(static_cast<uint8_t>(r1), static_cast<uint8_t>(g1),
                         static_cast<uint8_t>(b1), 0);
    auto step = [&](int a, int b) { return static_cast<uint8_t>(a + t * (b - a) / length); };
    return PackBytes(step(r1, r2), step(g1, g2), step(b1, b2), 0);
}

namespace {

void SolidFill(TCanvas* canvas, const RECT& r, TColor color)
{
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FillRect(r);
}

void Line(TCanvas* canvas, TColor color, int x1, int y1, int x2, int y2)
{
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetColor(color);
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
}

bool Intersect(const RECT& a, const RECT& b, RECT& out)
{
    out = RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
    return out.left < out.right && out.top < out.bottom;
}

} // namespace

void FillGradient(TCanvas* canvas, const RECT& r, TGradientDirection direction, TColor start,
                  TColor end)
{
    if (end == clNone)
        end = start;
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    if (ColorToRGB(start) == ColorToRGB(end)) {
        SolidFill(canvas, r, start);
        return;
    }
    if (direction == gdVertical) {
        const int height = r.bottom - r.top;
        for (int y = r.top; y < r.bottom; ++y)
            Line(canvas, GradientColorAt(start, end, y - r.top, height), r.left, y, r.right, y);
    } else {
        const int width = r.right - r.left;
        for (int x = r.left; x < r.right; ++x)
            Line(canvas, GradientColorAt(start, end, x - r.left, width), x, r.top, x, r.bottom);
    }
}

void DrawGradientPart(TCanvas* canvas, const RECT& full, TGradientDirection direction, TColor start,
                      TColor end, const RECT& part)
{
    RECT area;
    if (!Intersect(part, full, area))
        return;
    if (end == clNone)
        end = start;
    TColor from, to;
    if (direction == gdHorizontal) {
        const int length = full.right - full.left;
        from = GradientColorAt(start, end, area.left - full.left, length);
        to = GradientColorAt(start, end, area.right - full.left, length);
    } else {
        const int length = full.bottom - full.top;
        from = GradientColorAt(start, end, area.top - full.top, length);
        to = GradientColorAt(start, end, area.bottom - full.top, length);
    }
    FillGradient(canvas, area, direction, from, to);
}

void DrawBox(TCanvas* canvas, const RECT& r, bool fill, TColor border, TGradientDirection direction,
             TColor color, TColor colorTo)
{
    DrawMirrorBox(canvas, r, fill, border, direction, color, colorTo, clNone, clNone);
}

void DrawMirrorBox(TCanvas* canvas, const RECT& r, bool fill, TColor border,
                   TGradientDirection direction, TColor color, TColor colorTo, TColor mirror,
                   TColor mirrorTo)
{
    if (fill && color != clNone) {
        if (mirror == clNone) {
            FillGradient(canvas, r, direction, color, colorTo);
        } else {
            const int middle = r.top + (r.bottom - r.top) / 2;
            FillGradient(canvas, RECT{r.left, r.top, r.right, middle}, direction, color, colorTo);
            FillGradient(canvas, RECT{r.left, middle, r.right, r.bottom}, direction, mirror,
                         mirrorTo);
        }
    }
    if (border != clNone) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(border);
        canvas->FrameRect(r);
    }
}

void DrawBandGradient(TCanvas* canvas, RECT r, bool horizontal, int margin, int band,
                      TGradientType type, TColor color, TColor colorTo)
{
    if (colorTo == clNone)
        colorTo = color;
    if (horizontal) {
        r.left += margin;
        r.right -= margin;
    } else {
        r.top += margin;
        r.bottom -= margin;
        if (type == gtBoth)
            band *= 2;
    }
    const int length = horizontal ? r.right - r.left : r.bottom - r.top;
    if (length <= 0)
        return;
    // The span [from, to) along the line as a rectangle.
    auto span = [&](int from, int to) {
        return horizontal ? RECT{r.left + from, r.top, r.left + to, r.bottom}
                          : RECT{r.left, r.top + from, r.right, r.top + to};
    };
    const TGradientDirection along = horizontal ? gdHorizontal : gdVertical;
    if (band < length)
        SolidFill(canvas, span(0, length), type == gtBoth ? color : colorTo);
    band = std::min(band, length);
    if (band <= 0)
        return;
    const int half = band / 2;
    if (horizontal) {
        switch (type) {
            case gtLeft:
                FillGradient(canvas, span(0, band), along, color, colorTo);
                break;
            case gtRight:
                FillGradient(canvas, span(length - band, length), along, colorTo, color);
                break;
            case gtBoth:
                FillGradient(canvas, span(0, half), along, colorTo, color);
                FillGradient(canvas, span(length - half, length), along, color, colorTo);
                break;
        }
    } else {
        switch (type) {
            case gtLeft:
                FillGradient(canvas, span(length - band, length), along, colorTo, color);
                break;
            case gtRight:
                FillGradient(canvas, span(0, band), along, color, colorTo);
                break;
            case gtBoth:
                // The doubled width gives one band of the given width at each end.
                FillGradient(canvas, span(0, half), along, colorTo, color);
                FillGradient(canvas, span(length - half, length), along, color, colorTo);
                break;
        }
    }
}

void DrawMenuBackground(TCanvas* canvas, RECT r, TBackground* background, bool fill)
{
    r.left += background->MarginX();
    r.right -= background->MarginX();
    r.top += background->MarginY();
    r.bottom -= background->MarginY();
    const int width = std::max(0, static_cast<int>(r.right - r.left));
    const int height = std::max(0, static_cast<int>(r.bottom - r.top));
    TBitmap* cache = background->Cache();
    cache->SetSize(width, height);
    const RECT bounds{0, 0, width, height};
    TPicture* picture = background->HasPicture() ? background->Image() : nullptr;
    const TBackgroundPosition position = background->Position();
    if (fill && (!picture || (position != bpTiled && position != bpStretched) ||
                 picture->Graphic()->Transparent()))
        FillGradient(cache->Canvas(), bounds, background->GradientDirection(), background->Color(),
                     background->ColorTo());
    if (picture) {
        TGraphic* graphic = picture->Graphic();
        const int pw = graphic->Width(), ph = graphic->Height();
        switch (position) {
            case bpTiled:
                if (pw >= 1 && ph >= 1)
                    for (int y = 0; y < height; y += ph)
                        for (int x = 0; x < width; x += pw)
                            cache->Canvas()->Draw(x, y, graphic);
                break;
            case bpStretched:
                cache->Canvas()->StretchDraw(bounds, graphic);
                break;
            case bpXY:
                cache->Canvas()->Draw(background->OffsetX(), background->OffsetY(), graphic);
                break;
            default: {
                int x = 0, y = 0;
                background->PicturePosition(bounds, x, y);
                cache->Canvas()->Draw(x, y, graphic);
                break;
            }
        }
    }
    canvas->Draw(r.left, r.top, cache);
}

} // namespace menus
