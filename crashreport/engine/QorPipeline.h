// The exception-handling pipeline: every interception point ends in ProcessException, which
// hands a request to the engine's own handling thread through an anonymous pipe and waits (a
// waiting main thread keeps dispatching its window messages).
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>

#include "QorExceptionRequest.h"

namespace qor {

// What an interception point knows about an exception.
struct ExceptionArguments {
    uint8_t kind = kindException;
    std::exception_ptr object; // none for an operating-system exception or a freeze
    std::string message;       // the text made by the interception point when no object
    uintptr_t address = 0;     // code address, 0 when unknown
    bool continuable = true;
    uintptr_t stackPointer = 0; // 0: the caller's own
    uintptr_t framePointer = 0; // 0: the caller's own
    const CONTEXT* context = nullptr;
    uint8_t origin = 0;
    uintptr_t relatedObject = 0;
    uintptr_t packageHandle = 0;
};

// Hands the exception to the handling thread and returns when it has been handled. Never
// raises. Returns at once on the handling thread itself and on the main thread while
// handlers run there synchronised.
void ProcessException(const ExceptionArguments& arguments);

void StartExceptionThread();
// Sends the stop request and waits up to 500 ms (+50 ms) for the thread to end.
void StopExceptionThread();
uint32_t ExceptionThreadId(); // 0 when not running

// Handles one request; on the handling thread, or in place while the loader lock is held.
void HandleQueuedException(const ExceptionRequest& request);

// The thread the engine treats as the process's main thread.
uint32_t ProcessMainThreadId();
void SetProcessMainThreadId(uint32_t threadId);

ExceptionTimeRing& EngineTimeRing();
// Whole seconds since 1601-01-01 UTC (defined with the exception path's system routines).
int64_t SecondsNow();

// The eight regions given back at the start of every exception and made again at its end.
void CreateMemoryReserve();
void ReleaseMemoryReserve();

} // namespace qor
