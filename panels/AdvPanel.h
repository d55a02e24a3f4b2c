#pragma once
// Styled panel and its styler, and the status bar's styler: declared in the main window's form
// with their property values; no code of the application calls them.
#include "windows/ExtCtrls.h"

namespace panels {

class TAdvPanel : public classlib::TPanel {
    CLASSLIB_CLASS(TAdvPanel, classlib::TPanel)
    explicit TAdvPanel(classlib::TComponent* owner) : TPanel(owner) {}
};

// A style number 0 to 9 (see the component style interface); 8 keeps custom colours.
class TAdvPanelStyler : public classlib::TComponent {
    CLASSLIB_CLASS(TAdvPanelStyler, classlib::TComponent)
    explicit TAdvPanelStyler(classlib::TComponent* owner) : TComponent(owner) {}
    int Style() const { return style_; }
    void SetStyle(int value) { style_ = value; }

private:
    int style_ = 8;
};

// Registers every class of this folder with the class registry.
void RegisterPanelClasses();

} // namespace panels
