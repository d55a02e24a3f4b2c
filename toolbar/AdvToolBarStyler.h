#pragma once
// The look of the whole toolbar family in one non-visual component: gradients of toolbars and
// dock areas, the right-hand handle, the drag grip, the floating-window border, button and
// glow-button colours, the container lines, captions, the pager's caption, tab, page and group
// colours, the quick-access toolbar and the menu styler of dropped menus. Dock panels, toolbars
// and pagers register with a styler; every change of the look reaches them as a numbered change
// kind (StylerChangeKinds.h).
#include "controls/AdvGlowButton.h"
#include "menus/AdvMenuStyler.h"
#include "toolbar/AdvPagerAppearance.h"
#include "toolbar/AdvToolBarAppearance.h"
#include "toolbar/DbgList.h"
#include "toolbar/StylerChangeKinds.h"

#include "windows/Controls.h"
#include "windows/Images.h"

#include <cstdint>

namespace toolbar {

enum TBackGroundDisplay { bdTile, bdCenter, bdStretch };
enum TDragGripStyle { dsDots, dsSingleLine, dsDoubleLine, dsFlatDots, dsNone };
CLASSLIB_ENUM(TBackGroundDisplay);
CLASSLIB_ENUM(TDragGripStyle);

class TCustomAdvToolBarStyler;

// What a control registered with a styler offers: dock panels, toolbars and pagers.
class IToolBarStylerClient {
public:
    // Re-reads what the change kind names and repaints. A toolbar in compact mode passes the
    // kind on to the toolbar of its compact window first.
    virtual void ToolBarStylerChanged(int kind) = 0;
    // The control's ToolBarStyler property (the external styler, nullptr for none) and its
    // setter, which moves the registration and falls back to the internal styler.
    virtual TCustomAdvToolBarStyler* ToolBarStyler() const = 0;
    virtual void SetToolBarStyler(TCustomAdvToolBarStyler* styler) = 0;
    // Dock panels and pagers are handed no styler by a styler that is being freed; toolbars
    // drop it through their free notification.
    virtual bool ReleasedByStyler() const = 0;

protected:
    ~IToolBarStylerClient() = default;
};

class TCustomAdvToolBarStyler : public classlib::TComponent {
    CLASSLIB_CLASS(TCustomAdvToolBarStyler, classlib::TComponent)
    explicit TCustomAdvToolBarStyler(classlib::TComponent* owner);
    ~TCustomAdvToolBarStyler() override;

    // From another toolbar styler: the menu styler's look (when both have one), the toolbar and
    // dock gradients, the background with its flags, the font, the drag grip, both images, the
    // floating-window border, the caption and button appearances. Nothing else is copied.
    void Assign(classlib::TPersistent* source) override;

    // Registers a control once (a second registration of the same control changes nothing) and
    // asks for its free notification.
    void AddControl(classlib::TControl* control);
    // Takes the control off the list wherever it stands; nothing when it is not there.
    void RemoveControl(classlib::TControl* control);
    // Tells every registered control of the change kind. The list must not change meanwhile.
    void NotifyControls(int kind);
    int ControlCount() const { return controls_->Count(); }
    classlib::TControl* Controls(int index) const;

    // The menu styler toolbars use for their menus: AdvMenuStyler, else the internal one.
    menus::TCustomAdvMenuStyler* AdvMenuStyler() const { return advMenuStyler_; }
    void SetAdvMenuStyler(menus::TCustomAdvMenuStyler* value);
    menus::TCustomAdvMenuStyler* CurrentMenuStyler() const { return currentMenuStyler_; }
    menus::TAdvMenuStyler* InternalMenuStyler() const { return internalMenuStyler_; }

    classlib::TBitmap* BackGround() const { return backGround_; }
    void SetBackGround(classlib::TBitmap* value);
    bool BackGroundTransparent() const { return backGroundTransparent_; }
    void SetBackGroundTransparent(bool value);
    TBackGroundDisplay BackGroundDisplay() const { return backGroundDisplay_; }
    void SetBackGroundDisplay(TBackGroundDisplay value);
    classlib::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(classlib::TColor value);
    classlib::TColor BorderColorHot() const { return borderColorHot_; }
    void SetBorderColorHot(classlib::TColor value);
    TButtonAppearance* ButtonAppearance() const { return buttonAppearance_; }
    void SetButtonAppearance(TButtonAppearance* value) { buttonAppearance_->Assign(value); }
    TCaptionAppearance* CaptionAppearance() const { return captionAppearance_; }
    void SetCaptionAppearance(TCaptionAppearance* value) { captionAppearance_->Assign(value); }
    classlib::TFont* CaptionFont() const { return captionFont_; }
    void SetCaptionFont(classlib::TFont* value);
    TContainerAppearance* ContainerAppearance() const { return containerAppearance_; }
    void SetContainerAppearance(TContainerAppearance* value)
    {
        containerAppearance_->Assign(value);
    }
    TVistaGradientBackground* Color() const { return color_; }
    void SetColor(TVistaGradientBackground* value) { color_->Assign(value); }
    TVistaGradientBackground* ColorHot() const { return colorHot_; }
    void SetColorHot(TVistaGradientBackground* value) { colorHot_->Assign(value); }
    controls::TGlowButtonAppearance* CompactGlowButtonAppearance() const
    {
        return compactGlowButtonAppearance_;
    }
    void SetCompactGlowButtonAppearance(controls::TGlowButtonAppearance* value)
    {
        compactGlowButtonAppearance_->Assign(value);
    }
    TGradientBackground* DockColor() const { return dockColor_; }
    void SetDockColor(TGradientBackground* value) { dockColor_->Assign(value); }
    TDragGripStyle DragGripStyle() const { return dragGripStyle_; }
    void SetDragGripStyle(TDragGripStyle value);
    classlib::TBitmap* DragGripImage() const { return dragGripImage_; }
    void SetDragGripImage(classlib::TBitmap* value) { dragGripImage_->Assign(value); }
    classlib::TColor FloatingWindowBorderColor() const { return floatingWindowBorderColor_; }
    void SetFloatingWindowBorderColor(classlib::TColor value);
    int FloatingWindowBorderWidth() const { return floatingWindowBorderWidth_; }
    void SetFloatingWindowBorderWidth(int value);
    classlib::TFont* Font() const { return font_; }
    void SetFont(classlib::TFont* value);
    controls::TGlowButtonAppearance* GlowButtonAppearance() const { return glowButtonAppearance_; }
    void SetGlowButtonAppearance(controls::TGlowButtonAppearance* value)
    {
        glowButtonAppearance_->Assign(value);
    }
    TGroupAppearance* GroupAppearance() const { return groupAppearance_; }
    void SetGroupAppearance(TGroupAppearance* value) { groupAppearance_->Assign(value); }
    TVistaPageBackground* PageAppearance() const { return pageAppearance_; }
    void SetPageAppearance(TVistaPageBackground* value) { pageAppearance_->Assign(value); }
    TVistaTextBackground* PagerCaption() const { return pagerCaption_; }
    void SetPagerCaption(TVistaTextBackground* value) { pagerCaption_->Assign(value); }
    TQATAppearance* QATAppearance() const { return qatAppearance_; }
    void SetQATAppearance(TQATAppearance* value) { qatAppearance_->Assign(value); }
    classlib::TBitmap* RightHandleImage() const { return rightHandleImage_; }
    void SetRightHandleImage(classlib::TBitmap* value);
#define TOOLBAR_RIGHT_HANDLE_COLOR(Name, field)                  \
    classlib::TColor Name() const                                \
    {                                                            \
        return field;                                            \
    }                                                            \
    void Set##Name(classlib::TColor value)                       \
    {                                                            \
        StoreAndNotify(field, value, StylerChangeKindOf(#Name)); \
    }
    TOOLBAR_RIGHT_HANDLE_COLOR(RightHandleColor, rightHandleColor_)
    TOOLBAR_RIGHT_HANDLE_COLOR(RightHandleColorTo, rightHandleColorTo_)
    TOOLBAR_RIGHT_HANDLE_COLOR(RightHandleColorHot, rightHandleColorHot_)
    TOOLBAR_RIGHT_HANDLE_COLOR(RightHandleColorHotTo, rightHandleColorHotTo_)
    TOOLBAR_RIGHT_HANDLE_COLOR(RightHandleColorDown, rightHandleColorDown_)
    TOOLBAR_RIGHT_HANDLE_COLOR(RightHandleColorDownTo, rightHandleColorDownTo_)
#undef TOOLBAR_RIGHT_HANDLE_COLOR
    TTabAppearance* TabAppearance() const
    {
        return tabAppearance_;
    }
    void SetTabAppearance(TTabAppearance* value)
    {
        tabAppearance_->Assign(value);
    }
    bool SystemFont() const
    {
        return systemFont_;
    }
    // Turning it on names Font and CaptionFont after the system font; no kind is sent.
    void SetSystemFont(bool value);

    // Set by the presets, not streamed.
    bool RoundedCorners() const
    {
        return roundedCorners_;
    }
    void SetRoundedCorners(bool value);
    // 0 none, 1 lowered, 2 raised, 3 space.
    int FrameBevel() const
    {
        return frameBevel_;
    }
    void SetFrameBevel(int value);
    bool ShowFrameBevel() const
    {
        return showFrameBevel_;
    }
    void SetShowFrameBevel(bool value);
    // The style number hosts hand to their glow buttons (not when it is 8).
    uint8_t ComponentStyle() const
    {
        return componentStyle_;
    }
    void SetComponentStyle(uint8_t value)
    {
        componentStyle_ = value;
    }
    bool AutoThemeAdapt() const
    {
        return autoThemeAdapt_;
    }
    void SetAutoThemeAdapt(bool value)
    {
        autoThemeAdapt_ = value;
    }
    bool QATWideArc() const
    {
        return qatWideArc_;
    }
    void SetQATWideArc(bool value)
    {
        qatWideArc_ = value;
    }

protected:
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;

private:
    // Stores a new value and sends the property's kind; an equal value sends nothing.
    template <class T>
    void StoreAndNotify(T& field, const T& value, TStylerChangeKind kind)
    {
        if (StoreChanged(field, value))
            NotifyControls(kind);
    }
    void ReleaseControls();
    // The list holds every control as its component: a freed control, whose destructors have
    // run down to the component's, is still found by the address it is told by.
    static void* Entry(classlib::TComponent* component)
    {
        return component;
    }
    void RemoveEntry(classlib::TComponent* component);
    // The handlers of the owned objects' change events, one per kind they send.
    void AppearanceChanged(classlib::TObject*)
    {
        NotifyControls(StylerChangeKindOf("CaptionAppearance"));
    }
    void ContainerChanged(classlib::TObject*)
    {
        NotifyControls(StylerChangeKindOf("ContainerAppearance"));
    }
    void GlowButtonsChanged(classlib::TObject*)
    {
        NotifyControls(StylerChangeKindOf("GlowButtonAppearance"));
    }
    void PagerChanged(classlib::TObject*)
    {
        NotifyControls(StylerChangeKindOf("TabAppearance"));
    }
    void PagerCaptionChanged(classlib::TObject*)
    {
        NotifyControls(StylerChangeKindOf("PagerCaption"));
    }
    void QATChanged(classlib::TObject*)
    {
        NotifyControls(StylerChangeKindOf("QATAppearance"));
    }

    TDbgList* controls_;
    classlib::TBitmap* backGround_;
    bool backGroundTransparent_ = true;
    TBackGroundDisplay backGroundDisplay_ = bdTile;
    classlib::TFont* font_;
    TDragGripStyle dragGripStyle_ = dsDots;
    classlib::TBitmap* dragGripImage_;
    classlib::TBitmap* rightHandleImage_;
    bool roundedCorners_ = true;
    classlib::TColor rightHandleColor_ = 0x9E9E9E;
    classlib::TColor rightHandleColorTo_ = 0x000000;
    classlib::TColor rightHandleColorHot_ = 0xD2BDB6;
    classlib::TColor rightHandleColorHotTo_ = 0x000000;
    classlib::TColor rightHandleColorDown_ = 0x76C1FF;
    classlib::TColor rightHandleColorDownTo_ = 0x2DA0FF;
    classlib::TColor floatingWindowBorderColor_ = 0x6D6D6D;
    int floatingWindowBorderWidth_ = 2;
    TCaptionAppearance* captionAppearance_;
    int frameBevel_ = 0;
    TVistaGradientBackground* color_;
    TGradientBackground* dockColor_;
    TButtonAppearance* buttonAppearance_;
    menus::TAdvMenuStyler* internalMenuStyler_;
    menus::TCustomAdvMenuStyler* advMenuStyler_ = nullptr;
    menus::TCustomAdvMenuStyler* currentMenuStyler_;
    classlib::TColor borderColor_ = classlib::clNone;
    classlib::TColor borderColorHot_ = classlib::clNone;
    TVistaGradientBackground* colorHot_;
    classlib::TFont* captionFont_;
    TContainerAppearance* containerAppearance_;
    controls::TGlowButtonAppearance* glowButtonAppearance_;
    controls::TGlowButtonAppearance* compactGlowButtonAppearance_;
    TVistaTextBackground* pagerCaption_;
    TTabAppearance* tabAppearance_;
    TVistaPageBackground* pageAppearance_;
    TGroupAppearance* groupAppearance_;
    TQATAppearance* qatAppearance_;
    bool systemFont_ = true;
    bool showFrameBevel_ = false;
    uint8_t componentStyle_ = 0;
    bool autoThemeAdapt_ = false;
    bool qatWideArc_ = false;
};

// The ToolBarStyler property of a dock panel, toolbar or pager: the control's private styler
// (component name "InternalStyler", a sub-component the control owns and is registered with),
// the external styler it may name instead, and the one it paints with.
class TToolBarStylerLink {
public:
    // Takes `internal` (created by the control with the control as owner), names it, marks it
    // a sub-component and registers the control with it.
    TToolBarStylerLink(classlib::TControl* control, TCustomAdvToolBarStyler* internal);
    TToolBarStylerLink(const TToolBarStylerLink&) = delete;
    TToolBarStylerLink& operator=(const TToolBarStylerLink&) = delete;

    TCustomAdvToolBarStyler* Internal() const { return internal_; }
    TCustomAdvToolBarStyler* External() const { return external_; }
    TCustomAdvToolBarStyler* Current() const { return external_ ? external_ : internal_; }
    // The ToolBarStyler setter: leaves the old external styler's list (never the internal
    // one's), joins the new one and asks for its free notification; none means the internal
    // styler again. Returns whether the styler the control paints with changed.
    bool SetExternal(TCustomAdvToolBarStyler* styler);
    // For the control's Notification: true when the freed component was the external styler,
    // which is then dropped (the control paints with its internal styler again).
    bool StylerRemoved(classlib::TComponent* component, classlib::TOperation operation);

private:
    classlib::TControl* control_;
    TCustomAdvToolBarStyler* internal_;
    TCustomAdvToolBarStyler* external_ = nullptr;
};

// Draws a styler's BackGround picture over a control of `width` x `height`: bdTile from
// (origin, origin) while x < width - inset and y < height - inset, bdCenter centred, bdStretch
// into `stretch`. An empty picture draws nothing.
void DrawBackGroundPicture(classlib::TCanvas* canvas, classlib::TBitmap* picture,
                           TBackGroundDisplay display, int width, int height, int origin, int inset,
                           const RECT& stretch);

} // namespace toolbar
