// The OS description from the platform's facts, and the small arithmetic of version numbers and
// tick counts, by the rules and examples of the OS information record.
#include "QorOsInfo.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

OsVersionFacts NT(uint32_t major, uint32_t minor, uint8_t productType)
{
    OsVersionFacts f;
    f.platformId = kPlatformNT;
    f.major = major;
    f.minor = minor;
    f.productType = productType;
    f.extended = true;
    return f;
}

OsVersionFacts Win9x(uint32_t major, uint32_t minor, uint32_t build)
{
    OsVersionFacts f;
    f.platformId = kPlatformWin9x;
    f.major = major;
    f.minor = minor;
    f.build = build;
    return f;
}

} // namespace

TEST(QorOsInfo, DescriptionFollowsTheVersionTable)
{
    const uint8_t workstation = 1, server = 3;
    auto withR2 = [](OsVersionFacts f) {
        f.serverR2 = true;
        return f;
    };
    auto withX64 = [](OsVersionFacts f) {
        f.x64 = true;
        return f;
    };
    struct Case {
        OsVersionFacts facts;
        const char* description;
        uint8_t index;
    } cases[] = {
        {NT(3, 51, workstation), "Windows NT 3", 7},
        {NT(4, 0, workstation), "Windows NT 4", 8},
        {NT(5, 0, server), "Windows 2000", 9},
        {NT(5, 1, server), "Windows XP", 10},
        {withX64(NT(5, 2, workstation)), "Windows XP x64", 10},
        {NT(5, 2, server), "Windows 2003", 11},
        {withR2(NT(5, 2, server)), "Windows 2003 R2", 11},
        {NT(6, 0, workstation), "Windows Vista", 12},
        {NT(6, 0, server), "Windows 2008", 13},
        {NT(6, 1, workstation), "Windows 7", 14},
        {NT(6, 1, server), "Windows 2008 R2", 15},
        {NT(6, 2, workstation), "Windows NT New", 16},
        {NT(10, 0, workstation), "Windows NT New", 16},
        {Win9x(4, 0, 950), "Windows 95", 1},
        {Win9x(4, 0, 1111), "Windows 95 OSR-2", 2},
        {Win9x(4, 10, 2000), "Windows 98", 3},
        {Win9x(4, 10, 2222), "Windows 98 SE", 4},
        {Win9x(4, 10, 3000), "Windows ME", 5},
        {Win9x(4, 90, 3000), "Windows ME", 5},
        {Win9x(4, 91, 3000), "Windows 9x New", 6},
        {Win9x(5, 0, 0), "Windows 9x New", 6},
        {Win9x(3, 95, 0), "None", 0},
        {OsVersionFacts{}, "None", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        TOS os = DescribeOs(c.facts);
        EXPECT_EQ(os.description, c.description);
        EXPECT_EQ(os.osIndex, c.index);
        EXPECT_EQ(os.kindNT, os.isNT ? c.index : 0);
        EXPECT_EQ(os.kind9x, os.is9x ? c.index : 0);
    }
}

TEST(QorOsInfo, SuffixesComeInTheirOrder)
{
    OsVersionFacts f = NT(5, 1, 1);
    f.serverR2 = f.tabletPc = f.starter = f.mediaCenter = f.x64 = true;
    f.servicePack = "Service Pack 3";
    EXPECT_EQ(DescribeOs(f).description,
              "Windows XP R2 Tablet PC Starter Media Center x64 Service Pack 3");
    // The media-center suffix belongs to the systems before Vista.
    f = NT(6, 1, 1);
    f.mediaCenter = true;
    EXPECT_EQ(DescribeOs(f).description, "Windows 7");
    // The Windows 9x line gets no suffix, and keeps the low 16 bits of its build.
    OsVersionFacts old = Win9x(4, 10, 0x040A08AE);
    old.servicePack = " A ";
    old.tabletPc = true;
    TOS os = DescribeOs(old);
    EXPECT_EQ(os.description, "Windows 98 SE");
    EXPECT_EQ(os.build, 0x08AEu);
    EXPECT_EQ(os.servicePack, " A ");
}

TEST(QorOsInfo, ServicePackNumber)
{
    OsVersionFacts f = NT(5, 1, 1);
    f.servicePack = "Service Pack 2";
    f.servicePackMajor = 3;
    EXPECT_EQ(DescribeOs(f).servicePackNumber, 3) << "the extended record's number";
    f.extended = false;
    EXPECT_EQ(DescribeOs(f).servicePackNumber, 2) << "the text from its 14th character";
    f.servicePack = "Service Pack ";
    EXPECT_EQ(DescribeOs(f).servicePackNumber, 0) << "shorter than 14 characters";
}

TEST(QorOsInfo, FileVersionTextAndTicks)
{
    EXPECT_EQ(FileVersionText(0x0001000200030004ull), "1.2.3.4");
    EXPECT_EQ(FileVersionText(0xFFFF00000000FFFFull), "65535.0.0.65535");
    EXPECT_EQ(FileVersionText(0), "0.0.0.0");
    EXPECT_EQ(TicksBetween(1000, 1500), 500u);
    EXPECT_EQ(TicksBetween(7, 7), 0u);
    // Across a wrap of the counter: one millisecond less than the true 0x20 difference.
    EXPECT_EQ(TicksBetween(0xFFFFFFF0u, 0x10u), 0x1Fu);
}
