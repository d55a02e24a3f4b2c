// The landing pads (catch and cleanup code) of a function, from the unwinder's frame
// descriptions (".eh_frame") and the exception tables they point to. The analyser counts them as
// code of the function: nothing branches to them, the unwinder enters them.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "CodeMemory.h"

namespace qor {

// The frame descriptions at [start, start + size) (a module's ".eh_frame", as the unwinder
// registered it), indexed once by the functions they describe. Unreadable or malformed records
// end the index; nothing raises.
class LandingPadIndex {
public:
    LandingPadIndex(const CodeMemory& memory, uint32_t start, uint32_t size);
    // The landing pads of the function that starts at `entry`.
    std::vector<uint32_t> operator()(uint32_t entry) const;

private:
    const CodeMemory& memory_;
    std::map<uint32_t, uint32_t> descriptions_; // function start -> its frame description
};

} // namespace qor
