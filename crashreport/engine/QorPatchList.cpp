#include "QorPatchList.h"

#include <limits>

namespace qor {

namespace {

std::optional<std::array<uint8_t, 5>> RelativeBranchBytes(uint8_t opcode, uintptr_t at,
                                                          uintptr_t destination)
{
    const std::optional<uint32_t> displacement = RelativeDisplacement(at + 5, destination);
    if (!displacement)
        return std::nullopt;
    const std::array<uint8_t, 4> value = ValueBytes(*displacement);
    return std::array<uint8_t, 5>{opcode, value[0], value[1], value[2], value[3]};
}

} // namespace

std::optional<uint32_t> RelativeDisplacement(uintptr_t nextInstruction, uintptr_t destination)
{
    // In a 32-bit address space every distance wraps into the 32-bit displacement; in a 64-bit
    // one it must fit a signed 32 bits.
    const uintptr_t distance = destination - nextInstruction;
    if constexpr (sizeof(uintptr_t) > 4) {
        const auto signedDistance = static_cast<int64_t>(distance);
        if (signedDistance < std::numeric_limits<int32_t>::min() ||
            signedDistance > std::numeric_limits<int32_t>::max())
            return std::nullopt;
    }
    return static_cast<uint32_t>(distance);
}

std::array<uint8_t, 4> ValueBytes(uint32_t value)
{
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

std::optional<std::array<uint8_t, 5>> RelativeJumpBytes(uintptr_t at, uintptr_t destination)
{
    return RelativeBranchBytes(0xE9, at, destination);
}

std::optional<std::array<uint8_t, 5>> RelativeCallBytes(uintptr_t at, uintptr_t destination)
{
    return RelativeBranchBytes(0xE8, at, destination);
}

bool PatchList::RecordPatch(PatchMemory& memory, uintptr_t address, const uint8_t* bytes,
                            size_t count)
{
    if (!bytes || count == 0)
        return false;
    std::string oldBytes(count, '\0');
    if (!memory.Read(address, oldBytes.data(), count))
        return false;
    std::string newBytes(reinterpret_cast<const char*>(bytes), count);
    if (oldBytes == newBytes || !memory.Write(address, newBytes.data(), count))
        return false;
    entries_.push_back({address, std::move(oldBytes), std::move(newBytes)});
    return true;
}

bool PatchList::UndoAll(PatchMemory& memory) const
{
    bool allWritten = true;
    for (const PatchEntry& entry : entries_) {
        std::string current(entry.newBytes.size(), '\0');
        if (!memory.Read(entry.address, current.data(), current.size()) ||
            current != entry.newBytes)
            continue;
        if (!memory.Write(entry.address, entry.oldBytes.data(), entry.oldBytes.size()))
            allWritten = false;
    }
    return allWritten;
}

bool PatchJumpAt(PatchList& list, PatchMemory& memory, uintptr_t routine, uintptr_t destination)
{
    const auto bytes = RelativeJumpBytes(routine, destination);
    return bytes && list.RecordPatch(memory, routine, bytes->data(), bytes->size());
}

bool PatchCallAt(PatchList& list, PatchMemory& memory, uintptr_t address, uintptr_t destination)
{
    const auto bytes = RelativeCallBytes(address, destination);
    return bytes && list.RecordPatch(memory, address, bytes->data(), bytes->size());
}

bool PatchValue(PatchList& list, PatchMemory& memory, uintptr_t address, uint32_t value)
{
    const std::array<uint8_t, 4> bytes = ValueBytes(value);
    return list.RecordPatch(memory, address, bytes.data(), bytes.size());
}

} // namespace qor
