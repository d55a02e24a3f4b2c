#pragma once
// A panel that arranges the panels placed on it: stacked in columns from top to bottom, or
// side by side from left to right, with paddings, and scrolled by a built-in scroll bar when
// they do not fit. Its panels ask it to re-arrange when they collapse, expand, close, size
// themselves or finish a user move or size.
#include "panels/AdvPanel.h"
#include "panels/AdvPanelStyler.h"

namespace panels {

enum TGroupStyle { gsVertical, gsHorizontal };
CLASSLIB_ENUM(TGroupStyle);

// The group's scroll bar: the system scroll bar control with its range, page and steps.
class TGroupScrollBar : public classlib::TWinControl {
    CLASSLIB_CLASS(TGroupScrollBar, classlib::TWinControl)
    explicit TGroupScrollBar(classlib::TComponent* owner);
    bool Vertical() const { return vertical_; }
    void SetVertical(bool value);
    int Position() const { return position_; }
    // Limited to 0 .. Max; a change raises OnChange.
    void SetPosition(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value);
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int value) { largeChange_ = value; }
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int value) { smallChange_ = value; }
    // A WM_VSCROLL or WM_HSCROLL request code from the control.
    void Scroll(int code, int trackPosition);

    classlib::TNotifyEvent OnChange;

protected:
    void CreateParams(classlib::TCreateParams& params) override;
    void CreateWnd() override;

private:
    void UpdateInfo();
    bool vertical_ = true;
    int position_ = 0;
    int max_ = 100;
    int pageSize_ = 0;
    int largeChange_ = 1;
    int smallChange_ = 1;
};

class TAdvPanelGroup : public TAdvPanel {
    CLASSLIB_CLASS(TAdvPanelGroup, TAdvPanel)
    CLASSLIB_MESSAGES()
    explicit TAdvPanelGroup(classlib::TComponent* owner);
    ~TAdvPanelGroup() override;

    int Columns() const { return columns_; }
    // Values of 0 or less are ignored.
    void SetColumns(int value);
    TAdvPanelSettings* DefaultPanel() const { return defaultPanel_; }
    void SetDefaultPanel(TAdvPanelSettings* value) { defaultPanel_->Assign(value); }
    TGroupStyle GroupStyle() const { return groupStyle_; }
    void SetGroupStyle(TGroupStyle value);
    bool ScrollSmooth() const { return scrollSmooth_; }
    void SetScrollSmooth(bool value) { scrollSmooth_ = value; }
    int HorzPadding() const { return horzPadding_; }
    void SetHorzPadding(int value);
    int VertPadding() const { return vertPadding_; }
    void SetVertPadding(int value);
    TGroupScrollBar* ScrollBar() const { return scrollBar_; }
    // The group's panels as found after loading.
    const std::vector<TCustomAdvPanel*>& Panels() const { return panels_; }

    void Arrange();
    void UpdateScrollBar();
    // A child panel's geometry changed (collapse, expand, close, auto size, end of a move or size).
    void ChildPanelChanged();
    void ArrangeGroup() override;
    void SetBounds(int left, int top, int width, int height) override;

protected:
    void Loaded() override;
    void AlignControls(classlib::TControl* control, RECT& rect) override;
    bool DoMouseWheelDown(classlib::TShiftState shift, POINT mousePos) override;
    bool DoMouseWheelUp(classlib::TShiftState shift, POINT mousePos) override;
    void WMSize(classlib::TMessage& m);
    void WMScroll(classlib::TMessage& m);

private:
    std::vector<TCustomAdvPanel*> ChildPanels() const;
    void ArrangeVertically();
    void ArrangeHorizontally();
    void ScrollChanged(classlib::TObject*);
    int ScrollBarExtent() const;

    int columns_ = 1;
    TAdvPanelSettings* defaultPanel_;
    TGroupStyle groupStyle_ = gsVertical;
    bool scrollSmooth_ = false;
    int horzPadding_ = 8;
    int vertPadding_ = 8;
    TGroupScrollBar* scrollBar_;
    std::vector<TCustomAdvPanel*> panels_;
    int nesting_ = 0;
    bool arranging_ = false;
    int lastWidth_ = -1;
    int lastHeight_ = -1;
};

} // namespace panels
