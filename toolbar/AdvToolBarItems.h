#pragma once
// The items a toolbar arranges: the item base (a graphic control that knows its toolbar and
// orientation), the button with glyphs by state, caption, drop-down part, group and hover
// behaviour and automatic sizing, its published menu-button form, and the separator.
// A button's painting is AdvToolBarButtonPaint.cpp; its numbers are ToolBarButtonLayout's.
#include "toolbar/AdvToolBarAppearance.h"
#include "toolbar/DockAlign.h"
#include "toolbar/ToolBarButtonLayout.h"

#include "draw/AdvHintInfo.h"
#include "windows/ActnList.h"
#include "windows/Controls.h"
#include "windows/ExtCtrls.h"
#include "windows/ImageLists.h"
#include "windows/Images.h"
#include "windows/Menus.h"
#include "windows/Timers.h"

namespace menus {
class TAdvPopupMenu;
class TCustomAdvMenuStyler;
} // namespace menus

namespace toolbar {

class TAdvCustomToolBar;
class TCustomAdvToolBarStyler;

enum TToolButtonDrawState : uint8_t {
    tbsUp = 0,
    tbsDisabled = 1,
    tbsDown = 2,
    tbsMenuOpen = 3,
    tbsLatched = 4
};
enum TAdvSeparatorStyle { ssOffice2003, ssBlank };

class TAdvCustomToolBarControl : public classlib::TGraphicControl {
    CLASSLIB_CLASS(TAdvCustomToolBarControl, classlib::TGraphicControl)
    explicit TAdvCustomToolBarControl(classlib::TComponent* owner);

    TAdvCustomToolBar* AdvToolBar() const { return advToolBar_; }
    TDockAlign Position() const { return position_; }
    virtual void SetPosition(TDockAlign value) { position_ = value; }
    bool Horizontal() const { return IsHorizontal(position_); }
    // The quick-access toolbar that owns the item when it is not on a toolbar.
    classlib::TWinControl* QuickAccessToolBar() const { return quickAccessToolBar_; }
    void SetQuickAccessToolBar(classlib::TWinControl* value) { quickAccessToolBar_ = value; }
    // Moves the item onto `toolBar` (parenting it there); raises when it did not take it.
    virtual void CheckToolBar(TAdvCustomToolBar* toolBar);

    // The toolbar's side of insertion and removal.
    virtual void JoinToolBar(TAdvCustomToolBar* toolBar);
    virtual void LeaveToolBar(TAdvCustomToolBar* toolBar);

protected:
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;

    TAdvCustomToolBar* advToolBar_ = nullptr;
    TDockAlign position_ = daTop;
    classlib::TWinControl* quickAccessToolBar_ = nullptr;
};

class TAdvCustomToolBarButton : public TAdvCustomToolBarControl {
    CLASSLIB_CLASS(TAdvCustomToolBarButton, TAdvCustomToolBarControl)
    CLASSLIB_MESSAGES()
    static constexpr int kDropDownZone = 13;

    explicit TAdvCustomToolBarButton(classlib::TComponent* owner);
    ~TAdvCustomToolBarButton() override;

    // ---- properties ----
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    bool Down() const { return down_; }
    void SetDown(bool value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value) { spacing_ = value; }
    int Margin() const { return margin_; }
    void SetMargin(int value) { margin_ = value; }
    classlib::TBitmap* Glyph() const { return glyph_; }
    // Copies the bitmap; an empty GlyphDisabled receives a grey copy of it.
    void SetGlyph(classlib::TBitmap* value);
    classlib::TBitmap* GlyphHot() const { return glyphHot_; }
    void SetGlyphHot(classlib::TBitmap* value) { glyphHot_->Assign(value); }
    classlib::TBitmap* GlyphDown() const { return glyphDown_; }
    void SetGlyphDown(classlib::TBitmap* value) { glyphDown_->Assign(value); }
    classlib::TBitmap* GlyphDisabled() const { return glyphDisabled_; }
    void SetGlyphDisabled(classlib::TBitmap* value) { glyphDisabled_->Assign(value); }
    classlib::TBitmap* GlyphChecked() const { return glyphChecked_; }
    void SetGlyphChecked(classlib::TBitmap* value) { glyphChecked_->Assign(value); }
    classlib::TPicture* Picture() const { return picture_; }
    void SetPicture(classlib::TPicture* value) { picture_->Assign(value); }
    // The grey silhouette drawn under a hot glyph (MakeShade).
    classlib::TBitmap* Shade() const { return shade_; }
    bool Shaded() const { return shaded_; }
    void SetShaded(bool value);
    bool DropDownButton() const { return dropDownButton_; }
    void SetDropDownButton(bool value);
    bool DropDownSplit() const { return dropDownSplit_; }
    void SetDropDownSplit(bool value) { dropDownSplit_ = value; }
    int DropDownWidth() const { return dropDownWidth_; }
    void SetDropDownWidth(int value) { dropDownWidth_ = value; }
    menus::TAdvPopupMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(menus::TAdvPopupMenu* value);
    bool ParentStyler() const { return parentStyler_; }
    void SetParentStyler(bool value);
    TToolButtonDrawState State() const { return state_; }
    TGlyphPosition GlyphPosition() const { return glyphPosition_; }
    void SetGlyphPosition(TGlyphPosition value);
    classlib::TMenuItem* MenuItem() const { return menuItem_; }
    void SetMenuItem(classlib::TMenuItem* item);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    TButtonAppearance* Appearance() const { return appearance_; }
    void SetAppearance(TButtonAppearance* value) { appearance_->Assign(value); }
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool value);
    bool HotTracked() const { return hotTracked_; }
    void SetHotTracked(bool value);
    TAdvToolBarButtonDrawPosition* DrawPosition() const { return drawPosition_; }
    void SetDrawPosition(TAdvToolBarButtonDrawPosition* value) { drawPosition_->Assign(value); }
    draw::TAdvHintInfo* OfficeHint() const { return officeHint_; }
    void SetOfficeHint(draw::TAdvHintInfo* value) { officeHint_->Assign(value); }
    void SetPosition(TDockAlign value) override;
    std::string Version() const;
    // Version is published read-only: a value read from a stream is ignored.
    void SetVersion(const std::string&) {}
    virtual int GetVersionNumber() const { return 0x03010400; }
    virtual bool IsMenuButton() const { return false; }

    classlib::TNotifyEvent OnDropDown;

    // ---- operations ----
    void ResetState();
    bool OpenRootMenu();
    // The item's index in its toolbar's control order; -1 without a toolbar.
    int ButtonIndex() const;
    void MakeShade();
    // Whether the pointer is over the button (mouse enter and leave keep it).
    bool MouseInside() const { return mouseInside_; }
    // Whether the drop-down menu is showing (its look is on).
    bool MenuDropped() const { return menuDroppedLook_; }
    // Menu-bar flags: a switch to this button is pending; the click that closed this button's
    // menu is under way; its menu is dropped; made from the toolbar's menu; made or re-bound
    // by a merge (1).
    bool SwitchPending() const { return switchPending_; }
    void SetSwitchPending(bool value) { switchPending_ = value; }
    void SetClosingClick(bool value) { closingClick_ = value; }
    bool MenuIsDropped() const { return menuIsDropped_; }
    void SetMenuIsDropped(bool value) { menuIsDropped_ = value; }
    bool MadeFromMenu() const { return madeFromMenu_; }
    void SetMadeFromMenu(bool value) { madeFromMenu_ = value; }
    int MergeMark() const { return mergeMark_; }
    void SetMergeMark(int value) { mergeMark_ = value; }

    // ---- owner services ----
    TCustomAdvToolBarStyler* OwnerStyler() const;
    // The image list and index the glyph comes from (the owner's, or an action's list); the
    // list is nullptr when there is none or the index is negative.
    classlib::TCustomImageList* GlyphImages(int& index) const;
    classlib::TCustomImageList* OwnerDisabledImages() const;
    // The font captions are measured and drawn with.
    classlib::TFont* CaptionFont() const;
    // The appearance in force: the styler's with ParentStyler, else the own one.
    TButtonAppearance* AppearanceInForce() const;

    void AdjustSize();
    void JoinToolBar(TAdvCustomToolBar* toolBar) override;
    void LeaveToolBar(TAdvCustomToolBar* toolBar) override;

protected:
    void Loaded() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void Paint() override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;
    // Takes the action's state; the first call after an action is assigned puts the
    // button's own action link (TAdvToolBarButtonActionLink) in place of the plain one.
    void ActionChange(classlib::TBasicAction* sender, bool checkDefaults) override;
    virtual bool CheckMenuDropdown();
    // The background, face, border, drop-down part and arrow by state, then DrawButton.
    virtual void DrawDropDown(classlib::TCanvas* canvas);
    virtual void DrawButton(classlib::TCanvas* canvas, const RECT& face, classlib::TBitmap* glyph,
                            classlib::TColor captionColor);

    // Colours of one paint pass.
    struct PaintColours {
        classlib::TColor face = classlib::clNone, faceTo = classlib::clNone;
        classlib::TColor border = classlib::clNone, caption = classlib::clNone;
        classlib::TColor drop = classlib::clNone, dropTo = classlib::clNone;
        bool horizontalGradient = true;
        classlib::TBitmap* glyph = nullptr;
    };
    // The colours by state of this class (the menu button has its own).
    virtual PaintColours ColoursByState();
    void PaintWithColours(classlib::TCanvas* canvas, PaintColours colours);
    bool PressedLook() const;

    void CMMouseEnter(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);
    void CMTextChanged(classlib::TMessage& m);
    void CMButtonPressed(classlib::TMessage& m);

    bool pressed_ = false;

private:
    void GlyphChanged(classlib::TObject* sender);
    void PictureChanged(classlib::TObject* sender);
    void AppearanceChanged(classlib::TObject* sender);
    void LeaveTimerTick(classlib::TObject* sender);
    void PressGroup();
    bool PointInside(int x, int y) const;
    void SyncHover();
    void LeaveHover();
    bool KeepsHotInMenuLoop() const;

    int groupIndex_ = 0;
    classlib::TBitmap* glyph_;
    classlib::TBitmap* glyphHot_;
    classlib::TBitmap* glyphDown_;
    classlib::TBitmap* glyphDisabled_;
    classlib::TBitmap* glyphChecked_;
    classlib::TBitmap* shade_;
    classlib::TPicture* picture_;
    TButtonAppearance* appearance_;
    TAdvToolBarButtonDrawPosition* drawPosition_;
    draw::TAdvHintInfo* officeHint_;
    classlib::TTimer* leaveTimer_;
    bool down_ = false;
    int spacing_ = 4;
    int margin_ = 4;
    bool mouseInside_ = false;
    bool shaded_ = true;
    bool dropDownButton_ = false;
    menus::TAdvPopupMenu* dropDownMenu_ = nullptr;
    bool parentStyler_ = true;
    TToolButtonDrawState state_ = tbsUp;
    TGlyphPosition glyphPosition_ = gpLeft;
    int dropDownWidth_ = 12;
    classlib::TMenuItem* menuItem_ = nullptr;
    int imageIndex_ = -1;
    bool shadeFromImages_ = false;
    bool tracking_ = false;
    bool showCaption_ = false;
    bool hotTracked_ = false;
    bool loadedDown_ = false;
    bool dropDownSplit_ = true;
    bool menuDroppedLook_ = false;
    bool closingClick_ = false;
    bool switchPending_ = false;
    bool menuIsDropped_ = false;
    bool madeFromMenu_ = false;
    int mergeMark_ = 0;
};

// The link between an action and a toolbar button: besides what the control link copies
// (caption, enabled, visible, hint, OnExecute as OnClick, image index) it carries the action's
// Checked to the button's Down and its GroupIndex to the button's, each only while the button
// still shows the value the action had before the change (the button was not changed apart
// from its action, e.g. pressed down by the user).
class TAdvToolBarButtonActionLink : public classlib::TControlActionLink {
public:
    explicit TAdvToolBarButtonActionLink(TAdvCustomToolBarButton* client);
    void AssignClient(TAdvCustomToolBarButton* client) { client_ = client; }
    TAdvCustomToolBarButton* Client() const { return client_; }
    bool IsCheckedLinked() const;
    bool IsGroupIndexLinked() const;
    void SetChecked(bool value);
    void SetGroupIndex(int value);
    // Carries the action's group index, then its checked state, to the client by the rules
    // above and remembers both as the values the client follows.
    void SyncClient();

private:
    classlib::TCustomAction* CustomAction() const;

    TAdvCustomToolBarButton* client_ = nullptr;
    // The action's values when they were last carried over; none yet right after assignment.
    bool known_ = false;
    bool checked_ = false;
    int groupIndex_ = 0;
};

// The published button; on a menu bar it paints with the menu styler's root-item colours.
class TAdvToolBarMenuButton : public TAdvCustomToolBarButton {
    CLASSLIB_CLASS(TAdvToolBarMenuButton, TAdvCustomToolBarButton)
    explicit TAdvToolBarMenuButton(classlib::TComponent* owner);
    bool IsMenuButton() const override { return true; }

protected:
    PaintColours ColoursByState() override;
};

class TAdvToolBarSeparator : public TAdvCustomToolBarControl {
    CLASSLIB_CLASS(TAdvToolBarSeparator, TAdvCustomToolBarControl)
    explicit TAdvToolBarSeparator(classlib::TComponent* owner);
    void Assign(classlib::TPersistent* source) override;

    TAdvSeparatorStyle SeparatorStyle() const { return separatorStyle_; }
    void SetSeparatorStyle(TAdvSeparatorStyle value);
    classlib::TColor LineColor() const { return lineColor_; }
    void SetLineColor(classlib::TColor value);
    void AdjustSize();
    void SetPosition(TDockAlign value) override;
    void JoinToolBar(TAdvCustomToolBar* toolBar) override;

protected:
    void Paint() override;

private:
    TAdvSeparatorStyle separatorStyle_ = ssOffice2003;
    classlib::TColor lineColor_ = classlib::clBtnShadow;
};

// Registers the published items (menu button, separator) for form streams.
void RegisterToolBarItemClasses();

} // namespace toolbar
