// The call chains of the live-trace tests: each level records its own return address, so that
// the expected frames come from the processor, not from the tracer.
#pragma once

#include <vector>

namespace qor::live {

using Level = int (*)(int depth);

// Return addresses recorded by the levels, oldest first.
std::vector<void*>& Recorded();
void Record(void* returnAddress);

// Built without frame pointers (LiveTraceFrameless.cpp): calls `next` through a pointer.
int FramelessLevel(int depth, Level next);

} // namespace qor::live
