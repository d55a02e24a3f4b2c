#pragma once
// The quick-access toolbar: a strip of command buttons in the caption band of a ribbon pager
// (or in a full-width strip below its pages). Its children are laid out left to right in the
// order of their Left; those that do not fit are hidden and offered by an overflow button in a
// drop-down window; when everything fits the same place shows an optional customize button.
// In the caption band the strip is painted as a pill whose left end curves around the
// application button.
#include <vector>

#include "toolbar/AdvToolBarStyler.h"
#include "toolbar/AdvVistaButton.h"
#include "toolbar/DbgList.h"
#include "windows/Controls.h"
#include "windows/Forms.h"
#include "windows/ImageLists.h"
#include "windows/Menus.h"

namespace toolbar {

class TControlSelectorPanel;

// What the quick-access toolbar needs of the ribbon pager it sits on; the pager implements it.
class IQuickAccessPager {
public:
    // The place of the quick-access toolbar in the pager's client area.
    virtual RECT QATRect() const = 0;
    // Whether the pager shows its caption band.
    virtual bool CaptionVisible() const = 0;
    // The pager's current styler (the assigned one, else its internal one).
    virtual TCustomAdvToolBarStyler* PagerStyler() const = 0;

protected:
    ~IQuickAccessPager() = default;
};

class TAdvCustomQuickAccessToolBar : public classlib::TCustomControl {
    CLASSLIB_CLASS(TAdvCustomQuickAccessToolBar, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TAdvCustomQuickAccessToolBar(classlib::TComponent* owner);
    ~TAdvCustomQuickAccessToolBar() override;

    // Only a ribbon pager or none; any other parent raises Exception "Invalid Parent".
    void SetParent(classlib::TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;

    // ---- geometry (client coordinates) ----
    RECT ContentRect() const;
    int LeftMargin() const;
    int RightMargin() const;
    RECT ArrangeRect() const;
    RECT ButtonRect() const;
    int RequiredWidth() const;
    TCustomAdvToolBarStyler* PagerStyler() const;

    // ---- layout ----
    void BuildItemList();
    void UpdateSize();
    void ArrangeItems(bool resize);
    void CheckOverflow();
    bool ShowBelow() const { return showBelow_; }
    void SetShowBelow(bool value);
    // The laid-out children in Left order and the children that did not fit.
    const std::vector<classlib::TControl*>& Items() const { return items_; }
    const std::vector<classlib::TControl*>& OverflowItems() const { return overflow_; }

    // ---- styler ----
    void StylerChanged(int changeKind);
    void ApplyStylerAppearance();

    // ---- overflow and customize buttons ----
    void ShowOverflowButton(bool show);
    bool OverflowButtonShown() const;
    void HideOverflow();
    TAdvVistaButton* OverflowButton() const { return overflowButton_; }
    TAdvVistaButton* CustomizeButton() const { return customizeButton_; }
    classlib::TCustomForm* OverflowWindow() const { return overflowWindow_; }
    // The control selector panel inside the overflow window (created with it).
    TControlSelectorPanel* OverflowPanel() const { return overflowPanel_; }

    // ---- key tips ----
    void ShowKeyTips();
    void HideKeyTips();
    // Whether `text` chose a button; `count` grows by the buttons whose tip still matches.
    bool KeyTipPressed(const std::string& text, int& count);

    // ---- published in the derived class ----
    const std::string& CustomizeHint() const { return customizeHint_; }
    void SetCustomizeHint(const std::string& value);
    classlib::TCustomImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(classlib::TCustomImageList* value);
    classlib::TCustomImageList* Images() const { return images_; }
    void SetImages(classlib::TCustomImageList* value);
    bool ShowCustomizeOption() const { return showCustomizeOption_; }
    void SetShowCustomizeOption(bool value);
    classlib::TPopupMenu* DropDownPopupMenu() const { return dropDownPopupMenu_; }
    void SetDropDownPopupMenu(classlib::TPopupMenu* value);
    classlib::TNotifyEvent OnCustomizeClick;

protected:
    void Loaded() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void AlignControls(classlib::TControl* control, RECT& rect) override;
    void Paint() override;
    // The overflow drop-down: prepares the window and shows it at (x, y), or below the
    // toolbar's right end unless `atPosition`.
    virtual void ShowOverflow();
    virtual void PopupOverflow(int x, int y, bool atPosition);
    virtual void CustomizeClick(classlib::TObject* sender);

    bool arranging_ = false;

private:
    bool IsOwnPart(const classlib::TControl* c) const;
    bool InOverflow(const classlib::TControl* c) const;
    void Relayout();
    void PaintBelow();
    void PaintCaptionBand();
    void OverflowMouseDown(classlib::TObject* sender, classlib::TMouseButton button,
                           classlib::TShiftState shift, int x, int y);
    void OverflowClick(classlib::TObject*) {}
    void OverflowWindowHidden(classlib::TObject*);
    void WMEraseBkgnd(classlib::TMessage& m);
    void CMControlChange(classlib::TMessage& m);

    bool showBelow_ = false;
    bool showCustomizeOption_ = false;
    std::vector<classlib::TControl*> items_;
    std::vector<classlib::TControl*> overflow_;
    bool sizing_ = false;
    TAdvVistaButton* customizeButton_ = nullptr;
    TAdvVistaButton* overflowButton_ = nullptr;
    classlib::TCustomForm* overflowWindow_ = nullptr;
    TControlSelectorPanel* overflowPanel_ = nullptr;
    classlib::TCustomImageList* disabledImages_ = nullptr;
    classlib::TCustomImageList* images_ = nullptr;
    int buttonWidth_ = 14;
    int buttonGap_ = 2;
    classlib::TPopupMenu* dropDownPopupMenu_ = nullptr;
    std::string customizeHint_;
};

class TAdvQuickAccessToolBar : public TAdvCustomQuickAccessToolBar {
    CLASSLIB_CLASS(TAdvQuickAccessToolBar, TAdvCustomQuickAccessToolBar)
    explicit TAdvQuickAccessToolBar(classlib::TComponent* owner)
        : TAdvCustomQuickAccessToolBar(owner)
    {
    }
    using TAdvCustomQuickAccessToolBar::PopupOverflow;
    using TAdvCustomQuickAccessToolBar::ShowOverflow;
};

} // namespace toolbar
