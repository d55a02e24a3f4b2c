// The landing pads (catch and cleanup code) of a function, from the unwinder's frame
// descriptions (".eh_frame") and the exception tables they point to. The analyser counts them as
// code of the function: nothing branches to them, the unwinder enters them.
#pragma once

#include <cstdint>
#include <vector>

#include "CodeMemory.h"

namespace qor {

// The landing pads of the function that starts at `entry`, from the frame descriptions at
// [start, start + size) (a module's ".eh_frame", as the unwinder registered it). Unreadable or
// malformed records end the search; never raises.
std::vector<uint32_t> LandingPads(const CodeMemory& memory, uint32_t start, uint32_t size, uint32_t entry);

}  // namespace qor
