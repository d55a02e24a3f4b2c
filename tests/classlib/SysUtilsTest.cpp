#include "core/SysUtils.h"

#include <gtest/gtest.h>

using namespace classlib;

TEST(Format, FormatsEachArgumentKind)
{
    struct Case {
        std::string got;
        const char* expected;
    };
    const Case cases[] = {
        {Format("List index out of bounds (%d)", {-1}), "List index out of bounds (-1)"},
        {Format("%5d|%-5d|%.3d", {42, 42, 7}), "   42|42   |007"},
        {Format("%u", {-1}), "4294967295"},
        {Format("%x %.4X %x", {255, 10, -1}), "FF 000A FFFFFFFF"},
        {Format("%s and %s", {"a", std::string("b")}), "a and b"},
        {Format("%.2s|%4s", {"abc", "x"}), "ab|   x"},
        {Format("%1:s %0:s %s", {"a", "b"}), "b a b"},
        {Format("%*d", {4, 1}), "   1"},
        {Format("%f %.1f %.0f", {1.005, -2.25, 2.5}), "1.00 -2.3 3"},
        {Format("%e", {1.0}), "1.00000000000000E+000"},
        {Format("%.3e", {-12345.0}), "-1.23E+004"},
        {Format("%g", {0.1}), "0.1"},
        {Format("%.2f %.2f %.0f", {2.675, 0.125, 0.5}), "2.67 0.13 1"},
        {Format("%n", {1234567.891}), "1,234,567.89"},
        {Format("100%%", {}), "100%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected);
}

TEST(Format, MismatchedArgumentsRaiseConvertError)
{
    EXPECT_THROW(Format("%d", {"text"}), EConvertError);
    EXPECT_THROW(Format("%s", {1}), EConvertError);
    EXPECT_THROW(Format("%d %d", {1}), EConvertError);
    EXPECT_THROW(Format("%q", {1}), EConvertError);
    EXPECT_THROW(Format("%", {1}), EConvertError);
}

TEST(Conversion, IntegerTextBothWays)
{
    EXPECT_EQ(IntToStr(-12), "-12");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {"12", true, 12},
        {"  -7", true, -7},
        {"+3", true, 3},
        {"$FF", true, 255},
        {"0x10", true, 16},
        {"$FFFFFFFF", true, -1},
        {"2147483647", true, 2147483647},
        {"2147483648", false, 0},
        {"-2147483648", true, INT32_MIN},
        {"", false, 0},
        {"12 ", false, 0},
        {"1a", false, 0},
        {"$", false, 0},
        {"-", false, 0},
        {"$1FFFFFFFF", false, 0},
    };
    for (const auto& c : cases) {
        int v = 0;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok)
            EXPECT_EQ(v, c.value) << c.text;
    }
    try {
        StrToInt("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }
    EXPECT_EQ(StrToIntDef("x", 5), 5);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
}

TEST(Conversion, FloatTextBothWays)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {1.5, "1.5"},
        {-0.25, "-0.25"},
        {0.1, "0.1"},
        {1e15, "1E15"},
        {1e14, "100000000000000"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {123456789.125, "123456789.125"},
        {1.0 / 3, "0.333333333333333"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.value), c.text);
    EXPECT_DOUBLE_EQ(StrToFloat(" 1.5e3 "), 1500);
    EXPECT_DOUBLE_EQ(StrToFloat("-.5"), -0.5);
    for (const char* bad : {"", "1,5", "e5", "1e", "1.5x", ".", "1e999"}) {
        double v;
        EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
    }
    EXPECT_THROW(StrToFloat("abc"), EConvertError);
}

TEST(Conversion, BooleansAndCase)
{
    EXPECT_TRUE(StrToBool("true"));
    EXPECT_FALSE(StrToBool("0"));
    EXPECT_TRUE(StrToBool("-1"));
    EXPECT_THROW(StrToBool("yes"), EConvertError);
    EXPECT_EQ(BoolToStr(true), "True");
    EXPECT_EQ(UpperCase("abC1"), "ABC1");
    EXPECT_EQ(CompareText("abc", "ABD"), -1);
    EXPECT_TRUE(SameText("Hello", "hELLO"));
    EXPECT_FALSE(SameText("Hello", "Hell"));
    EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
}

TEST(Conversion, QuotingAndReplacing)
{
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(AnsiDequotedStr("\"a\"\"b\"", '"'), "a\"b");
    EXPECT_EQ(AnsiDequotedStr("plain", '"'), "plain");
    size_t pos = 0;
    EXPECT_EQ(AnsiExtractQuotedStr("\"unterminated", pos, '"'), "unterminated");
    EXPECT_EQ(StringReplace("aAaA", "a", "x", rfReplaceAll), "xAxA");
    EXPECT_EQ(StringReplace("aAaA", "a", "x", rfReplaceAll | rfIgnoreCase), "xxxx");
    EXPECT_EQ(StringReplace("aAaA", "a", "x", 0), "xAaA");
}

TEST(FileNames, SplitWithoutFileSystem)
{
    struct Case {
        const char* name;
        const char* path;
        const char* dir;
        const char* file;
        const char* ext;
        const char* drive;
    };
    const Case cases[] = {
        {"C:\\dir\\file.hex", "C:\\dir\\", "C:\\dir", "file.hex", ".hex", "C:"},
        {"C:\\file", "C:\\", "C:\\", "file", "", "C:"},
        {"C:file.txt", "C:", "C:", "file.txt", ".txt", "C:"},
        {"file.tar.gz", "", "", "file.tar.gz", ".gz", ""},
        {"dir.d/file", "dir.d/", "dir.d", "file", "", ""},
        {"\\\\server\\share\\a.b", "\\\\server\\share\\", "\\\\server\\share", "a.b", ".b",
         "\\\\server\\share"},
        {"\\root", "\\", "\\", "root", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.name), c.path) << c.name;
        EXPECT_EQ(ExtractFileDir(c.name), c.dir) << c.name;
        EXPECT_EQ(ExtractFileName(c.name), c.file) << c.name;
        EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
        EXPECT_EQ(ExtractFileDrive(c.name), c.drive) << c.name;
    }
    EXPECT_EQ(ChangeFileExt("a\\b.hex", ".ini"), "a\\b.ini");
    EXPECT_EQ(ChangeFileExt("a.d\\b", ".ini"), "a.d\\b.ini");
    EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\x"), "C:\\x\\");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\x\\"), "C:\\x");
    EXPECT_TRUE(IsValidIdent("Button_1"));
    EXPECT_FALSE(IsValidIdent("1Button"));
    EXPECT_TRUE(IsValidIdent("Font.Name", true));
    EXPECT_FALSE(IsValidIdent("Font.", true));
}
