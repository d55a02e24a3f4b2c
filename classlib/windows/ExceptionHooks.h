#pragma once
// The one place where exceptions that nobody caught end up. Window procedures, timer
// callbacks, synchronized calls and thread bodies catch every C++ exception (none may unwind
// through user32 or a thread's start routine) and report it here. Hooks registered by a
// crash reporter see each report first and may take it over; otherwise the application's
// default handling (its OnException handler or a message box) runs.
#include <exception>
#include <functional>
#include <string>

namespace classlib {

class TObject;

// Where an unhandled exception was met.
enum class ExceptionPath {
    Application,      // window procedure, timer, message loop, or an explicit HandleException
    ThreadExecute,    // escaped a thread's Execute (kept as the thread's FatalException)
    SynchronizedCall, // a method run on the main thread for a worker thread failed
};

struct UnhandledException {
    ExceptionPath path;
    std::exception_ptr exception;
    TObject*
        sender; // the object whose code met it (a window's object, a timer, a thread); may be null
};

// Returns true when it took the exception over: then no further hook and no default
// handling runs. Hooks may be called on any thread (thread exceptions are reported on the
// thread that met them).
using ExceptionHook = std::function<bool(const UnhandledException&)>;

// Registers a hook; the newest hook is asked first. Returns an id for RemoveExceptionHook.
int AddExceptionHook(ExceptionHook hook);
void RemoveExceptionHook(int id);

// Asks the hooks, newest first, until one takes the report over. Thread-safe; a hook may add
// or remove hooks while it runs.
bool DispatchToExceptionHooks(const UnhandledException& report);

// The default handling when no hook took an exception over; TApplication installs its own
// (OnException or ShowException). Without one, a plain message box shows the message.
using DefaultExceptionHandler = void (*)(const UnhandledException& report);
void SetDefaultExceptionHandler(DefaultExceptionHandler handler);

// Reports the exception currently being handled (call it inside a catch block): hooks first,
// then the default handling. Never throws; exceptions thrown by hooks or handlers are
// swallowed here because this is already the last line of defence.
void HandleUnhandledException(ExceptionPath path, TObject* sender);
// The same for a stored exception.
void HandleUnhandledException(ExceptionPath path, TObject* sender, std::exception_ptr exception);

// Told of every thread object's system thread right after its creation: the thread object, its
// id and the code address that created the object (a crash reporter records who created which
// thread). One receiver; null removes it.
using ThreadCreatedHook = void (*)(TObject* thread, unsigned threadId, void* creatorAddress);
void SetThreadCreatedHook(ThreadCreatedHook hook);
void NotifyThreadCreated(TObject* thread, unsigned threadId, void* creatorAddress);

// The message of any exception object: Exception and std::exception give their text,
// anything else "Unknown exception".
std::string ExceptionMessage(const std::exception_ptr& exception);

} // namespace classlib
