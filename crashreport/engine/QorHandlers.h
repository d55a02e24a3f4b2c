// Handlers of the program that take part in the handling of an exception: exception handlers
// by stage, action handlers before an action, hidden handlers for caught exceptions. Each is a
// plain procedure or a method (a function called with its object first), and each
// says where it runs: in the dispatching thread, in the main thread only, or in the main
// thread with the dispatching thread as fallback when the main thread does not answer.
#pragma once

#include <cstdint>

#include "QorInterfaces.h"

namespace qor {

enum SyncMode : uint8_t { syncNone = 0, syncMainThread = 1, syncMainOrCurrent = 2 };
enum DispatchEvent : uint8_t { eventException = 0, eventAction = 1, eventHidden = 2 };
enum ExceptionAction : uint8_t {
    actionSend = 0,
    actionSave = 1,
    actionPrint = 2,
    actionContinue = 8,
    actionRestart = 9,
    actionClose = 10,
};

using ExceptionHandlerProc = void (*)(IQEException& exception, bool& handled);
using ActionHandlerProc = void (*)(uint8_t action, IQEException& exception, bool& handled);

using ExceptionHandlerMethod = void (*)(void* object, IQEException& exception, bool& handled);
using ActionHandlerMethod = void (*)(void* object, uint8_t action, IQEException& exception,
                                     bool& handled);

void RegisterExceptionHandler(ExceptionHandlerProc handler, SyncMode mode, uint8_t stage);
void UnregisterExceptionHandler(ExceptionHandlerProc handler);
void RegisterActionHandler(ActionHandlerProc handler, SyncMode mode);
void UnregisterActionHandler(ActionHandlerProc handler);
void RegisterHiddenHandler(ExceptionHandlerProc handler, SyncMode mode);
void UnregisterHiddenHandler(ExceptionHandlerProc handler);
// The method form: registered and removed by the pair of object and method. Of one event, the
// method handlers run before the procedure handlers; the procedures of an exception or an action
// run only when no method took it over.
void RegisterExceptionHandler(void* object, ExceptionHandlerMethod method, SyncMode mode,
                              uint8_t stage);
void UnregisterExceptionHandler(void* object, ExceptionHandlerMethod method);
void RegisterActionHandler(void* object, ActionHandlerMethod method, SyncMode mode);
void UnregisterActionHandler(void* object, ActionHandlerMethod method);
void RegisterHiddenHandler(void* object, ExceptionHandlerMethod method, SyncMode mode);
void UnregisterHiddenHandler(void* object, ExceptionHandlerMethod method);
bool HasHiddenHandler();

// Creates the dispatch window on the calling (main) thread; the engine's start-up calls it.
void StartHandlerDispatch();
void StopHandlerDispatch();
// The window the main thread answers dispatch messages on (0 before start-up).
uintptr_t HandlerDispatchWindow();
// Message number of the dispatch message; first parameter 1 probes (and passes the main
// thread's hold point), 0 runs the handlers of the record at the second parameter.
unsigned HandlerDispatchMessageNumber();

// Runs the handlers of one event and returns the handled flag (the caller's value going in).
void DispatchHandlers(DispatchEvent event, uint8_t action, bool& handled, IQEException& exception);

// True while handlers run synchronised in the main thread (exceptions met there meanwhile are
// ignored).
bool HandlersRunInMainThread();

} // namespace qor
