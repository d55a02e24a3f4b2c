#pragma once
// The small persistent objects of the toolbar family: a toolbar button's colours per state, a
// two-colour gradient, a gradient with a mirror half, the four colours of that mirror half, a
// fixed draw position of a button's glyph and caption, and the frame look of a container. Each
// keeps its values, raises OnChange when a setter changes one (the rows below say where a
// setter only stores), and copies an object of its own class on Assign.
#include "core/Events.h"
#include "core/Object.h"
#include "windows/Graphics.h"

#include <string>

namespace toolbar {

// The toolbar module's direction (the menu module's type of the same name runs the other way).
enum TGradientDirection { gdHorizontal, gdVertical };
CLASSLIB_ENUM(TGradientDirection);

// "Segoe UI" on Windows Vista and later, else "Tahoma".
std::string SystemFontName();
// With `systemFont` set, names the font after the system font; otherwise leaves it alone.
void ApplySystemFontName(classlib::TFont* font, bool systemFont);

// A colour property of an appearance class: the getter, and a setter that stores through the
// class's own Notify (which decides whether the change event is raised).
#define TOOLBAR_COLOR_PROPERTY(Name, field) \
    classlib::TColor Name() const           \
    {                                       \
        return field;                       \
    }                                       \
    void Set##Name(classlib::TColor value)  \
    {                                       \
        Notify(field, value);               \
    }

// The SystemFont flag of an appearance object: stores it; turning it on renames `font` after
// the system font. No change event.
void SetSystemFontFlag(bool& flag, bool value, classlib::TFont* font);

// A property setter's two manners: store and raise the change event only on a new value, or
// store and raise it whatever the value.
template <class T>
bool StoreChanged(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

// The base of the appearance objects: the change event and the setter manner most of their
// properties share.
class TAppearanceObject : public classlib::TPersistent {
public:
    classlib::TNotifyEvent OnChange;

protected:
    // Calls OnChange with this object as sender when it is assigned.
    void Changed()
    {
        if (OnChange)
            OnChange(this);
    }
    // Stores a new value and raises the change event; an equal value changes nothing.
    template <class T>
    void Notify(T& field, const T& value)
    {
        if (StoreChanged(field, value))
            Changed();
    }
};

// The colours of a toolbar button in its normal, hot, down and checked states.
class TButtonAppearance : public TAppearanceObject {
    CLASSLIB_CLASS(TButtonAppearance, TAppearanceObject)
    TButtonAppearance();
    ~TButtonAppearance() override;
    // From another button appearance: the colours, the caption text colours, the normal
    // direction and the four border colours, without a change event; anything else is ignored.
    void Assign(classlib::TPersistent* source) override;

    TOOLBAR_COLOR_PROPERTY(Color, color_)
    TOOLBAR_COLOR_PROPERTY(ColorTo, colorTo_)
    TOOLBAR_COLOR_PROPERTY(ColorChecked, colorChecked_)
    TOOLBAR_COLOR_PROPERTY(ColorCheckedTo, colorCheckedTo_)
    TOOLBAR_COLOR_PROPERTY(ColorDown, colorDown_)
    TOOLBAR_COLOR_PROPERTY(ColorDownTo, colorDownTo_)
    TOOLBAR_COLOR_PROPERTY(ColorHot, colorHot_)
    TOOLBAR_COLOR_PROPERTY(ColorHotTo, colorHotTo_)
    TOOLBAR_COLOR_PROPERTY(CaptionTextColor, captionTextColor_)
    TOOLBAR_COLOR_PROPERTY(CaptionTextColorHot, captionTextColorHot_)
    TOOLBAR_COLOR_PROPERTY(CaptionTextColorDown, captionTextColorDown_)
    TOOLBAR_COLOR_PROPERTY(CaptionTextColorChecked, captionTextColorChecked_)
    TOOLBAR_COLOR_PROPERTY(BorderColor, borderColor_)
    TOOLBAR_COLOR_PROPERTY(BorderCheckedColor, borderCheckedColor_)
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void SetGradientDirection(TGradientDirection value) { Notify(gradientDirection_, value); }
    // These only store: the button shows them at its next repaint.
    TGradientDirection GradientDirectionHot() const { return gradientDirectionHot_; }
    void SetGradientDirectionHot(TGradientDirection value) { gradientDirectionHot_ = value; }
    TGradientDirection GradientDirectionDown() const { return gradientDirectionDown_; }
    void SetGradientDirectionDown(TGradientDirection value) { gradientDirectionDown_ = value; }
    TGradientDirection GradientDirectionChecked() const { return gradientDirectionChecked_; }
    void SetGradientDirectionChecked(TGradientDirection value)
    {
        gradientDirectionChecked_ = value;
    }
    classlib::TColor BorderDownColor() const { return borderDownColor_; }
    void SetBorderDownColor(classlib::TColor value) { borderDownColor_ = value; }
    classlib::TColor BorderHotColor() const { return borderHotColor_; }
    void SetBorderHotColor(classlib::TColor value) { borderHotColor_ = value; }
    classlib::TFont* CaptionFont() const { return captionFont_; }
    // Copies the font, then raises the change event.
    void SetCaptionFont(classlib::TFont* value);
    bool SystemFont() const { return systemFont_; }
    // Turning it on renames CaptionFont after the system font; no change event.
    void SetSystemFont(bool value) { SetSystemFontFlag(systemFont_, value, captionFont_); }

private:
    classlib::TColor color_ = classlib::clNone;
    classlib::TColor colorTo_ = classlib::clNone;
    classlib::TColor colorChecked_ = 0xD8D5D4;
    classlib::TColor colorCheckedTo_ = classlib::clNone;
    classlib::TColor colorDown_ = 0xB59285;
    classlib::TColor colorDownTo_ = classlib::clNone;
    classlib::TColor colorHot_ = 0xD2BDB6;
    classlib::TColor colorHotTo_ = classlib::clNone;
    classlib::TColor captionTextColor_ = classlib::clBlack;
    classlib::TColor captionTextColorHot_ = classlib::clBlack;
    classlib::TColor captionTextColorDown_ = classlib::clBlack;
    classlib::TColor captionTextColorChecked_ = classlib::clBlack;
    TGradientDirection gradientDirection_ = gdVertical;
    TGradientDirection gradientDirectionHot_ = gdVertical;
    TGradientDirection gradientDirectionDown_ = gdVertical;
    TGradientDirection gradientDirectionChecked_ = gdVertical;
    classlib::TColor borderColor_ = classlib::clNone;
    classlib::TColor borderDownColor_ = 0x6A240A;
    classlib::TColor borderHotColor_ = 0x6A240A;
    classlib::TColor borderCheckedColor_ = 0x6A240A;
    classlib::TFont* captionFont_;
    bool systemFont_ = true;
};

// A two-colour gradient. Its setters raise the change event whatever the value.
class TGradientBackground : public TAppearanceObject {
    CLASSLIB_CLASS(TGradientBackground, TAppearanceObject)
    TGradientBackground();
    // From this class or a descendant: the two colours, the direction and the steps, without
    // a change event; anything else is ignored.
    void Assign(classlib::TPersistent* source) override;

    classlib::TColor Color() const { return color_; }
    void SetColor(classlib::TColor value);
    classlib::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(classlib::TColor value);
    TGradientDirection Direction() const { return direction_; }
    void SetDirection(TGradientDirection value);
    // Stored as given; the stepped-gradient painter draws a value of 0 or below as one band.
    int Steps() const { return steps_; }
    void SetSteps(int value);

private:
    classlib::TColor color_ = classlib::clWhite;
    classlib::TColor colorTo_ = classlib::clBtnFace;
    TGradientDirection direction_ = gdHorizontal;
    int steps_ = 64;
};

// The colours of the lower, mirrored half of a gradient.
class TMirrorGradient : public TAppearanceObject {
    CLASSLIB_CLASS(TMirrorGradient, TAppearanceObject)
    TMirrorGradient() = default;
    // From another mirror gradient: the four colours without a change event; anything else
    // raises the platform's assignment error.
    void Assign(classlib::TPersistent* source) override;

    classlib::TColor Color() const { return color_; }
    void SetColor(classlib::TColor value) { Notify(color_, value); }
    classlib::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(classlib::TColor value) { Notify(colorTo_, value); }
    classlib::TColor ColorMirror() const { return colorMirror_; }
    void SetColorMirror(classlib::TColor value) { Notify(colorMirror_, value); }
    classlib::TColor ColorMirrorTo() const { return colorMirrorTo_; }
    void SetColorMirrorTo(classlib::TColor value) { Notify(colorMirrorTo_, value); }

private:
    classlib::TColor color_ = classlib::clWhite;
    classlib::TColor colorTo_ = classlib::clBtnFace;
    classlib::TColor colorMirror_ = 0xEDD9C8;
    classlib::TColor colorMirrorTo_ = 0xFFF4E3;
};

// A gradient with a mirror half. Changes inside the mirror are not reported.
class TVistaGradientBackground : public TGradientBackground {
    CLASSLIB_CLASS(TVistaGradientBackground, TGradientBackground)
    TVistaGradientBackground();
    ~TVistaGradientBackground() override;
    // The gradient's copy, and the mirror's when the source has one.
    void Assign(classlib::TPersistent* source) override;

    TMirrorGradient* Mirror() const { return mirror_; }
    void SetMirror(TMirrorGradient* value) { mirror_->Assign(value); }

private:
    TMirrorGradient* mirror_;
};

// A fixed layout of a toolbar button: when Enabled, the glyph at (ImageX, ImageY) and the
// caption from (TextX, TextY).
class TAdvToolBarButtonDrawPosition : public TAppearanceObject {
    CLASSLIB_CLASS(TAdvToolBarButtonDrawPosition, TAppearanceObject)
    TAdvToolBarButtonDrawPosition() = default;
    // From another draw position without a change event; anything else is ignored.
    void Assign(classlib::TPersistent* source) override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { Notify(enabled_, value); }
    int TextX() const { return textX_; }
    void SetTextX(int value) { Notify(textX_, value); }
    int TextY() const { return textY_; }
    void SetTextY(int value) { Notify(textY_, value); }
    int ImageX() const { return imageX_; }
    void SetImageX(int value) { Notify(imageX_, value); }
    int ImageY() const { return imageY_; }
    void SetImageY(int value) { Notify(imageY_, value); }

private:
    bool enabled_ = false;
    int textX_ = 0, textY_ = 0, imageX_ = 0, imageY_ = 0;
};

// The frame look of a toolbar container.
class TContainerAppearance : public TAppearanceObject {
    CLASSLIB_CLASS(TContainerAppearance, TAppearanceObject)
    TContainerAppearance() = default;
    // From another container appearance through the setters (each raises its event when it
    // differs); anything else raises the platform's assignment error.
    void Assign(classlib::TPersistent* source) override;

    classlib::TColor LineColor() const { return lineColor_; }
    void SetLineColor(classlib::TColor value);
    bool Line3D() const { return line3D_; }
    void SetLine3D(bool value);

private:
    classlib::TColor lineColor_ = classlib::clBtnShadow;
    bool line3D_ = true;
};

} // namespace toolbar
