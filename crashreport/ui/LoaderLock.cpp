#include "LoaderLock.h"

#include <windows.h>

#include <cstddef>

namespace crashui {

namespace {

// The loader lock of the process environment block (not in the public PEB declaration).
RTL_CRITICAL_SECTION* ProcessLoaderLock()
{
    using GetPebFn = void*(WINAPI*)();
    const auto getPeb = reinterpret_cast<GetPebFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetCurrentPeb")));
    if (!getPeb)
        return nullptr;
    auto* peb = static_cast<unsigned char*>(getPeb());
#ifdef _WIN64
    constexpr size_t kLoaderLockOffset = 0x110;
#else
    constexpr size_t kLoaderLockOffset = 0xA0;
#endif
    return *reinterpret_cast<RTL_CRITICAL_SECTION**>(peb + kLoaderLockOffset);
}

} // namespace

bool LoaderLockHeld(uint32_t milliseconds)
{
    RTL_CRITICAL_SECTION* lock = ProcessLoaderLock();
    if (!lock)
        return false;
    for (uint32_t waited = 0;; waited += 10) {
        if (lock->OwningThread == nullptr)
            return false;
        if (waited >= milliseconds)
            return true;
        Sleep(10);
    }
}

} // namespace crashui
