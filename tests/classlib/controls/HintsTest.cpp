// Hints per area of a control (CM_HINTSHOW's CursorRect), cancelling the current hint from the
// application, and hint windows that never take activation.
#include "windows/Application.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include "GuiTest.h"

#include <string>

using namespace classlib;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

// Two areas, each with its own hint, like a toolbar's close and option buttons.
class TTwoAreas : public TCustomControl {
    CLASSLIB_CLASS(TTwoAreas, TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TTwoAreas(TComponent* owner) : TCustomControl(owner) {}
    int asked = 0;

protected:
    void CMHintShow(TMessage& m)
    {
        ++asked;
        auto* info = reinterpret_cast<THintInfo*>(m.LParam);
        const bool left = info->CursorPos.x < Width() / 2;
        info->CursorRect =
            left ? RECT{0, 0, Width() / 2, Height()} : RECT{Width() / 2, 0, Width(), Height()};
        info->HintStr = left ? "Close" : "Options";
    }
};
CLASSLIB_PUBLISH(TTwoAreas) {}
CLASSLIB_MESSAGE_MAP(TTwoAreas)
{
    m.On(CM_HINTSHOW, &TTwoAreas::CMHintShow);
}

class HintsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        hints.HintPause = 50;
        form = new TForm(nullptr);
        form->SetBounds(80, 80, 300, 200);
        areas = new TTwoAreas(form);
        areas->SetParent(form);
        areas->SetBounds(20, 20, 200, 40);
        areas->SetShowHint(true); // no Hint of its own: the areas give the texts
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()); }));
    }
    void TearDown() override
    {
        hints.CancelHint();
        hints.HintPause = 500;
        form->Free();
    }
    void PointAt(int x, int y)
    {
        const POINT p = areas->ClientToScreen(POINT{x, y});
        SetCursorPos(p.x, p.y);
    }
    bool Shows(const std::string& text)
    {
        return PumpUntil([&] { return hints.HintShowing() && hints.HintWindow()->Text() == text; });
    }

    THintManager& hints = THintManager::Instance();
    TForm* form = nullptr;
    TTwoAreas* areas = nullptr;
};

TEST_F(HintsTest, EachAreaOfAControlShowsItsOwnHint)
{
    PointAt(20, 20);
    ASSERT_TRUE(Shows("Close"));
    PointAt(40, 20); // same area: the hint stays, nobody is asked again
    PumpFor(150);
    EXPECT_TRUE(hints.HintShowing());
    EXPECT_EQ(areas->asked, 1);
    PointAt(150, 20); // the other area: a new hint after the pause
    EXPECT_TRUE(Shows("Options"));
    EXPECT_EQ(areas->asked, 2);
}

TEST_F(HintsTest, TheApplicationCancelsTheCurrentHint)
{
    PointAt(20, 20);
    ASSERT_TRUE(Shows("Close"));
    Application->CancelHint();
    EXPECT_FALSE(hints.HintShowing());
    // Forgotten: a move in the same area starts a new pause and shows it again.
    PointAt(25, 22);
    EXPECT_TRUE(Shows("Close"));
    EXPECT_EQ(areas->asked, 2);
}

// A hint window of a descendant class, as key tips are.
class TKeyTipStandIn : public THintWindow {
    CLASSLIB_CLASS(TKeyTipStandIn, THintWindow)
    explicit TKeyTipStandIn(TComponent* owner) : THintWindow(owner) {}
};
CLASSLIB_PUBLISH(TKeyTipStandIn) {}

TEST_F(HintsTest, HintWindowsNeverTakeActivation)
{
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == form->Handle(); }));
    for (THintWindow* window :
         {new THintWindow(nullptr), static_cast<THintWindow*>(new TKeyTipStandIn(nullptr))}) {
        SCOPED_TRACE(window->ClassName());
        window->ActivateHint(RECT{400, 400, 460, 420}, "Tip");
        PumpFor(50);
        const HWND handle = window->Handle();
        EXPECT_TRUE(IsWindowVisible(handle));
        EXPECT_TRUE(GetWindowLongPtrA(handle, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
        EXPECT_EQ(SendMessageA(handle, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->Handle()),
                               MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
                  MA_NOACTIVATE);
        EXPECT_EQ(GetActiveWindow(), form->Handle());
        window->Free();
    }
}

} // namespace
