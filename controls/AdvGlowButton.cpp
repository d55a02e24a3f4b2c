#include "AdvGlowButton.h"

#include "windows/Messages.h"

using namespace classlib;

namespace controls {

CLASSLIB_PUBLISH(TAdvGlowButton)
{
    c.Property("ImageIndex", &TAdvGlowButton::ImageIndex, &TAdvGlowButton::SetImageIndex).SetDefault(-1);
    c.Property("DisabledImages", &TAdvGlowButton::DisabledImages, &TAdvGlowButton::SetDisabledImages);
    c.Property("Spacing", &TAdvGlowButton::Spacing, &TAdvGlowButton::SetSpacing).SetDefault(2);
}

CLASSLIB_MESSAGE_MAP(TAdvGlowButton)
{
    m.On(WM_PAINT, &TAdvGlowButton::WMPaint);
}

TAdvGlowButton::TAdvGlowButton(TComponent* owner) : TButton(owner) {}

void TAdvGlowButton::WMPaint(TMessage& message)
{
    Inherited(TAdvGlowButton::StaticClass(), message);
    // A disabled button shows its disabled image as it is (the list is there for that state).
    TCustomImageList* images = Enabled() ? nullptr : disabledImages_;
    if (!images || imageIndex_ < 0 || imageIndex_ >= images->Count() || !HandleAllocated())
        return;
    HDC dc = GetDC(Handle());
    TCanvas canvas;
    canvas.SetHandle(dc);
    images->Draw(&canvas, (Width() - images->Width()) / 2, (Height() - images->Height()) / 2, imageIndex_);
    canvas.SetHandle(nullptr);
    ReleaseDC(Handle(), dc);
}

void TAdvGlowButton::SetImageIndex(int value)
{
    if (value == imageIndex_)
        return;
    imageIndex_ = value;
    Invalidate();
}

void TAdvGlowButton::SetDisabledImages(TCustomImageList* value)
{
    if (value == disabledImages_)
        return;
    if (disabledImages_)
        disabledImages_->RemoveFreeNotification(this);
    disabledImages_ = value;
    if (value)
        value->FreeNotification(this);
    Invalidate();
}

void TAdvGlowButton::Notification(TComponent* component, TOperation operation)
{
    TButton::Notification(component, operation);
    if (operation == opRemove && component == disabledImages_)
        disabledImages_ = nullptr;
}

} // namespace controls
