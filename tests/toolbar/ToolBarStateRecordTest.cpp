// A toolbar's own state record: a floating toolbar's keys and their round trip (its size is
// written but never read back), a toolbar that docked again no longer floats, a floating state
// stored under another name is ignored, and the named controls' visibility.
#include "toolbar/ToolBarStateRecord.h"

#include "TextLayoutValues.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace toolbar;

namespace {

ToolBarStateValues Floating()
{
    ToolBarStateValues v;
    v.state = 1;
    v.floatingRows = 2;
    v.left = 300;
    v.top = 240;
    v.width = 120;
    v.height = 70;
    v.controls = {{"Open", true}, {"Save", false}};
    return v;
}

TEST(ToolBarStateRecord, AFloatingToolBarFloatsAgainWhereItWas)
{
    TextValues store;
    WriteToolBarState(store, "Edit", Floating());
    const std::map<std::string, std::string> expected = {
        {"Edit.Name", "Edit"}, {"Edit.State", "1"},   {"Edit.FloatingRows", "2"},
        {"Edit.Left", "300"},  {"Edit.Top", "240"},   {"Edit.Width", "120"},
        {"Edit.Height", "70"}, {"Edit.Visible", "1"}, {"Edit.Open", "1"},
        {"Edit.Save", "0"},
    };
    EXPECT_EQ(store.values, expected);

    ToolBarStateValues now; // docked at (0, 0), one row, both controls shown
    now.controls = {{"Open", true}, {"Save", true}};
    now.width = 500;
    const ToolBarStateRead read = ReadToolBarState(store, "Edit", now);
    EXPECT_TRUE(read.floatAgain);
    EXPECT_EQ(read.floatingRows, 2);
    EXPECT_EQ(read.left, 300);
    EXPECT_EQ(read.top, 240);
    EXPECT_TRUE(read.visible);
    EXPECT_EQ(read.controlsVisible, (std::vector<bool>{true, false}));
}

TEST(ToolBarStateRecord, DockingAgainEndsTheFloatingState)
{
    TextValues store;
    WriteToolBarState(store, "Edit", Floating());
    ToolBarStateValues docked;
    docked.state = 0;
    WriteToolBarState(store, "Edit", docked);
    EXPECT_EQ(store.values["Edit.State"], "0");
    EXPECT_EQ(store.values["Edit.Left"], "300"); // the rest stays as it was
    EXPECT_FALSE(ReadToolBarState(store, "Edit", docked).floatAgain);

    // A docked toolbar never written as floating writes no state at all.
    TextValues fresh;
    WriteToolBarState(fresh, "Edit", docked);
    EXPECT_TRUE(fresh.values.empty());
}

TEST(ToolBarStateRecord, TheStoredNameMustBeTheToolBars)
{
    TextValues store;
    store.values = {{"Edit.Name", "Other"}, {"Edit.State", "1"}, {"Edit.Left", "5"}};
    ToolBarStateValues now;
    now.left = 40;
    ToolBarStateRead read = ReadToolBarState(store, "Edit", now);
    EXPECT_FALSE(read.floatAgain);
    EXPECT_EQ(read.left, 40);
    // The name is compared ignoring case; missing values keep the current ones.
    store.values["Edit.Name"] = "EDIT";
    read = ReadToolBarState(store, "Edit", now);
    EXPECT_TRUE(read.floatAgain);
    EXPECT_EQ(read.left, 5);
    EXPECT_EQ(read.top, 0);
    EXPECT_EQ(read.floatingRows, 1);
}

} // namespace
