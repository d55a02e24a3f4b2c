// Path texts: separators, extensions and the absolute, device and UNC tests.
#include "BcPaths.h"

#include <gtest/gtest.h>

using namespace bcl;

TEST(PathRoutines, Separators)
{
    const std::pair<const char*, const char*> with[] = {
        {"C:\\Temp", "C:\\Temp\\"},
        {"C:\\Temp\\", "C:\\Temp\\"},
        {"", "\\"},
    };
    for (const auto& [path, expected] : with)
        EXPECT_EQ(PathWithSeparator(path), expected) << path;
    const std::pair<const char*, const char*> without[] = {
        {"C:\\Temp\\", "C:\\Temp"},
        {"C:\\Temp", "C:\\Temp"},
        {"", ""},
        {"\\", ""},
    };
    for (const auto& [path, expected] : without)
        EXPECT_EQ(PathDropSeparator(path), expected) << path;
}

TEST(PathRoutines, EnsureExtension)
{
    struct Case {
        const char* path;
        const char* extension;
        const char* expected;
    };
    const Case cases[] = {
        {"Settings", "ini", "Settings.ini"},
        {"Settings.INI", ".ini", "Settings.INI"},
        {"Settings.", "ini", "Settings.ini"},
        {"Settings.txt", "ini", "Settings.txt.ini"},
        {"Settings", ".ini", "Settings.ini"},
        {"", "ini", ""},
        {"Settings", "", "Settings"},
        {"C:\\dir.d\\Settings", "ini", "C:\\dir.d\\Settings.ini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathEnsureExtension(c.path, c.extension), c.expected)
            << c.path << " + " << c.extension;
}

TEST(PathRoutines, AbsoluteAndDeviceNames)
{
    const std::pair<const char*, bool> cases[] = {
        {"C:\\x", true},        {"C:", false},        {"C:x", false},  {"\\\\server\\share", true},
        {"\\\\.\\C:\\x", true}, {"\\\\.\\C:", false}, {"x\\y", false}, {"", false},
        {"1:\\x", false},       {"C:\\", true},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(PathIsAbsoluteName(path), expected) << path;
    EXPECT_TRUE(PathIsDeviceName("\\\\.\\COM1"));
    EXPECT_FALSE(PathIsDeviceName("\\\\?\\COM1"));
}

TEST(PathRoutines, UncNames)
{
    const std::pair<const char*, bool> cases[] = {
        {"\\\\server\\share", true},
        {"\\\\server\\", true},
        {"\\\\server", false},
        {"\\\\123\\share", false},
        {"\\\\a1-b.c_d\\share\\sub", true},
        {"\\\\ser ver\\share", false},
        {"\\\\server\\sh*re", false},
        {"\\\\server\\sh re", true},
        {"\\\\?\\UNC\\server\\share", true},
        {"\\\\?\\UNCserver", false},
        {"\\\\\\share", false},
        {"\\server\\share", false},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(PathIsUNCName(path), expected) << path;
}
