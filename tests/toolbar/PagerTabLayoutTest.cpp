// The pager's tab strip arithmetic: what gives way first when the tab area narrows (spacing,
// then margins, then the widest tabs down to 24 px), grouped tabs narrowing last with their
// 5-px overhang, the order in which widening restores, the fitting count at the right edge, and
// scrolling by screens.
#include "toolbar/PagerTabLayout.h"

#include <gtest/gtest.h>

#include <vector>

using namespace toolbar;

namespace {

struct TabSpec {
    int natural;
    bool grouped = false;
};

PagerTabLayout Layout(const std::vector<TabSpec>& specs, int areaWidth)
{
    PagerTabLayout l;
    for (const TabSpec& s : specs) {
        PagerTab t;
        t.natural = s.natural;
        t.grouped = s.grouped;
        l.tabs.push_back(t);
    }
    l.areaLeft = 64;
    l.areaRight = 64 + areaWidth;
    l.ResetLayout();
    return l;
}

std::vector<int> Widths(const PagerTabLayout& l)
{
    std::vector<int> w;
    for (const PagerTab& t : l.tabs)
        w.push_back(t.width);
    return w;
}

void ExpectLaidOut(const PagerTabLayout& l)
{
    int x = l.tabs[0].left;
    for (size_t i = 0; i < l.tabs.size(); ++i) {
        if (!l.tabs[i].visible)
            continue;
        EXPECT_EQ(l.tabs[i].left, x) << "tab " << i;
        x += l.TabWidth(static_cast<int>(i)) + l.spacing;
    }
}

} // namespace

// Three ungrouped tabs of 40 px text are 48 px wide with margins 4 and 4, and the strip is
// 3 x 48 + 2 x 4 = 152 px wide.
TEST(PagerTabFitting, NarrowingGivesWayInOrder)
{
    struct Case {
        const char* name;
        int area;
        int spacing, marginLeft, marginRight;
        std::vector<int> widths;
    };
    const Case cases[] = {
        {"fits", 152, 4, 4, 4, {40, 40, 40}},
        {"spacing first", 150, 3, 4, 4, {40, 40, 40}},
        {"then the left margin", 149, 3, 3, 4, {40, 40, 40}},
        {"then the right margin", 144, 3, 3, 3, {40, 40, 40}},
        {"then the widest (first) tab", 140, 3, 3, 3, {36, 40, 40}},
        {"widest tabs in 5-px steps", 130, 3, 3, 3, {35, 35, 36}},
        {"never below 24 px", 20, 3, 3, 3, {18, 18, 18}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PagerTabLayout l = Layout({{40}, {40}, {40}}, c.area);
        l.Fit();
        EXPECT_EQ(l.spacing, c.spacing);
        EXPECT_EQ(l.marginLeft, c.marginLeft);
        EXPECT_EQ(l.marginRight, c.marginRight);
        EXPECT_EQ(Widths(l), c.widths);
        ExpectLaidOut(l);
        EXPECT_EQ(l.tabs[0].left, 64);
    }
}

TEST(PagerTabFitting, GroupedTabsNarrowLastWithOverhang)
{
    // An ungrouped tab that can still narrow takes the whole excess: 68 + 4 + 68 = 140 in 100,
    // 35 left after spacing and margins, taken from the ungrouped tab alone.
    PagerTabLayout a = Layout({{60}, {60, true}}, 100);
    a.Fit();
    EXPECT_EQ(Widths(a), (std::vector<int>{25, 60}));
    EXPECT_EQ(a.groupedLeft, 3);
    EXPECT_EQ(a.groupedRight, 3);

    // No ungrouped tab above 24 px: the grouped one narrows, 5 px of the excess forgiven.
    // 18 + 4 + 68 = 90 in 70; after spacing and margins 16 + 3 + 66 = 85, excess 15, 10 taken.
    PagerTabLayout b = Layout({{10}, {60, true}}, 70);
    b.Fit();
    EXPECT_EQ(Widths(b), (std::vector<int>{10, 50}));
    EXPECT_EQ(b.TotalWidth(), 75);
}

TEST(PagerTabFitting, WideningRestoresWidthsThenSpacingThenMargins)
{
    PagerTabLayout l = Layout({{40}, {40}, {40}}, 140);
    l.Fit();
    ASSERT_EQ(Widths(l), (std::vector<int>{36, 40, 40}));

    // 6 px of room: 4 give tab 0 back its width, 2 the spacing; nothing is left for margins.
    l.areaRight = l.areaLeft + 146;
    l.Fit();
    EXPECT_EQ(Widths(l), (std::vector<int>{40, 40, 40}));
    EXPECT_EQ(l.spacing, 4);
    EXPECT_EQ(l.marginLeft, 3);
    EXPECT_EQ(l.marginRight, 3);
    ExpectLaidOut(l);

    // 1 px of room: a left-margin step costs 3 and is taken back.
    l.areaRight = l.areaLeft + 147;
    l.Fit();
    EXPECT_EQ(l.marginLeft, 3);
    EXPECT_EQ(l.TotalWidth(), 146);

    // 3 px: the left margin comes back, the right one has no room left.
    l.areaRight = l.areaLeft + 149;
    l.Fit();
    EXPECT_EQ(l.marginLeft, 4);
    EXPECT_EQ(l.marginRight, 3);
    ExpectLaidOut(l);

    // With room for everything the tabs are back to the settings.
    l.areaRight = l.areaLeft + 400;
    l.Fit();
    EXPECT_EQ(l.marginRight, 4);
    EXPECT_EQ(l.TotalWidth(), 152);
}

TEST(PagerTabFitting, WideningWithTooLittleRoomKeepsTabsShrunk)
{
    // Widths grow first; while one is short, spacing and margins stay down.
    PagerTabLayout l = Layout({{40}, {40}, {40}}, 120);
    l.Fit();
    const std::vector<int> narrow = Widths(l);
    l.areaRight = l.areaLeft + 125;
    l.Fit();
    EXPECT_EQ(l.spacing, 3);
    EXPECT_EQ(l.marginLeft, 3);
    int grown = 0;
    for (size_t i = 0; i < narrow.size(); ++i)
        grown += l.tabs[i].width - narrow[i];
    EXPECT_EQ(grown, 5);
}

TEST(PagerTabFitting, SeparatorsOnlyAtTheSpacingFloor)
{
    PagerTabLayout l = Layout({{40}, {40}, {40}}, 152);
    l.Fit();
    EXPECT_FALSE(l.CanCompressTabs(1));
    l.areaRight = l.areaLeft + 150;
    l.Fit();
    EXPECT_FALSE(l.CanCompressTabs(0)); // the first visible tab has none
    EXPECT_TRUE(l.CanCompressTabs(1));
    EXPECT_FALSE(l.CanCompressTabs(3));
    l.tabs[0].visible = false;
    EXPECT_FALSE(l.CanCompressTabs(1));
}

TEST(PagerTabScrolling, ATabReachingTheRightEdgeDoesNotFit)
{
    // A tab of 40 px text is 48 px wide.
    PagerTabLayout exact = Layout({{40}}, 48);
    EXPECT_EQ(exact.TabsFitting(0, true), 0);
    PagerTabLayout wider = Layout({{40}}, 49);
    EXPECT_EQ(wider.TabsFitting(0, true), 1);
    EXPECT_EQ(wider.TabsFitting(1, true), 0);
    EXPECT_EQ(wider.TabsFitting(-1, true), 0);
}

TEST(PagerTabScrolling, TabsWiderThanTheAreaCountOnePerScreen)
{
    PagerTabLayout l = Layout({{200}, {200}, {200}}, 100);
    EXPECT_EQ(l.TabsFitting(0, true), 0);
    EXPECT_EQ(l.maxOffset, 2);
    EXPECT_TRUE(l.CanScrollRight());
    EXPECT_FALSE(l.CanScrollLeft());
}

// Ten tabs of 48 px at a pitch of 52 in a 200-px area: three fit a screen, four screens.
TEST(PagerTabScrolling, ScreensRightAndBack)
{
    std::vector<TabSpec> ten(10, TabSpec{40});
    PagerTabLayout l = Layout(ten, 200);
    int steps = 0;
    l.onStep = [&] { ++steps; };
    EXPECT_EQ(l.maxOffset, 3);
    EXPECT_EQ(l.TabsFitting(0, true), 3);

    EXPECT_EQ(l.ScrollTabs(1), 1);
    EXPECT_EQ(l.firstShown, 3);
    EXPECT_EQ(l.tabs[3].left, l.areaLeft);
    EXPECT_EQ(l.scrollOffset, 1);
    EXPECT_GT(steps, 1); // moved in steps
    EXPECT_TRUE(l.CanScrollLeft());

    EXPECT_EQ(l.ScrollTabs(-1), -1);
    EXPECT_EQ(l.firstShown, 0);
    EXPECT_EQ(l.tabs[0].left, l.areaLeft);
    EXPECT_EQ(l.scrollOffset, 0);
    EXPECT_EQ(l.ScrollTabs(-1), 0);

    // The last screen is filled: the last tab ends at the area's right edge.
    EXPECT_EQ(l.ScrollTabs(5), 3);
    EXPECT_EQ(l.firstShown, 7);
    EXPECT_EQ(l.tabs[9].left + l.TabWidth(9), l.areaRight);
    EXPECT_EQ(l.ScrollTabs(1), 0);
    EXPECT_FALSE(l.CanScrollRight());

    // A reset shows the first tab again.
    l.ResetScroll();
    EXPECT_EQ(l.tabs[0].left, l.areaLeft);
    EXPECT_EQ(l.firstShown, 0);
    EXPECT_EQ(l.scrollOffset, 0);
}

TEST(PagerTabScrolling, HiddenTabsTakeNoPlace)
{
    PagerTabLayout l = Layout({{40}, {40}, {40}}, 200);
    l.tabs[1].visible = false;
    l.PositionTabs();
    EXPECT_EQ(l.tabs[2].left, l.tabs[0].left + 48 + 4);
    EXPECT_EQ(l.TotalWidth(), 48 + 4 + 48);
    EXPECT_EQ(l.maxOffset, 0);
}
