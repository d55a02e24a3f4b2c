#include "QorPipeline.h"
#include "QorThreadRegistry.h"

#include <array>
#include <memory>

#include "core/Exceptions.h"
#include "QorHandlers.h"
#include "QorInterception.h"
#include "QorLoaderLock.h"
#include "QorReport.h"
#include "QorRestart.h"
#include "QorThreadHold.h"
#include "QorWatchdog.h"
#include "StackTracerWin32.h"

namespace qor {

namespace {

// What a request's object slot points to: owned by the request, so that a caller whose wait a
// quit message ended early leaves nothing behind that the handling thread still reads.
struct RequestPayload {
    std::exception_ptr object;
    std::string message;
    CONTEXT context;
    bool hasContext = false;
    TDAPreStackList preparedStack; // entry 0 holds the number of candidates
};

HANDLE pipeRead = nullptr;
HANDLE pipeWrite = nullptr;
HANDLE handlingThread = nullptr;
volatile DWORD handlingThreadId = 0;
volatile DWORD mainThreadId = 0;
ExceptionTimeRing timeRing{};
std::array<void*, 8> memoryReserve{};

constexpr SIZE_T reservedRegion = 0x400000;
constexpr SIZE_T committedRegion = 0x80000;

bool IsAbort(const std::exception_ptr& object)
{
    if (!object)
        return false;
    try {
        std::rethrow_exception(object);
    } catch (const classlib::EAbort&) {
        return true;
    } catch (...) {
        return false;
    }
}

std::string MessageOf(const std::exception_ptr& object)
{
    try {
        std::rethrow_exception(object);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "Unknown exception";
    }
}

bool WriteRequest(const ExceptionRequest& request)
{
    DWORD written = 0;
    return pipeWrite && WriteFile(pipeWrite, &request, sizeof request, &written, nullptr) &&
           written == sizeof request;
}

// The main thread keeps its window messages flowing while it waits; a quit message ends the
// wait and is posted again for the program's own loop.
void PumpUntilSet(HANDLE event)
{
    while (WaitForSingleObject(event, 0) != WAIT_OBJECT_0) {
        MSG message{};
        const BOOL result = GetMessageA(&message, nullptr, 0, 0);
        if (result == 0 || result == -1) {
            PostQuitMessage(result == 0 ? static_cast<int>(message.wParam) : 0);
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void RunActionHandlers(uint8_t action, IQEException& exception)
{
    bool handled = false; // its value is not used: the action takes place anyway
    DispatchHandlers(eventAction, action, handled, exception);
}

DWORD WINAPI ExceptionThreadProc(void*)
{
    for (;;) {
        ExceptionRequest request;
        DWORD read = 0;
        if (!ReadFile(pipeRead, &request, sizeof request, &read, nullptr) ||
            request.IsStopRequest())
            break;
        if (read != sizeof request)
            continue;
        HandleQueuedException(request);
        // The request carries the handling thread's own copy of the event.
        const HANDLE event = reinterpret_cast<HANDLE>(request.event);
        SetEvent(event);
        CloseHandle(event);
        PostThreadMessageA(static_cast<DWORD>(request.callerThreadId), WM_NULL, 0, 0);
    }
    return 0;
}

} // namespace

uint32_t ProcessMainThreadId()
{
    return mainThreadId;
}

void SetProcessMainThreadId(uint32_t threadId)
{
    mainThreadId = threadId;
}

ExceptionTimeRing& EngineTimeRing()
{
    return timeRing;
}

uint32_t ExceptionThreadId()
{
    return handlingThreadId;
}

void CreateMemoryReserve()
{
    for (size_t i = 0; i < memoryReserve.size(); ++i) {
        if (memoryReserve[i])
            continue;
        memoryReserve[i] =
            i < 4 ? VirtualAlloc(nullptr, reservedRegion, MEM_RESERVE, PAGE_NOACCESS)
                  : VirtualAlloc(nullptr, committedRegion, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    }
}

void ReleaseMemoryReserve()
{
    for (void*& region : memoryReserve) {
        if (region)
            VirtualFree(region, 0, MEM_RELEASE);
        region = nullptr;
    }
}

void StartExceptionThread()
{
    if (handlingThread || !CreatePipe(&pipeRead, &pipeWrite, nullptr, 0))
        return;
    DWORD id = 0;
    handlingThread = CreateThread(nullptr, 0, ExceptionThreadProc, nullptr, 0, &id);
    if (!handlingThread) {
        CloseHandle(pipeRead);
        CloseHandle(pipeWrite);
        pipeRead = pipeWrite = nullptr;
        return;
    }
    handlingThreadId = id;
    SetThreadRecord(id, handlingThread, "-", 0, 0, nullptr);
    SetThreadPriority(handlingThread, THREAD_PRIORITY_HIGHEST);
}

void StopExceptionThread()
{
    if (!handlingThread)
        return;
    ResumeThread(handlingThread);
    if (!LoaderLockHeld(0)) {
        WriteRequest(ExceptionRequest{});
        CloseHandle(pipeWrite);
        WaitForSingleObject(handlingThread, 500);
    } else {
        CloseHandle(pipeWrite);
    }
    pipeWrite = nullptr;
    if (WaitForSingleObject(handlingThread, 50) != WAIT_OBJECT_0)
        TerminateThread(handlingThread, 0);
    CloseHandle(handlingThread);
    CloseHandle(pipeRead);
    SetThreadRecord(handlingThreadId, nullptr, nullptr, 0, 0, nullptr);
    handlingThread = pipeRead = nullptr;
    handlingThreadId = 0;
}

void ProcessException(const ExceptionArguments& arguments)
{
    try {
        const DWORD self = GetCurrentThreadId();
        if (self == handlingThreadId)
            return;
        if (HandlersRunInMainThread() && self == mainThreadId)
            return;
        ReleaseMemoryReserve();

        auto payload = std::make_unique<RequestPayload>();
        payload->object = arguments.object ? arguments.object : std::current_exception();
        payload->message = arguments.message;
        if (IsAbort(payload->object)) {
            if (!arguments.continuable)
                CloseProcessNow();
            CreateMemoryReserve();
            return;
        }
        if (payload->message.empty() && payload->object)
            payload->message = MessageOf(payload->object);
        const void* thrown = ThrownObjectOf(payload->object);
        uintptr_t address = arguments.address;
        const RaiseRecord raise = LastRaise();
        if (!address && thrown && raise.object == thrown)
            address = raise.address;
        if (arguments.context) {
            payload->context = *arguments.context;
            payload->hasContext = true;
        }
        // The registers and stack candidates captured at the throw of this very exception.
        if (thrown && raise.object == thrown && raise.address == address) {
            if (!payload->hasContext && raise.context) {
                payload->context = *raise.context;
                payload->hasContext = true;
            }
            if (raise.preparedStack)
                payload->preparedStack = *raise.preparedStack;
        }

        ExceptionRequest request;
        request.callerThreadId = self;
        request.kind = arguments.kind;
        request.exceptAddress = address;
        request.continuable = arguments.continuable ? 1 : 0;
        request.stackPointer = arguments.stackPointer;
        request.framePointer = arguments.framePointer;
        if (!request.stackPointer)
            request.stackPointer = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
        if (!request.framePointer)
            request.framePointer = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
        if (payload->hasContext) {
            request.context = reinterpret_cast<uintptr_t>(&payload->context);
#ifdef _WIN64
            const uintptr_t ip = payload->context.Rip, sp = payload->context.Rsp,
                            fp = payload->context.Rbp;
#else
            const uintptr_t ip = payload->context.Eip, sp = payload->context.Esp,
                            fp = payload->context.Ebp;
#endif
            if (address >= ip && address - ip <= 4) {
                request.stackPointer = sp;
                request.framePointer = fp;
            }
        }
        request.origin = arguments.origin;
        request.relatedObject = arguments.relatedObject;
        request.packageHandle = arguments.packageHandle;
        if (!payload->preparedStack.empty())
            request.preparedStack = reinterpret_cast<uintptr_t>(&payload->preparedStack);
        request.exceptObject = reinterpret_cast<uintptr_t>(payload.get());

        HANDLE event = nullptr;
        HANDLE handlersCopy = nullptr;
        if (!LoaderLockHeld(250)) {
            event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            // The handling thread sets and closes its own copy, so the caller may let go of
            // its handle at any time (a quit message ends the wait early).
            if (event && !DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(),
                                          &handlersCopy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
                CloseHandle(event);
                event = nullptr;
            }
        }

        HoldFreezeCheck(true);
        if (event) {
            request.event = reinterpret_cast<uintptr_t>(handlersCopy);
            payload.release(); // the handling thread frees it
            if (WriteRequest(request)) {
                if (self == mainThreadId)
                    PumpUntilSet(event);
                else
                    WaitForSingleObject(event, INFINITE);
            } else {
                delete reinterpret_cast<RequestPayload*>(request.exceptObject);
                CloseHandle(handlersCopy);
            }
            CloseHandle(event);
        } else {
            payload.release();
            HandleQueuedException(request);
        }
        HoldFreezeCheck(false);
        ClearLastRaise();
        // Kept beside the object instead of in it: the hidden path skips what was reported.
        MarkReported(thrown);
        CreateMemoryReserve();
    } catch (...) {
        // The engine never raises to the code it intercepts.
    }
}

void HandleQueuedException(const ExceptionRequest& request)
{
    std::unique_ptr<RequestPayload> payload(
        reinterpret_cast<RequestPayload*>(request.exceptObject));
    bool holding = false;
    try {
        ExceptionObjectArguments arguments;
        arguments.kind = static_cast<uint8_t>(request.kind);
        arguments.origin = static_cast<uint8_t>(request.origin);
        arguments.continuable = request.continuable != 0;
        arguments.faultingThreadId = static_cast<uint32_t>(request.callerThreadId);
        // An address 4 bytes short of a place of its routine's code is moved there (an abort's
        // address is left alone).
        arguments.address = payload && IsAbort(payload->object)
                                ? request.exceptAddress
                                : CorrectExceptAddress(request.exceptAddress);
        arguments.associatedObject = request.relatedObject;
        arguments.packageHandle = request.packageHandle;
        arguments.stackPosition = request.stackPointer;
        arguments.framePointer = request.framePointer;
        if (payload) {
            arguments.object = payload->object;
            arguments.message = payload->message;
            if (payload->hasContext)
                arguments.context = &payload->context;
            arguments.preparedStack = payload->preparedStack;
        }
        const std::shared_ptr<TIQEException> report = CreateExceptionObject(arguments);
        TIQEException& exception = *report;
        exception.SetStage(1);

        bool handled = false;
        if (exception.ReportKind() == kindHidden) {
            handled = true;
            DispatchHandlers(eventHidden, 0, handled, exception);
        } else {
            EnterExceptionTime(timeRing, SecondsNow());
        }
        if (!handled)
            DispatchHandlers(eventException, 0, handled, exception);
        exception.SetStage(2);
        if (handled)
            return;

        holding = exception.ReportKind() != kindFrozen && exception.BoolProp("PauseThreads");
        if (holding)
            HoldThreads(true, 0);
        DispatchHandlers(eventException, 0, handled, exception);
        exception.SetStage(3);
        if (!handled)
            DispatchHandlers(eventException, 0, handled, exception);

        if (!(handled && exception.Continuable())) {
            // No presentation is linked into the engine yet: every exception takes the way of
            // the display mode that shows nothing, through the automatic buttons.
            const AutomaticEnd end = ChooseAutomaticEnd(
                exception.Continuable(), static_cast<uint32_t>(exception.IntProp("AutoRestart")),
                static_cast<uint32_t>(exception.IntProp("AutoClose")), timeRing, SecondsNow());
            if (end == AutomaticEnd::Close) {
                RunActionHandlers(actionClose, exception);
                CloseProcessNow();
            } else if (end == AutomaticEnd::Restart) {
                RunActionHandlers(actionRestart, exception);
                RestartProcess();
            } else {
                RunActionHandlers(actionContinue, exception);
            }
        }
        ResetFreezeMisses();
    } catch (...) {
        // A failure while handling stays inside the engine.
    }
    if (holding)
        HoldThreads(false, 0);
}

} // namespace qor
