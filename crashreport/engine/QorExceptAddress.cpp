#include "QorExceptAddress.h"

#include "X86Decoder.h"

namespace qor {

namespace {

bool Acceptable(const CodeMemory& memory, const TFunctionInfo& routine, uint32_t address)
{
    for (const TOutsideBranch& branch : routine.outsideBranches)
        if (branch.call && branch.next == address)
            return true;
    for (const TUnknownBranch& branch : routine.unknownBranches)
        if (branch.next == address)
            return true;
    for (const TCodeArea& area : routine.areas) {
        if (area.caseTable || area.end == 0 || address < area.start ||
            uint64_t{address} > uint64_t{area.end} + 1)
            continue;
        // Decoding from the area's start must reach the address exactly.
        uint32_t at = area.start;
        while (at < address) {
            const TDecodedInstruction instruction = DecodeInstruction(memory, at);
            if (!instruction.valid || instruction.next <= at)
                break;
            at = instruction.next;
        }
        if (at == address)
            return true;
    }
    return false;
}

} // namespace

uint32_t CorrectExceptAddress(uint32_t address, const CodeMemory& memory, const TMapFile& debug,
                              const AnalyserAnchors& anchors)
{
    if (address == 0 || address > 0xFFFFFFFBu || !debug.Valid())
        return address;
    const TMfPublic routine = debug.PublicAt(address);
    if (!routine.valid)
        return address;
    const TFunctionInfo info = AnalyseCode(memory, routine.address, anchors);
    if (!info.valid)
        return address;
    return !Acceptable(memory, info, address) && Acceptable(memory, info, address + 4) ? address + 4
                                                                                       : address;
}

} // namespace qor
