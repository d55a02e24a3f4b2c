#include "DeviceInfo.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

using namespace app;

namespace {

// The record as the device's compiler lays it out: the same fields under the three packings
// that the family classes use (values byte-aligned; 16 and 32 bits on even offsets; 16 bits
// even and 32 bits on multiples of four). The bytes the compiler inserts are the padding the
// parser must skip.
#define DEVICE_RECORD_FIELDS  \
    std::uint8_t length;      \
    std::uint8_t tagType;     \
    std::uint8_t type;        \
    std::uint8_t tagUnknown;  \
    std::uint8_t tagErase;    \
    std::uint16_t erase;      \
    std::uint8_t tagWrite;    \
    std::uint16_t write;      \
    std::uint8_t tagRevision; \
    std::uint16_t revision;   \
    std::uint8_t tagBoot;     \
    std::uint32_t bootStart;  \
    std::uint8_t tagFlash;    \
    std::uint32_t flashSize;  \
    std::uint8_t tagApp;      \
    std::uint32_t appStart;   \
    std::uint8_t tagName;     \
    char name[9];

#pragma pack(push, 1)
struct RecordByteAligned {
    DEVICE_RECORD_FIELDS
};
#pragma pack(pop)
#pragma pack(push, 2)
struct RecordWordAligned {
    DEVICE_RECORD_FIELDS
};
#pragma pack(pop)
struct RecordNaturallyAligned {
    DEVICE_RECORD_FIELDS
};
#undef DEVICE_RECORD_FIELDS

static_assert(offsetof(RecordByteAligned, bootStart) == 14);
static_assert(offsetof(RecordWordAligned, bootStart) == 18);
static_assert(offsetof(RecordNaturallyAligned, bootStart) == 20);

template <typename Record>
std::vector<std::uint8_t> Encode(FamilyCode code, const char* name)
{
    Record r;
    std::memset(&r, 0xEE, sizeof r); // padding that must never be taken for a tag
    r.tagType = TagMcuType;
    r.type = code;
    r.tagErase = TagEraseBlockSize;
    r.erase = 0x0400;
    r.tagWrite = TagWriteBlockSize;
    r.write = 0x0080;
    r.tagRevision = TagBootRevision;
    r.revision = 0x1201;
    r.tagBoot = TagBootStart;
    r.bootStart = 0x0807C000;
    r.tagFlash = TagFlashSize;
    r.flashSize = 0x00080000;
    r.tagUnknown = 0x55; // unknown tags carry no value
    r.tagApp = TagAppStart;
    r.appStart = 0x00004000;
    r.tagName = TagMcuName;
    std::strncpy(r.name, name, sizeof r.name);
    r.length = static_cast<std::uint8_t>(offsetof(Record, name) + std::strlen(name) + 1);
    std::vector<std::uint8_t> bytes(64, 0);
    std::memcpy(bytes.data(), &r, sizeof r);
    return bytes;
}

DeviceInfo Expected(FamilyCode code, const char* name)
{
    DeviceInfo d;
    d.mcuType = code;
    d.eraseBlockSize = 0x0400;
    d.writeBlockSize = 0x0080;
    d.bootRevision = 0x1201;
    d.bootStart = 0x0807C000;
    d.flashSize = 0x00080000;
    d.appStart = 0x00004000;
    d.mcuName = name;
    return d;
}

} // namespace

TEST(DeviceInfo, EveryFamilyParsesTheRecordItsCompilerLaysOut)
{
    // The packing of each family's record, as the record's description gives it: 16-bit and
    // 32-bit values on even offsets for the PIC24 group; 16 bits even and 32 bits on multiples of
    // four for PIC32, the ARM families and FT90x; byte-aligned for the 8-bit PICs and any code
    // outside the table.
    enum Packing { Byte, Word, Natural };
    const struct {
        FamilyCode code;
        Packing packing;
    } cases[] = {
        {1, Byte},     {2, Byte},     {3, Byte},     {4, Word},     {10, Word},    {11, Word},
        {20, Natural}, {21, Natural}, {30, Natural}, {31, Natural}, {32, Natural}, {33, Natural},
        {34, Natural}, {35, Natural}, {36, Natural}, {37, Natural}, {38, Natural}, {40, Natural},
        {41, Natural}, {42, Natural}, {43, Natural}, {46, Natural}, {0, Byte},     {39, Byte},
        {44, Byte},    {200, Byte},
    };
    for (const auto& c : cases) {
        const char* name = c.packing == Natural ? "DEV4" : c.packing == Word ? "DEV2" : "DEV1";
        const std::vector<std::uint8_t> bytes =
            c.packing == Natural ? Encode<RecordNaturallyAligned>(c.code, name)
            : c.packing == Word  ? Encode<RecordWordAligned>(c.code, name)
                                 : Encode<RecordByteAligned>(c.code, name);
        EXPECT_EQ(ParseDeviceInfo(bytes, DeviceInfo{}), Expected(c.code, name))
            << "family " << int(c.code);
    }
}

TEST(DeviceInfo, FamilyTableHasTheTwentyTwoCodesWithTheirTexts)
{
    const auto families = Families();
    ASSERT_EQ(families.size(), 22u);
    std::vector<int> codes;
    for (const Family& f : families)
        codes.push_back(f.code);
    EXPECT_EQ(codes, (std::vector<int>{1,  2,  3,  4,  10, 11, 20, 21, 30, 31, 32,
                                       33, 34, 35, 36, 37, 38, 40, 41, 42, 43, 46}));
    EXPECT_EQ(CenteredComboItem(FindFamily(38)->text), "<P align=\"center\">TIVA C Series</P>");
    EXPECT_EQ(FindFamily(39), nullptr);
    EXPECT_TRUE(InGroup(41, GroupStm32) && IsSectorFamily(41) && IsSectorFamily(36));
    EXPECT_FALSE(IsSectorFamily(34));
    EXPECT_TRUE(InGroup(46, GroupKinetis) && InGroup(46, GroupArm));
    EXPECT_FALSE(InGroup(40, GroupArm));
}

// A name the device reports goes into the item as text: the markup characters are written as
// the entities of the mini-HTML format, so no tag (an image loading a file, say) comes from it.
TEST(DeviceInfo, DeviceNamesAreEscapedInComboItems)
{
    struct Case {
        const char* name;
        const char* item;
    } cases[] = {
        {"PIC18F4550", "<P align=\"center\">PIC18F4550</P>"},
        {"<IMG src=\"FILE://C:/x.bmp\">",
         "<P align=\"center\">&lt;IMG src=&quot;FILE://C:/x.bmp&quot;&gt;</P>"},
        {"A&B</P><B>", "<P align=\"center\">A&amp;B&lt;/P&gt;&lt;B&gt;</P>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CenteredComboItem(c.name), c.item) << c.name;
}

TEST(DeviceInfo, AlignmentFollowsTheFamilyKnownAtThatTag)
{
    // PIC32: a 32-bit value behind a tag at offset 5 starts at offset 8.
    const std::vector<std::uint8_t> pic32{12,   1,    20,   0xEE, 0xEE, 6,
                                          0xEE, 0xEE, 0x00, 0xF0, 0x07, 0x1D};
    EXPECT_EQ(ParseDeviceInfo(pic32, DeviceInfo{}).bootStart, 0x1D07F000u);

    // Tag 1 behind tag 3: the 16-bit value is aligned by the family kept from before.
    const std::vector<std::uint8_t> late{8, 0xFF, 3, 0xEE, 0x40, 0x00, 1, 20};
    DeviceInfo previous;
    previous.mcuType = 2;
    const DeviceInfo fromPic18 = ParseDeviceInfo(late, previous);
    EXPECT_EQ(fromPic18.eraseBlockSize, 0x40EE);
    EXPECT_EQ(fromPic18.mcuType, 20);
    previous.mcuType = 21;
    EXPECT_EQ(ParseDeviceInfo(late, previous).eraseBlockSize, 0x40);
}

TEST(DeviceInfo, ParserStaysInsideRecordAndReceivedBytes)
{
    DeviceInfo previous;
    previous.mcuType = 2;
    previous.eraseBlockSize = 64;
    previous.mcuName = "OLD";
    struct Case {
        std::vector<std::uint8_t> bytes;
        DeviceInfo expected;
    };
    DeviceInfo withType = previous;
    withType.mcuType = 30;
    DeviceInfo emptyName = previous;
    emptyName.mcuName = "";
    const Case cases[] = {
        {{}, previous},
        {{0}, previous},
        {{1, 1, 30}, previous}, // length 1: nothing inside the record
        {{3, 1, 30}, withType},
        {{3, 1}, previous},                          // value cut off by the received bytes
        {{40, 1, 30, 3, 0x00}, withType},            // length beyond what arrived
        {{5, 1, 30, 6, 0xEE, 0, 0, 0, 0}, withType}, // 32-bit value past the record length
        {{200, 7, 'A', 'B'}, previous},              // name without its zero byte
        {{3, 7, 0}, emptyName},
        {{4, 0xFF, 0xFE, 0xFD}, previous},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDeviceInfo(c.bytes, previous), c.expected) << c.bytes.size();
}

TEST(DeviceInfo, UnusableGeometryMeansNotInBootloaderMode)
{
    struct Case {
        std::uint16_t erase;
        std::uint16_t write;
        bool usable;
    };
    const Case cases[] = {
        {64, 64, true}, {1024, 0x8000, true}, {0xFFFF, 1, true},   {63, 32, false},
        {0, 32, false}, {64, 0, false},       {64, 0x8001, false},
    };
    for (const auto& c : cases) {
        DeviceInfo d;
        d.eraseBlockSize = c.erase;
        d.writeBlockSize = c.write;
        EXPECT_EQ(HasUsableGeometry(d), c.usable) << c.erase << "/" << c.write;
    }
}

TEST(DeviceInfo, LayoutAndLimitFollowTheRevision)
{
    DeviceInfo d;
    d.bootRevision = 0x11FF;
    EXPECT_TRUE(d.IsBootAtStart());
    EXPECT_FALSE(d.HasFlashSizeLimit());
    d.bootRevision = 0x1200;
    EXPECT_FALSE(d.IsBootAtStart());
    EXPECT_TRUE(d.HasFlashSizeLimit());
}
