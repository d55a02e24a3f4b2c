#include "toolbar/AdvToolBarAppearance.h"

#include "core/TypeInfo.h"
#include "draw/AdvHintInfo.h"

using namespace classlib;

namespace toolbar {

CLASSLIB_DEFINE_ENUM(TGradientDirection, "gdHorizontal", "gdVertical")

std::string SystemFontName()
{
    return draw::IsVistaOrLater() ? "Segoe UI" : "Tahoma";
}

void ApplySystemFontName(TFont* font, bool systemFont)
{
    if (systemFont)
        font->SetName(SystemFontName());
}

void SetSystemFontFlag(bool& flag, bool value, TFont* font)
{
    if (value == flag)
        return;
    flag = value;
    ApplySystemFontName(font, value);
}

// ---- TButtonAppearance -------------------------------------------------------------------------

CLASSLIB_PUBLISH(TButtonAppearance)
{
    using A = TButtonAppearance;
    AsColorProperty(c.Property("Color", &A::Color, &A::SetColor)).SetDefault(clNone);
    AsColorProperty(c.Property("ColorTo", &A::ColorTo, &A::SetColorTo)).SetDefault(clNone);
    AsColorProperty(c.Property("ColorChecked", &A::ColorChecked, &A::SetColorChecked))
        .SetDefault(0xD8D5D4);
    AsColorProperty(c.Property("ColorCheckedTo", &A::ColorCheckedTo, &A::SetColorCheckedTo))
        .SetDefault(clNone);
    AsColorProperty(c.Property("ColorDown", &A::ColorDown, &A::SetColorDown)).SetDefault(0xB59285);
    AsColorProperty(c.Property("ColorDownTo", &A::ColorDownTo, &A::SetColorDownTo))
        .SetDefault(clNone);
    AsColorProperty(c.Property("ColorHot", &A::ColorHot, &A::SetColorHot)).SetDefault(0xD2BDB6);
    AsColorProperty(c.Property("ColorHotTo", &A::ColorHotTo, &A::SetColorHotTo)).SetDefault(clNone);
    AsColorProperty(c.Property("CaptionTextColor", &A::CaptionTextColor, &A::SetCaptionTextColor))
        .SetDefault(clBlack);
    AsColorProperty(
        c.Property("CaptionTextColorHot", &A::CaptionTextColorHot, &A::SetCaptionTextColorHot))
        .SetDefault(clBlack);
    AsColorProperty(
        c.Property("CaptionTextColorDown", &A::CaptionTextColorDown, &A::SetCaptionTextColorDown))
        .SetDefault(clBlack);
    AsColorProperty(c.Property("CaptionTextColorChecked", &A::CaptionTextColorChecked,
                               &A::SetCaptionTextColorChecked))
        .SetDefault(clBlack);
    c.Property("GradientDirection", &A::GradientDirection, &A::SetGradientDirection)
        .SetDefault(gdVertical);
    c.Property("GradientDirectionHot", &A::GradientDirectionHot, &A::SetGradientDirectionHot)
        .SetDefault(gdVertical);
    c.Property("GradientDirectionDown", &A::GradientDirectionDown, &A::SetGradientDirectionDown)
        .SetDefault(gdVertical);
    c.Property("GradientDirectionChecked", &A::GradientDirectionChecked,
               &A::SetGradientDirectionChecked)
        .SetDefault(gdVertical);
    AsColorProperty(c.Property("BorderColor", &A::BorderColor, &A::SetBorderColor))
        .SetDefault(clNone);
    AsColorProperty(c.Property("BorderDownColor", &A::BorderDownColor, &A::SetBorderDownColor))
        .SetDefault(0x6A240A);
    AsColorProperty(c.Property("BorderHotColor", &A::BorderHotColor, &A::SetBorderHotColor))
        .SetDefault(0x6A240A);
    AsColorProperty(
        c.Property("BorderCheckedColor", &A::BorderCheckedColor, &A::SetBorderCheckedColor))
        .SetDefault(0x6A240A);
    c.Property("CaptionFont", &A::CaptionFont, &A::SetCaptionFont);
    c.Property("SystemFont", &A::SystemFont, &A::SetSystemFont).SetDefault(true);
}

TButtonAppearance::TButtonAppearance() : captionFont_(new TFont)
{
    ApplySystemFontName(captionFont_, true);
}

TButtonAppearance::~TButtonAppearance()
{
    delete captionFont_;
}

void TButtonAppearance::SetCaptionFont(TFont* value)
{
    captionFont_->Assign(value);
    Changed();
}

void TButtonAppearance::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TButtonAppearance*>(source);
    if (!other)
        return;
    color_ = other->color_;
    colorTo_ = other->colorTo_;
    colorHot_ = other->colorHot_;
    colorHotTo_ = other->colorHotTo_;
    colorDown_ = other->colorDown_;
    colorDownTo_ = other->colorDownTo_;
    colorChecked_ = other->colorChecked_;
    colorCheckedTo_ = other->colorCheckedTo_;
    captionTextColor_ = other->captionTextColor_;
    captionTextColorHot_ = other->captionTextColorHot_;
    captionTextColorDown_ = other->captionTextColorDown_;
    captionTextColorChecked_ = other->captionTextColorChecked_;
    gradientDirection_ = other->gradientDirection_;
    borderColor_ = other->borderColor_;
    borderHotColor_ = other->borderHotColor_;
    borderDownColor_ = other->borderDownColor_;
    borderCheckedColor_ = other->borderCheckedColor_;
}

// ---- TGradientBackground -----------------------------------------------------------------------

CLASSLIB_PUBLISH(TGradientBackground)
{
    using G = TGradientBackground;
    AsColorProperty(c.Property("Color", &G::Color, &G::SetColor));
    AsColorProperty(c.Property("ColorTo", &G::ColorTo, &G::SetColorTo));
    c.Property("Direction", &G::Direction, &G::SetDirection);
    c.Property("Steps", &G::Steps, &G::SetSteps).SetDefault(64);
    c.Property("OnChange", &G::OnChange);
}

TGradientBackground::TGradientBackground()
{
    SetColor(clWhite);
    SetColorTo(clBtnFace);
    SetSteps(64);
    SetDirection(gdHorizontal);
}

void TGradientBackground::SetColor(TColor value)
{
    color_ = value;
    Changed();
}

void TGradientBackground::SetColorTo(TColor value)
{
    colorTo_ = value;
    Changed();
}

void TGradientBackground::SetDirection(TGradientDirection value)
{
    direction_ = value;
    Changed();
}

void TGradientBackground::SetSteps(int value)
{
    steps_ = value;
    Changed();
}

void TGradientBackground::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TGradientBackground*>(source);
    if (!other)
        return;
    color_ = other->color_;
    colorTo_ = other->colorTo_;
    direction_ = other->direction_;
    steps_ = other->steps_;
}

// ---- TMirrorGradient ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TMirrorGradient)
{
    using M = TMirrorGradient;
    AsColorProperty(c.Property("Color", &M::Color, &M::SetColor));
    AsColorProperty(c.Property("ColorTo", &M::ColorTo, &M::SetColorTo));
    AsColorProperty(c.Property("ColorMirror", &M::ColorMirror, &M::SetColorMirror));
    AsColorProperty(c.Property("ColorMirrorTo", &M::ColorMirrorTo, &M::SetColorMirrorTo));
    c.Property("OnChange", &M::OnChange);
}

void TMirrorGradient::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TMirrorGradient*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    color_ = other->color_;
    colorTo_ = other->colorTo_;
    colorMirror_ = other->colorMirror_;
    colorMirrorTo_ = other->colorMirrorTo_;
}

// ---- TVistaGradientBackground ------------------------------------------------------------------

CLASSLIB_PUBLISH(TVistaGradientBackground)
{
    using V = TVistaGradientBackground;
    c.Property("Mirror", &V::Mirror, &V::SetMirror);
}

TVistaGradientBackground::TVistaGradientBackground() : mirror_(new TMirrorGradient) {}

TVistaGradientBackground::~TVistaGradientBackground()
{
    delete mirror_;
}

void TVistaGradientBackground::Assign(TPersistent* source)
{
    TGradientBackground::Assign(source);
    if (auto* other = dynamic_cast<TVistaGradientBackground*>(source))
        mirror_->Assign(other->mirror_);
}

// ---- TAdvToolBarButtonDrawPosition -------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvToolBarButtonDrawPosition)
{
    using P = TAdvToolBarButtonDrawPosition;
    c.Property("Enabled", &P::Enabled, &P::SetEnabled).SetDefault(false);
    c.Property("TextX", &P::TextX, &P::SetTextX).SetDefault(0);
    c.Property("TextY", &P::TextY, &P::SetTextY).SetDefault(0);
    c.Property("ImageX", &P::ImageX, &P::SetImageX).SetDefault(0);
    c.Property("ImageY", &P::ImageY, &P::SetImageY).SetDefault(0);
    c.Property("OnChange", &P::OnChange);
}

void TAdvToolBarButtonDrawPosition::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TAdvToolBarButtonDrawPosition*>(source);
    if (!other)
        return;
    textX_ = other->textX_;
    textY_ = other->textY_;
    imageX_ = other->imageX_;
    imageY_ = other->imageY_;
    enabled_ = other->enabled_;
}

// ---- TContainerAppearance ----------------------------------------------------------------------

CLASSLIB_PUBLISH(TContainerAppearance)
{
    using A = TContainerAppearance;
    AsColorProperty(c.Property("LineColor", &A::LineColor, &A::SetLineColor));
    c.Property("Line3D", &A::Line3D, &A::SetLine3D);
    c.Property("OnChange", &A::OnChange);
}

void TContainerAppearance::SetLineColor(TColor value)
{
    if (StoreChanged(lineColor_, value))
        Changed();
}

void TContainerAppearance::SetLine3D(bool value)
{
    if (StoreChanged(line3D_, value))
        Changed();
}

void TContainerAppearance::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TContainerAppearance*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    SetLineColor(other->lineColor_);
    SetLine3D(other->line3D_);
}

} // namespace toolbar
