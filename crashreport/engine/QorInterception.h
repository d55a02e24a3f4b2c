// The places where an exception would otherwise go unhandled, each redirected to
// ProcessException with its origin code:
//   2  std::terminate ("Abnormal program termination"), not continuable
//   5  the class library's application handler (window procedures, timers, message loop)
//   10 a failed synchronized call
//   11 abort and failed asserts (SIGABRT), "Runtime error", not continuable
//   13 an operating-system exception nobody handled (unhandled-exception filter, and a
//      vectored handler for faults in a module that carries the engine); continuable on
//      threads other than the main thread, which then end with exit code 0xFFFFFFFF
//   15 a caught C++ exception whose last catch ends without a rethrow (kind 2, hidden), only
//      while hidden handlers are registered
//   17 an exception escaping a thread object's Execute
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>

#include "StackTracer.h"

namespace qor {

void InstallInterceptionPoints();
void RemoveInterceptionPoints();

// Marks an exception object (the thrown object's address) as reported, so that the hidden
// path leaves it alone when its catch ends.
void MarkReported(const void* thrownObject);

// The calling thread's last throw: the thrown object and the address of the throw, and, while
// the engine runs, the registers at the throw (instruction pointer = the throw address, stack
// and frame pointer of the throwing routine) and the candidates of its stack (entry 0 holds
// their number), kept in memory of the thread that a throw never allocates. The context and the
// list stay valid until the thread's next throw.
struct RaiseRecord {
    const void* object = nullptr;
    uintptr_t address = 0;
    const CONTEXT* context = nullptr;               // none when the engine did not run
    const TDAPreStackList* preparedStack = nullptr; // none when no candidate was found
};
RaiseRecord LastRaise();
// The thrown object an exception_ptr refers to (null for none).
const void* ThrownObjectOf(const std::exception_ptr& exception);
void ClearLastRaise();

} // namespace qor
