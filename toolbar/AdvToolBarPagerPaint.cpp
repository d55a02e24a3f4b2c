// The pager's painting: the styler's background picture, the caption band, the tab strip with
// its group heads and the tabs in their states (fades included), and the shadow under the
// active page. The window itself is double buffered, and the caption band, tabs cut by the tab
// area and tab captions go through bitmaps of their own.
#include "toolbar/AdvToolBarPager.h"

#include <algorithm>

#include "draw/ButtonFace.h"
#include "draw/ToolbarDrawing.h"

using namespace classlib;
using namespace draw;

namespace toolbar {

namespace {

// The colours of one tab body.
struct TabColors {
    TColor color = clNone, colorTo = clNone, mirror = clNone, mirrorTo = clNone;
    TColor border = clNone, text = clNone, highlight = clNone;
    TGDIPGradient gradient = ggVertical, gradientMirror = ggVertical;
    bool body = false;
};

void Line(TCanvas* c, TColor color, int x1, int y1, int x2, int y2)
{
    c->Pen()->SetColor(color);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}

} // namespace

void TAdvToolBarPager::Paint()
{
    if (!Designing()) {
        CheckMDIChild();
        // The maximize glyph follows the form's state, also when it changed elsewhere.
        if (TCustomForm* form = ParentForm(); form && form->WindowState() != lastWindowState_) {
            lastWindowState_ = form->WindowState();
            UpdateCaptionButtons(true);
        }
    }
    TCanvas* canvas = Canvas();
    TCustomAdvToolBarStyler* styler = CurrentStyler();
    TBitmap* picture = styler->BackGround();
    if (picture && !picture->Empty()) {
        const int w = picture->Width(), h = picture->Height();
        switch (styler->BackGroundDisplay()) {
            case bdTile:
                for (int y = 1; y < Height() - 2; y += h)
                    for (int x = 1; x < Width() - 2; x += w)
                        canvas->Draw(x, y, picture);
                break;
            case bdCenter:
                canvas->Draw((Width() - w) / 2, (Height() - h) / 2, picture);
                break;
            case bdStretch:
                canvas->StretchDraw(RECT{2, 2, Width() - 2, Height() - 2}, picture);
                break;
        }
    }
    DrawCaption(canvas);
    DrawTabStrip(canvas);
    DrawPageShadow(canvas);
}

void TAdvToolBarPager::DrawPageShadow(TCanvas* canvas)
{
    TAdvPage* page = ActivePage();
    if (!page)
        return;
    const RECT r = page->BoundsRect();
    TVistaPageBackground* pa = CurrentStyler()->PageAppearance();
    const TColor b = canvas->Pixel(r.left, r.bottom + 1);
    // DarkenColor keeps every channel within 0..255, also when it lightens.
    Line(canvas, DarkenColor(pa->ShadowColor(), -15), r.left + 4, r.bottom, r.right, r.bottom);
    Line(canvas, DarkenColor(b, 10), r.right, r.bottom, r.right, r.top + 4);
    Line(canvas, DarkenColor(pa->ShadowColor(), -20), r.left + 5, r.bottom + 1, r.right + 1,
         r.bottom + 1);
    Line(canvas, DarkenColor(b, 5), r.right + 1, r.bottom + 1, r.right + 1, r.top + 5);
}

void TAdvToolBarPager::DrawCaption(TCanvas* canvas)
{
    if (!caption_->Visible())
        return;
    const RECT band = CaptionRect();
    const int w = band.right - band.left, h = band.bottom - band.top;
    if (w <= 0 || h <= 0)
        return;
    TVistaTextBackground* pc = CurrentStyler()->PagerCaption();
    TBitmap bitmap;
    bitmap.SetWidth(w);
    bitmap.SetHeight(h);
    TCanvas* bc = bitmap.Canvas();
    DrawButtonContentSimple(bc, RECT{0, 0, w, h + 1}, pc->Color(), pc->ColorTo(), pc->ColorMirror(),
                            pc->ColorMirrorTo(), pc->BorderColor(), pc->Gradient(),
                            pc->GradientMirror(), "", pc->Font(), Enabled(), false, antiAlias_,
                            false);
    RECT text{caption_->Indent(), 0, w - caption_->TrailingIndent(), h};
    for (int g = 0; g < tabGroups_->Count(); ++g) {
        bool l = false, r = false;
        const RECT head = TabGroupRect(g, l, r);
        if (head.left >= 0 && head.right >= 0)
            text.left = std::max<LONG>(text.left, head.right - band.left);
    }
    std::string caption = caption_->Caption();
    TFont font;
    font.Assign(pc->Font());
    font.SetColor(pc->TextColor());
    RECT measured{};
    DrawButtonCaption(bc, taCenter, text, caption, std::wstring(), &font, Enabled(), true,
                      antiAlias_, measured);
    canvas->Draw(band.left, band.top, &bitmap);
}

void TAdvToolBarPager::DrawTabBackground(TCanvas* canvas, const RECT& r)
{
    TGradientBackground* bg = CurrentStyler()->TabAppearance()->BackGround();
    if (bg->Color() != clNone && bg->ColorTo() != clNone) {
        DrawStepGradientInner(canvas, bg->Color(), bg->ColorTo(), bg->Steps(), r,
                              bg->Direction() == gdHorizontal);
    } else if (bg->Color() != clNone) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(bg->Color());
        canvas->Pen()->SetColor(bg->Color());
        canvas->Rectangle(r);
    }
}

void TAdvToolBarPager::DrawTabStrip(TCanvas* canvas)
{
    RECT r = TabStripRect();
    r.bottom = ClientRect().bottom;
    DrawTabBackground(canvas, r);
    if (caption_->Visible()) {
        TGradientBackground* bg = CurrentStyler()->TabAppearance()->BackGround();
        Line(canvas, BlendColors(clWhite, bg->Color(), 70), r.left, r.top + 1, r.right, r.top + 1);
    }
    if (!pagesMinimized_)
        DrawTabGroups(canvas);
    for (int i = 0; i < PageCount(); ++i)
        DrawTab(canvas, i);
}

void TAdvToolBarPager::DrawTabGroups(TCanvas* canvas)
{
    TCustomAdvToolBarStyler* styler = CurrentStyler();
    for (int g = 0; g < tabGroups_->Count(); ++g) {
        bool leftShown = false, rightShown = false;
        const RECT r = TabGroupRect(g, leftShown, rightShown);
        if (r.left < 0 || r.right < 0)
            continue;
        TGroupAppearance* a = GroupAppearanceOf(g);
        const RECT h{r.left, r.top + 8, r.right, TabStripRect().top};
        DrawButtonContentSimple(canvas, h, a->Color(), a->ColorTo(), a->ColorMirror(),
                                a->ColorMirrorTo(), clNone, a->Gradient(), a->GradientMirror(), "",
                                a->Font(), Enabled(), false, antiAlias_, false);
        Line(canvas, BlendColors(a->ColorMirrorTo(), clBlack, 80), r.left, h.bottom, r.right,
             h.bottom);
        const TColor captionColor = styler->PagerCaption()->Color();
        const TColor stripColor = styler->TabAppearance()->BackGround()->Color();
        DrawStepGradientInner(canvas, captionColor, a->BorderColor(), 40,
                              RECT{r.left, r.top + 6, r.left + 1, h.bottom + 1}, false);
        DrawStepGradientInner(canvas, captionColor, a->BorderColor(), 40,
                              RECT{r.right - 1, r.top + 6, r.right, h.bottom + 2}, false);
        DrawStepGradientInner(canvas, a->BorderColor(), stripColor, 40,
                              RECT{r.left, h.bottom, r.left + 1, r.bottom}, false);
        if (rightShown)
            DrawStepGradientInner(canvas, a->BorderColor(), stripColor, 40,
                                  RECT{r.right - 1, h.bottom, r.right, r.bottom}, false);
        const TTabGroupItem* item = tabGroups_->Items(g);
        TFont font;
        font.Assign(a->Font());
        font.SetColor(a->TextColor());
        canvas->Brush()->SetStyle(bsClear);
        RECT text{h.left + 3, h.top, h.right, h.bottom}, drawn{};
        DrawCaptionText(canvas, item->CaptionAlignment(), 0x4024, text, item->Caption(),
                        std::wstring(), &font, Enabled(), true, antiAlias_, false, false, drawn);
    }
}

void TAdvToolBarPager::DrawTab(TCanvas* target, int i)
{
    if (i < 0 || i >= PageCount() || tabSettings_->Height() <= 0)
        return;
    const RECT R = TabRect(i);
    const RECT area = TabAreaRect();
    if (R.left == -1 && R.right == -1)
        return;
    if (R.right <= area.left || R.left >= area.right)
        return;
    TAdvPage* page = pages_[i];
    TCustomAdvToolBarStyler* styler = CurrentStyler();
    TCustomTabAppearance* base = styler->TabAppearance();
    TCustomTabAppearance* T = TabAppearanceOf(i);
    TGradientBackground* bg = base->BackGround();

    // A tab cut by the tab area is painted off-screen and only its visible part copied.
    const bool cut = R.left < area.left || R.right > area.right;
    std::unique_ptr<TBitmap> offscreen;
    TCanvas* canvas = target;
    if (cut) {
        offscreen = std::make_unique<TBitmap>();
        offscreen->SetWidth(Width());
        offscreen->SetHeight(Height());
        canvas = offscreen->Canvas();
        DrawTabBackground(canvas, ClientRect());
    }

    if (!cut && tabs_.CanCompressTabs(i))
        DrawStepGradientInner(canvas, BlendColors(bg->Color(), base->BorderColorSelected(), 60),
                              base->BorderColorSelected(), 40,
                              RECT{R.left - 2, R.top + 1, R.left - 1, R.bottom}, false);

    const bool timer = page->fadeTimer_ && page->fadeTimer_->Enabled();
    const bool fading = timer && page->fadeState_ == 0;
    const int Lh = page->hotLevel_, Lp = page->pressLevel_;
    TabColors c;
    c.highlight = T->HighLightColor();
    const TColor bgTo = bg->ColorTo() != clNone ? bg->ColorTo() : bg->Color();
    auto hotToNormal = [&] {
        c.color = BlendColors(T->ColorHot(), T->Color(), Lh);
        c.colorTo = BlendColors(T->ColorHotTo(), T->ColorTo(), Lh);
        c.mirror = BlendColors(T->ColorMirrorHot(), T->ColorMirror(), Lh);
        c.mirrorTo = BlendColors(T->ColorMirrorHotTo(), T->ColorMirrorTo(), Lh);
        c.border = BlendColors(T->BorderColorHot(), T->BorderColor(), Lh);
    };
    auto hotToBackground = [&] {
        c.color = BlendColors(T->ColorHot(), bg->Color(), Lh);
        c.colorTo = BlendColors(T->ColorHotTo(), bgTo, Lh);
        c.mirror = BlendColors(T->ColorMirrorHot(), bg->Color(), Lh);
        c.mirrorTo = BlendColors(T->ColorMirrorHotTo(), bg->Color(), Lh);
        c.border = BlendColors(T->BorderColorHot(), bg->Color(), Lh);
    };
    if (page->tabEnabled_ || !showNonSelectedTabs_) {
        if (i == activeIndex_ && (expanded_ || IsMinimizedPopupVisible())) {
            c = TabColors{T->ColorSelected(),          T->ColorSelectedTo(),
                          T->ColorMirrorSelected(),    T->ColorMirrorSelectedTo(),
                          T->BorderColorSelected(),    T->TextColorSelected(),
                          T->HighLightColor(),         T->GradientSelected(),
                          T->GradientMirrorSelected(), true};
            if (i == hotTab_) {
                c.border = T->BorderColorSelectedHot();
                c.highlight = T->HighLightColorSelectedHot();
            }
            if (timer && page->fadeState_ == 1) {
                c.color = BlendColors(c.color, T->ColorHot(), Lp);
                c.colorTo = BlendColors(c.colorTo, T->ColorHotTo(), Lp);
                c.mirror = BlendColors(c.mirror, T->ColorMirrorHot(), Lp);
                c.mirrorTo = BlendColors(c.mirrorTo, T->ColorMirrorHotTo(), Lp);
                c.border = BlendColors(c.border, T->BorderColorHot(), Lp);
            } else if (fading) {
                c.border = BlendColors(T->BorderColorSelectedHot(), T->BorderColorSelected(), Lh);
            }
            if (i == downTab_ && !Designing()) {
                c.border = T->BorderColorDown();
                c.highlight = T->HighLightColorDown();
            }
        } else if (i == hotTab_) {
            c = TabColors{T->ColorHot(),          T->ColorHotTo(),
                          T->ColorMirrorHot(),    T->ColorMirrorHotTo(),
                          T->BorderColorHot(),    T->TextColorHot(),
                          T->HighLightColorHot(), T->GradientHot(),
                          T->GradientMirrorHot(), true};
            if (fading) {
                if (showNonSelectedTabs_)
                    hotToNormal();
                else
                    hotToBackground();
            }
        } else if (showNonSelectedTabs_) {
            c = TabColors{T->Color(),          T->ColorTo(),
                          T->ColorMirror(),    T->ColorMirrorTo(),
                          T->BorderColor(),    T->TextColor(),
                          T->HighLightColor(), T->Gradient(),
                          T->GradientMirror(), true};
            if (fading)
                hotToNormal();
        } else {
            c.text = page->tabEnabled_ ? T->TextColor() : T->TextColorDisabled();
            c.gradient = T->GradientHot();
            c.gradientMirror = T->GradientMirrorHot();
            c.highlight = clNone;
            if (fading) {
                // A tab fading out shows its body until the fade ends.
                hotToBackground();
                c.body = true;
                c.highlight = T->HighLightColorHot();
            }
        }
    } else {
        c = TabColors{T->ColorDisabled(),          T->ColorDisabledTo(),
                      T->ColorMirrorDisabled(),    T->ColorMirrorDisabledTo(),
                      T->BorderColorDisabled(),    T->TextColorDisabled(),
                      T->HighLightColor(),         T->GradientDisabled(),
                      T->GradientMirrorDisabled(), true};
    }
    bool focused = false;
    if (Focused() && i == activeIndex_) {
        c.color = T->ColorHot();
        c.colorTo = T->ColorHotTo();
        c.mirror = T->ColorMirrorHot();
        c.mirrorTo = T->ColorMirrorHotTo();
        c.gradient = T->GradientHot();
        c.gradientMirror = T->GradientMirrorHot();
        c.border = T->BorderColorSelectedHot();
        c.text = T->TextColorHot();
        c.highlight = T->HighLightColorSelected();
        focused = true;
    }

    if (c.body) {
        DrawButtonContentSimple(canvas, R, c.color, c.colorTo, c.mirror, c.mirrorTo, c.border,
                                c.gradient, c.gradientMirror, "", T->Font(), Enabled(), false,
                                antiAlias_, true);
        // Round the two top corners with what lies outside them.
        const TColor leftOut = canvas->Pixel(R.left - 1, R.top - 1);
        canvas->SetPixel(R.left, R.top, leftOut);
        canvas->SetPixel(R.left + 1, R.top, canvas->Pixel(R.left + 1, R.top - 1));
        canvas->SetPixel(R.left, R.top + 1, canvas->Pixel(R.left - 1, R.top));
        const TColor rightOut = canvas->Pixel(R.right + 1, R.top);
        canvas->SetPixel(R.right - 1, R.top, rightOut);
        canvas->SetPixel(R.right - 2, R.top, rightOut);
        canvas->SetPixel(R.right - 1, R.top + 1, rightOut);
        const int p = focused || fading ? 20 : 50;
        Line(canvas, BlendColors(clWhite, c.color, p), R.left + 3, R.top + 3, R.right - 3,
             R.top + 3);
        if (base->ShadowColor() != clNone) {
            Line(canvas, base->ShadowColor(), R.right, R.top + 3, R.right, R.bottom - 4);
            Line(canvas, BlendColors(base->ShadowColor(), bg->Color(), 40), R.right + 1, R.top + 4,
                 R.right + 1, R.bottom - 4);
        }
        if (c.highlight != clNone) {
            Line(canvas, BlendColors(c.color, c.border, 80), R.left + 3, R.top + 1, R.right - 3,
                 R.top + 1);
            Line(canvas, c.highlight, R.left + 1, R.top + 3, R.left + 1, R.bottom - 5);
            Line(canvas, c.highlight, R.right - 2, R.top + 3, R.right - 2, R.bottom - 5);
        }
    }

    // Content: image, then the caption through a bitmap of its own.
    RECT content{R.left + tabs_.LeftMargin(i), R.top, R.right, R.bottom};
    if ((images_ || disabledImages_) && page->imageIndex_ >= 0) {
        TCustomImageList* list = page->tabEnabled_ ? images_ : disabledImages_;
        bool drawEnabled = true;
        if (!list) {
            list = images_;
            drawEnabled = page->tabEnabled_;
        }
        if (list) {
            list->Draw(canvas, content.left, R.top + (R.bottom - R.top - list->Height()) / 2,
                       page->imageIndex_, drawEnabled);
            content.left += list->Width() + 2;
        }
    }
    content.right -= 2;
    const int cw = content.right - content.left, ch = R.bottom - R.top;
    const int bw = std::max(cw, tabs_.tabs[i].natural + tabSettings_->RightMargin());
    if (cw > 0 && ch > 0 && bw > 0) {
        TBitmap text;
        text.SetWidth(bw);
        text.SetHeight(ch);
        BitBlt(text.Canvas()->Handle(), 0, 0, cw, ch, canvas->Handle(), content.left, content.top,
               SRCCOPY);
        TFont font;
        font.Assign(base->Font());
        font.SetColor(c.text);
        RECT measured{};
        DrawButtonCaption(text.Canvas(), taLeftJustify, RECT{0, 0, cw, ch}, page->caption_,
                          page->wideCaption_, &font, page->tabEnabled_, true, antiAlias_, measured);
        BitBlt(canvas->Handle(), content.left, content.top, cw, ch, text.Canvas()->Handle(), 0, 0,
               SRCCOPY);
    }

    if (cut) {
        const int left = std::max(R.left, area.left), right = std::min(R.right, area.right);
        BitBlt(target->Handle(), left, R.top, right - left, R.bottom - R.top, canvas->Handle(),
               left, R.top, SRCCOPY);
    }
}

} // namespace toolbar
