#include "BcStartup.h"

#include "BcRTTI.h"
#include "BcSharedMemory.h"
#include "BcStrings.h"
#include "BcSynch.h"
#include "BcSysInfoWin.h"
#include "OcBCLUtilsWin.h"

#include <memory>

namespace bcl {

namespace {

#define BC_DATE "$Date: 2026-12-10 12:00:00 +0000 (Thu, 10 Dec 2026) $"
#define BC_RECORD(file, revision, path)                                                     \
    TUnitVersionInfo                                                                        \
    {                                                                                       \
        "$URL: https://repo.orvane.example/brenvik/storage/bcl/source/" path "/" file " $", \
            "$Revision: " #revision " $", BC_DATE, "BCL\\source\\" path, "", nullptr        \
    }

const TUnitVersionInfo BcResourcesInfo = BC_RECORD("BcResources.cpp", 3072, "common");
const TUnitVersionInfo BcWin32Info = BC_RECORD("BcWin32.cpp", 3007, "windows");
const TUnitVersionInfo BcLogicInfo = BC_RECORD("BcLogic.cpp", 2921, "common");
const TUnitVersionInfo BcStringConversionsInfo =
    BC_RECORD("BcStringConversions.cpp", 2921, "common");
const TUnitVersionInfo BcCharsetsInfo = BC_RECORD("BcCharsets.cpp", 2892, "common");
const TUnitVersionInfo Bc8087Info = BC_RECORD("Bc8087.cpp", 2921, "common");
const TUnitVersionInfo BcIniFilesInfo = BC_RECORD("BcIniFiles.cpp", 2892, "common");
const TUnitVersionInfo BcSysInfoInfo = BC_RECORD("BcSysInfo.cpp", 3007, "common");
const TUnitVersionInfo BcUnicodeInfo = BC_RECORD("BcUnicode.cpp", 2930, "common");
const TUnitVersionInfo BcWideStringsInfo = BC_RECORD("BcWideStrings.cpp", 2944, "common");
const TUnitVersionInfo BcRegistryInfo = BC_RECORD("BcRegistry.cpp", 3067, "windows");
const TUnitVersionInfo BcSynchInfo = BC_RECORD("BcSynch.cpp", 2984, "common");
const TUnitVersionInfo BcMathInfo = BC_RECORD("BcMath.cpp", 3070, "common");
const TUnitVersionInfo BcStreamsInfo = BC_RECORD("BcStreams.cpp", 3019, "common");
const TUnitVersionInfo BcAnsiStringsInfo = BC_RECORD("BcAnsiStrings.cpp", 3066, "common");
const TUnitVersionInfo BcStringsInfo = BC_RECORD("BcStrings.cpp", 2993, "common");
const TUnitVersionInfo BcShellInfo = BC_RECORD("BcShell.cpp", 2907, "windows");
const TUnitVersionInfo BcSecurityInfo = BC_RECORD("BcSecurity.cpp", 2921, "windows");
const TUnitVersionInfo BcDateTimeInfo = BC_RECORD("BcDateTime.cpp", 2921, "common");
const TUnitVersionInfo BcFileUtilsInfo = BC_RECORD("BcFileUtils.cpp", 3059, "common");
const TUnitVersionInfo BcConsoleInfo = BC_RECORD("BcConsole.cpp", 2993, "windows");
const TUnitVersionInfo BcSysUtilsInfo = BC_RECORD("BcSysUtils.cpp", 3034, "common");
const TUnitVersionInfo BcUnitVersioningInfo = BC_RECORD("BcUnitVersioning.cpp", 2969, "common");
const TUnitVersionInfo BcBaseInfo = BC_RECORD("BcBase.cpp", 3078, "common");
const TUnitVersionInfo BcRTTIInfo = BC_RECORD("BcRTTI.cpp", 3071, "common");
const TUnitVersionInfo BcMimeInfo = BC_RECORD("BcMime.cpp", 2921, "common");

#undef BC_RECORD
#undef BC_DATE

// Start-up state of the Unicode and base modules.
std::unique_ptr<TBcCriticalSection> UnicodeSection;
char AnsiReplacement = '?';

void StartSysInfo()
{
    SystemInfo();
}
void StartUnicode()
{
    UnicodeSection = std::make_unique<TBcCriticalSection>();
    PlatformWideTextCompare();
}
void StopUnicode()
{
    UnicodeSection.reset();
}
void BuildStringTables()
{
    StringTables();
}
void StartBase()
{
    AnsiReplacement = AnsiReplacementChar();
}
void ChooseNextWideChar()
{
    const wchar_t text[] = L"ab";
    NextWideChar(text);
}

const UtilityModule Modules[] = {
    {"BcResources", &BcResourcesInfo, nullptr, nullptr, false},
    {"BcWin32", &BcWin32Info, nullptr, nullptr, false},
    {"BcLogic", &BcLogicInfo, nullptr, nullptr, false},
    {"BcStringConversions", &BcStringConversionsInfo, nullptr, nullptr, false},
    {"BcCharsets", &BcCharsetsInfo, nullptr, nullptr, false},
    {"Bc8087", &Bc8087Info, nullptr, nullptr, false},
    {"BcIniFiles", &BcIniFilesInfo, nullptr, nullptr, false},
    {"BcSysInfo", &BcSysInfoInfo, StartSysInfo, nullptr, false},
    {"BcUnicode", &BcUnicodeInfo, StartUnicode, StopUnicode, false},
    {"BcWideStrings", &BcWideStringsInfo, nullptr, nullptr, false},
    {"BcRegistry", &BcRegistryInfo, nullptr, nullptr, false},
    {"BcSynch", &BcSynchInfo, nullptr, nullptr, false},
    {"BcMath", &BcMathInfo, nullptr, nullptr, false},
    {"BcStreams", &BcStreamsInfo, nullptr, nullptr, false},
    {"BcAnsiStrings", &BcAnsiStringsInfo, BuildStringTables, nullptr, false},
    {"BcStrings", &BcStringsInfo, BuildStringTables, nullptr, false},
    {"BcShell", &BcShellInfo, nullptr, nullptr, false},
    {"BcSecurity", &BcSecurityInfo, nullptr, nullptr, false},
    {"BcDateTime", &BcDateTimeInfo, nullptr, nullptr, false},
    {"BcFileUtils", &BcFileUtilsInfo, nullptr, nullptr, false},
    {"BcConsole", &BcConsoleInfo, nullptr, nullptr, false},
    {"BcSysUtils", &BcSysUtilsInfo, nullptr, ShutDownSharedMemory, false},
    {"BcUnitVersioning", &BcUnitVersioningInfo, nullptr, ShutDownUnitVersioning, true},
    {"BcBase", &BcBaseInfo, StartBase, nullptr, false},
    {"OcBCLUtils", nullptr, nullptr, nullptr, false},
    {"NextWideChar", nullptr, ChooseNextWideChar, nullptr, false},
    {"BcRTTI", &BcRTTIInfo, StartTypeCache, StopTypeCache, false},
    {"BcMime", &BcMimeInfo, nullptr, nullptr, false},
};

} // namespace

std::span<const UtilityModule> UtilityModules()
{
    return Modules;
}

void StartUtilityModules(HMODULE instance)
{
    for (const auto& module : Modules) {
        if (module.versionInfo)
            RegisterUnitVersionInfo(instance, module.versionInfo);
        if (module.startUp)
            module.startUp();
    }
}

void StopUtilityModules(HMODULE instance)
{
    for (size_t i = std::size(Modules); i-- > 0;) {
        const auto& module = Modules[i];
        if (module.versionInfo && !module.replacesUnregistering)
            UnregisterUnitVersionInfo(instance);
        if (module.shutDown)
            module.shutDown();
    }
}

char StartupAnsiReplacementChar()
{
    return AnsiReplacement;
}

} // namespace bcl
