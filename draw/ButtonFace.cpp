#include "draw/ButtonFace.h"

#include <algorithm>

using namespace classlib;

namespace draw {

namespace {

float F(int value)
{
    return static_cast<float>(value);
}

// Fills `fill` with a path-gradient brush on `ellipse`, or a linear one over `linearRect`.
void FillHalf(TGPGraphics* graphics, const TGPRectF& ellipse, TGDIPGradient gradient,
              TGPPoint centre, TColor centreColor, TColor surroundColor, const TGPRectF& linearRect,
              TColor linearFrom, TColor linearTo, const TGPRectF& fill)
{
    auto path = TGPGraphicsPath::CreatePath(0);
    path->AddPathEllipse(ellipse.X, ellipse.Y, ellipse.Width, ellipse.Height);
    std::unique_ptr<TGPBrush> brush;
    if (gradient == ggRadial) {
        auto radial = TGPPathGradientBrush::CreatePathGradientFromPath(path.get());
        radial->SetPathGradientCenterPointI(centre);
        radial->SetPathGradientCenterColor(ColorToGPColor(centreColor));
        const ARGB surround = ColorToGPColor(surroundColor);
        int count = 1;
        radial->SetPathGradientSurroundColorsWithCount(&surround, count);
        brush = std::move(radial);
    } else {
        brush = TGPLinearGradientBrush::CreateLineBrushFromRect(
            linearRect, ColorToGPColor(linearFrom), ColorToGPColor(linearTo),
            static_cast<int>(gradient));
    }
    graphics->FillRectRecord(brush.get(), fill);
}

} // namespace

void DrawButtonContent(TCanvas* canvas, const RECT& r, TColor color, TColor colorTo,
                       TColor colorMirror, TColor colorMirrorTo, TColor borderColor,
                       TGDIPGradient gradient, TGDIPGradient gradientMirror,
                       const std::string& caption, TFont* font, TCustomImageList* images,
                       int imageIndex, bool imageEnabled, int layout, bool dropDown,
                       bool dropDownSeparator, bool enabled, bool focused, bool dropDownBottom,
                       TGDIPPicture* picture, int antiAlias, bool rounded)
{
    const int w = r.right - r.left, h = r.bottom - r.top, b = h / 2, halfW = w / 2;
    const RECT dd = dropDownBottom ? RECT{r.left, r.bottom - 13, r.right, r.bottom}
                                   : RECT{r.right - 13, r.top, r.right, r.bottom};
    RECT content = r;
    if (dropDown) {
        if (dropDownBottom)
            content.bottom = dd.top;
        else
            content.right = dd.left;
    }

    // Lower half, then upper half.
    canvas->Brush()->SetColor(colorMirror);
    canvas->FillRect(RECT{r.left, r.top + b, r.right, r.bottom});
    {
        auto graphics = TGPGraphics::CreateFromHDC(canvas->Handle());
        const bool radial = gradientMirror == ggRadial;
        FillHalf(graphics.get(), BuildRectF(F(r.left), F(r.top + b), F(w), F(h)), gradientMirror,
                 TGPPoint{r.left + halfW, r.bottom}, colorMirrorTo, colorMirror,
                 BuildRectF(F(r.left), F(r.top + b), F(w), F(b)), colorMirror, colorMirrorTo,
                 BuildRectF(F(r.left + 1), F(r.top + b + (radial ? 0 : 1)), F(w - 1), F(b + 1)));
    }
    canvas->Brush()->SetColor(color);
    canvas->FillRect(RECT{r.left, r.top, r.right, r.top + b});
    {
        auto graphics = TGPGraphics::CreateFromHDC(canvas->Handle());
        const int linearHeight =
            gradient == ggVertical ? b : h; // the diagonals span the whole height
        FillHalf(graphics.get(), BuildRectF(F(r.left), F(r.top - b), F(w), F(h)), gradient,
                 TGPPoint{r.left + halfW, r.top}, colorTo, color,
                 BuildRectF(F(r.left), F(r.top), F(w), F(linearHeight)), color, colorTo,
                 BuildRectF(F(r.left + 1), F(r.top + 1), F(w - 1), F(b - 1)));

        // Border and focus frames.
        graphics->SetSmoothingMode(4);
        if (borderColor != clNone) {
            auto pen = TGPPen::CreatePen1(ColorToGPColor(borderColor), 1.0f);
            if (rounded)
                DrawGPRoundRect(graphics.get(), pen.get(), r.left, r.top, w - 1, h - 1, 3);
            else
                DrawGPRectangle(graphics.get(), pen.get(), r.left, r.top, w - 1, h - 1);
        }
        if (focused) {
            auto outer = TGPPen::CreatePen1(ColorToGPColor(0xE4AD89), 1.0f);
            DrawGPRoundRect(graphics.get(), outer.get(), r.left + 1, r.top + 1, r.right - 3,
                            r.bottom - 3, 3);
            auto dotted = TGPPen::CreatePen1(ColorToGPColor(0x808080), 1.0f);
            dotted->SetPenDashStyle(2);
            DrawGPRoundRect(graphics.get(), dotted.get(), r.left + 2, r.top + 2, r.right - 5,
                            r.bottom - 5, 3);
        }
    }

    // Image size.
    const bool hasPicture = picture && !picture->Empty();
    int iw = 0, ih = 0;
    if (hasPicture) {
        picture->UpdateImageSize();
        iw = picture->Width();
        ih = picture->Height();
    } else if (imageIndex > -1 && images) {
        iw = images->Width();
        ih = images->Height();
    }

    POINT imagePos{};
    if (!caption.empty()) {
        const int cw = content.right - content.left, ch = content.bottom - content.top;
        auto graphics = TGPGraphics::CreateFromHDC(canvas->Handle());
        TGPFontPair gpFont = MakeGPFont(font, true, 0x7);
        TGPRectF l = BuildRectF(F(r.left), F(r.top), F(cw), F(ch));
        auto format = TGPStringFormat::CreateStringFormat(0, 0);
        format->SetStringFormatAlign(1);
        format->SetStringFormatLineAlign(1);
        format->SetStringFormatHotkeyPrefix(1);
        auto brush =
            TGPSolidBrush::CreateSolidFill(ColorToGPColor(enabled ? font->Color() : 0x808080));
        ApplyTextHint(graphics.get(), antiAlias);

        TGPRectF t;
        if (antiAlias != 0) {
            const std::wstring text = AnsiToWide(caption);
            int fitted = 0, lines = 0;
            graphics->MeasureString(text, static_cast<int>(text.size()), gpFont.font.get(), l,
                                    format.get(), t, fitted, lines);
        } else {
            RECT box{RoundEven(l.X), RoundEven(l.Y), RoundEven(l.X) + 2, RoundEven(l.Y)};
            const int height =
                DrawTextA(FontDC(canvas), caption.c_str(), static_cast<int>(caption.size()), &box,
                          DT_CALCRECT | DT_WORDBREAK);
            t = BuildRectF(F(box.left), F(box.top), F(box.right - box.left), F(height));
        }
        const int tw = RoundEven(t.Width);
        if (iw > 0) {
            switch (layout) {
                case 0: // left of the caption
                    l.X = F(r.left + iw + 2);
                    l.Width = F(cw - iw - 2);
                    imagePos = POINT{std::max(2, RoundEven(t.X - F(iw / 2))),
                                     r.top + std::max(0, (ch - ih) / 2)};
                    break;
                case 1: // above
                    l.Y = F(r.top + ih);
                    l.Height = F(ch - ih - 2);
                    imagePos = POINT{r.left + std::max(0, (cw - iw) / 2),
                                     std::max(2, std::max(0, RoundEven(l.Height - t.Height) / 2) +
                                                     RoundEven(l.Y) - ih)};
                    break;
                case 2: { // right
                    l.X = 2;
                    l.Width = F(cw - iw - 4);
                    int x = tw + std::max(0, RoundEven(l.Width - t.Width) / 2) + 4;
                    if (x > cw - iw)
                        x = cw - iw - 2;
                    imagePos = POINT{x, r.top + std::max(0, (ch - ih) / 2)};
                    break;
                }
                case 3: { // below
                    l.Y = 2;
                    l.Height = F(ch - ih - 2);
                    int y =
                        std::max(0, RoundEven(l.Height - t.Height) / 2) + RoundEven(t.Height + 2);
                    if (y > ch - ih)
                        y = ch - ih - 2;
                    imagePos = POINT{r.left + std::max(0, (cw - iw) / 2), y};
                    break;
                }
                default:
                    break;
            }
        }
        if (antiAlias != 0) {
            graphics->DrawAnsiString(caption, static_cast<int>(caption.size()), gpFont.font.get(),
                                     l, format.get(), brush.get());
        } else {
            canvas->Brush()->SetStyle(bsClear);
            RECT target{RoundEven(l.X), RoundEven(l.Y), RoundEven(l.X) + RoundEven(l.Width),
                        RoundEven(l.Y) + RoundEven(l.Height)};
            HDC dc = FontDC(canvas);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, ColorToRGB(enabled ? font->Color() : 0x808080));
            DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &target,
                      DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        }
    } else {
        // Without a caption the image is centred in the face, less the drop-down strip.
        SIZE size{w, h};
        if (dropDown) {
            if (dropDownBottom)
                size.cy -= 8;
            else
                size.cx -= 8;
        }
        imagePos = POINT{r.left + std::max<int>(0, (size.cx - iw) / 2),
                         r.top + std::max<int>(0, (size.cy - ih) / 2)};
    }

    if (hasPicture)
        canvas->Draw(imagePos.x, imagePos.y, picture);
    else if (imageIndex != -1 && images)
        images->Draw(canvas, imagePos.x, imagePos.y, imageIndex, imageEnabled);

    canvas->Brush()->SetStyle(bsClear);
    if (!dropDown)
        return;
    if (dropDownSeparator) {
        canvas->Pen()->SetColor(borderColor);
        canvas->MoveTo(dd.left, dd.top);
        if (dropDownBottom)
            canvas->LineTo(dd.right, dd.top);
        else
            canvas->LineTo(dd.left, dd.bottom);
    }
    const int x = dd.left + (dd.right - dd.left - 5) / 2,
              y = dd.top + (dd.bottom - dd.top - 3) / 2 + 1;
    const TColor arrow = enabled ? clBlack : 0x808080;
    canvas->Pen()->SetColor(arrow);
    canvas->MoveTo(x, y);
    canvas->LineTo(x + 5, y);
    canvas->MoveTo(x + 1, y + 1);
    canvas->LineTo(x + 4, y + 1);
    canvas->SetPixel(x + 2, y + 2, arrow);
}

void DrawButtonContentSimple(TCanvas* canvas, const RECT& r, TColor color, TColor colorTo,
                             TColor colorMirror, TColor colorMirrorTo, TColor borderColor,
                             TGDIPGradient gradient, TGDIPGradient gradientMirror,
                             const std::string& caption, TFont* font, bool enabled, bool focused,
                             int antiAlias, bool rounded)
{
    DrawButtonContent(canvas, r, color, colorTo, colorMirror, colorMirrorTo, borderColor, gradient,
                      gradientMirror, caption, font, nullptr, -1, true, 0, false, false, enabled,
                      focused, false, nullptr, antiAlias, rounded);
}

} // namespace draw
