// The rules of key tips: which keys type, how typed text compares with a tip, the button rows
// of a page's toolbar and where each row's tips go.
#include "toolbar/KeyTipRules.h"

#include <gtest/gtest.h>

using namespace toolbar;

TEST(KeyTipRules, LettersAndDigitsType)
{
    for (int k : {'0', '9', 'A', 'Z', 'a', 'z'})
        EXPECT_TRUE(IsKeyTipKey(k)) << k;
    for (int k : {'0' - 1, '9' + 1, 'A' - 1, 'Z' + 1, 'a' - 1, 'z' + 1, 27, 37})
        EXPECT_FALSE(IsKeyTipKey(k)) << k;
}

TEST(KeyTipRules, TypedTextAgainstATip)
{
    struct Case {
        const char* tip;
        const char* typed;
        KeyTipMatch expected;
    } cases[] = {
        {"FA", "F", KeyTipMatch::Prefix},  {"FA", "f", KeyTipMatch::Prefix},
        {"fa", "FA", KeyTipMatch::Exact},  {"FA", "FB", KeyTipMatch::Differs},
        {"FA", "X", KeyTipMatch::Differs}, {"F", "FA", KeyTipMatch::Differs},
        {"", "", KeyTipMatch::Differs},    {"", "F", KeyTipMatch::Differs},
        {"H", "H", KeyTipMatch::Exact},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchKeyTipText(c.tip, c.typed), c.expected) << c.tip << " / " << c.typed;
}

TEST(KeyTipRules, RowsOfButtons)
{
    struct Case {
        std::vector<int> tops;
        int rows[3];
    } cases[] = {
        {{2, 24, 46}, {2, 24, 46}},
        {{2, 4, 6, 24, 27, 46}, {2, 24, 46}}, // within 4 pixels: the same row
        {{46, 24, 2}, {24, 2, 46}},           // one ordering pass only
        {{2, 24, 46, 68}, {2, 24, 46}},       // a fourth row is passed over
        {{-5, 10}, {10, -100, -100}},         // negative tops are left out
        {{}, {-100, -100, -100}},
        {{30, 2}, {2, 30, -100}},
    };
    for (const Case& c : cases) {
        const KeyTipRows r = ComputeRowTops(c.tops);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(r.top[i], c.rows[i]) << i;
    }
}

TEST(KeyTipRules, PlacesByRow)
{
    const KeyTipRows three = ComputeRowTops({2, 24, 46});
    const KeyTipRows two = ComputeRowTops({2, 24});
    // A toolbar 90 high with a 15-pixel caption: 60 and more is a large button.
    EXPECT_EQ(KeyTipPlaceFor(three, 2, 60, 90, 15), KeyTipPlace::Bottom);
    EXPECT_EQ(KeyTipPlaceFor(three, 2, 20, 90, 15), KeyTipPlace::TopLeft);
    EXPECT_EQ(KeyTipPlaceFor(three, 25, 20, 90, 15), KeyTipPlace::Left);
    EXPECT_EQ(KeyTipPlaceFor(three, 46, 20, 90, 15), KeyTipPlace::BottomLeft);
    EXPECT_EQ(KeyTipPlaceFor(two, 6, 20, 90, 15), KeyTipPlace::AboveTopLeft);
    EXPECT_EQ(KeyTipPlaceFor(two, 24, 20, 90, 15), KeyTipPlace::BelowBottomLeft);
    EXPECT_EQ(KeyTipPlaceFor(two, 40, 20, 90, 15), KeyTipPlace::BottomLeft);
}
