#pragma once
// Glow button: for now a push button with the properties the main window sets (image index,
// disabled images, spacing) that paints its image centred over the face; the glow face
// painting comes with the button's own work.
#include "windows/ImageLists.h"
#include "windows/StdCtrls.h"

namespace controls {

class TAdvGlowButton : public classlib::TButton {
    CLASSLIB_CLASS(TAdvGlowButton, classlib::TButton)
    CLASSLIB_MESSAGES()
    explicit TAdvGlowButton(classlib::TComponent* owner);

    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    classlib::TCustomImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(classlib::TCustomImageList* value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value) { spacing_ = value; }

protected:
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;

private:
    void WMPaint(classlib::TMessage& message);

    int imageIndex_ = -1;
    int spacing_ = 2;
    classlib::TCustomImageList* disabledImages_ = nullptr;
};

} // namespace controls
