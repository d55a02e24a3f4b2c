#pragma once
// The "Add or Remove Buttons" pop-up: a borderless window (TATBPopupWindow) with a panel that
// lists menu items in the look of an office menu (check column, image column, caption,
// sub-menu arrow, highlighted item). Hovering an item with children opens a nested pop-up
// beside it; clicking a checkable item shows or hides its control. A click elsewhere closes
// the whole chain of pop-ups.
#include "toolbar/OptionSelectorWindow.h"

#include <memory>

namespace menus {
class TCustomAdvMenuStyler;
}

namespace toolbar {

class TATBPopupWindow;

class TATBMenuItem {
public:
    TATBMenuItem() = default;
    TATBMenuItem(const TATBMenuItem&) = delete;
    TATBMenuItem& operator=(const TATBMenuItem&) = delete;

    TATBMenuItem* AddChild();
    void ClearChildren() { children_.clear(); }
    int ChildCount() const { return static_cast<int>(children_.size()); }
    TATBMenuItem* Child(int index) const { return children_.at(std::size_t(index)).get(); }
    bool HasChildren() const { return !children_.empty(); }

    bool Enabled = true, Visible = true;
    RECT Bounds{0, 0, 0, 0};
    TATBMenuItem* ParentItem = nullptr;
    std::string Caption;
    bool Checked = false;
    bool Checkable = false;
    classlib::TControl* Control = nullptr;

private:
    std::vector<std::unique_ptr<TATBMenuItem>> children_;
};

// The flat base of the pop-up's panel (margins 2 and 2).
class TATBCustomPopupPanel : public classlib::TCustomPanel {
    CLASSLIB_CLASS(TATBCustomPopupPanel, classlib::TCustomPanel)
    explicit TATBCustomPopupPanel(classlib::TComponent* owner);

    classlib::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(classlib::TColor value) { colorTo_ = value; }
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void SetGradientDirection(TGradientDirection value) { gradientDirection_ = value; }
    classlib::TColor WindowBorderColor() const { return windowBorderColor_; }
    void SetWindowBorderColor(classlib::TColor value) { windowBorderColor_ = value; }
    virtual int GetPanelHeight() { return Height(); }

protected:
    void Paint() override;

    classlib::TComponent* ownerComponent_;
    classlib::TColor colorTo_ = classlib::clNone;
    TGradientDirection gradientDirection_ = gdHorizontal;
    classlib::TColor windowBorderColor_ = 0x808080;
    int verticalMargin_ = 2, horizontalMargin_ = 2;
};

class TATBPopupPanel : public TATBCustomPopupPanel {
    CLASSLIB_CLASS(TATBPopupPanel, TATBCustomPopupPanel)
    CLASSLIB_MESSAGES()
    explicit TATBPopupPanel(classlib::TComponent* owner);

    TATBMenuItem* RootItem() const { return rootItem_; }
    void SetRootItem(TATBMenuItem* item);
    menus::TCustomAdvMenuStyler* MenuStyler() const { return menuStyler_; }
    void SetMenuStyler(menus::TCustomAdvMenuStyler* value) { menuStyler_ = value; }
    bool CheckColumn() const { return checkColumn_; }
    void SetCheckColumn(bool value) { checkColumn_ = value; }
    bool ImageColumn() const { return imageColumn_; }
    void SetImageColumn(bool value) { imageColumn_ = value; }
    void SetImageColumnWidth(int value) { imageColumnWidth_ = value; }
    int HotIndex() const { return hotIndex_; }
    int OpenChildIndex() const { return openChildIndex_; }
    TATBPopupWindow* ChildWindow() const { return childWindow_; }

    void Arrange();
    // Closes the nested pop-up; no hot or open item.
    void Reset();

protected:
    void Paint() override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;

private:
    void CMMouseLeave(classlib::TMessage& m);
    int ItemAt(int x, int y) const;
    void SetHot(int index);
    void OpenChildPopup();
    void CloseChildPopup();
    void ChildHidden(classlib::TObject*);
    void ChildDeactivated(classlib::TObject*);
    TATBPopupWindow* OwnWindow() const;
    void PaintColumnBar(const RECT& r);
    void PaintItem(const TATBMenuItem& item, bool hot);
    void PaintCheck(const RECT& r, bool hot);
    void PaintControlImage(classlib::TControl* control, const RECT& r);
    void InvalidateItem(int index);

    TATBMenuItem* rootItem_ = nullptr;
    menus::TCustomAdvMenuStyler* menuStyler_ = nullptr;
    int itemHeight_ = 24;
    int hotIndex_ = -1, openChildIndex_ = -1;
    bool imageColumn_ = false, checkColumn_ = false;
    int imageColumnWidth_ = 20;
    TATBPopupWindow* childWindow_ = nullptr;
};

class TATBPopupWindow : public classlib::TCustomForm {
    CLASSLIB_CLASS(TATBPopupWindow, classlib::TCustomForm)
    CLASSLIB_MESSAGES()
    explicit TATBPopupWindow(classlib::TComponent* owner);
    ~TATBPopupWindow() override;

    TAdvCustomToolBar* AdvToolBar() const { return advToolBar_; }
    void SetAdvToolBar(TAdvCustomToolBar* value) { advToolBar_ = value; }
    TATBPopupPanel* PopupPanel() const { return popupPanel_; }
    bool AutoHide() const { return autoHide_; }
    void SetAutoHide(bool value) { autoHide_ = value; }
    classlib::TTimer* HideTimer() const { return hideTimer_; }
    TATBMenuItem* RootItem() const { return rootItem_.get(); }
    // A new root item, handed to the panel.
    TATBMenuItem* CreateRootItem();
    void UpdateSize();
    // The panel's Reset, then the window hides.
    void HidePopupWindow();

    // Fired after the window hid itself on deactivation.
    classlib::TNotifyEvent OnDeActivateHide;

protected:
    void CreateParams(classlib::TCreateParams& params) override;

private:
    void HideTimerTick(classlib::TObject*);
    void WMActivate(classlib::TMessage& m);
    void WMNCHitTest(classlib::TMessage& m);

    TAdvCustomToolBar* advToolBar_ = nullptr;
    TATBPopupPanel* popupPanel_;
    bool autoHide_ = true;
    classlib::TComponent* ownerComponent_;
    classlib::TTimer* hideTimer_;
    std::unique_ptr<TATBMenuItem> rootItem_;
};

} // namespace toolbar
