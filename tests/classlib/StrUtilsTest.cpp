#include "core/StrUtils.h"

#include <gtest/gtest.h>

using namespace classlib;

TEST(StrUtils, PosFindsOneBasedPositionOrZero)
{
    struct Case {
        const char* needle;
        const char* haystack;
        int expected;
    };
    const Case cases[] = {
        {"lo", "hello", 4}, {"h", "hello", 1},      {"x", "hello", 0},
        {"", "hello", 0},   {"hello!", "hello", 0}, {"a", "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Pos(c.needle, c.haystack), c.expected) << c.needle << " in " << c.haystack;
}

TEST(StrUtils, CopyClampsOutOfRangeArguments)
{
    struct Case {
        int index;
        int count;
        const char* expected;
    };
    const Case cases[] = {
        {1, 3, "abc"}, {4, 10, "def"}, {0, 2, "ab"}, {-5, 1, "a"},
        {7, 1, ""},    {2, 0, ""},     {2, -1, ""},  {6, 1, "f"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Copy("abcdef", c.index, c.count), c.expected) << c.index << "," << c.count;
}

TEST(StrUtils, DeleteAndInsertTolerateOutOfRangeArguments)
{
    struct Case {
        int index;
        int count;
        const char* afterDelete;
    };
    const Case deletes[] = {{2, 2, "adef"}, {5, 9, "abcd"}, {0, 2, "abcdef"}, {7, 1, "abcdef"}};
    for (const auto& c : deletes) {
        std::string s = "abcdef";
        Delete(s, c.index, c.count);
        EXPECT_EQ(s, c.afterDelete) << c.index << "," << c.count;
    }
    struct InsertCase {
        int index;
        const char* expected;
    };
    const InsertCase inserts[] = {
        {1, "XYabc"}, {2, "aXYbc"}, {4, "abcXY"}, {99, "abcXY"}, {-3, "XYabc"}};
    for (const auto& c : inserts) {
        std::string s = "abc";
        Insert("XY", s, c.index);
        EXPECT_EQ(s, c.expected) << c.index;
    }
}
