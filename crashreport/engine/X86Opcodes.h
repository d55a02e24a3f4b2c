// The opcode map of the 32-bit x86 decoder as data: one row per opcode form (one-byte and
// 0x0F-prefixed opcodes, their ModRM-reg groups, the x87 register forms, the SSE forms chosen by
// a 0x66, 0xF2 or 0xF3 prefix) and the 3DNow! suffix table. The decoder has one reader for it.
#pragma once

#include <cstdint>

namespace qor::x86 {

// Which mandatory prefix selects a row (the last of 0xF2/0xF3, else 0x66, else none).
enum class Prefix : uint8_t { Any, None, P66, PF2, PF3 };
// Which ModRM forms a row covers.
enum class Form : uint8_t { Any, Memory, Register };

// Operand kinds, parsed from the rows' operand codes.
enum class OperandKind : uint8_t {
    None,
    RmGeneral,       // E: general register or memory
    RegGeneral,      // G: general register from the reg field
    RmMmx,           // Q/N: mm register or memory
    RegMmx,          // P
    RmXmm,           // W/U: xmm register or memory
    RegXmm,          // V
    Memory,          // M: memory only
    Immediate,       // I
    SignedImmediate, // Ib sign-extended
    Relative,        // J
    Offset,          // O: absolute address as immediate (moffs)
    FarPointer,      // A: segment:offset immediate
    SegmentReg,      // S: segment register from the reg field
    ControlReg,      // C
    DebugReg,        // D
    OpcodeReg,       // Z: general register from the opcode's low three bits
    FixedGeneral,    // a named general register (al, cl, dx, ax/eax)
    FixedSegment,    // es, cs, ss, ds, fs, gs
    One,             // the constant 1 of the shifts
    St0,             // st
    StI,             // st(i) from the rm field
    Suffix3DNow,     // the 3DNow! suffix byte (an immediate that selects the operation)
};

// Operand sizes in bytes; 0xFF = operand size (2 with 0x66, else 4), 0xFE = far pointer
// (operand size + 2), 0xFD = no size word.
constexpr uint8_t kSizeV = 0xFF;
constexpr uint8_t kSizeP = 0xFE;
constexpr uint8_t kSizeNone = 0xFD;

struct Operand {
    OperandKind kind = OperandKind::None;
    uint8_t size = 0; // bytes, or one of the kSize codes
    uint8_t reg = 0;  // FixedGeneral: register number; FixedSegment: segment number
};

// Row flags.
enum : uint16_t {
    kReadsOnly = 1 << 0,  // the first operand is not written (cmp, test, push, ...)
    kWritesBoth = 1 << 1, // both operands are written (xchg, xadd)
    kCall = 1 << 2,
    kJump = 1 << 3,
    kStringOp = 1 << 4,    // rep/repne apply
    kImpliedSize = 1 << 5, // no size word in front of a memory operand
};

// General registers written implicitly, one bit per register in encoding order.
enum : uint8_t {
    kEax = 1,
    kEcx = 2,
    kEdx = 4,
    kEbx = 8,
    kEsp = 16,
    kEbp = 32,
    kEsi = 64,
    kEdi = 128,
    kAllRegisters = 0xFF,
};

struct OpcodeRow {
    uint16_t opcode; // 0x00-0xFF, or 0x0F00 + the second byte
    int8_t reg;      // ModRM reg field the row needs, -1 for any
    int8_t rm;       // ModRM rm field (x87 register forms), -1 for any
    Form form;
    Prefix prefix;
    const char* mnemonic; // "%cc" stands for the condition code of the opcode's low four bits
    const char* operands; // operand codes separated by ","
    uint16_t flags;
    uint8_t implicitWrites;
};

// A row with its operands parsed.
struct OpcodeForm {
    const OpcodeRow* row = nullptr;
    Operand operands[3];
    int operandCount = 0;
    Form form = Form::Any; // the row's form narrowed by memory-only and register-only operands
};

struct OpcodeEntry {
    bool hasModRM = false;
    const OpcodeForm* first = nullptr; // the forms of this opcode, in table order
    int count = 0;
};

// The entry of a one-byte opcode (0x00-0xFF) or a two-byte one (0x0F00 + second byte).
const OpcodeEntry& LookupOpcode(uint16_t opcode);

// Picks the form of an opcode for the given ModRM fields and mandatory prefix; nullptr when the
// combination is undefined.
const OpcodeForm* SelectForm(const OpcodeEntry& entry, int mod, int reg, int rm, Prefix prefix);

// The mnemonic of a 3DNow! suffix byte, nullptr for suffixes that are not operations.
const char* Mnemonic3DNow(uint8_t suffix);

// "o|no|b|nb|z|nz|be|a|s|ns|p|np|l|ge|le|g" as an array.
extern const char* const kConditionCodes[16];

} // namespace qor::x86
