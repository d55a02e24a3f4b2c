#include "QorReadableMap.h"

#include <windows.h>

#include <algorithm>

#include "GuardedRead.h"

namespace qor {

namespace {

bool ReadableRegion(const MEMORY_BASIC_INFORMATION& info)
{
    if (info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)))
        return false;
    switch (info.Protect & 0xFF) {
        case PAGE_READONLY:
        case PAGE_READWRITE:
        case PAGE_EXECUTE:
        case PAGE_EXECUTE_READ:
        case PAGE_EXECUTE_READWRITE:
            return true;
        default:
            return false;
    }
}

} // namespace

TDATryRead* CreateReadableMap()
{
    auto* map = new TDATryRead;
    map->entries_.reserve(64);
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const uintptr_t top = reinterpret_cast<uintptr_t>(system.lpMaximumApplicationAddress);
    uintptr_t address = 0;
    for (;;) {
        MEMORY_BASIC_INFORMATION info;
        uintptr_t end;
        bool readable = false;
        if (address <= top &&
            VirtualQuery(reinterpret_cast<LPCVOID>(address), &info, sizeof info) == sizeof info &&
            info.RegionSize) {
            end = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize - 1;
            readable = ReadableRegion(info);
        } else {
            end = UINTPTR_MAX; // the rest of the address space is nobody's
        }
        if (!map->entries_.empty() && map->entries_.back().readable == readable)
            map->entries_.back().end = end;
        else
            map->entries_.push_back({address, end, readable});
        if (end == UINTPTR_MAX)
            break;
        address = end + 1;
    }
    return map;
}

void FreeReadableMap(TDATryRead* map)
{
    delete map;
}

bool IsReadable(const TDATryRead* map, uintptr_t address)
{
    return map && map->IsReadable(address);
}

const TDATryRead::Entry* TDATryRead::Find(uintptr_t address) const
{
    auto it = std::upper_bound(entries_.begin(), entries_.end(), address,
                               [](uintptr_t a, const Entry& e) { return a < e.start; });
    if (it == entries_.begin())
        return nullptr;
    --it;
    return address <= it->end ? &*it : nullptr;
}

bool TDATryRead::IsReadable(uintptr_t address) const
{
    const Entry* e = Find(address);
    return e && e->readable;
}

bool TDATryRead::Read(uint32_t address, void* destination, uint32_t count) const
{
    return GuardedRead(address, destination, count, this);
}

MemoryRegion TDATryRead::Region(uint32_t address) const
{
    MemoryRegion r;
    const Entry* e = Find(address);
    if (!e)
        return r;
    r.start = static_cast<uint32_t>(std::min<uintptr_t>(e->start, 0xFFFFFFFF));
    uintptr_t last = std::min<uintptr_t>(e->end, 0xFFFFFFFF);
    r.size = static_cast<uint32_t>(std::min<uintptr_t>(last - e->start + 1, 0xFFFFFFFF));
    r.committed = e->readable;
    r.readable = e->readable;
    return r;
}

} // namespace qor
