#pragma once
// The keyboard side of a toolbar on a ribbon page: the key tips of its glow buttons (shown,
// hidden, matched against the typed text), and moving the focus among its buttons and on to
// the page's other toolbars with the arrow keys. The toolbar's buttons get the key handler and
// the tip placement when the page's keyboard handling comes up (InstallToolBarKeyHandlers).
#include <string>
#include <vector>

#include "controls/AdvGlowButton.h"
#include "toolbar/KeyTipRules.h"
#include "windows/Controls.h"

namespace toolbar {

// What the keyboard handling of a toolbar needs of the ribbon page it sits on (and, through
// it, of the pager); the page implements it.
class IKeyTipPage {
public:
    virtual bool ToolBarKeyTipsShown() const = 0;
    virtual void ShowToolBarKeyTips() = 0;
    virtual void HideToolBarKeyTips() = 0;
    // Appends a typed character and hands the text to the toolbars; true when one acted.
    virtual bool TypeToolBarKey(char c) = 0;
    // The page's visible toolbars in ascending Left.
    virtual std::vector<classlib::TControl*> CollectToolBars() const = 0;
    // The pager: its key tips again, the focus, its minimized ribbon's pop-up.
    virtual void ShowPagerKeyTips() = 0;
    virtual bool FocusPager() = 0;
    virtual bool MinimizedPopupVisible() const = 0;
    virtual void HideMinimizedPopup() = 0;

protected:
    ~IKeyTipPage() = default;
};

// Removes hint windows, toolbar containers and window controls that cannot take the focus.
void FilterKeyboardControls(std::vector<classlib::TControl*>* list);
// The first (last) window control of the toolbar's tab order that is not a hint window or a
// toolbar (and, with focusableOnly, can take the focus); nullptr when none.
classlib::TWinControl* FirstFocusControl(classlib::TWinControl* toolBar, bool focusableOnly);
classlib::TWinControl* LastFocusControl(classlib::TWinControl* toolBar, bool focusableOnly);

// The tips of the toolbar's enabled, visible glow buttons (also inside containers).
void ShowToolBarKeyTips(classlib::TWinControl* toolBar);
void HideToolBarKeyTips(classlib::TWinControl* toolBar);
// Compares the typed text with the tips: tips that no longer begin with it are hidden, those
// that still do are counted in `count`; an exact match focuses and clicks its button (the
// minimized ribbon's window is hidden first, when it shows the page). True on a match.
bool MatchToolBarKeyTip(classlib::TWinControl* toolBar, const std::string& text, int& count);

// The toolbar's handlers that its glow buttons call: owned by the toolbar (found again by
// ToolBarKeyHandler), so they go with it.
class TToolBarKeyHandler : public classlib::TComponent {
    CLASSLIB_CLASS(TToolBarKeyHandler, classlib::TComponent)
    explicit TToolBarKeyHandler(classlib::TWinControl* toolBar)
        : TComponent(toolBar), toolBar_(toolBar)
    {
    }
    void KeyDown(classlib::TObject* sender, WORD& key, classlib::TShiftState shift);
    // The automatic key-tip placement of a toolbar on a page, by the rows of its buttons.
    void HintPos(classlib::TObject* sender, controls::TButtonSizeState state,
                 controls::TShortCutHintPos& pos);

private:
    classlib::TWinControl* toolBar_;
};
// The toolbar's handler, made on first need.
TToolBarKeyHandler* ToolBarKeyHandler(classlib::TWinControl* toolBar);

// Points the glow buttons of the toolbar (also inside containers) at the toolbar's key handler
// and, on a page, at its automatic tip placement.
void InstallToolBarKeyHandlers(classlib::TWinControl* toolBar);
// The key handler of a glow button on a toolbar: key tips on the page, Esc or Up back to the
// pager, Left and Right across the buttons and on to the page's other toolbars (wrapping).
void GlowButtonKeyDown(classlib::TWinControl* toolBar, classlib::TObject* sender, WORD& key,
                       classlib::TShiftState shift);

} // namespace toolbar
