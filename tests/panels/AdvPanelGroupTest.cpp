// The panel group: vertical and horizontal arrangement with paddings and columns, the scroll
// bar when the panels do not fit, wheel scrolling, and re-arranging when a child collapses,
// closes or is sized.
#include "panels/AdvPanelGroup.h"

#include "PanelTestSupport.h"

#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "core/Streams.h"

using namespace classlib;
using namespace panels;

namespace {

class AdvPanelGroupTest : public paneltest::PanelFixture {
protected:
    // A 300 x 200 group read from a form layout holding `count` panels of the given height.
    TAdvPanelGroup* LoadGroup(int count, int panelHeight, const std::string& extra = "")
    {
        RegisterPanelClasses();
        std::string text =
            "object Group: TAdvPanelGroup\n  Left = 0\n  Top = 0\n  Width = 300\n  Height = 200\n" +
            extra;
        for (int i = 0; i < count; ++i)
            text += "  object P" + std::to_string(i) +
                    ": TAdvPanel\n    Left = 0\n    Top = " + std::to_string(i * 10) +
                    "\n    Width = 50\n    Height = " + std::to_string(panelHeight) + "\n  end\n";
        text += "end\n";
        auto* group = new TAdvPanelGroup(form);
        group->SetParent(form);
        TStringStream layout(ObjectTextToBinary(text));
        ReadComponentFromStream(layout, group);
        return group;
    }
    static TAdvPanel* Child(TAdvPanelGroup* group, int i)
    {
        return dynamic_cast<TAdvPanel*>(group->FindComponent("P" + std::to_string(i)));
    }
};

TEST_F(AdvPanelGroupTest, ThreePanelsInOneColumnWithTheScrollBar)
{
    TAdvPanelGroup* group = LoadGroup(3, 100);
    ASSERT_EQ(group->Panels().size(), 3u);
    EXPECT_EQ(Child(group, 0)->Top(), 8);
    EXPECT_EQ(Child(group, 1)->Top(), 116);
    EXPECT_EQ(Child(group, 2)->Top(), 224);
    // 8 + 3 x 108 = 332 > 200
    TGroupScrollBar* bar = group->ScrollBar();
    EXPECT_TRUE(bar->Visible());
    EXPECT_TRUE(bar->Vertical());
    EXPECT_EQ(bar->PageSize(), 200);
    EXPECT_EQ(bar->Max(), 332);
    EXPECT_EQ(bar->LargeChange(), 66);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Child(group, i)->Width(), 300 - 16 - 16);
        EXPECT_EQ(Child(group, i)->Left(), 8);
    }
}

TEST_F(AdvPanelGroupTest, PanelsThatFitShowNoScrollBar)
{
    TAdvPanelGroup* group = LoadGroup(2, 50);
    EXPECT_FALSE(group->ScrollBar()->Visible());
    EXPECT_EQ(Child(group, 1)->Top(), 8 + 50 + 8);
    EXPECT_EQ(Child(group, 0)->Width(), 300 - 16);
}

TEST_F(AdvPanelGroupTest, TwoColumnsShareRows)
{
    TAdvPanelGroup* group = LoadGroup(3, 40, "  Columns = 2\n");
    EXPECT_EQ(Child(group, 0)->Top(), 8);
    EXPECT_EQ(Child(group, 1)->Top(), 8);
    EXPECT_EQ(Child(group, 2)->Top(), 8 + 40 + 8);
    EXPECT_EQ(Child(group, 0)->Left(), 8);
    EXPECT_EQ(Child(group, 1)->Left(), (300 - 8) / 2 + 8);
    EXPECT_EQ(Child(group, 0)->Width(), (300 - 16) / 2);
    group->SetColumns(0); // ignored
    group->SetColumns(-3);
    EXPECT_EQ(group->Columns(), 2);
}

TEST_F(AdvPanelGroupTest, PaddingsMoveThePanels)
{
    TAdvPanelGroup* group = LoadGroup(2, 30);
    group->SetVertPadding(20);
    group->SetHorzPadding(4);
    EXPECT_EQ(Child(group, 0)->Top(), 20);
    EXPECT_EQ(Child(group, 1)->Top(), 20 + 30 + 20);
    EXPECT_EQ(Child(group, 1)->Left(), 4);
    EXPECT_EQ(Child(group, 1)->Width(), 300 - 8);
}

TEST_F(AdvPanelGroupTest, WheelScrollsFourPixelsANotchWithinTheRange)
{
    TAdvPanelGroup* group = LoadGroup(3, 100);
    const POINT centre = group->ClientToScreen(POINT{150, 100});
    const auto wheel = [&](int delta) {
        SendMessageA(group->Handle(), WM_MOUSEWHEEL,
                     MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                     MAKELPARAM(centre.x, centre.y));
    };
    wheel(-WHEEL_DELTA);
    EXPECT_EQ(group->ScrollBar()->Position(), 4);
    EXPECT_EQ(Child(group, 0)->Top(), 8 - 4);
    for (int i = 0; i < 60; ++i)
        wheel(-WHEEL_DELTA);
    EXPECT_EQ(group->ScrollBar()->Position(), 332 - 200);
    EXPECT_EQ(Child(group, 2)->Top(), 224 - 132);
    wheel(WHEEL_DELTA);
    EXPECT_EQ(group->ScrollBar()->Position(), 128);
}

TEST_F(AdvPanelGroupTest, HorizontalGroupLinesPanelsUp)
{
    TAdvPanelGroup* group = LoadGroup(3, 100, "  GroupStyle = gsHorizontal\n");
    EXPECT_EQ(Child(group, 0)->Left(), 8);
    EXPECT_EQ(Child(group, 1)->Left(), 8 + 50 + 8);
    EXPECT_EQ(Child(group, 2)->Left(), 8 + 2 * 58);
    EXPECT_EQ(Child(group, 0)->Top(), 8);
    EXPECT_EQ(Child(group, 0)->Height(), 200 - 16);
    EXPECT_FALSE(group->ScrollBar()->Visible());

    // Wider panels than the group: a horizontal bar 16 px high takes its share.
    for (int i = 0; i < 3; ++i)
        Child(group, i)->SetWidth(150);
    group->ChildPanelChanged();
    group->Arrange();
    EXPECT_TRUE(group->ScrollBar()->Visible());
    EXPECT_FALSE(group->ScrollBar()->Vertical());
    EXPECT_EQ(group->ScrollBar()->Max(), 8 + 3 * 158);
    EXPECT_EQ(Child(group, 1)->Height(), 200 - 16 - 16);
}

TEST_F(AdvPanelGroupTest, ChildCollapseCloseAndSizeRearrange)
{
    TAdvPanelGroup* group = LoadGroup(3, 50);
    TAdvPanel* first = Child(group, 0);
    first->Caption()->SetVisible(true);
    first->Caption()->SetCloseButton(true);
    first->SetCollaps(true);
    EXPECT_EQ(Child(group, 1)->Top(), 8 + 18 + 8);
    first->SetCollaps(false);
    EXPECT_EQ(Child(group, 1)->Top(), 8 + 50 + 8);

    // The close button: the panel goes, the next moves up.
    SendMessageA(first->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first->Width() - 8, 8));
    SendMessageA(first->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(first->Width() - 8, 8));
    EXPECT_FALSE(first->Visible());
    EXPECT_EQ(Child(group, 1)->Top(), 8);
    EXPECT_EQ(Child(group, 2)->Top(), 8 + 50 + 8);

    // A user size ends with WM_EXITSIZEMOVE.
    TAdvPanel* second = Child(group, 1);
    second->SetHeight(90);
    SendMessageA(second->Handle(), WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(Child(group, 2)->Top(), 8 + 90 + 8);
}

} // namespace
