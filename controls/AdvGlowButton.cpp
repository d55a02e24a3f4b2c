#include "AdvGlowButton.h"

using namespace classlib;

namespace controls {

CLASSLIB_PUBLISH(TAdvGlowButton)
{
    c.Property("ImageIndex", &TAdvGlowButton::ImageIndex, &TAdvGlowButton::SetImageIndex).SetDefault(-1);
    c.Property("DisabledImages", &TAdvGlowButton::DisabledImages, &TAdvGlowButton::SetDisabledImages);
    c.Property("Spacing", &TAdvGlowButton::Spacing, &TAdvGlowButton::SetSpacing).SetDefault(2);
}

TAdvGlowButton::TAdvGlowButton(TComponent* owner) : TButton(owner) {}

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
