#include "BcSysInfoWin.h"

#include "BcErrors.h"
#include "BcFileUtilsWin.h"
#include "BcResourceTexts.h"

#include <cstdlib>

namespace bcl {

namespace {

std::string Trimmed(const char* text)
{
    std::string s(text);
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

uint32_t ReadKernelProductVersionHigh(bool platformIsNT)
{
    if (platformIsNT)
        return 0;
    VsFixedFileInfo fixed{};
    if (!ReadFixedFileInfo(ModuleFileName(GetModuleHandleA("kernel32.dll")), fixed))
        return 0;
    return fixed.ProductVersionMS;
}

uint32_t PlatformId()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExA(&version) ? version.dwPlatformId : 0;
}

SystemInfoValues ComputeSystemInfo()
{
    SystemInfoValues values;
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    values.CpuCount = info.dwNumberOfProcessors;
    values.AllocationGranularity = info.dwAllocationGranularity;
    values.MemoryPageSize = info.dwPageSize;
    values.PlatformIsNT = PlatformId() == VER_PLATFORM_WIN32_NT;
    values.KernelProductVersionHigh = ReadKernelProductVersionHigh(values.PlatformIsNT);
    WindowsVersionFacts facts = CurrentWindowsVersionFacts();
    facts.kernelProductVersionHigh = values.KernelProductVersionHigh;
    const TWindowsRelease release = ClassifyWindowsRelease(facts);
    if (release != wrUnknown)
        values.IsRelease[release] = true;
    values.IsWinNT3 = release == wrWinNT31 || release == wrWinNT35 || release == wrWinNT351;
    if (release == wrWinNT351)
        values.IsRelease[wrWinNT35] = true;
    return values;
}

} // namespace

const SystemInfoValues& SystemInfo()
{
    static const SystemInfoValues values = ComputeSystemInfo();
    return values;
}

WindowsVersionFacts CurrentWindowsVersionFacts()
{
    WindowsVersionFacts facts;
    OSVERSIONINFOEXA version{};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version)))
        return facts;
    facts.platformId = version.dwPlatformId;
    facts.major = version.dwMajorVersion;
    facts.minor = version.dwMinorVersion;
    facts.servicePack = Trimmed(version.szCSDVersion);
    // Asked only where the classification needs it: the 95 family's kernel version, and
    // the server and processor tests of the NT family.
    if (facts.platformId == VER_PLATFORM_WIN32_WINDOWS)
        facts.kernelProductVersionHigh = ReadKernelProductVersionHigh(false);
    if (facts.platformId == VER_PLATFORM_WIN32_NT) {
        facts.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
        SYSTEM_INFO native{};
        NativeSystemInfo(native);
        facts.nativeProcessorIsX86 = native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL;
        OSVERSIONINFOEXA extended{};
        extended.dwOSVersionInfoSize = sizeof(extended);
        if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
            facts.productTypeKnown = true;
            facts.productType = extended.wProductType;
        }
    }
    return facts;
}

TWindowsRelease WindowsRelease()
{
    return ClassifyWindowsRelease(CurrentWindowsVersionFacts());
}

bool NativeSystemInfo(SYSTEM_INFO& info)
{
    using GetNativeSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);
    if (HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
        if (auto fn = reinterpret_cast<GetNativeSystemInfoFn>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "GetNativeSystemInfo")))) {
            fn(&info);
            return true;
        }
    }
    GetSystemInfo(&info);
    return false;
}

UINT LocaleAnsiCodePage(LCID locale)
{
    char text[6] = {};
    if (GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE, text, sizeof(text)) > 0) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end != text && *end == '\0')
            return static_cast<UINT>(value);
    }
    return GetACP();
}

int CompareWideTextNT(const std::wstring& a, const std::wstring& b, LCID locale)
{
    return CompareStringW(locale, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) -
           2;
}

int CompareWideText9x(const std::wstring& a, const std::wstring& b, LCID locale)
{
    const UINT codePage = LocaleAnsiCodePage(locale);
    auto narrow = [codePage](const std::wstring& wide) {
        std::string text(wide.size(), '\0');
        const int n =
            WideCharToMultiByte(codePage, 0, wide.c_str(), static_cast<int>(wide.size()),
                                text.data(), static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return text;
    };
    const std::string na = narrow(a);
    const std::string nb = narrow(b);
    return CompareStringA(locale, NORM_IGNORECASE, na.c_str(), static_cast<int>(na.size()),
                          nb.c_str(), static_cast<int>(nb.size())) -
           2;
}

WideTextCompare PlatformWideTextCompare()
{
    return SystemInfo().PlatformIsNT ? CompareWideTextNT : CompareWideText9x;
}

char AnsiReplacementChar()
{
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info))
        throw EBcInternalError(texts::NoAnsiReplacementChar);
    return static_cast<char>(info.DefaultChar[0]);
}

} // namespace bcl
