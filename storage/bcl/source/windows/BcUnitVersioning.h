#pragma once
// Process-wide registry of the utility modules' version records. Every executable module of
// a process built from these modules finds the same registry through kernel objects named
// after the process id: the mutex "MutexNPA_UnitVersioning_<pid>" and the 4-byte shared
// block "ShmNPA_UnitVersioning_<pid>" that holds the registry's address.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace bcl {

// Constant description of one module, never written at run time.
struct TUnitVersionInfo {
    const char* SourceUrlText; // "$URL: <location> $"
    const char* RevisionText;  // "$Revision: <n> $"
    const char* DateText;      // "$Date: <date> $"
    const char* LogicalPath;   // "BCL\source\common" or "BCL\source\windows"
    const char* ExtraText;
    void* UserData;
};

class TUnitVersion {
public:
    explicit TUnitVersion(const TUnitVersionInfo* info) : InfoRecord(info) {}
    const TUnitVersionInfo* InfoRecord; // the module's record itself, not a copy
};

class TUnitVersioningModule {
public:
    explicit TUnitVersioningModule(HMODULE instance) : ModuleInstance(instance) {}
    void AddInfo(const TUnitVersionInfo* info);
    int IndexOfInfo(const TUnitVersionInfo* info) const; // -1 when absent

    HMODULE ModuleInstance;
    std::vector<std::unique_ptr<TUnitVersion>> VersionEntries;
};

// A source of version records besides the registered ones (none in this system).
class TUnitVersioningProvider {
public:
    virtual ~TUnitVersioningProvider() = default;
    virtual void ReleaseModule(HMODULE instance) = 0;
};

class TUnitVersioning {
public:
    virtual ~TUnitVersioning() = default;
    virtual void AddInfo(HMODULE instance, const TUnitVersionInfo* info);
    virtual void RemoveModule(HMODULE instance);

    std::vector<std::unique_ptr<TUnitVersioningModule>> ModuleEntries;
    std::vector<std::unique_ptr<TUnitVersioningProvider>> ProviderEntries;
};

void RegisterUnitVersionInfo(HMODULE instance, const TUnitVersionInfo* info);
void UnregisterUnitVersionInfo(HMODULE instance);
// The registry of this process, or null after ShutDownUnitVersioning.
TUnitVersioning* UnitVersioningInstance();
// Clears the shared block, releases it, frees the registry when this module created it;
// later registrations do nothing. Never raises.
void ShutDownUnitVersioning();

// Names of the registry's kernel objects for a process id.
std::string UnitVersioningMutexName(DWORD processId);
std::string UnitVersioningSharedMemoryName(DWORD processId);

} // namespace bcl
