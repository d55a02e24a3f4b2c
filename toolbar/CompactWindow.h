#pragma once
// The pop-up of a compacted toolbar on a ribbon page: a borderless stay-on-top window with
// rounded corners and a drop shadow that holds a clone of the toolbar with all its controls. It
// opens below the toolbar's compact button and hides shortly after it loses activation, unless a
// drop-down menu of one of its glow buttons is open.
#include "windows/Forms.h"
#include "windows/Timers.h"

namespace controls {
class TAdvGlowButton;
}

namespace toolbar {

class TAdvCustomToolBar;

// The registered message "TBCompactWinHide", posted to the clone when its window hides.
UINT CompactWinHideMessage();

class TCompactWindow : public classlib::TCustomForm {
    CLASSLIB_CLASS(TCompactWindow, classlib::TCustomForm)
    CLASSLIB_MESSAGES()
    // `owner` is the toolbar that compacted.
    explicit TCompactWindow(classlib::TComponent* owner);
    ~TCompactWindow() override;

    // The clone shown.
    TAdvCustomToolBar* AdvToolBar() const { return toolBar_; }
    void SetAdvToolBar(TAdvCustomToolBar* value) { toolBar_ = value; }
    // The compact button that opened the window.
    controls::TAdvGlowButton* DropDownButton() const { return dropDownButton_; }
    void SetDropDownButton(controls::TAdvGlowButton* value) { dropDownButton_ = value; }
    TAdvCustomToolBar* CreatingToolBar() const { return creator_; }
    bool MayHide() const { return mayHide_; }
    void SetMayHide(bool value) { mayHide_ = value; }
    classlib::TTimer* HideTimer() const { return hideTimer_; }

    // 2 px larger than the clone, the clone at (1, 1), in the clone's styler colour.
    void FitToToolBar();
    // The rounded region of the client size; the window owns it.
    void SetRoundedRegion();

protected:
    void CreateParams(classlib::TCreateParams& params) override;
    void Paint() override;
    void DoHide() override;

private:
    void HideTimerTick(classlib::TObject*);
    void WMActivate(classlib::TMessage& m);
    void WMNCHitTest(classlib::TMessage& m);

    TAdvCustomToolBar* creator_;
    bool mayHide_ = true;
    classlib::TTimer* hideTimer_;
    TAdvCustomToolBar* toolBar_ = nullptr;
    controls::TAdvGlowButton* dropDownButton_ = nullptr;
};

} // namespace toolbar
