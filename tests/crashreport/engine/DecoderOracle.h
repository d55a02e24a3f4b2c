// Compares the decoder with two outside disassemblers, `objdump -D -b binary -m i386` and
// `llvm-mc --disassemble -triple=i386`, instruction by instruction: validity, length, branch
// kind and the target of relative branches. Known differences are rows of a checked-in table.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "CodeMemory.h"

namespace qor::testing {

// One instruction to judge: the bytes at its start (at most 16, the following ones included so
// that a longer reading is possible).
struct OracleCase {
    std::vector<uint8_t> bytes;
};

enum class BranchKind { None, Call, Jump };

struct Verdict {
    bool valid = false;
    uint32_t length = 0;
    BranchKind branch = BranchKind::None;
    bool relative = false;
    uint32_t target = 0;
};

// The address the cases are placed at: one 48-byte slot each (the case, then no-operations that
// bring a disassembler that went astray back in step, then a marker instruction).
constexpr uint32_t kSlotBase = 0x40000000;
constexpr uint32_t kSlotSize = 48;
inline uint32_t SlotAddress(size_t i)
{
    return kSlotBase + static_cast<uint32_t>(i) * kSlotSize;
}

// Lays the cases out in slots.
std::vector<uint8_t> SlotImage(const std::vector<OracleCase>& cases);

// The oracles' verdicts, one per case, on the slot image. Throw when the tool is missing.
std::vector<Verdict> ObjdumpVerdicts(const std::vector<OracleCase>& cases);
// `hints`: per case a length to try first (0: none); they only shorten llvm-mc's search.
std::vector<Verdict> LlvmMcVerdicts(const std::vector<OracleCase>& cases,
                                    const std::vector<uint32_t>& hints);

// objdump's linear sweep over code placed at `address`: the verdict at each instruction start.
std::map<uint32_t, Verdict> ObjdumpSweep(const std::vector<uint8_t>& code, uint32_t address);

// Our verdict at an address.
Verdict DecoderVerdict(const CodeMemory& memory, uint32_t address);

struct Divergence {
    std::string oracle; // "objdump" or "llvm-mc"
    std::vector<uint8_t> bytes;
    std::string ours, theirs; // "valid", "invalid", "length", "none", "call", "jump", "target"
};

// Differences between our verdict and an oracle's.
void Compare(const std::string& oracle, const std::vector<uint8_t>& bytes, const Verdict& ours,
             const Verdict& theirs, std::vector<Divergence>& out);

// The checked-in table of known differences: "corpora | oracle | bytes | ours | theirs | reason".
// Bytes: hexadecimal bytes that the instruction starts with; "??" any byte, "hh&mm" a byte that
// gives hh under the mask mm, "*" any number of prefix bytes.
struct DivergenceRow {
    int line = 0;
    std::vector<std::string> corpora;
    std::string oracle, pattern, ours, theirs, reason;
};
std::vector<DivergenceRow> LoadDivergenceTable(const std::string& path);

// Rows of `corpus` that explain each divergence; returns the divergences that no row explains
// (formatted as table rows) and the rows of the corpus that explained nothing.
struct TableCheck {
    std::vector<std::string> unexplained;
    std::vector<std::string> stale;
};
TableCheck CheckAgainstTable(const std::vector<Divergence>& divergences,
                             const std::vector<DivergenceRow>& table, const std::string& corpus);

} // namespace qor::testing
