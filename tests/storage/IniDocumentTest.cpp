#include "OcIniDocument.h"

#include <gtest/gtest.h>

using storage::TOcIniDocument;

TEST(IniDocument, ReadingTrimsSkipsAndReusesSections)
{
    TOcIniDocument doc;
    doc.SetText(
        "orphan=1\r\n"
        "  [ Main ]  \r\n"
        "; comment\r\n"
        "\r\n"
        "  Key  =  some value  \r\n"
        "bare line\r\n"
        "[Other]\n"
        "a=1\r"
        "[main]\r\n"
        "second=2");
    EXPECT_EQ(doc.GetText(),
              "[Main]\r\nKey=some value\r\nbare line\r\nsecond=2\r\n\r\n"
              "[Other]\r\na=1\r\n\r\n");
    EXPECT_EQ(doc.ReadString("MAIN", "key", "x"), "some value");
    EXPECT_EQ(doc.ReadString("Main", "orphan", "none"), "none");
}

TEST(IniDocument, WritesReplaceInPlaceAndAppendAtSectionEnd)
{
    TOcIniDocument doc;
    doc.SetText("[s]\r\na=1\r\nb=2\r\n[t]\r\nc=3\r\n");
    doc.WriteString("S", "A", "x=y");
    doc.WriteString("s", "d", "4");
    doc.WriteString("new", "e", "");
    EXPECT_EQ(doc.GetText(),
              "[s]\r\nA=x=y\r\nb=2\r\nd=4\r\n\r\n[t]\r\nc=3\r\n\r\n[new]\r\ne=\r\n\r\n");
    EXPECT_EQ(doc.ReadString("s", "a", ""), "x=y"); // text after the first "="
    EXPECT_TRUE(doc.ValueExists("new", "E"));

    doc.DeleteKey("s", "b");
    doc.EraseSection("T");
    EXPECT_EQ(doc.GetText(), "[s]\r\nA=x=y\r\nd=4\r\n\r\n[new]\r\ne=\r\n\r\n");
}

TEST(IniDocument, WrittenTextReadsBackUnchanged)
{
    TOcIniDocument doc;
    doc.SetText("[a]\r\n=v\r\nk=\r\nline\r\n[[x]]\r\n[]\r\nz=1\r\n");
    const std::string text = doc.GetText();
    TOcIniDocument again;
    again.SetText(text);
    EXPECT_EQ(again.GetText(), text);
    EXPECT_EQ(again.ReadString("[x]", "k", "none"), "none");
    EXPECT_EQ(again.ReadString("", "z", ""), "1");
}
