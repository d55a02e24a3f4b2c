#pragma once
// The option drop-down of a toolbar and the overflow drop-down of the quick-access toolbar: a
// borderless pop-up window (TOptionSelectorWindow) that hides itself once it loses activation
// and hosts one panel, either the control selector (the controls that did not fit on the bar,
// the "Options" and "Add or Remove Buttons" entries) or the single "Customize" entry.
#include "toolbar/AdvToolBarAppearance.h"

#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/Timers.h"

#include <string>
#include <vector>

namespace menus {
class TAdvPopupMenu;
}

namespace toolbar {

class TAdvCustomToolBar;
class TAdvToolBarSeparator;
class TATBPopupWindow;
class TOptionSelectorPanel;

// What the toolbar's customizer offers: the text of its customize entry and the operation the
// entry runs. A component given as `Customizer` that does not implement it shows the entry
// without text and runs nothing.
class IToolBarCustomizer {
public:
    virtual std::string CustomizeText() const = 0;
    virtual void Customize() = 0;

protected:
    ~IToolBarCustomizer() = default;
};

// The configuration every drop-down of the family gets from its creator: parented to `parent`
// (its window a pop-up owned by the parent's top-level window), no border or border icons,
// stay-on-top, hidden, `width` x `height`, no border width.
void ConfigureDropDownForm(classlib::TCustomForm* form, classlib::TWinControl* parent, int width,
                           int height);
// The desktop's work area (SPI_GETWORKAREA).
RECT DesktopWorkArea();
// The flat look of the drop-downs' panels: `color`, a 40-band gradient to `colorTo` unless it
// is clNone, and a one-pixel border in `borderColor`.
void PaintDropDownPanel(classlib::TCanvas* canvas, int width, int height, classlib::TColor color,
                        classlib::TColor colorTo, TGradientDirection direction,
                        classlib::TColor borderColor);

class TOptionSelectorWindow : public classlib::TCustomForm {
    CLASSLIB_CLASS(TOptionSelectorWindow, classlib::TCustomForm)
    CLASSLIB_MESSAGES()
    explicit TOptionSelectorWindow(classlib::TComponent* owner);
    ~TOptionSelectorWindow() override;

    TAdvCustomToolBar* AdvToolBar() const { return advToolBar_; }
    void SetAdvToolBar(TAdvCustomToolBar* value) { advToolBar_ = value; }
    TOptionSelectorPanel* OptionsPanel() const { return optionsPanel_; }
    void SetOptionsPanel(TOptionSelectorPanel* value) { optionsPanel_ = value; }
    // While set, losing activation hides the window one timer tick later; callers clear it
    // while a secondary pop-up of theirs is open.
    bool AutoHide() const { return autoHide_; }
    void SetAutoHide(bool value) { autoHide_ = value; }
    classlib::TComponent* OwnerComponent() const { return ownerComponent_; }
    classlib::TTimer* HideTimer() const { return hideTimer_; }

    // Takes the panel's height (GetPanelHeight) and width.
    void UpdateSize();
    // The outermost window of the owner control's window.
    HWND TopLevelWindow() const;

protected:
    void CreateParams(classlib::TCreateParams& params) override;
    void DoHide() override;

private:
    void HideTimerTick(classlib::TObject*);
    void WMActivate(classlib::TMessage& m);
    void WMNCHitTest(classlib::TMessage& m);

    TAdvCustomToolBar* advToolBar_ = nullptr;
    TOptionSelectorPanel* optionsPanel_ = nullptr;
    bool autoHide_ = true;
    classlib::TComponent* ownerComponent_;
    classlib::TTimer* hideTimer_;
};

// The flat base of the option window's panels.
class TOptionSelectorPanel : public classlib::TCustomPanel {
    CLASSLIB_CLASS(TOptionSelectorPanel, classlib::TCustomPanel)
    explicit TOptionSelectorPanel(classlib::TComponent* owner);

    classlib::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(classlib::TColor value) { colorTo_ = value; }
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void SetGradientDirection(TGradientDirection value) { gradientDirection_ = value; }
    classlib::TColor WindowBorderColor() const { return windowBorderColor_; }
    void SetWindowBorderColor(classlib::TColor value) { windowBorderColor_ = value; }
    TAdvCustomToolBar* AdvToolBar() const { return advToolBar_; }
    void SetAdvToolBar(TAdvCustomToolBar* value) { advToolBar_ = value; }
    classlib::TWinControl* AdvQuickAccessToolBar() const { return quickAccessToolBar_; }
    void SetAdvQuickAccessToolBar(classlib::TWinControl* value) { quickAccessToolBar_ = value; }
    int VerticalMargin() const { return verticalMargin_; }
    int HorizontalMargin() const { return horizontalMargin_; }
    classlib::TComponent* OwnerComponent() const { return ownerComponent_; }

    // The height the window takes.
    virtual int GetPanelHeight() { return Height(); }
    // The window hid.
    virtual void PanelHidden() {}

protected:
    void Paint() override;

    classlib::TComponent* ownerComponent_;
    classlib::TColor colorTo_ = classlib::clNone;
    TGradientDirection gradientDirection_ = gdHorizontal;
    classlib::TColor windowBorderColor_ = 0x808080;
    int verticalMargin_ = 3, horizontalMargin_ = 3;
    TAdvCustomToolBar* advToolBar_ = nullptr;
    classlib::TWinControl* quickAccessToolBar_ = nullptr;
};

// The single "Customize" entry shown for the "Options" entry of a toolbar with a customizer.
class TCustomizeOption : public TOptionSelectorPanel {
    CLASSLIB_CLASS(TCustomizeOption, TOptionSelectorPanel)
    CLASSLIB_MESSAGES()
    explicit TCustomizeOption(classlib::TComponent* owner);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { caption_ = value; }
    // The customizer the entry runs (the toolbar's).
    classlib::TComponent* Customizer() const { return customizer_; }
    void SetCustomizer(classlib::TComponent* value) { customizer_ = value; }
    bool Hot() const { return hot_; }
    bool Down() const { return down_; }

    // 25 high; the caption's width + 2 x the horizontal margin + 12 wide.
    void UpdateSize();
    RECT EntryRect() const;

protected:
    void Paint() override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;

private:
    void CMMouseLeave(classlib::TMessage& m);
    bool InEntry(int x, int y) const;
    void SetFlags(bool value);

    bool hot_ = false, down_ = false;
    std::string caption_ = "Customize";
    classlib::TComponent* customizer_ = nullptr;
};

// The caption and rectangle of one entry of the control selector.
struct TSelectorItem {
    int Height = 20;
    std::string Caption;
    RECT Bounds{0, 0, 0, 0};
    int Width = 30;
    bool Hot = false, Down = false;
};

class TControlSelectorPanel : public TOptionSelectorPanel {
    CLASSLIB_CLASS(TControlSelectorPanel, TOptionSelectorPanel)
    CLASSLIB_MESSAGES()
    explicit TControlSelectorPanel(classlib::TComponent* owner);
    ~TControlSelectorPanel() override;

    // The control moves into the panel; its index in the list (-1 for none).
    int AddControl(classlib::TControl* control);
    // A copy of the separator, owned by the panel until the window hides.
    void AddSeparator(TAdvToolBarSeparator* separator);
    void ClearControls() { controls_.clear(); }
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    classlib::TControl* Controls(int index) const { return controls_.at(std::size_t(index)); }
    void PanelHidden() override;

    bool ShowAddRemove() const { return showAddRemove_; }
    void SetShowAddRemove(bool value) { showAddRemove_ = value; }
    menus::TAdvPopupMenu* OptionMenu() const { return optionMenu_; }
    void SetOptionMenu(menus::TAdvPopupMenu* value);
    classlib::TComponent* Customizer() const { return customizer_; }
    void SetCustomizer(classlib::TComponent* value) { customizer_ = value; }
    void SetAddRemoveCaption(const std::string& value);
    void SetOptionsCaption(const std::string& value);
    const TSelectorItem& AddRemoveItem() const { return addRemove_; }
    const TSelectorItem& OptionsItem() const { return options_; }

    void SetDownColor(classlib::TColor v) { downColor_ = v; }
    void SetHotColor(classlib::TColor v) { hotColor_ = v; }
    void SetDownColorTo(classlib::TColor v) { downColorTo_ = v; }
    void SetHotColorTo(classlib::TColor v) { hotColorTo_ = v; }
    void SetTextColor(classlib::TColor v) { textColor_ = v; }
    void SetHotTextColor(classlib::TColor v) { hotTextColor_ = v; }
    void SetDownTextColor(classlib::TColor v) { downTextColor_ = v; }

    bool IsEmpty() const { return controls_.empty() && !showAddRemove_ && !HasOptions(); }
    bool HasOptions() const { return optionMenu_ != nullptr || customizer_ != nullptr; }
    void Arrange();
    // The entries' width from their captions.
    void UpdateEntryWidths();

    TATBPopupWindow* AddRemoveWindow() const { return addRemoveWindow_; }
    TOptionSelectorWindow* CustomizeWindow() const { return customizeWindow_; }
    classlib::TTimer* SwitchTimer() const { return switchTimer_; }
    void ShowAddRemovePopup();
    void ShowOptions();

protected:
    void Paint() override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;

private:
    void CMMouseLeave(classlib::TMessage& m);
    void CMControlChange(classlib::TMessage& m);
    void SwitchTimerTick(classlib::TObject*);
    void AddRemoveHidden(classlib::TObject*);
    void AddRemoveDeactivated(classlib::TObject*);
    void CustomizeHidden(classlib::TObject*);
    TOptionSelectorWindow* OptionWindow() const;
    void HideCustomizeWindow();
    void PaintEntry(const TSelectorItem& item, bool addRemove);

    std::vector<classlib::TControl*> controls_;
    TSelectorItem addRemove_;
    classlib::TColor downColor_ = 0x808080, hotColor_ = 0xD2BDB6;
    int gap_ = 8;
    classlib::TColor downColorTo_ = classlib::clNone, hotColorTo_ = classlib::clNone;
    classlib::TColor hotTextColor_ = 0xFFFFFF, textColor_ = 0, downTextColor_ = 0;
    TATBPopupWindow* addRemoveWindow_ = nullptr;
    bool showAddRemove_ = true;
    TSelectorItem options_;
    menus::TAdvPopupMenu* optionMenu_ = nullptr;
    classlib::TTimer* switchTimer_;
    std::vector<TAdvToolBarSeparator*> separators_;
    bool hideGuard_ = false;
    classlib::TComponent* customizer_ = nullptr;
    TCustomizeOption* customizeOption_ = nullptr;
    TOptionSelectorWindow* customizeWindow_ = nullptr;
};

} // namespace toolbar
