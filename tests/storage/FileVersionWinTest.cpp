// The version resource of a program built with windres, read through the platform's
// version API and our reader, against what pefile (an independent reader) says about the
// same file (written beside the program at build time by dump_version.py).
#include "BcErrors.h"
#include "BcFileUtilsWin.h"
#include "BcFileVersion.h"
#include "PeerProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace bcl;

namespace {

std::vector<std::string> ReadLines(const std::string& fileName)
{
    std::ifstream in(fileName);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Hex8(uint32_t v)
{
    char text[9];
    std::snprintf(text, sizeof(text), "%08x", static_cast<unsigned>(v));
    return text;
}

std::vector<std::string> Describe(const TBcFileVersionInfo& info)
{
    std::vector<std::string> lines;
    const auto& f = info.FixedPart();
    lines.push_back("fixed " + Hex8(f.FileVersionMS) + " " + Hex8(f.FileVersionLS) + " " +
                    Hex8(f.ProductVersionMS) + " " + Hex8(f.ProductVersionLS) + " " +
                    Hex8(f.FileFlagsMask) + " " + Hex8(f.FileFlags));
    const auto& languages = info.StringTableLanguages();
    for (size_t table = 0; table < languages.size(); ++table) {
        char key[9];
        std::snprintf(key, sizeof(key), "%04X%04X", unsigned(languages[table] & 0xFFFF),
                      unsigned(languages[table] >> 16));
        lines.push_back("table " + std::to_string(table) + " " + key);
        for (const auto& line : info.AllStrings())
            if (line.tag == table)
                lines.push_back("string " + std::to_string(table) + " " + line.text);
    }
    for (uint32_t t : info.TranslationList()) {
        char text[16];
        std::snprintf(text, sizeof(text), "%04x %04x", unsigned(t & 0xFFFF), unsigned(t >> 16));
        lines.push_back(std::string("translation ") + text);
    }
    return lines;
}

} // namespace

TEST(FileVersionWin, WindresResourceReadsAsPefileSays)
{
    const std::string program = peer::TestFolder() + "bcl_versioned.exe";
    const auto expected = ReadLines(peer::TestFolder() + "bcl_versioned.expected");
    ASSERT_GT(expected.size(), 5u) << "pefile's dump is missing";
    const TBcFileVersionInfo info = ReadFileVersionInfo(program);
    EXPECT_EQ(Describe(info), expected);

    EXPECT_EQ(info.KeyValue(9), "Brenvik fixture"); // first table only
    EXPECT_EQ(info.KeyValue(2), "Orvane");
    EXPECT_EQ(info.KeyValue(11), "special");
    EXPECT_EQ(info.KeyValue(12), "");
    EXPECT_TRUE(info.HasFlag(fvDebug));
    EXPECT_TRUE(info.HasFlag(fvSpecialBuild));
    EXPECT_FALSE(info.HasFlag(fvPatched));    // set, but not in the mask
    EXPECT_FALSE(info.HasFlag(fvPreRelease)); // in the mask, but not set

    VsFixedFileInfo fixed{};
    ASSERT_TRUE(ReadFixedFileInfo(program, fixed));
    EXPECT_EQ(fixed.FileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed.ProductVersionLS, 0x00070008u);
}

TEST(FileVersionWin, ProgramWithoutVersionResourceIsRefused)
{
    const std::string program = peer::TestFolder() + "bcl_peer.exe";
    EXPECT_THROW(ReadFileVersionInfo(program), EBcFileVersionInfoError);
    VsFixedFileInfo fixed{};
    EXPECT_FALSE(ReadFixedFileInfo(program, fixed));
    EXPECT_FALSE(ReadFixedFileInfo(program + ".missing", fixed));
}
