// Moving a windowed control to another parent keeps its window: a bar dragged from a panel
// into a floating pop-up form and on into another panel keeps its handle, its child's window,
// the mouse capture and its window timer through the whole drag.
#include "windows/Application.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/StdCtrls.h"

#include <gtest/gtest.h>

#include "GuiTest.h"

#include <vector>

using namespace classlib;
using testsupport::PumpUntil;

namespace {

// A bar that, while the left button is down, moves itself into the host whose window lies
// under the pointer, as a toolbar does when it is torn off or docked during a drag.
class TDragBar : public TCustomControl {
    CLASSLIB_CLASS(TDragBar, TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TDragBar(TComponent* owner) : TCustomControl(owner) {}

    std::vector<TWinControl*> hosts;
    int ticks = 0;

protected:
    void MouseMove(TShiftState shift, int x, int y) override
    {
        TCustomControl::MouseMove(shift, x, y);
        if (!shift.Contains(ssLeft))
            return;
        const POINT screen = ClientToScreen(POINT{x, y});
        for (TWinControl* host : hosts) {
            RECT r;
            GetWindowRect(host->Handle(), &r);
            if (host != Parent() && PtInRect(&r, screen)) {
                MoveToParent(host);
                return;
            }
        }
    }
    void WMTimer(TMessage& m)
    {
        if (m.WParam == 7)
            ++ticks;
    }
};

CLASSLIB_PUBLISH(TDragBar) {}
CLASSLIB_MESSAGE_MAP(TDragBar)
{
    m.On(WM_TIMER, &TDragBar::WMTimer);
}

// A mouse message to the window holding the capture, at a screen point.
void MouseAt(UINT msg, POINT screen)
{
    HWND capture = GetCapture();
    ASSERT_NE(capture, nullptr);
    ScreenToClient(capture, &screen);
    SendMessageA(capture, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                 MAKELPARAM(screen.x, screen.y));
}

POINT Middle(TWinControl* control)
{
    RECT r;
    GetWindowRect(control->Handle(), &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST(MoveToParentTest, DraggedBarKeepsHandleChildrenCaptureAndTimerInEveryHost)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(60, 60, 500, 300);
    auto* dock = new TPanel(form);
    dock->SetParent(form);
    dock->SetBounds(0, 0, 500, 60);
    auto* otherDock = new TPanel(form);
    otherDock->SetParent(form);
    otherDock->SetBounds(0, 200, 500, 60);
    auto* floating = new TForm(form);
    floating->SetBorderStyle(bsNone);
    floating->SetFormStyle(fsStayOnTop);
    floating->SetBounds(700, 400, 200, 80);
    auto* bar = new TDragBar(form);
    bar->SetParent(dock);
    bar->SetBounds(4, 4, 120, 30);
    auto* button = new TButton(form);
    button->SetParent(bar);
    button->SetBounds(2, 2, 40, 24);
    form->Show();
    floating->Show();
    Application->ProcessMessages();
    bar->hosts = {floating, otherDock, dock};

    const HWND barWindow = bar->Handle();
    const HWND buttonWindow = button->Handle();
    SetTimer(barWindow, 7, 10, nullptr);
    SendMessageA(barWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ASSERT_EQ(GetCapture(), barWindow);

    for (TWinControl* host : std::vector<TWinControl*>{floating, otherDock, dock}) {
        SCOPED_TRACE(host == floating ? "floating" : host == otherDock ? "other dock" : "dock");
        MouseAt(WM_MOUSEMOVE, Middle(host));
        ASSERT_EQ(bar->Parent(), host);
        EXPECT_EQ(bar->Handle(), barWindow);
        EXPECT_EQ(GetParent(barWindow), host->Handle());
        EXPECT_EQ(button->Handle(), buttonWindow);
        EXPECT_EQ(GetParent(buttonWindow), barWindow);
        EXPECT_TRUE(host->ContainsControl(button));
        EXPECT_EQ(GetCapture(), barWindow);
        EXPECT_TRUE(bar->MouseCapture());
        const int ticks = bar->ticks;
        EXPECT_TRUE(PumpUntil([&] { return bar->ticks > ticks; }, 2000))
            << "the window timer stopped";
    }
    MouseAt(WM_LBUTTONUP, Middle(dock));
    EXPECT_EQ(GetCapture(), nullptr);
    KillTimer(barWindow, 7);
    form->Free();
}

TEST(MoveToParentTest, RefusesItsOwnChildAndFallsBackToSetParentWithoutWindow)
{
    auto* form = new TForm(nullptr);
    auto* outer = new TPanel(form);
    outer->SetParent(form);
    auto* inner = new TPanel(form);
    inner->SetParent(outer);
    auto* loose = new TPanel(form);
    form->HandleNeeded();
    EXPECT_THROW(outer->MoveToParent(inner), EInvalidOperation);
    EXPECT_THROW(outer->MoveToParent(outer), EInvalidOperation);
    EXPECT_EQ(outer->Parent(), form);
    // No window yet: a plain re-parenting, which creates the window under the new parent.
    ASSERT_FALSE(loose->HandleAllocated());
    loose->MoveToParent(inner);
    EXPECT_EQ(loose->Parent(), inner);
    EXPECT_EQ(GetParent(loose->Handle()), inner->Handle());
    form->Free();
}

} // namespace
