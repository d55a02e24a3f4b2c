#include "windows/ExtCtrls.h"

#include <algorithm>

namespace classlib {

CLASSLIB_DEFINE_ENUM(TBevelCut, "bvNone", "bvLowered", "bvRaised", "bvSpace")

// ---- TCustomPanel ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TCustomPanel) {}
CLASSLIB_PUBLISH(TPanel)
{
    c.Property("Alignment", &TPanel::Alignment, &TPanel::SetAlignment).SetDefault(taCenter);
    c.Property("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner).SetDefault(bvNone);
    c.Property("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter).SetDefault(bvRaised);
    c.Property("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth).SetDefault(1);
    c.Property("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth).SetDefault(0);
}

CLASSLIB_MESSAGE_MAP(TCustomPanel)
{
    m.On(CM_TEXTCHANGED, &TCustomPanel::CMTextChanged);
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner)
{
    controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                  csOpaque,          csDoubleClicks, csReplicatable};
    color_ = clBtnFace;
    brush_->SetColor(color_);
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::SetBevelInner(TBevelCut value)
{
    bevelInner_ = value;
    Realign();
    Invalidate();
}
void TCustomPanel::SetBevelOuter(TBevelCut value)
{
    bevelOuter_ = value;
    Realign();
    Invalidate();
}
void TCustomPanel::SetBevelWidth(int value)
{
    bevelWidth_ = std::max(1, value);
    Realign();
    Invalidate();
}
void TCustomPanel::SetAlignment(TAlignment value)
{
    alignment_ = value;
    Invalidate();
}
void TCustomPanel::SetBorderWidth(int value)
{
    borderWidth_ = std::max(0, value);
    Realign();
    Invalidate();
}

void TCustomPanel::AdjustClientRect(RECT& rect)
{
    TCustomControl::AdjustClientRect(rect);
    int inset = 0;
    if (bevelOuter_ != bvNone)
        inset += bevelWidth_;
    if (bevelInner_ != bvNone)
        inset += bevelWidth_;
    InflateRect(&rect, -inset - borderWidth_, -inset - borderWidth_);
}

void Frame3D(TCanvas* canvas, RECT& rect, TColor topColor, TColor bottomColor, int width)
{
    canvas->Pen()->SetWidth(1);
    for (int ring = 0; ring < width; ++ring) {
        const int x2 = rect.right - 1;
        const int y2 = rect.bottom - 1;
        canvas->Pen()->SetColor(topColor);
        canvas->Polyline({{rect.left, y2}, {rect.left, rect.top}, {x2, rect.top}});
        canvas->Pen()->SetColor(bottomColor);
        canvas->Polyline({{x2, rect.top}, {x2, y2}, {rect.left - 1, y2}});
        InflateRect(&rect, -1, -1);
    }
}

void TCustomPanel::Paint()
{
    RECT r = ClientRect();
    HDC dc = canvas_->Handle();
    // Raised: highlight at the top and left, shadow at the bottom and right; lowered the
    // other way round; a space bevel is a ring of the panel's colour.
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        const TColor top = cut == bvRaised    ? clBtnHighlight
                           : cut == bvLowered ? clBtnShadow
                                              : color_;
        const TColor bottom = cut == bvRaised    ? clBtnShadow
                              : cut == bvLowered ? clBtnHighlight
                                                 : color_;
        Frame3D(canvas_, r, top, bottom, bevelWidth_);
    };
    bevel(bevelOuter_);
    // The border between the bevels is of the panel's colour.
    canvas_->Brush()->SetColor(color_);
    for (int i = 0; i < borderWidth_; ++i) {
        canvas_->FrameRect(r);
        InflateRect(&r, -1, -1);
    }
    bevel(bevelInner_);
    canvas_->Brush()->SetColor(color_);
    canvas_->Brush()->SetStyle(bsSolid);
    canvas_->FillRect(r);
    const std::string text = Caption();
    if (!text.empty()) {
        static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
        canvas_->Font()->Assign(font_);
        canvas_->TextExtent(" ");
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(font_->Color()));
        DrawTextA(dc, text.c_str(), -1, &r,
                  DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | alignments[alignment_]));
    }
}

void TCustomPanel::CMTextChanged(TMessage&)
{
    Invalidate();
}

// ---- TImage ---------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TImage)
{
    c.Property("Center", &TImage::Center, &TImage::SetCenter).SetDefault(false);
    c.Property("Picture", &TImage::Picture, &TImage::SetPicture);
    c.Property("Stretch", &TImage::Stretch, &TImage::SetStretch).SetDefault(false);
    c.Property("Transparent", &TImage::Transparent, &TImage::SetTransparent).SetDefault(false);
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(new TPicture)
{
    picture_->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage()
{
    delete picture_;
}

void TImage::SetStretch(bool value)
{
    stretch_ = value;
    Invalidate();
}
void TImage::SetCenter(bool value)
{
    center_ = value;
    Invalidate();
}

void TImage::SetTransparent(bool value)
{
    transparent_ = value;
    if (picture_->Graphic())
        picture_->Graphic()->SetTransparent(value);
    Invalidate();
}

void TImage::PictureChanged(TObject*)
{
    if (picture_->Graphic() && transparent_)
        picture_->Graphic()->SetTransparent(true);
    Invalidate();
}

void TImage::Paint()
{
    TGraphic* graphic = picture_->Graphic();
    if (!graphic || graphic->Empty())
        return;
    RECT r{0, 0, graphic->Width(), graphic->Height()};
    if (stretch_)
        r = ClientRect();
    else if (center_)
        OffsetRect(&r, (width_ - graphic->Width()) / 2, (height_ - graphic->Height()) / 2);
    canvas_->StretchDraw(r, graphic);
}

void RegisterExtraClasses()
{
    RegisterClasses({&TPanel::StaticClass(), &TImage::StaticClass()});
}

} // namespace classlib
