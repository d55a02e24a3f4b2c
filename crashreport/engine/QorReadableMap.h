// The readable-memory map of the whole process (`TDATryRead`): the address space from 0 upward
// in region order, consecutive regions of the same readability joined. A stack trace builds it
// once and hands it to every guarded read, so that no page is asked twice and guard pages are
// never touched.
#pragma once

#include <cstdint>
#include <vector>

#include "CodeMemory.h"

namespace qor {

class TDATryRead final : public CodeMemory {
public:
    struct Entry {
        uintptr_t start = 0;
        uintptr_t end = 0; // inclusive last address
        bool readable = false;
    };

    // Whether the region holding `address` is readable (only that first address is tested).
    bool IsReadable(uintptr_t address) const;
    const std::vector<Entry>& Entries() const { return entries_; }

    // As a CodeMemory: reads guarded by this map; a region is the map entry (without allocation
    // base: the map knows readability only).
    bool Read(uint32_t address, void* destination, uint32_t count) const override;
    MemoryRegion Region(uint32_t address) const override;

private:
    friend TDATryRead* CreateReadableMap();
    const Entry* Find(uintptr_t address) const;
    std::vector<Entry> entries_;
};

// Walks every region of the process with the platform's memory query; readable means committed
// with read-only, read-write, execute, execute-read or execute-read-write protection (guard and
// no-access pages are not). Null when the walk cannot even start.
TDATryRead* CreateReadableMap();
// Releases a map (null is fine); never fails.
void FreeReadableMap(TDATryRead* map);
// Whether the region holding `address` is readable; without a map, false.
bool IsReadable(const TDATryRead* map, uintptr_t address);

} // namespace qor
