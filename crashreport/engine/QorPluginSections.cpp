#include "QorPluginSections.h"

#include "ExceptionPathSystem.h"
#include "QorStrings.h"
#include "QorTools.h"

#include <windows.h>

#include <psapi.h>
#include <setupapi.h>
#include <tlhelp32.h>

#include <vector>

namespace qor {

namespace {

template <typename Function>
Function BindEntry(const char* library, const char* name)
{
    HMODULE module = GetModuleHandleA(library);
    if (module == nullptr)
        module = LoadLibraryA(library); // kept: looked up once per use, not released
    return module != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

std::string CollapsedBlanks(std::string text)
{
    for (size_t at; (at = text.find("  ")) != std::string::npos;)
        text.erase(at, 1);
    TrimInPlace(text);
    return text;
}

const char* const ProcessorKey = "hardware\\description\\system\\centralProcessor\\";

} // namespace

bool UserIsAdministrator()
{
    using CheckMembership = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
    const auto check = BindEntry<CheckMembership>("advapi32.dll", "CheckTokenMembership");
    if (check == nullptr)
        return false;
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators))
        return false;
    BOOL member = FALSE;
    const bool asked = check(nullptr, administrators, &member) != 0;
    FreeSid(administrators);
    return asked && member;
}

std::string TerminalClientName()
{
    if (GetSystemMetrics(SM_REMOTESESSION) == 0)
        return {};
    using Query = BOOL(WINAPI*)(HANDLE, DWORD, int, char**, DWORD*);
    using Free = void(WINAPI*)(void*);
    const auto query = BindEntry<Query>("wtsapi32.dll", "WTSQuerySessionInformationA");
    const auto release = BindEntry<Free>("wtsapi32.dll", "WTSFreeMemory");
    if (query == nullptr || release == nullptr)
        return {};
    char* name = nullptr;
    DWORD length = 0;
    const int clientName = 10; // WTSClientName
    if (!query(nullptr, static_cast<DWORD>(-1), clientName, &name, &length) || name == nullptr)
        return {};
    std::string text = length > 1 ? std::string(name, length - 1) : std::string();
    release(name);
    return text;
}

std::string OsVersionText()
{
    TOS os;
    QueryOsInfo(os);
    return os.description + " build " + std::to_string(os.build);
}

std::string OsLanguageText()
{
    char name[128] = {};
    const int length = GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SENGLANGUAGE, name, 128);
    return length > 1 ? std::string(name) : std::string();
}

std::string SystemUpTimeText()
{
    LARGE_INTEGER counter, frequency;
    if (!QueryPerformanceCounter(&counter) || !QueryPerformanceFrequency(&frequency) ||
        frequency.QuadPart == 0)
        return {};
    return DurationText(counter.QuadPart / frequency.QuadPart);
}

std::string ProgramUpTimeText(int64_t startMilliseconds)
{
    LARGE_INTEGER counter, frequency;
    if (startMilliseconds == 0 || !QueryPerformanceCounter(&counter) ||
        !QueryPerformanceFrequency(&frequency) || frequency.QuadPart < 1000)
        return {};
    const int64_t elapsed = counter.QuadPart / (frequency.QuadPart / 1000) - startMilliseconds;
    const std::string text = DurationText(elapsed / 1000);
    return text.empty() ? std::to_string(elapsed) + " milliseconds" : text;
}

std::string ProcessorNameText()
{
    return CollapsedBlanks(ReadRegistryText(HKEY_LOCAL_MACHINE, std::string(ProcessorKey) + "0",
                                            "ProcessorNameString"));
}

int ProcessorCount()
{
    // Every processor the system describes counts (no upper limit).
    int count = 1;
    while (!ReadRegistryText(HKEY_LOCAL_MACHINE, ProcessorKey + std::to_string(count),
                             "ProcessorNameString")
                .empty())
        ++count;
    return count;
}

std::string PhysicalMemoryText()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status))
        return {};
    auto mib = [](uint64_t bytes) { return std::to_string((bytes + 524288) / 1048576); };
    return mib(status.ullAvailPhys) + "/" + mib(status.ullTotalPhys) + " MB (free/total)";
}

std::string DiskSpaceText(char drive)
{
    if (drive == '\\')
        return {};
    const std::string root = std::string(1, drive) + ":\\";
    ULARGE_INTEGER available, total, free;
    const uint64_t bytes =
        GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free) ? free.QuadPart : 0;
    return "(" + UpperStr(std::string(1, drive)) + ":) " + SizeToText(static_cast<int64_t>(bytes));
}

std::string DisplayModeText()
{
    const HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    return std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
           std::to_string(GetSystemMetrics(SM_CYSCREEN)) + ", " + std::to_string(bits) + " bit";
}

uint64_t ProcessMemoryInfo()
{
    uint64_t total = 0;
    const char* address = nullptr;
    const void* lastBase = nullptr;
    bool lastIsImage = false;
    MEMORY_BASIC_INFORMATION region;
    while (VirtualQuery(address, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT) {
            if (region.AllocationBase != lastBase) {
                char name[MAX_PATH];
                lastBase = region.AllocationBase;
                lastIsImage = GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), name,
                                                 MAX_PATH) != 0;
            }
            if (!lastIsImage)
                total += region.RegionSize;
        }
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total;
}

std::string AllocatedMemoryText()
{
    return SizeToText(static_cast<int64_t>(ProcessMemoryInfo()));
}

std::string ModuleSectionText()
{
    std::vector<ModuleRecord> modules;
    modules.reserve(32);
    const char* address = nullptr;
    const void* previousBase = nullptr;
    MEMORY_BASIC_INFORMATION region;
    while (VirtualQuery(address, &region, sizeof(region)) == sizeof(region)) {
        char path[MAX_PATH + 1] = {};
        if (region.State == MEM_COMMIT && region.BaseAddress == region.AllocationBase &&
            region.AllocationBase != previousBase &&
            GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), path, MAX_PATH) != 0) {
            const std::string file = path;
            const size_t slash = file.rfind('\\');
            ModuleRecord record;
            record.Handle = reinterpret_cast<uintptr_t>(region.AllocationBase);
            record.FileName = slash == std::string::npos ? file : file.substr(slash + 1);
            record.Folder = slash == std::string::npos ? "" : file.substr(0, slash);
            record.Version = FileVersionText(static_cast<HMODULE>(region.AllocationBase));
            if (record.Version == "0.0.0.0")
                record.Version.clear();
            modules.push_back(std::move(record));
        }
        previousBase = region.AllocationBase;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return ModuleLines(modules);
}

std::string ProcessSectionText()
{
    using GuiResources = DWORD(WINAPI*)(HANDLE, DWORD);
    static const auto guiResources = BindEntry<GuiResources>("user32.dll", "GetGuiResources");
    std::vector<ProcessRecord> processes;
    processes.reserve(64);
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return {};
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        DWORD session = 0;
        ProcessIdToSessionId(entry.th32ProcessID, &session);
        std::string path = entry.szExeFile;
        const HANDLE process = entry.th32ProcessID != 0
                                   ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                                 entry.th32ProcessID)
                                   : nullptr;
        char fullPath[MAX_PATH + 1] = {};
        if (process != nullptr && GetModuleFileNameExA(process, nullptr, fullPath, MAX_PATH) != 0)
            path = fullPath;
        ProcessRecord record = ProcessFromPath(path, entry.th32ProcessID, session);
        if (process != nullptr) {
            record.PriorityClass = static_cast<int32_t>(GetPriorityClass(process));
            if (guiResources != nullptr) {
                record.GdiObjects = guiResources(process, GR_GDIOBJECTS);
                record.UserObjects = guiResources(process, GR_USEROBJECTS);
            }
            CloseHandle(process);
        }
        processes.push_back(std::move(record));
    }
    CloseHandle(snapshot);
    return ProcessLines(processes);
}

namespace {

std::string DeviceProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property)
{
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyA(devices, &device, property, nullptr, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::vector<BYTE> buffer(static_cast<size_t>(size) * 2 + 2, 0);
    if (!SetupDiGetDeviceRegistryPropertyA(devices, &device, property, nullptr, buffer.data(),
                                           size * 2, nullptr))
        return {};
    return reinterpret_cast<const char*>(buffer.data());
}

std::string DriverVersionOf(const std::string& driverKey)
{
    const std::string provider = ReadRegistryText(HKEY_LOCAL_MACHINE, driverKey, "ProviderName");
    if (provider.empty() || provider[0] == '(' || TextMatches(provider, "Microsoft"))
        return {};
    std::string version = ReadRegistryText(HKEY_LOCAL_MACHINE, driverKey, "DriverVersion");
    if (version.empty())
        version = ReadRegistryText(HKEY_LOCAL_MACHINE, driverKey, "DriverDate");
    return TrimmedCopy(version);
}

} // namespace

std::string HardwareSectionText()
{
    HardwareTable table;
    const HDEVINFO devices =
        SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return {};
    const std::string classRoot = "System\\CurrentControlSet\\Control\\Class\\";
    SP_DEVINFO_DATA device;
    device.cbSize = sizeof(device);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        const std::string className = DeviceProperty(devices, device, SPDRP_CLASS);
        const std::string hardwareId = DeviceProperty(devices, device, SPDRP_HARDWAREID);
        if (TextMatches(className, "LegacyDriver") || TextMatches(className, "Unknown") ||
            TextMatches(className, "Volume") || StartsWithText("sw\\", hardwareId))
            continue;
        std::string classText = DeviceProperty(devices, device, SPDRP_CLASSGUID);
        const std::string display = ReadRegistryText(HKEY_LOCAL_MACHINE, classRoot + classText, "");
        if (!display.empty())
            classText = display;
        if (classText.empty())
            continue;
        std::string name = DeviceProperty(devices, device, SPDRP_FRIENDLYNAME);
        if (name.empty())
            name = DeviceProperty(devices, device, SPDRP_DEVICEDESC);
        const std::string driver = DeviceProperty(devices, device, SPDRP_DRIVER);
        const std::string driverKey = driver.empty() ? "" : classRoot + driver;
        const std::string characteristics =
            driverKey.empty() ? ""
                              : ReadRegistryText(HKEY_LOCAL_MACHINE, driverKey, "Characteristics");
        if (characteristics.size() == 4 && (characteristics[0] & 8) != 0)
            continue; // hidden
        table.AddDevice(classText, name, driverKey);
    }
    SetupDiDestroyDeviceInfoList(devices);
    return table.Text(DriverVersionOf);
}

namespace {
int pluginStarts = 0;
} // namespace

void StartReportPlugins()
{
    if (pluginStarts++ > 0)
        return;
    AddReportPlugin("modules", "list of loaded modules", ModuleSectionText, true);
    AddReportPlugin("processes", "list of running processes", ProcessSectionText, true);
    AddReportPlugin("hardware", "list of installed hardware", HardwareSectionText, true);
}

void StopReportPlugins()
{
    if (pluginStarts == 0 || --pluginStarts > 0)
        return;
    RemoveReportPlugin("modules");
    RemoveReportPlugin("processes");
    RemoveReportPlugin("hardware");
}

} // namespace qor
