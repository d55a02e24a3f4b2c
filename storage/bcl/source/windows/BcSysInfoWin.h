#pragma once
// Start-up facts about the running platform: processor and memory-page data, the release
// classification with one flag per release, the kernel library's product version on the
// 95/98/Millennium family, the wide-text comparison of the platform family and the ANSI
// replacement character.
#include "BcSysInfo.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

namespace bcl {

struct SystemInfoValues {
    uint32_t CpuCount = 0;
    uint32_t MemoryPageSize = 0;
    uint32_t AllocationGranularity = 0;
    bool PlatformIsNT = false;
    uint32_t KernelProductVersionHigh = 0;
    // One flag per release (index = TWindowsRelease; wrUnknown's stays false).
    std::array<bool, wrWinServer2008R2 + 1> IsRelease{};
    bool IsWinNT3 = false; // NT 3.1, 3.5 or 3.51
};

// Computed once, on first use (the module start-up forces it).
const SystemInfoValues& SystemInfo();

// The facts of the running platform, asked through GetVersionEx and friends.
WindowsVersionFacts CurrentWindowsVersionFacts();
TWindowsRelease WindowsRelease();

// GetNativeSystemInfo when kernel32 has it (true), else GetSystemInfo (false).
bool NativeSystemInfo(SYSTEM_INFO& info);

UINT LocaleAnsiCodePage(LCID locale);
// -1, 0 or 1, ignoring case.
int CompareWideTextNT(const std::wstring& a, const std::wstring& b, LCID locale);
int CompareWideText9x(const std::wstring& a, const std::wstring& b, LCID locale);
using WideTextCompare = int (*)(const std::wstring&, const std::wstring&, LCID);
// The comparison of the running platform family.
WideTextCompare PlatformWideTextCompare();

// The first byte of the ANSI code page's default character; raises EBcInternalError when
// the platform cannot say.
char AnsiReplacementChar();

} // namespace bcl
