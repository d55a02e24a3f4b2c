#include "AdvOfficeImage.h"

using namespace classlib;

namespace controls {

CLASSLIB_PUBLISH(TAdvOfficeImage)
{
    using I = TAdvOfficeImage;
    c.Property("OfficeHint", &I::OfficeHint, &I::SetOfficeHint);
    c.Property("Picture", &I::Picture, &I::SetPicture);
    c.Property("Center", &I::Center, &I::SetCenter).SetDefault(true);
    c.Property("Version", &I::Version, &I::SetVersion).Stored(false);
}

TAdvOfficeImage::TAdvOfficeImage(TComponent* owner)
    : TGraphicControl(owner),
      officeHint_(std::make_unique<draw::TAdvHintInfo>()),
      picture_(std::make_unique<draw::TGDIPPicture>())
{
    controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
    SetShowHint(false);
    picture_->OnChange = TNotifyEvent(this, &TAdvOfficeImage::PictureChanged);
    SetBounds(Left(), Top(), 32, 32);
}

std::string TAdvOfficeImage::Version() const
{
    const unsigned v = static_cast<unsigned>(GetVersionNr());
    return std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 0xFF) + "." +
           std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF);
}

void TAdvOfficeImage::SetPicture(draw::TGDIPPicture* value)
{
    picture_->Assign(value);
    Invalidate();
}

void TAdvOfficeImage::SetCenter(bool value)
{
    if (value != center_) {
        center_ = value;
        Invalidate();
    }
}

void TAdvOfficeImage::Paint()
{
    TGraphicControl::Paint();
    DrawPicture(Canvas());
}

void TAdvOfficeImage::DrawPicture(TCanvas* canvas)
{
    if (!picture_ || picture_->Empty()) {
        canvas->Pen()->SetStyle(psDot);
        canvas->Pen()->SetColor(clBlue);
        canvas->Brush()->SetStyle(bsClear);
        const RECT r = ClientRect();
        canvas->Rectangle(r);
        return;
    }
    picture_->UpdateImageSize();
    int x = 0, y = 0;
    if (center_) {
        x = (Width() - picture_->Width()) / 2;
        y = (Height() - picture_->Height()) / 2;
    }
    canvas->Draw(x, y, picture_.get());
}

} // namespace controls
