// Decoding of one 32-bit x86 instruction (integer set to the Pentium 4, x87, MMX, SSE to SSE3,
// 3DNow!): length, validity, branch kind and target, and what the text of the instruction needs.
// Optionally it tracks which registers hold constants loaded from the code, so that a call
// through a register can be followed.
#pragma once

#include <array>
#include <cstdint>

#include "CodeMemory.h"
#include "X86Opcodes.h"

namespace qor {

// One entry per general register in encoding order (eax, ecx, edx, ebx, esp, ebp, esi, edi):
// 0 = unknown, otherwise the code address of a 32-bit constant that was loaded into it.
using TRegisterState = std::array<uint32_t, 8>;

// The longest instruction the processor executes.
constexpr uint32_t kMaxInstructionLength = 15;

struct TDecodedInstruction {
    bool valid = false;
    uint16_t opcode = 0; // the opcode byte, or 0x0F00 + the second byte
    uint8_t modrm = 0;
    bool call = false;
    bool jump = false;
    bool relative = false;        // the target is a displacement from the next instruction
    uint32_t target = 0;          // 0 = unknown
    uint32_t targetLocation = 0;  // where the displacement (or the traced constant) lies
    uint32_t pointerLocation = 0; // where the pointer to the target lies (branches through memory)
    uint8_t targetSize = 0;       // bytes of the target field
    bool enlargeable = false;     // a relative branch other than loop and jecxz (0xE0-0xE3)
    uint32_t start = 0;
    uint32_t next = 0;

    // What the text needs.
    const x86::OpcodeForm* form = nullptr;
    bool hasModRM = false;
    bool lock = false;
    uint8_t repeat = 0;         // 0, 0xF2 or 0xF3 (the last one given)
    bool operandSize16 = false; // 0x66 given and not taken as a mandatory prefix
    bool addressSize16 = false;
    int8_t segment = -1; // segment override: 0 es, 1 cs, 2 ss, 3 ds, 4 fs, 5 gs
    bool hasSib = false;
    uint8_t sib = 0;
    uint8_t displacementSize = 0;
    int32_t displacement = 0;
    uint32_t displacementLocation = 0;
    uint32_t immediate = 0;  // first immediate (far pointer: the offset)
    uint32_t immediate2 = 0; // second immediate (enter's level, far pointer's segment)
    uint32_t immediateLocation = 0;
    uint8_t suffix = 0; // the 3DNow! operation byte

    uint32_t Length() const { return next - start; }
    bool MemoryForm() const { return hasModRM && (modrm >> 6) != 3; }
};

// Decodes the instruction at `address`. `registers` (may be null) is read to follow branches
// through registers and updated with what the instruction loads. Never faults: code that cannot
// be read makes the instruction invalid.
TDecodedInstruction DecodeInstruction(const CodeMemory& memory, uint32_t address,
                                      TRegisterState* registers = nullptr);

} // namespace qor
