#include "FunctionListing.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "QorModuleImage.h"

namespace qor {

using namespace x86;

namespace {

const char* const kRegisters8[8] = {"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"};
const char* const kRegisters16[8] = {"ax", "cx", "dx", "bx", "sp", "bp", "si", "di"};
const char* const kRegisters32[8] = {"eax", "ecx", "edx", "ebx", "esp", "ebp", "esi", "edi"};
const char* const kSegments[8] = {"es", "cs", "ss", "ds", "fs", "gs", "?", "?"};
const char* const k16BitBases[8] = {"bx+si", "bx+di", "bp+si", "bp+di", "si", "di", "bp", "bx"};

struct SizeWord {
    uint32_t bytes;
    const char* word;
};
const SizeWord kSizeWords[] = {{1, "byte"},  {2, "word"},   {4, "dword"}, {6, "fword"},
                               {8, "qword"}, {10, "tbyte"}, {16, "oword"}};

const char* const kSeparator = "; ---------------------------------------------------------";

std::string Hex(uint32_t value, int digits = 0)
{
    char s[16];
    std::snprintf(s, sizeof s, "%0*x", digits, value);
    return s;
}

// "$" and hexadecimal above 9, decimal otherwise.
std::string Unsigned(uint32_t v)
{
    return v > 9 ? "$" + Hex(v) : std::to_string(v);
}
std::string Signed(int32_t v)
{
    uint32_t magnitude = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    return (v < 0 ? "-" : "") + Unsigned(magnitude);
}

void PadTo(std::string& s, size_t width)
{
    if (s.size() < width)
        s.append(width - s.size(), ' ');
}

uint32_t Bytes(uint8_t size, const TDecodedInstruction& d)
{
    if (size == kSizeV)
        return d.operandSize16 ? 2 : 4;
    if (size == kSizeP)
        return d.operandSize16 ? 4 : 6;
    return size == kSizeNone ? 0 : size;
}

std::string GeneralRegister(int reg, uint32_t bytes)
{
    return bytes == 1 ? kRegisters8[reg] : bytes == 2 ? kRegisters16[reg] : kRegisters32[reg];
}

std::string MemoryOperand(const TDecodedInstruction& d, uint32_t size, bool sizeWord)
{
    std::string inside;
    bool hasBase = false;
    int rm = d.modrm & 7, mod = d.modrm >> 6;
    if (d.addressSize16) {
        if (!(mod == 0 && rm == 6)) {
            inside = k16BitBases[rm];
            hasBase = true;
        }
    } else if (d.hasSib) {
        int base = d.sib & 7, index = (d.sib >> 3) & 7, scale = 1 << (d.sib >> 6);
        if (!(base == 5 && mod == 0)) {
            inside = kRegisters32[base];
            hasBase = true;
        }
        if (index != 4) {
            inside += std::string(hasBase ? "+" : "") + kRegisters32[index] +
                      (scale > 1 ? "*" + std::to_string(scale) : "");
            hasBase = true;
        }
    } else if (!(mod == 0 && rm == 5)) {
        inside = kRegisters32[rm];
        hasBase = true;
    }
    if (!hasBase)
        inside = Unsigned(static_cast<uint32_t>(d.displacement));
    else if (d.displacementSize) {
        std::string disp = Signed(d.displacement);
        inside += disp[0] == '-' ? disp : "+" + disp;
    }
    std::string text = "[" + inside + "]";
    if (d.segment >= 0)
        text = std::string(kSegments[d.segment]) + ":" + text;
    if (sizeWord)
        for (const SizeWord& w : kSizeWords)
            if (w.bytes == size)
                return std::string(w.word) + " ptr " + text;
    return text;
}

bool IsRegisterOperand(OperandKind k)
{
    return k == OperandKind::RegGeneral || k == OperandKind::OpcodeReg ||
           k == OperandKind::FixedGeneral || k == OperandKind::RegMmx || k == OperandKind::RegXmm ||
           k == OperandKind::St0 || k == OperandKind::SegmentReg || k == OperandKind::FixedSegment;
}

std::string OperandText(const TDecodedInstruction& d, const Operand& op, bool sizeWord, bool& first)
{
    uint32_t bytes = Bytes(op.size, d);
    int reg = (d.modrm >> 3) & 7, rm = d.modrm & 7;
    std::string t;
    switch (op.kind) {
        case OperandKind::RegGeneral:
            return GeneralRegister(reg, bytes);
        case OperandKind::OpcodeReg:
            return GeneralRegister(d.opcode & 7, bytes);
        case OperandKind::FixedGeneral:
            return GeneralRegister(op.reg, bytes);
        case OperandKind::RmGeneral:
            return d.MemoryForm() ? MemoryOperand(d, bytes, sizeWord) : GeneralRegister(rm, bytes);
        case OperandKind::Memory:
            return MemoryOperand(d, bytes, sizeWord);
        case OperandKind::RegMmx:
            return "mm" + std::to_string(reg);
        case OperandKind::RmMmx:
            return d.MemoryForm() ? MemoryOperand(d, bytes, sizeWord) : "mm" + std::to_string(rm);
        case OperandKind::RegXmm:
            return "xmm" + std::to_string(reg);
        case OperandKind::RmXmm:
            return d.MemoryForm() ? MemoryOperand(d, bytes, sizeWord) : "xmm" + std::to_string(rm);
        case OperandKind::SegmentReg:
            return kSegments[reg];
        case OperandKind::FixedSegment:
            return kSegments[op.reg];
        case OperandKind::ControlReg:
            return "cr" + std::to_string(reg);
        case OperandKind::DebugReg:
            return "dr" + std::to_string(reg);
        case OperandKind::St0:
            return "st";
        case OperandKind::StI:
            return "st(" + std::to_string(rm) + ")";
        case OperandKind::One:
            return "1";
        case OperandKind::Immediate: {
            uint32_t v = first ? d.immediate : d.immediate2;
            first = false;
            return Unsigned(v);
        }
        case OperandKind::SignedImmediate: {
            uint32_t v = first ? d.immediate : d.immediate2;
            first = false;
            return Signed(static_cast<int8_t>(v));
        }
        case OperandKind::Relative:
            return Signed(static_cast<int32_t>(d.immediate)) + " ($" +
                   Hex(d.target ? d.target : d.next + d.immediate) + ")";
        case OperandKind::Offset: {
            first = false;
            std::string text = "[" + Unsigned(d.immediate) + "]";
            if (d.segment >= 0)
                text = std::string(kSegments[d.segment]) + ":" + text;
            return text;
        }
        case OperandKind::FarPointer:
            first = false;
            return "$" + Hex(d.immediate2) + ":$" + Hex(d.immediate);
        default:
            return t;
    }
}

std::string Mnemonic(const TDecodedInstruction& d)
{
    if (d.opcode == 0x0F0F)
        return Mnemonic3DNow(d.suffix);
    std::string m = d.form->row->mnemonic;
    size_t cc = m.find("%cc");
    if (cc != std::string::npos)
        m.replace(cc, 3, kConditionCodes[d.opcode & 0xF]);
    // The operand size prefix names the 16-bit forms of the string and conversion instructions.
    struct Variant {
        const char* full;
        const char* word;
    };
    static const Variant kWordForms[] = {
        {"movsd", "movsw"}, {"cmpsd", "cmpsw"},  {"stosd", "stosw"}, {"lodsd", "lodsw"},
        {"scasd", "scasw"}, {"insd", "insw"},    {"outsd", "outsw"}, {"cwde", "cbw"},
        {"cdq", "cwd"},     {"pushad", "pusha"}, {"popad", "popa"},  {"pushfd", "pushf"},
        {"popfd", "popf"},  {"iretd", "iret"},   {"jecxz", "jcxz"}};
    if (d.operandSize16 || (d.addressSize16 && d.opcode == 0xE3))
        for (const Variant& v : kWordForms)
            if (m == v.full)
                return v.word;
    return m;
}

// Whether the bytes at `address` look like text (the rules of the listing's string comment).
bool LooksLikeText(const CodeMemory& memory, uint32_t address, std::string& text)
{
    int a = 0, b = 0, c = 0, other = 0, read = 0;
    for (; read < 100; ++read) {
        uint8_t ch;
        if (!memory.Read(address + static_cast<uint32_t>(read), &ch, 1))
            break;
        if (ch == 0 || ch == 10 || ch == 12)
            break;
        if (ch < 32)
            return false;
        text += static_cast<char>(ch);
        if (ch == ' ' || (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') ||
            (ch >= 'a' && ch <= 'z'))
            ++a;
        else if (ch == ':' || ch == '\\' || ch == ',' || ch == '.')
            ++c;
        else if (ch >= '!' && ch <= ']')
            ++b;
        else
            ++other;
    }
    if (read < 4 || c * 5 >= a * 2)
        return false;
    int j = c / 2 + a;
    return b * 8 < j && other * 10 < j + b / 4;
}

bool InModuleImage(const CodeMemory& memory, uint32_t address)
{
    MemoryRegion r = memory.Region(address);
    return r.committed && r.allocationBase != 0 &&
           uint64_t{address} + 100 <= uint64_t{r.start} + r.size;
}

// The name of the routine that starts at `address`: its export name in its module, else the
// debug information's name.
std::string RoutineName(const CodeMemory& memory, uint32_t address, const ListingHooks& hooks)
{
    std::string name = ExportNameAt(memory, address);
    if (name.empty() && hooks.routineName)
        name = hooks.routineName(address);
    return name;
}

// The name of a branch target as the comment gives it: a jump stub inside a module image (an
// import thunk) is named by where it jumps; a routine of another module than the branch's own
// gets that module's file name in brackets.
std::string BranchTargetName(const CodeMemory& memory, const TDecodedInstruction& d,
                             const ListingHooks& hooks)
{
    uint32_t named = d.target;
    MemoryRegion region = memory.Region(named);
    if (region.committed && region.allocationBase) {
        TDecodedInstruction stub = DecodeInstruction(memory, named, nullptr);
        bool unconditionalJump =
            stub.valid && stub.jump && stub.target &&
            (stub.opcode == 0xE9 || stub.opcode == 0xEB || stub.opcode == 0xFF);
        if (unconditionalJump)
            named = stub.target;
    }
    std::string name = RoutineName(memory, named, hooks);
    if (name.empty() || name.find('(') != std::string::npos || !hooks.moduleName)
        return name;
    uint32_t own = memory.Region(d.start).allocationBase;
    uint32_t theirs = memory.Region(named).allocationBase;
    if (theirs && theirs != own) {
        std::string module = hooks.moduleName(theirs);
        if (!module.empty())
            name += " (" + module + ")";
    }
    return name;
}

std::string Comment(const CodeMemory& memory, const TDecodedInstruction& d,
                    const ListingHooks& hooks)
{
    auto name = [&](uint32_t a) { return RoutineName(memory, a, hooks); };
    if ((d.call || d.jump) && d.target) {
        std::string n = BranchTargetName(memory, d, hooks);
        return n.empty() ? "" : "  ; " + n;
    }
    uint32_t candidate = 0;
    uint32_t absolute;
    bool absoluteMemory =
        d.MemoryForm() && !d.addressSize16 && (d.modrm >> 6) == 0 &&
        ((d.modrm & 7) == 5 || (d.hasSib && (d.sib & 7) == 5 && ((d.sib >> 3) & 7) == 4));
    if (absoluteMemory)
        candidate = static_cast<uint32_t>(d.displacement);
    else if (d.immediateLocation && d.next - d.immediateLocation >= 4 && !d.operandSize16)
        candidate = d.immediate;
    if (!candidate || !InModuleImage(memory, candidate))
        return "";
    absolute = candidate;
    std::string n = name(absolute);
    if (!n.empty())
        return "  ; " + n;
    std::string text;
    if (LooksLikeText(memory, absolute, text))
        return "  ; '" + text + "'";
    uint32_t stored;
    if (absoluteMemory && ReadDword(memory, absolute, stored) && InModuleImage(memory, stored)) {
        n = name(stored);
        if (!n.empty())
            return "  ; " + n;
        text.clear();
        if (LooksLikeText(memory, stored, text))
            return "  ; '" + text + "'";
    }
    return "";
}

} // namespace

std::string DisassembleInstruction(const CodeMemory& memory, uint32_t address,
                                   TRegisterState* registers, bool useRegisters,
                                   TDecodedInstruction& decoded, const ListingHooks& hooks)
{
    decoded = DecodeInstruction(memory, address, useRegisters ? registers : nullptr);
    const TDecodedInstruction& d = decoded;
    if (!d.valid) {
        std::string lines;
        for (uint32_t a = d.start; a != d.next; ++a) {
            uint8_t b = 0;
            memory.Read(a, &b, 1);
            if (!lines.empty())
                lines += "\r\n";
            lines += Hex(a, 8) + "   db $" + Hex(b, 2);
        }
        return lines;
    }
    std::string line = Hex(address, 8) + "   ";
    if (d.lock)
        line += "lock ";
    if (d.repeat && d.opcode < 0x100)
        line += d.repeat == 0xF2 ? "repne " : "rep ";
    line += Mnemonic(d);
    const OpcodeForm& form = *d.form;
    int count = d.opcode == 0x0F0F ? 2 : form.operandCount;
    if (count > 0) {
        PadTo(line, 19);
        if (line.back() != ' ')
            line += ' ';
        // A memory operand gets its size word unless a register operand of the same size implies
        // it.
        bool sizeWord = !(form.row->flags & kImpliedSize);
        uint32_t memorySize = 0;
        for (int i = 0; i < count; ++i)
            if (form.operands[i].kind == OperandKind::RmGeneral ||
                form.operands[i].kind == OperandKind::Memory ||
                form.operands[i].kind == OperandKind::RmMmx ||
                form.operands[i].kind == OperandKind::RmXmm)
                memorySize = Bytes(form.operands[i].size, d);
        for (int i = 0; i < count; ++i)
            if (IsRegisterOperand(form.operands[i].kind) &&
                Bytes(form.operands[i].size, d) == memorySize)
                sizeWord = false;
        bool first = true;
        for (int i = 0; i < count; ++i) {
            if (i)
                line += ", ";
            line += OperandText(d, form.operands[i], sizeWord, first);
        }
    }
    std::string comment = Comment(memory, d, hooks);
    if (!comment.empty()) {
        PadTo(line, 40);
        line += comment;
    }
    return line;
}

namespace {

struct Line {
    uint32_t address;
    std::string text;
    bool code;     // an instruction line
    bool label;    // label lines never get a line number
    bool numbered; // instruction, table and empty lines may get a number
};

std::string LabelName(uint32_t address, uint32_t entry, const std::string& header)
{
    return address == entry ? header : "loc_" + Hex(address);
}

} // namespace

std::string ParseFunction(const CodeMemory& memory, uint32_t address, uint32_t exceptionAddress,
                          uint32_t maxLines, bool automaticDelimiters, TFunctionInfo& info,
                          const AnalyserAnchors& anchors, const ListingHooks& hooks)
{
    info = AnalyseCode(memory, address, anchors);
    if (!info.valid)
        return "";
    std::string name = RoutineName(memory, address, hooks);
    std::string header = name.empty() ? "sub_" + Hex(address) : "public " + name;
    std::string labelName = name.empty() ? header : name;

    int width = 0;
    if (hooks.lineNumber) {
        uint32_t line = hooks.lineNumber(info.codeStart + info.codeLength - 1);
        if (line == 0)
            line = hooks.lineNumber(exceptionAddress) * 10;
        width = line ? static_cast<int>(std::to_string(line).size()) : 0;
    }

    std::vector<const TCodeArea*> areas;
    for (const TCodeArea& a : info.areas)
        areas.push_back(&a);
    std::sort(areas.begin(), areas.end(),
              [](const TCodeArea* a, const TCodeArea* b) { return a->start < b->start; });
    std::map<uint32_t, bool> targets; // area starts that some branch leads to
    for (const TCodeArea* a : areas)
        if (a->reference)
            targets[a->start] = true;
    auto isAreaStart = [&](uint32_t at) {
        return std::any_of(areas.begin(), areas.end(),
                           [&](const TCodeArea* a) { return a->start == at; });
    };

    std::vector<Line> lines;
    bool lastWasCode = false;
    auto empty = [&](uint32_t at) {
        lines.push_back({at, "", false, false, true});
        lastWasCode = false;
    };
    auto separator = [&](uint32_t at) {
        lines.push_back({at, kSeparator, false, false, false});
        lastWasCode = false;
    };
    uint32_t lastEnd = 0;
    for (const TCodeArea* area : areas) {
        if (lastEnd && area->start <= lastEnd)
            return "Internal error in ParseFunction while composing the disassembling string...  "
                   ":-(";
        lastEnd = area->end;
        bool label = area->start == address || (automaticDelimiters && targets.count(area->start));
        if (label) {
            if (lastWasCode)
                empty(area->start);
            std::string text = LabelName(area->start, address, labelName) + ":";
            if (area->start == address) {
                PadTo(text, 31);
                text += "  ; function entry point";
            }
            lines.push_back({area->start, text, false, true, false});
        }
        if (area->caseTable || area->exceptionTable) {
            if (automaticDelimiters && lastWasCode) {
                empty(area->start);
                separator(area->start);
                empty(area->start);
            }
            for (uint32_t at = area->start; at + 3 <= area->end; at += area->caseTable ? 4 : 8) {
                uint32_t target = 0;
                ReadDword(memory, area->caseTable ? at : at + 4, target);
                std::string text = "  dd loc_" + Hex(target);
                if (at == area->start) {
                    PadTo(text, 31);
                    text += "  ; case jump table";
                }
                lines.push_back({at, text, false, false, true});
            }
            if (automaticDelimiters) {
                empty(area->end);
                separator(area->end);
                empty(area->end);
            }
            lastWasCode = false;
            continue;
        }
        TRegisterState regs = area->registers;
        for (uint32_t at = area->start; at <= area->end;) {
            TDecodedInstruction d;
            std::string text = DisassembleInstruction(memory, at, &regs, true, d, hooks);
            if (d.valid && d.relative && (d.call || d.jump) && isAreaStart(d.target)) {
                std::string line = Hex(at, 8) + "   " + Mnemonic(d);
                PadTo(line, 19);
                if (line.back() != ' ')
                    line += ' ';
                text = line + LabelName(d.target, address, labelName);
            }
            lines.push_back({at, text, true, false, true});
            lastWasCode = true;
            uint32_t next = d.next;
            bool more =
                next <= area->end || std::any_of(areas.begin(), areas.end(),
                                                 [&](const TCodeArea* a) { return a->start > at; });
            uint16_t op = d.opcode;
            bool isReturn =
                d.valid && (op == 0xC2 || op == 0xC3 || op == 0xCA || op == 0xCB || op == 0xCF);
            bool isJump =
                d.valid && (op == 0xE9 || op == 0xEA || op == 0xEB || (op == 0xFF && d.jump));
            if (automaticDelimiters && more && (d.call || d.jump || isReturn)) {
                empty(next);
                bool toHandler = d.target && (d.target == anchors.handleAnyException ||
                                              d.target == anchors.handleOnException ||
                                              d.target == anchors.handleFinally);
                if ((isReturn || isJump) && !toHandler) {
                    separator(next);
                    empty(next);
                }
            }
            if (next <= at)
                break;
            at = next;
        }
    }
    // Address column, exception mark and line numbers.
    std::vector<std::string> out;
    uint32_t previousLine = 0;
    size_t exceptionLine = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        std::string text =
            l.code ? l.text
                   : (l.text.empty() ? Hex(l.address, 8) : Hex(l.address, 8) + " " + l.text);
        if (l.code && l.address == exceptionAddress && text.size() >= 10)
            text[9] = '>';
        if (exceptionLine == lines.size() && l.address >= exceptionAddress && exceptionAddress)
            exceptionLine = i;
        if (width) {
            uint32_t number = l.numbered && hooks.lineNumber ? hooks.lineNumber(l.address) : 0;
            if (number && number != previousLine) {
                std::string n = std::to_string(number);
                n.insert(
                    0, static_cast<size_t>(width) - std::min(n.size(), static_cast<size_t>(width)),
                    '0');
                if (text.size() >= 10)
                    text.insert(9, n + " ");
                else
                    text += " " + n;
                previousLine = number;
            } else if (text.size() >= 10) {
                text.insert(9, std::string(static_cast<size_t>(width) + 1, ' '));
            }
        }
        out.push_back(text);
    }
    size_t first = 0, last = out.size();
    if (maxLines > 0 && exceptionLine < out.size()) {
        if (exceptionLine + 1 > maxLines * 12 / 10)
            first = exceptionLine - maxLines;
        last = std::min(out.size(), exceptionLine + 1 + maxLines);
    }
    std::string listing;
    if (first > 0)
        listing += "[...]\r\n";
    for (size_t i = first; i < last; ++i)
        listing += out[i] + "\r\n";
    if (last < out.size())
        listing += "[...]\r\n";
    if (listing.size() >= 2)
        listing.resize(listing.size() - 2);
    return listing;
}

} // namespace qor
