// Version resources built byte by byte: the string tables, languages, binary values, flags
// and every kind of malformed block (refused, never over-read: the native build runs this
// under AddressSanitizer).
#include "BcErrors.h"
#include "BcFileVersion.h"
#include "VersionResourceBuilder.h"

#include <gtest/gtest.h>

using namespace bcl;
using vrb::Binary;
using vrb::Table;
using vrb::Text;

namespace {

std::vector<std::string> Lines(const std::vector<TBcFileVersionInfo::StringLine>& lines)
{
    std::vector<std::string> texts;
    for (const auto& l : lines)
        texts.push_back(l.text);
    return texts;
}

} // namespace

TEST(FileVersionParse, TwoTablesLanguagesAndTranslations)
{
    const auto resource = vrb::Resource(
        {Table("040904B0", {Text("CompanyName", "Orvane"), Text("ProductName", "Brenvik"),
                            Text("FileVersion", "1.0.0.0")}),
         Table("0x0407 04b0", {Text("ProductName", "Brenvik DE"), Text("Comments", "")})},
        {0x04B00409, 0x04B00407});
    const TBcFileVersionInfo info(resource);

    EXPECT_EQ(info.StringTableLanguages(), (std::vector<uint32_t>{0x04B00409, 0x04B00407}));
    EXPECT_EQ(info.TranslationList(), (std::vector<uint32_t>{0x04B00409, 0x04B00407}));
    EXPECT_EQ(
        Lines(info.AllStrings()),
        (std::vector<std::string>{"CompanyName=Orvane", "ProductName=Brenvik",
                                  "FileVersion=1.0.0.0", "ProductName=Brenvik DE", "Comments="}));
    EXPECT_EQ(info.AllStrings()[3].tag, 1u);
    // Only the first table is the current language.
    EXPECT_EQ(Lines(info.LanguageStrings()),
              (std::vector<std::string>{"CompanyName=Orvane", "ProductName=Brenvik",
                                        "FileVersion=1.0.0.0"}));
    EXPECT_EQ(info.LanguageStrings()[0].tag, 0x04B00409u);
    EXPECT_EQ(info.KeyValue(9), "Brenvik");
    EXPECT_EQ(info.KeyValue(2), "Orvane");
    EXPECT_EQ(info.KeyValue(1), ""); // Comments exists only in the second table
    EXPECT_EQ(info.KeyValue(12), "");
    EXPECT_EQ(info.FixedPart().FileVersionMS, 0x00010002u);
}

TEST(FileVersionParse, ValueKinds)
{
    struct Case {
        vrb::Block block;
        const char* line;
    };
    const Case cases[] = {
        {Binary("B2", std::string("\x34\x12", 2)), "B2=$1234"},
        {Binary("B1", std::string("\x0a", 1)), "B1=$0A"},
        {Binary("B4", std::string("\x78\x56\x34\x12", 4)), "B4=$12345678"},
        {Binary("B3", std::string("\x01\x00\x00", 3)), "B3=$000001"},
        {Binary("B0", ""), "B0="},
        {Binary("W", std::string("h\0i\0\0\0", 6)), "W=hi"},
        {Text("Cut", std::string("ab\0cd", 5)), "Cut=ab"},
        {vrb::Block{"Empty", 1, {}, 0, {}}, "Empty="},
    };
    for (const auto& c : cases) {
        const TBcFileVersionInfo info(vrb::Resource({Table("040904B0", {c.block})}, {}));
        ASSERT_EQ(info.AllStrings().size(), 1u) << c.line;
        EXPECT_EQ(info.AllStrings()[0].text, c.line);
    }
}

TEST(FileVersionParse, ShortBinaryValueAtTheEndOfTheDataIsNotWidened)
{
    // A 1-byte binary value is the last byte of the resource: reading four bytes there
    // would run past the end of the data.
    auto block = Binary("B", std::string("\x7f", 1));
    std::string resource = vrb::Resource({Table("040904B0", {block})}, {});
    ASSERT_EQ(resource.back(), '\x7f');
    const std::string exact = resource; // no slack after the value
    const TBcFileVersionInfo info(exact);
    EXPECT_EQ(info.AllStrings().at(0).text, "B=$7F");
}

TEST(FileVersionParse, BuildFlagsNeedMaskAndFlag)
{
    const auto fixed = vrb::FixedInfo(0, 0, /*mask*/ 0x1 | 0x2 | 0x20, /*flags*/ 0x1 | 0x20 | 0x4);
    const TBcFileVersionInfo info(vrb::Resource({Table("040904B0", {})}, {}, fixed));
    EXPECT_TRUE(info.HasFlag(fvDebug));
    EXPECT_TRUE(info.HasFlag(fvSpecialBuild));
    EXPECT_FALSE(info.HasFlag(fvPatched));    // flag set but not in the mask
    EXPECT_FALSE(info.HasFlag(fvPreRelease)); // in the mask but not set
}

TEST(FileVersionParse, UnknownChildEndsTheWalkKeepingWhatWasRead)
{
    vrb::Block root{"VS_VERSION_INFO", 0, vrb::FixedInfo(1, 2, 0, 0), 52, {}};
    root.children.push_back(
        vrb::Block{"StringFileInfo", 1, {}, 0, {Table("040904B0", {Text("A", "1")})}});
    root.children.push_back(vrb::Block{"Strange", 1, {}, 0, {}});
    root.children.push_back(
        vrb::Block{"VarFileInfo", 1, {}, 0, {Binary("Translation", "\x09\x04\xb0\x04")}});
    const TBcFileVersionInfo info(vrb::Serialise(root));
    EXPECT_EQ(Lines(info.AllStrings()), std::vector<std::string>{"A=1"});
    EXPECT_TRUE(info.TranslationList().empty());
}

TEST(FileVersionParse, MalformedResourcesAreRefused)
{
    const std::string good = vrb::Resource({Table("040904B0", {Text("A", "1")})}, {0x04B00409});
    auto patched16 = [&](size_t at, uint16_t v) {
        std::string r = good;
        r[at] = static_cast<char>(v & 0xFF);
        r[at + 1] = static_cast<char>(v >> 8);
        return r;
    };
    auto rootWith = [](vrb::Block child) {
        vrb::Block root{"VS_VERSION_INFO", 0, vrb::FixedInfo(1, 2, 0, 0), 52, {}};
        root.children.push_back(vrb::Block{"StringFileInfo", 1, {}, 0, {std::move(child)}});
        return vrb::Serialise(root);
    };
    vrb::Block root{"VS_VERSION_INFO", 0, vrb::FixedInfo(1, 2, 0, 0), 52, {}};
    std::string badSignature = vrb::Serialise(root);
    badSignature[40] ^= 1; // inside the signature (after header 6 + key 32 + pad 2)
    vrb::Block otherRoot{"VS_VERSION_INF0", 0, vrb::FixedInfo(1, 2, 0, 0), 52, {}};
    vrb::Block shortFixed{"VS_VERSION_INFO", 0, vrb::FixedInfo(1, 2, 0, 0).substr(0, 48), 48, {}};
    vrb::Block unknownType = Text("A", "1");
    unknownType.type = 7;
    vrb::Block longText = Text("A", "1");
    longText.valueLength = 400; // more characters than the data holds

    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"too short for a header", std::string("\x10\x00", 2)},
        {"zero root length", patched16(0, 0)},
        {"root longer than the data", patched16(0, static_cast<uint16_t>(good.size() + 8))},
        {"bad signature", badSignature},
        {"other root key", vrb::Serialise(otherRoot)},
        {"fixed part of 48 bytes", vrb::Serialise(shortFixed)},
        {"table with a value", rootWith(vrb::Block{"040904B0", 1, "xxxx", 2, {}})},
        {"table key of 7 digits", rootWith(Table("040904B", {}))},
        {"string of unknown type", rootWith(Table("040904B0", {unknownType}))},
        {"text longer than the data", rootWith(Table("040904B0", {longText}))},
        {"truncated inside a key", good.substr(0, 20)},
        {"truncated inside the strings", good.substr(0, good.size() - 40)},
    };
    for (const auto& [what, resource] : cases) {
        try {
            TBcFileVersionInfo info(resource);
            ADD_FAILURE() << what << ": accepted";
        } catch (const EBcFileVersionInfoError& e) {
            EXPECT_STREQ(e.what(), "File contains no version information") << what;
        }
    }
}

TEST(FileVersionParse, BlockLengthPastTheDataIsRefusedNotFollowed)
{
    // A string block whose length claims more than the data holds.
    vrb::Block root{"VS_VERSION_INFO", 0, vrb::FixedInfo(1, 2, 0, 0), 52, {}};
    root.children.push_back(
        vrb::Block{"StringFileInfo", 1, {}, 0, {Table("040904B0", {Text("A", "1")})}});
    std::string data = vrb::Serialise(root);
    // The string block "A" starts after root header(40)+fixed(52)+SFI header(36)+table header(24).
    const size_t stringBlock = 40 + 52 + 36 + 24;
    ASSERT_EQ(data[stringBlock + 6], 'A');
    data[stringBlock] = static_cast<char>(0xF0);
    data[stringBlock + 1] = 0;
    EXPECT_THROW(TBcFileVersionInfo{data}, EBcFileVersionInfoError);
}

TEST(FileVersionParse, StandardKeyNames)
{
    EXPECT_EQ(VersionKeyName(1), "Comments");
    EXPECT_EQ(VersionKeyName(9), "ProductName");
    EXPECT_EQ(VersionKeyName(12), "PrivateBuild");
    EXPECT_EQ(VersionKeyName(0), "");
    EXPECT_EQ(VersionKeyName(13), "");
}
