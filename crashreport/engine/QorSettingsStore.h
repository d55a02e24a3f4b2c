#pragma once
// The per-process store of parsed settings resources (Windows). Every copy of the engine in a
// process (the executable and libraries that link the engine) finds the same named mapping,
// "qorExceptSettingsBuf$<process id in hex>", and in it one list of ModuleSettingsRecord, one
// per module, so that all of them share one parsed table per module.
#include "QorSettingsTable.h"

#include <windows.h>

namespace qor {

// The 40-byte shared buffer of the 32-bit program (larger in the 64-bit build, whose copies
// share it the same way).
struct SettingsBuffer {
    int32_t ReferenceCount;      // acquisitions not yet released, over all copies
    HANDLE Mapping;              // the mapping as created by the first copy
    CRITICAL_SECTION Lock;       // guards the record list, the records and their values
    ModuleSettingsRecord* First; //
    uint32_t Reserved;           // 0
};

// The RCDATA resource "TQOREXCEPT" of the module, or null.
HRSRC FindSettingsResource(HMODULE module);
// The module's resource parsed (capacity and count 0 and null without one or with another
// header); a value type outside the accepted subset is reported in a message box and ends the
// parse with the entries read so far.
SettingsProperty* ParseSettingsResource(HMODULE module, int32_t& capacity, int32_t& count);

HANDLE LockSettingsMutex();
void UnlockSettingsMutex(HANDLE mutex);
bool AcquireSettingsBuffer();
void ReleaseSettingsBuffer();

void LoadModuleProperties(HMODULE module, ModuleSettingsRecord& record);
// The module's shared record with one more reference (and one on the buffer), or null when the
// module has no settings resource or the buffer cannot be opened.
ModuleSettingsRecord* AcquireModuleSettings(HMODULE module);
void ReleaseModuleSettings(ModuleSettingsRecord* record);
void ReloadModuleProperties(HMODULE module, ModuleSettingsRecord& record);
// Removes the module's record from the list (the record itself stays for its holders).
void UnlinkModuleSettings(HMODULE module);

// This copy's view of the shared buffer, null before its first acquisition.
SettingsBuffer* SharedSettingsBuffer();

// Holds the shared buffer's critical section (re-entrant) while single values are read or
// changed; does nothing before this copy acquired the buffer.
class SettingsLock {
public:
    SettingsLock();
    ~SettingsLock();
    SettingsLock(const SettingsLock&) = delete;
    SettingsLock& operator=(const SettingsLock&) = delete;

private:
    SettingsBuffer* buffer_;
};

} // namespace qor
