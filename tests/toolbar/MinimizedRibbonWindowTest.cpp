// The minimized-ribbon window on a stand-in pager: fitting around the page copy, focus for the
// page's first toolbar, staying open while the pager has the focus, and hiding and being freed
// by the pager after the hide timer's tick, outside the tick.
#include "toolbar/MinimizedRibbonWindow.h"

#include "GuiTest.h"

#include "windows/ExtCtrls.h"
#include "windows/StdCtrls.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace classlib;
using namespace toolbar;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

class FakePager : public TCustomControl, public IMinimizedRibbonPager {
public:
    explicit FakePager(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }
    TMinimizedRibbonWindow* window = nullptr;
    int frees = 0;
    void FreeMinimizedPage() override
    {
        ++frees;
        if (window) {
            TMinimizedRibbonWindow* w = window;
            window = nullptr;
            w->SetPage(nullptr);
            delete w;
        }
    }
};

class FakePage : public TPanel, public IMinimizedRibbonPage {
public:
    explicit FakePage(TComponent* owner) : TPanel(owner) {}
    TWinControl* toolBar = nullptr;
    TWinControl* FirstToolBar(bool visibleOnly) const override
    {
        return visibleOnly ? toolBar : nullptr;
    }
};

class MinimizedRibbonWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 400, 300);
        pager = new FakePager(form);
        pager->SetParent(form);
        pager->SetBounds(0, 0, 380, 60);
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) != 0; }));
        window = new TMinimizedRibbonWindow(pager);
        window->SetParent(pager);
        window->SetPager(pager);
        pager->window = window;
        page = new FakePage(window);
        page->SetParent(window);
        page->SetBounds(0, 0, 300, 90);
        edit = new TEdit(page);
        edit->SetParent(page);
        page->toolBar = edit;
        window->SetPage(page);
        window->FitToPage();
        const POINT at = pager->ClientToScreen(POINT{0, 60});
        window->SetBounds(at.x, at.y, window->Width(), window->Height());
        window->Show();
        PumpFor(30);
    }
    void TearDown() override
    {
        if (pager->window)
            pager->FreeMinimizedPage();
        form->Free();
    }

    TForm* form = nullptr;
    FakePager* pager = nullptr;
    TMinimizedRibbonWindow* window = nullptr;
    FakePage* page = nullptr;
    TEdit* edit = nullptr;
};

} // namespace

TEST_F(MinimizedRibbonWindow, FitsAroundThePageAndIsAShadowedPopup)
{
    EXPECT_EQ(window->Width(), 303);
    EXPECT_EQ(window->Height(), 93);
    EXPECT_EQ(page->Left(), 2);
    EXPECT_EQ(page->Top(), 0);
    const auto style = GetWindowLongPtrA(window->Handle(), GWL_STYLE);
    EXPECT_NE(style & WS_POPUP, 0);
    EXPECT_EQ(style & WS_CHILD, 0);
    EXPECT_NE(GetClassLongPtrA(window->Handle(), GCL_STYLE) & 0x20000, 0u);
    EXPECT_TRUE(window->AutoHide());
    EXPECT_EQ(window->HideTimer()->Interval(), 1u);
    EXPECT_FALSE(window->HideTimer()->Enabled());
}

TEST_F(MinimizedRibbonWindow, ActivationFocusesThePagesFirstToolBar)
{
    SetFocus(pager->Handle());
    SendMessageA(window->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), edit->Handle());
}

TEST_F(MinimizedRibbonWindow, StaysOpenWhileThePagerHasTheFocusOrAutoHideIsOff)
{
    // The form is made active with the focus on the pager (that deactivates the window for
    // real, with auto-hide off).
    window->SetAutoHide(false);
    form->SetActiveControl(pager); // what the form focuses when it becomes active
    SetForegroundWindow(form->Handle());
    PumpFor(30);
    SetFocus(pager->Handle());
    ASSERT_EQ(GetFocus(), pager->Handle());
    ASSERT_TRUE(window->Visible());
    window->SetAutoHide(true);
    SendMessageA(window->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(window->HideTimer()->Enabled());

    SetFocus(nullptr);
    window->SetAutoHide(false);
    SendMessageA(window->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(window->HideTimer()->Enabled());
    EXPECT_TRUE(window->Visible());
}

// The pager frees the window when it takes its page back; that happens after the timer's tick
// has returned, not inside it.
TEST_F(MinimizedRibbonWindow, HidesAfterLosingActivationAndIsFreedAfterTheTick)
{
    SetFocus(nullptr);
    SendMessageA(window->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    ASSERT_TRUE(window->HideTimer()->Enabled());
    SendMessageA(window->HideTimer()->Handle(), WM_TIMER, 1, 0);
    EXPECT_EQ(pager->frees, 0); // not inside the tick
    EXPECT_FALSE(window->Visible());
    EXPECT_FALSE(window->HideTimer()->Enabled());
    ASSERT_TRUE(PumpUntil([&] { return pager->frees == 1; }, 2000));
    EXPECT_EQ(pager->window, nullptr);
}
