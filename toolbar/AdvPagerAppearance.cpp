#include "toolbar/AdvPagerAppearance.h"

#include "core/TypeInfo.h"

using namespace classlib;

namespace toolbar {

namespace {

TFont* NewSystemFont()
{
    auto* font = new TFont;
    font->SetName(SystemFontName());
    font->SetSize(8);
    return font;
}

} // namespace

// ---- TAdvPageCaption ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvPageCaption)
{
    using P = TAdvPageCaption;
    c.Property("Caption", &P::Caption, &P::SetCaption);
    c.Property("Visible", &P::Visible, &P::SetVisible).SetDefault(true);
    c.Property("Height", &P::Height, &P::SetHeight).SetDefault(27);
    c.Property("Indent", &P::Indent, &P::SetIndent).SetDefault(100);
    c.Property("MinWidth", &P::MinWidth, &P::SetMinWidth).SetDefault(100);
}

void TAdvPageCaption::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TAdvPageCaption*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    caption_ = other->caption_;
    height_ = other->height_;
    SetVisible(other->visible_);
    SetIndent(other->indent_);
    SetMinWidth(other->minWidth_);
}

// ---- TCustomTabAppearance ----------------------------------------------------------------------

CLASSLIB_PUBLISH(TCustomTabAppearance)
{
    using T = TCustomTabAppearance;
#define TOOLBAR_PUBLISH_TAB_COLOR(Name, initial, manner) \
    AsColorProperty(c.Property(#Name, &T::Name, &T::Set##Name));
    TOOLBAR_TAB_COLORS(TOOLBAR_PUBLISH_TAB_COLOR)
    c.Property("Font", &T::Font, &T::SetFont);
#define TOOLBAR_PUBLISH_TAB_GRADIENT(Name) c.Property(#Name, &T::Name, &T::Set##Name);
    TOOLBAR_TAB_GRADIENTS(TOOLBAR_PUBLISH_TAB_GRADIENT)
#undef TOOLBAR_PUBLISH_TAB_GRADIENT
    c.Property("SystemFont", &T::SystemFont, &T::SetSystemFont).SetDefault(true);
    TOOLBAR_TAB_TEXT_COLORS(TOOLBAR_PUBLISH_TAB_COLOR)
#undef TOOLBAR_PUBLISH_TAB_COLOR
}

CLASSLIB_PUBLISH(TTabAppearance)
{
    c.Property("BackGround", &TTabAppearance::BackGround, &TTabAppearance::SetBackGround);
}

TCustomTabAppearance::TCustomTabAppearance()
    : font_(NewSystemFont()), backGround_(new TGradientBackground)
{
    backGround_->OnChange = TNotifyEvent(this, &TCustomTabAppearance::BackGroundChanged);
}

TCustomTabAppearance::~TCustomTabAppearance()
{
    delete backGround_;
    delete font_;
}

void TCustomTabAppearance::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TCustomTabAppearance*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
#define TOOLBAR_COPY_TAB_COLOR(Name, initial, manner) Name##_ = other->Name##_;
    TOOLBAR_TAB_COLORS(TOOLBAR_COPY_TAB_COLOR)
#define TOOLBAR_COPY_TAB_GRADIENT(Name) Name##_ = other->Name##_;
    TOOLBAR_TAB_GRADIENTS(TOOLBAR_COPY_TAB_GRADIENT)
#undef TOOLBAR_COPY_TAB_GRADIENT
    const TColor ownText = TextColor_, ownTextHot = TextColorHot_;
    TOOLBAR_TAB_TEXT_COLORS(TOOLBAR_COPY_TAB_COLOR)
#undef TOOLBAR_COPY_TAB_COLOR
    font_->Assign(other->font_);
    // The two text colours go through their setters: the only change events of a copy.
    TextColor_ = ownText;
    TextColorHot_ = ownTextHot;
    SetTextColor(other->TextColor_);
    SetTextColorHot(other->TextColorHot_);
    backGround_->Assign(other->backGround_);
}

} // namespace toolbar

namespace toolbar {

// ---- TATBTabSettings ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TATBTabSettings)
{
    using S = TATBTabSettings;
    c.Property("LeftMargin", &S::LeftMargin, &S::SetLeftMargin).SetDefault(4);
    c.Property("RightMargin", &S::RightMargin, &S::SetRightMargin).SetDefault(4);
    c.Property("StartMargin", &S::StartMargin, &S::SetStartMargin).SetDefault(60);
    c.Property("EndMargin", &S::EndMargin, &S::SetEndMargin);
    c.Property("Height", &S::Height, &S::SetHeight).SetDefault(26);
    c.Property("Spacing", &S::Spacing, &S::SetSpacing).SetDefault(4);
}

void TATBTabSettings::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TATBTabSettings*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    SetLeftMargin(other->leftMargin_);
    SetRightMargin(other->rightMargin_);
    SetHeight(other->height_);
    SetStartMargin(other->startMargin_);
    SetEndMargin(other->endMargin_);
}

// ---- TATBTabScroller ---------------------------------------------------------------------------

void TATBTabScroller::SetMinOffset(int value)
{
    if (value <= maxOffset_)
        minOffset_ = value;
}

void TATBTabScroller::SetMaxOffset(int value)
{
    if (value >= minOffset_)
        maxOffset_ = value;
}

// ---- TVistaBackground and descendants ----------------------------------------------------------

CLASSLIB_PUBLISH(TVistaBackground)
{
    using V = TVistaBackground;
    AsColorProperty(c.Property("BorderColor", &V::BorderColor, &V::SetBorderColor));
    AsColorProperty(c.Property("Color", &V::Color, &V::SetColor));
    AsColorProperty(c.Property("ColorTo", &V::ColorTo, &V::SetColorTo));
    AsColorProperty(c.Property("ColorMirror", &V::ColorMirror, &V::SetColorMirror));
    AsColorProperty(c.Property("ColorMirrorTo", &V::ColorMirrorTo, &V::SetColorMirrorTo));
    c.Property("Gradient", &V::Gradient, &V::SetGradient);
    c.Property("GradientMirror", &V::GradientMirror, &V::SetGradientMirror);
    c.Property("Steps", &V::Steps, &V::SetSteps).SetDefault(64);
    c.Property("OnChange", &V::OnChange);
}

CLASSLIB_PUBLISH(TVistaPageBackground)
{
    using V = TVistaPageBackground;
    AsColorProperty(c.Property("ShadowColor", &V::ShadowColor, &V::SetShadowColor));
    AsColorProperty(c.Property("HighLightColor", &V::HighLightColor, &V::SetHighLightColor));
}

CLASSLIB_PUBLISH(TVistaTextBackground)
{
    using V = TVistaTextBackground;
    AsColorProperty(c.Property("TextColor", &V::TextColor, &V::SetTextColor));
    c.Property("Font", &V::Font, &V::SetFont);
    c.Property("SystemFont", &V::SystemFont, &V::SetSystemFont).SetDefault(true);
}

void TVistaBackground::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TVistaBackground*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    steps_ = other->steps_;
    color_ = other->color_;
    colorTo_ = other->colorTo_;
    colorMirror_ = other->colorMirror_;
    colorMirrorTo_ = other->colorMirrorTo_;
    borderColor_ = other->borderColor_;
    shadowColor_ = other->shadowColor_;
    highLightColor_ = other->highLightColor_;
    SetGradient(other->gradient_);
    SetGradientMirror(other->gradientMirror_);
}

TVistaTextBackground::TVistaTextBackground() : font_(NewSystemFont()) {}

TVistaTextBackground::~TVistaTextBackground()
{
    delete font_;
}

void TVistaTextBackground::SetTextColor(TColor value)
{
    if (StoreChanged(textColor_, value))
        Changed();
}

void TVistaTextBackground::Assign(TPersistent* source)
{
    TVistaBackground::Assign(source);
    if (auto* other = dynamic_cast<TVistaTextBackground*>(source)) {
        SetTextColor(other->textColor_);
        font_->Assign(other->font_);
    }
}

// ---- TCaptionAppearance ------------------------------------------------------------------------

CLASSLIB_PUBLISH(TCaptionAppearance)
{
    using A = TCaptionAppearance;
    AsColorProperty(c.Property("CaptionColor", &A::CaptionColor, &A::SetCaptionColor));
    AsColorProperty(c.Property("CaptionColorTo", &A::CaptionColorTo, &A::SetCaptionColorTo))
        .SetDefault(clNone);
    AsColorProperty(c.Property("CaptionTextColor", &A::CaptionTextColor, &A::SetCaptionTextColor))
        .SetDefault(clWhite);
    AsColorProperty(
        c.Property("CaptionBorderColor", &A::CaptionBorderColor, &A::SetCaptionBorderColor))
        .SetDefault(clNone);
    AsColorProperty(c.Property("CaptionColorHot", &A::CaptionColorHot, &A::SetCaptionColorHot))
        .SetDefault(clNone);
    AsColorProperty(
        c.Property("CaptionColorHotTo", &A::CaptionColorHotTo, &A::SetCaptionColorHotTo))
        .SetDefault(clNone);
    AsColorProperty(
        c.Property("CaptionTextColorHot", &A::CaptionTextColorHot, &A::SetCaptionTextColorHot))
        .SetDefault(clWhite);
    AsColorProperty(c.Property("CaptionBorderColorHot", &A::CaptionBorderColorHot,
                               &A::SetCaptionBorderColorHot))
        .SetDefault(clNone);
}

void TCaptionAppearance::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TCaptionAppearance*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    captionColor_ = other->captionColor_;
    captionColorTo_ = other->captionColorTo_;
    captionTextColor_ = other->captionTextColor_;
    captionBorderColor_ = other->captionBorderColor_;
    captionBorderColorHot_ = other->captionBorderColorHot_;
    captionColorHot_ = other->captionColorHot_;
    SetCaptionColorHotTo(other->captionColorHotTo_);
    SetCaptionTextColorHot(other->captionTextColorHot_);
}

// ---- TToolBarAppearance ------------------------------------------------------------------------

CLASSLIB_PUBLISH(TToolBarAppearance)
{
    using A = TToolBarAppearance;
    AsColorProperty(c.Property("BorderColor", &A::BorderColor, &A::SetBorderColor))
        .SetDefault(clNone);
    AsColorProperty(c.Property("BorderColorHot", &A::BorderColorHot, &A::SetBorderColorHot))
        .SetDefault(clNone);
    c.Property("Color", &A::Color, &A::SetColor);
    c.Property("ColorHot", &A::ColorHot, &A::SetColorHot);
}

TToolBarAppearance::TToolBarAppearance()
    : color_(new TGradientBackground), colorHot_(new TGradientBackground)
{
    colorHot_->SetColor(clNone);
    colorHot_->SetColorTo(clNone);
}

TToolBarAppearance::~TToolBarAppearance()
{
    delete color_;
    delete colorHot_;
}

void TToolBarAppearance::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TToolBarAppearance*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    color_->Assign(other->color_);
    colorHot_->Assign(other->colorHot_);
    borderColor_ = other->borderColor_;
    borderColorHot_ = other->borderColorHot_;
}

// ---- TGroupAppearance --------------------------------------------------------------------------

CLASSLIB_PUBLISH(TGroupAppearance)
{
    using G = TGroupAppearance;
    AsColorProperty(c.Property("BorderColor", &G::BorderColor, &G::SetBorderColor));
    AsColorProperty(c.Property("Color", &G::Color, &G::SetColor));
    AsColorProperty(c.Property("ColorTo", &G::ColorTo, &G::SetColorTo));
    AsColorProperty(c.Property("ColorMirror", &G::ColorMirror, &G::SetColorMirror));
    AsColorProperty(c.Property("ColorMirrorTo", &G::ColorMirrorTo, &G::SetColorMirrorTo));
    c.Property("Font", &G::Font, &G::SetFont);
    c.Property("Gradient", &G::Gradient, &G::SetGradient);
    c.Property("GradientMirror", &G::GradientMirror, &G::SetGradientMirror);
    AsColorProperty(c.Property("TextColor", &G::TextColor, &G::SetTextColor));
    c.Property("CaptionAppearance", &G::CaptionAppearance, &G::SetCaptionAppearance);
    c.Property("PageAppearance", &G::PageAppearance, &G::SetPageAppearance);
    c.Property("SystemFont", &G::SystemFont, &G::SetSystemFont).SetDefault(true);
    c.Property("TabAppearance", &G::TabAppearance, &G::SetTabAppearance);
    c.Property("ToolBarAppearance", &G::ToolBarAppearance, &G::SetToolBarAppearance);
}

TGroupAppearance::TGroupAppearance()
    : font_(NewSystemFont()),
      captionAppearance_(new TCaptionAppearance),
      pageAppearance_(new TVistaPageBackground),
      toolBarAppearance_(new TToolBarAppearance),
      tabAppearance_(new TCustomTabAppearance)
{
    const TNotifyEvent partChanged(this, &TGroupAppearance::PartChanged);
    captionAppearance_->OnChange = partChanged;
    pageAppearance_->OnChange = partChanged;
    toolBarAppearance_->OnChange = partChanged;
    tabAppearance_->OnChange = partChanged;
}

TGroupAppearance::~TGroupAppearance()
{
    delete captionAppearance_;
    delete pageAppearance_;
    delete toolBarAppearance_;
    delete tabAppearance_;
    delete font_;
}

void TGroupAppearance::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TGroupAppearance*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    captionAppearance_->Assign(other->captionAppearance_);
    pageAppearance_->Assign(other->pageAppearance_);
    tabAppearance_->Assign(other->tabAppearance_);
    steps_ = other->steps_;
    color_ = other->color_;
    colorTo_ = other->colorTo_;
    colorMirror_ = other->colorMirror_;
    colorMirrorTo_ = other->colorMirrorTo_;
    borderColor_ = other->borderColor_;
    textColor_ = other->textColor_;
    font_->Assign(other->font_);
    SetGradient(other->gradient_);
    SetGradientMirror(other->gradientMirror_);
}

// ---- TTabGroupItem, TTabGroups -----------------------------------------------------------------

CLASSLIB_PUBLISH(TTabGroupItem)
{
    using I = TTabGroupItem;
    c.Property("Caption", &I::Caption, &I::SetCaption);
    c.Property("CaptionAlignment", &I::CaptionAlignment, &I::SetCaptionAlignment);
    c.Property("DefaultAppearance", &I::DefaultAppearance, &I::SetDefaultAppearance);
    c.Property("ImageIndex", &I::ImageIndex, &I::SetImageIndex);
    c.Property("TabIndexStart", &I::TabIndexStart, &I::SetTabIndexStart);
    c.Property("TabIndexEnd", &I::TabIndexEnd, &I::SetTabIndexEnd);
    c.Property("GroupAppearance", &I::GroupAppearance, &I::SetGroupAppearance);
}

TTabGroupItem::TTabGroupItem(TCollection* collection) : TCollectionItem(collection)
{
    groupAppearance_ = new TGroupAppearance;
    groupAppearance_->OnChange = TNotifyEvent(this, &TTabGroupItem::TellCollection);
}

TTabGroupItem::~TTabGroupItem()
{
    delete groupAppearance_;
}

void TTabGroupItem::TellCollection(TObject*)
{
    if (auto* groups = dynamic_cast<TTabGroups*>(Collection()))
        groups->TellChange();
}

void TTabGroupItem::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TTabGroupItem*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    SetCaption(other->caption_);
    SetImageIndex(other->imageIndex_);
    SetTabIndexStart(other->tabIndexStart_);
    SetTabIndexEnd(other->tabIndexEnd_);
}

CLASSLIB_PUBLISH(TTabGroups) {}

TTabGroups::TTabGroups(TPersistent* pager) : TOwnedCollection(pager, TTabGroupItem::StaticClass())
{
}

void TTabGroups::TellChange()
{
    if (OnChange)
        OnChange(this);
}

// ---- TQATAppearance ----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TQATAppearance)
{
    using Q = TQATAppearance;
    AsColorProperty(c.Property("BorderColor", &Q::BorderColor, &Q::SetBorderColor));
    AsColorProperty(c.Property("Color", &Q::Color, &Q::SetColor));
    AsColorProperty(c.Property("ColorTo", &Q::ColorTo, &Q::SetColorTo));
    AsColorProperty(
        c.Property("FullSizeBorderColor", &Q::FullSizeBorderColor, &Q::SetFullSizeBorderColor));
    AsColorProperty(c.Property("FullSizeColor", &Q::FullSizeColor, &Q::SetFullSizeColor));
    AsColorProperty(c.Property("FullSizeColorTo", &Q::FullSizeColorTo, &Q::SetFullSizeColorTo));
    c.Property("Steps", &Q::Steps, &Q::SetSteps).SetDefault(64);
}

void TQATAppearance::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TQATAppearance*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    borderColor_ = other->borderColor_;
    color_ = other->color_;
    colorTo_ = other->colorTo_;
    fullSizeBorderColor_ = other->fullSizeBorderColor_;
    fullSizeColor_ = other->fullSizeColor_;
    SetFullSizeColorTo(other->fullSizeColorTo_);
}

} // namespace toolbar
