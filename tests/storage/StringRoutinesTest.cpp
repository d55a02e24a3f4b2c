// String routines: replacement, splitting, searching, prefixes and the character tables.
#include "BcErrors.h"
#include "BcStrings.h"
#include "core/StringList.h"

#include <gtest/gtest.h>

using namespace bcl;

TEST(StringRoutines, ReplaceText)
{
    struct Case {
        std::string text;
        std::string search;
        const char* replacement;
        unsigned flags;
        std::string expected;
    };
    const Case cases[] = {
        {"abcabc", "bc", "X", 0, "aXabc"},
        {"abcabc", "bc", "X", rtReplaceAll, "aXaX"},
        {"abcabc", "BC", "X", rtIgnoreCase, "aXabc"},
        {"aBcAbC", "bc", "-", rtIgnoreCase | rtReplaceAll, "a-A-"},
        {"abcabc", "BC", "X", 0, "abcabc"},
        {"aaa", "aa", "b", rtReplaceAll, "ba"},
        {"abcabc", "b", "", rtReplaceAll, "acac"},
        {"abc", "c", "LONGER", rtReplaceAll, "abLONGER"},
        {"aaaa", "a", "bb", rtReplaceAll, "bbbbbbbb"},
        {"abab", "abc", "X", rtReplaceAll, "abab"},
        {"ab", "abc", "X", 0, "ab"},
        {"", "x", "y", 0, ""},
        {"", "", "y", 0, "y"},
        // Zero characters are ordinary characters: the text after one is scanned too.
        {std::string("a\0bcbc", 6), "bc", "X", rtReplaceAll, std::string("a\0XX", 4)},
        {std::string("\0\0", 2), std::string("\0", 1), "z", 0, std::string("z\0", 2)},
        {"x\\%form_name%\\y", "%FORM_NAME%", "Main", rtIgnoreCase | rtReplaceAll, "x\\Main\\y"},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        ReplaceText(text, c.search, c.replacement, c.flags);
        EXPECT_EQ(text, c.expected) << c.text << " / " << c.search << " / flags " << c.flags;
    }
}

TEST(StringRoutines, ReplaceTextProcessesTheWholeLengthWithEmbeddedZeros)
{
    std::string text("x\0x\0x", 5);
    ReplaceText(text, "x", "yy", rtReplaceAll);
    EXPECT_EQ(text, std::string("yy\0yy\0yy", 8));
}

TEST(StringRoutines, ReplaceTextRefusesAnEmptySearchInANonEmptyText)
{
    std::string text = "abc";
    try {
        ReplaceText(text, "", "x", rtReplaceAll);
        FAIL() << "no exception";
    } catch (const EBcStringError& e) {
        EXPECT_STREQ(e.what(), "Search string cannot be blank");
    }
    EXPECT_EQ(text, "abc");
}

TEST(StringRoutines, SplitToList)
{
    using List = std::vector<std::string>;
    struct Case {
        const char* text;
        const char* separator;
        bool keepEmpty;
        List expected;
    };
    const Case cases[] = {
        {"a,,b", ",", true, {"a", "", "b"}},
        {"a,,b", ",", false, {"a", "b"}},
        {"a,", ",", true, {"a"}},
        {",a", ",", true, {"", "a"}},
        {",a", ",", false, {"a"}},
        {"", ",", true, {}},
        {"a..b..", "..", true, {"a", "b"}},
        {"abc", ",", false, {"abc"}},
    };
    for (const auto& c : cases) {
        classlib::TStringList list;
        list.Add("stale");
        SplitToList(c.text, c.separator, list, c.keepEmpty);
        List items;
        for (int i = 0; i < list.Count(); ++i)
            items.push_back(list[i]);
        EXPECT_EQ(items, c.expected) << c.text << " keepEmpty " << c.keepEmpty;
    }
}

TEST(StringRoutines, SearchesIgnoringCase)
{
    EXPECT_EQ(FindTextFrom("%FORM_NAME%", "x\\%form_name%\\y", 1), 3);
    EXPECT_EQ(FindTextFrom("%FORM_NAME%", "%form_name%x%FORM_NAME%", 2), 13);
    EXPECT_EQ(FindTextFrom("b", "abc", 3), 0);
    EXPECT_EQ(FindTextFrom("", "abc", 1), 0);
    EXPECT_EQ(FindTextFrom("a", "", 1), 0);
    EXPECT_EQ(FindTextNoCase("C", "abc"), 3);
    EXPECT_EQ(FindTextNoCase("d", "abc"), 0);
}

TEST(StringRoutines, PrefixesSuffixesAndCuts)
{
    EXPECT_EQ(EnsureSuffix("\\", "a\\"), "a\\");
    EXPECT_EQ(EnsureSuffix("\\", "a"), "a\\");
    EXPECT_EQ(EnsurePrefix("\\", "a"), "\\a");
    EXPECT_EQ(EnsurePrefix("\\", "\\a"), "\\a");
    EXPECT_EQ(RemovePrefixIfPresent("ab", "abc"), "c");
    EXPECT_EQ(RemovePrefixIfPresent("AB", "abc"), "abc");
    EXPECT_EQ(LeftChars("abc", 2), "ab");
    EXPECT_EQ(LeftChars("abc", 9), "abc");
    EXPECT_EQ(LeftChars("abc", -1), "");
    EXPECT_EQ(CharsFrom("abc", 2), "bc");
    EXPECT_EQ(CharsFrom("abc", 4), "");
    std::string zeroed("ab\0cd", 5);
    CutAtZeroChar(zeroed);
    EXPECT_EQ(zeroed, "ab");
    std::string dest = "xxxxx";
    CopyCharsInto("abc", 1, dest, 3, 2);
    EXPECT_EQ(dest, "xxxbc");
}

TEST(StringRoutines, CharacterTablesClassifyAndMapAscii)
{
    EXPECT_TRUE(IsUpperChar('Q'));
    EXPECT_FALSE(IsUpperChar('q'));
    EXPECT_TRUE(IsLowerChar('q'));
    EXPECT_TRUE(IsDigitChar('7'));
    EXPECT_FALSE(IsDigitChar('x'));
    EXPECT_TRUE(IsHexDigitChar('f'));
    EXPECT_TRUE(IsHexDigitChar('C'));
    EXPECT_FALSE(IsHexDigitChar('g'));
    EXPECT_EQ(TableUpperChar('a'), 'A');
    EXPECT_EQ(TableUpperChar('1'), '1');
    std::string text = "aB1_z";
    MapCaseInPlace(text, cbToggle);
    EXPECT_EQ(text, "Ab1_Z");
    MapCaseInPlace(text, cbLower);
    EXPECT_EQ(text, "ab1_z");
    EXPECT_EQ(UpperCaseCopy("Settings.ini"), "SETTINGS.INI");
}
