#include "BcUnitVersioning.h"

#include "BcSharedMemory.h"
#include "BcSynch.h"

#include <cstring>

namespace bcl {

namespace {

std::unique_ptr<TBcMutex> RegistryMutex;
void* RegistrySlot = nullptr;
TUnitVersioning* RegistryObject = nullptr;
bool RegistryOwned = false;
bool RegistryShutDown = false;

TUnitVersioning* ReadSlot()
{
    TUnitVersioning* address = nullptr;
    std::memcpy(&address, RegistrySlot, sizeof(address));
    return address;
}

void WriteSlot(TUnitVersioning* address)
{
    std::memcpy(RegistrySlot, &address, sizeof(address));
}

// Holds the registry mutex while it lives; the wait's outcome is not inspected (an
// abandoned mutex still serialises).
class RegistryMutexHold {
public:
    RegistryMutexHold() { RegistryMutex->WaitInfinite(); }
    ~RegistryMutexHold() { RegistryMutex->Unlock(); }
};

} // namespace

void TUnitVersioningModule::AddInfo(const TUnitVersionInfo* info)
{
    VersionEntries.push_back(std::make_unique<TUnitVersion>(info));
}

int TUnitVersioningModule::IndexOfInfo(const TUnitVersionInfo* info) const
{
    for (size_t i = 0; i < VersionEntries.size(); ++i)
        if (VersionEntries[i]->InfoRecord == info)
            return static_cast<int>(i);
    return -1;
}

void TUnitVersioning::AddInfo(HMODULE instance, const TUnitVersionInfo* info)
{
    for (auto& module : ModuleEntries) {
        if (module->ModuleInstance == instance) {
            if (module->IndexOfInfo(info) < 0)
                module->AddInfo(info);
            return;
        }
    }
    auto module = std::make_unique<TUnitVersioningModule>(instance);
    module->AddInfo(info);
    ModuleEntries.push_back(std::move(module));
}

void TUnitVersioning::RemoveModule(HMODULE instance)
{
    for (size_t i = ModuleEntries.size(); i-- > 0;) {
        if (ModuleEntries[i]->ModuleInstance == instance) {
            ModuleEntries.erase(ModuleEntries.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    for (auto& provider : ProviderEntries)
        provider->ReleaseModule(instance);
}

std::string UnitVersioningMutexName(DWORD processId)
{
    return "MutexNPA_UnitVersioning_" + std::to_string(processId);
}

std::string UnitVersioningSharedMemoryName(DWORD processId)
{
    return "ShmNPA_UnitVersioning_" + std::to_string(processId);
}

TUnitVersioning* UnitVersioningInstance()
{
    if (RegistryShutDown)
        return nullptr;
    if (!RegistryMutex)
        RegistryMutex = std::make_unique<TBcMutex>(nullptr, false,
                                                   UnitVersioningMutexName(GetCurrentProcessId()));
    if (!RegistryObject) {
        RegistryMutexHold hold;
        if (!RegistrySlot)
            AcquireSharedMemory(RegistrySlot, UnitVersioningSharedMemoryName(GetCurrentProcessId()),
                                sizeof(void*), FILE_MAP_ALL_ACCESS);
        if (RegistrySlot) {
            RegistryObject = ReadSlot();
            if (!RegistryObject) {
                RegistryObject = new TUnitVersioning;
                WriteSlot(RegistryObject);
                RegistryOwned = true;
            }
        } else {
            RegistryObject = new TUnitVersioning;
            RegistryOwned = true;
        }
    } else if (RegistrySlot) {
        RegistryMutexHold hold;
        RegistryObject = ReadSlot();
    }
    return RegistryObject;
}

void RegisterUnitVersionInfo(HMODULE instance, const TUnitVersionInfo* info)
{
    if (TUnitVersioning* registry = UnitVersioningInstance())
        registry->AddInfo(instance, info);
}

void UnregisterUnitVersionInfo(HMODULE instance)
{
    if (TUnitVersioning* registry = UnitVersioningInstance())
        registry->RemoveModule(instance);
}

void ShutDownUnitVersioning()
{
    RegistryShutDown = true;
    // Shut-down never raises: whatever fails here only leaves a block or an object behind.
    try {
        if (RegistrySlot && RegistryMutex) {
            RegistryMutexHold hold;
            WriteSlot(nullptr);
            CloseSharedMemory(RegistrySlot);
        }
        if (RegistryOwned)
            delete RegistryObject;
        RegistryObject = nullptr;
    } catch (...) {
    }
    RegistryMutex.reset();
}

} // namespace bcl
