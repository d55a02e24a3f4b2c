// The exception path's portable routines: path pieces, messages, time texts and placeholders.
#include "ExceptionPathUtils.h"

#include <gtest/gtest.h>

using namespace qor;

TEST(ExceptionPaths, PiecesOfAPath)
{
    struct Case {
        const char* path;
        const char* strip;
        const char* only;
        const char* drive;
        const char* ext;
    };
    const Case cases[] = {
        {"C:\\dir\\file.txt", "file.txt", "C:\\dir\\", "C:\\", "C:\\dir\\file"},
        {"file", "file", "file", "file", "file"},
        {"\\\\server\\share\\dir\\a.b.c", "a.b.c", "\\\\server\\share\\dir\\",
         "\\\\server\\share\\", "\\\\server\\share\\dir\\a.b"},
        {"\\\\server\\share", "share", "\\\\server\\", "\\\\server\\share\\", "\\\\server\\share"},
        {"x", "x", "x", "x", "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(StripPath(c.path), c.strip);
        EXPECT_EQ(PathOnly(c.path), c.only);
        EXPECT_EQ(DriveOf(c.path), c.drive);
        EXPECT_EQ(StripExt(c.path), c.ext);
    }
}

TEST(ExceptionPaths, MakeAbsoluteAgainstTheExecutable)
{
    const char* exe = "D:\\apps\\Brenvik\\Brenvik.exe";
    const struct {
        const char* path;
        const char* absolute;
    } cases[] = {
        {"logs\\bug.txt", "D:\\apps\\Brenvik\\logs\\bug.txt"},
        {"\\data\\x.txt", "D:\\data\\x.txt"},
        {"C:\\a\\b\\..\\c.txt", "C:\\a\\c.txt"},
        {"C:\\a\\b\\c\\..\\..\\d.txt", "C:\\a\\d.txt"},
        {"C:\\a\\.\\b\\.\\.\\c.txt", "C:\\a\\b\\c.txt"},
        {"..\\up.txt", "D:\\apps\\up.txt"},
        {"x", "D:\\apps\\Brenvik\\x"},
        {"\\\\host\\share\\f.txt", "\\\\host\\share\\f.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeAbsolutePath(c.path, exe), c.absolute) << c.path;
}

TEST(ExceptionTexts, SentencesIdentifiersAndMessages)
{
    EXPECT_EQ(MessageSentence("Access violation!!"), "Access violation.");
    EXPECT_EQ(MessageSentence("Done.!.\0"), "Done.");
    EXPECT_EQ(MessageSentence(""), ".");
    EXPECT_TRUE(IsIdentifier("_TForm1"));
    EXPECT_FALSE(IsIdentifier("1Form"));
    EXPECT_FALSE(IsIdentifier("T.Form"));
    EXPECT_FALSE(IsIdentifier(""));
    EXPECT_TRUE(ZeroOrInRange(0, 10, 20));
    EXPECT_TRUE(ZeroOrInRange(20, 10, 20));
    EXPECT_FALSE(ZeroOrInRange(21, 10, 20));
    EXPECT_EQ(CleanMessageText("\x01\x02\t "), "Unknown");
    EXPECT_EQ(CleanMessageText(""), "Unknown");
    EXPECT_EQ(CleanMessageText(" line\x07 one\r\nline two "), "line one\r\nline two");
}

TEST(Placeholders, ExpandIgnoringCaseInOnePass)
{
    PlaceholderValues values;
    values.AppName = "Brenvik.exe";
    values.ModName = "engine.dll";
    values.AppVersion = "1.2.3.4";
    values.ModVersion = "?";
    values.ExceptClass = "EAccessViolation";
    values.ExceptMsg = "quoted %bugReport% and %appname%";
    values.BugReport = "report";
    values.Now = {2026, 3, 4, 9, 5, 3, 7};
    values.ComputerName = "BUILD1";
    const struct {
        const char* text;
        const char* expanded;
    } cases[] = {
        {"%APPNAME% / %ModName%", "Brenvik.exe / engine.dll"},
        {"v%appversion% m%modversion%", "v1.2.3.4 m?"},
        {"%exceptClass%: %exceptMsg%", "EAccessViolation: quoted %bugReport% and %appname%"},
        {"a%LF%b", "a\r\nb"},
        {"%date% %time%", "2026-03-04 09:05:03, 7ms"},
        {"%datetime%", "2026-03-04, 09:05:03, 7ms"},
        {"on %computerName%", "on BUILD1"},
        {"100% sure %unknown% %", "100% sure %unknown% %"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandPlaceholderText(c.text, values), c.expanded) << c.text;
    values.ExceptMsg.clear();
    EXPECT_EQ(ExpandPlaceholderText("%exceptMsg%", values), "Unknown");
    // A value that names its own placeholder is inserted once, not expanded forever.
    values.BugReport = "%bugReport%";
    EXPECT_EQ(ExpandPlaceholderText("%bugReport%%bugReport%", values), "%bugReport%%bugReport%");
}

TEST(ExceptionTexts, EmailAddressPlausibility)
{
    const struct {
        const char* address;
        bool valid;
    } cases[] = {
        {"a@b.c", true},
        {"first.last+tag-x@mail.example.com", true},
        {"o'neil_x@example.org", true},
        {"a@bc", false},
        {"@b.c", false},
        {"a@.b.c", false},
        {".a@b.c", false},
        {"a@b.c.", false},
        {"a b@c.d", false},
        {" a@b.c", false},
        {"a@b@c.d", false},
        {"a@b.c!", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EmailAddressIsValid(c.address), c.valid) << c.address;
}
