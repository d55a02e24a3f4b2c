// The task dialog's text rules: line-break escapes, line splitting with headings, the links it
// hands to the shell, and the summary that Ctrl+C copies.
#include "panels/TaskDialogText.h"

#include "core/StringList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace panels;

namespace {

struct EscapeCase {
    const char* text;
    const char* expanded;
};

TEST(TaskDialogText, ExpandNewlineEscapes)
{
    const EscapeCase cases[] = {
        {"one\\ntwo", "one\ntwo"},             // backslash-n between two words: two lines
        {"one\\\\ntwo", "one\\ntwo"},          // two backslashes: the characters backslash, n
        {"a\\nb\\\\nc", "a\\nb\\nc"},          // with a triple present only triples change
        {"C:\\new\\fw.hex", "C:\new\\fw.hex"}, // the rule itself: a path breaks (why the
                                               // expanded text does not go through it)
        {"", ""},
        {"plain", "plain"},
    };
    for (const EscapeCase& c : cases)
        EXPECT_EQ(ExpandNewlineEscapes(c.text), c.expanded) << c.text;
}

std::vector<std::string> Split(const std::string& text)
{
    classlib::TStringList lines;
    SplitTaskLines(text, &lines);
    std::vector<std::string> out;
    for (int i = 0; i < lines.Count(); ++i)
        out.push_back(lines.Strings(i));
    return out;
}

TEST(TaskDialogText, SplitTaskLinesTrimsEachPiece)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(Split("Heading\\nBody text"), (Lines{"Heading", "Body text"}));
    EXPECT_EQ(Split("  Heading  \\n  first \\n second  "), (Lines{"Heading", "first", "second"}));
    EXPECT_EQ(Split("Heading\rBody"), (Lines{"Heading", "Body"}));
    EXPECT_EQ(Split("  no breaks  "), (Lines{"  no breaks  "})); // appended whole
    EXPECT_EQ(Split(""), Lines{});
    SplitTaskLines("a\\nb", nullptr); // no list: nothing happens
    EXPECT_EQ(TrimTaskText("  inner text  "), "inner text");
    EXPECT_EQ(TrimTaskText("   "), "");
}

TEST(TaskDialogText, LineBreaksForTheRenderer)
{
    EXPECT_EQ(LineBreaksToHtml("a\\nb\nc", true), "a<br>b<br>c");
    EXPECT_EQ(LineBreaksToHtml("C:\\new\\fw.hex\nnext", false), "C:\\new\\fw.hex<br>next");
    EXPECT_EQ(EscapesToCarriageReturns("a\\nb"), "a\rb");
}

TEST(TaskDialogText, OnlyWebLinksGoToTheShell)
{
    struct LinkCase {
        const char* link;
        bool web;
    };
    const LinkCase cases[] = {
        {"http://example.com/", true},
        {"HTTPS://example.com/a?b=c", true},
        {"ftp://host/file", true},
        {"mailto:someone@example.com", true},
        {"file://C:/Windows/system32/calc.exe", false},
        {"C:\\new\\fw.hex", false},
        {"javascript:alert(1)", false},
        {"cmd.exe /c del x", false},
        {"http://", false},
        {"http://host/\" -extra", false}, // a quote would end the argument early
        {"", false},
    };
    for (const LinkCase& c : cases)
        EXPECT_EQ(IsWebLink(c.link), c.web) << c.link;
}

TEST(TaskDialogText, SummaryLayout)
{
    classlib::TStringList buttons;
    buttons.Add("&Yes");
    buttons.Add("&No");
    const std::string rule(27, '-');
    EXPECT_EQ(TaskDialogSummary("Success", "Restarting MCU...", buttons),
              rule + "\r\nSuccess\r\n" + rule + "\r\nRestarting MCU...\r\n" + rule +
                  "\r\nYes   No   \r\n" + rule + "\r\n");
}

} // namespace
