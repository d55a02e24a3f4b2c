#pragma once
// Panel (a bevelled container with a caption) and image (a picture painted by the parent).
#include "windows/Controls.h"
#include "windows/Images.h"
#include "windows/StdCtrls.h"

namespace classlib {

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
CLASSLIB_ENUM(TBevelCut);

class TCustomPanel : public TCustomControl {
    CLASSLIB_CLASS(TCustomPanel, TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TCustomPanel(TComponent* owner);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    // A border of the panel's colour between the outer and the inner bevel; children are
    // laid out inside it.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    void AdjustClientRect(RECT& rect) override;

protected:
    void Paint() override;
    void CMTextChanged(TMessage& m);

    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TAlignment alignment_ = taCenter;
};

class TPanel : public TCustomPanel {
    CLASSLIB_CLASS(TPanel, TCustomPanel)
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

class TImage : public TGraphicControl {
    CLASSLIB_CLASS(TImage, TGraphicControl)
    explicit TImage(TComponent* owner);
    ~TImage() override;
    TPicture* Picture() const { return picture_; }
    void SetPicture(TPicture* value) { picture_->Assign(value); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);

protected:
    void Paint() override;
    void PictureChanged(TObject* sender);

    TPicture* picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool transparent_ = false;
};

// The platform's 3-D frame: `width` one-pixel rings, outermost first, each a top-left polyline in
// `topColor` and a bottom-right one in `bottomColor`; `rect` shrinks by `width` on every side.
void Frame3D(TCanvas* canvas, RECT& rect, TColor topColor, TColor bottomColor, int width);

void RegisterExtraClasses();

} // namespace classlib
