// The record of every change the engine makes to code: each patch keeps its old and new bytes
// so that shut-down can put back exactly what was there. The list and the byte encodings are
// portable; the memory they act on comes through `PatchMemory` (the running process on Windows,
// a synthetic one in tests).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qor {

// Code memory that can be read and written. `Write` changes the protection of exactly the
// written range to readable, writable and executable, writes and restores the previous
// protection; false (nothing written) when the protection change is refused.
class PatchMemory {
public:
    virtual ~PatchMemory() = default;
    virtual bool Read(uintptr_t address, void* destination, size_t count) const = 0;
    virtual bool Write(uintptr_t address, const void* source, size_t count) = 0;
};

struct PatchEntry {
    uintptr_t address = 0;
    std::string oldBytes;
    std::string newBytes;
};

// A relative jump (E9) or call (E8) at `at` to `destination`: opcode and the 32-bit
// displacement destination - at - 5. Empty when the distance does not fit 32 bits (only
// possible in a 64-bit address space).
std::optional<std::array<uint8_t, 5>> RelativeJumpBytes(uintptr_t at, uintptr_t destination);
std::optional<std::array<uint8_t, 5>> RelativeCallBytes(uintptr_t at, uintptr_t destination);
// The displacement of a relative call or jump whose next instruction starts at
// `nextInstruction`; empty when it does not fit 32 bits.
std::optional<uint32_t> RelativeDisplacement(uintptr_t nextInstruction, uintptr_t destination);
// The 32-bit little-endian bytes of a value.
std::array<uint8_t, 4> ValueBytes(uint32_t value);

class PatchList {
public:
    // Writes `count` new bytes at `address` when they differ from what is there, and records
    // the change. False, with nothing recorded, when the old bytes cannot be read, when they
    // already equal the new ones, or when the write is refused.
    bool RecordPatch(PatchMemory& memory, uintptr_t address, const uint8_t* bytes, size_t count);
    // Puts back the old bytes of every entry, first to last, whose bytes are still the ones
    // written (a patch that somebody changed since is left alone). False when a write failed
    // (the walk goes on); the entries are kept either way, `Clear` forgets them.
    bool UndoAll(PatchMemory& memory) const;
    void Clear() { entries_.clear(); }
    const std::vector<PatchEntry>& Entries() const { return entries_; }

private:
    std::vector<PatchEntry> entries_;
};

// A relative jump at `routine` (E9 to `destination`), recorded in the list.
bool PatchJumpAt(PatchList& list, PatchMemory& memory, uintptr_t routine, uintptr_t destination);
// A relative call at `address` (E8 to `destination`), recorded in the list.
bool PatchCallAt(PatchList& list, PatchMemory& memory, uintptr_t address, uintptr_t destination);
// A 32-bit value at `address`, recorded in the list.
bool PatchValue(PatchList& list, PatchMemory& memory, uintptr_t address, uint32_t value);

} // namespace qor
