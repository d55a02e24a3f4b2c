// A control freed by its own mouse handler: the library's mouse steps must not touch it again.
// The freed control's memory is overwritten before it is released, so a step that still
// reaches it (a virtual call after the handler) fails at once instead of reading stale data.
#include "windows/Application.h"
#include "windows/Forms.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>

using namespace classlib;
using testsupport::PumpFor;

namespace {

template <class Base>
class TPoisoned : public Base {
public:
    explicit TPoisoned(TComponent* owner) : Base(owner) {}
    static void operator delete(void* p, std::size_t size)
    {
        std::memset(p, 0xDD, size);
        ::operator delete(p);
    }
};

class TFreedGraphic : public TPoisoned<TGraphicControl> {
public:
    using TPoisoned::TPoisoned;
};
class TFreedWindowed : public TPoisoned<TCustomControl> {
public:
    using TPoisoned::TPoisoned;
};

enum class FreeOn { MouseDown, RightMouseDown, DoubleClick, Click, MouseUp };

struct Case {
    const char* name;
    bool windowed;
    FreeOn when;
    UINT message; // sent last, after a left press where one is needed first
};

const Case kCases[] = {
    {"graphic, left press", false, FreeOn::MouseDown, WM_LBUTTONDOWN},
    {"graphic, right press", false, FreeOn::RightMouseDown, WM_RBUTTONDOWN},
    {"graphic, double click", false, FreeOn::DoubleClick, WM_LBUTTONDBLCLK},
    {"graphic, click on release", false, FreeOn::Click, WM_LBUTTONUP},
    {"graphic, release", false, FreeOn::MouseUp, WM_LBUTTONUP},
    {"windowed, left press", true, FreeOn::MouseDown, WM_LBUTTONDOWN},
    {"windowed, double click", true, FreeOn::DoubleClick, WM_LBUTTONDBLCLK},
    {"windowed, click on release", true, FreeOn::Click, WM_LBUTTONUP},
};

// The handler that frees the control it belongs to.
struct Freer {
    TControl* control;
    int handled = 0;
    void Notify(TObject*)
    {
        ++handled;
        control->Free();
    }
    void Mouse(TObject* sender, TMouseButton, TShiftState, int, int) { Notify(sender); }
};

TEST(FreedByHandler, MouseStepsStopAtAControlItsHandlerFreed)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(40, 40, 300, 200);
    form->Show();
    PumpFor(20);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TControl* control = c.windowed ? static_cast<TControl*>(new TFreedWindowed(form))
                                       : static_cast<TControl*>(new TFreedGraphic(form));
        control->SetControlStyle(control->ControlStyle() + TControlStyle{csDoubleClicks});
        control->SetBounds(20, 20, 80, 40);
        control->SetParent(form);
        Freer freer{control};
        switch (c.when) {
            case FreeOn::MouseDown:
            case FreeOn::RightMouseDown:
                control->OnMouseDown = TMouseEvent(&freer, &Freer::Mouse);
                break;
            case FreeOn::DoubleClick:
                control->OnDblClick = TNotifyEvent(&freer, &Freer::Notify);
                break;
            case FreeOn::Click:
                control->OnClick = TNotifyEvent(&freer, &Freer::Notify);
                break;
            case FreeOn::MouseUp:
                control->OnMouseUp = TMouseEvent(&freer, &Freer::Mouse);
                break;
        }
        // Sent to the window that receives the pointer's messages: the form for a graphic
        // control (it passes them on), the control's own window otherwise.
        const HWND target =
            c.windowed ? static_cast<TWinControl*>(control)->Handle() : form->Handle();
        const LPARAM at = c.windowed ? MAKELPARAM(10, 10) : MAKELPARAM(30, 30);
        if (c.message == WM_LBUTTONUP)
            SendMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(target, c.message, c.message == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON, at);
        EXPECT_EQ(freer.handled, 1);
        EXPECT_EQ(form->ControlCount(), 0);
        ReleaseCapture();
        PumpFor(10);
    }
    form->Free();
}

} // namespace
