#include "toolbar/ToolBarGlowFace.h"

#include <algorithm>
#include <cmath>

#include "draw/DrawMath.h"
#include "draw/PanelDrawing.h"
#include "draw/ToolbarDrawing.h"

using namespace classlib;
using namespace controls;
using namespace draw;

namespace toolbar {
namespace {

float F(int v)
{
    return static_cast<float>(v);
}

int Half(int v)
{
    return std::max(0, v / 2);
}

void Upper(TGPGraphics* g, const RECT& r, TColor c1, TColor c2, TGDIPGradient mode)
{
    DrawGlowFill(g, r, c1, c2, mode, true);
}

// A lower half shows its first colour with a glow of its second at the bottom, as the glow
// button's lower half does with the same colour sets.
void Lower(TGPGraphics* g, const RECT& r, TColor mirror, TColor mirrorTo, TGDIPGradient mode)
{
    DrawGlowFill(g, r, mirrorTo, mirror, mode, false);
}

TColor Darker(TColor c)
{
    return AdjustBrightness(c, -10);
}

void Fill(TGPGraphics* g, const TToolBarGlowFace& f)
{
    const RECT& R = f.R;
    const int L = R.left, T = R.top, Rt = R.right, B = R.bottom;
    const int H = B - T, h2 = H / 2;
    if (!(f.DropDownButton && f.DropDownSplit && f.DropDownPart)) {
        Lower(g, RECT{L, T + h2 - 1, Rt, B}, f.ColorMirror, f.ColorMirrorTo, f.GradientMirror);
        Upper(g, RECT{L, T, Rt, B - h2}, f.Color, f.ColorTo, f.Gradient);
        return;
    }
    RECT mainLower, mainUpper, partLower, partUpper;
    const bool right = f.DropDownPosition != dpBottom;
    if (right) {
        partLower = RECT{Rt - 12, T + h2 - 1, Rt, B};
        partUpper = RECT{Rt - 12, T, Rt, B - h2};
        mainLower = RECT{L, T + h2 - 1, Rt - 12, B};
        mainUpper = RECT{L, T, Rt - 12, B - h2};
    } else {
        const int m = (H - 12) / 2;
        partLower = RECT{L, B - 6, Rt, B};
        partUpper = RECT{L, B - 12, Rt, B};
        mainLower = RECT{L, T + m - 1, Rt, B - 12};
        mainUpper = RECT{L, T, Rt, B - m - 12};
    }
    // The pressed half is the darker one: the drop-down part while it is down, else the main part.
    const bool partDown = f.State == gsDown;
    auto main = [&](TColor c) { return partDown ? c : Darker(c); };
    Lower(g, mainLower, main(f.ColorMirror), main(f.ColorMirrorTo), f.GradientMirror);
    Upper(g, mainUpper, main(f.Color), main(f.ColorTo), f.Gradient);
    if (partDown) {
        if (right)
            Lower(g, partLower, Darker(f.ColorMirror), Darker(f.ColorMirrorTo), f.GradientMirror);
        Upper(g, partUpper, Darker(f.Color), Darker(f.ColorTo), f.Gradient);
    } else {
        if (right)
            Lower(g, partLower, f.ColorMirror, f.ColorMirrorTo, f.GradientMirror);
        Upper(g, partUpper, f.Color, f.ColorTo, ggRadial);
    }
}

void Border(TGPGraphics* g, const TToolBarGlowFace& f, int corner)
{
    const int x = f.R.left, y = f.R.top, w = f.R.right - 1, h = f.R.bottom - 1;
    switch (f.Position) {
        case bpStandalone:
            DrawRoundedBorder(g, f.BorderColor, x, y, w, h, corner);
            break;
        case bpLeft:
            DrawLeftPartBorder(g, f.BorderColor, x, y, w, h, corner);
            break;
        case bpMiddle:
            DrawMiddlePartBorder(g, f.BorderColor, x, y, w, h, corner, f.Hot);
            break;
        case bpRight:
            DrawRightPartBorder(g, f.BorderColor, x, y, w, h, corner, f.Hot);
            break;
    }
}

bool PictureUsable(TGraphic* picture)
{
    return picture && !picture->Empty() && picture->Width() >= 2 && picture->Height() >= 2;
}

} // namespace

SIZE DrawToolBarGlowFace(TCanvas* canvas, const TToolBarGlowFace& f)
{
    const RECT& R = f.R;
    const int L = R.left, T = R.top;
    int W = R.right - L, H = R.bottom - T;
    if (f.DropDownButton) {
        if (f.DropDownPosition == dpBottom)
            H -= 13;
        else
            W -= 13;
    }
    const RECT D = f.DropDownPosition == dpBottom ? RECT{L, R.bottom - 13, R.right, R.bottom}
                                                  : RECT{R.right - 13, T, R.right, R.bottom};
    const int corner = f.Rounded ? 3 : 0;

    auto graphics = TGPGraphics::CreateFromHDC(canvas->Handle());
    TGPGraphics* g = graphics.get();
    if (!f.TransparentFace)
        Fill(g, f);
    g->SetSmoothingMode(4);
    if (!f.TransparentFace && f.ShowBorder)
        Border(g, f, corner);
    if (f.Focused) {
        DrawRoundedBorder(g, TColor(14986633), L + 1, T + 1, R.right - 3, R.bottom - 3, corner);
        DrawDottedRoundRect(g, clGray, L + 2, T + 2, R.right - 5, R.bottom - 5, corner);
    }

    // Picture size.
    int pw = 0, ph = 0;
    const bool pictureUsable = PictureUsable(f.Picture);
    const bool picture2Usable = f.Picture2 && !f.Picture2->Empty();
    if (pictureUsable) {
        pw = f.Picture->Width();
        ph = f.Picture->Height();
    } else if (picture2Usable) {
        f.Picture2->UpdateImageSize();
        pw = f.Picture2->Width();
        ph = f.Picture2->Height();
    } else if (f.ImageIndex >= 0 && f.Images) {
        pw = f.Images->Width();
        ph = f.Images->Height();
    }
    if (pw > 0)
        pw += f.Spacing;
    SIZE size{pw, ph};

    const bool hasCaption = !f.Caption.empty() || !f.WideCaption.empty();
    int px = 0, py = 0;
    if (hasCaption) {
        canvas->Font()->SetName(f.Font->Name());
        const bool gdiPlus = f.AntiAlias != aaNone && IsOutlineFont(canvas);
        TGPFontPair font = MakeGPFont(f.Font, true, 7);
        const TGPRectF layoutRect =
            f.MeasureOnly ? BuildRectF(F(L), F(T), 4096, 4096) : BuildRectF(F(L), F(T), F(W), F(H));
        auto format = TGPStringFormat::CreateStringFormat(f.WordWrap ? 0 : 4096, 0);
        format->SetStringFormatAlign(f.Layout == blGlyphLeftAdjusted    ? 0
                                     : f.Layout == blGlyphRightAdjusted ? 2
                                                                        : 1);
        format->SetStringFormatLineAlign(f.Layout == blGlyphTopAdjusted      ? 0
                                         : f.Layout == blGlyphBottomAdjusted ? 2
                                                                             : 1);
        format->SetStringFormatHotkeyPrefix(1);
        format->SetStringFormatTrimming(static_cast<int>(f.Trimming));
        auto brush = TGPSolidBrush::CreateSolidFill(
            ColorToGPColor(f.Enabled ? f.Font->Color() : TColor(clGray)));
        if (f.AntiAlias == aaClearType)
            g->SetTextRenderingHint(5);
        else if (f.AntiAlias == aaAntiAlias)
            g->SetTextRenderingHint(4);
        const std::wstring wide = !f.Caption.empty() ? AnsiToWide(f.Caption) : f.WideCaption;

        float x = 0, tw = 0, th = 0;
        if (gdiPlus) {
            TGPRectF box;
            int fitted = 0, lines = 0;
            g->MeasureString(wide, static_cast<int>(wide.size()), font.font.get(), layoutRect,
                             format.get(), box, fitted, lines);
            x = box.X;
            tw = box.Width;
            th = box.Height;
        } else {
            canvas->Font()->Assign(f.Font);
            RECT box{0, 0, 0, 0};
            DrawTextA(FontDC(canvas), f.Caption.c_str(), static_cast<int>(f.Caption.size()), &box,
                      DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
            tw = F(box.right - box.left);
            th = F(box.bottom - box.top);
            x = f.Layout == blGlyphLeft ? F((W - static_cast<int>(tw) - pw) / 2) : F(L);
        }
        const int rtw = RoundEven(tw), rth = RoundEven(th);
        size = SIZE{rtw + pw + f.Spacing, std::max(rth + f.Spacing, ph + f.Spacing)};
        if (f.MeasureOnly)
            return size;

        float x0 = F(L), y0 = F(T), w0 = F(W), h0 = F(H);
        switch (f.Layout) {
            case blGlyphLeft:
                x0 = gdiPlus ? F(L + pw + 2) : x + F(pw);
                w0 = F(W - pw - 2);
                px = std::max(2, gdiPlus ? RoundEven(x - F(pw / 2)) : RoundEven(x));
                py = T + Half(H - ph);
                break;
            case blGlyphTop:
                y0 = F(T + ph);
                h0 = F(H - ph - 2);
                px = L + Half(W - pw);
                py = std::max(2, RoundEven(y0) + Half(RoundEven(h0 - th)) - ph - (gdiPlus ? 0 : 4));
                break;
            case blGlyphRight:
            case blGlyphRightAdjusted:
                x0 = 2;
                w0 = F(W - pw - 4);
                if (f.Layout == blGlyphRightAdjusted) {
                    px = W - pw - 2;
                } else {
                    px = Half(RoundEven(w0 - tw)) + rtw + 4;
                    if (px > W - pw)
                        px = W - pw - 2;
                }
                py = T + Half(H - ph);
                break;
            case blGlyphBottom:
                y0 = 2;
                h0 = F(H - ph - 2);
                px = L + Half(W - pw);
                py = Half(RoundEven(h0 - th)) + RoundEven(th + (gdiPlus ? 2 : 5));
                if (py > H - ph)
                    py = H - ph - 2;
                break;
            case blGlyphLeftAdjusted:
                x0 = F(L + pw + 2);
                w0 = F(W - pw - 2);
                px = std::max(2, RoundEven(x - F(pw / 2)));
                py = T + Half(H - ph);
                break;
            case blGlyphTopAdjusted:
                y0 = F(T + ph);
                h0 = F(H - ph - 2);
                px = L + Half(W - pw);
                py = std::max(2, RoundEven(y0) - ph);
                break;
            case blGlyphBottomAdjusted:
                y0 = 2;
                h0 = F(H - ph - (gdiPlus ? 2 : 4));
                px = L + Half(W - pw);
                if (gdiPlus) {
                    py = Half(H) + RoundEven(th + 2);
                    if (py > H - ph)
                        py = H - ph - 2;
                } else {
                    py = H - ph - 2;
                }
                break;
        }
        if (f.CaptionOverFace) {
            x0 = F(L);
            y0 = F(T);
            w0 = F(R.right - L);
            h0 = F(R.bottom - T);
            if (f.DrawPicture && f.Picture && !f.Picture->Empty() && f.Picture->Width() > 1 &&
                f.Picture->Height() > 1)
                canvas->Draw(px, py, f.Picture);
        }
        if (f.ShowCaption) {
            if (gdiPlus) {
                const TGPRectF target = BuildRectF(x0, y0, w0, h0);
                if (!f.Caption.empty())
                    g->DrawAnsiString(f.Caption, static_cast<int>(f.Caption.size()),
                                      font.font.get(), target, format.get(), brush.get());
                else
                    g->DrawString(f.WideCaption, static_cast<int>(f.WideCaption.size()),
                                  font.font.get(), target, format.get(), brush.get());
            } else {
                RECT target{RoundEven(x0), RoundEven(y0), RoundEven(x0 + w0), RoundEven(y0 + h0)};
                static const UINT kLayoutFlags[] = {
                    DT_VCENTER | DT_LEFT,   // blGlyphLeft
                    DT_VCENTER | DT_CENTER, // blGlyphTop
                    DT_VCENTER | DT_CENTER, // blGlyphRight
                    DT_VCENTER | DT_CENTER, // blGlyphBottom
                    DT_VCENTER | DT_LEFT,   // blGlyphLeftAdjusted
                    DT_VCENTER | DT_RIGHT,  // blGlyphRightAdjusted
                    DT_TOP | DT_CENTER,     // blGlyphTopAdjusted
                    DT_BOTTOM | DT_CENTER,  // blGlyphBottomAdjusted
                };
                if (f.Layout == blGlyphLeftAdjusted)
                    target.left += 2;
                canvas->Brush()->SetStyle(bsClear);
                canvas->Font()->Assign(f.Font);
                if (!f.Enabled)
                    canvas->Font()->SetColor(clGray);
                HDC dc = FontDC(canvas);
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, ColorToRGB(canvas->Font()->Color()));
                DrawTextA(dc, f.Caption.c_str(), static_cast<int>(f.Caption.size()), &target,
                          DT_SINGLELINE | kLayoutFlags[f.Layout]);
            }
        }
    } else if (f.MeasureOnly) {
        return size;
    }
    if (f.MeasureOnly)
        return size;

    if (f.DropDownButton) {
        if (f.DropDownPosition == dpBottom)
            H -= 8;
        else
            W -= 8;
    }
    if (f.DrawPicture && !f.CaptionOverFace) {
        auto placed = [&](int w, int h) {
            return hasCaption ? POINT{px, py} : POINT{L + Half(W - w), T + Half(H - h)};
        };
        if (pictureUsable) {
            const POINT p = placed(pw, ph);
            canvas->Draw(p.x, p.y, f.Picture);
        } else if (picture2Usable) {
            const POINT p = placed(pw, ph);
            canvas->Draw(p.x, p.y, f.Picture2);
        } else if (f.ImageIndex != -1 && f.Images) {
            const POINT p = placed(f.Images->Width(), f.Images->Height());
            f.Images->Draw(canvas, p.x, p.y, f.ImageIndex, f.ImageEnabled);
        }
    }
    if (f.DropDownButton) {
        if (f.DropDownSplit && f.DropDownPart) {
            canvas->Pen()->SetColor(f.BorderColor);
            if (f.DropDownPosition == dpBottom) {
                canvas->MoveTo(D.left, D.top);
                canvas->LineTo(D.right, D.top);
            } else {
                canvas->MoveTo(D.left, D.top);
                canvas->LineTo(D.left, D.bottom);
            }
        }
        const POINT at{D.left + (D.right - D.left - 5) / 2, D.top + (D.bottom - D.top - 3) / 2 + 1};
        DrawDropDownArrow(canvas, at, f.Enabled ? TColor(clBlack) : TColor(clGray), clWhite,
                          f.DropDownDirection);
    }
    return size;
}

} // namespace toolbar
