#include "draw/NotifierWindow.h"

#include "core/TypeInfo.h"

using namespace classlib;

namespace draw {

CLASSLIB_PUBLISH(TNotifierWindow)
{
    c.Property("OnThemeChange", &TNotifierWindow::OnThemeChange);
}

TNotifierWindow::TNotifierWindow(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 0, 0);
    SetVisible(false);
}

void TNotifierWindow::WndProc(TMessage& message)
{
    if (message.Msg == WM_THEMECHANGED && OnThemeChange)
        OnThemeChange(this);
    TWinControl::WndProc(message);
}

TWinControl* FirstWindowedOwner(TComponent* owner)
{
    for (; owner; owner = owner->Owner())
        if (auto* control = dynamic_cast<TWinControl*>(owner))
            return control;
    return nullptr;
}

} // namespace draw
