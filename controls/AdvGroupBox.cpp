#include "AdvGroupBox.h"

#include <algorithm>

#include "windows/Graphics.h"

using namespace classlib;

namespace controls {

CLASSLIB_DEFINE_ENUM(TGroupBoxBorderStyle, "bsNone", "bsSingle", "bsDouble")
CLASSLIB_DEFINE_ENUM(TCaptionPosition, "cpTopLeft", "cpTopRight", "cpTopCenter", "cpBottomLeft",
                     "cpBottomRight", "cpBottomCenter")

CLASSLIB_PUBLISH(TAdvCustomGroupBox) {}

CLASSLIB_PUBLISH(TAdvGroupBox)
{
    using G = TAdvGroupBox;
    AsColorProperty(c.Property("BorderColor", &G::BorderColor, &G::SetBorderColor))
        .SetDefault(0xC0C0C0);
    c.Property("BorderStyle", &G::BorderStyle, &G::SetBorderStyle)
        .SetDefault(static_cast<int>(TGroupBoxBorderStyle::bsSingle));
    c.Property("CaptionPosition", &G::CaptionPosition, &G::SetCaptionPosition)
        .SetDefault(cpTopLeft);
    c.Property("Images", &G::Images, &G::SetImages);
    c.Property("ImageIndex", &G::ImageIndex, &G::SetImageIndex).SetDefault(-1);
    c.Property("Transparent", &G::Transparent, &G::SetTransparent).SetDefault(true);
    c.Property("RoundEdges", &G::RoundEdges, &G::SetRoundEdges).SetDefault(false);
    c.Property("Version", &G::Version, &G::SetVersion).Stored(false);
    c.Property("ParentBackground", &G::ParentBackground, &G::SetParentBackground).SetDefault(true);
    c.Property("Ctl3D", &G::Ctl3D, &G::SetCtl3D).SetDefault(true);
    c.Property("TabStop", &G::TabStop, &G::SetTabStop).SetDefault(false);
}

TAdvCustomGroupBox::TAdvCustomGroupBox(TComponent* owner) : TCustomGroupBox(owner)
{
    controlStyle_.Exclude(csOpaque);
}

void TAdvCustomGroupBox::LayoutChanged()
{
    Invalidate();
    Realign();
}

void TAdvCustomGroupBox::SetBorderStyle(TGroupBoxBorderStyle value)
{
    if (value != borderStyle_) {
        borderStyle_ = value;
        LayoutChanged();
    }
}

void TAdvCustomGroupBox::SetCaptionPosition(TCaptionPosition value)
{
    if (value != captionPosition_) {
        captionPosition_ = value;
        LayoutChanged();
    }
}

void TAdvCustomGroupBox::SetImageIndex(int value)
{
    if (value != imageIndex_) {
        imageIndex_ = value;
        LayoutChanged();
    }
}

void TAdvCustomGroupBox::SetImages(TCustomImageList* value)
{
    if (value == images_)
        return;
    if (images_)
        images_->RemoveFreeNotification(this);
    images_ = value;
    if (value)
        value->FreeNotification(this);
    else
        SetImageIndex(-1);
    LayoutChanged();
}

void TAdvCustomGroupBox::SetBorderColor(TColor value)
{
    if (value != borderColor_) {
        borderColor_ = value;
        Invalidate();
    }
}

void TAdvCustomGroupBox::SetTransparent(bool value)
{
    if (value != transparent_) {
        transparent_ = value;
        Invalidate();
    }
}

void TAdvCustomGroupBox::SetRoundEdges(bool value)
{
    if (value != roundEdges_) {
        roundEdges_ = value;
        Invalidate();
    }
}

void TAdvCustomGroupBox::Notification(TComponent* component, TOperation operation)
{
    TCustomGroupBox::Notification(component, operation);
    if (!ComponentState().Contains(csDestroying) && operation == opRemove && component == images_)
        SetImages(nullptr);
}

int TAdvCustomGroupBox::GetBorderWidth() const
{
    switch (borderStyle_) {
        case TGroupBoxBorderStyle::bsNone:
            return 1;
        case TGroupBoxBorderStyle::bsSingle:
            return Ctl3D() ? 2 : 1;
        case TGroupBoxBorderStyle::bsDouble:
            return Ctl3D() ? 4 : 2;
    }
    return 1;
}

RECT TAdvCustomGroupBox::GetCaptionRect()
{
    int tw = 0, th = 0;
    const std::string caption = Caption();
    if (!caption.empty()) {
        canvas_->Font()->Assign(Font());
        RECT r{0, 0, 1000, 100};
        canvas_->DrawText(caption, r, DT_CALCRECT | DT_SINGLELINE);
        tw = r.right - r.left;
        th = r.bottom - r.top;
    }
    const int iw = HasImage() ? images_->Width() : 0, ih = HasImage() ? images_->Height() : 0;
    const int gap = tw > 0 && iw > 0 ? 3 : 0;
    const int w = gap + iw + tw, h = std::max(ih, th) + 2;
    const int W = Width(), H = Height();
    const int centred = (W - w) / 2;
    static const struct {
        bool right, centre, bottom;
    } kPlaces[] = {{false, false, false}, {true, false, false}, {false, true, false},
                   {false, false, true},  {true, false, true},  {false, true, true}};
    const auto& place = kPlaces[captionPosition_];
    const int left = place.centre ? centred : place.right ? W - 8 - w : 8;
    const int top = place.bottom ? H - h : 0;
    return RECT{left, top, left + w, top + h};
}

int TAdvCustomGroupBox::GetCaptionHeight()
{
    const RECT c = GetCaptionRect();
    return std::max<int>(GetBorderWidth(), c.bottom - c.top);
}

RECT TAdvCustomGroupBox::GetFrameRect()
{
    RECT r = ClientRect();
    if (captionPosition_ <= cpTopCenter) {
        r.top += GetCaptionHeight() / 2;
    } else if (!Caption().empty() || HasImage()) {
        r.bottom -= GetCaptionHeight() / 2;
        if (borderStyle_ == TGroupBoxBorderStyle::bsDouble)
            r.bottom += 1;
    }
    return r;
}

void TAdvCustomGroupBox::AdjustClientRect(RECT& rect)
{
    RECT discarded = rect;
    TCustomGroupBox::AdjustClientRect(discarded);
    const int b = GetBorderWidth(), c = std::max(GetCaptionHeight(), b);
    if (captionPosition_ <= cpTopCenter)
        rect = RECT{rect.left + b, rect.top + c, rect.right - b, rect.bottom - b};
    else
        rect = RECT{rect.left + b, rect.top + b, rect.right - b, rect.bottom - c};
    InflateRect(&rect, -1, -1);
}

void TAdvCustomGroupBox::Paint()
{
    TCanvas* canvas = canvas_;
    if (transparent_)
        PaintParentBackground(canvas->Handle());

    const RECT C = GetCaptionRect();
    TBitmap saved;
    saved.SetSize(C.right - C.left + 2, C.bottom - C.top);
    int textLeft = C.left;
    if (HasImage()) {
        images_->Draw(canvas, C.left, C.top, imageIndex_, Enabled());
        textLeft = C.left + images_->Width() + 3;
    }
    canvas->Brush()->SetStyle(bsClear);
    const std::string caption = Caption();
    if (!caption.empty()) {
        canvas->Font()->Assign(Font());
        RECT t{textLeft, C.top, C.right, C.bottom};
        canvas->DrawText(caption, t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    }
    const RECT captionArea{C.left - 1, C.top, C.right + 1, C.bottom};
    saved.Canvas()->CopyRect(RECT{0, 0, saved.Width(), saved.Height()}, canvas, captionArea);

    const RECT R = GetFrameRect();
    canvas->Brush()->SetStyle(bsClear);
    auto frame = [&](int l, int t, int r, int b) {
        if (roundEdges_)
            canvas->RoundRect(l, t, r, b, 6, 6);
        else
            canvas->Rectangle(l, t, r, b);
    };
    switch (borderStyle_) {
        case TGroupBoxBorderStyle::bsSingle:
            canvas->Pen()->SetColor(borderColor_);
            frame(R.left, R.top, R.right, R.bottom);
            break;
        case TGroupBoxBorderStyle::bsDouble:
            if (Ctl3D()) {
                canvas->Pen()->SetColor(clWhite);
                frame(R.left + 1, R.top + 1, R.right, R.bottom);
                canvas->Pen()->SetColor(0x808080);
                frame(R.left, R.top, R.right - 1, R.bottom - 1);
                canvas->Pen()->SetColor(clWhite);
                frame(R.left + 3, R.top + 3, R.right - 2, R.bottom - 2);
                canvas->Pen()->SetColor(0x808080);
                frame(R.left + 2, R.top + 2, R.right - 3, R.bottom - 3);
            } else {
                canvas->Pen()->SetColor(borderColor_);
                frame(R.left, R.top, R.right, R.bottom);
                frame(R.left + 2, R.top + 2, R.right - 2, R.bottom - 2);
            }
            break;
        case TGroupBoxBorderStyle::bsNone:
            break;
    }
    if (!caption.empty() || HasImage())
        canvas->CopyRect(captionArea, saved.Canvas(), RECT{0, 0, saved.Width(), saved.Height()});
}

} // namespace controls
