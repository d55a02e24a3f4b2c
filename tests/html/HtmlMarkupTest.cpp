// The markup routines: numbers, colours, entities, placeholders, line breaks and plain text.
#include "html/HtmlMarkup.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace html {
namespace {

TEST(HtmlMarkupTest, ParseIntValueReadsLeadingDigits)
{
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"", 0},     {"12\"", 12}, {"-25x", 25}, {"+7", 7},  {"  42", 42}, {"$1F", 31},
        {"x10", 16}, {"0x1a", 26}, {"0X1A", 26}, {"abc", 0}, {"3.5", 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseIntValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(HtmlMarkupTest, ParseIntValueSaturatesLongDigitRuns)
{
    // The value of an endless digit run is the largest int, the same on every call.
    const std::string digits(400, '9');
    EXPECT_EQ(ParseIntValue(digits), INT_MAX);
    EXPECT_EQ(ParseIntValue("$" + std::string(40, 'F')), INT_MAX);
    EXPECT_EQ(ParseIntValue("2147483647"), INT_MAX);
    EXPECT_EQ(ParseIntValue("2147483646"), INT_MAX - 1);
}

TEST(HtmlMarkupTest, PositionsAreOneBasedAndCaseRulesHold)
{
    EXPECT_EQ(PosNoCase("amp", "x&AMP;"), 3);
    EXPECT_EQ(PosNoCase("zz", "abc"), 0);
    EXPECT_EQ(PosNoCase("", "abc"), 0);
    int p = -1;
    EXPECT_EQ(PosStore("B", "abcB", p), 4);
    EXPECT_EQ(p, 4);
    EXPECT_EQ(PosStore("b", "aB", p), 0);
    EXPECT_EQ(p, 0);

    std::string s = "a&amp;b";
    EXPECT_TRUE(ReplaceFirstNoCase("&AMP;", "+", s));
    EXPECT_EQ(s, "a+b");
    EXPECT_FALSE(ReplaceFirstNoCase("&AMP;", "+", s));
    EXPECT_EQ(s, "a+b");
}

TEST(HtmlMarkupTest, ColoursFromHexAndNames)
{
    struct Case {
        const char* value;
        HtmlColor color;
    } cases[] = {
        {"#FF0000", 0x0000FF},    {"#00FF00", 0x00FF00},        {"#0000FF", 0xFF0000},
        {"#102030", 0x302010},    {"clRed", 0x0000FF},          {"CLNAVY", 0x800000},
        {"clteal", 0x808000},     {"cl3ddkshadow", 0xFF000015}, {"clbtnface", 0xFF00000F},
        {"clinfobk", 0xFF000018}, {"clhighlight", 0xFF00000D},  {"clnosuchcolour", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseColorValue(c.value), c.color) << c.value;
    EXPECT_EQ(HexPairToInt("A"), 0);
    EXPECT_EQ(HexPairToInt("7F"), 127);
    EXPECT_EQ(ParseColorName("clRed"), 0u); // names are looked up lower-cased
}

TEST(HtmlMarkupTest, EntitiesDecodeToTheAnsiCodePage)
{
    struct Case {
        const char* text;
        const char* decoded;
    } cases[] = {
        {"&amp;", "&&"},
        {"&AMP;", "&&"},
        {"&quot;", "\""},
        {"&sect;", "\xA7"},
        {"&permil;", "\x89"},
        {"&reg;", "\xAE"},
        {"&copy;", "\xA9"},
        {"&para;", "\xB6"},
        {"&trade;", "\x99"},
        {"&euro;", "\x80"},
        {"&Euro;&euro;", "\x80\x80"},
        // An encoded ampersand followed by an entity's letters decodes further.
        {"&amp;quot;", "&\""},
        {"&amp;amp;", "&&&"},
        // Unknown and numeric entities stay as text, and so do the per-run ones.
        {"&hellip;&#65;", "&hellip;&#65;"},
        {"&nbsp;&lt;&gt;", "&nbsp;&lt;&gt;"},
        // Ends inside an entity.
        {"a&am", "a&am"},
        {"&", "&"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeEntities(c.text), c.decoded) << c.text;

    EXPECT_EQ(DecodeRunEntities("a&nbsp;b&LT;c&gt;"), "a b<c>");
    EXPECT_EQ(DecodeRunEntities("&lt"), "&lt");
}

TEST(HtmlMarkupTest, PlaceholdersAndLineBreaks)
{
    EXPECT_EQ(StripPlaceholderTags("a<#name>b<#other>c"), "a#nameb<#other>c");
    EXPECT_EQ(StripPlaceholderTags("a<#name"), "a#name");
    EXPECT_EQ(StripPlaceholderTags("plain"), "plain");

    EXPECT_EQ(LineBreaksToBrTags("a\r\nb", true), "a<BR>b");
    EXPECT_EQ(LineBreaksToBrTags("a\r\nb", false), "ab");
    EXPECT_EQ(LineBreaksToBrTags("a\nb\r", true), "ab<BR>");

    // Entities, then the first placeholder, then line breaks.
    EXPECT_EQ(PrepareHtmlText("&quot;<#x>\r\n<#y>\n"), "\"#x<BR><#y>");
}

TEST(HtmlMarkupTest, StripHtmlTagsKeepsTheTextAroundTags)
{
    struct Case {
        const char* html;
        const char* plain;
    } cases[] = {
        {"a<BR>b", "a\r\nb"},
        {"a<br>b<hr>c", "a\r\nb\r\nc"},
        {"<b>bold</b> text", "bold text"},
        {"x<z>hidden</z>y", "xy"},
        {"x<Z>hidden</Z>y", "xy"},
        // Each hidden pair matches its own case only.
        {"x<z>hidden</Z>y", "xhiddeny"},
        // An unclosed hidden section: the tag goes, the text after it stays.
        {"before<z>after", "beforeafter"},
        // A "<" without ">" stays with what follows it.
        {"a<b>c<d", "ac<d"},
        {"keep &amp; entities", "keep &amp; entities"},
        {"", ""},
        {"<", "<"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StripHtmlTags(c.html), c.plain) << c.html;
}

TEST(HtmlMarkupTest, AttributeValuesAreQuotedAndFoundBySubstring)
{
    bool found = false;
    EXPECT_EQ(AttributeValue(R"(<FONT FACE="Arial" COLOR="clred">)", "face", &found), "Arial");
    EXPECT_TRUE(found);
    EXPECT_EQ(AttributeValue(R"(<P BGCOLORTO="a" BGCOLOR="b">)", "BGCOLOR"), "a");
    EXPECT_EQ(AttributeValue(R"(<P ALIGN=right>)", "ALIGN", &found), "");
    EXPECT_TRUE(found);
    EXPECT_EQ(AttributeValue(R"(<P ALIGN="right)", "ALIGN"), "");
    EXPECT_EQ(AttributeValue("<P>", "ALIGN", &found), "");
    EXPECT_FALSE(found);
}

} // namespace
} // namespace html
