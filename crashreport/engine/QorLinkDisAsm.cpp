#include "QorLinkDisAsm.h"

#include "FunctionListing.h"
#include "GuardedRead.h"
#include "QorMapFileWin32.h"
#include "QorReport.h"

namespace qor {

std::string DisassemblyListing(uint32_t routineStart, uint32_t location, bool automaticDelimiters,
                               uint32_t maxLines)
{
    const ProcessMemory memory;
    TFunctionInfo info;
    return ParseFunction(memory, routineStart, location, maxLines, automaticDelimiters, info, {},
                         DebugInfoListingHooks());
}

void LinkDisassemblyListing()
{
    SetDisassemblyRoutine(DisassemblyListing);
}

void UnlinkDisassemblyListing()
{
    SetDisassemblyRoutine(nullptr);
}

} // namespace qor
