// The drop-downs' arithmetic: pop-ups beside their entry near the work area's
// edges, the control selector panel's rows, entries and size, and the "Add or Remove Buttons"
// pop-up's items. Expected values are worked out by hand from the documented rules.
#include "toolbar/PopupLayout.h"

#include <gtest/gtest.h>

using draw::TIntPoint;
using draw::TIntRect;
using namespace toolbar;

namespace {

TEST(PopupLayout, BesideAnEntry)
{
    const TIntRect work{0, 0, 1280, 984};
    EXPECT_EQ(PlaceBesideAnchor(TIntRect{100, 200, 230, 220}, 120, 80, work),
              (TIntPoint{230, 200}));
    // Ending 2 below the work area is allowed; 3 is not.
    EXPECT_EQ(PlaceBesideAnchor(TIntRect{100, 906, 230, 926}, 120, 80, work),
              (TIntPoint{230, 906}));
    EXPECT_EQ(PlaceBesideAnchor(TIntRect{100, 907, 230, 927}, 120, 80, work),
              (TIntPoint{230, 902}));
    // Past the right edge: to the entry's left.
    EXPECT_EQ(PlaceBesideAnchor(TIntRect{1070, 200, 1200, 220}, 120, 80, work),
              (TIntPoint{950, 200}));
    // On a monitor left of the primary.
    EXPECT_EQ(
        PlaceBesideAnchor(TIntRect{-300, 200, -170, 220}, 120, 80, TIntRect{-1280, 0, 0, 1024}),
        (TIntPoint{-170, 200}));
}

TEST(PopupLayout, ControlSelectorPanel)
{
    // Three hidden controls 40, 40 and 60 wide (22 high) under the default entry width.
    SelectorPanelInput in;
    in.controls = {{40, 22}, {40, 22}, {60, 22}};
    SelectorPanelLayout out = ArrangeSelectorPanel(in);
    ASSERT_EQ(out.controls.size(), 3u);
    EXPECT_EQ(out.controls[0], (TIntPoint{3, 3}));
    EXPECT_EQ(out.controls[1], (TIntPoint{43, 3}));
    EXPECT_EQ(out.controls[2], (TIntPoint{3, 25}));
    EXPECT_EQ(out.width, 136);
    // Both margins, two rows of 22, the entry and the gap.
    EXPECT_EQ(out.height, 3 + 44 + 20 + 8 + 3);
    EXPECT_EQ(out.addRemove, (TIntRect{3, out.height - 3 - 20, 133, out.height - 3}));
    EXPECT_EQ(out.options, TIntRect{});

    // No controls, both entries: 3 + 20 + 20 + 3 (no gap); Options right above the other.
    SelectorPanelInput entries;
    entries.hasOptions = true;
    out = ArrangeSelectorPanel(entries);
    EXPECT_EQ(out.height, 46);
    EXPECT_EQ(out.addRemove, (TIntRect{3, 23, 133, 43}));
    EXPECT_EQ(out.options, (TIntRect{3, 3, 133, 23}));
    // Options alone sits at the bottom.
    entries.showAddRemove = false;
    out = ArrangeSelectorPanel(entries);
    EXPECT_EQ(out.options, (TIntRect{3, 3, 133, 23}));
    EXPECT_EQ(out.addRemove, TIntRect{});
    EXPECT_EQ(out.height, 26);

    // A control wider than the entries widens the rows.
    SelectorPanelInput wide;
    wide.controls = {{200, 22}};
    EXPECT_EQ(ArrangeSelectorPanel(wide).width, 206);

    // Entry widths: 130, or a longer caption + 15; the Options caption counts only with options.
    EXPECT_EQ(SelectorEntryWidth(true, 100, false, 300), 130);
    EXPECT_EQ(SelectorEntryWidth(true, 100, true, 150), 165);
    EXPECT_EQ(SelectorEntryWidth(true, 140, true, 20), 155);
    EXPECT_EQ(SelectorEntryWidth(false, 300, false, 300), 130);
}

TEST(PopupLayout, AddRemovePopupPanel)
{
    PopupPanelInput in;
    in.items = {{20, false}, {25, false}, {30, false}};
    PopupPanelLayout out = ArrangePopupPanel(in);
    EXPECT_EQ(out.width, 74);
    EXPECT_EQ(out.height, 2 + 3 * 26);
    EXPECT_EQ(out.items[0], (TIntRect{2, 2, 72, 26}));
    EXPECT_EQ(out.items[2], (TIntRect{2, 54, 72, 78}));
    in.checkColumn = true;
    in.iconBarSize = 24;
    EXPECT_EQ(ArrangePopupPanel(in).width, 74); // 37 + 24 is still below 70
    // Long captions, the columns and every item with children add up.
    in.items = {{100, true}, {60, true}};
    in.imageColumn = true;
    EXPECT_EQ(ArrangePopupPanel(in).width, 107 + 30 + 30 + 24 + 20 + 4);
}

} // namespace
