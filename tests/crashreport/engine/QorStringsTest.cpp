// The engine's text toolkit: expected values are the examples and rules of its description.
#include "QorStrings.h"

#include <gtest/gtest.h>

#include <string>

using namespace qor;

namespace {

CharSet SetOf(std::string_view characters)
{
    CharSet set;
    for (char c : characters)
        set.set(static_cast<uint8_t>(c));
    return set;
}

} // namespace

TEST(QorStrings, TrimmingRemovesBlanksAndControlCharacters)
{
    EXPECT_EQ(TrimmedCopy(" \t\x01 a b \r\n"), "a b");
    std::string onlyBlanks = "  \t\x1f \n";
    TrimInPlace(onlyBlanks);
    EXPECT_EQ(onlyBlanks, "");
}

TEST(QorStrings, DeletingCharacters)
{
    std::string text = "a-b-c";
    EXPECT_TRUE(DeleteChar(text, '-'));
    EXPECT_EQ(text, "abc");
    EXPECT_FALSE(DeleteChar(text, '-'));

    text = "a1b2c3";
    EXPECT_TRUE(DeleteChars(text, SetOf("123")));
    EXPECT_EQ(text, "abc");
    EXPECT_FALSE(DeleteChars(text, SetOf("xyz")));
}

TEST(QorStrings, CopiesAndCropsClipTheirPositions)
{
    struct Case {
        const char* text;
        int position;
        int count;
        const char* deleted;
        const char* cropped;
    };
    const Case cases[] = {
        {"abcdef", 2, 3, "aef", "bcd"},
        {"abcdef", 5, 10, "abcd", "ef"},  // count clipped at the end
        {"abcdef", 0, 2, "abcdef", "ab"}, // below 1: nothing deleted, cropped from 1
        {"abcdef", 7, 1, "abcdef", ""},   // past the end
        {"abcdef", 3, 0, "abcdef", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " " << c.position << " " << c.count);
        EXPECT_EQ(DeletedCopy(c.text, c.position, c.count), c.deleted);
        std::string cropped = c.text;
        CropInPlace(cropped, c.position, c.count);
        EXPECT_EQ(cropped, c.cropped);
    }
    EXPECT_EQ(RightChars("abcdef", 2), "ef");
    EXPECT_EQ(RightChars("abcdef", 6), "abcdef");
    EXPECT_EQ(RightChars("abcdef", 9), "abcdef");
    EXPECT_EQ(RightChars("abcdef", 0), "");
    EXPECT_EQ(RightChars("abcdef", -1), "");
}

TEST(QorStrings, SubstitutionReplacesEachOccurrence)
{
    struct Case {
        const char* text;
        const char* search;
        const char* replacement;
        bool rescan;
        bool ignoreCase;
        const char* result;
        bool found;
    };
    const Case cases[] = {
        {"a.b.c", ".", "::", false, false, "a::b::c", true},
        {"aaaa", "aa", "a", false, false, "aa", true}, // every non-overlapping occurrence once
        {"|x|x|", "|x|", "|", true, false, "|", true}, // a replacement completes a new occurrence
        {"|x|x|", "|x|", "|", false, false, "|x|", true},
        {"abcabc", "ABC", "x", false, true, "xx", true},
        {"abcabc", "ABC", "x", false, false, "abcabc", false},
        {"abc", "", "x", false, false, "abc", false},
        {"abb", "ab", "xa", true, false, "xxa",
         true}, // longer replacement: continues at its second character
        {"abb", "ab", "xa", false, false, "xab", true},
        // A replacement that holds the search text is made in one pass, with or without rescan.
        {"a-a", "a", "aa", true, false, "aa-aa", true},
        {"a-a", "a", "a", true, false, "a-a", true},
        {"x", "x", "yx", true, false, "yx", true},
        {"Ab-ab", "ab", "[AB]", true, true, "[AB]-[AB]", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " / " << c.search << " / " << c.replacement);
        std::string text = c.text;
        const bool found = c.ignoreCase ? SubstText(text, c.search, c.replacement, c.rescan)
                                        : SubstStr(text, c.search, c.replacement, c.rescan);
        EXPECT_EQ(found, c.found);
        EXPECT_EQ(text, c.result);
    }
}

TEST(QorStrings, CaseMappingFollowsItsTables)
{
    EXPECT_EQ(UpperStr("abz\xE4\xF6\xFC\xE9"),
              "ABZ\xC4\xD6\xDC\xE9"); // only these accented letters
    EXPECT_EQ(LowerStr("ABZ\xC4\xD6\xDC\xC9"), "abz\xE4\xF6\xFC\xC9");
    struct Case {
        unsigned char upper;
        unsigned char lower;
    };
    const Case table[] = {{'A', 'a'},   {'Z', 'z'},   {0x8A, 0x9A}, {0x8C, 0x9C},
                          {0x8E, 0x9E}, {0x9F, 0xFF}, {0xC0, 0xE0}, {0xDE, 0xFE},
                          {0xD7, 0xD7}, {0xDF, 0xDF}, {'[', '['}};
    for (const Case& c : table)
        EXPECT_EQ(static_cast<unsigned char>(LowerChar(static_cast<char>(c.upper))), c.lower)
            << int(c.upper);
    EXPECT_EQ(SignText(true), "+");
    EXPECT_EQ(SignText(false), "-");
}

TEST(QorStrings, CaseInsensitiveComparison)
{
    EXPECT_TRUE(TextMatches("Hello\xC9", "hELLO\xE9"));
    EXPECT_FALSE(TextMatches("abc", "abcd"));
    EXPECT_TRUE(TextMatches("", ""));
    EXPECT_EQ(TextOrder("abc", "ABCD"), -1);
    EXPECT_EQ(TextOrder("ABC", "abc"), 0);
    EXPECT_EQ(TextOrder("abd", "ABC"), 1);
    EXPECT_EQ(TextOrder("a\xFF", "a\x01"), 0xFF - 1); // bytes compare as unsigned
}

TEST(QorStrings, SearchingForwardsAndBackwards)
{
    //                       123456789
    const std::string text = "abcabcabc";
    EXPECT_EQ(FindStr("abc", text, 1, 9), 1);
    EXPECT_EQ(FindStr("abc", text, 2, 9), 4);
    EXPECT_EQ(FindStr("abc", text, 5, 1), 4); // last occurrence starting at 5 or before
    EXPECT_EQ(FindStr("abc", text, 9, 1), 7);
    EXPECT_EQ(FindStr("abc", text, 8, 8), 0);
    EXPECT_EQ(FindStr("abc", text, 0, 9), 0);
    EXPECT_EQ(FindStr("abc", text, 1, 0), 0);
    EXPECT_EQ(FindStr("", text, 1, 9), 0);
    EXPECT_EQ(FindStr("ABC", text, 1, 9), 0);
    EXPECT_EQ(FindText("ABC", text, 2, 9), 4);
    EXPECT_EQ(FindStr("abcd", "abc", 1, 3), 0);

    EXPECT_EQ(FindInBuffer("bc", "abcabc", 0, 0, false, 0, 5), 1); // zero-terminated buffers
    EXPECT_EQ(FindInBuffer("BC", "abcabc", 2, 6, true, 5, 0), 4);
    EXPECT_EQ(FindInBuffer("bc", "abcabc", 2, 6, false, -3, 5), 1); // offsets clipped to the text
    EXPECT_EQ(FindInBuffer("bc", "abcabc", 2, 6, false, 20, -4), 4);
    EXPECT_EQ(FindInBuffer(nullptr, "abc", 1, 3, false, 0, 2), -1);
    EXPECT_EQ(FindInBuffer("x", "abc", 1, 3, false, 0, 2), -1);

    EXPECT_TRUE(StartsWithStr("", "abc"));
    EXPECT_TRUE(StartsWithStr("ab", "abc"));
    EXPECT_TRUE(StartsWithStr("abc", "abc"));
    EXPECT_FALSE(StartsWithStr("abcd", "abc"));
    EXPECT_FALSE(StartsWithStr("AB", "abc"));
    EXPECT_TRUE(StartsWithText("AB", "abc"));
}

TEST(QorStrings, FindCharOfClipsItsBounds)
{
    const CharSet digits = SetOf("0123456789");
    EXPECT_EQ(FindCharOf(digits, "ab1cd2", 1, 6), 3);
    EXPECT_EQ(FindCharOf(digits, "ab1cd2", 6, 1), 6);
    EXPECT_EQ(FindCharOf(digits, "ab1cd2", 5, 1), 3);
    EXPECT_EQ(FindCharOf(digits, "ab1cd2", -4, 99), 3);
    EXPECT_EQ(FindCharOf(digits, "abcdef", 1, 6), 0);
    EXPECT_EQ(FindCharOf(digits, "", 1, 6), 0);
}

TEST(QorStrings, PaddingAndNumberFormatting)
{
    EXPECT_EQ(PadStr("ab", 4, '*'), "**ab");
    EXPECT_EQ(PadStr("ab", -4, '*'), "ab**");
    EXPECT_EQ(PadStr("abcdefghij", 4, '*'), "abcdefghij"); // never shortened
    EXPECT_EQ(FormatInt(-5, 4, '0'), "-005");
    EXPECT_EQ(FormatInt(-5, 4, ' '), "  -5");
    EXPECT_EQ(FormatInt(7, -3, '0'), "700");
    EXPECT_EQ(FormatInt(-2147483647 - 1, 0, ' '), "-2147483648");
    EXPECT_EQ(FormatCardinal(4294967295u, 12, '0'), "004294967295");
    EXPECT_EQ(FormatInt64(-9223372036854775807LL - 1, 1, '0'), "-9223372036854775808");

    EXPECT_EQ(FormatHex(0x1F4, 1, '0'), "$1f4");
    EXPECT_EQ(FormatHex(0x1F4, 8, '0'), "$000001f4");
    EXPECT_EQ(FormatHex(0x1F4, 8, ' '), "     $1f4");
    EXPECT_EQ(FormatHex(0, 1, '0'), "$0");
    EXPECT_EQ(FormatHex(static_cast<uint32_t>(-1), 0, '0'), "$ffffffff");
    EXPECT_EQ(FormatHex(0x1F4, -5, '0'), "$1f400"); // a negative length pads after the digits
    EXPECT_EQ(FormatHex64(0x12300000004ULL, 1, '0'), "$12300000004");
    EXPECT_EQ(FormatHex64(0x4ULL, 3, '0'), "$004");
}

TEST(QorStrings, ParseIntBufReadsWithoutValidation)
{
    struct Case {
        bool hex;
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {false, "1234", 1234}, {false, "-42", -42},    {false, "1A", 20},
        {true, "1A", 26},      {true, "ff", 255},      {true, "-10", -16},
        {false, "4x", 40},     {true, "100000000", 0}, {true, "ffffffff", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseIntBuf(c.hex, c.text, static_cast<int>(std::string_view(c.text).size())),
                  c.value)
            << c.text;
    EXPECT_EQ(ParseIntBuf(false, nullptr, 3), 0);
    EXPECT_EQ(ParseIntBuf(false, "12", 0), 0);
}

TEST(QorStrings, DelimitedLists)
{
    std::string list = "  a | b ||c |";
    TidyList(list, '|');
    EXPECT_EQ(list, "a|b|c");
    list = "| one two |\t|";
    TidyList(list, '|');
    EXPECT_EQ(list, "one two");
    list = " | \x01 ";
    TidyList(list, '|');
    EXPECT_EQ(list, "");

    EXPECT_EQ(ListItemCount("a||b", '|'), 3);
    EXPECT_EQ(ListItemCount("", '|'), 0);
    EXPECT_EQ(ListItem("a||b", 2, '|'), "");
    EXPECT_EQ(ListItem("a||b", 3, '|'), "b");
    EXPECT_EQ(ListItem("a||b", 4, '|'), "");
    EXPECT_EQ(ListItem("a||b", 0, '|'), "");
    EXPECT_TRUE(ListHasText("modules|processes", "PROCESSES", '|'));
    EXPECT_FALSE(ListHasItem("modules|processes", "PROCESSES", '|'));
    EXPECT_TRUE(ListHasItem("modules|processes", "modules", '|'));
    EXPECT_FALSE(ListHasItem("modules|processes", "process", '|'));
    EXPECT_FALSE(ListHasItem("xmodules|modulesx", "modules", '|'));
    EXPECT_TRUE(ListHasItem("xmodules|modules", "modules", '|'));
    EXPECT_FALSE(ListHasItem("a||b", "", '|'));
}

TEST(QorStrings, SizeToTextScalesByThousandTwentyFour)
{
    const std::string point(1, LocaleDecimalSeparator());
    struct Case {
        int64_t bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 Bytes"},        {1023, "1023 Bytes"},
        {-1023, "1023 Bytes"}, {1024, "1.00 KB"},
        {1536, "1.50 KB"},     {1048575, "1023.99 KB"},
        {1048576, "1.00 MB"},  {1073741824, "1.00 GB"},
        {-1536, "1.50 KB"},    {5LL * 1073741824 + 536870912, "5.50 GB"},
    };
    for (const Case& c : cases) {
        std::string expected = c.text;
        if (const size_t dot = expected.find('.'); dot != std::string::npos)
            expected.replace(dot, 1, point);
        EXPECT_EQ(SizeToText(c.bytes), expected) << c.bytes;
    }
}

TEST(QorStrings, ErrorCodeTextIsOneLine)
{
    for (uint32_t code : {2u, 5u, 0xC0000005u, 2102u}) {
        const std::string text = ErrorCodeText(code);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_EQ(text.find('\r'), std::string::npos) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    }
    // A code no message table knows.
    EXPECT_EQ(ErrorCodeText(0x1234567), "Error $1234567");
#ifdef _WIN32
    // The system's texts: a status code reads as the error it converts to (an access
    // violation as ERROR_NOACCESS, 998).
    EXPECT_NE(ErrorCodeText(2).rfind("Error $", 0), 0u) << ErrorCodeText(2);
    EXPECT_EQ(ErrorCodeText(0xC0000005u), ErrorCodeText(998));
#endif
}

TEST(QorStrings, WideningAndNarrowing)
{
    EXPECT_EQ(WidenText("a\xE9", false), std::string("a\0\xE9\0", 4));
    EXPECT_EQ(WidenText("a", true), std::string("a\0\0\0", 4));
    EXPECT_EQ(NarrowText(u"ab\u00E9\u0141"), "ab\xE9\x41"); // the low byte of each code unit
    EXPECT_EQ(NarrowText(nullptr), "");
}

TEST(QorStrings, QorExceptionCarriesItsMessage)
{
    try {
        throw QorException("Stream write error.");
    } catch (const QorException& e) {
        EXPECT_EQ(e.Message(), "Stream write error.");
    }
}
