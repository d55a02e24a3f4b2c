#pragma once
// The pop-up that shows the active page while the ribbon pager is collapsed to its tabs: it
// holds the page copy, gives its first toolbar the focus, and hides itself shortly after it
// loses activation, when the pager releases the page copy and frees it.
#include "windows/Forms.h"
#include "windows/Timers.h"

namespace toolbar {

// What the window needs of the pager that created it; the pager implements it.
class IMinimizedRibbonPager {
public:
    // Gives the page copy's toolbars back to the active page and frees the window.
    virtual void FreeMinimizedPage() = 0;

protected:
    ~IMinimizedRibbonPager() = default;
};

// What the window needs of the page copy it shows; the page implements it.
class IMinimizedRibbonPage {
public:
    // The first listed toolbar (the first visible one with `visibleOnly`), nullptr when none.
    virtual classlib::TWinControl* FirstToolBar(bool visibleOnly) const = 0;

protected:
    ~IMinimizedRibbonPage() = default;
};

class TMinimizedRibbonWindow : public classlib::TCustomForm {
    CLASSLIB_CLASS(TMinimizedRibbonWindow, classlib::TCustomForm)
    CLASSLIB_MESSAGES()
    explicit TMinimizedRibbonWindow(classlib::TComponent* owner);
    ~TMinimizedRibbonWindow() override;

    // While set, losing activation hides the window (by its own timer, not by the form's
    // HideOnDeactivate); toolbars clear it while a pop-up of their own is open from inside
    // the window.
    bool AutoHide() const { return autoHide_; }
    void SetAutoHide(bool value) { autoHide_ = value; }
    classlib::TComponent* OwnerComponent() const { return ownerComponent_; }
    // The pager (a control implementing IMinimizedRibbonPager) and the page copy shown.
    classlib::TWinControl* Pager() const { return pager_; }
    void SetPager(classlib::TWinControl* value) { pager_ = value; }
    classlib::TWinControl* Page() const { return page_; }
    void SetPage(classlib::TWinControl* value) { page_ = value; }
    classlib::TTimer* HideTimer() const { return hideTimer_; }

    // The form agrees to close and hide-on-deactivate is set.
    bool CanAutoHide();
    // Fits the window around the page copy: 3 pixels larger, the page at (2, 0).
    void FitToPage();

protected:
    void CreateParams(classlib::TCreateParams& params) override;
    void Paint() override;

private:
    void HideTimerTick(classlib::TObject*);
    void WMActivate(classlib::TMessage& m);
    void CMFreePage(classlib::TMessage& m);

    bool autoHide_ = true;
    classlib::TComponent* ownerComponent_;
    classlib::TTimer* hideTimer_;
    classlib::TWinControl* pager_ = nullptr;
    classlib::TWinControl* page_ = nullptr;
};

} // namespace toolbar
