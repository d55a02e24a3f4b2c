// The report's disassembler: the function listing of the running process with the debug
// information's routine names and line numbers, made the routine of the report's
// "disassembling" section at start-up. Without it a report has no such section.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

// Installs DisassemblyListing as the report's disassembly routine; UnlinkDisassemblyListing
// takes it away again.
void LinkDisassemblyListing();
void UnlinkDisassemblyListing();

// The listing of the routine that starts at `routineStart`, with the line at `location` marked,
// at most `maxLines` lines around it (0: all). `automaticDelimiters` is the FormatDisAsm setting.
std::string DisassemblyListing(uint32_t routineStart, uint32_t location, bool automaticDelimiters,
                               uint32_t maxLines);

} // namespace qor
