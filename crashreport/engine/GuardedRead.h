// Reads of this process's memory that never fault, for the decoder and the function analyser.
#pragma once

#include <cstdint>

#include "CodeMemory.h"

namespace qor {

// The memory of the running process: regions from the platform's memory query, bytes through
// its memory-read service applied to the current process.
class ProcessMemory final : public CodeMemory {
public:
    bool Read(uint32_t address, void* destination, uint32_t count) const override;
    MemoryRegion Region(uint32_t address) const override;
};

// Copies `count` bytes from `source`; false when the source is 0, when `map` (may be null) says
// its region is not readable, or when not every byte could be read.
bool GuardedRead(uintptr_t source, void* destination, size_t count,
                 const CodeMemory* map = nullptr);

} // namespace qor
