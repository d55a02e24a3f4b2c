#include "ModuleLoader.h"

namespace hid {

bool LoadLibraryOnce(HMODULE& handle, const char* name)
{
    if (handle == nullptr) {
        const UINT previousMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
        handle = LoadLibraryA(name);
        SetErrorMode(previousMode);
    }
    return handle != nullptr;
}

void FreeLibraryHandle(HMODULE& handle)
{
    if (handle != nullptr) {
        FreeLibrary(handle);
        handle = nullptr;
    }
}

FARPROC GetProcAddressChecked(HMODULE module, const char* name, bool& allOk)
{
    FARPROC address = module != nullptr ? GetProcAddress(module, name) : nullptr;
    if (address == nullptr)
        allOk = false;
    return address;
}

bool IsNtVersionAtLeast(unsigned ntVersion)
{
    const DWORD version = GetVersion();
    if ((version & 0x80000000u) != 0) // the Windows 9x family
        return false;
    const unsigned major = LOBYTE(LOWORD(version));
    const unsigned minor = HIBYTE(LOWORD(version));
    return ((major << 8) | minor) >= ntVersion;
}

} // namespace hid
