// Memory that the 32-bit tracer interface can address in both builds.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qor {

// Pages below 4 GB, which is all the 32-bit interface can address: the 64-bit build's allocator
// may hand out higher pages, so the pages are asked for at low addresses in turn.
inline void* AllocatePagesBelow4GB(size_t size, DWORD protect)
{
    for (uintptr_t base = 0x10000000; base < 0x80000000; base += 0x10000) {
        if (void* pages = VirtualAlloc(reinterpret_cast<void*>(base), size,
                                       MEM_COMMIT | MEM_RESERVE, protect))
            return pages;
    }
    return nullptr;
}

} // namespace qor
