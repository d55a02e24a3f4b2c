#include "QorLoaderLock.h"

#include <windows.h>

#include <cstdint>

namespace qor {

bool LoaderLockHeld(unsigned milliseconds)
{
    // The process environment block points at the loader lock and at its own lock; a lock is
    // held when its owning thread is set.
    const bool wide = sizeof(void*) == 8;
    const uintptr_t teb = reinterpret_cast<uintptr_t>(NtCurrentTeb());
    const uintptr_t peb = *reinterpret_cast<const uintptr_t*>(teb + (wide ? 0x60 : 0x30));
    const uintptr_t lockOffsets[2] = {wide ? uintptr_t{0x110} : uintptr_t{0xA0},
                                      wide ? uintptr_t{0x38} : uintptr_t{0x1C}};
    const auto held = [&] {
        for (uintptr_t offset : lockOffsets) {
            const auto* lock = *reinterpret_cast<RTL_CRITICAL_SECTION* const*>(peb + offset);
            if (lock && lock->OwningThread)
                return true;
        }
        return false;
    };
    bool result = held();
    for (int left = static_cast<int>(milliseconds); result && left > 0; left -= 10) {
        Sleep(10);
        result = held();
    }
    return result;
}

} // namespace qor
