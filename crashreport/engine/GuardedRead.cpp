#include "GuardedRead.h"

#include <windows.h>

namespace qor {

namespace {

bool ReadableProtection(DWORD protect)
{
    if (protect & (PAGE_GUARD | PAGE_NOACCESS))
        return false;
    DWORD base = protect & 0xFF;
    return base == PAGE_READONLY || base == PAGE_READWRITE || base == PAGE_WRITECOPY ||
           base == PAGE_EXECUTE || base == PAGE_EXECUTE_READ || base == PAGE_EXECUTE_READWRITE ||
           base == PAGE_EXECUTE_WRITECOPY;
}

} // namespace

bool GuardedRead(uintptr_t source, void* destination, size_t count, const CodeMemory* map)
{
    if (source == 0)
        return false;
    if (map && !map->Region(static_cast<uint32_t>(source)).readable)
        return false;
    // Without a map every page is asked first: under Wine the memory-read service also "reads"
    // reserved pages that hold nothing, and guard pages must not be touched.
    for (uintptr_t page = source & ~uintptr_t{0xFFF}; !map && page < source + count;
         page += 0x1000) {
        MEMORY_BASIC_INFORMATION info;
        uintptr_t at = page < source ? source : page;
        if (VirtualQuery(reinterpret_cast<LPCVOID>(at), &info, sizeof info) != sizeof info ||
            info.State != MEM_COMMIT || !ReadableProtection(info.Protect))
            return false;
    }
    SIZE_T done = 0;
    return ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<LPCVOID>(source), destination,
                             count, &done) &&
           done == count;
}

bool ProcessMemory::Read(uint32_t address, void* destination, uint32_t count) const
{
    return GuardedRead(address, destination, count);
}

MemoryRegion ProcessMemory::Region(uint32_t address) const
{
    MemoryRegion r;
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)), &info,
                     sizeof info) != sizeof info)
        return r;
    r.start = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.BaseAddress));
    r.size = static_cast<uint32_t>(info.RegionSize);
    r.committed = info.State == MEM_COMMIT;
    r.allocationBase =
        r.committed ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.AllocationBase)) : 0;
    r.readable = r.committed && ReadableProtection(info.Protect);
    return r;
}

} // namespace qor
