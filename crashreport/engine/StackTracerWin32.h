// The stack tracer in the running process: modules from the loaded images, memory through
// guarded reads, the current thread's stack limits as defaults.
#pragma once

#include "StackTracer.h"

namespace qor {

// The tracer of this process (its module and function tables live as long as the process).
StackTracer& ProcessStackTracer();

// TraceStack on this process: a stack bottom of 0 is the caller's stack position, a stack top
// of 0 the current thread's stack base, and a current address of 0 outside an exception the
// caller's return address.
void TraceStack(TraceStackArguments arguments, TraceStackResults& results);

// The candidates of the current thread's stack at the moment of an exception.
uint32_t CaptureStackCandidates(uint32_t framePointer, uint32_t stackTop, uint32_t stackBottom,
                                uint32_t currentAddress, bool isException, TDAPreStackList& list);

// The base (highest address) of the current thread's stack.
uint32_t CurrentStackBase();

// CorrectExceptAddress (QorExceptAddress.h) in this process: the routine from the module's
// debug information in the process's store, its code read in place. Addresses in modules
// without debug information, and 0, stay as they are.
uintptr_t CorrectExceptAddress(uintptr_t address);

} // namespace qor
