// The "stack dump" section of a bug report: raw memory from a thread's stack pointer upward.
#pragma once

#include <cstdint>
#include <string>

#include "CodeMemory.h"

namespace qor {

// At most 20 rows of 16 bytes from `stackPointer` up to the end of the memory region that holds
// it (no end when the region cannot be queried); each row is the address, the bytes in
// hexadecimal with "- " before the ninth, and the bytes as characters. Every byte is read
// through `source`, so a stack that ends early ends the dump instead of faulting: the first
// byte that cannot be read counts as the end of the region.
std::string GetStackDump(const CodeMemory& source, uint32_t stackPointer);

} // namespace qor
