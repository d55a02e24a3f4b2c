#include "CommandLine.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace app;

TEST(CommandLine, KeywordsAreCaseSensitiveSubstringsInFixedOrder)
{
    struct Case {
        const char* argument;
        int code;
    };
    const Case cases[] = {
        {"P16", 1},
        {"P18", 2},
        {"P24", 4},
        {"P33", 11},
        {"PIC32MZ", 21},
        {"PIC32", 20},
        {"ARM", 30},
        {"STELLARIS_M3", 31},
        {"STELLARIS_M4", 32},
        {"STELLARIS", 33},
        {"TIVA_C", 38},
        {"FT90", 40},
        {"-PIC32MZ2048", 21},   // "PIC32MZ" is tested before "PIC32"
        {"xSTELLARIS_M4x", 32}, // contains "STELLARIS" too
        {"P18P16", 1},          // earlier keyword in the list wins, not earlier in the text
        {"pic32", 0},
        {"arm", 0},
        {"", 0},
        {"STM32", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FamilyFromKeyword(c.argument), c.code) << c.argument;
}

TEST(CommandLine, ArmsTheAutomaticUploadOnlyWithAnExistingHexFile)
{
    const std::set<std::string> present{"C:\\fw\\app.hex", "app.HEX", "notes.txt"};
    const auto exists = [&](const std::string& p) { return present.count(p) != 0; };
    struct Case {
        std::vector<std::string> args;
        int code;
        bool autoRun;
    };
    const Case cases[] = {
        {{"P18", "C:\\fw\\app.hex"}, 2, true},
        {{"PIC32MZ", "app.HEX"}, 21, true},
        {{"P18"}, 0, false}, // one argument prepares nothing
        {{"nothing", "app.HEX"}, 0, false},
        {{"P18", "missing.hex"}, 2, false}, // family set, no automatic run
        {{"P18", "notes.txt"}, 2, false},
        {{"FT90", "app.HEX", "extra"}, 40, true},
    };
    for (const auto& c : cases) {
        const auto r = ParseCommandLine(c.args, exists);
        EXPECT_EQ(r.mcuType, c.code) << c.args[0];
        EXPECT_EQ(r.autoRun, c.autoRun) << c.args[0];
        EXPECT_EQ(r.hexFile, c.autoRun ? c.args[1] : "");
    }
}

TEST(CommandLine, HexExtensionInAnyCase)
{
    for (const char* p : {"a.hex", "a.HEX", "C:\\d.x\\b.Hex", "dir/c.hEx"})
        EXPECT_TRUE(HasHexExtension(p)) << p;
    for (const char* p : {"a.hexx", "hex", "a.he", "C:\\d.hex\\b", ".hex\\x", "a.txt"})
        EXPECT_FALSE(HasHexExtension(p)) << p;
}
