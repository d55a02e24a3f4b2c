// The stack tracer in the running process: modules from the loaded images, memory through
// guarded reads, the current thread's stack limits as defaults.
#pragma once

#include "StackTracer.h"

namespace qor {

// The tracer of this process (its module and function tables live as long as the process).
// Its TraceStack is not guarded against a second thread tracing at the same time: use the
// functions below, which are.
StackTracer& ProcessStackTracer();

// TraceStack on this process: a stack bottom of 0 is the caller's stack position, a stack top
// of 0 the current thread's stack base, and a current address of 0 outside an exception the
// caller's return address. Any thread may trace at any time: while another thread traces with
// the process's tables, the trace uses tables of its own instead of waiting (that thread may be
// waiting for a lock this one holds, such as the loader's).
void TraceStack(TraceStackArguments arguments, TraceStackResults& results);

// The candidates of the current thread's stack at the moment of an exception.
uint32_t CaptureStackCandidates(uint32_t framePointer, uint32_t stackTop, uint32_t stackBottom,
                                uint32_t currentAddress, bool isException, TDAPreStackList& list);

// The candidates of a stack copied at the moment of an exception: `copy` holds the bytes of
// [stackBottom, stackTop) as they were then (the stack itself may have been unwound and
// reused since); everything else, code above all, is read from the process as it is now. The
// same list CaptureStackCandidates would have given at that moment, for code that stayed
// loaded.
uint32_t CandidatesOfStackCopy(uint32_t framePointer, const uint8_t* copy, uint32_t stackBottom,
                               uint32_t stackTop, TDAPreStackList& list);

// The base (highest address) of the current thread's stack.
uint32_t CurrentStackBase();

// CorrectExceptAddress (QorExceptAddress.h) in this process: the routine from the module's
// debug information in the process's store, its code read in place. Addresses in modules
// without debug information, and 0, stay as they are. Guarded as TraceStack is.
uintptr_t CorrectExceptAddress(uintptr_t address);

} // namespace qor
