// The extended graphic-control base: notifications turned into methods, mouse-over tracking
// and the order of the enter and leave events around the inherited handling, hint colours.
#include "draw/OcExControls.h"

#include "windows/ExtCtrls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classlib;
using namespace draw;

namespace {

std::vector<std::string> journal;

struct Listener {
    void Enter(TObject*) { journal.push_back("OnMouseEnter"); }
    void Leave(TObject*) { journal.push_back("OnMouseLeave"); }
    void ParentColor(TObject* sender)
    {
        journal.push_back("OnParentColorChange " +
                          std::to_string(static_cast<TControl*>(sender)->Color()));
    }
};

// Records what the hit-test query receives.
class TProbe : public TOcExGraphicControl {
public:
    using TOcExGraphicControl::TOcExGraphicControl;
    int hitX = 0, hitY = 0;

protected:
    bool QueryHitTest(int x, int y) override
    {
        hitX = x;
        hitY = y;
        return TOcExGraphicControl::QueryHitTest(x, y);
    }
};

// A parent whose messages are journaled; it answers hint queries with its own colour.
class ExControlTest : public ::testing::Test {
protected:
    static constexpr TColor ParentHintColor = 0x123456;
    void SetUp() override
    {
        journal.clear();
        parent = new TPanel(nullptr);
        control = new TProbe(parent);
        control->SetParent(parent);
        parent->WindowProc = [this](TMessage& m) {
            if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE)
                journal.push_back(
                    std::string(m.Msg == CM_MOUSEENTER ? "parent enter" : "parent leave") +
                    (m.LParam == reinterpret_cast<LPARAM>(control) ? " from control" : ""));
            if (m.Msg == CM_HINTSHOW) {
                reinterpret_cast<THintInfo*>(m.LParam)->HintColor = ParentHintColor;
                return;
            }
            parent->WndProc(m);
        };
        control->OnMouseEnter = TNotifyEvent(&listener, &Listener::Enter);
        control->OnMouseLeave = TNotifyEvent(&listener, &Listener::Leave);
    }
    void TearDown() override { parent->Free(); }

    TPanel* parent = nullptr;
    TProbe* control = nullptr;
    Listener listener;
};

} // namespace

TEST(ShiftToKeyFlags, EachShiftKeyHasItsBit)
{
    EXPECT_EQ(ShiftToKeyFlags({}), 0u);
    EXPECT_EQ(ShiftToKeyFlags({ssShift}), 0x08000000u);
    EXPECT_EQ(ShiftToKeyFlags({ssAlt}), 0x20000000u);
    EXPECT_EQ(ShiftToKeyFlags({ssCtrl}), 0x10000000u);
    EXPECT_EQ(ShiftToKeyFlags({ssShift, ssCtrl, ssAlt, ssLeft}), 0x38000000u);
}

TEST_F(ExControlTest, EnterBeforeAndLeaveAfterTheInheritedHandlingOnceEach)
{
    EXPECT_FALSE(control->MouseOver());
    control->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(control->MouseOver());
    control->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(control->MouseOver());
    EXPECT_EQ(journal, (std::vector<std::string>{"OnMouseEnter", "parent enter from control",
                                                 "parent leave from control", "OnMouseLeave"}));
}

TEST_F(ExControlTest, HintColourByTheControlsSetting)
{
    const struct {
        TColor setting;
        TColor expected;
    } cases[] = {
        {clNone, THintManager::Instance().HintColor},
        {clDefault, ParentHintColor},
        {0x00ABCDEF, 0x00ABCDEF},
    };
    EXPECT_EQ(control->HintColor(), clDefault);
    for (const auto& c : cases) {
        control->SetHintColor(c.setting);
        THintInfo info;
        info.HintColor = 0x00010101;
        control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.HintColor, c.expected) << std::hex << c.setting;
    }
}

TEST_F(ExControlTest, DefaultHintWithoutParentKeepsTheColour)
{
    TProbe lone(nullptr);
    THintInfo info;
    info.HintColor = 0x00010101;
    lone.Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.HintColor, 0x00010101u);
}

TEST_F(ExControlTest, HitTestGetsSignedCoordinates)
{
    EXPECT_EQ(control->Perform(CM_HITTEST, 0, PointToLParam(-3, 7)), 1);
    EXPECT_EQ(control->hitX, -3);
    EXPECT_EQ(control->hitY, 7);
}

TEST_F(ExControlTest, ParentColourChangeFiresAfterTheColourFollowed)
{
    control->SetParentColor(true);
    parent->SetColor(0x00334455);
    journal.clear();
    control->OnParentColorChange = TNotifyEvent(&listener, &Listener::ParentColor);
    control->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    EXPECT_EQ(journal,
              (std::vector<std::string>{"OnParentColorChange " + std::to_string(0x00334455)}));
}

TEST_F(ExControlTest, MarkerInterfaceAndTheUnimplementedQuery)
{
    void* obj = nullptr;
    EXPECT_TRUE(control->GetInterface(IOcExControl::IID, &obj));
    EXPECT_EQ(control->Perform(CM_OCEX_SUPPORTSQUERY, 0, 0), 0);
}
