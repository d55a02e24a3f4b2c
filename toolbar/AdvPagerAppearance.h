#pragma once
// The persistent objects behind the ribbon pager's look and layout: its caption bar, the tab
// colours and geometry, the tab scroll position, the gradient sets of the caption bar and the
// pages, tab groups with their own colours, caption colours and the quick-access toolbar's
// colours. Setters store a value and raise the change event only when it differs; the ones
// marked "direct" only store (the pager shows them at its next repaint).
#include "draw/GlowDrawing.h"
#include "toolbar/AdvToolBarAppearance.h"

#include "core/Collection.h"
#include "windows/StdCtrls.h"

#include <string>

namespace toolbar {

using draw::TGDIPGradient;

// The pager's caption bar.
class TAdvPageCaption : public TAppearanceObject {
    CLASSLIB_CLASS(TAdvPageCaption, TAppearanceObject)
    TAdvPageCaption() = default;
    // Caption and Height stored, Visible, Indent and MinWidth through their setters; not the
    // trailing indent. Another class raises the platform's assignment error.
    void Assign(classlib::TPersistent* source) override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { Notify(caption_, value); }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Notify(visible_, value); }
    int Height() const { return height_; }
    void SetHeight(int value) { Notify(height_, value); }
    int Indent() const { return indent_; }
    void SetIndent(int value) { Notify(indent_, value); }
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int value) { Notify(minWidth_, value); }
    // The right-hand indent the pager keeps for its caption layout.
    int TrailingIndent() const { return trailingIndent_; }
    void SetTrailingIndent(int value) { trailingIndent_ = value; }

private:
    std::string caption_;
    bool visible_ = true;
    int height_ = 27;
    int indent_ = 100;
    int minWidth_ = 100;
    int trailingIndent_ = 0;
};

// The tab colours, gradients and text colours per state: name, initial value, setter manner.
#define TOOLBAR_TAB_COLORS(X)                           \
    X(BorderColor, classlib::clBtnFace, Notify)         \
    X(BorderColorHot, classlib::clBlue, Direct)         \
    X(BorderColorSelected, classlib::clBtnFace, Notify) \
    X(BorderColorSelectedHot, classlib::clNone, Notify) \
    X(BorderColorDisabled, classlib::clNone, Notify)    \
    X(BorderColorDown, classlib::clNone, Notify)        \
    X(Color, classlib::clBtnFace, Notify)               \
    X(ColorTo, classlib::clWhite, Notify)               \
    X(ColorSelected, classlib::clWhite, Notify)         \
    X(ColorSelectedTo, classlib::clBtnFace, Notify)     \
    X(ColorDisabled, classlib::clNone, Notify)          \
    X(ColorDisabledTo, classlib::clNone, Notify)        \
    X(ColorHot, classlib::clYellow, Notify)             \
    X(ColorHotTo, classlib::clNone, Notify)             \
    X(ColorMirror, classlib::clWhite, Notify)           \
    X(ColorMirrorTo, classlib::clWhite, Notify)         \
    X(ColorMirrorHot, classlib::clNone, Notify)         \
    X(ColorMirrorHotTo, classlib::clNone, Notify)       \
    X(ColorMirrorSelected, classlib::clWhite, Notify)   \
    X(ColorMirrorSelectedTo, classlib::clWhite, Notify) \
    X(ColorMirrorDisabled, classlib::clNone, Notify)    \
    X(ColorMirrorDisabledTo, classlib::clNone, Notify)
#define TOOLBAR_TAB_GRADIENTS(X) \
    X(Gradient)                  \
    X(GradientMirror)            \
    X(GradientHot)               \
    X(GradientMirrorHot)         \
    X(GradientSelected) X(GradientMirrorSelected) X(GradientDisabled) X(GradientMirrorDisabled)
#define TOOLBAR_TAB_TEXT_COLORS(X)                  \
    X(TextColor, classlib::clBlue, Notify)          \
    X(TextColorHot, classlib::clBlue, Notify)       \
    X(TextColorSelected, classlib::clBlue, Notify)  \
    X(TextColorDisabled, classlib::clWhite, Notify) \
    X(ShadowColor, 0xE8C7AE, Direct)                \
    X(HighLightColor, 0xFFFABF, Direct)             \
    X(HighLightColorHot, 0xFDF4ED, Direct)          \
    X(HighLightColorSelected, 0x63CCF8, Direct)     \
    X(HighLightColorSelectedHot, 0xBDFFFF, Direct)  \
    X(HighLightColorDown, 0xFFFBD0, Direct)

// The colours of the pager tabs in their states.
class TCustomTabAppearance : public TAppearanceObject {
    CLASSLIB_CLASS(TCustomTabAppearance, TAppearanceObject)
    TCustomTabAppearance();
    ~TCustomTabAppearance() override;
    // Every colour, gradient, shadow and highlight value stored directly, the font copied,
    // TextColor and TextColorHot through their setters, then the background copied; not
    // SystemFont. Another class raises the platform's assignment error.
    void Assign(classlib::TPersistent* source) override;

#define TOOLBAR_TAB_ACCESSORS(Name, initial, manner) \
    classlib::TColor Name() const                    \
    {                                                \
        return Name##_;                              \
    }                                                \
    void Set##Name(classlib::TColor value)           \
    {                                                \
        manner(Name##_, value);                      \
    }
    TOOLBAR_TAB_COLORS(TOOLBAR_TAB_ACCESSORS)
    TOOLBAR_TAB_TEXT_COLORS(TOOLBAR_TAB_ACCESSORS)
#undef TOOLBAR_TAB_ACCESSORS
#define TOOLBAR_TAB_GRADIENT_ACCESSORS(Name) \
    TGDIPGradient Name() const               \
    {                                        \
        return Name##_;                      \
    }                                        \
    void Set##Name(TGDIPGradient value)      \
    {                                        \
        Notify(Name##_, value);              \
    }
    TOOLBAR_TAB_GRADIENTS(TOOLBAR_TAB_GRADIENT_ACCESSORS)
#undef TOOLBAR_TAB_GRADIENT_ACCESSORS

    classlib::TFont* Font() const
    {
        return font_;
    }
    // Copies the font; no change event.
    void SetFont(classlib::TFont* value)
    {
        font_->Assign(value);
    }
    bool SystemFont() const
    {
        return systemFont_;
    }
    void SetSystemFont(bool value)
    {
        SetSystemFontFlag(systemFont_, value, font_);
    }
    TGradientBackground* BackGround() const
    {
        return backGround_;
    }
    void SetBackGround(TGradientBackground* value)
    {
        backGround_->Assign(value);
    }

private:
    static void Direct(classlib::TColor& field, classlib::TColor value)
    {
        field = value;
    }
    void BackGroundChanged(classlib::TObject*)
    {
        Changed();
    }

#define TOOLBAR_TAB_FIELD(Name, initial, manner) classlib::TColor Name##_ = initial;
    TOOLBAR_TAB_COLORS(TOOLBAR_TAB_FIELD)
    TOOLBAR_TAB_TEXT_COLORS(TOOLBAR_TAB_FIELD)
#undef TOOLBAR_TAB_FIELD
#define TOOLBAR_TAB_GRADIENT_FIELD(Name) TGDIPGradient Name##_ = draw::ggVertical;
    TOOLBAR_TAB_GRADIENTS(TOOLBAR_TAB_GRADIENT_FIELD)
#undef TOOLBAR_TAB_GRADIENT_FIELD
    classlib::TFont* font_;
    bool systemFont_ = true;
    TGradientBackground* backGround_;
};

// The tab appearance that publishes its background.
class TTabAppearance : public TCustomTabAppearance {
    CLASSLIB_CLASS(TTabAppearance, TCustomTabAppearance)
    TTabAppearance() = default;
};

// The geometry of the pager tabs.
class TATBTabSettings : public TAppearanceObject {
    CLASSLIB_CLASS(TATBTabSettings, TAppearanceObject)
    TATBTabSettings() = default;
    // The margins and Height through their setters; not Spacing nor the floors. Another class
    // raises the platform's assignment error.
    void Assign(classlib::TPersistent* source) override;

    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int value) { Notify(leftMargin_, value); }
    int RightMargin() const { return rightMargin_; }
    void SetRightMargin(int value) { Notify(rightMargin_, value); }
    int StartMargin() const { return startMargin_; }
    void SetStartMargin(int value) { Notify(startMargin_, value); }
    int EndMargin() const { return endMargin_; }
    void SetEndMargin(int value) { Notify(endMargin_, value); }
    int Height() const { return height_; }
    void SetHeight(int value) { Notify(height_, value); }
    int Spacing() const { return spacing_; }
    void SetSpacing(int value) { Notify(spacing_, value); }
    // The smallest spacing and side margin the pager shrinks the tabs to.
    int SpacingFloor() const { return spacingFloor_; }
    int MarginFloor() const { return marginFloor_; }

private:
    int leftMargin_ = 4, rightMargin_ = 4, startMargin_ = 60, endMargin_ = 0, height_ = 26,
        spacing_ = 4;
    int spacingFloor_ = 3, marginFloor_ = 3;
};

// The scroll position of the pager tabs.
class TATBTabScroller : public classlib::TObject {
public:
    int MinOffset() const { return minOffset_; }
    // Stores only a value not above MaxOffset.
    void SetMinOffset(int value);
    int MaxOffset() const { return maxOffset_; }
    // Stores only a value not below MinOffset.
    void SetMaxOffset(int value);
    int ScrollOffset() const { return scrollOffset_; }
    void SetScrollOffset(int value) { scrollOffset_ = value; }
    bool ButtonsShown() const { return buttonsShown_; }
    void SetButtonsShown(bool value) { buttonsShown_ = value; }
    bool CanScrollLeft() const { return minOffset_ < scrollOffset_; }
    bool CanScrollRight() const { return scrollOffset_ < maxOffset_; }

private:
    int minOffset_ = 0, maxOffset_ = 0, scrollOffset_ = 0;
    bool buttonsShown_ = false;
};

// A gradient colour set with a mirror half.
class TVistaBackground : public TAppearanceObject {
    CLASSLIB_CLASS(TVistaBackground, TAppearanceObject)
    TVistaBackground() = default;
    // The colours and steps stored, the two gradients through their setters. Another class
    // raises the platform's assignment error.
    void Assign(classlib::TPersistent* source) override;

    TOOLBAR_COLOR_PROPERTY(BorderColor, borderColor_)
    TOOLBAR_COLOR_PROPERTY(Color, color_)
    TOOLBAR_COLOR_PROPERTY(ColorTo, colorTo_)
    TOOLBAR_COLOR_PROPERTY(ColorMirror, colorMirror_)
    TOOLBAR_COLOR_PROPERTY(ColorMirrorTo, colorMirrorTo_)
    TGDIPGradient Gradient() const { return gradient_; }
    void SetGradient(TGDIPGradient value) { Notify(gradient_, value); }
    TGDIPGradient GradientMirror() const { return gradientMirror_; }
    void SetGradientMirror(TGDIPGradient value) { Notify(gradientMirror_, value); }
    int Steps() const { return steps_; }
    void SetSteps(int value) { Notify(steps_, value); }
    // Direct: the pages show them at their next repaint.
    classlib::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(classlib::TColor value) { shadowColor_ = value; }
    classlib::TColor HighLightColor() const { return highLightColor_; }
    void SetHighLightColor(classlib::TColor value) { highLightColor_ = value; }

private:
    classlib::TColor borderColor_ = classlib::clGray;
    classlib::TColor color_ = classlib::clWhite;
    classlib::TColor colorTo_ = classlib::clWhite;
    classlib::TColor colorMirror_ = classlib::clSilver;
    classlib::TColor colorMirrorTo_ = classlib::clWhite;
    TGDIPGradient gradient_ = draw::ggVertical;
    TGDIPGradient gradientMirror_ = draw::ggVertical;
    int steps_ = 64;
    classlib::TColor shadowColor_ = 0xC4AA96;
    classlib::TColor highLightColor_ = 0xFDF9CE;
};

// The page background: publishes the shadow and highlight colours too.
class TVistaPageBackground : public TVistaBackground {
    CLASSLIB_CLASS(TVistaPageBackground, TVistaBackground)
    TVistaPageBackground() = default;
};

// The caption bar's background with its text colour and font.
class TVistaTextBackground : public TVistaBackground {
    CLASSLIB_CLASS(TVistaTextBackground, TVistaBackground)
    TVistaTextBackground();
    ~TVistaTextBackground() override;
    // The inherited copy, then the text colour (through its setter) and the font; not
    // SystemFont.
    void Assign(classlib::TPersistent* source) override;

    classlib::TColor TextColor() const { return textColor_; }
    void SetTextColor(classlib::TColor value);
    classlib::TFont* Font() const { return font_; }
    // Copies the font; no change event.
    void SetFont(classlib::TFont* value) { font_->Assign(value); }
    bool SystemFont() const { return systemFont_; }
    void SetSystemFont(bool value) { SetSystemFontFlag(systemFont_, value, font_); }

private:
    classlib::TColor textColor_ = classlib::clBlue;
    classlib::TFont* font_;
    bool systemFont_ = true;
};

// Caption bar colours, normal and hot.
class TCaptionAppearance : public TAppearanceObject {
    CLASSLIB_CLASS(TCaptionAppearance, TAppearanceObject)
    TCaptionAppearance() = default;
    // Six colours stored, CaptionColorHotTo and CaptionTextColorHot through their setters.
    // Another class raises the platform's assignment error.
    void Assign(classlib::TPersistent* source) override;

    TOOLBAR_COLOR_PROPERTY(CaptionColor, captionColor_)
    TOOLBAR_COLOR_PROPERTY(CaptionColorTo, captionColorTo_)
    TOOLBAR_COLOR_PROPERTY(CaptionTextColor, captionTextColor_)
    TOOLBAR_COLOR_PROPERTY(CaptionBorderColor, captionBorderColor_)
    TOOLBAR_COLOR_PROPERTY(CaptionColorHot, captionColorHot_)
    TOOLBAR_COLOR_PROPERTY(CaptionColorHotTo, captionColorHotTo_)
    TOOLBAR_COLOR_PROPERTY(CaptionTextColorHot, captionTextColorHot_)
    TOOLBAR_COLOR_PROPERTY(CaptionBorderColorHot, captionBorderColorHot_)

private:
    classlib::TColor captionColor_ = classlib::clGray;
    classlib::TColor captionColorTo_ = classlib::clNone;
    classlib::TColor captionTextColor_ = classlib::clWhite;
    classlib::TColor captionBorderColor_ = classlib::clNone;
    classlib::TColor captionColorHot_ = classlib::clNone;
    classlib::TColor captionColorHotTo_ = classlib::clNone;
    classlib::TColor captionTextColorHot_ = classlib::clWhite;
    classlib::TColor captionBorderColorHot_ = classlib::clNone;
};

// Toolbar colours inside a tab group; changes inside the two gradients are not reported.
class TToolBarAppearance : public TAppearanceObject {
    CLASSLIB_CLASS(TToolBarAppearance, TAppearanceObject)
    TToolBarAppearance();
    ~TToolBarAppearance() override;
    // The two gradients copied, the border colours stored. Another class raises the
    // platform's assignment error.
    void Assign(classlib::TPersistent* source) override;

    classlib::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(classlib::TColor value) { Notify(borderColor_, value); }
    classlib::TColor BorderColorHot() const { return borderColorHot_; }
    void SetBorderColorHot(classlib::TColor value) { Notify(borderColorHot_, value); }
    TGradientBackground* Color() const { return color_; }
    void SetColor(TGradientBackground* value) { color_->Assign(value); }
    TGradientBackground* ColorHot() const { return colorHot_; }
    void SetColorHot(TGradientBackground* value) { colorHot_->Assign(value); }

private:
    classlib::TColor borderColor_ = classlib::clNone;
    classlib::TColor borderColorHot_ = classlib::clNone;
    TGradientBackground* color_;
    TGradientBackground* colorHot_;
};

// The colours of a tab group: its tabs, caption, pages and the toolbars on them.
class TGroupAppearance : public TAppearanceObject {
    CLASSLIB_CLASS(TGroupAppearance, TAppearanceObject)
    TGroupAppearance();
    ~TGroupAppearance() override;
    // Caption, page and tab appearances copied, colours, text colour and steps stored, the
    // font copied, the gradients through their setters; not the toolbar appearance nor
    // SystemFont. Another class raises the platform's assignment error.
    void Assign(classlib::TPersistent* source) override;

    TOOLBAR_COLOR_PROPERTY(BorderColor, borderColor_)
    TOOLBAR_COLOR_PROPERTY(Color, color_)
    TOOLBAR_COLOR_PROPERTY(ColorTo, colorTo_)
    TOOLBAR_COLOR_PROPERTY(ColorMirror, colorMirror_)
    TOOLBAR_COLOR_PROPERTY(ColorMirrorTo, colorMirrorTo_)
    TOOLBAR_COLOR_PROPERTY(TextColor, textColor_)
    TGDIPGradient Gradient() const { return gradient_; }
    void SetGradient(TGDIPGradient value) { Notify(gradient_, value); }
    TGDIPGradient GradientMirror() const { return gradientMirror_; }
    void SetGradientMirror(TGDIPGradient value) { Notify(gradientMirror_, value); }
    int Steps() const { return steps_; }
    void SetSteps(int value) { Notify(steps_, value); }
    classlib::TFont* Font() const { return font_; }
    void SetFont(classlib::TFont* value) { font_->Assign(value); }
    bool SystemFont() const { return systemFont_; }
    void SetSystemFont(bool value) { SetSystemFontFlag(systemFont_, value, font_); }
    TCaptionAppearance* CaptionAppearance() const { return captionAppearance_; }
    void SetCaptionAppearance(TCaptionAppearance* value) { captionAppearance_->Assign(value); }
    TVistaPageBackground* PageAppearance() const { return pageAppearance_; }
    void SetPageAppearance(TVistaPageBackground* value) { pageAppearance_->Assign(value); }
    TCustomTabAppearance* TabAppearance() const { return tabAppearance_; }
    void SetTabAppearance(TCustomTabAppearance* value) { tabAppearance_->Assign(value); }
    TToolBarAppearance* ToolBarAppearance() const { return toolBarAppearance_; }
    void SetToolBarAppearance(TToolBarAppearance* value) { toolBarAppearance_->Assign(value); }

private:
    void PartChanged(classlib::TObject*) { Changed(); }

    classlib::TColor borderColor_ = 0xA3B8AC;
    classlib::TColor color_ = classlib::clWhite;
    classlib::TColor colorTo_ = classlib::clWhite;
    classlib::TColor colorMirror_ = classlib::clSilver;
    classlib::TColor colorMirrorTo_ = classlib::clWhite;
    classlib::TColor textColor_ = classlib::clBlue;
    TGDIPGradient gradient_ = draw::ggVertical;
    TGDIPGradient gradientMirror_ = draw::ggVertical;
    int steps_ = 64;
    classlib::TFont* font_;
    bool systemFont_ = true;
    TCaptionAppearance* captionAppearance_;
    TVistaPageBackground* pageAppearance_;
    TToolBarAppearance* toolBarAppearance_;
    TCustomTabAppearance* tabAppearance_;
};

// A named range of pager tabs drawn as a group.
class TTabGroupItem : public classlib::TCollectionItem {
    CLASSLIB_CLASS(TTabGroupItem, classlib::TCollectionItem)
    explicit TTabGroupItem(classlib::TCollection* collection);
    ~TTabGroupItem() override;
    // Caption and the three indexes through their setters; not the alignment, the default
    // flag nor the group appearance. Another class raises the platform's assignment error.
    void Assign(classlib::TPersistent* source) override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { Notify(caption_, value); }
    classlib::TAlignment CaptionAlignment() const { return captionAlignment_; }
    void SetCaptionAlignment(classlib::TAlignment value) { Notify(captionAlignment_, value); }
    // True: drawn with the styler's group colours; False: with its own.
    bool DefaultAppearance() const { return defaultAppearance_; }
    void SetDefaultAppearance(bool value) { Notify(defaultAppearance_, value); }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value) { Notify(imageIndex_, value); }
    int TabIndexStart() const { return tabIndexStart_; }
    void SetTabIndexStart(int value) { Notify(tabIndexStart_, value); }
    int TabIndexEnd() const { return tabIndexEnd_; }
    void SetTabIndexEnd(int value) { Notify(tabIndexEnd_, value); }
    TGroupAppearance* GroupAppearance() const { return groupAppearance_; }
    void SetGroupAppearance(TGroupAppearance* value) { groupAppearance_->Assign(value); }

private:
    template <class T>
    void Notify(T& field, const T& value)
    {
        if (StoreChanged(field, value))
            TellCollection(nullptr);
    }
    void TellCollection(classlib::TObject*);

    std::string caption_;
    classlib::TAlignment captionAlignment_ = classlib::taLeftJustify;
    bool defaultAppearance_ = true;
    int imageIndex_ = -1;
    int tabIndexStart_ = -1;
    int tabIndexEnd_ = -1;
    TGroupAppearance* groupAppearance_ = nullptr;
};

// The pager's tab groups; its owner is the pager.
class TTabGroups : public classlib::TOwnedCollection {
    CLASSLIB_CLASS(TTabGroups, classlib::TOwnedCollection)
    explicit TTabGroups(classlib::TPersistent* pager);
    TTabGroupItem* Items(int index) const
    {
        return static_cast<TTabGroupItem*>(TCollection::Items(index));
    }
    TTabGroupItem* Add() { return static_cast<TTabGroupItem*>(TCollection::Add()); }
    // Raised for every change of an item (the pager points it at its own handler).
    void TellChange();

    classlib::TNotifyEvent OnChange;
};

// Quick-access toolbar colours, normal and full size.
class TQATAppearance : public TAppearanceObject {
    CLASSLIB_CLASS(TQATAppearance, TAppearanceObject)
    TQATAppearance() = default;
    // Five colours stored, FullSizeColorTo through its setter; not Steps. Another class
    // raises the platform's assignment error.
    void Assign(classlib::TPersistent* source) override;

    TOOLBAR_COLOR_PROPERTY(BorderColor, borderColor_)
    TOOLBAR_COLOR_PROPERTY(Color, color_)
    TOOLBAR_COLOR_PROPERTY(ColorTo, colorTo_)
    TOOLBAR_COLOR_PROPERTY(FullSizeBorderColor, fullSizeBorderColor_)
    TOOLBAR_COLOR_PROPERTY(FullSizeColor, fullSizeColor_)
    TOOLBAR_COLOR_PROPERTY(FullSizeColorTo, fullSizeColorTo_)
    int Steps() const { return steps_; }
    void SetSteps(int value) { Notify(steps_, value); }

private:
    classlib::TColor borderColor_ = classlib::clGray;
    classlib::TColor color_ = classlib::clWhite;
    classlib::TColor colorTo_ = classlib::clSilver;
    classlib::TColor fullSizeBorderColor_ = classlib::clBlack;
    classlib::TColor fullSizeColor_ = 0xC59F81;
    classlib::TColor fullSizeColorTo_ = 0xE3B28D;
    int steps_ = 64;
};

} // namespace toolbar
