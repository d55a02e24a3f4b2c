#include "X86Opcodes.h"

#include <array>
#include <cstring>
#include <string_view>
#include <vector>

namespace qor::x86 {

const char* const kConditionCodes[16] = {"o", "no", "b", "nb", "z", "nz", "be", "a",
                                         "s", "ns", "p", "np", "l", "ge", "le", "g"};

namespace {

constexpr Form A = Form::Any;
constexpr Form Mem = Form::Memory;
constexpr Form Reg = Form::Register;
constexpr Prefix Any = Prefix::Any;
constexpr Prefix None = Prefix::None;
constexpr Prefix P66 = Prefix::P66;
constexpr Prefix PF2 = Prefix::PF2;
constexpr Prefix PF3 = Prefix::PF3;

constexpr uint16_t RO = kReadsOnly;
constexpr uint16_t XB = kWritesBoth;
constexpr uint16_t CALL = kCall;
constexpr uint16_t JMP = kJump;
constexpr uint16_t STR = kStringOp;
constexpr uint16_t IMPL = kImpliedSize;

// clang-format off
// A plain opcode; a ModRM-reg group member; a form chosen by the mandatory prefix; an x87
// register form chosen by reg and rm.
#define OP(op, m, o, f, w) {op, -1, -1, A, Any, m, o, f, w}
#define GRP(op, r, form, m, o, f, w) {op, r, -1, form, Any, m, o, f, w}
#define SSE(op, p, m, o) {op, -1, -1, A, p, m, o, 0, 0}
#define SSEG(op, r, p, m, o) {op, r, -1, Reg, p, m, o, 0, 0}
#define FPR(op, r, rm, m, o, w) {op, r, rm, Reg, Any, m, o, 0, w}

// The eight arithmetic opcodes of a block 0x00, 0x08, ... 0x38.
#define ALU(base, m, f)                              \
  OP(base + 0, m, "Eb,Gb", f, 0),                    \
  OP(base + 1, m, "Ev,Gv", f, 0),                    \
  OP(base + 2, m, "Gb,Eb", f, 0),                    \
  OP(base + 3, m, "Gv,Ev", f, 0),                    \
  OP(base + 4, m, "AL,Ib", f, 0),                    \
  OP(base + 5, m, "eAX,Iz", f, 0)

// An x87 escape's memory forms, one per reg field.
#define FPM(op, r, m, o) GRP(op, r, Mem, m, o, 0, 0)

// One MMX operation with its SSE2 form under 0x66.
#define MMX(op, m) SSE(0x0F00 + op, None, m, "Pq,Qq"), SSE(0x0F00 + op, P66, m, "Vx,Wx")
// A packed single operation with its packed double and scalar forms.
#define SSE4(op, m) SSE(0x0F00 + op, None, m "ps", "Vx,Wx"), SSE(0x0F00 + op, P66, m "pd", "Vx,Wx"), \
                    SSE(0x0F00 + op, PF2, m "sd", "Vx,Wq"), SSE(0x0F00 + op, PF3, m "ss", "Vx,Wd")
#define SSE2P(op, m) SSE(0x0F00 + op, None, m "ps", "Vx,Wx"), SSE(0x0F00 + op, P66, m "pd", "Vx,Wx")

const OpcodeRow kRows[] = {
    // One-byte opcodes.
    ALU(0x00, "add", 0), OP(0x06, "push", "ES", RO, kEsp), OP(0x07, "pop", "ES", 0, kEsp),
    ALU(0x08, "or", 0), OP(0x0E, "push", "CS", RO, kEsp),
    ALU(0x10, "adc", 0), OP(0x16, "push", "SS", RO, kEsp), OP(0x17, "pop", "SS", 0, kEsp),
    ALU(0x18, "sbb", 0), OP(0x1E, "push", "DS", RO, kEsp), OP(0x1F, "pop", "DS", 0, kEsp),
    ALU(0x20, "and", 0), OP(0x27, "daa", "", 0, kEax),
    ALU(0x28, "sub", 0), OP(0x2F, "das", "", 0, kEax),
    ALU(0x30, "xor", 0), OP(0x37, "aaa", "", 0, kEax),
    ALU(0x38, "cmp", RO), OP(0x3F, "aas", "", 0, kEax),
    OP(0x40, "inc", "Zv", 0, 0), OP(0x41, "inc", "Zv", 0, 0), OP(0x42, "inc", "Zv", 0, 0),
    OP(0x43, "inc", "Zv", 0, 0), OP(0x44, "inc", "Zv", 0, 0), OP(0x45, "inc", "Zv", 0, 0),
    OP(0x46, "inc", "Zv", 0, 0), OP(0x47, "inc", "Zv", 0, 0),
    OP(0x48, "dec", "Zv", 0, 0), OP(0x49, "dec", "Zv", 0, 0), OP(0x4A, "dec", "Zv", 0, 0),
    OP(0x4B, "dec", "Zv", 0, 0), OP(0x4C, "dec", "Zv", 0, 0), OP(0x4D, "dec", "Zv", 0, 0),
    OP(0x4E, "dec", "Zv", 0, 0), OP(0x4F, "dec", "Zv", 0, 0),
    OP(0x50, "push", "Zv", RO, kEsp), OP(0x51, "push", "Zv", RO, kEsp),
    OP(0x52, "push", "Zv", RO, kEsp), OP(0x53, "push", "Zv", RO, kEsp),
    OP(0x54, "push", "Zv", RO, kEsp), OP(0x55, "push", "Zv", RO, kEsp),
    OP(0x56, "push", "Zv", RO, kEsp), OP(0x57, "push", "Zv", RO, kEsp),
    OP(0x58, "pop", "Zv", 0, kEsp), OP(0x59, "pop", "Zv", 0, kEsp), OP(0x5A, "pop", "Zv", 0, kEsp),
    OP(0x5B, "pop", "Zv", 0, kEsp), OP(0x5C, "pop", "Zv", 0, kEsp), OP(0x5D, "pop", "Zv", 0, kEsp),
    OP(0x5E, "pop", "Zv", 0, kEsp), OP(0x5F, "pop", "Zv", 0, kEsp),
    OP(0x60, "pushad", "", 0, kEsp), OP(0x61, "popad", "", 0, kAllRegisters),
    OP(0x62, "bound", "Gv,Ma", RO, 0), OP(0x63, "arpl", "Ew,Gw", 0, 0),
    OP(0x68, "push", "Iz", RO, kEsp), OP(0x69, "imul", "Gv,Ev,Iz", 0, 0),
    OP(0x6A, "push", "Is", RO, kEsp), OP(0x6B, "imul", "Gv,Ev,Is", 0, 0),
    OP(0x6C, "insb", "", STR, kEdi), OP(0x6D, "insd", "", STR, kEdi),
    OP(0x6E, "outsb", "", STR, kEsi), OP(0x6F, "outsd", "", STR, kEsi),
    OP(0x70, "j%cc", "Jb", JMP, 0), OP(0x71, "j%cc", "Jb", JMP, 0), OP(0x72, "j%cc", "Jb", JMP, 0),
    OP(0x73, "j%cc", "Jb", JMP, 0), OP(0x74, "j%cc", "Jb", JMP, 0), OP(0x75, "j%cc", "Jb", JMP, 0),
    OP(0x76, "j%cc", "Jb", JMP, 0), OP(0x77, "j%cc", "Jb", JMP, 0), OP(0x78, "j%cc", "Jb", JMP, 0),
    OP(0x79, "j%cc", "Jb", JMP, 0), OP(0x7A, "j%cc", "Jb", JMP, 0), OP(0x7B, "j%cc", "Jb", JMP, 0),
    OP(0x7C, "j%cc", "Jb", JMP, 0), OP(0x7D, "j%cc", "Jb", JMP, 0), OP(0x7E, "j%cc", "Jb", JMP, 0),
    OP(0x7F, "j%cc", "Jb", JMP, 0),
    GRP(0x80, 0, A, "add", "Eb,Ib", 0, 0), GRP(0x80, 1, A, "or", "Eb,Ib", 0, 0),
    GRP(0x80, 2, A, "adc", "Eb,Ib", 0, 0), GRP(0x80, 3, A, "sbb", "Eb,Ib", 0, 0),
    GRP(0x80, 4, A, "and", "Eb,Ib", 0, 0), GRP(0x80, 5, A, "sub", "Eb,Ib", 0, 0),
    GRP(0x80, 6, A, "xor", "Eb,Ib", 0, 0), GRP(0x80, 7, A, "cmp", "Eb,Ib", RO, 0),
    GRP(0x81, 0, A, "add", "Ev,Iz", 0, 0), GRP(0x81, 1, A, "or", "Ev,Iz", 0, 0),
    GRP(0x81, 2, A, "adc", "Ev,Iz", 0, 0), GRP(0x81, 3, A, "sbb", "Ev,Iz", 0, 0),
    GRP(0x81, 4, A, "and", "Ev,Iz", 0, 0), GRP(0x81, 5, A, "sub", "Ev,Iz", 0, 0),
    GRP(0x81, 6, A, "xor", "Ev,Iz", 0, 0), GRP(0x81, 7, A, "cmp", "Ev,Iz", RO, 0),
    GRP(0x82, 0, A, "add", "Eb,Is", 0, 0), GRP(0x82, 1, A, "or", "Eb,Is", 0, 0),
    GRP(0x82, 2, A, "adc", "Eb,Is", 0, 0), GRP(0x82, 3, A, "sbb", "Eb,Is", 0, 0),
    GRP(0x82, 4, A, "and", "Eb,Is", 0, 0), GRP(0x82, 5, A, "sub", "Eb,Is", 0, 0),
    GRP(0x82, 6, A, "xor", "Eb,Is", 0, 0), GRP(0x82, 7, A, "cmp", "Eb,Is", RO, 0),
    GRP(0x83, 0, A, "add", "Ev,Is", 0, 0), GRP(0x83, 1, A, "or", "Ev,Is", 0, 0),
    GRP(0x83, 2, A, "adc", "Ev,Is", 0, 0), GRP(0x83, 3, A, "sbb", "Ev,Is", 0, 0),
    GRP(0x83, 4, A, "and", "Ev,Is", 0, 0), GRP(0x83, 5, A, "sub", "Ev,Is", 0, 0),
    GRP(0x83, 6, A, "xor", "Ev,Is", 0, 0), GRP(0x83, 7, A, "cmp", "Ev,Is", RO, 0),
    OP(0x84, "test", "Eb,Gb", RO, 0), OP(0x85, "test", "Ev,Gv", RO, 0),
    OP(0x86, "xchg", "Eb,Gb", XB, 0), OP(0x87, "xchg", "Ev,Gv", XB, 0),
    OP(0x88, "mov", "Eb,Gb", 0, 0), OP(0x89, "mov", "Ev,Gv", 0, 0),
    OP(0x8A, "mov", "Gb,Eb", 0, 0), OP(0x8B, "mov", "Gv,Ev", 0, 0),
    {0x8C, 0, -1, A, Any, "mov", "Ew,Sw", IMPL, 0}, {0x8C, 1, -1, A, Any, "mov", "Ew,Sw", IMPL, 0},
    {0x8C, 2, -1, A, Any, "mov", "Ew,Sw", IMPL, 0}, {0x8C, 3, -1, A, Any, "mov", "Ew,Sw", IMPL, 0},
    {0x8C, 4, -1, A, Any, "mov", "Ew,Sw", IMPL, 0}, {0x8C, 5, -1, A, Any, "mov", "Ew,Sw", IMPL, 0},
    OP(0x8D, "lea", "Gv,M", 0, 0),
    {0x8E, 0, -1, A, Any, "mov", "Sw,Ew", IMPL, 0}, {0x8E, 1, -1, A, Any, "mov", "Sw,Ew", IMPL, 0},
    {0x8E, 2, -1, A, Any, "mov", "Sw,Ew", IMPL, 0}, {0x8E, 3, -1, A, Any, "mov", "Sw,Ew", IMPL, 0},
    {0x8E, 4, -1, A, Any, "mov", "Sw,Ew", IMPL, 0}, {0x8E, 5, -1, A, Any, "mov", "Sw,Ew", IMPL, 0},
    OP(0x8F, "pop", "Ev", 0, kEsp),
    {0x90, -1, -1, A, PF3, "pause", "", 0, 0}, OP(0x90, "nop", "", 0, 0),
    OP(0x91, "xchg", "Zv,eAX", XB, kEax), OP(0x92, "xchg", "Zv,eAX", XB, kEax),
    OP(0x93, "xchg", "Zv,eAX", XB, kEax), OP(0x94, "xchg", "Zv,eAX", XB, kEax),
    OP(0x95, "xchg", "Zv,eAX", XB, kEax), OP(0x96, "xchg", "Zv,eAX", XB, kEax),
    OP(0x97, "xchg", "Zv,eAX", XB, kEax),
    OP(0x98, "cwde", "", 0, kEax), OP(0x99, "cdq", "", 0, kEdx),
    OP(0x9A, "call", "Ap", CALL, kEsp), OP(0x9B, "wait", "", 0, 0),
    OP(0x9C, "pushfd", "", 0, kEsp), OP(0x9D, "popfd", "", 0, kEsp),
    OP(0x9E, "sahf", "", 0, 0), OP(0x9F, "lahf", "", 0, kEax),
    OP(0xA0, "mov", "AL,Ob", 0, 0), OP(0xA1, "mov", "eAX,Ov", 0, 0),
    OP(0xA2, "mov", "Ob,AL", 0, 0), OP(0xA3, "mov", "Ov,eAX", 0, 0),
    OP(0xA4, "movsb", "", STR, kEsi | kEdi), OP(0xA5, "movsd", "", STR, kEsi | kEdi),
    OP(0xA6, "cmpsb", "", STR, kEsi | kEdi), OP(0xA7, "cmpsd", "", STR, kEsi | kEdi),
    OP(0xA8, "test", "AL,Ib", RO, 0), OP(0xA9, "test", "eAX,Iz", RO, 0),
    OP(0xAA, "stosb", "", STR, kEdi), OP(0xAB, "stosd", "", STR, kEdi),
    OP(0xAC, "lodsb", "", STR, kEax | kEsi), OP(0xAD, "lodsd", "", STR, kEax | kEsi),
    OP(0xAE, "scasb", "", STR, kEdi), OP(0xAF, "scasd", "", STR, kEdi),
    OP(0xB0, "mov", "Zb,Ib", 0, 0), OP(0xB1, "mov", "Zb,Ib", 0, 0), OP(0xB2, "mov", "Zb,Ib", 0, 0),
    OP(0xB3, "mov", "Zb,Ib", 0, 0), OP(0xB4, "mov", "Zb,Ib", 0, 0), OP(0xB5, "mov", "Zb,Ib", 0, 0),
    OP(0xB6, "mov", "Zb,Ib", 0, 0), OP(0xB7, "mov", "Zb,Ib", 0, 0),
    OP(0xB8, "mov", "Zv,Iz", 0, 0), OP(0xB9, "mov", "Zv,Iz", 0, 0), OP(0xBA, "mov", "Zv,Iz", 0, 0),
    OP(0xBB, "mov", "Zv,Iz", 0, 0), OP(0xBC, "mov", "Zv,Iz", 0, 0), OP(0xBD, "mov", "Zv,Iz", 0, 0),
    OP(0xBE, "mov", "Zv,Iz", 0, 0), OP(0xBF, "mov", "Zv,Iz", 0, 0),
    GRP(0xC0, 0, A, "rol", "Eb,Ib", 0, 0), GRP(0xC0, 1, A, "ror", "Eb,Ib", 0, 0),
    GRP(0xC0, 2, A, "rcl", "Eb,Ib", 0, 0), GRP(0xC0, 3, A, "rcr", "Eb,Ib", 0, 0),
    GRP(0xC0, 4, A, "shl", "Eb,Ib", 0, 0), GRP(0xC0, 5, A, "shr", "Eb,Ib", 0, 0),
    GRP(0xC0, 6, A, "sal", "Eb,Ib", 0, 0), GRP(0xC0, 7, A, "sar", "Eb,Ib", 0, 0),
    GRP(0xC1, 0, A, "rol", "Ev,Ib", 0, 0), GRP(0xC1, 1, A, "ror", "Ev,Ib", 0, 0),
    GRP(0xC1, 2, A, "rcl", "Ev,Ib", 0, 0), GRP(0xC1, 3, A, "rcr", "Ev,Ib", 0, 0),
    GRP(0xC1, 4, A, "shl", "Ev,Ib", 0, 0), GRP(0xC1, 5, A, "shr", "Ev,Ib", 0, 0),
    GRP(0xC1, 6, A, "sal", "Ev,Ib", 0, 0), GRP(0xC1, 7, A, "sar", "Ev,Ib", 0, 0),
    OP(0xC2, "ret", "Iw", 0, kEsp), OP(0xC3, "ret", "", 0, kEsp),
    OP(0xC4, "les", "Gv,Mp", 0, 0), OP(0xC5, "lds", "Gv,Mp", 0, 0),
    OP(0xC6, "mov", "Eb,Ib", 0, 0), OP(0xC7, "mov", "Ev,Iz", 0, 0),
    OP(0xC8, "enter", "Iw,Ib", 0, kEsp | kEbp), OP(0xC9, "leave", "", 0, kEsp | kEbp),
    OP(0xCA, "retf", "Iw", 0, kEsp), OP(0xCB, "retf", "", 0, kEsp),
    OP(0xCC, "int3", "", 0, 0), OP(0xCD, "int", "Ib", 0, 0), OP(0xCE, "into", "", 0, 0),
    OP(0xCF, "iretd", "", 0, kEsp),
    GRP(0xD0, 0, A, "rol", "Eb,1", 0, 0), GRP(0xD0, 1, A, "ror", "Eb,1", 0, 0),
    GRP(0xD0, 2, A, "rcl", "Eb,1", 0, 0), GRP(0xD0, 3, A, "rcr", "Eb,1", 0, 0),
    GRP(0xD0, 4, A, "shl", "Eb,1", 0, 0), GRP(0xD0, 5, A, "shr", "Eb,1", 0, 0),
    GRP(0xD0, 6, A, "sal", "Eb,1", 0, 0), GRP(0xD0, 7, A, "sar", "Eb,1", 0, 0),
    GRP(0xD1, 0, A, "rol", "Ev,1", 0, 0), GRP(0xD1, 1, A, "ror", "Ev,1", 0, 0),
    GRP(0xD1, 2, A, "rcl", "Ev,1", 0, 0), GRP(0xD1, 3, A, "rcr", "Ev,1", 0, 0),
    GRP(0xD1, 4, A, "shl", "Ev,1", 0, 0), GRP(0xD1, 5, A, "shr", "Ev,1", 0, 0),
    GRP(0xD1, 6, A, "sal", "Ev,1", 0, 0), GRP(0xD1, 7, A, "sar", "Ev,1", 0, 0),
    GRP(0xD2, 0, A, "rol", "Eb,CL", 0, 0), GRP(0xD2, 1, A, "ror", "Eb,CL", 0, 0),
    GRP(0xD2, 2, A, "rcl", "Eb,CL", 0, 0), GRP(0xD2, 3, A, "rcr", "Eb,CL", 0, 0),
    GRP(0xD2, 4, A, "shl", "Eb,CL", 0, 0), GRP(0xD2, 5, A, "shr", "Eb,CL", 0, 0),
    GRP(0xD2, 6, A, "sal", "Eb,CL", 0, 0), GRP(0xD2, 7, A, "sar", "Eb,CL", 0, 0),
    GRP(0xD3, 0, A, "rol", "Ev,CL", 0, 0), GRP(0xD3, 1, A, "ror", "Ev,CL", 0, 0),
    GRP(0xD3, 2, A, "rcl", "Ev,CL", 0, 0), GRP(0xD3, 3, A, "rcr", "Ev,CL", 0, 0),
    GRP(0xD3, 4, A, "shl", "Ev,CL", 0, 0), GRP(0xD3, 5, A, "shr", "Ev,CL", 0, 0),
    GRP(0xD3, 6, A, "sal", "Ev,CL", 0, 0), GRP(0xD3, 7, A, "sar", "Ev,CL", 0, 0),
    OP(0xD4, "aam", "Ib", 0, kEax), OP(0xD5, "aad", "Ib", 0, kEax),
    OP(0xD6, "salc", "", 0, kEax), OP(0xD7, "xlat", "", 0, kEax),

    // x87, memory forms.
    FPM(0xD8, 0, "fadd", "Md"), FPM(0xD8, 1, "fmul", "Md"), FPM(0xD8, 2, "fcom", "Md"),
    FPM(0xD8, 3, "fcomp", "Md"), FPM(0xD8, 4, "fsub", "Md"), FPM(0xD8, 5, "fsubr", "Md"),
    FPM(0xD8, 6, "fdiv", "Md"), FPM(0xD8, 7, "fdivr", "Md"),
    FPM(0xD9, 0, "fld", "Md"), FPM(0xD9, 2, "fst", "Md"), FPM(0xD9, 3, "fstp", "Md"),
    FPM(0xD9, 4, "fldenv", "M"), FPM(0xD9, 5, "fldcw", "Mw"), FPM(0xD9, 6, "fnstenv", "M"),
    FPM(0xD9, 7, "fnstcw", "Mw"),
    FPM(0xDA, 0, "fiadd", "Md"), FPM(0xDA, 1, "fimul", "Md"), FPM(0xDA, 2, "ficom", "Md"),
    FPM(0xDA, 3, "ficomp", "Md"), FPM(0xDA, 4, "fisub", "Md"), FPM(0xDA, 5, "fisubr", "Md"),
    FPM(0xDA, 6, "fidiv", "Md"), FPM(0xDA, 7, "fidivr", "Md"),
    FPM(0xDB, 0, "fild", "Md"), FPM(0xDB, 1, "fisttp", "Md"), FPM(0xDB, 2, "fist", "Md"),
    FPM(0xDB, 3, "fistp", "Md"), FPM(0xDB, 5, "fld", "Mt"), FPM(0xDB, 7, "fstp", "Mt"),
    FPM(0xDC, 0, "fadd", "Mq"), FPM(0xDC, 1, "fmul", "Mq"), FPM(0xDC, 2, "fcom", "Mq"),
    FPM(0xDC, 3, "fcomp", "Mq"), FPM(0xDC, 4, "fsub", "Mq"), FPM(0xDC, 5, "fsubr", "Mq"),
    FPM(0xDC, 6, "fdiv", "Mq"), FPM(0xDC, 7, "fdivr", "Mq"),
    FPM(0xDD, 0, "fld", "Mq"), FPM(0xDD, 1, "fisttp", "Mq"), FPM(0xDD, 2, "fst", "Mq"),
    FPM(0xDD, 3, "fstp", "Mq"), FPM(0xDD, 4, "frstor", "M"), FPM(0xDD, 6, "fnsave", "M"),
    FPM(0xDD, 7, "fnstsw", "Mw"),
    FPM(0xDE, 0, "fiadd", "Mw"), FPM(0xDE, 1, "fimul", "Mw"), FPM(0xDE, 2, "ficom", "Mw"),
    FPM(0xDE, 3, "ficomp", "Mw"), FPM(0xDE, 4, "fisub", "Mw"), FPM(0xDE, 5, "fisubr", "Mw"),
    FPM(0xDE, 6, "fidiv", "Mw"), FPM(0xDE, 7, "fidivr", "Mw"),
    FPM(0xDF, 0, "fild", "Mw"), FPM(0xDF, 1, "fisttp", "Mw"), FPM(0xDF, 2, "fist", "Mw"),
    FPM(0xDF, 3, "fistp", "Mw"), FPM(0xDF, 4, "fbld", "Mt"), FPM(0xDF, 5, "fild", "Mq"),
    FPM(0xDF, 6, "fbstp", "Mt"), FPM(0xDF, 7, "fistp", "Mq"),

    // x87, register forms (rm -1: every st(i)).
    FPR(0xD8, 0, -1, "fadd", "ST,STi", 0), FPR(0xD8, 1, -1, "fmul", "ST,STi", 0),
    FPR(0xD8, 2, -1, "fcom", "STi", 0), FPR(0xD8, 3, -1, "fcomp", "STi", 0),
    FPR(0xD8, 4, -1, "fsub", "ST,STi", 0), FPR(0xD8, 5, -1, "fsubr", "ST,STi", 0),
    FPR(0xD8, 6, -1, "fdiv", "ST,STi", 0), FPR(0xD8, 7, -1, "fdivr", "ST,STi", 0),
    FPR(0xD9, 0, -1, "fld", "STi", 0), FPR(0xD9, 1, -1, "fxch", "STi", 0),
    FPR(0xD9, 2, 0, "fnop", "", 0), FPR(0xD9, 3, -1, "fstp1", "STi", 0),
    FPR(0xD9, 4, 0, "fchs", "", 0), FPR(0xD9, 4, 1, "fabs", "", 0),
    FPR(0xD9, 4, 4, "ftst", "", 0), FPR(0xD9, 4, 5, "fxam", "", 0),
    FPR(0xD9, 5, 0, "fld1", "", 0), FPR(0xD9, 5, 1, "fldl2t", "", 0),
    FPR(0xD9, 5, 2, "fldl2e", "", 0), FPR(0xD9, 5, 3, "fldpi", "", 0),
    FPR(0xD9, 5, 4, "fldlg2", "", 0), FPR(0xD9, 5, 5, "fldln2", "", 0),
    FPR(0xD9, 5, 6, "fldz", "", 0),
    FPR(0xD9, 6, 0, "f2xm1", "", 0), FPR(0xD9, 6, 1, "fyl2x", "", 0),
    FPR(0xD9, 6, 2, "fptan", "", 0), FPR(0xD9, 6, 3, "fpatan", "", 0),
    FPR(0xD9, 6, 4, "fxtract", "", 0), FPR(0xD9, 6, 5, "fprem1", "", 0),
    FPR(0xD9, 6, 6, "fdecstp", "", 0), FPR(0xD9, 6, 7, "fincstp", "", 0),
    FPR(0xD9, 7, 0, "fprem", "", 0), FPR(0xD9, 7, 1, "fyl2xp1", "", 0),
    FPR(0xD9, 7, 2, "fsqrt", "", 0), FPR(0xD9, 7, 3, "fsincos", "", 0),
    FPR(0xD9, 7, 4, "frndint", "", 0), FPR(0xD9, 7, 5, "fscale", "", 0),
    FPR(0xD9, 7, 6, "fsin", "", 0), FPR(0xD9, 7, 7, "fcos", "", 0),
    FPR(0xDA, 0, -1, "fcmovb", "ST,STi", 0), FPR(0xDA, 1, -1, "fcmove", "ST,STi", 0),
    FPR(0xDA, 2, -1, "fcmovbe", "ST,STi", 0), FPR(0xDA, 3, -1, "fcmovu", "ST,STi", 0),
    FPR(0xDA, 5, 1, "fucompp", "", 0),
    FPR(0xDB, 0, -1, "fcmovnb", "ST,STi", 0), FPR(0xDB, 1, -1, "fcmovne", "ST,STi", 0),
    FPR(0xDB, 2, -1, "fcmovnbe", "ST,STi", 0), FPR(0xDB, 3, -1, "fcmovnu", "ST,STi", 0),
    FPR(0xDB, 4, 0, "fneni", "", 0), FPR(0xDB, 4, 1, "fndisi", "", 0),
    FPR(0xDB, 4, 2, "fnclex", "", 0), FPR(0xDB, 4, 3, "fninit", "", 0),
    FPR(0xDB, 4, 4, "fnsetpm", "", 0),
    FPR(0xDB, 5, -1, "fucomi", "ST,STi", 0), FPR(0xDB, 6, -1, "fcomi", "ST,STi", 0),
    FPR(0xDC, 0, -1, "fadd", "STi,ST", 0), FPR(0xDC, 1, -1, "fmul", "STi,ST", 0),
    FPR(0xDC, 2, -1, "fcom2", "STi", 0), FPR(0xDC, 3, -1, "fcomp3", "STi", 0),
    FPR(0xDC, 4, -1, "fsubr", "STi,ST", 0), FPR(0xDC, 5, -1, "fsub", "STi,ST", 0),
    FPR(0xDC, 6, -1, "fdivr", "STi,ST", 0), FPR(0xDC, 7, -1, "fdiv", "STi,ST", 0),
    FPR(0xDD, 0, -1, "ffree", "STi", 0), FPR(0xDD, 1, -1, "fxch4", "STi", 0),
    FPR(0xDD, 2, -1, "fst", "STi", 0), FPR(0xDD, 3, -1, "fstp", "STi", 0),
    FPR(0xDD, 4, -1, "fucom", "STi", 0), FPR(0xDD, 5, -1, "fucomp", "STi", 0),
    FPR(0xDE, 0, -1, "faddp", "STi,ST", 0), FPR(0xDE, 1, -1, "fmulp", "STi,ST", 0),
    FPR(0xDE, 2, -1, "fcomp5", "STi", 0), FPR(0xDE, 3, -1, "fcompp", "", 0),
    FPR(0xDE, 4, -1, "fsubrp", "STi,ST", 0), FPR(0xDE, 5, -1, "fsubp", "STi,ST", 0),
    FPR(0xDE, 6, -1, "fdivrp", "STi,ST", 0), FPR(0xDE, 7, -1, "fdivp", "STi,ST", 0),
    FPR(0xDF, 0, -1, "ffreep", "STi", 0), FPR(0xDF, 1, -1, "fxch7", "STi", 0),
    FPR(0xDF, 2, -1, "fstp8", "STi", 0), FPR(0xDF, 3, -1, "fstp9", "STi", 0),
    FPR(0xDF, 4, 0, "fnstsw", "AX", kEax), FPR(0xDF, 5, -1, "fucomip", "ST,STi", 0),
    FPR(0xDF, 6, -1, "fcomip", "ST,STi", 0),

    OP(0xE0, "loopne", "Jb", JMP, kEcx), OP(0xE1, "loope", "Jb", JMP, kEcx),
    OP(0xE2, "loop", "Jb", JMP, kEcx), OP(0xE3, "jecxz", "Jb", JMP, 0),
    OP(0xE4, "in", "AL,Ib", 0, 0), OP(0xE5, "in", "eAX,Ib", 0, 0),
    OP(0xE6, "out", "Ib,AL", RO, 0), OP(0xE7, "out", "Ib,eAX", RO, 0),
    OP(0xE8, "call", "Jz", CALL, kEsp), OP(0xE9, "jmp", "Jz", JMP, 0),
    OP(0xEA, "jmp", "Ap", JMP, 0), OP(0xEB, "jmp", "Jb", JMP, 0),
    OP(0xEC, "in", "AL,DX", 0, 0), OP(0xED, "in", "eAX,DX", 0, 0),
    OP(0xEE, "out", "DX,AL", RO, 0), OP(0xEF, "out", "DX,eAX", RO, 0),
    OP(0xF1, "int1", "", 0, 0), OP(0xF4, "hlt", "", 0, 0), OP(0xF5, "cmc", "", 0, 0),
    GRP(0xF6, 0, A, "test", "Eb,Ib", RO, 0), GRP(0xF6, 2, A, "not", "Eb", 0, 0),
    GRP(0xF6, 3, A, "neg", "Eb", 0, 0), GRP(0xF6, 4, A, "mul", "Eb", RO, kEax),
    GRP(0xF6, 5, A, "imul", "Eb", RO, kEax), GRP(0xF6, 6, A, "div", "Eb", RO, kEax),
    GRP(0xF6, 7, A, "idiv", "Eb", RO, kEax),
    GRP(0xF7, 0, A, "test", "Ev,Iz", RO, 0), GRP(0xF7, 2, A, "not", "Ev", 0, 0),
    GRP(0xF7, 3, A, "neg", "Ev", 0, 0), GRP(0xF7, 4, A, "mul", "Ev", RO, kEax | kEdx),
    GRP(0xF7, 5, A, "imul", "Ev", RO, kEax | kEdx), GRP(0xF7, 6, A, "div", "Ev", RO, kEax | kEdx),
    GRP(0xF7, 7, A, "idiv", "Ev", RO, kEax | kEdx),
    OP(0xF8, "clc", "", 0, 0), OP(0xF9, "stc", "", 0, 0), OP(0xFA, "cli", "", 0, 0),
    OP(0xFB, "sti", "", 0, 0), OP(0xFC, "cld", "", 0, 0), OP(0xFD, "std", "", 0, 0),
    GRP(0xFE, 0, A, "inc", "Eb", 0, 0), GRP(0xFE, 1, A, "dec", "Eb", 0, 0),
    GRP(0xFF, 0, A, "inc", "Ev", 0, 0), GRP(0xFF, 1, A, "dec", "Ev", 0, 0),
    GRP(0xFF, 2, A, "call", "Ed", CALL | RO, kEsp), GRP(0xFF, 3, Mem, "call", "Mp", CALL | RO, kEsp),
    GRP(0xFF, 4, A, "jmp", "Ed", JMP | RO, 0), GRP(0xFF, 5, Mem, "jmp", "Mp", JMP | RO, 0),
    GRP(0xFF, 6, A, "push", "Ev", RO, kEsp),

    // Two-byte opcodes.
    GRP(0x0F00, 0, A, "sldt", "Ew", IMPL, 0), GRP(0x0F00, 1, A, "str", "Ew", IMPL, 0),
    GRP(0x0F00, 2, A, "lldt", "Ew", RO | IMPL, 0), GRP(0x0F00, 3, A, "ltr", "Ew", RO | IMPL, 0),
    GRP(0x0F00, 4, A, "verr", "Ew", RO | IMPL, 0), GRP(0x0F00, 5, A, "verw", "Ew", RO | IMPL, 0),
    GRP(0x0F01, 0, Mem, "sgdt", "Ms", IMPL, 0), GRP(0x0F01, 1, Mem, "sidt", "Ms", IMPL, 0),
    GRP(0x0F01, 2, Mem, "lgdt", "Ms", IMPL, 0), GRP(0x0F01, 3, Mem, "lidt", "Ms", IMPL, 0),
    GRP(0x0F01, 4, A, "smsw", "Ew", IMPL, 0), GRP(0x0F01, 6, A, "lmsw", "Ew", RO | IMPL, 0),
    GRP(0x0F01, 7, A, "invlpg", "Eb", RO | IMPL, 0),
    OP(0x0F02, "lar", "Gv,Ew", 0, 0), OP(0x0F03, "lsl", "Gv,Ew", 0, 0),
    OP(0x0F05, "syscall", "", 0, kEcx), OP(0x0F06, "clts", "", 0, 0),
    OP(0x0F07, "sysret", "", 0, kEsp), OP(0x0F08, "invd", "", 0, 0),
    OP(0x0F09, "wbinvd", "", 0, 0),
    GRP(0x0F0D, 0, Mem, "prefetch", "Mb", RO | IMPL, 0),
    GRP(0x0F0D, 1, Mem, "prefetchw", "Mb", RO | IMPL, 0),
    OP(0x0F0E, "femms", "", 0, 0), OP(0x0F0F, "", "Pq,Qq,3d", 0, 0),
    SSE(0x0F10, None, "movups", "Vx,Wx"), SSE(0x0F10, P66, "movupd", "Vx,Wx"),
    SSE(0x0F10, PF2, "movsd", "Vx,Wq"), SSE(0x0F10, PF3, "movss", "Vx,Wd"),
    SSE(0x0F11, None, "movups", "Wx,Vx"), SSE(0x0F11, P66, "movupd", "Wx,Vx"),
    SSE(0x0F11, PF2, "movsd", "Wq,Vx"), SSE(0x0F11, PF3, "movss", "Wd,Vx"),
    {0x0F12, -1, -1, Reg, None, "movhlps", "Vx,Ux", 0, 0},
    {0x0F12, -1, -1, Mem, None, "movlps", "Vx,Mq", 0, 0},
    SSE(0x0F12, P66, "movlpd", "Vx,Wq"), SSE(0x0F12, PF2, "movddup", "Vx,Wq"),
    SSE(0x0F12, PF3, "movsldup", "Vx,Wx"),
    SSE(0x0F13, None, "movlps", "Wq,Vx"), SSE(0x0F13, P66, "movlpd", "Wq,Vx"),
    SSE2P(0x14, "unpckl"), SSE2P(0x15, "unpckh"),
    {0x0F16, -1, -1, Reg, None, "movlhps", "Vx,Ux", 0, 0},
    {0x0F16, -1, -1, Mem, None, "movhps", "Vx,Mq", 0, 0},
    SSE(0x0F16, P66, "movhpd", "Vx,Wq"), SSE(0x0F16, PF3, "movshdup", "Vx,Wx"),
    SSE(0x0F17, None, "movhps", "Wq,Vx"), SSE(0x0F17, P66, "movhpd", "Wq,Vx"),
    GRP(0x0F18, 0, Mem, "prefetchnta", "Mb", RO | IMPL, 0),
    GRP(0x0F18, 1, Mem, "prefetcht0", "Mb", RO | IMPL, 0),
    GRP(0x0F18, 2, Mem, "prefetcht1", "Mb", RO | IMPL, 0),
    GRP(0x0F18, 3, Mem, "prefetcht2", "Mb", RO | IMPL, 0),
    // The multi-byte no-operation that compilers place to align loops inside functions.
    GRP(0x0F1F, 0, A, "nop", "Ev", RO, 0),
    OP(0x0F20, "mov", "Rd,Cd", 0, 0), OP(0x0F21, "mov", "Rd,Dd", 0, 0),
    OP(0x0F22, "mov", "Cd,Rd", RO, 0), OP(0x0F23, "mov", "Dd,Rd", RO, 0),
    SSE(0x0F28, None, "movaps", "Vx,Wx"), SSE(0x0F28, P66, "movapd", "Vx,Wx"),
    SSE(0x0F29, None, "movaps", "Wx,Vx"), SSE(0x0F29, P66, "movapd", "Wx,Vx"),
    SSE(0x0F2A, None, "cvtpi2ps", "Vx,Qq"), SSE(0x0F2A, P66, "cvtpi2pd", "Vx,Qq"),
    SSE(0x0F2A, PF2, "cvtsi2sd", "Vx,Ed"), SSE(0x0F2A, PF3, "cvtsi2ss", "Vx,Ed"),
    SSE(0x0F2B, None, "movntps", "Wx,Vx"), SSE(0x0F2B, P66, "movntpd", "Wx,Vx"),
    SSE(0x0F2C, None, "cvttps2pi", "Pq,Wq"), SSE(0x0F2C, P66, "cvttpd2pi", "Pq,Wx"),
    SSE(0x0F2C, PF2, "cvttsd2si", "Gd,Wq"), SSE(0x0F2C, PF3, "cvttss2si", "Gd,Wd"),
    SSE(0x0F2D, None, "cvtps2pi", "Pq,Wq"), SSE(0x0F2D, P66, "cvtpd2pi", "Pq,Wx"),
    SSE(0x0F2D, PF2, "cvtsd2si", "Gd,Wq"), SSE(0x0F2D, PF3, "cvtss2si", "Gd,Wd"),
    SSE(0x0F2E, None, "ucomiss", "Vx,Wd"), SSE(0x0F2E, P66, "ucomisd", "Vx,Wq"),
    SSE(0x0F2F, None, "comiss", "Vx,Wd"), SSE(0x0F2F, P66, "comisd", "Vx,Wq"),
    OP(0x0F30, "wrmsr", "", 0, 0), OP(0x0F31, "rdtsc", "", 0, kEax | kEdx),
    OP(0x0F32, "rdmsr", "", 0, kEax | kEdx), OP(0x0F33, "rdpmc", "", 0, kEax | kEdx),
    OP(0x0F34, "sysenter", "", 0, kEsp), OP(0x0F35, "sysexit", "", 0, kEsp),
    OP(0x0F40, "cmov%cc", "Gv,Ev", 0, 0), OP(0x0F41, "cmov%cc", "Gv,Ev", 0, 0),
    OP(0x0F42, "cmov%cc", "Gv,Ev", 0, 0), OP(0x0F43, "cmov%cc", "Gv,Ev", 0, 0),
    OP(0x0F44, "cmov%cc", "Gv,Ev", 0, 0), OP(0x0F45, "cmov%cc", "Gv,Ev", 0, 0),
    OP(0x0F46, "cmov%cc", "Gv,Ev", 0, 0), OP(0x0F47, "cmov%cc", "Gv,Ev", 0, 0),
    OP(0x0F48, "cmov%cc", "Gv,Ev", 0, 0), OP(0x0F49, "cmov%cc", "Gv,Ev", 0, 0),
    OP(0x0F4A, "cmov%cc", "Gv,Ev", 0, 0), OP(0x0F4B, "cmov%cc", "Gv,Ev", 0, 0),
    OP(0x0F4C, "cmov%cc", "Gv,Ev", 0, 0), OP(0x0F4D, "cmov%cc", "Gv,Ev", 0, 0),
    OP(0x0F4E, "cmov%cc", "Gv,Ev", 0, 0), OP(0x0F4F, "cmov%cc", "Gv,Ev", 0, 0),
    SSE(0x0F50, None, "movmskps", "Gd,Ux"), SSE(0x0F50, P66, "movmskpd", "Gd,Ux"),
    SSE4(0x51, "sqrt"),
    SSE(0x0F52, None, "rsqrtps", "Vx,Wx"), SSE(0x0F52, PF3, "rsqrtss", "Vx,Wd"),
    SSE(0x0F53, None, "rcpps", "Vx,Wx"), SSE(0x0F53, PF3, "rcpss", "Vx,Wd"),
    SSE2P(0x54, "and"), SSE2P(0x55, "andn"), SSE2P(0x56, "or"), SSE2P(0x57, "xor"),
    SSE4(0x58, "add"), SSE4(0x59, "mul"),
    SSE(0x0F5A, None, "cvtps2pd", "Vx,Wq"), SSE(0x0F5A, P66, "cvtpd2ps", "Vx,Wx"),
    SSE(0x0F5A, PF2, "cvtsd2ss", "Vx,Wq"), SSE(0x0F5A, PF3, "cvtss2sd", "Vx,Wd"),
    SSE(0x0F5B, None, "cvtdq2ps", "Vx,Wx"), SSE(0x0F5B, P66, "cvtps2dq", "Vx,Wx"),
    SSE(0x0F5B, PF3, "cvttps2dq", "Vx,Wx"),
    SSE4(0x5C, "sub"), SSE4(0x5D, "min"), SSE4(0x5E, "div"), SSE4(0x5F, "max"),
    MMX(0x60, "punpcklbw"), MMX(0x61, "punpcklwd"), MMX(0x62, "punpckldq"),
    MMX(0x63, "packsswb"), MMX(0x64, "pcmpgtb"), MMX(0x65, "pcmpgtw"), MMX(0x66, "pcmpgtd"),
    MMX(0x67, "packuswb"), MMX(0x68, "punpckhbw"), MMX(0x69, "punpckhwd"),
    MMX(0x6A, "punpckhdq"), MMX(0x6B, "packssdw"),
    SSE(0x0F6C, P66, "punpcklqdq", "Vx,Wx"), SSE(0x0F6D, P66, "punpckhqdq", "Vx,Wx"),
    SSE(0x0F6E, None, "movd", "Pq,Ed"), SSE(0x0F6E, P66, "movd", "Vx,Ed"),
    SSE(0x0F6F, None, "movq", "Pq,Qq"), SSE(0x0F6F, P66, "movdqa", "Vx,Wx"),
    SSE(0x0F6F, PF3, "movdqu", "Vx,Wx"),
    SSE(0x0F70, None, "pshufw", "Pq,Qq,Ib"), SSE(0x0F70, P66, "pshufd", "Vx,Wx,Ib"),
    SSE(0x0F70, PF2, "pshuflw", "Vx,Wx,Ib"), SSE(0x0F70, PF3, "pshufhw", "Vx,Wx,Ib"),
    SSEG(0x0F71, 2, None, "psrlw", "Nq,Ib"), SSEG(0x0F71, 2, P66, "psrlw", "Ux,Ib"),
    SSEG(0x0F71, 4, None, "psraw", "Nq,Ib"), SSEG(0x0F71, 4, P66, "psraw", "Ux,Ib"),
    SSEG(0x0F71, 6, None, "psllw", "Nq,Ib"), SSEG(0x0F71, 6, P66, "psllw", "Ux,Ib"),
    SSEG(0x0F72, 2, None, "psrld", "Nq,Ib"), SSEG(0x0F72, 2, P66, "psrld", "Ux,Ib"),
    SSEG(0x0F72, 4, None, "psrad", "Nq,Ib"), SSEG(0x0F72, 4, P66, "psrad", "Ux,Ib"),
    SSEG(0x0F72, 6, None, "pslld", "Nq,Ib"), SSEG(0x0F72, 6, P66, "pslld", "Ux,Ib"),
    SSEG(0x0F73, 2, None, "psrlq", "Nq,Ib"), SSEG(0x0F73, 2, P66, "psrlq", "Ux,Ib"),
    SSEG(0x0F73, 3, Any, "psrldq", "Ux,Ib"),
    SSEG(0x0F73, 6, None, "psllq", "Nq,Ib"), SSEG(0x0F73, 6, P66, "psllq", "Ux,Ib"),
    SSEG(0x0F73, 7, Any, "pslldq", "Ux,Ib"),
    MMX(0x74, "pcmpeqb"), MMX(0x75, "pcmpeqw"), MMX(0x76, "pcmpeqd"),
    OP(0x0F77, "emms", "", 0, 0),
    SSE(0x0F7C, P66, "haddpd", "Vx,Wx"), SSE(0x0F7C, PF2, "haddps", "Vx,Wx"),
    SSE(0x0F7D, P66, "hsubpd", "Vx,Wx"), SSE(0x0F7D, PF2, "hsubps", "Vx,Wx"),
    SSE(0x0F7E, None, "movd", "Ed,Pq"), SSE(0x0F7E, P66, "movd", "Ed,Vx"),
    SSE(0x0F7E, PF3, "movq", "Vx,Wq"),
    SSE(0x0F7F, None, "movq", "Qq,Pq"), SSE(0x0F7F, P66, "movdqa", "Wx,Vx"),
    SSE(0x0F7F, PF3, "movdqu", "Wx,Vx"),
    OP(0x0F80, "j%cc", "Jz", JMP, 0), OP(0x0F81, "j%cc", "Jz", JMP, 0),
    OP(0x0F82, "j%cc", "Jz", JMP, 0), OP(0x0F83, "j%cc", "Jz", JMP, 0),
    OP(0x0F84, "j%cc", "Jz", JMP, 0), OP(0x0F85, "j%cc", "Jz", JMP, 0),
    OP(0x0F86, "j%cc", "Jz", JMP, 0), OP(0x0F87, "j%cc", "Jz", JMP, 0),
    OP(0x0F88, "j%cc", "Jz", JMP, 0), OP(0x0F89, "j%cc", "Jz", JMP, 0),
    OP(0x0F8A, "j%cc", "Jz", JMP, 0), OP(0x0F8B, "j%cc", "Jz", JMP, 0),
    OP(0x0F8C, "j%cc", "Jz", JMP, 0), OP(0x0F8D, "j%cc", "Jz", JMP, 0),
    OP(0x0F8E, "j%cc", "Jz", JMP, 0), OP(0x0F8F, "j%cc", "Jz", JMP, 0),
    OP(0x0F90, "set%cc", "Eb", IMPL, 0), OP(0x0F91, "set%cc", "Eb", IMPL, 0),
    OP(0x0F92, "set%cc", "Eb", IMPL, 0), OP(0x0F93, "set%cc", "Eb", IMPL, 0),
    OP(0x0F94, "set%cc", "Eb", IMPL, 0), OP(0x0F95, "set%cc", "Eb", IMPL, 0),
    OP(0x0F96, "set%cc", "Eb", IMPL, 0), OP(0x0F97, "set%cc", "Eb", IMPL, 0),
    OP(0x0F98, "set%cc", "Eb", IMPL, 0), OP(0x0F99, "set%cc", "Eb", IMPL, 0),
    OP(0x0F9A, "set%cc", "Eb", IMPL, 0), OP(0x0F9B, "set%cc", "Eb", IMPL, 0),
    OP(0x0F9C, "set%cc", "Eb", IMPL, 0), OP(0x0F9D, "set%cc", "Eb", IMPL, 0),
    OP(0x0F9E, "set%cc", "Eb", IMPL, 0), OP(0x0F9F, "set%cc", "Eb", IMPL, 0),
    OP(0x0FA0, "push", "FS", RO, kEsp), OP(0x0FA1, "pop", "FS", 0, kEsp),
    OP(0x0FA2, "cpuid", "", 0, kEax | kEcx | kEdx | kEbx), OP(0x0FA3, "bt", "Ev,Gv", RO, 0),
    OP(0x0FA4, "shld", "Ev,Gv,Ib", 0, 0), OP(0x0FA5, "shld", "Ev,Gv,CL", 0, 0),
    OP(0x0FA8, "push", "GS", RO, kEsp), OP(0x0FA9, "pop", "GS", 0, kEsp),
    OP(0x0FAA, "rsm", "", 0, kAllRegisters), OP(0x0FAB, "bts", "Ev,Gv", 0, 0),
    OP(0x0FAC, "shrd", "Ev,Gv,Ib", 0, 0), OP(0x0FAD, "shrd", "Ev,Gv,CL", 0, 0),
    GRP(0x0FAE, 0, Mem, "fxsave", "M", IMPL, 0), GRP(0x0FAE, 1, Mem, "fxrstor", "M", IMPL, 0),
    GRP(0x0FAE, 2, Mem, "ldmxcsr", "Md", RO, 0), GRP(0x0FAE, 3, Mem, "stmxcsr", "Md", 0, 0),
    GRP(0x0FAE, 5, Reg, "lfence", "", 0, 0), GRP(0x0FAE, 6, Reg, "mfence", "", 0, 0),
    GRP(0x0FAE, 7, Reg, "sfence", "", 0, 0), GRP(0x0FAE, 7, Mem, "clflush", "Mb", RO | IMPL, 0),
    OP(0x0FAF, "imul", "Gv,Ev", 0, 0),
    OP(0x0FB0, "cmpxchg", "Eb,Gb", 0, kEax), OP(0x0FB1, "cmpxchg", "Ev,Gv", 0, kEax),
    OP(0x0FB2, "lss", "Gv,Mp", 0, 0), OP(0x0FB3, "btr", "Ev,Gv", 0, 0),
    OP(0x0FB4, "lfs", "Gv,Mp", 0, 0), OP(0x0FB5, "lgs", "Gv,Mp", 0, 0),
    OP(0x0FB6, "movzx", "Gv,Eb", 0, 0), OP(0x0FB7, "movzx", "Gv,Ew", 0, 0),
    GRP(0x0FBA, 4, A, "bt", "Ev,Ib", RO, 0), GRP(0x0FBA, 5, A, "bts", "Ev,Ib", 0, 0),
    GRP(0x0FBA, 6, A, "btr", "Ev,Ib", 0, 0), GRP(0x0FBA, 7, A, "btc", "Ev,Ib", 0, 0),
    OP(0x0FBB, "btc", "Ev,Gv", 0, 0), OP(0x0FBC, "bsf", "Gv,Ev", 0, 0),
    OP(0x0FBD, "bsr", "Gv,Ev", 0, 0), OP(0x0FBE, "movsx", "Gv,Eb", 0, 0),
    OP(0x0FBF, "movsx", "Gv,Ew", 0, 0),
    OP(0x0FC0, "xadd", "Eb,Gb", XB, 0), OP(0x0FC1, "xadd", "Ev,Gv", XB, 0),
    SSE(0x0FC2, None, "cmpps", "Vx,Wx,Ib"), SSE(0x0FC2, P66, "cmppd", "Vx,Wx,Ib"),
    SSE(0x0FC2, PF2, "cmpsd", "Vx,Wq,Ib"), SSE(0x0FC2, PF3, "cmpss", "Vx,Wd,Ib"),
    OP(0x0FC3, "movnti", "Md,Gd", 0, 0),
    SSE(0x0FC4, None, "pinsrw", "Pq,Ed,Ib"), SSE(0x0FC4, P66, "pinsrw", "Vx,Ed,Ib"),
    SSE(0x0FC5, None, "pextrw", "Gd,Nq,Ib"), SSE(0x0FC5, P66, "pextrw", "Gd,Ux,Ib"),
    SSE(0x0FC6, None, "shufps", "Vx,Wx,Ib"), SSE(0x0FC6, P66, "shufpd", "Vx,Wx,Ib"),
    {0x0FC7, -1, -1, Mem, Any, "cmpxchg8b", "Mq", 0, kEax | kEdx},
    OP(0x0FC8, "bswap", "Zd", 0, 0), OP(0x0FC9, "bswap", "Zd", 0, 0),
    OP(0x0FCA, "bswap", "Zd", 0, 0), OP(0x0FCB, "bswap", "Zd", 0, 0),
    OP(0x0FCC, "bswap", "Zd", 0, 0), OP(0x0FCD, "bswap", "Zd", 0, 0),
    OP(0x0FCE, "bswap", "Zd", 0, 0), OP(0x0FCF, "bswap", "Zd", 0, 0),
    SSE(0x0FD0, P66, "addsubpd", "Vx,Wx"), SSE(0x0FD0, PF2, "addsubps", "Vx,Wx"),
    MMX(0xD1, "psrlw"), MMX(0xD2, "psrld"), MMX(0xD3, "psrlq"), MMX(0xD4, "paddq"),
    MMX(0xD5, "pmullw"),
    SSE(0x0FD6, P66, "movq", "Wq,Vx"), SSE(0x0FD6, PF2, "movdq2q", "Pq,Ux"),
    SSE(0x0FD6, PF3, "movq2dq", "Vx,Nq"),
    SSE(0x0FD7, None, "pmovmskb", "Gd,Nq"), SSE(0x0FD7, P66, "pmovmskb", "Gd,Ux"),
    MMX(0xD8, "psubusb"), MMX(0xD9, "psubusw"), MMX(0xDA, "pminub"), MMX(0xDB, "pand"),
    MMX(0xDC, "paddusb"), MMX(0xDD, "paddusw"), MMX(0xDE, "pmaxub"), MMX(0xDF, "pandn"),
    MMX(0xE0, "pavgb"), MMX(0xE1, "psraw"), MMX(0xE2, "psrad"), MMX(0xE3, "pavgw"),
    MMX(0xE4, "pmulhuw"), MMX(0xE5, "pmulhw"),
    SSE(0x0FE6, P66, "cvttpd2dq", "Vx,Wx"), SSE(0x0FE6, PF2, "cvtpd2dq", "Vx,Wx"),
    SSE(0x0FE6, PF3, "cvtdq2pd", "Vx,Wq"),
    SSE(0x0FE7, None, "movntq", "Qq,Pq"), SSE(0x0FE7, P66, "movntdq", "Wx,Vx"),
    MMX(0xE8, "psubsb"), MMX(0xE9, "psubsw"), MMX(0xEA, "pminsw"), MMX(0xEB, "por"),
    MMX(0xEC, "paddsb"), MMX(0xED, "paddsw"), MMX(0xEE, "pmaxsw"), MMX(0xEF, "pxor"),
    SSE(0x0FF0, PF2, "lddqu", "Vx,Wx"),
    MMX(0xF1, "psllw"), MMX(0xF2, "pslld"), MMX(0xF3, "psllq"), MMX(0xF4, "pmuludq"),
    MMX(0xF5, "pmaddwd"), MMX(0xF6, "psadbw"),
    SSE(0x0FF7, None, "maskmovq", "Pq,Nq"), SSE(0x0FF7, P66, "maskmovdqu", "Vx,Ux"),
    MMX(0xF8, "psubb"), MMX(0xF9, "psubw"), MMX(0xFA, "psubd"), MMX(0xFB, "psubq"),
    MMX(0xFC, "paddb"), MMX(0xFD, "paddw"), MMX(0xFE, "paddd"),
};
// clang-format on

// The 3DNow! operations of the 0x0F 0x0F form, by suffix byte.
struct Suffix3DNow {
    uint8_t suffix;
    const char* mnemonic;
};
const Suffix3DNow k3DNow[] = {
    {0x0C, "pi2fw"},    {0x0D, "pi2fd"},   {0x1C, "pf2iw"},   {0x1D, "pf2id"},   {0x8A, "pfnacc"},
    {0x8E, "pfpnacc"},  {0x90, "pfcmpge"}, {0x94, "pfmin"},   {0x96, "pfrcp"},   {0x97, "pfrsqrt"},
    {0x9A, "pfsub"},    {0x9E, "pfadd"},   {0xA0, "pfcmpgt"}, {0xA4, "pfmax"},   {0xA6, "pfrcpit1"},
    {0xA7, "pfrsqit1"}, {0xAA, "pfsubr"},  {0xAE, "pfacc"},   {0xB0, "pfcmpeq"}, {0xB4, "pfmul"},
    {0xB6, "pfrcpit2"}, {0xB7, "pmulhrw"}, {0xBB, "pswapd"},  {0xBF, "pavgusb"},
};

uint8_t SizeOf(char c)
{
    switch (c) {
        case 'b':
            return 1;
        case 'w':
            return 2;
        case 'd':
            return 4;
        case 'q':
            return 8;
        case 't':
            return 10;
        case 'x':
            return 16;
        case 's':
            return 6;
        case 'a':
            return 8;
        case 'v':
        case 'z':
            return kSizeV;
        case 'p':
            return kSizeP;
        default:
            return kSizeNone;
    }
}

struct CodeKind {
    char letter;
    OperandKind kind;
    Form form; // Register or Memory when the code allows only that form
};
// The one-letter operand codes, after the conventions of the published opcode maps.
const CodeKind kCodes[] = {
    {'E', OperandKind::RmGeneral, Form::Any},  {'R', OperandKind::RmGeneral, Form::Register},
    {'M', OperandKind::Memory, Form::Memory},  {'G', OperandKind::RegGeneral, Form::Any},
    {'Q', OperandKind::RmMmx, Form::Any},      {'N', OperandKind::RmMmx, Form::Register},
    {'P', OperandKind::RegMmx, Form::Any},     {'W', OperandKind::RmXmm, Form::Any},
    {'U', OperandKind::RmXmm, Form::Register}, {'V', OperandKind::RegXmm, Form::Any},
    {'I', OperandKind::Immediate, Form::Any},  {'J', OperandKind::Relative, Form::Any},
    {'O', OperandKind::Offset, Form::Any},     {'A', OperandKind::FarPointer, Form::Any},
    {'S', OperandKind::SegmentReg, Form::Any}, {'C', OperandKind::ControlReg, Form::Any},
    {'D', OperandKind::DebugReg, Form::Any},   {'Z', OperandKind::OpcodeReg, Form::Any},
};

struct NamedOperand {
    std::string_view code;
    Operand operand;
};
const NamedOperand kNamed[] = {
    {"AL", {OperandKind::FixedGeneral, 1, 0}},
    {"CL", {OperandKind::FixedGeneral, 1, 1}},
    {"DX", {OperandKind::FixedGeneral, 2, 2}},
    {"AX", {OperandKind::FixedGeneral, 2, 0}},
    {"eAX", {OperandKind::FixedGeneral, kSizeV, 0}},
    {"ES", {OperandKind::FixedSegment, 2, 0}},
    {"CS", {OperandKind::FixedSegment, 2, 1}},
    {"SS", {OperandKind::FixedSegment, 2, 2}},
    {"DS", {OperandKind::FixedSegment, 2, 3}},
    {"FS", {OperandKind::FixedSegment, 2, 4}},
    {"GS", {OperandKind::FixedSegment, 2, 5}},
    {"1", {OperandKind::One, 1, 0}},
    {"ST", {OperandKind::St0, 10, 0}},
    {"STi", {OperandKind::StI, 10, 0}},
    {"Is", {OperandKind::SignedImmediate, 1, 0}},
    {"3d", {OperandKind::Suffix3DNow, 1, 0}},
    {"M", {OperandKind::Memory, kSizeNone, 0}},
};

Form Narrow(Form a, Form b)
{
    return a == Form::Any ? b : a;
}

Operand ParseOperand(std::string_view code, Form& form)
{
    for (const NamedOperand& n : kNamed)
        if (n.code == code) {
            if (n.operand.kind == OperandKind::Memory)
                form = Narrow(form, Form::Memory);
            return n.operand;
        }
    for (const CodeKind& c : kCodes)
        if (code.size() == 2 && c.letter == code[0]) {
            form = Narrow(form, c.form);
            return Operand{c.kind, SizeOf(code[1]), 0};
        }
    return Operand{};
}

struct Index {
    std::vector<OpcodeForm> forms;
    std::array<OpcodeEntry, 512> entries{};

    Index()
    {
        forms.reserve(std::size(kRows));
        std::array<std::vector<OpcodeForm>, 512> byOpcode;
        for (const OpcodeRow& row : kRows) {
            OpcodeForm form;
            form.row = &row;
            form.form = row.form;
            std::string_view rest = row.operands;
            while (!rest.empty() && form.operandCount < 3) {
                size_t comma = rest.find(',');
                form.operands[form.operandCount++] = ParseOperand(rest.substr(0, comma), form.form);
                rest =
                    comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
            }
            byOpcode[Slot(row.opcode)].push_back(form);
        }
        for (size_t slot = 0; slot < byOpcode.size(); ++slot) {
            bool modrm = slot >= 0xD8 && slot <= 0xDF;
            for (const OpcodeForm& f : byOpcode[slot]) {
                modrm = modrm || f.row->reg >= 0;
                for (int i = 0; i < f.operandCount; ++i)
                    modrm = modrm || UsesModRM(f.operands[i].kind);
            }
            entries[slot].hasModRM = modrm;
            entries[slot].count = static_cast<int>(byOpcode[slot].size());
        }
        for (size_t slot = 0; slot < byOpcode.size(); ++slot)
            for (const OpcodeForm& f : byOpcode[slot])
                forms.push_back(f);
        const OpcodeForm* next = forms.data();
        for (OpcodeEntry& e : entries) {
            e.first = next;
            next += e.count;
        }
    }

    static size_t Slot(uint16_t opcode)
    {
        return opcode >= 0x0F00 ? 256 + (opcode & 0xFF) : opcode;
    }

    static bool UsesModRM(OperandKind k)
    {
        switch (k) {
            case OperandKind::RmGeneral:
            case OperandKind::RegGeneral:
            case OperandKind::RmMmx:
            case OperandKind::RegMmx:
            case OperandKind::RmXmm:
            case OperandKind::RegXmm:
            case OperandKind::Memory:
            case OperandKind::SegmentReg:
            case OperandKind::ControlReg:
            case OperandKind::DebugReg:
            case OperandKind::StI:
                return true;
            default:
                return false;
        }
    }
};

const Index& TheIndex()
{
    static const Index index;
    return index;
}

bool Matches(const OpcodeForm& f, int mod, int reg, int rm, Prefix prefix)
{
    const OpcodeRow& r = *f.row;
    if (r.prefix != Prefix::Any && r.prefix != prefix)
        return false;
    if (r.reg >= 0 && r.reg != reg)
        return false;
    if (r.rm >= 0 && r.rm != rm)
        return false;
    if (f.form == Form::Memory && mod == 3)
        return false;
    if (f.form == Form::Register && mod != 3)
        return false;
    return true;
}

} // namespace

const OpcodeEntry& LookupOpcode(uint16_t opcode)
{
    return TheIndex().entries[Index::Slot(opcode)];
}

const OpcodeForm* SelectForm(const OpcodeEntry& entry, int mod, int reg, int rm, Prefix prefix)
{
    for (int i = 0; i < entry.count; ++i)
        if (Matches(entry.first[i], mod, reg, rm, prefix))
            return &entry.first[i];
    // A prefix that selects no form of this opcode is an ordinary prefix (operand size or
    // repeat), and the form without a mandatory prefix applies.
    if (prefix != Prefix::None)
        for (int i = 0; i < entry.count; ++i)
            if (entry.first[i].row->prefix == Prefix::None &&
                Matches(entry.first[i], mod, reg, rm, Prefix::None))
                return &entry.first[i];
    return nullptr;
}

const char* Mnemonic3DNow(uint8_t suffix)
{
    for (const Suffix3DNow& s : k3DNow)
        if (s.suffix == suffix)
            return s.mnemonic;
    return nullptr;
}

} // namespace qor::x86
