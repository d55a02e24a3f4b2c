// The hidden window of the stylers that follow the desktop theme: a windowed control without
// size or caption that exists only to receive WM_THEMECHANGED and report it.
#pragma once

#include "windows/Controls.h"

namespace draw {

class TNotifierWindow : public classlib::TWinControl {
    CLASSLIB_CLASS(TNotifierWindow, classlib::TWinControl)
    explicit TNotifierWindow(classlib::TComponent* owner);
    // Calls OnThemeChange on WM_THEMECHANGED, then handles every message as a windowed control.
    void WndProc(classlib::TMessage& message) override;

    classlib::TNotifyEvent OnThemeChange;
};

// The first windowed control on the owner chain from `owner` up (`owner` itself included):
// the parent a styler gives its notifier window; nullptr when there is none.
classlib::TWinControl* FirstWindowedOwner(classlib::TComponent* owner);

} // namespace draw
