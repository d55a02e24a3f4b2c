// The dock panel's rows over lengths: row spans and panel thickness, placement of new toolbars,
// the menu-bar row, moves along a row (free gaps, shrinking neighbours, swapping), moves across
// rows (new rows above and below, joining rows, snapping back, a locked height), and the
// floating row counts and sizes.
#include "toolbar/DockRowLayout.h"

#include "core/Exceptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace toolbar;

namespace {

RowToolBar Bar(int length, int thickness = 26, int minLength = 0, int maxLength = 0)
{
    RowToolBar b;
    b.length = length;
    b.thickness = thickness;
    b.minLength = minLength;
    b.maxLength = maxLength == 0 ? length : maxLength;
    return b;
}

// A horizontal top panel `width` wide with one row per entry of `rows` holding toolbars of
// the given lengths.
DockRowLayout Panel(int width, const std::vector<std::vector<int>>& rows)
{
    DockRowLayout layout;
    layout.panelLength = width;
    for (const auto& row : rows) {
        const int r = layout.AddRow();
        for (int length : row)
            layout.AddToolBar(r, layout.AddToolBarRecord(Bar(length)));
    }
    return layout;
}

std::string Message(const std::function<void()>& f)
{
    try {
        f();
    } catch (const classlib::Exception& e) {
        return e.Message();
    }
    return "";
}

TEST(DockRows, TwoRowsOfStandardToolBarsSpanAndSizeThePanel)
{
    DockRowLayout p = Panel(400, {{100}, {100}});
    EXPECT_EQ(p.Row(0).acrossStart, 1);
    EXPECT_EQ(p.Row(0).acrossEnd, 28);
    EXPECT_EQ(p.Row(1).acrossStart, 28);
    EXPECT_EQ(p.Row(1).acrossEnd, 55);
    EXPECT_EQ(p.ToolBar(0).across, 1);
    EXPECT_EQ(p.ToolBar(1).across, 28);
    EXPECT_EQ(p.DockSize(), 55);
    // Row ends sit at the along margin; the first toolbar one toolbar gap inside.
    EXPECT_EQ(p.Row(0).alongStart, 1);
    EXPECT_EQ(p.Row(0).alongEnd, 399);
    EXPECT_EQ(p.ToolBar(0).along, 3);
}

TEST(DockRows, EmptyPanelThickness)
{
    struct Case {
        bool vertical, designing, runTimeHeight;
        int expected;
    } cases[] = {
        {false, false, false, 3}, // MinimumSize
        {false, true, false, 13}, // 2 x across margin 0 + 13
        {false, true, true, 3},
        {true, true, false, 15}, // 2 x along margin 1 + 13
    };
    for (const Case& c : cases) {
        DockRowLayout p(c.vertical);
        EXPECT_EQ(p.DockSize(c.designing, c.runTimeHeight), c.expected) << c.vertical;
    }
    DockRowLayout p = Panel(300, {{100}});
    EXPECT_EQ(p.DockSize(true, false), 28 + 13);
}

TEST(DockRows, ToolBarsJoinARowOneAfterAnotherAndTheThickestSetsItsThickness)
{
    DockRowLayout p = Panel(400, {{100, 50}});
    EXPECT_EQ(p.ToolBar(0).along, 3);
    EXPECT_EQ(p.ToolBar(1).along, 105);
    const int tall = p.AddToolBarRecord(Bar(40, 34));
    EXPECT_EQ(p.AddToolBar(0, tall), 2);
    EXPECT_EQ(p.AddToolBar(0, tall), -1); // already there
    EXPECT_EQ(p.Thickness(0), 34);
    EXPECT_EQ(p.DockSize(), 1 + 34 + 1);
}

TEST(DockRows, VerticalPanelPutsTheFirstToolBarAtTheFarEnd)
{
    DockRowLayout p(true);
    p.panelLength = 300;
    const int r = p.AddRow();
    const int a = p.AddToolBarRecord(Bar(80));
    p.AddToolBar(r, a);
    EXPECT_EQ(p.ToolBar(a).along, 299 - 2 - 80);
    EXPECT_EQ(p.DockSize(), 28 + 1); // along margin 1 on a vertical panel
}

TEST(DockRows, MenuBarOccupiesAWholeRow)
{
    DockRowLayout p = Panel(300, {{}});
    RowToolBar menu = Bar(120);
    menu.menuBar = true;
    const int m = p.AddToolBarRecord(menu);
    const int other = p.AddToolBarRecord(Bar(50));
    EXPECT_EQ(p.AddToolBar(0, m), 0);
    EXPECT_EQ(p.ToolBar(m).length, (299 - 1) - 2 * 2);
    EXPECT_EQ(p.ToolBar(m).minLength, p.ToolBar(m).length);
    EXPECT_EQ(p.ToolBar(m).along, 3);
    EXPECT_FALSE(p.Accepts(0, other));
    EXPECT_EQ(p.AddToolBar(0, other), -1);
    // A menu bar goes only into an empty row.
    const int r = p.AddRow();
    p.AddToolBar(r, other);
    RowToolBar menu2 = Bar(60);
    menu2.menuBar = true;
    EXPECT_FALSE(p.Accepts(r, p.AddToolBarRecord(menu2)));
}

TEST(DockRows, LockedPanelRefusesWhenEveryRowRefuses)
{
    DockRowLayout p = Panel(300, {{}});
    RowToolBar menu = Bar(120);
    menu.menuBar = true;
    p.AddToolBar(0, p.AddToolBarRecord(menu));
    p.rowsMayChange = false;
    const int other = p.AddToolBarRecord(Bar(50));
    EXPECT_EQ(p.FindAcceptingRow(other, true), -1);
    p.VisibilityChanged(other, true); // no new row while locked
    EXPECT_EQ(p.RowCount(), 1);
    EXPECT_EQ(p.RowOf(other), -1);
}

TEST(DockRows, InvalidIndexesRaise)
{
    DockRowLayout p = Panel(300, {{100}, {}});
    const int stray = p.AddToolBarRecord(Bar(40));
    EXPECT_EQ(Message([&] { p.MoveToRow(0, -1); }), "Invalid Row Index");
    EXPECT_EQ(Message([&] { p.MoveToRow(0, 2); }), "Invalid Row Index");
    int start = 10, length = 40;
    EXPECT_EQ(Message([&] { p.MoveInRow(0, stray, start, length); }), "Invalid ToolBar Index");
    EXPECT_EQ(Message([&] { p.MoveInRow(1, 0, start, length); }), "Invalid ToolBar Index");
    EXPECT_EQ(p.ToolBar(0).along, 3); // nothing changed
}

TEST(DockRows, MoveToRowDeletesTheRowItLeftEmpty)
{
    DockRowLayout p = Panel(300, {{100}, {80}});
    p.MoveToRow(1, 0);
    EXPECT_EQ(p.RowCount(), 1);
    EXPECT_EQ(p.RowOf(1), 0);
    EXPECT_EQ(p.ToolBar(1).row, 0);
    EXPECT_EQ(p.ToolBar(1).along, 105);
}

TEST(DockRows, MovesAlongTheRow)
{
    struct Case {
        const char* name;
        std::vector<int> lengths;
        int width, moved, start;
        std::vector<int> alongs; // every toolbar's start afterwards
        std::vector<int> order;  // ids in row order afterwards
    } cases[] = {
        // Free space after it: the toolbar follows the pointer.
        {"right into free space", {100, 50}, 400, 1, 200, {3, 200}, {0, 1}},
        // The free gap after the second toolbar is used, pushing it along.
        {"pushes its neighbour", {100, 50}, 400, 0, 60, {60, 162}, {0, 1}},
        // Towards the start: clamped to the row start plus the toolbar gap.
        {"clamped at the row start", {100, 50}, 400, 0, -40, {3, 105}, {0, 1}},
        // Full row (row end 207 = 3 + 100 + 2 + 100 + 2): the second toolbar
        // moved to within 5 px of the first one's start swaps with it.
        {"swaps near the first", {100, 100}, 208, 1, 7, {105, 3}, {1, 0}},
        {"no swap further away", {100, 100}, 208, 1, 9, {3, 105}, {0, 1}},
    };
    for (const Case& c : cases) {
        DockRowLayout p = Panel(c.width, {c.lengths});
        int start = c.start, length = p.ToolBar(c.moved).length;
        p.MoveInRow(0, c.moved, start, length);
        std::vector<int> alongs;
        for (int id = 0; id < p.ToolBarCount(); ++id)
            alongs.push_back(p.ToolBar(id).along);
        EXPECT_EQ(alongs, c.alongs) << c.name;
        EXPECT_EQ(p.Row(0).toolBars, c.order) << c.name;
        EXPECT_EQ(start, p.ToolBar(c.moved).along) << c.name;
    }
}

TEST(DockRows, MovingIntoAFullRowShrinksTheNeighboursItMayTakeFrom)
{
    // Row end at 207: two toolbars fill it. The first may shrink to 60 and the second may grow
    // to 140, so moving the second 30 px left takes 30 px from the first.
    DockRowLayout p;
    p.panelLength = 208;
    const int r = p.AddRow();
    const int a = p.AddToolBarRecord(Bar(100, 26, 60, 100));
    const int b = p.AddToolBarRecord(Bar(100, 26, 60, 140));
    p.AddToolBar(r, a);
    p.AddToolBar(r, b);
    ASSERT_EQ(p.ToolBar(b).along, 105);
    int start = 75, length = 100;
    p.MoveInRow(r, b, start, length);
    EXPECT_EQ(p.ToolBar(a).length, 70);
    EXPECT_EQ(p.ToolBar(b).along, 75);
    EXPECT_EQ(p.ToolBar(b).length, 130);
    EXPECT_EQ(start, 75);
    EXPECT_EQ(length, 130);
}

TEST(DockRows, LongerLengthTakesTheFreeGapsAfterThenBefore)
{
    DockRowLayout p;
    p.panelLength = 200;
    const int r = p.AddRow();
    const int a = p.AddToolBarRecord(Bar(50, 26, 0, 500));
    p.AddToolBar(r, a);
    const int b = p.AddToolBarRecord(Bar(100, 26, 100));
    p.AddToolBar(r, b);
    // a first grew over the whole row; the second toolbar, which may not shrink, made it give
    // back what it needs (row end 199).
    EXPECT_EQ(p.ToolBar(b).along + p.ToolBar(b).length, 199 - 2);
    EXPECT_EQ(p.ToolBar(a).length, 197 - 100 - 2 - 3);
    DockRowLayout q = Panel(300, {{50, 50}});
    int start = 3, length = 80;
    q.MoveInRow(0, 0, start, length);
    EXPECT_EQ(length, 80);
    EXPECT_EQ(q.ToolBar(1).along, 3 + 80 + 2);
}

TEST(DockRows, MovesAcrossRows)
{
    struct Case {
        const char* name;
        std::vector<std::vector<int>> rows;
        int id, across;
        bool locked;
        int rowCount, rowOfMoved;
        bool designing = false;
    } cases[] = {
        // Row 0 spans 1..28, row 1 28..55; toolbar 2 is the second one of row 1 (t = 28).
        {"4 px above its row opens a row above", {{60}, {60, 60}}, 2, 24, false, 3, 1},
        {"4 px below its row opens a row below", {{60}, {60, 60}}, 2, 32, false, 3, 2},
        {"alone in its row: snaps back", {{60}, {60}}, 1, 24, false, 2, 1},
        {"into the row above", {{60}, {60, 60}}, 2, 10, false, 2, 0},
        {"into the row below", {{60, 60}, {60}}, 1, 40, false, 2, 1},
        {"leaving a row empty deletes it", {{60}, {60}}, 1, 10, false, 1, 0},
        {"small moves snap back", {{60}, {60, 60}}, 2, 29, false, 2, 1},
        {"locked: no new row", {{60}, {60, 60}}, 2, 24, true, 2, 1},
        {"locked: joining a row is allowed", {{60}, {60, 60}}, 2, 10, true, 2, 0},
        // More than 5 px beyond the start of the last row, which holds two toolbars.
        {"at run time far below the last row snaps back", {{60}, {60, 60}}, 2, 34, false, 2, 1},
        {"at design time it opens a new last row", {{60}, {60, 60}}, 2, 34, false, 3, 2, true},
        {"at design time 5 px below: a row below, as at run time",
         {{60}, {60, 60}},
         2,
         33,
         false,
         3,
         2,
         true},
        {"at design time alone in the last row: snaps back",
         {{60}, {60}},
         1,
         34,
         false,
         2,
         1,
         true},
    };
    for (const Case& c : cases) {
        DockRowLayout p = Panel(400, c.rows);
        p.rowsMayChange = !c.locked;
        p.designing = c.designing;
        int across = c.across, thickness = 26;
        p.MoveAcrossRows(c.id, across, thickness);
        EXPECT_EQ(p.RowCount(), c.rowCount) << c.name;
        EXPECT_EQ(p.RowOf(c.id), c.rowOfMoved) << c.name;
        EXPECT_EQ(p.ToolBar(c.id).row, c.rowOfMoved) << c.name;
        EXPECT_EQ(across, p.ToolBar(c.id).across) << c.name;
        EXPECT_EQ(across, p.Row(c.rowOfMoved).acrossStart) << c.name;
    }
}

TEST(DockRows, JoiningAMenuBarRowOpensANewRowInstead)
{
    DockRowLayout p = Panel(400, {{}, {60, 60}});
    RowToolBar menu = Bar(60);
    menu.menuBar = true;
    p.AddToolBar(0, p.AddToolBarRecord(menu));
    int across = 10, thickness = 26;
    p.MoveAcrossRows(1, across, thickness);
    EXPECT_EQ(p.RowCount(), 3);
    EXPECT_EQ(p.RowOf(1), 0);
    EXPECT_EQ(p.RowOf(2), 1);
}

TEST(DockRows, NewThicknessRelaysTheRows)
{
    DockRowLayout p = Panel(400, {{60}, {60}});
    int across = 1, thickness = 40;
    p.MoveAcrossRows(0, across, thickness);
    EXPECT_EQ(p.Row(1).acrossStart, 1 + 40 + 1);
    EXPECT_EQ(p.DockSize(), 1 + 40 + 1 + 26 + 1);
}

TEST(DockRows, VisibilityLeavesAndRejoinsRows)
{
    DockRowLayout p = Panel(400, {{60}, {60}});
    p.VisibilityChanged(1, false);
    EXPECT_EQ(p.RowCount(), 1);
    EXPECT_EQ(p.ToolBar(1).row, -1);
    p.VisibilityChanged(1, true);
    EXPECT_EQ(p.RowCount(), 2);
    EXPECT_EQ(p.RowOf(1), 1);
    p.rowsMayChange = false;
    p.VisibilityChanged(1, false);
    EXPECT_EQ(p.RowCount(), 2); // locked: the empty row stays
    p.VisibilityChanged(1, true);
    EXPECT_EQ(p.RowOf(1), 1); // into the last row
}

// ---- floating rows -----------------------------------------------------------------------

TEST(FloatingRows, SixButtonsInTwoRows)
{
    FloatingControls c;
    c.lengths = {24, 24, 24, 24, 24, 24};
    int w = 0, h = 0;
    ASSERT_TRUE(FloatingSizeFor(c, 2, w, h));
    EXPECT_EQ(w, 76);
    EXPECT_EQ(h, 68);
    ASSERT_TRUE(FloatingSizeFor(c, 1, w, h));
    EXPECT_EQ(h, 26 + 16);
    EXPECT_GE(w - 4, 6 * 24);
}

TEST(FloatingRows, CountsOutsideTheUsableRangeAreRefused)
{
    FloatingControls c;
    c.lengths = {24, 24, 24, 24, 24, 24};
    // Rows of 60: two buttons of 24 fit from x = 2 (26, 50), the third starts a new row.
    EXPECT_EQ(MaxFloatingRows(c), 3);
    int w = -1, h = -1;
    EXPECT_FALSE(FloatingSizeFor(c, 0, w, h));
    EXPECT_FALSE(FloatingSizeFor(c, -1, w, h));
    EXPECT_FALSE(FloatingSizeFor(c, 4, w, h));
    EXPECT_EQ(w, -1);
    EXPECT_TRUE(FloatingSizeFor(c, 3, w, h));
    EXPECT_EQ(h, 3 * 26 + 16);
    // A row filled exactly by the last control does not count a row of nothing.
    c.lengths = {58};
    EXPECT_EQ(MaxFloatingRows(c), 1);
    c.lengths = {};
    EXPECT_EQ(MaxFloatingRows(c), 1);
}

} // namespace
