#include "FunctionAnalyser.h"

#include <algorithm>
#include <iterator>

#include "QorModuleImage.h"

namespace qor {

namespace {

constexpr uint32_t kGapLimit = 1024; // a gap this far before the code's end ends the search
constexpr int kComparedMemory = 8;   // the case-table compare read memory, not a register
constexpr int kCaseScheduled = 4;    // instructions the compiler may place before the table jump

// Moves and lea, which leave the flags of a compare for the jump after them.
bool IsFlagNeutralMove(uint16_t op)
{
    return (op >= 0x88 && op <= 0x8B) || op == 0x8D || op == 0xC6 || op == 0xC7;
}

// Whether the instruction's destination is the general register `reg` (any size).
bool WritesGeneralRegister(const TDecodedInstruction& d, int reg)
{
    if (!d.form || d.form->operandCount == 0 || (d.form->row->flags & x86::kReadsOnly))
        return false;
    const x86::Operand& op = d.form->operands[0];
    int written = -1;
    switch (op.kind) {
        case x86::OperandKind::RegGeneral:
            written = (d.modrm >> 3) & 7;
            break;
        case x86::OperandKind::RmGeneral:
            written = d.MemoryForm() ? -1 : d.modrm & 7;
            break;
        case x86::OperandKind::OpcodeReg:
            written = d.opcode & 7;
            break;
        case x86::OperandKind::FixedGeneral:
            written = op.reg;
            break;
        default:
            return false;
    }
    if (written >= 0 && op.size == 1)
        written &= 3;
    return written == reg || (d.form->row->implicitWrites & (1u << reg)) != 0;
}

// The code range of the module that holds `address`, from its headers (the first section when it
// holds code, extended over the second when that holds code too, else base and size of code;
// for 32-bit images widened over the data range); without headers the memory region itself.
void ModuleRange(const CodeMemory& memory, uint32_t address, uint32_t& start, uint32_t& end)
{
    MemoryRegion region = memory.Region(address);
    start = region.start;
    end = region.start + region.size; // exclusive; 0 when the region reaches 4 GB
    uint32_t base = region.allocationBase;
    if (!base)
        return;
    PeImageReader image(memory, base, PeLayout::Loaded);
    if (!image.Valid())
        return;
    uint64_t low = uint64_t{base} + image.CodeBase(), high = low + image.CodeSize();
    const std::vector<PeSectionHeader>& sections = image.Sections();
    auto code = [&](size_t i) {
        return i < sections.size() && (sections[i].characteristics & 0x20) != 0;
    };
    if (code(0)) {
        low = uint64_t{base} + sections[0].virtualAddress;
        const PeSectionHeader& last = sections[code(1) ? 1 : 0];
        high = uint64_t{base} + last.virtualAddress + last.virtualSize;
    }
    if (!image.Pe32Plus() && image.InitializedDataSize()) {
        low = std::min<uint64_t>(low, uint64_t{base} + image.DataBase());
        high = std::max<uint64_t>(high,
                                  uint64_t{base} + image.DataBase() + image.InitializedDataSize());
    }
    start = static_cast<uint32_t>(low);
    end = static_cast<uint32_t>(std::min<uint64_t>(high, 0xFFFFFFFFull));
}

// A branch that leaves the function often goes through a jump stub (an import thunk, a jump to
// an export): when `target` is not an exported entry itself but such a stub whose branch leads
// to one, that export is the target worth recording.
uint32_t ExportBehindStub(const CodeMemory& memory, uint32_t target)
{
    static const uint8_t kStubStarts[] = {0x02, 0x03, 0xE9, 0xEB, 0xFF};
    uint8_t first = 0;
    if (!memory.Read(target, &first, 1) ||
        std::find(std::begin(kStubStarts), std::end(kStubStarts), first) == std::end(kStubStarts))
        return target;
    TDecodedInstruction stub = DecodeInstruction(memory, target, nullptr);
    if (!stub.valid || !(stub.call || stub.jump) || !stub.target ||
        ExportNameAt(memory, stub.target).empty() || !ExportNameAt(memory, target).empty())
        return target;
    return stub.target;
}

class Analyser {
public:
    Analyser(const CodeMemory& memory, const AnalyserAnchors& anchors, TFunctionInfo& info)
        : memory_(memory), anchors_(anchors), info_(info)
    {
    }

    void Run(uint32_t entry);

private:
    bool IsNoReturn(uint32_t target) const
    {
        return target && (target == anchors_.halt ||
                          std::binary_search(anchors_.noReturnRoutines.begin(),
                                             anchors_.noReturnRoutines.end(), target));
    }
    bool InModule(uint32_t a) const
    {
        return a >= moduleStart_ && (moduleEnd_ == 0 || a < moduleEnd_);
    }

    // Adds a code area at `address`, reached from branch `from` with register state `state`.
    void AddArea(uint32_t address, uint32_t from, const TRegisterState& state);
    bool ParseArea(size_t index);
    void ProcessBranch(const TDecodedInstruction& d, const TRegisterState& state);
    uint32_t NextAreaStart(uint32_t above) const
    {
        uint32_t limit = moduleEnd_;
        for (const TCodeArea& a : info_.areas)
            if (a.start > above && (limit == 0 || a.start < limit))
                limit = a.start;
        return limit;
    }
    int UnparsedArea() const
    {
        for (size_t i = 0; i < info_.areas.size(); ++i)
            if (info_.areas[i].end == 0)
                return static_cast<int>(i);
        return -1;
    }
    void Fail(uint32_t address)
    {
        info_.valid = false;
        info_.errorAddress = address;
        info_.errorCode = kInvalidCodeError;
        info_.errorText = "Invalid code!";
    }
    void RemoveUnknown(uint32_t start)
    {
        auto& u = info_.unknownBranches;
        u.erase(std::remove_if(u.begin(), u.end(),
                               [&](const TUnknownBranch& b) { return b.start == start; }),
                u.end());
    }
    void Finish();

    const CodeMemory& memory_;
    const AnalyserAnchors& anchors_;
    TFunctionInfo& info_;
    uint32_t moduleStart_ = 0, moduleEnd_ = 0;
    size_t parsing_ = 0; // index of the area being parsed
    bool newArea_ = false;
};

void Analyser::AddArea(uint32_t address, uint32_t from, const TRegisterState& state)
{
    auto& areas = info_.areas;
    for (TCodeArea& a : areas)
        if (a.start == address) {
            if (a.reference == 0 ||
                (from > std::min(a.reference, address) && from < std::max(a.reference, address)))
                a.reference = from;
            for (int r = 0; r < 8; ++r)
                if (a.registers[r] != state[r])
                    a.registers[r] = 0;
            return;
        }
    newArea_ = true;
    for (size_t i = 0; i < areas.size(); ++i) {
        TCodeArea& a = areas[i];
        if (a.end != 0 && !a.caseTable && !a.exceptionTable && address > a.start &&
            address <= a.end) {
            TCodeArea split;
            split.start = address;
            split.end = a.end;
            split.reference = from;
            for (int r = 0; r < 8; ++r)
                split.registers[r] = a.registers[r] == state[r] ? state[r] : 0;
            a.end = address - 1;
            areas.push_back(split);
            if (i == parsing_)
                parsing_ = areas.size() - 1;
            return;
        }
    }
    TCodeArea area;
    area.start = address;
    area.reference = from;
    area.registers = state;
    areas.push_back(area);
}

void Analyser::ProcessBranch(const TDecodedInstruction& d, const TRegisterState& state)
{
    if (!d.call && !d.jump)
        return;
    if (d.target == 0) {
        bool known = std::any_of(info_.unknownBranches.begin(), info_.unknownBranches.end(),
                                 [&](const TUnknownBranch& b) { return b.start == d.start; });
        if (!known)
            info_.unknownBranches.push_back({d.call, d.start, d.next});
        return;
    }
    RemoveUnknown(d.start);
    bool anchor = false;
    TRegisterState empty{};
    if (anchors_.handleAnyException && d.target == anchors_.handleAnyException) {
        AddArea(d.next, d.start, empty);
        anchor = true;
    } else if (anchors_.handleFinally && d.target == anchors_.handleFinally) {
        AddArea(d.next, d.start, empty);
        anchor = true;
    } else if (anchors_.handleOnException && d.target == anchors_.handleOnException) {
        uint32_t count = 0, handler = 0;
        if (ReadDword(memory_, d.next, count) && count < 0x10000) {
            TCodeArea table;
            table.start = d.next;
            table.end = d.next + count * 8 + 4 - 1;
            table.exceptionTable = true;
            table.reference = d.start;
            info_.areas.push_back(table);
            for (uint32_t i = 0; i < count; ++i)
                if (ReadDword(memory_, d.next + 4 + i * 8 + 4, handler) && handler)
                    AddArea(handler, d.start, empty);
        }
        anchor = true;
    } else if (anchors_.handleAutoException && d.target == anchors_.handleAutoException) {
        anchor = true;
    }
    bool wide = d.targetSize == 4;
    if (wide && (d.call || !InModule(d.target) || anchor)) {
        bool recorded = std::any_of(info_.outsideBranches.begin(), info_.outsideBranches.end(),
                                    [&](const TOutsideBranch& b) { return b.next == d.next; });
        if (!recorded)
            info_.outsideBranches.push_back({d.call, d.start, d.next,
                                             ExportBehindStub(memory_, d.target), d.relative,
                                             d.targetLocation, d.pointerLocation});
        return;
    }
    if (d.jump && !anchor)
        AddArea(d.target, d.start, state);
}

bool Analyser::ParseArea(size_t index)
{
    parsing_ = index;
    TRegisterState regs = info_.areas[index].registers;
    uint32_t address = info_.areas[index].start;
    uint32_t pushed = 0; // constant of a push followed by an fs prefix (exception frame)
    bool fsFollows = false;
    int caseRegister = -1; // register compared with a constant before an indirect jump
    uint32_t caseCount = 0;
    int caseStage = 0;   // 1 after the compare, 2 after the conditional jump
    int caseBetween = 0; // instructions between the conditional jump and the table jump
    for (;;) {
        uint32_t limit = NextAreaStart(address);
        TRegisterState before = regs;
        TDecodedInstruction d = DecodeInstruction(memory_, address, &regs);
        TCodeArea& area = info_.areas[parsing_];
        if (!d.valid) {
            // ud2 (0x0F 0x0B) is the trap the compiler places where control never arrives: it ends
            // the code like a return, instead of making the function undecodable.
            uint8_t b[2];
            if (memory_.Read(address, b, 2) && b[0] == 0x0F && b[1] == 0x0B) {
                area.end = address + 1;
                return true;
            }
            Fail(address);
            return false;
        }
        if (limit != 0 && d.start < limit && d.next > limit) { // runs across the next area's start
            Fail(address);
            return false;
        }
        area.end = d.next - 1;
        uint16_t op = d.opcode;
        if (op == 0xC2 || op == 0xC3 || op == 0xCA || op == 0xCB || op == 0xCF)
            return true;

        // Exception frames: push $handler; push dword ptr fs:[...].
        if (pushed && fsFollows && op == 0xFF && d.segment == 4 && ((d.modrm >> 3) & 7) == 6 &&
            (d.Length() == 3 || (d.Length() == 7 && d.modrm == 0x35))) {
            AddArea(pushed, d.start, TRegisterState{});
        }
        uint8_t nextByte = 0;
        fsFollows =
            op == 0x68 && d.Length() == 5 && memory_.Read(d.next, &nextByte, 1) && nextByte == 0x64;
        pushed = fsFollows ? d.immediate : 0;

        // Case tables: cmp reg, N; ja/jae; jmp [table + reg*4]. The table may follow the jump or
        // lie in read-only data (where this compiler puts it); only a following one is an area
        // itself. This compiler also compares a byte (0x80 /7, 0x3C, in a register or in memory),
        // loads or widens the compared value into the index register, and schedules a few other
        // instructions between the check and the jump.
        bool caseStep = false;
        if ((op == 0x80 || op == 0x83 || op == 0x81) && ((d.modrm >> 3) & 7) == 7) {
            caseRegister = d.MemoryForm() ? kComparedMemory : d.modrm & 7;
            caseBetween = 0;
            caseCount =
                op == 0x83 ? static_cast<uint32_t>(static_cast<int8_t>(d.immediate)) : d.immediate;
            caseStage = 1;
            caseStep = true;
        } else if ((op == 0x3C || op == 0x3D) && !d.operandSize16) {
            caseRegister = 0;
            caseBetween = 0;
            caseCount = d.immediate;
            caseStage = 1;
            caseStep = true;
        } else if (caseStage == 2 && (op == 0x0FB6 || op == 0x0FB7 || op == 0x8B) &&
                   (d.MemoryForm() ? caseRegister == kComparedMemory
                                   : (d.modrm & 7) == caseRegister)) {
            caseRegister = (d.modrm >> 3) & 7; // the compiler loads or widens the compared value
            caseStep = true;
        } else if (caseStage == 1 && caseBetween < kCaseScheduled && IsFlagNeutralMove(op) &&
                   !WritesGeneralRegister(d, caseRegister)) {
            ++caseBetween; // a move (flags unchanged) scheduled between the compare and its jump
            caseStep = true;
        } else if (caseStage == 2 && caseBetween < kCaseScheduled && !d.call && !d.jump &&
                   !WritesGeneralRegister(d, caseRegister)) {
            ++caseBetween; // an instruction the compiler scheduled between the check and the jump
            caseStep = true;
        } else if (caseStage == 1 && (op == 0x77 || op == 0x7F || op == 0x0F87 || op == 0x0F8F)) {
            caseCount += 1;
            caseStage = 2;
            caseBetween = 0;
            caseStep = true;
        } else if (caseStage == 1 && (op == 0x73 || op == 0x7D || op == 0x0F83 || op == 0x0F8D)) {
            caseStage = 2;
            caseBetween = 0;
            caseStep = true;
        } else if (caseStage == 2 && op == 0xFF && d.modrm == 0x24 && d.hasSib &&
                   (d.sib >> 6) == 2 && ((d.sib >> 3) & 7) == caseRegister && (d.sib & 7) == 5 &&
                   caseCount > 0 && caseCount <= 0x10000) {
            uint32_t table = static_cast<uint32_t>(d.displacement);
            std::vector<uint32_t> targets;
            for (uint32_t i = 0; i < caseCount; ++i) {
                uint32_t t = 0;
                if (!ReadDword(memory_, table + i * 4, t))
                    break;
                targets.push_back(t);
            }
            RemoveUnknown(d.start);
            if (table == d.next) {
                TCodeArea t;
                t.start = table;
                t.end = table + static_cast<uint32_t>(targets.size()) * 4 - 1;
                t.caseTable = true;
                t.reference = d.start;
                info_.areas.push_back(t);
            }
            for (uint32_t t : targets)
                if (InModule(t))
                    AddArea(t, d.start, TRegisterState{});
            return true;
        }
        if (!caseStep)
            caseStage = 0;

        ProcessBranch(d, before);
        TCodeArea& now = info_.areas[parsing_];
        if (d.call && IsNoReturn(d.target))
            return true;
        if (d.jump && (op == 0xE9 || op == 0xEA || op == 0xEB ||
                       (op == 0xFF && (((d.modrm >> 3) & 7) == 4 || ((d.modrm >> 3) & 7) == 5))))
            return true;
        if (d.jump && IsNoReturn(d.target))
            return true;
        uint32_t nextLimit = NextAreaStart(now.start);
        if (regs != before || (nextLimit != 0 && d.next == nextLimit)) {
            if (regs != before) {
                AddArea(d.next, 0, regs);
                newArea_ = true;
            }
            return true;
        }
        if (nextLimit != 0 && d.next >= nextLimit)
            return true;
        address = d.next;
    }
}

void Analyser::Finish()
{
    auto& areas = info_.areas;
    uint32_t low = 0xFFFFFFFF, high = 0;
    for (const TCodeArea& a : areas) {
        low = std::min(low, a.start);
        high = std::max(high, a.end);
    }
    info_.codeStart = low;
    info_.codeLength = high - low + 1;
    uint32_t memoryBranches = 0;
    for (const TOutsideBranch& b : info_.outsideBranches)
        if (b.pointerLocation)
            ++memoryBranches;
    info_.relocatedSize = info_.codeLength + 4 + 4 * memoryBranches;

    // The first straight-line block from the entry, through areas that follow without a gap and
    // are neither tables nor branch targets.
    std::vector<const TCodeArea*> sorted;
    for (const TCodeArea& a : areas)
        sorted.push_back(&a);
    std::sort(sorted.begin(), sorted.end(),
              [](const TCodeArea* a, const TCodeArea* b) { return a->start < b->start; });
    uint32_t blockEnd = 0;
    for (const TCodeArea* a : sorted) {
        if (a->start == info_.entry)
            blockEnd = a->end;
        else if (blockEnd && a->start == blockEnd + 1 && !a->caseTable && !a->exceptionTable &&
                 a->reference == 0)
            blockEnd = a->end;
    }
    if (!blockEnd || blockEnd + 1 - info_.entry <= 5)
        return;
    for (uint32_t at = info_.entry; at < info_.entry + 6;) {
        TDecodedInstruction d = DecodeInstruction(memory_, at);
        if (!d.valid)
            return;
        if ((d.call || d.jump) && d.targetLocation && d.targetSize < 4 && !d.enlargeable)
            return;
        if ((d.call || d.jump) && d.relative && d.targetSize < 4 && !d.enlargeable)
            return;
        at = d.next;
    }
    info_.interceptable = true;
}

void Analyser::Run(uint32_t entry)
{
    info_ = TFunctionInfo{};
    info_.entry = entry;
    MemoryRegion region = memory_.Region(entry);
    if (!region.committed) {
        info_.errorAddress = entry;
        info_.errorCode = kInvalidParameterError;
        info_.errorText = "The parameter is incorrect.";
        return;
    }
    info_.copyAllowed = true;
    ModuleRange(memory_, entry, moduleStart_, moduleEnd_);
    info_.areas.reserve(8);
    AddArea(entry, 0, TRegisterState{});
    if (anchors_.landingPads)
        for (uint32_t pad : anchors_.landingPads(entry))
            AddArea(pad, 0, TRegisterState{});
    info_.valid = true;
    for (;;) {
        int next = UnparsedArea();
        if (next >= 0) {
            if (!ParseArea(static_cast<size_t>(next)))
                return;
            continue;
        }
        // Unknown targets, decoded again with the register state of their area.
        newArea_ = false;
        for (size_t i = info_.unknownBranches.size(); i-- > 0;) {
            if (i >= info_.unknownBranches.size())
                continue;
            TUnknownBranch u = info_.unknownBranches[i];
            for (size_t a = 0; a < info_.areas.size(); ++a) {
                const TCodeArea& area = info_.areas[a];
                if (area.end == 0 || area.caseTable || area.exceptionTable ||
                    u.start < area.start || u.start > area.end)
                    continue;
                TRegisterState regs = area.registers;
                TDecodedInstruction d = DecodeInstruction(memory_, u.start, &regs);
                if (d.valid && d.target) {
                    parsing_ = a;
                    ProcessBranch(d, area.registers);
                }
                break;
            }
        }
        if (UnparsedArea() >= 0)
            continue;
        bool unknownJump = std::any_of(info_.unknownBranches.begin(), info_.unknownBranches.end(),
                                       [](const TUnknownBranch& b) { return !b.call; });
        if (!unknownJump)
            break;
        // Follow the areas as one block from the code start; parse the first gap once.
        std::vector<std::pair<uint32_t, uint32_t>> spans;
        for (const TCodeArea& a : info_.areas)
            spans.push_back({a.start, a.end});
        std::sort(spans.begin(), spans.end());
        uint32_t reach = spans.front().second, highest = 0, gap = 0;
        for (const auto& s : spans)
            highest = std::max(highest, s.second);
        for (const auto& s : spans) {
            if (s.first > reach + 1 && !gap)
                gap = reach + 1;
            reach = std::max(reach, s.second);
        }
        if (!gap || highest - gap >= kGapLimit)
            break;
        TFunctionInfo saved = info_;
        AddArea(gap, 0, TRegisterState{});
        size_t index = info_.areas.size() - 1;
        if (!ParseArea(index)) {
            info_ = saved;
            info_.valid = true;
            break;
        }
    }
    Finish();
}

} // namespace

bool IsNoReturnRoutine(const std::string& name)
{
    static const char* const kExact[] = {
        "__cxa_throw",
        "__cxa_rethrow",
        "__cxa_throw_bad_array_new_length",
        "_ZSt9terminatev",
        "abort",
        "exit",
        "_exit",
        "ExitProcess@4",
        "_Unwind_Resume",
        "__cxa_bad_cast",
        "__cxa_bad_typeid",
        "__cxa_call_unexpected",
        "__cxa_pure_virtual",
    };
    for (const char* n : kExact)
        if (name == n)
            return true;
    // std::__throw_logic_error and its family: _ZSt<length>__throw_...
    return name.rfind("_ZSt", 0) == 0 && name.find("__throw_") != std::string::npos;
}

TFunctionInfo AnalyseCode(const CodeMemory& memory, uint32_t address,
                          const AnalyserAnchors& anchors)
{
    TFunctionInfo info;
    Analyser(memory, anchors, info).Run(address);
    return info;
}

} // namespace qor
