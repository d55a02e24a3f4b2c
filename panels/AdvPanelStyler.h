#pragma once
// One look for many panels: `TAdvPanelSettings` holds the values, `TAdvPanelStyler` pushes them
// into every panel of its owner that names it as `Styler`, offers fourteen presets, can follow
// the Windows XP colour scheme, and answers the component style interface.
#include "draw/NotifierWindow.h"
#include "draw/XPColorScheme.h"
#include "panels/AdvPanel.h"

namespace panels {

class TAdvPanelSettings : public classlib::TPersistent {
    CLASSLIB_CLASS(TAdvPanelSettings, classlib::TPersistent)
    TAdvPanelSettings();
    ~TAdvPanelSettings() override;
    // Keeps its own values (nothing relies on copying one settings object into another).
    void Assign(classlib::TPersistent*) override {}

    void BeginUpdate() { ++updateCount_; }
    // The change event once the outermost update ends.
    void EndUpdate();

    bool AnchorHint() const { return anchorHint_; }
    void SetAnchorHint(bool v) { Notify(anchorHint_, v); }
    bool AutoHideChildren() const { return autoHideChildren_; }
    void SetAutoHideChildren(bool v) { Notify(autoHideChildren_, v); }
    classlib::TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(classlib::TBevelCut v) { Notify(bevelInner_, v); }
    classlib::TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(classlib::TBevelCut v) { Notify(bevelOuter_, v); }
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v) { Notify(bevelWidth_, v); }
    classlib::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(classlib::TColor v) { Notify(borderColor_, v); }
    bool BorderShadow() const { return borderShadow_; }
    void SetBorderShadow(bool v) { Notify(borderShadow_, v); }
    classlib::TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(classlib::TBorderStyle v) { Notify(borderStyle_, v); }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v) { Notify(borderWidth_, v); }
    bool CanMove() const { return canMove_; }
    void SetCanMove(bool v) { Notify(canMove_, v); }
    bool CanSize() const { return canSize_; }
    void SetCanSize(bool v) { Notify(canSize_, v); }
    TPanelCaption* Caption() const { return caption_; }
    void SetCaption(TPanelCaption* v);
    bool Collaps() const { return collaps_; }
    void SetCollaps(bool v) { Notify(collaps_, v); }
    classlib::TColor CollapsColor() const { return collapsColor_; }
    void SetCollapsColor(classlib::TColor v) { Notify(collapsColor_, v); }
    int CollapsDelay() const { return collapsDelay_; }
    void SetCollapsDelay(int v) { Notify(collapsDelay_, v); }
    int CollapsSteps() const { return collapsSteps_; }
    void SetCollapsSteps(int v) { Notify(collapsSteps_, v); }
    classlib::TColor Color() const { return color_; }
    void SetColor(classlib::TColor v) { color_ = v; }
    classlib::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(classlib::TColor v) { NotifyOnChange(colorTo_, v); }
    classlib::TColor ColorMirror() const { return colorMirror_; }
    void SetColorMirror(classlib::TColor v) { NotifyOnChange(colorMirror_, v); }
    classlib::TColor ColorMirrorTo() const { return colorMirrorTo_; }
    void SetColorMirrorTo(classlib::TColor v) { NotifyOnChange(colorMirrorTo_, v); }
    classlib::TCursor Cursor() const { return cursor_; }
    void SetCursor(classlib::TCursor v) { Notify(cursor_, v); }
    classlib::TFont* Font() const { return font_; }
    void SetFont(classlib::TFont* v);
    bool FixedTop() const { return fixedTop_; }
    void SetFixedTop(bool v) { fixedTop_ = v; }
    bool FixedLeft() const { return fixedLeft_; }
    void SetFixedLeft(bool v) { fixedLeft_ = v; }
    bool FixedHeight() const { return fixedHeight_; }
    void SetFixedHeight(bool v) { fixedHeight_ = v; }
    bool FixedWidth() const { return fixedWidth_; }
    void SetFixedWidth(bool v) { fixedWidth_ = v; }
    int Height() const { return height_; }
    void SetHeight(int v) { height_ = v; }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& v) { hint_ = v; }
    bool Hover() const { return hover_; }
    void SetHover(bool v) { Notify(hover_, v); }
    classlib::TColor HoverColor() const { return hoverColor_; }
    void SetHoverColor(classlib::TColor v) { Notify(hoverColor_, v); }
    classlib::TColor HoverFontColor() const { return hoverFontColor_; }
    void SetHoverFontColor(classlib::TColor v) { Notify(hoverFontColor_, v); }
    int Indent() const { return indent_; }
    void SetIndent(int v) { Notify(indent_, v); }
    int TopIndent() const { return topIndent_; }
    void SetTopIndent(int v) { Notify(topIndent_, v); }
    // Published for form compatibility only; holds no object.
    TPanelPosition* Position() const { return nullptr; }
    void SetPosition(TPanelPosition*) {}
    classlib::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(classlib::TColor v) { shadowColor_ = v; }
    int ShadowOffset() const { return shadowOffset_; }
    void SetShadowOffset(int v) { shadowOffset_ = v; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; }
    bool ShowMoveCursor() const { return showMoveCursor_; }
    void SetShowMoveCursor(bool v) { showMoveCursor_ = v; }
    TPanelStatusBar* StatusBar() const { return statusBar_; }
    void SetStatusBar(TPanelStatusBar* v);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& v) { Notify(text_, v); }
    TTextVAlignment TextVAlign() const { return textVAlign_; }
    void SetTextVAlign(TTextVAlignment v) { Notify(textVAlign_, v); }
    classlib::TColor URLColor() const { return urlColor_; }
    void SetURLColor(classlib::TColor v) { Notify(urlColor_, v); }
    int Width() const { return width_; }
    void SetWidth(int v) { width_ = v; }

    classlib::TNotifyEvent OnChange;

private:
    void Changed();
    void CaptionChanged(classlib::TObject*) { Changed(); }
    template <class T>
    void Notify(T& field, const T& value)
    {
        field = value;
        Changed();
    }
    template <class T>
    void NotifyOnChange(T& field, const T& value)
    {
        if (field == value)
            return;
        field = value;
        Changed();
    }

    int updateCount_ = 0;
    bool anchorHint_ = false;
    bool autoHideChildren_ = true;
    classlib::TBevelCut bevelInner_ = classlib::bvNone;
    classlib::TBevelCut bevelOuter_ = classlib::bvNone;
    int bevelWidth_ = 1;
    classlib::TColor borderColor_ = classlib::clBlack;
    bool borderShadow_ = false;
    classlib::TBorderStyle borderStyle_ = classlib::bsSingle;
    int borderWidth_ = 0;
    bool canMove_ = false, canSize_ = false;
    TPanelCaption* caption_;
    bool collaps_ = false;
    classlib::TColor collapsColor_ = classlib::clBtnFace;
    int collapsDelay_ = 0, collapsSteps_ = 0;
    classlib::TColor color_ = classlib::clBtnFace;
    classlib::TColor colorTo_ = classlib::clNone, colorMirror_ = classlib::clNone,
                     colorMirrorTo_ = classlib::clNone;
    classlib::TCursor cursor_ = classlib::crDefault;
    classlib::TFont* font_;
    bool fixedTop_ = false, fixedLeft_ = false, fixedHeight_ = false, fixedWidth_ = false;
    int height_ = 120;
    std::string hint_;
    bool hover_ = false;
    classlib::TColor hoverColor_ = classlib::clNone, hoverFontColor_ = classlib::clNone;
    int indent_ = 0, topIndent_ = 0;
    classlib::TColor shadowColor_ = classlib::clBlack;
    int shadowOffset_ = 0;
    bool showHint_ = false, showMoveCursor_ = false;
    TPanelStatusBar* statusBar_;
    std::string text_;
    TTextVAlignment textVAlign_ = tvaTop;
    classlib::TColor urlColor_ = classlib::clBlue;
    int width_ = 0;
};

enum TAdvPanelStyle {
    psOffice2003Blue,
    psOffice2003Silver,
    psOffice2003Olive,
    psOffice2003Classic,
    psOffice2007Luna,
    psOffice2007Obsidian,
    psWindowsXP,
    psWhidbey,
    psCustom,
    psOffice2007Silver,
    psXP,
    psFlat,
    psHalsk,
    psClassic
};
CLASSLIB_ENUM(TAdvPanelStyle);

// The component style interface the library's styled components share.
class ITMSStyle : public classlib::IInterface {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{11AC2DDC-C087-4298-AB6E-EA1B5017511B}");
    virtual void ApplyStyle(int style) = 0;

protected:
    ~ITMSStyle() = default;
};

// The hidden window that reports WM_THEMECHANGED.
using TThemeNotifierWindow = draw::TNotifierWindow;

class TAdvPanelStyler : public classlib::TComponent, public ITMSStyle {
    CLASSLIB_CLASS(TAdvPanelStyler, classlib::TComponent)
    explicit TAdvPanelStyler(classlib::TComponent* owner);
    ~TAdvPanelStyler() override;
    void Assign(classlib::TPersistent* source) override;

    bool AutoThemeAdapt() const { return autoThemeAdapt_; }
    void SetAutoThemeAdapt(bool value) { autoThemeAdapt_ = value; }
    TAdvPanelSettings* Settings() const { return settings_; }
    void SetSettings(TAdvPanelSettings* value) { settings_->Assign(value); }
    const std::string& Comments() const { return comments_; }
    void SetComments(const std::string& value) { comments_ = value; }
    TAdvPanelStyle Style() const { return style_; }
    // Applies the preset (nothing for psCustom) as one change of the settings.
    void SetStyle(TAdvPanelStyle value);
    TThemeNotifierWindow* NotifierWindow() const { return notifier_; }

    CLASSLIB_IINTERFACE_OF(classlib::TComponent)
    bool GetInterface(const classlib::TGUID& iid, void** obj) override;
    // The low seven bits select a style; 8 (custom) and numbers above 9 do nothing.
    void ApplyStyle(int style) override;

protected:
    void Loaded() override;

private:
    void PushSettings(classlib::TObject*);
    void ThemeChanged(classlib::TObject*) { ThemeAdapt(); }
    void ThemeAdapt();

    bool autoThemeAdapt_ = false;
    TAdvPanelSettings* settings_;
    std::string comments_;
    TAdvPanelStyle style_ = psXP;
    TThemeNotifierWindow* notifier_;
};

// The Windows XP colour scheme: 1 "NormalColor" (blue), 2 "HomeStead" (olive), 3 "Metallic"
// (silver), 0 for anything else, an inactive theme or a system before XP.
using draw::GetXPThemeColorName;
using draw::IsWinXPOrLater;

} // namespace panels
