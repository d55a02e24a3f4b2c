#include "X86Decoder.h"

#include <cstring>

namespace qor {

using namespace x86;

namespace {

// Segment override prefixes by segment number (es, cs, ss, ds, fs, gs).
constexpr uint8_t kSegmentPrefixes[6] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65};

int SegmentOfPrefix(uint8_t b)
{
    for (int i = 0; i < 6; ++i)
        if (kSegmentPrefixes[i] == b)
            return i;
    return -1;
}

// The instruction's bytes as far as they can be read.
class ByteCursor {
public:
    ByteCursor(const CodeMemory& memory, uint32_t address) : address_(address)
    {
        if (memory.Read(address, bytes_, kMaxInstructionLength)) {
            available_ = kMaxInstructionLength;
            return;
        }
        while (available_ < kMaxInstructionLength &&
               memory.Read(address + available_, bytes_ + available_, 1))
            ++available_;
    }
    bool Take(uint32_t count, uint32_t& value)
    {
        if (position_ + count > available_) {
            ok_ = false;
            return false;
        }
        value = 0;
        for (uint32_t i = 0; i < count; ++i)
            value |= uint32_t{bytes_[position_ + i]} << (8 * i);
        position_ += count;
        return true;
    }
    bool Peek(uint8_t& b) const
    {
        if (position_ >= available_)
            return false;
        b = bytes_[position_];
        return true;
    }
    uint32_t Here() const { return address_ + position_; }
    uint32_t Used() const { return position_; }
    bool Ok() const { return ok_; }

private:
    uint8_t bytes_[kMaxInstructionLength] = {};
    uint32_t address_;
    uint32_t available_ = 0;
    uint32_t position_ = 0;
    bool ok_ = true;
};

uint32_t SizeInBytes(uint8_t size, bool operand16)
{
    if (size == kSizeV)
        return operand16 ? 2 : 4;
    if (size == kSizeP)
        return operand16 ? 4 : 6;
    return size;
}

int32_t SignExtend(uint32_t value, uint32_t bytes)
{
    switch (bytes) {
        case 1:
            return static_cast<int8_t>(value);
        case 2:
            return static_cast<int16_t>(value);
        default:
            return static_cast<int32_t>(value);
    }
}

// Reads the SIB byte and the displacement of a memory form.
bool ReadAddress(ByteCursor& in, TDecodedInstruction& d)
{
    int mod = d.modrm >> 6, rm = d.modrm & 7;
    uint32_t size = 0;
    if (d.addressSize16) {
        size = mod == 1 ? 1 : mod == 2 || (mod == 0 && rm == 6) ? 2 : 0;
    } else {
        int base = rm;
        if (rm == 4) {
            uint32_t sib;
            if (!in.Take(1, sib))
                return false;
            d.hasSib = true;
            d.sib = static_cast<uint8_t>(sib);
            base = d.sib & 7;
        }
        size = mod == 1 ? 1 : mod == 2 || (mod == 0 && base == 5) ? 4 : 0;
    }
    if (size == 0)
        return true;
    d.displacementLocation = in.Here();
    uint32_t raw;
    if (!in.Take(size, raw))
        return false;
    d.displacementSize = static_cast<uint8_t>(size);
    // A 16-bit absolute address is unsigned; every other displacement is signed.
    d.displacement =
        (d.addressSize16 && mod == 0) ? static_cast<int32_t>(raw) : SignExtend(raw, size);
    return true;
}

// The absolute address of a memory form without base and index, if it is one.
bool AbsoluteAddress(const TDecodedInstruction& d, uint32_t& address)
{
    int mod = d.modrm >> 6, rm = d.modrm & 7;
    if (mod != 0)
        return false;
    bool absolute = d.addressSize16
                        ? rm == 6
                        : rm == 5 || (d.hasSib && (d.sib & 7) == 5 && ((d.sib >> 3) & 7) == 4);
    if (!absolute)
        return false;
    address = static_cast<uint32_t>(d.displacement);
    return true;
}

// The register of a plain [reg] memory form (no index, no displacement), -1 otherwise.
int PlainBaseRegister(const TDecodedInstruction& d)
{
    if (d.addressSize16 || (d.modrm >> 6) != 0)
        return -1;
    int rm = d.modrm & 7;
    if (rm == 5)
        return -1;
    if (rm != 4)
        return rm;
    int base = d.sib & 7, index = (d.sib >> 3) & 7;
    return index == 4 && base != 5 ? base : -1;
}

// Which mandatory prefix the instruction carries.
Prefix MandatoryPrefix(uint8_t repeat, bool has66)
{
    if (repeat == 0xF2)
        return Prefix::PF2;
    if (repeat == 0xF3)
        return Prefix::PF3;
    return has66 ? Prefix::P66 : Prefix::None;
}

// Branches through 0xFF: follow an absolute pointer or a register that holds a traced constant.
void ResolveIndirectBranch(const CodeMemory& memory, const TRegisterState* registers,
                           TDecodedInstruction& d)
{
    d.targetSize = 4;
    uint32_t pointer;
    if (d.MemoryForm() && AbsoluteAddress(d, pointer)) {
        d.pointerLocation = pointer;
        if (d.segment >= 0)
            return;
        if (!ReadDword(memory, pointer, d.target))
            d.valid = false;
        return;
    }
    if (!registers)
        return;
    if (!d.MemoryForm()) {
        uint32_t location = (*registers)[d.modrm & 7];
        if (location && ReadDword(memory, location, d.target))
            d.targetLocation = location;
        return;
    }
    int base = PlainBaseRegister(d);
    if (base < 0 || !(*registers)[base])
        return;
    if (!ReadDword(memory, (*registers)[base], pointer))
        return;
    d.targetLocation = (*registers)[base];
    d.pointerLocation = pointer;
    if (d.segment >= 0)
        return;
    if (!ReadDword(memory, pointer, d.target))
        d.valid = false;
}

// The general register an operand writes, -1 when it writes none.
int WrittenRegister(const Operand& op, const TDecodedInstruction& d)
{
    bool byte = op.size == 1;
    int reg = -1;
    switch (op.kind) {
        case OperandKind::RegGeneral:
            reg = (d.modrm >> 3) & 7;
            break;
        case OperandKind::RmGeneral:
            reg = d.MemoryForm() ? -1 : d.modrm & 7;
            break;
        case OperandKind::OpcodeReg:
            reg = d.opcode & 7;
            break;
        case OperandKind::FixedGeneral:
            reg = op.reg;
            break;
        default:
            return -1;
    }
    return reg >= 0 && byte ? reg & 3 : reg; // ah..bh are parts of eax..ebx
}

void TrackRegisters(const TDecodedInstruction& d, TRegisterState& regs)
{
    const OpcodeRow& row = *d.form->row;
    bool movImm32 = !d.operandSize16 && ((d.opcode >= 0xB8 && d.opcode <= 0xBF) ||
                                         (d.opcode == 0xC7 && !d.MemoryForm()));
    if (movImm32) {
        regs[d.opcode == 0xC7 ? d.modrm & 7 : d.opcode & 7] = d.immediateLocation;
        return;
    }
    if (d.opcode == 0x8B && !d.MemoryForm() && !d.operandSize16) {
        regs[(d.modrm >> 3) & 7] = regs[d.modrm & 7];
        return;
    }
    uint8_t written = row.implicitWrites;
    if ((row.flags & kStringOp) && d.repeat)
        written |= kEcx;
    if (d.form->operandCount > 0 && !(row.flags & kReadsOnly)) {
        int r = WrittenRegister(d.form->operands[0], d);
        if (r >= 0)
            written |= static_cast<uint8_t>(1u << r);
    }
    if ((row.flags & kWritesBoth) && d.form->operandCount > 1) {
        int r = WrittenRegister(d.form->operands[1], d);
        if (r >= 0)
            written |= static_cast<uint8_t>(1u << r);
    }
    for (int r = 0; r < 8; ++r)
        if (written & (1u << r))
            regs[r] = 0;
}

} // namespace

TDecodedInstruction DecodeInstruction(const CodeMemory& memory, uint32_t address,
                                      TRegisterState* registers)
{
    TDecodedInstruction d;
    d.start = address;
    d.next = address + 1;
    ByteCursor in(memory, address);

    // 1. Prefixes, in any number and order.
    bool has66 = false;
    uint32_t b;
    for (;;) {
        uint8_t peek;
        if (!in.Peek(peek))
            return d;
        int segment = SegmentOfPrefix(peek);
        if (segment >= 0)
            d.segment = static_cast<int8_t>(segment);
        else if (peek == 0x66)
            has66 = true;
        else if (peek == 0x67)
            d.addressSize16 = true;
        else if (peek == 0xF0)
            d.lock = true;
        else if (peek == 0xF2 || peek == 0xF3)
            d.repeat = peek;
        else
            break;
        in.Take(1, b);
    }

    // 2. Opcode.
    if (!in.Take(1, b)) {
        d.next = in.Here();
        return d;
    }
    d.opcode = static_cast<uint16_t>(b);
    if (b == 0x0F) {
        if (!in.Take(1, b)) {
            d.next = in.Here();
            return d;
        }
        d.opcode = static_cast<uint16_t>(0x0F00 | b);
    }
    // A repeat prefix that does not select an SSE form may change ecx.
    if (registers && d.repeat && d.opcode < 0x0F00)
        (*registers)[1] = 0;

    const OpcodeEntry& entry = LookupOpcode(d.opcode);
    Prefix prefix = MandatoryPrefix(d.repeat, has66);

    // 3. ModRM and the form it selects.
    d.hasModRM = entry.hasModRM;
    int mod = 3, reg = 0, rm = 0;
    if (d.hasModRM) {
        if (!in.Take(1, b)) {
            d.next = in.Here();
            return d;
        }
        d.modrm = static_cast<uint8_t>(b);
        mod = d.modrm >> 6;
        reg = (d.modrm >> 3) & 7;
        rm = d.modrm & 7;
    }
    d.form = SelectForm(entry, mod, reg, rm, prefix);
    if (!d.form) {
        d.next = in.Here();
        return d;
    }
    Prefix used = d.form->row->prefix;
    d.operandSize16 = has66 && used != Prefix::P66;
    if (used == Prefix::PF2 || used == Prefix::PF3)
        d.repeat = 0;
    if (d.MemoryForm() && !ReadAddress(in, d)) {
        d.next = in.Here();
        return d;
    }

    // 4. Immediates.
    bool first = true;
    for (int i = 0; i < d.form->operandCount; ++i) {
        const Operand& op = d.form->operands[i];
        uint32_t size = 0;
        switch (op.kind) {
            case OperandKind::Immediate:
            case OperandKind::SignedImmediate:
            case OperandKind::Relative:
            case OperandKind::Suffix3DNow:
                size = SizeInBytes(op.size, d.operandSize16);
                break;
            case OperandKind::Offset:
                size = d.addressSize16 ? 2 : 4;
                break;
            case OperandKind::FarPointer:
                size = d.operandSize16 ? 2 : 4;
                break;
            default:
                continue;
        }
        uint32_t location = in.Here();
        uint32_t value;
        if (!in.Take(size, value)) {
            d.next = in.Here();
            return d;
        }
        if (op.kind == OperandKind::Suffix3DNow) {
            d.suffix = static_cast<uint8_t>(value);
            continue;
        }
        if (op.kind == OperandKind::Relative) {
            d.relative = true;
            d.targetLocation = location;
            d.targetSize = static_cast<uint8_t>(size);
            d.immediate = static_cast<uint32_t>(SignExtend(value, size));
            continue;
        }
        if (first) {
            d.immediate = value;
            d.immediateLocation = location;
            first = false;
        } else {
            d.immediate2 = value;
        }
        if (op.kind == OperandKind::FarPointer) {
            if (!in.Take(2, value)) {
                d.next = in.Here();
                return d;
            }
            d.immediate2 = value;
        }
    }
    d.next = in.Here();
    if (in.Used() > kMaxInstructionLength || !in.Ok())
        return d;

    // 5. Validity beyond the opcode map.
    if (d.opcode == 0x0F0F && !Mnemonic3DNow(d.suffix))
        return d;
    d.valid = true;

    // 6. Branch kind and target.
    const OpcodeRow& row = *d.form->row;
    d.call = (row.flags & kCall) != 0;
    d.jump = (row.flags & kJump) != 0;
    if (d.relative) {
        d.target = d.next + d.immediate;
        if (d.operandSize16)
            d.target &= 0xFFFF;
        d.enlargeable = d.opcode < 0xE0 || d.opcode > 0xE3;
    } else if (d.opcode == 0xFF && (d.call || d.jump)) {
        ResolveIndirectBranch(memory, registers, d);
        if (!d.valid)
            return d;
    }

    // 7. Register state.
    if (registers)
        TrackRegisters(d, *registers);

    // 8. A call or jump to the next instruction is not a branch.
    if ((d.call || d.jump) && d.target == d.next) {
        d.call = d.jump = d.relative = d.enlargeable = false;
        d.target = d.targetLocation = d.pointerLocation = 0;
        d.targetSize = 0;
    }
    return d;
}

} // namespace qor
