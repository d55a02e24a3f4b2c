#include "ResetVector.h"
#include "SectorMap.h"

#include <gtest/gtest.h>

using namespace app;

namespace {
Bytes Image(const Bytes& head, std::size_t size = 64)
{
    Bytes b(size, 0xEE);
    std::copy(head.begin(), head.end(), b.begin());
    return b;
}
Bytes Head(const Bytes& b, std::size_t n)
{
    return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n));
}
} // namespace

TEST(ResetVector, EndLayoutJumpsToTheBootloaderPerFamily)
{
    struct Case {
        const char* what;
        FamilyCode family;
        std::uint32_t bootStart;
        Bytes imageHead;
        Bytes saved;
        Bytes patchedHead;
    };
    const Case cases[] = {
        {"PIC18 GOTO", 2, 0x7C00, {1, 2, 3, 4, 5}, {1, 2, 3, 4}, {0x00, 0xEF, 0x3E, 0xF0, 5}},
        {"PIC18FJ GOTO, high bits",
         3,
         0x1FC00,
         {1, 2, 3, 4},
         {1, 2, 3, 4},
         {0x00, 0xEF, 0xFE, 0xF0}},
        {"PIC24 GOTO to the word address",
         4,
         0x1000,
         {1, 2, 3, 4, 5, 6, 7},
         {1, 2, 3, 4, 5, 6},
         {0x00, 0x10, 0x04, 0x00, 0x00, 0x00, 7}},
        {"FT90x jump", 40, 0x3C000, {1, 2, 3, 4}, {1, 2, 3, 4}, {0x00, 0xF0, 0x30, 0x00}},
        {"ARM stub and Thumb reset vector",
         30,
         0x0003C000,
         {0x00, 0x10, 0x00, 0x20, 0xC1, 0x01, 0x00, 0x08},
         {0x41, 0xF2, 0x00, 0x00, 0xC2, 0xF2, 0x00, 0x00, 0x85, 0x46,
          0x40, 0xF2, 0xC1, 0x10, 0xC0, 0xF6, 0x00, 0x00, 0x00, 0x47},
         {0x00, 0x10, 0x00, 0x20, 0x01, 0xC0, 0x03, 0x00}},
        {"ARM vector low byte wraps without carry",
         46,
         0x080000FF,
         {0, 0, 0, 0, 0, 0, 0, 0},
         {},
         {0, 0, 0, 0, 0x00, 0x00, 0x00, 0x08}},
        {"PIC16 has no vector", 1, 0x1F00, {1, 2, 3, 4}, {}, {1, 2, 3, 4}},
        {"unknown family", 39, 0x1F00, {1, 2, 3, 4}, {}, {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        Bytes image = Image(c.imageHead);
        Bytes boot;
        const Bytes saved =
            BuildResetRedirect(c.family, BootLayout::AtEnd, c.bootStart, image, boot);
        EXPECT_EQ(saved.size(), SavedVectorLength(c.family)) << c.what;
        if (!c.saved.empty()) {
            EXPECT_EQ(saved, c.saved) << c.what;
        }
        EXPECT_EQ(Head(image, c.patchedHead.size()), c.patchedHead) << c.what;
        EXPECT_TRUE(boot.empty());
    }
}

TEST(ResetVector, StartLayoutOnlySaves)
{
    Bytes image = Image({1, 2, 3, 4, 5, 6, 7, 8});
    const Bytes before = image;
    Bytes boot;
    EXPECT_EQ(BuildResetRedirect(2, BootLayout::AtStart, 0x7C00, image, boot), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(BuildResetRedirect(30, BootLayout::AtStart, 0x7C00, image, boot).size(), 20u);
    EXPECT_EQ(image, before);
}

TEST(ResetVector, ShortSourceGivesZeroVectorAndNoPatch)
{
    for (FamilyCode family : std::initializer_list<FamilyCode>{2, 4, 20, 30, 40}) {
        Bytes image{9, 9, 9};
        Bytes boot{9, 9, 9};
        const Bytes saved = BuildResetRedirect(family, BootLayout::AtEnd, 0x1000, image, boot);
        EXPECT_EQ(saved, Bytes(SavedVectorLength(family), 0)) << int(family);
        EXPECT_EQ(image, (Bytes{9, 9, 9}));
        EXPECT_EQ(boot, (Bytes{9, 9, 9}));
    }
}

TEST(ResetVector, Pic32JumpGoesToOffsetZeroOrBehindTheKeptStartup)
{
    const Bytes jump{0x07, 0x9D, 0x1E, 0x3C, 0x00, 0xF0, 0xDE, 0x37,
                     0x08, 0x00, 0xC0, 0x03, 0x00, 0x00, 0x00, 0x70};
    {
        Bytes image, boot(32, 0x11);
        const Bytes saved = BuildResetRedirect(20, BootLayout::AtEnd, 0x9D07F000, image, boot);
        EXPECT_EQ(saved, Bytes(16, 0x11));
        EXPECT_EQ(Head(boot, 16), jump);
        EXPECT_EQ(boot.size(), 32u);
    }
    for (std::uint32_t first : {0x27BDFFFCu, 0x70000000u}) {
        // A 16-byte boot image: the jump at offsets 64..79 needs the image grown with 0xFF.
        Bytes image,
            boot{static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(first >> 8),
                 static_cast<std::uint8_t>(first >> 16), static_cast<std::uint8_t>(first >> 24)};
        boot.resize(16, 0x22);
        const Bytes saved = BuildResetRedirect(21, BootLayout::AtEnd, 0x9D07F000, image, boot);
        EXPECT_EQ(saved, Bytes(Pic32FixedStub.begin(), Pic32FixedStub.end()));
        ASSERT_EQ(boot.size(), 80u);
        EXPECT_EQ(Bytes(boot.begin() + 64, boot.end()), jump);
        EXPECT_EQ(boot[16], 0xFF);
        EXPECT_EQ(boot[15], 0x22);
    }
}

TEST(ResetVector, KinetisFieldNeedsTheWholeField)
{
    Bytes image(0x410, 0);
    PatchKinetisConfig(image);
    EXPECT_EQ(Bytes(image.begin() + 0x400, image.end()),
              (Bytes{0xC3, 0x5E, 0x17, 0xA9, 0x62, 0x0D, 0xF4, 0x8B, 0xFF, 0xFF, 0xFF, 0xFF, 0x02,
                     0xFD, 0xFF, 0xFF}));
    Bytes shorter(0x40F, 0);
    PatchKinetisConfig(shorter);
    EXPECT_EQ(shorter, Bytes(0x40F, 0));
}

TEST(SectorMap, SectorsOfF2F4AndF7)
{
    struct Case {
        FamilyCode family;
        std::uint32_t address;
        int index;
        std::int64_t size;
    };
    const Case cases[] = {
        {37, 0x000000, 0, 0x4000},     {37, 0x00FFFF, 3, 0x4000},    {37, 0x010000, 4, 0x10000},
        {36, 0x020000, 5, 0x20000},    {37, 0x0FFFFF, 11, 0x20000},  {37, 0x100000, 12, 0x4000},
        {37, 0x110000, 16, 0x10000},   {37, 0x1DFFFF, 22, 0x20000},  {37, 0x1E0000, 23, 0x20000},
        {37, 0xFFFFFFFF, 23, 0x20000}, {41, 0x0801FFFF, 3, 0x8000},  {41, 0x08020000, 4, 0x20000},
        {41, 0x00020000, 4, 0x20000},  {41, 0x080BFFFF, 6, 0x40000}, {41, 0x080C0000, 7, 0x40000},
        {41, 0x0FFFFFFF, 7, 0x40000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SectorIndex(c.family, c.address), c.index) << std::hex << c.address;
        EXPECT_EQ(SectorSize(c.family, c.index), c.size) << c.index;
    }
    EXPECT_EQ(SectorSize(37, 24), -1);
    EXPECT_EQ(SectorSize(41, 8), -1);
    EXPECT_EQ(SectorSize(41, -1), -1);
    EXPECT_EQ(SectorOffset(37, 12), 0x100000u);
    EXPECT_EQ(SectorOffset(41, 5), 0x40000u);
}
