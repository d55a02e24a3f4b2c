// Which controls a docked toolbar hides for want of room: least recently used first, the
// separator of an emptied group with it (the trailing one for the first group), coming back
// most recently hidden first and with the separator only when both fit, a click moving a
// control to the front and bringing it back, and a fixed order leaving it hidden.
#include "toolbar/ToolBarOverflow.h"

#include <gtest/gtest.h>

using namespace toolbar;

namespace {

// A | B | separator | C | D, after a 9-pixel grip and before a 14-pixel right handle: the
// full toolbar is 9 + 130 + 14 = 153 long.
constexpr int kStart = 9, kHandle = 14, kFull = 153;
enum { A, B, S, C, D };

ToolBarOverflow Bar()
{
    return ToolBarOverflow({{30, false}, {30, false}, {10, true}, {30, false}, {30, false}});
}

void Fit(ToolBarOverflow& bar, int length)
{
    bar.Update(length, kStart, kHandle, length - kStart - kHandle);
}

using Hidden = std::vector<int>;

TEST(ToolBarOverflow, ShrinkingByOneButtonHidesTheLeastRecentlyUsedAndWideningReturnsIt)
{
    ToolBarOverflow bar = Bar();
    Fit(bar, kFull);
    EXPECT_EQ(bar.Hidden(), Hidden{});
    Fit(bar, kFull - 30);
    EXPECT_EQ(bar.Hidden(), Hidden{D});
    Fit(bar, kFull - 31);
    EXPECT_EQ(bar.Hidden(), (Hidden{D, C, S})); // C empties its group: the separator goes too
    Fit(bar, kFull);
    EXPECT_EQ(bar.Hidden(), Hidden{});
}

TEST(ToolBarOverflow, SeparatorsFollowTheirGroups)
{
    ToolBarOverflow bar = Bar();
    Fit(bar, kFull - 60);
    EXPECT_EQ(bar.Hidden(), (Hidden{D, C, S}));

    // With C and D used last, the first group goes first and takes the separator after it.
    ToolBarOverflow first = Bar();
    Fit(first, kFull);
    first.Clicked(C, true, kFull, kStart, kHandle, 0);
    first.Clicked(D, true, kFull, kStart, kHandle, 0);
    EXPECT_EQ(first.SavedOrder(), (std::vector<int>{D, C, A, B, S}));
    Fit(first, kFull - 60);
    EXPECT_EQ(first.Hidden(), (Hidden{B, A, S}));
}

TEST(ToolBarOverflow, AControlComesBackWithItsSeparatorOnlyWhenBothFit)
{
    ToolBarOverflow bar = Bar();
    Fit(bar, kFull - 60); // D, C and the separator hidden; A and B end at 69
    // Room for C (30) but not for C and its separator (40).
    Fit(bar, 69 + kHandle + 35);
    EXPECT_EQ(bar.Hidden(), (Hidden{D, C, S}));
    Fit(bar, 69 + kHandle + 40);
    EXPECT_EQ(bar.Hidden(), Hidden{D});
}

TEST(ToolBarOverflow, ClickingAHiddenControlBringsItBack)
{
    ToolBarOverflow bar = Bar();
    Fit(bar, kFull - 30);
    ASSERT_EQ(bar.Hidden(), Hidden{D});
    // D comes back at the front of the order; C, now the least recently used, makes room.
    bar.Clicked(D, true, kFull - 30, kStart, kHandle, 0);
    EXPECT_EQ(bar.SavedOrder().front(), D);
    EXPECT_EQ(bar.Hidden(), Hidden{C});

    // Without an adaptive order the clicked control stays hidden.
    ToolBarOverflow fixed = Bar();
    Fit(fixed, kFull - 30);
    fixed.Clicked(D, false, kFull - 30, kStart, kHandle, 0);
    EXPECT_EQ(fixed.Hidden(), Hidden{D});
    EXPECT_EQ(fixed.SavedOrder().front(), A);
}

TEST(ToolBarOverflow, InvisibleControlsAreNeverChosenAndNothingShownRefills)
{
    ToolBarOverflow bar = Bar();
    bar.SetVisible(D, false);
    Fit(bar, kFull - 40); // 109 + 14 = 123 needed, 113 there: C goes (with the separator)
    EXPECT_EQ(bar.Hidden(), (Hidden{C, S}));

    // A toolbar so short that everything went: what fits in the room comes back, most
    // recently hidden first.
    ToolBarOverflow all = Bar();
    Fit(all, 10);
    EXPECT_EQ(all.Hidden().size(), 5u);
    all.Update(200, kStart, kHandle, 65);
    EXPECT_EQ(all.Hidden().size(), 3u);
}

} // namespace
