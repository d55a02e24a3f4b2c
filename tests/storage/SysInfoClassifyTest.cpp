// Windows release classification from the platform's facts, and the bit buffers.
#include "BcSysInfo.h"

#include <gtest/gtest.h>

using namespace bcl;

TEST(SysInfoClassify, Releases)
{
    struct Case {
        WindowsVersionFacts facts;
        TWindowsRelease expected;
    };
    auto nt = [](uint32_t major, uint32_t minor, uint8_t productType = 1) {
        WindowsVersionFacts f;
        f.platformId = 2;
        f.major = major;
        f.minor = minor;
        f.productTypeKnown = true;
        f.productType = productType;
        return f;
    };
    auto w9x = [](uint32_t minor, const char* csd, uint32_t kernel = 0) {
        WindowsVersionFacts f;
        f.platformId = 1;
        f.major = 4;
        f.minor = minor;
        f.servicePack = csd;
        f.kernelProductVersionHigh = kernel;
        return f;
    };
    auto with = [](WindowsVersionFacts f, auto change) {
        change(f);
        return f;
    };
    const Case cases[] = {
        {w9x(0, ""), wrWin95},
        {w9x(0, "B"), wrWin95OSR2},
        {w9x(0, "C"), wrWin95OSR2},
        {w9x(10, ""), wrWin98},
        {w9x(10, "A"), wrWin98SE},
        {w9x(10, "B"), wrWin98SE},
        {w9x(10, "", 0x0004005A), wrWinMillennium},
        {w9x(90, ""), wrWinMillennium},
        {w9x(91, ""), wrUnknown},
        {nt(3, 1), wrWinNT31},
        {nt(3, 5), wrWinNT35},
        {nt(3, 51), wrWinNT351},
        {nt(3, 10), wrUnknown},
        {nt(4, 0), wrWinNT4},
        {nt(5, 0), wrWin2000},
        {nt(5, 1), wrWinXP},
        {nt(5, 2), wrWin2003},
        {with(nt(5, 2), [](auto& f) { f.nativeProcessorIsX86 = false; }), wrWinXP64},
        {with(nt(5, 2, 3), [](auto& f) { f.nativeProcessorIsX86 = false; }), wrWin2003},
        {with(nt(5, 2), [](auto& f) { f.serverR2 = true; }), wrWin2003R2},
        {nt(5, 3), wrUnknown},
        {nt(6, 0), wrWinVista},
        {nt(6, 0, 3), wrWinServer2008},
        {nt(6, 1), wrWin7},
        {nt(6, 1, 2), wrWinServer2008R2},
        {with(nt(6, 1), [](auto& f) { f.productTypeKnown = false; }), wrWinServer2008R2},
        {nt(6, 2), wrUnknown},
        {nt(10, 0), wrUnknown},
        {with(nt(6, 1), [](auto& f) { f.platformId = 3; }), wrUnknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyWindowsRelease(c.facts), c.expected)
            << "platform " << c.facts.platformId << " " << c.facts.major << "." << c.facts.minor
            << " csd '" << c.facts.servicePack << "'";
}

TEST(SysInfoClassify, OnlyReleasesBefore2000NeedStrictNames)
{
    EXPECT_FALSE(IsReleaseBefore2000(wrUnknown));
    for (auto r : {wrWin95, wrWin98SE, wrWinMillennium, wrWinNT31, wrWinNT4})
        EXPECT_TRUE(IsReleaseBefore2000(r)) << int(r);
    for (auto r : {wrWin2000, wrWinXP, wrWin7, wrWinServer2008R2})
        EXPECT_FALSE(IsReleaseBefore2000(r)) << int(r);
}

TEST(SysInfoClassify, BufferBits)
{
    uint32_t buffer[3] = {};
    SetBufferBit(buffer, 33);
    EXPECT_EQ(buffer[0], 0u);
    EXPECT_EQ(buffer[1], 2u);
    SetBufferBit(buffer, 95);
    EXPECT_EQ(buffer[2], 0x80000000u);
    EXPECT_TRUE(TestBufferBit(buffer, 33));
    EXPECT_FALSE(TestBufferBit(buffer, 32));
    EXPECT_TRUE(TestBufferBit(buffer, 95));
}
