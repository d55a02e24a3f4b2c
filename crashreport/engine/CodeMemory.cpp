#include "CodeMemory.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace qor {

void MemoryImage::Add(uint32_t address, std::vector<uint8_t> bytes, bool readable,
                      uint32_t allocationBase)
{
    if (bytes.empty())
        return;
    uint64_t end = uint64_t{address} + bytes.size();
    if (end > 0x100000000ull)
        throw std::out_of_range("memory block runs past 4 GB");
    for (const Block& b : blocks_) {
        if (address < b.start + uint64_t{b.bytes.size()} && b.start < end)
            throw std::invalid_argument("memory blocks overlap");
    }
    Block block{address, std::move(bytes), readable, allocationBase ? allocationBase : address};
    auto at = std::lower_bound(blocks_.begin(), blocks_.end(), address,
                               [](const Block& b, uint32_t a) { return b.start < a; });
    blocks_.insert(at, std::move(block));
}

const MemoryImage::Block* MemoryImage::Find(uint32_t address) const
{
    auto after = std::upper_bound(blocks_.begin(), blocks_.end(), address,
                                  [](uint32_t a, const Block& b) { return a < b.start; });
    if (after == blocks_.begin())
        return nullptr;
    const Block& b = *(after - 1);
    return address - b.start < b.bytes.size() ? &b : nullptr;
}

bool MemoryImage::Read(uint32_t address, void* destination, uint32_t count) const
{
    auto* out = static_cast<uint8_t*>(destination);
    while (count > 0) {
        const Block* b = Find(address);
        if (!b || !b->readable)
            return false;
        uint32_t offset = address - b->start;
        uint32_t n = std::min<uint32_t>(count, static_cast<uint32_t>(b->bytes.size() - offset));
        std::memcpy(out, b->bytes.data() + offset, n);
        out += n;
        count -= n;
        if (count > 0 && uint64_t{address} + n > 0xFFFFFFFFull)
            return false;
        address += n;
    }
    return true;
}

MemoryRegion MemoryImage::Region(uint32_t address) const
{
    MemoryRegion r;
    if (const Block* b = Find(address)) {
        r.start = b->start;
        r.size = static_cast<uint32_t>(b->bytes.size());
        r.allocationBase = b->allocationBase;
        r.committed = true;
        r.readable = b->readable;
        return r;
    }
    // A free gap: from the end of the block below to the start of the block above.
    auto after = std::upper_bound(blocks_.begin(), blocks_.end(), address,
                                  [](uint32_t a, const Block& blk) { return a < blk.start; });
    uint64_t start =
        after == blocks_.begin() ? 0 : (after - 1)->start + uint64_t{(after - 1)->bytes.size()};
    uint64_t end = after == blocks_.end() ? 0x100000000ull : after->start;
    r.start = static_cast<uint32_t>(start);
    r.size = static_cast<uint32_t>(std::min<uint64_t>(end - start, 0xFFFFFFFFull));
    return r;
}

bool ReadDword(const CodeMemory& memory, uint32_t address, uint32_t& value)
{
    uint8_t b[4];
    if (!memory.Read(address, b, 4))
        return false;
    value = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    return true;
}

} // namespace qor
