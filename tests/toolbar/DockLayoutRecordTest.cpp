// The dock panel's layout record: what is written, and what a hand-written or damaged record
// reads as (huge counts, negative and missing rows, text where numbers belong, sizes out of
// any screen).
#include "toolbar/DockLayoutRecord.h"

#include "TextLayoutValues.h"

#include "core/SysUtils.h"

#include <gtest/gtest.h>

#include <string>

using namespace toolbar;

namespace {

TEST(DockLayoutRecord, WritesTheNamedKeys)
{
    TextValues v;
    WriteStoredCounts(v, 2, 1);
    WriteStoredToolBar(v, 2, "Edit", StoredToolBar{0, 105, 1, 80, 26, false});
    const std::map<std::string, std::string> expected = {
        {"ToolBarCount", "2"}, {"RowCount", "1"},     {"Name2", "Edit"},
        {"Edit.Row", "0"},     {"Edit.Left", "105"},  {"Edit.Top", "1"},
        {"Edit.Width", "80"},  {"Edit.Height", "26"}, {"Edit.Visible", "0"},
    };
    EXPECT_EQ(v.values, expected);
}

TEST(DockLayoutRecord, HandWrittenRecordReads)
{
    TextValues v;
    v.values = {{"ToolBarCount", "1"}, {"RowCount", "2"},   {"Name1", "Main"},
                {"Main.Row", "1"},     {"Main.Left", "40"}, {"Main.Visible", "1"}};
    ASSERT_EQ(ReadStoredToolBarCount(v), 1);
    EXPECT_EQ(ReadStoredRowCount(v, 5, 1), 1); // never more rows than toolbars
    EXPECT_EQ(ReadStoredName(v, 1, "Panel"), "Main");
    EXPECT_EQ(ReadStoredName(v, 2, "Panel"), "Panel");
    const StoredToolBar current{0, 3, 1, 100, 26, true};
    const StoredToolBar bar = ReadStoredToolBar(v, "Main", current, 2);
    EXPECT_EQ(bar.row, 1);
    EXPECT_EQ(bar.left, 40);
    EXPECT_EQ(bar.top, 1); // missing: the current value
    EXPECT_EQ(bar.width, 100);
    EXPECT_TRUE(bar.visible);
}

TEST(DockLayoutRecord, DamagedRecordsGiveASaneLayout)
{
    struct Case {
        const char* name;
        std::map<std::string, std::string> values;
        int toolBars, rows, row, left, width, height;
    } cases[] = {
        {"huge counts",
         {{"ToolBarCount", "2000000000"}, {"RowCount", "99999"}},
         kMaxStoredToolBars,
         kMaxStoredToolBars,
         0,
         3,
         100,
         26},
        {"negative counts and row",
         {{"ToolBarCount", "-4"}, {"RowCount", "-1"}, {"T.Row", "-3"}},
         0,
         0,
         -1,
         3,
         100,
         26},
        {"text where numbers belong",
         {{"ToolBarCount", "many"}, {"T.Row", "first"}, {"T.Width", "wide"}},
         0,
         0,
         0,
         3,
         100,
         26},
        {"row beyond the rows", {{"RowCount", "1"}, {"T.Row", "7"}}, 0, 0, -1, 3, 100, 26},
        {"sizes out of range",
         {{"T.Left", "-99999999"}, {"T.Width", "-5"}, {"T.Height", "1000000"}},
         0,
         0,
         0,
         -kMaxStoredCoordinate,
         0,
         kMaxStoredLength},
    };
    for (const Case& c : cases) {
        TextValues v;
        v.values = c.values;
        const int toolBars = ReadStoredToolBarCount(v);
        EXPECT_EQ(toolBars, c.toolBars) << c.name;
        EXPECT_EQ(ReadStoredRowCount(v, 0, toolBars), c.rows) << c.name;
        const StoredToolBar bar = ReadStoredToolBar(v, "T", StoredToolBar{0, 3, 1, 100, 26, true},
                                                    std::max(1, c.rows == 0 ? 1 : c.rows));
        EXPECT_EQ(bar.row, c.row) << c.name;
        EXPECT_EQ(bar.left, c.left) << c.name;
        EXPECT_EQ(bar.width, c.width) << c.name;
        EXPECT_EQ(bar.height, c.height) << c.name;
    }
}

} // namespace
