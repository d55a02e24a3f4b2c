// How a toolbar paints itself: the body gradient, the drag grip, the right handle with its
// chevron and option mark, the corners that take the dock panel's colour, and the floating
// caption with its option and close buttons.
#include "toolbar/AdvDockPanel.h"
#include "toolbar/AdvToolBar.h"

#include "draw/ButtonFace.h"
#include "draw/ToolbarDrawing.h"

#include "windows/Images.h"

#include <algorithm>
#include <memory>

namespace toolbar {

using namespace classlib;

namespace {
constexpr TColor kBtnShadow = clBtnShadow;

void Fill(TCanvas* c, const RECT& r, TColor color)
{
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color);
    c->FillRect(r);
}

void Line(TCanvas* c, TColor color, int x1, int y1, int x2, int y2)
{
    c->Pen()->SetColor(color);
    c->Pen()->SetWidth(1);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}

// A gradient of `steps` bands, or one colour when either end is clNone.
void Gradient(TCanvas* c, TColor from, TColor to, int steps, const RECT& r, bool horizontal)
{
    if (from == clNone && to == clNone)
        return;
    if (from == clNone || to == clNone)
        Fill(c, r, from == clNone ? to : from);
    else
        draw::DrawStepGradientInner(c, from, to, steps, r, horizontal);
}
} // namespace

RECT TAdvCustomToolBar::CaptionRect() const
{
    const int w = Width(), h = Height(), c = captionHeight_;
    if (state_ == tsFloating)
        return RECT{0, 0, w, c};
    if (!showCaption_)
        return RECT{-1, -1, -1, -1};
    if (IsHorizontal(position_))
        return captionAtEnd_ ? RECT{0, h - c, w, h} : RECT{0, 0, w, c};
    return captionAtEnd_ ? RECT{w - c, 0, w, h} : RECT{0, 0, c, h};
}

RECT TAdvCustomToolBar::CaptionOptionButtonRect() const
{
    if (state_ == tsFloating || !IsHorizontal(position_) || !showOptionIndicator_ ||
        fullRightHandle_ || !showCaption_)
        return RECT{-1, -1, -1, -1};
    const RECT c = CaptionRect();
    return RECT{c.right - captionHeight_ + 1, c.top + 2, c.right - 1, c.bottom - 1};
}

RECT TAdvCustomToolBar::CloseButtonRect() const
{
    if (state_ != tsFloating || !showClose_)
        return RECT{-1, -1, -1, -1};
    const RECT c = CaptionRect();
    return RECT{c.right - captionHeight_ - 1, c.top + 1, c.right - 1, c.bottom - 1};
}

RECT TAdvCustomToolBar::FloatingOptionButtonRect() const
{
    if (state_ != tsFloating || !showOptionIndicator_)
        return RECT{-1, -1, -1, -1};
    if (showClose_) {
        const RECT close = CloseButtonRect();
        return RECT{close.left - 2 - captionHeight_, close.top, close.left - 2, close.bottom};
    }
    const RECT c = CaptionRect();
    return RECT{c.right - 1 - captionHeight_, c.top + 1, c.right - 1, c.bottom - 1};
}

RECT TAdvCustomToolBar::GripRect() const
{
    if (!GripShown())
        return RECT{-1, -1, -1, -1};
    if (IsHorizontal(position_))
        return RECT{1, 1, kGripWidth, Height()};
    return RECT{1, 1, Width(), kGripWidth};
}

RECT TAdvCustomToolBar::RightHandleRect() const
{
    if (!showRightHandle_ || !fullRightHandle_ || state_ == tsFloating || menuBar_)
        return RECT{-1, -1, -1, -1};
    const int w = Width(), h = Height(), r = rightHandleWidth_;
    if (IsHorizontal(position_))
        return RECT{w - r, 0, w + 1, h + 1};
    return RECT{0, h - r, w, h};
}

void TAdvCustomToolBar::Paint()
{
    TCanvas* c = Canvas();
    RECT background{0, 0, Width(), Height()};
    if (state_ == tsFloating) {
        PaintFloatingCaption(c);
        background.top = captionHeight_;
    } else if (showCaption_) {
        PaintCaptionBand(c);
        // The band's side is cut from the body.
        const RECT band = CaptionRect();
        if (IsHorizontal(position_))
            (captionAtEnd_ ? background.bottom : background.top) =
                captionAtEnd_ ? band.top : band.bottom;
        else
            (captionAtEnd_ ? background.right : background.left) =
                captionAtEnd_ ? band.left : band.right;
    }
    PaintBody(c,
              RECT{background.left, background.top, background.right + 1, background.bottom + 1});
    PaintStylerPicture(c, background);
    if (state_ != tsFloating && currentStyler_->ShowFrameBevel() && currentStyler_->FrameBevel()) {
        const int w = Width(), h = Height();
        const int s = currentStyler_->FrameBevel() == 1 ? 1 : 0;
        const TColor first = s ? kBtnShadow : clWhite, second = s ? clWhite : kBtnShadow;
        Line(c, first, s, h, s, s);
        Line(c, first, s, s, w, s);
        Line(c, second, w - 1, s, w - 1, h - 1);
        Line(c, second, w - 1, h - 1, s, h - 1);
    }
    PaintGrip(c);
    PaintRightHandle(c);
    PaintCaptionOptionButton(c);
    PaintCorners(c);
    const TColor border = currentStyler_->BorderColor();
    if (border != clNone && state_ != tsFloating) {
        c->Pen()->SetColor(border);
        c->Brush()->SetStyle(bsClear);
        if (currentStyler_->RoundedCorners() && currentStyler_->FrameBevel() == 0)
            c->RoundRect(0, 0, Width() - 1, Height() - 1, 6, 6);
        else
            c->Rectangle(0, 0, Width(), Height());
    }
}

void TAdvCustomToolBar::PaintBody(TCanvas* c, const RECT& r)
{
    TVistaGradientBackground* color = currentStyler_->Color();
    TColor from = color->Color(), to = color->ColorTo();
    int steps = color->Steps();
    bool horizontal = color->Direction() == gdVertical;
    if (!IsHorizontal(position_) && !parentStyler_)
        horizontal = !horizontal;
    if (menuBar_) {
        TGradientBackground* dock = currentStyler_->DockColor();
        from = dock->Color();
        to = state_ == tsFloating ? dock->Color() : dock->ColorTo();
        steps = 256;
        horizontal = dock->Direction() == gdHorizontal;
    }
    if (to == clNone) {
        Fill(c, r, from);
        return;
    }
    if (state_ == tsFloating && floatingRows_ > 1) {
        for (int top = r.top; top < r.bottom; top += rowThickness_)
            Gradient(c, from, to, steps,
                     RECT{r.left, top, r.right, std::min<int>(r.bottom, top + rowThickness_)},
                     horizontal);
        return;
    }
    Gradient(c, from, to, steps, r, horizontal);
}

void TAdvCustomToolBar::PaintGrip(TCanvas* c)
{
    const RECT g = GripRect();
    if (g.left < 0)
        return;
    TBitmap* image = currentStyler_->DragGripImage();
    if (image && !image->Empty()) {
        c->StretchDraw(g, image);
        return;
    }
    const bool horizontal = IsHorizontal(position_);
    const int extent = horizontal ? g.bottom : g.right;
    switch (currentStyler_->DragGripStyle()) {
        case dsDots: {
            const int pairs = extent - 8 < 4 ? 0 : (extent - 8) / 4;
            for (int k = 0; k < pairs; ++k) {
                const int o = 4 + 4 * k;
                if (horizontal) {
                    Fill(c, RECT{g.left + 4, o + 1, g.left + 6, o + 3}, clWhite);
                    Fill(c, RECT{g.left + 3, o, g.left + 5, o + 2}, kBtnShadow);
                } else {
                    Fill(c, RECT{o + 1, g.top + 4, o + 3, g.top + 6}, clWhite);
                    Fill(c, RECT{o, g.top + 3, o + 2, g.top + 5}, kBtnShadow);
                }
            }
            break;
        }
        case dsSingleLine:
        case dsDoubleLine: {
            const bool single = currentStyler_->DragGripStyle() == dsSingleLine;
            for (int at : {single ? 4 : 2, 5}) {
                if (horizontal)
                    draw::DrawBevelLine(c, POINT{g.left + at, g.top + 3},
                                        POINT{g.left + at, g.bottom - 4}, true, true);
                else
                    draw::DrawBevelLine(c, POINT{g.left + 3, g.top + at},
                                        POINT{g.right - 4, g.top + at}, true, false);
                if (single)
                    break;
            }
            break;
        }
        case dsFlatDots: {
            const int dashes = (extent - 8) / 2;
            for (int i = 0; i < dashes; ++i) {
                const int along = 3 + 2 * i + 1;
                if (horizontal)
                    Line(c, 0xA5A5A5, g.left + 2, along, g.left + 5, along);
                else
                    Line(c, 0xA5A5A5, along, g.top + 2, along, g.top + 5);
            }
            break;
        }
        case dsNone:
            break;
    }
}

void TAdvCustomToolBar::PaintRightHandle(TCanvas* c)
{
    RECT r = RightHandleRect();
    if (r.left < 0 && r.right < 0)
        return;
    const bool horizontal = IsHorizontal(position_);
    const bool rounded = currentStyler_->RoundedCorners();
    if (!rounded)
        r = horizontal ? RECT{r.left - 1, r.top + 1, r.right - 2, r.bottom - 2}
                       : RECT{r.left + 1, r.top, r.right - 1, r.bottom - 1};
    TCustomAdvToolBarStyler* s = currentStyler_;
    TButtonAppearance* button = s->ButtonAppearance();
    TColor from = s->RightHandleColor(), to = s->RightHandleColorTo(),
           border = button->BorderColor();
    if (rightHandleDown_) {
        from = s->RightHandleColorDown();
        to = s->RightHandleColorDownTo();
        border = button->BorderDownColor();
    } else if (rightHandleHot_) {
        from = s->RightHandleColorHot();
        to = s->RightHandleColorHotTo();
        border = button->BorderHotColor();
    }
    TBitmap* image = s->RightHandleImage();
    if (image && !image->Empty()) {
        c->StretchDraw(r, image);
        return;
    }
    const RECT face = horizontal ? RECT{r.left + 3, r.top, r.right, r.bottom}
                                 : RECT{r.left, r.top + 3, r.right, r.bottom};
    if (from == clNone || to == clNone)
        Fill(c, face, from == clNone ? to : from);
    else
        draw::DrawStepGradientInner(c, from, to, 16, face, !horizontal);
    const bool hidden = ControlsHidden();
    if (rounded) {
        const TColor inner = to == clNone ? from : to;
        if (horizontal) {
            c->SetPixel(face.left - 2, face.bottom - 2, inner);
            c->SetPixel(face.left - 1, face.bottom - 2, inner);
            c->SetPixel(face.left - 1, face.bottom - 3, inner);
            c->SetPixel(face.left - 2, face.top, from);
            c->SetPixel(face.left - 1, face.top, from);
            c->SetPixel(face.left - 1, face.top + 1, from);
        }
        if (state_ == tsDocked && dockPanel_) {
            // The outer corners show the dock panel behind the toolbar.
            const int w = Width(), h = Height();
            const TColor top = dockPanel_->BackgroundAt(Left() + w, Top());
            const TColor bottom = dockPanel_->BackgroundAt(Left() + w, Top() + h - 1);
            c->SetPixel(w - 1, 0, top);
            c->SetPixel(w - 2, 0, top);
            c->SetPixel(w - 1, 1, top);
            c->SetPixel(w - 1, h - 1, bottom);
            c->SetPixel(w - 2, h - 1, bottom);
            c->SetPixel(w - 1, h - 2, bottom);
        }
        const int R = r.right, T = r.top, B = r.bottom;
        auto stroke = [&](int x1, int y1, int x2, int y2) {
            Line(c, clBlack, x1, y1, x2, y2);
            Line(c, clWhite, x1 + 1, y1 + 1, x2 + 1, y2 + 1);
        };
        if (horizontal) {
            if (hidden) {
                stroke(R - 6, T + 5, R - 6, T + 8);
                stroke(R - 6, T + 6, R - 4, T + 6);
                stroke(R - 10, T + 5, R - 10, T + 8);
                stroke(R - 10, T + 6, R - 8, T + 6);
            }
            if (showOptionIndicator_) {
                stroke(R - 9, B - 11, R - 4, B - 11);
                stroke(R - 9, B - 8, R - 4, B - 8);
                stroke(R - 8, B - 7, R - 5, B - 7);
                stroke(R - 7, B - 6, R - 6, B - 6);
            }
        } else {
            const int L = r.left;
            if (hidden) {
                stroke(L + 5, T + 5, L + 8, T + 5);
                stroke(L + 6, T + 5, L + 6, T + 7);
                stroke(L + 5, T + 9, L + 8, T + 9);
                stroke(L + 6, T + 9, L + 6, T + 11);
            }
            if (showOptionIndicator_) {
                stroke(R - 9, T + 5, R - 9, T + 10);
                stroke(R - 6, T + 5, R - 6, T + 10);
                stroke(R - 5, T + 6, R - 5, T + 9);
                stroke(R - 4, T + 7, R - 4, T + 8);
            }
        }
        return;
    }
    if (border != clNone) {
        c->Pen()->SetColor(border);
        c->Brush()->SetStyle(bsClear);
        c->Rectangle(face.left, face.top, face.right, face.bottom);
    }
    const int L = r.left, T = r.top, B = r.bottom, R = r.right;
    if (horizontal) {
        if (hidden) {
            Line(c, clBlack, L + 8, T + 3, L + 11, T + 6);
            Line(c, clBlack, L + 11, T + 6, L + 7, T + 10);
            Line(c, clBlack, L + 6, T + 3, L + 9, T + 6);
            Line(c, clBlack, L + 9, T + 6, L + 5, T + 10);
        }
        if (showOptionIndicator_) {
            Line(c, clBlack, R - 9, B - 9, R - 4, B - 9);
            Line(c, clBlack, R - 9, B - 7, R - 4, B - 7);
            Line(c, clBlack, R - 8, B - 6, R - 5, B - 6);
            Line(c, clBlack, R - 7, B - 5, R - 6, B - 5);
        }
    }
}

void TAdvCustomToolBar::PaintCorners(TCanvas* c)
{
    if (!currentStyler_->RoundedCorners() || currentStyler_->FrameBevel() != 0 ||
        state_ != tsDocked || !dockPanel_)
        return;
    const int w = Width(), h = Height();
    const TColor top = dockPanel_->BackgroundAt(std::max(0, Left() - 1), Top());
    const TColor bottom = dockPanel_->BackgroundAt(std::max(0, Left() - 1), Top() + h - 1);
    c->SetPixel(0, 0, top);
    c->SetPixel(1, 0, top);
    c->SetPixel(0, 1, top);
    c->SetPixel(0, h - 1, bottom);
    c->SetPixel(1, h - 1, bottom);
    c->SetPixel(0, h - 2, bottom);
    const RECT handle = RightHandleRect();
    if (handle.left < 0 && handle.right < 0) {
        c->SetPixel(w - 1, 0, top);
        c->SetPixel(w - 2, 0, top);
        c->SetPixel(w - 1, 1, top);
        c->SetPixel(w - 1, h - 1, bottom);
        c->SetPixel(w - 2, h - 1, bottom);
        c->SetPixel(w - 1, h - 2, bottom);
    }
}

void TAdvCustomToolBar::PaintStylerPicture(TCanvas* c, const RECT& background)
{
    // Every row of tiles starts at x = 0.
    DrawBackGroundPicture(
        c, currentStyler_->BackGround(), currentStyler_->BackGroundDisplay(), Width(), Height(), 0,
        1,
        RECT{background.left + 2, background.top + 2, background.right - 2, background.bottom - 2});
}

void TAdvCustomToolBar::PaintCaptionBand(TCanvas* c)
{
    const RECT band = CaptionRect();
    TColor from, to, border, text;
    CaptionColors(from, to, border, text);
    if (from != clNone && to != clNone)
        draw::DrawStepGradientInner(c, from, to, 80, band, false);
    else if (from != clNone || to != clNone)
        Fill(c, band, from != clNone ? from : to);
    if (border != clNone) {
        c->Pen()->SetColor(border);
        c->Brush()->SetStyle(bsClear);
        c->Rectangle(band.left, band.top, band.right, band.bottom);
    }
    if (HasCaptionText())
        PaintCaptionText(c, band, text);
}

void TAdvCustomToolBar::PaintCaptionText(TCanvas* c, const RECT& band, TColor color)
{
    const bool horizontal = IsHorizontal(position_);
    const bool grip = GripShown();
    const RECT handle = RightHandleRect();
    const bool handleDrawn = !(handle.left < 0 && handle.right < 0);
    RECT text = band;
    const int start = grip ? kGripWidth + 3 : 3;
    const int endCut = handleDrawn ? rightHandleWidth_ + 2 : 0;
    if (horizontal) {
        text.left += start;
        text.right -= endCut;
    } else {
        text.top += start;
        text.bottom -= endCut;
    }
    const RECT option = CaptionOptionButtonRect();
    if (option.left >= 0)
        text.right = std::min<int>(text.right, option.left);
    c->Font()->Assign(currentStyler_->CaptionFont());
    c->Font()->SetColor(color);
    c->Brush()->SetStyle(bsClear);
    const std::string caption = Caption();
    if (horizontal) {
        UINT align = DT_LEFT;
        if (captionAlignment_ == taRightJustify)
            align = DT_RIGHT;
        else if (captionAlignment_ == taCenter)
            align = DT_CENTER;
        const UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | align;
        if (!caption.empty())
            DrawTextA(c->Handle(), caption.c_str(), static_cast<int>(caption.size()), &text,
                      format);
        else
            DrawTextW(c->Handle(), wideCaption_.c_str(), static_cast<int>(wideCaption_.size()),
                      &text, format);
        return;
    }
    // Vertical: the text runs down (daRight) or up (daLeft) in a rotated copy of the font.
    int w = 0;
    if (!caption.empty()) {
        w = c->TextWidth(caption);
    } else {
        RECT measure{0, 0, 1024, 255};
        DrawTextW(c->Handle(), wideCaption_.c_str(), static_cast<int>(wideCaption_.size()),
                  &measure, DT_SINGLELINE | DT_CALCRECT);
        w = measure.right - measure.left;
    }
    const bool right = position_ == daRight;
    LOGFONTA lf{};
    GetObjectA(c->Font()->Handle(), sizeof lf, &lf);
    lf.lfEscapement = right ? -900 : -2700;
    lf.lfOrientation = 30;
    auto rotated = std::make_unique<TFont>();
    rotated->Assign(c->Font());
    rotated->SetHandle(CreateFontIndirectA(&lf));
    c->Font()->Assign(rotated.get());
    POINT at{};
    const int extent = text.bottom - text.top;
    if (right) {
        if (captionAlignment_ == taRightJustify)
            at = POINT{text.right, text.bottom - w - 5};
        else if (captionAlignment_ == taCenter)
            at = POINT{text.right, text.top + (extent - w) / 2};
        else
            at = POINT{text.right, text.top};
    } else {
        if (captionAlignment_ == taRightJustify)
            at = POINT{text.left, text.top + w + 2};
        else if (captionAlignment_ == taCenter)
            at = POINT{text.left, text.bottom - (extent - w) / 2};
        else
            at = POINT{text.left, text.bottom - 2};
    }
    draw::DrawAccelText(c, caption, at);
}

void TAdvCustomToolBar::PaintCaptionOptionButton(TCanvas* c)
{
    const RECT r = CaptionOptionButtonRect();
    if (r.left < 0)
        return;
    using Appearance = controls::TGlowButtonAppearance;
    const Appearance* a = currentStyler_->GlowButtonAppearance();
    const auto set = a->ColorSet(captionOptionDown_  ? Appearance::skDown
                                 : captionOptionHot_ ? Appearance::skHot
                                                     : Appearance::skNormal);
    draw::DrawButtonContentSimple(c, r, set.Color, set.ColorTo, set.ColorMirror, set.ColorMirrorTo,
                                  set.BorderColor, set.Gradient, set.GradientMirror, "", Font(),
                                  Enabled(), false, 0, buttonShape_ != 0);
}

void TAdvCustomToolBar::PaintFloatingCaption(TCanvas* c)
{
    TCaptionAppearance* a = currentStyler_->CaptionAppearance();
    const RECT caption = CaptionRect();
    if (a->CaptionColor() == clNone || a->CaptionColorTo() == clNone)
        Fill(c, caption, a->CaptionColor() == clNone ? a->CaptionColorTo() : a->CaptionColor());
    else
        draw::DrawStepGradientInner(c, a->CaptionColor(), a->CaptionColorTo(), 80, caption, false);
    if (a->CaptionBorderColor() != clNone) {
        c->Pen()->SetColor(a->CaptionBorderColor());
        c->Brush()->SetStyle(bsClear);
        c->Rectangle(caption.left, caption.top, caption.right, caption.bottom);
    }
    const RECT option = FloatingOptionButtonRect();
    const RECT close = CloseButtonRect();
    RECT text{caption.left + 3, caption.top, caption.right, caption.bottom};
    if (showOptionIndicator_)
        text.right = option.left;
    else if (showClose_)
        text.right = close.left;
    if (HasCaptionText()) {
        c->Font()->Assign(parentStyler_ ? currentStyler_->CaptionFont() : captionFont_);
        c->Font()->SetColor(a->CaptionTextColor());
        c->Brush()->SetStyle(bsClear);
        const UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
        const std::string s = Caption();
        if (!s.empty())
            DrawTextA(c->Handle(), s.c_str(), static_cast<int>(s.size()), &text, format);
        else
            DrawTextW(c->Handle(), wideCaption_.c_str(), static_cast<int>(wideCaption_.size()),
                      &text, format);
    }
    auto button = [&](const RECT& r, bool hot, bool down, TColor& glyph) {
        const TColor menuColor = currentStyler_->CurrentMenuStyler()
                                     ? currentStyler_->CurrentMenuStyler()->RootItem()->Color()
                                     : a->CaptionColor();
        const TColor pen = (hot || down) ? clBlack : a->CaptionColor();
        const TColor fill = (hot || down) ? menuColor : a->CaptionColor();
        glyph = (hot && !down) ? clBlack : clWhite;
        c->Pen()->SetColor(pen);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(fill);
        c->Rectangle(r.left, r.top, r.right, r.bottom);
    };
    TColor glyph = clWhite;
    if (showOptionIndicator_) {
        button(option, optionHot_, optionDown_, glyph);
        for (int i = 0; i < 4; ++i)
            Line(c, glyph, option.left + 5 + i, option.bottom - 10 + i, option.left + 12 - i,
                 option.bottom - 10 + i);
    }
    if (showClose_) {
        button(close, closeHot_, closeDown_, glyph);
        const int L = close.left + 4, T = close.top + 4;
        Line(c, glyph, L, T + 7, L + 8, T);
        Line(c, glyph, L + 1, T + 7, L + 7, T);
        Line(c, glyph, L, T + 1, L + 8, T + 8);
        Line(c, glyph, L + 1, T + 1, L + 7, T + 8);
    }
}

} // namespace toolbar
