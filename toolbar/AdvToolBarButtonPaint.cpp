// How a toolbar button paints itself: face, border and drop-down part by state (the menu
// button with the menu styler's root-item colours on a menu bar), the glyph chosen by state
// at its place for the glyph position and orientation, the hot shade, and the caption
// (rotated on a vertical button, embossed when disabled).
#include "toolbar/AdvToolBarItems.h"

#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarStyler.h"

#include "draw/ToolbarDrawing.h"
#include "menus/AdvMenus.h"

#include <cstdlib>

namespace toolbar {

using namespace classlib;

namespace {
RECT ToRect(const draw::TIntRect& r)
{
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}
} // namespace

bool TAdvCustomToolBarButton::PressedLook() const
{
    return State() == tbsDown || (HotTracked() && State() == tbsLatched) || pressed_;
}

TAdvCustomToolBarButton::PaintColours TAdvCustomToolBarButton::ColoursByState()
{
    PaintColours c;
    TButtonAppearance* a = AppearanceInForce();
    if (State() == tbsDisabled || !Enabled()) {
        c.caption = appearance_->CaptionTextColor();
        c.horizontalGradient = appearance_->GradientDirection() == gdHorizontal;
        c.glyph = glyphDisabled_;
    } else if (PressedLook()) {
        c.face = a->ColorDown();
        c.faceTo = a->ColorDownTo();
        c.border = a->BorderDownColor();
        c.caption = a->CaptionTextColorDown();
        c.drop = a->ColorHot();
        c.dropTo = a->ColorHotTo();
        c.horizontalGradient = a->GradientDirectionDown() == gdHorizontal;
        c.glyph = glyphDown_;
        return c;
    } else if (State() == tbsLatched) {
        c.face = a->ColorChecked();
        c.faceTo = a->ColorCheckedTo();
        c.border = a->BorderCheckedColor();
        c.caption = a->CaptionTextColorChecked();
        c.horizontalGradient = a->GradientDirectionChecked() == gdHorizontal;
        c.glyph = glyphChecked_;
    } else if (HotTracked()) {
        c.face = a->ColorHot();
        c.faceTo = a->ColorHotTo();
        c.border = a->BorderHotColor();
        c.caption = a->CaptionTextColorHot();
        c.horizontalGradient = a->GradientDirectionHot() == gdHorizontal;
        c.glyph = glyphHot_;
    } else {
        c.caption = a->CaptionTextColor();
        c.horizontalGradient = appearance_->GradientDirection() == gdHorizontal;
        c.glyph = glyph_;
    }
    c.drop = c.face;
    c.dropTo = c.faceTo;
    return c;
}

TAdvCustomToolBarButton::PaintColours TAdvToolBarMenuButton::ColoursByState()
{
    PaintColours c = TAdvCustomToolBarButton::ColoursByState();
    if (State() == tbsDisabled || !Enabled())
        return c;
    TCustomAdvToolBarStyler* styler = OwnerStyler();
    menus::TCustomAdvMenuStyler* menuStyler = styler ? styler->CurrentMenuStyler() : nullptr;
    const bool menuBar = ParentStyler() && menuStyler && AdvToolBar() && AdvToolBar()->MenuBar();
    if (PressedLook() || State() == tbsMenuOpen) {
        if (!menuBar)
            return TAdvCustomToolBarButton::ColoursByState();
        menus::TRootItem* r = menuStyler->RootItem();
        c.face = r->GetSelectedColor(0);
        c.faceTo = r->GetSelectedColor(1);
        c.border = r->SelectedBorderColor();
        c.caption = r->SelectedTextColor();
        c.drop = r->GetHoverColor(0);
        c.dropTo = r->GetHoverColor(1);
        c.horizontalGradient = r->SelectedGradientDirection() == menus::gdHorizontal;
        c.glyph = GlyphDown();
    } else if (State() == tbsLatched) {
        // A latched menu button always shows its own checked colours.
        TButtonAppearance* own = Appearance();
        c.face = own->ColorChecked();
        c.faceTo = own->ColorCheckedTo();
        c.border = own->BorderCheckedColor();
        c.caption = own->CaptionTextColorChecked();
        c.drop = c.face;
        c.dropTo = c.faceTo;
        c.horizontalGradient = own->GradientDirectionChecked() == gdHorizontal;
        c.glyph = GlyphChecked();
    } else if (HotTracked()) {
        if (!menuBar)
            return c;
        menus::TRootItem* r = menuStyler->RootItem();
        c.face = c.drop = r->GetHoverColor(0);
        c.faceTo = c.dropTo = r->GetHoverColor(1);
        c.border = r->HoverBorderColor();
        c.caption = r->HoverTextColor();
        c.horizontalGradient = r->HoverGradientDirection() == menus::gdHorizontal;
    } else {
        c.face = c.faceTo = c.drop = c.dropTo = c.border = clNone;
        c.caption =
            menuBar ? menuStyler->RootItem()->Font()->Color() : Appearance()->CaptionTextColor();
    }
    return c;
}

void TAdvCustomToolBarButton::DrawDropDown(TCanvas* canvas)
{
    PaintWithColours(canvas, ColoursByState());
}

void TAdvCustomToolBarButton::PaintWithColours(TCanvas* canvas, PaintColours c)
{
    const RECT client = ClientRect();
    const DropDownParts parts =
        SplitDropDown(client.right - client.left, client.bottom - client.top, !Horizontal(),
                      dropDownButton_, dropDownWidth_);
    const RECT face = ToRect(parts.face), drop = ToRect(parts.drop);
    if (c.face != clNone && c.faceTo != clNone) {
        if (dropDownButton_)
            draw::DrawStepGradientInner(canvas, c.drop, c.dropTo, 40, client, c.horizontalGradient);
        draw::DrawStepGradientInner(canvas, c.face, c.faceTo, 40, face, c.horizontalGradient);
    } else if (c.face != clNone) {
        if (dropDownButton_ && c.drop != clNone) {
            canvas->Pen()->SetColor(c.drop);
            canvas->Brush()->SetColor(c.drop);
            canvas->Rectangle(client);
        }
        canvas->Pen()->SetColor(c.face);
        canvas->Brush()->SetColor(c.face);
        canvas->Rectangle(face);
    }
    if (c.border != clNone) {
        canvas->Brush()->SetStyle(bsClear);
        canvas->Pen()->SetColor(c.border);
        if (dropDownButton_ && dropDownSplit_) {
            canvas->Rectangle(client);
            canvas->Rectangle(face);
        } else if (dropDownButton_) {
            canvas->Rectangle(face.left, face.top, client.right, face.bottom);
        } else {
            canvas->Rectangle(face);
        }
        canvas->Brush()->SetStyle(bsSolid);
    }
    if (menuDroppedLook_ && dropDownSplit_) {
        const int top = Horizontal() ? drop.top : face.top;
        canvas->Pen()->SetColor(static_cast<TColor>(0x800000));
        canvas->MoveTo(face.left, drop.bottom);
        canvas->LineTo(face.left, top);
        canvas->LineTo(drop.right - 1, top);
        canvas->LineTo(drop.right - 1, drop.bottom);
    }
    if (dropDownButton_) {
        const int x = parts.arrow.X, y = parts.arrow.Y;
        canvas->Pen()->SetColor(clBlack);
        if (Horizontal()) {
            canvas->MoveTo(x, y);
            canvas->LineTo(x + 5, y);
            canvas->MoveTo(x + 1, y + 1);
            canvas->LineTo(x + 4, y + 1);
            canvas->SetPixel(x + 2, y + 2, clBlack);
        } else {
            canvas->MoveTo(x, y);
            canvas->LineTo(x, y + 5);
            canvas->MoveTo(x - 1, y + 1);
            canvas->LineTo(x - 1, y + 4);
            canvas->SetPixel(x - 2, y + 2, clBlack);
        }
    }
    TBitmap* glyph = c.glyph;
    if ((!glyph || glyph->Empty()) && !glyph_->Empty())
        glyph = glyph_;
    DrawButton(canvas, face, glyph, c.caption);
}

void TAdvCustomToolBarButton::DrawButton(TCanvas* canvas, const RECT& face, TBitmap* glyph,
                                         TColor captionColor)
{
    canvas->Font()->Assign(Font());
    GlyphLayoutInput in;
    in.face = draw::TIntRect{face.left, face.top, face.right, face.bottom};
    in.buttonHeight = Height();
    in.spacing = spacing_;
    in.vertical = !Horizontal();
    in.glyphPosition = glyphPosition_;
    in.autoSize = AutoSize();
    const std::string caption = Caption();
    if (showCaption_) {
        canvas->Font()->Assign(CaptionFont());
        RECT r{0, 0, 1000, 100};
        std::string text = caption;
        canvas->DrawText(text, r, DT_CALCRECT | DT_SINGLELINE);
        in.captionWidth = r.right - r.left;
        in.captionHeight = r.bottom - r.top;
    } else {
        in.captionHeight = Height();
    }
    // The glyph source: an image list, else the picture, else the bitmap.
    int index = -1;
    TCustomImageList* images = GlyphImages(index);
    bool disabledList = false;
    if (images && !Enabled()) {
        if (TCustomImageList* disabled = OwnerDisabledImages()) {
            images = disabled;
            disabledList = true;
        }
    }
    TGraphic* picture = nullptr;
    if (images) {
        in.hasGlyph = true;
        in.glyphWidth = images->Width();
        in.glyphHeight = images->Height();
    } else if ((!glyph || glyph->Empty()) && picture_->Graphic() && !picture_->Graphic()->Empty()) {
        picture = picture_->Graphic();
        in.hasGlyph = true;
        in.glyphWidth = picture->Width();
        in.glyphHeight = picture->Height();
    } else if (glyph && !glyph->Empty()) {
        in.hasGlyph = true;
        in.glyphWidth = glyph->Width();
        in.glyphHeight = glyph->Height();
    }
    GlyphLayout layout = PlaceGlyphAndCaption(in);
    RECT c = ToRect(layout.caption);
    POINT textAt{layout.textAt.X, layout.textAt.Y};
    UINT format = layout.format;
    int x = layout.glyph.X, y = layout.glyph.Y;
    if (drawPosition_->Enabled()) {
        x = drawPosition_->ImageX();
        y = drawPosition_->ImageY();
    }
    if (in.hasGlyph) {
        if (mouseInside_ && hotTracked_ && shaded_ && Enabled() && state_ == tbsUp && !pressed_) {
            if (shadeFromImages_ != (images != nullptr))
                MakeShade();
            if (!shade_->Empty()) {
                shade_->SetTransparent(true);
                canvas->Draw(x + 2, y + 2, shade_);
            }
        }
        if (images) {
            images->Draw(canvas, x, y, index, disabledList ? true : Enabled());
        } else if (picture) {
            picture->SetTransparent(true);
            canvas->Draw(x, y, picture);
        } else {
            glyph->SetTransparentMode(tmAuto);
            glyph->SetTransparent(true);
            canvas->Draw(x, y, glyph);
        }
    }
    if (caption.empty() || !showCaption_)
        return;
    canvas->Font()->Assign(CaptionFont());
    HFONT rotated = nullptr;
    if (!Horizontal()) {
        LOGFONTA lf{};
        GetObjectA(canvas->Font()->Handle(), sizeof lf, &lf);
        lf.lfEscapement = -900;
        lf.lfOrientation = 30;
        rotated = CreateFontIndirectA(&lf);
        canvas->Font()->SetHandle(rotated);
    }
    canvas->Font()->SetColor(captionColor);
    canvas->Brush()->SetStyle(bsClear);
    if (!AutoSize()) {
        if (Horizontal() && c.left < 0) {
            c.left = 1;
            format = 0x8025;
        } else if (!Horizontal() && textAt.y < 0) {
            textAt.y = 1;
            format |= DT_END_ELLIPSIS;
        }
    }
    if (drawPosition_->Enabled()) {
        format = DT_SINGLELINE | DT_END_ELLIPSIS;
        c = RECT{drawPosition_->TextX(), drawPosition_->TextY(), Width(), Height()};
    }
    std::string text = caption;
    if (Horizontal()) {
        if (state_ == tbsDisabled) {
            OffsetRect(&c, 1, 1);
            canvas->Font()->SetColor(clBtnHighlight);
            canvas->DrawText(text, c, format);
            OffsetRect(&c, -1, -1);
            canvas->Font()->SetColor(clBtnShadow);
            text = caption;
            canvas->DrawText(text, c, format);
        } else {
            canvas->DrawText(text, c, format);
        }
    } else if (state_ == tbsDisabled) {
        canvas->Font()->SetColor(clBtnHighlight);
        draw::DrawAccelText(canvas, caption, textAt);
        canvas->Font()->SetColor(clBtnShadow);
        draw::DrawAccelText(canvas, caption, POINT{textAt.x - 1, textAt.y - 1});
    } else {
        draw::DrawAccelText(canvas, caption, textAt);
    }
    canvas->Brush()->SetStyle(bsSolid);
}

} // namespace toolbar
