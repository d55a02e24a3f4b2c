#pragma once
// Named shared memory backed by the paging file, counted per process: the first request
// for a name creates or opens the mapping and maps a view; later requests for the same name
// (ignoring letter case) share that view; the last release unmaps it and closes the mapping.
// Other processes reach the same memory by the same name.
#include <windows.h>

#include "core/Object.h"

#include <cstdint>
#include <string>

namespace bcl {

// 0 when this call created the mapping, ERROR_ALREADY_EXISTS (183) when the name was already
// mapped in this process or existed in the system. Raises ESharedMemError for a name the
// platform release cannot use or an empty new mapping, EBcWin32Error when the platform
// fails.
int32_t AcquireSharedMemory(void*& memory, const std::string& name, uint32_t size,
                            uint32_t desiredAccess = FILE_MAP_ALL_ACCESS);
// True when `memory` was null or was found and released (then set to null); false when no
// view of this process has that address.
bool ReleaseSharedMemory(void*& memory);
bool CloseSharedMemory(void*& memory);

// Holds the lock of the process's list of views while it lives; holds nothing after the
// module's shut-down.
class HandleListLock {
public:
    HandleListLock(const HandleListLock&) = delete;
    HandleListLock& operator=(const HandleListLock&) = delete;
    HandleListLock(HandleListLock&& other) noexcept : section_(other.section_)
    {
        other.section_ = nullptr;
    }
    ~HandleListLock();
    bool HoldsLock() const { return section_ != nullptr; }

private:
    friend HandleListLock LockHandleList();
    explicit HandleListLock(CRITICAL_SECTION* section);
    CRITICAL_SECTION* section_;
};
HandleListLock LockHandleList();

void FreeModuleHandle(HMODULE& module);

// "{7DAD5224-46EA-11D5-B0C0-4854E825F345}": the first 32-bit part, the two 16-bit parts and the
// eight bytes in storage order, upper-case hexadecimal digits.
std::string GUIDToBraceText(const classlib::TGUID& guid);

// Module shut-down: frees the list lock and forbids creating it again. Views still held
// stay mapped.
void ShutDownSharedMemory();

} // namespace bcl
