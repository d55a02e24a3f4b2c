// The correction of an exception address before it is reported: an address 4 bytes short of a
// place the routine's code can be at (a raise whose recorded address points into its call
// instruction) is moved there.
#pragma once

#include <cstdint>

#include "CodeMemory.h"
#include "FunctionAnalyser.h"
#include "QorMapFile.h"

namespace qor {

// The routine holding `address` (the module's debug information names it) is analysed; when the
// address is no acceptable address in it but the address + 4 is, the result is address + 4,
// else the address itself. Acceptable: the return address of one of the routine's calls, or of
// a call or jump with an unknown target, or an instruction boundary inside a code area (from its
// start to its end + 1). An address of 0 stays 0.
uint32_t CorrectExceptAddress(uint32_t address, const CodeMemory& memory, const TMapFile& debug,
                              const AnalyserAnchors& anchors);

} // namespace qor
