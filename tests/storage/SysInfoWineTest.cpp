// System information under Wine, and the release classification under each Windows version
// Wine can pretend to be (set per program in the prefix's registry:
// HKCU\Software\Wine\AppDefaults\<exe>\Version). The probe program also tells whether a
// shared-memory name with a namespace prefix was accepted: only the releases before
// Windows 2000 refuse it.
#include "BcStartup.h"
#include "BcSysInfoWin.h"
#include "PeerProcess.h"

#include <gtest/gtest.h>

using namespace bcl;

namespace {

const char* ProbeKey = "Software\\Wine\\AppDefaults\\bcl_release_probe.exe";

// Sets the Windows version Wine reports to the probe program; removed again by the
// destructor.
class WineVersionOverride {
public:
    WineVersionOverride()
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, ProbeKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
    }
    ~WineVersionOverride()
    {
        RegCloseKey(key_);
        RegDeleteKeyA(HKEY_CURRENT_USER, ProbeKey);
    }
    void Set(const char* version)
    {
        RegSetValueExA(key_, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>(strlen(version) + 1));
    }

private:
    HKEY key_ = nullptr;
};

} // namespace

TEST(SysInfoWine, ReleaseUnderEachEmulatedWindowsVersion)
{
    struct Case {
        const char* wineVersion;
        const char* expected;
    };
    // Platform id, version and product type as Wine 8.0 reports them, the TWindowsRelease
    // value made of them, and whether a namespaced shared-memory name was accepted.
    // Like Windows, Wine reports 6.2 for 8.1 and 10 to programs without a compatibility
    // manifest. Wine 8.0 reports "win7" as a server (product type 3) and "win2008r2" as a
    // workstation (1); the classification follows the product type reported.
    const Case cases[] = {
        {"win10", "platform=2 version=6.2 product=1 release=0 name=accepted"},      // wrUnknown
        {"win81", "platform=2 version=6.2 product=1 release=0 name=accepted"},      // wrUnknown
        {"win8", "platform=2 version=6.2 product=1 release=0 name=accepted"},       // wrUnknown
        {"win2008r2", "platform=2 version=6.1 product=1 release=17 name=accepted"}, // wrWin7
        {"win7", "platform=2 version=6.1 product=3 release=18 name=accepted"}, // wrWinServer2008R2
        {"win2008", "platform=2 version=6.0 product=3 release=16 name=accepted"}, // wrWinServer2008
        {"vista", "platform=2 version=6.0 product=1 release=15 name=accepted"},   // wrWinVista
        {"win2003", "platform=2 version=5.2 product=3 release=12 name=accepted"}, // wrWin2003
        {"winxp", "platform=2 version=5.1 product=1 release=11 name=accepted"},   // wrWinXP
        {"win2k", "platform=2 version=5.0 product=1 release=10 name=accepted"},   // wrWin2000
        {"nt40", "platform=2 version=4.0 product=1 release=9 name=refused"},      // wrWinNT4
        {"nt351", "platform=2 version=3.51 product=1 release=8 name=refused"},    // wrWinNT351
        {"winme", "platform=1 version=4.90 product=0 release=5 name=refused"},    // wrWinMillennium
        {"win98", "platform=1 version=4.10 product=0 release=4 name=refused"}, // wrWin98SE (service
                                                                               // pack "A")
        {"win95", "platform=1 version=4.0 product=0 release=1 name=refused"},  // wrWin95
    };
    WineVersionOverride override;
    for (const auto& c : cases) {
        override.Set(c.wineVersion);
        const auto probe = peer::Run("bcl_release_probe.exe", "");
        EXPECT_EQ(probe.output, c.expected) << "Wine pretending to be " << c.wineVersion;
    }
}

TEST(SysInfoWine, StartUpValuesOfThisPlatform)
{
    const SystemInfoValues& info = SystemInfo();
    SYSTEM_INFO platform{};
    GetSystemInfo(&platform);
    EXPECT_EQ(info.CpuCount, platform.dwNumberOfProcessors);
    EXPECT_EQ(info.MemoryPageSize, 4096u);
    EXPECT_EQ(info.AllocationGranularity, 65536u);
    EXPECT_TRUE(info.PlatformIsNT);
    EXPECT_EQ(info.KernelProductVersionHigh, 0u);
    // Wine reports Windows 6.1 workstation.
    for (int r = wrUnknown; r <= wrWinServer2008R2; ++r)
        EXPECT_EQ(info.IsRelease[r], r == wrWin7) << r;
    EXPECT_FALSE(info.IsWinNT3);

    SYSTEM_INFO native{};
    EXPECT_TRUE(NativeSystemInfo(native));
    // The tests' Wine prefix is as wide as the program: a 32-bit prefix is a 32-bit Windows
    // without a 64-bit side, a 64-bit one an x64 Windows.
    EXPECT_EQ(native.wProcessorArchitecture,
              sizeof(void*) == 8 ? PROCESSOR_ARCHITECTURE_AMD64 : PROCESSOR_ARCHITECTURE_INTEL);
    EXPECT_EQ(AnsiReplacementChar(), '?');
    EXPECT_EQ(LocaleAnsiCodePage(LOCALE_USER_DEFAULT), GetACP());
}

TEST(SysInfoWine, WideTextComparisonIgnoresCaseOnBothFamilies)
{
    for (auto compare : {CompareWideTextNT, CompareWideText9x}) {
        EXPECT_EQ(compare(L"Abc", L"aBC", LOCALE_USER_DEFAULT), 0);
        EXPECT_EQ(compare(L"abc", L"abd", LOCALE_USER_DEFAULT), -1);
        EXPECT_EQ(compare(L"b", L"A", LOCALE_USER_DEFAULT), 1);
    }
    EXPECT_EQ(PlatformWideTextCompare(), &CompareWideTextNT);
}
