#include "QorInterception.h"

#include <windows.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <set>
#include <typeinfo>
#include <vector>

#include "QorHandlers.h"
#include "QorPatching.h"
#include "QorPipeline.h"
#include "QorSystemExceptionText.h"
#include "QorThreadRegistry.h"
#include "StackTracerWin32.h"
#include "windows/ExceptionHooks.h"

namespace qor {

namespace {

constexpr DWORD threadNamingCode = 0x406D1388;
constexpr int caughtDepth = 32;

// Per thread, in fixed memory: the thrown object may be a bad_alloc.
struct CatchState {
    const void* caught[caughtDepth];
    int depth;
    const void* rethrown;
    bool reporting;
};
thread_local RaiseRecord lastRaise;
thread_local CatchState catchState;

// What a throw captures, per thread and kept from throw to throw, so that a later throw (a
// bad_alloc among them) finds the memory already there. The throw copies the thrower's stack
// (a copy costs little; telling return addresses apart costs a read of the code in front of
// each stack word, which under Wine is a system round trip per page, so about a millisecond a
// throw); the candidates are worked out from the copy when the raise record is first asked
// for, which is when an exception is reported.
constexpr size_t preparedCapacity = 1024;
constexpr size_t stackCopyStep = 16 * 1024;
struct ThrowCapture {
    CONTEXT context;
    std::vector<uint8_t> stack; // the stack from stackBottom up as the throw left it
    uint32_t stackBottom;
    uint32_t stackTop;
    uint32_t framePointer;
    bool pending; // a copy whose candidates are not yet worked out
    TDAPreStackList candidates;
    bool capturing; // inside the engine's own capture work: throws there are not recorded
};
thread_local ThrowCapture throwCapture;
thread_local bool reportingSystemException = false;

std::mutex reportedLock;
std::set<const void*> reported;
volatile LONG installed = 0;
int classlibHook = 0;
LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;
void* vectoredHandler = nullptr;
std::terminate_handler previousTerminate = nullptr;
void (*previousAbortSignal)(int) = SIG_DFL;

// The primary exception object an exception_ptr refers to (its only member).
const void* ThrownObject(const std::exception_ptr& exception)
{
    static_assert(sizeof(std::exception_ptr) == sizeof(void*), "one pointer");
    const void* object = nullptr;
    std::memcpy(&object, &exception, sizeof object);
    return object;
}

bool WasReported(const void* object)
{
    std::lock_guard<std::mutex> guard(reportedLock);
    return reported.count(object) != 0;
}

void Forget(const void* object)
{
    std::lock_guard<std::mutex> guard(reportedLock);
    reported.erase(object);
}

bool IsMainThread()
{
    return GetCurrentThreadId() == ProcessMainThreadId();
}

bool CarriesEngine(uintptr_t address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(address), &module))
        return false;
    return module == EngineModule() || FindResourceA(module, "EXCEPT", "QOR");
}

std::string TextOf(const EXCEPTION_RECORD& record)
{
    if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
        return SystemExceptionText(record.ExceptionCode);
    const auto address = reinterpret_cast<uintptr_t>(record.ExceptionAddress);
    std::string module;
    MEMORY_BASIC_INFORMATION info{};
    char path[MAX_PATH];
    if (VirtualQuery(record.ExceptionAddress, &info, sizeof info) == sizeof info &&
        info.State == MEM_COMMIT) {
        const DWORD length =
            GetModuleFileNameA(static_cast<HMODULE>(info.AllocationBase), path, sizeof path);
        if (length > 0 && length < sizeof path)
            module = path;
    }
    return AccessViolationText(address, module, record.ExceptionInformation[0] != 0,
                               record.ExceptionInformation[1]);
}

void NameThread(const EXCEPTION_RECORD& record)
{
    if (record.NumberParameters < 4 || record.ExceptionInformation[0] != 0x1000 ||
        record.ExceptionInformation[3] != 0)
        return;
    const auto* name = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
    const auto thread = static_cast<DWORD>(record.ExceptionInformation[2]);
    char copy[64] = "";
    if (name)
        lstrcpynA(copy, name, sizeof copy);
    SetThreadRecord(thread == 0xFFFFFFFF ? GetCurrentThreadId() : thread, nullptr, copy, 0, 0,
                    nullptr);
}

// Reports an operating-system exception and ends the thread that met it.
LONG ReportUnhandledAndEndThread(EXCEPTION_POINTERS* pointers)
{
    if (reportingSystemException)
        return EXCEPTION_CONTINUE_SEARCH; // a fault while reporting one: no second report
    reportingSystemException = true;
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    ExceptionArguments arguments;
    arguments.message = TextOf(record);
    arguments.object = nullptr;
    arguments.address = reinterpret_cast<uintptr_t>(record.ExceptionAddress);
    arguments.continuable = !IsMainThread();
    arguments.stackPointer = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    arguments.context = pointers->ContextRecord;
    arguments.origin = 13;
    ProcessException(arguments);
    SetThreadRecord(GetCurrentThreadId(), nullptr, nullptr, 0, 0, nullptr);
    // A failing thread ends with a failure code (a 0 would read as success).
    ExitThread(0xFFFFFFFF);
}

LONG WINAPI UnhandledFilter(EXCEPTION_POINTERS* pointers)
{
    if (pointers->ExceptionRecord->ExceptionCode == threadNamingCode)
        return EXCEPTION_CONTINUE_SEARCH;
    return ReportUnhandledAndEndThread(pointers);
}

// Faults in the engine's modules are reported before any system frame (a window procedure's
// caller) may swallow them.
LONG CALLBACK FirstChanceHandler(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (record.ExceptionCode == threadNamingCode) {
        NameThread(record);
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const bool fault = (record.ExceptionCode & 0xF0000000) == 0xC0000000 &&
                       record.ExceptionCode != EXCEPTION_STACK_OVERFLOW;
    if (!fault || !CarriesEngine(reinterpret_cast<uintptr_t>(record.ExceptionAddress)))
        return EXCEPTION_CONTINUE_SEARCH;
    return ReportUnhandledAndEndThread(pointers);
}

[[noreturn]] void OnTerminate()
{
    ExceptionArguments arguments;
    arguments.message = "Abnormal program termination";
    arguments.continuable = false;
    arguments.origin = 2;
    ProcessException(arguments);
    if (previousTerminate)
        previousTerminate();
    std::abort();
}

void OnAbortSignal(int)
{
    ExceptionArguments arguments;
    arguments.message = "Runtime error";
    arguments.continuable = false;
    arguments.origin = 11;
    ProcessException(arguments);
}

bool OnClasslibException(const classlib::UnhandledException& report)
{
    using classlib::ExceptionPath;
    ExceptionArguments arguments;
    arguments.object = report.exception;
    arguments.relatedObject = reinterpret_cast<uintptr_t>(report.sender);
    switch (report.path) {
        case ExceptionPath::Application:
            arguments.origin = 5;
            if (HWND capture = GetCapture())
                SendMessageA(capture, WM_CANCELMODE, 0, 0);
            break;
        case ExceptionPath::SynchronizedCall:
            arguments.origin = 10;
            break;
        case ExceptionPath::ThreadExecute:
            arguments.origin = 17;
            break;
    }
    ProcessException(arguments);
    return true;
}

void OnThreadCreated(classlib::TObject*, unsigned threadId, void* creatorAddress)
{
    SetThreadRecord(threadId, nullptr, creatorAddress ? nullptr : "", 0,
                    reinterpret_cast<uintptr_t>(creatorAddress), nullptr);
}

// The registers of a throw and a copy of its stack. `stackPosition` is the throwing routine's
// stack pointer after the call returns, `framePointer` its frame pointer.
void CaptureThrow(const void* object, const std::type_info* type, uintptr_t address,
                  uintptr_t stackPosition, uintptr_t framePointer)
{
    ThrowCapture& capture = throwCapture;
    // A throw inside the capture (its memory running out) is not recorded: the record being
    // made stays the thrower's.
    if (capture.capturing)
        return;
    lastRaise = {object, address, nullptr, nullptr};
    capture.pending = false;
    // Nothing more is captured while the engine does not run.
    if (!installed)
        return;
    capture.capturing = true;
    RtlCaptureContext(&capture.context);
#ifdef _WIN64
    capture.context.Rip = address;
    capture.context.Rsp = stackPosition;
    capture.context.Rbp = framePointer;
#else
    capture.context.Eip = static_cast<DWORD>(address);
    capture.context.Esp = static_cast<DWORD>(stackPosition);
    capture.context.Ebp = static_cast<DWORD>(framePointer);
#endif
    lastRaise.context = &capture.context;
    // From the thrower's stack position up to the top of the stack: the slots below belong to
    // the throw itself. The tracer reads 32-bit stacks only.
    const uintptr_t top = CurrentStackBase();
    if (stackPosition < top && framePointer <= UINT32_MAX) {
        const size_t size = top - stackPosition;
        // Out of memory, the engine's reserve makes room for the copy; when even that is not
        // enough, the part nearest the throw is kept.
        const bool outOfMemory = type != nullptr && *type == typeid(std::bad_alloc);
        if (outOfMemory)
            ReleaseMemoryReserve();
        try {
            if (capture.candidates.capacity() < preparedCapacity)
                capture.candidates.reserve(preparedCapacity);
            if (capture.stack.size() < size)
                capture.stack.resize((size + stackCopyStep - 1) / stackCopyStep * stackCopyStep);
        } catch (...) {
        }
        if (outOfMemory)
            CreateMemoryReserve();
        // The thread's own stack between its stack pointer and its base is committed.
        const size_t copied = std::min(size, capture.stack.size());
        if (copied >= 4) {
            std::memcpy(capture.stack.data(), reinterpret_cast<const void*>(stackPosition), copied);
            capture.stackBottom = static_cast<uint32_t>(stackPosition);
            capture.stackTop = static_cast<uint32_t>(stackPosition + copied);
            capture.framePointer = static_cast<uint32_t>(framePointer);
            capture.pending = true;
        }
    }
    capture.capturing = false;
}

} // namespace

const void* ThrownObjectOf(const std::exception_ptr& exception)
{
    return ThrownObject(exception);
}

RaiseRecord LastRaise()
{
    ThrowCapture& capture = throwCapture;
    if (capture.pending && !capture.capturing) {
        capture.pending = false;
        capture.capturing = true;
        if (CandidatesOfStackCopy(capture.framePointer, capture.stack.data(), capture.stackBottom,
                                  capture.stackTop, capture.candidates) > 0)
            lastRaise.preparedStack = &capture.candidates;
        capture.capturing = false;
    }
    return lastRaise;
}

void ClearLastRaise()
{
    lastRaise = {};
    throwCapture.pending = false;
}

void MarkReported(const void* thrownObject)
{
    if (!thrownObject)
        return;
    std::lock_guard<std::mutex> guard(reportedLock);
    reported.insert(thrownObject);
}

void InstallInterceptionPoints()
{
    if (InterlockedExchange(&installed, 1))
        return;
    classlibHook = classlib::AddExceptionHook(OnClasslibException);
    classlib::SetThreadCreatedHook(OnThreadCreated);
    previousFilter = SetUnhandledExceptionFilter(UnhandledFilter);
    vectoredHandler = AddVectoredExceptionHandler(1, FirstChanceHandler);
    previousTerminate = std::set_terminate(OnTerminate);
    previousAbortSignal = std::signal(SIGABRT, OnAbortSignal);
}

void RemoveInterceptionPoints()
{
    if (!InterlockedExchange(&installed, 0))
        return;
    classlib::RemoveExceptionHook(classlibHook);
    classlib::SetThreadCreatedHook(nullptr);
    SetUnhandledExceptionFilter(previousFilter);
    RemoveVectoredExceptionHandler(vectoredHandler);
    std::set_terminate(previousTerminate);
    std::signal(SIGABRT, previousAbortSignal == SIG_ERR ? SIG_DFL : previousAbortSignal);
}

} // namespace qor

// The C++ run time's throw and catch entries, wrapped at link time (--wrap): the throw records
// where it happened; the catch entries find the end of the last catch of an exception that
// was not thrown again (a hidden exception).
extern "C" {
[[noreturn]] void __real___cxa_throw(void* object, std::type_info* type, void (*destroy)(void*));
void* __real___cxa_begin_catch(void* header);
void __real___cxa_end_catch();
[[noreturn]] void __real___cxa_rethrow();
void __real___cxa_free_exception(void* object);

// Not inlined, so that its frame, return address and call frame are the throw's.
[[noreturn]] __attribute__((noinline)) void __wrap___cxa_throw(void* object, std::type_info* type,
                                                               void (*destroy)(void*))
{
    const auto address = reinterpret_cast<uintptr_t>(__builtin_return_address(0));
    // The thrower's stack pointer once the call has returned, and its frame pointer (saved at
    // the start of this frame).
    const auto stackPosition = reinterpret_cast<uintptr_t>(__builtin_dwarf_cfa());
    const auto framePointer = *static_cast<const uintptr_t*>(__builtin_frame_address(0));
    qor::CaptureThrow(object, type, address, stackPosition, framePointer);
    __real___cxa_throw(object, type, destroy);
}

void* __wrap___cxa_begin_catch(void* header)
{
    void* adjusted = __real___cxa_begin_catch(header);
    qor::CatchState& state = qor::catchState;
    const void* object = qor::ThrownObject(std::current_exception());
    if (state.depth < qor::caughtDepth)
        state.caught[state.depth] = object;
    ++state.depth;
    return adjusted;
}

[[noreturn]] void __wrap___cxa_rethrow()
{
    qor::CatchState& state = qor::catchState;
    if (state.depth > 0 && state.depth <= qor::caughtDepth)
        state.rethrown = state.caught[state.depth - 1];
    __real___cxa_rethrow();
}

void __wrap___cxa_end_catch()
{
    qor::CatchState& state = qor::catchState;
    if (state.depth > 0) {
        --state.depth;
        const void* object = state.depth < qor::caughtDepth ? state.caught[state.depth] : nullptr;
        bool last = object != nullptr && object != state.rethrown;
        for (int i = 0; last && i < state.depth && i < qor::caughtDepth; ++i)
            last = state.caught[i] != object;
        if (object == state.rethrown)
            state.rethrown = nullptr;
        // The engine's own capture work catches what it throws: no hidden exception.
        if (last && !state.reporting && !qor::throwCapture.capturing && qor::HasHiddenHandler() &&
            !qor::WasReported(object) && GetCurrentThreadId() != qor::ExceptionThreadId()) {
            state.reporting = true;
            qor::ExceptionArguments arguments;
            arguments.kind = qor::kindHidden;
            arguments.origin = 15;
            arguments.object = std::current_exception();
            if (qor::lastRaise.object == object)
                arguments.address = qor::lastRaise.address;
            qor::ProcessException(arguments);
            state.reporting = false;
        }
    }
    __real___cxa_end_catch();
}

void __wrap___cxa_free_exception(void* object)
{
    qor::Forget(object);
    if (qor::lastRaise.object == object)
        qor::ClearLastRaise();
    __real___cxa_free_exception(object);
}
}
