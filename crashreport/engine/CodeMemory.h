// Code is read through this small interface: bytes at a 32-bit address and a region query.
// The decoder and the function analyser never touch memory directly, so the same code reads a
// running process (through guarded reads on Windows) or a synthetic image built from a file.
#pragma once

#include <cstdint>
#include <vector>

namespace qor {

struct MemoryRegion {
    uint32_t start = 0;          // first address of the region
    uint32_t size = 0;           // 0 when the address lies in no region
    uint32_t allocationBase = 0; // start of the allocation (a module's image base), 0 when free
    bool committed = false;
    bool readable = false;
};

class CodeMemory {
public:
    virtual ~CodeMemory() = default;
    // Copies `count` bytes from `address` into `destination`; false (and nothing promised about
    // the destination) when any of them cannot be read. Never faults.
    virtual bool Read(uint32_t address, void* destination, uint32_t count) const = 0;
    // The region that holds `address`.
    virtual MemoryRegion Region(uint32_t address) const = 0;
    // The `count` bytes at `address` where they can be read in place (the program's own code,
    // which stays mapped and unchanged while it runs), or null when they must be copied
    // through Read.
    virtual const uint8_t* InPlace(uint32_t /*address*/, uint32_t /*count*/) const
    {
        return nullptr;
    }
};

// A synthetic address space: blocks of bytes placed at addresses. Blocks of one allocation share
// its base (a module image is one allocation of several blocks).
class MemoryImage final : public CodeMemory {
public:
    void Add(uint32_t address, std::vector<uint8_t> bytes, bool readable = true,
             uint32_t allocationBase = 0);
    bool Read(uint32_t address, void* destination, uint32_t count) const override;
    MemoryRegion Region(uint32_t address) const override;

private:
    struct Block {
        uint32_t start;
        std::vector<uint8_t> bytes;
        bool readable;
        uint32_t allocationBase;
    };
    const Block* Find(uint32_t address) const;
    std::vector<Block> blocks_; // sorted by start, never overlapping
};

// Reads a 32-bit little-endian value; false when it cannot be read.
bool ReadDword(const CodeMemory& memory, uint32_t address, uint32_t& value);

} // namespace qor
