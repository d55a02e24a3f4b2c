#include "QorHandlers.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "QorPatching.h"
#include "QorPipeline.h"
#include "QorThreadHold.h"

namespace qor {

namespace {

struct HandlerEntry {
    DispatchEvent event;
    SyncMode mode;
    uint8_t stage; // exception handlers only
    ExceptionHandlerProc exceptionHandler;
    ActionHandlerProc actionHandler;
    // The method form: object and method instead of a procedure.
    void* object;
    ExceptionHandlerMethod exceptionMethod;
    ActionHandlerMethod actionMethod;

    bool MethodForm() const { return exceptionMethod != nullptr || actionMethod != nullptr; }
    void Call(uint8_t action, IQEException& exception, bool& handled) const
    {
        if (actionMethod)
            actionMethod(object, action, exception, handled);
        else if (exceptionMethod)
            exceptionMethod(object, exception, handled);
        else if (actionHandler)
            actionHandler(action, exception, handled);
        else
            exceptionHandler(exception, handled);
    }
};

struct DispatchRecord {
    DispatchEvent event;
    uint8_t action;
    IQEException* exception;
    bool handled;
    bool callSynchronised;
    bool synchronisationFailed;
};

constexpr LRESULT dispatchAnswer = 777;
constexpr UINT probeTimeout = 1500;
constexpr UINT callTimeout = 0x7FFFFFFE;
constexpr UINT dispatchMessage = WM_APP + 0x3A1;
constexpr const char* dispatchClass = "qorExceptDispatch";

std::mutex handlerLock;
std::vector<HandlerEntry> handlers;
HWND dispatchWindow = nullptr;
volatile LONG mainThreadRunsHandlers = 0;

std::vector<HandlerEntry> HandlersOf(DispatchEvent event)
{
    std::lock_guard<std::mutex> guard(handlerLock);
    std::vector<HandlerEntry> copy;
    for (const HandlerEntry& entry : handlers)
        if (entry.event == event)
            copy.push_back(entry);
    return copy;
}

bool Applies(const HandlerEntry& entry, const DispatchRecord& record)
{
    if (entry.event == eventException && entry.stage != record.exception->Stage())
        return false;
    if ((entry.mode != syncNone) != record.callSynchronised)
        return false;
    return !record.synchronisationFailed || entry.mode == syncMainOrCurrent;
}

bool RunHandlerLists(DispatchRecord& record)
{
    const bool onMainThread = GetCurrentThreadId() == ProcessMainThreadId();
    if (onMainThread)
        InterlockedExchange(&mainThreadRunsHandlers, 1);
    bool called = false;
    const bool lateStage = record.event == eventException && record.exception->Stage() >= 3;
    const std::vector<HandlerEntry> entries = HandlersOf(record.event);
    const auto walk = [&](bool methodForm) {
        for (const HandlerEntry& entry : entries) {
            if (entry.MethodForm() != methodForm || !Applies(entry, record))
                continue;
            // At stages 1 and 2 and for actions the first handler that takes the exception over
            // ends the walk; late handlers and hidden handlers are all called.
            if (record.handled && record.event != eventHidden && !lateStage)
                break;
            called = true;
            try {
                entry.Call(record.action, *record.exception, record.handled);
            } catch (...) {
                // A failing handler must not keep the others from running.
            }
        }
    };
    walk(true);
    if (!record.handled || record.event == eventHidden)
        walk(false);
    if (lateStage)
        record.handled = false;
    if (onMainThread)
        InterlockedExchange(&mainThreadRunsHandlers, 0);
    return called;
}

bool NeedsMainThread(const DispatchRecord& record)
{
    for (const HandlerEntry& entry : HandlersOf(record.event))
        if (entry.mode != syncNone &&
            (entry.event != eventException || entry.stage == record.exception->Stage()))
            return true;
    return false;
}

LRESULT CALLBACK DispatchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != dispatchMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    PauseIfHeld();
    if (wParam == 0 && lParam != 0)
        RunHandlerLists(*reinterpret_cast<DispatchRecord*>(lParam));
    return dispatchAnswer;
}

void Register(const HandlerEntry& entry)
{
    std::lock_guard<std::mutex> guard(handlerLock);
    handlers.push_back(entry);
}

template <class Proc>
void Unregister(DispatchEvent event, Proc HandlerEntry::*field, Proc handler,
                void* object = nullptr)
{
    std::lock_guard<std::mutex> guard(handlerLock);
    handlers.erase(std::remove_if(handlers.begin(), handlers.end(),
                                  [&](const HandlerEntry& entry) {
                                      return entry.event == event && entry.*field == handler &&
                                             entry.object == object;
                                  }),
                   handlers.end());
}

} // namespace

void RegisterExceptionHandler(ExceptionHandlerProc handler, SyncMode mode, uint8_t stage)
{
    Register({eventException, mode, stage, handler, nullptr, nullptr, nullptr, nullptr});
}

void UnregisterExceptionHandler(ExceptionHandlerProc handler)
{
    Unregister(eventException, &HandlerEntry::exceptionHandler, handler);
}

void RegisterActionHandler(ActionHandlerProc handler, SyncMode mode)
{
    Register({eventAction, mode, 0, nullptr, handler, nullptr, nullptr, nullptr});
}

void UnregisterActionHandler(ActionHandlerProc handler)
{
    Unregister(eventAction, &HandlerEntry::actionHandler, handler);
}

void RegisterHiddenHandler(ExceptionHandlerProc handler, SyncMode mode)
{
    Register({eventHidden, mode, 0, handler, nullptr, nullptr, nullptr, nullptr});
}

void UnregisterHiddenHandler(ExceptionHandlerProc handler)
{
    Unregister(eventHidden, &HandlerEntry::exceptionHandler, handler);
}

void RegisterExceptionHandler(void* object, ExceptionHandlerMethod method, SyncMode mode,
                              uint8_t stage)
{
    Register({eventException, mode, stage, nullptr, nullptr, object, method, nullptr});
}

void UnregisterExceptionHandler(void* object, ExceptionHandlerMethod method)
{
    Unregister(eventException, &HandlerEntry::exceptionMethod, method, object);
}

void RegisterActionHandler(void* object, ActionHandlerMethod method, SyncMode mode)
{
    Register({eventAction, mode, 0, nullptr, nullptr, object, nullptr, method});
}

void UnregisterActionHandler(void* object, ActionHandlerMethod method)
{
    Unregister(eventAction, &HandlerEntry::actionMethod, method, object);
}

void RegisterHiddenHandler(void* object, ExceptionHandlerMethod method, SyncMode mode)
{
    Register({eventHidden, mode, 0, nullptr, nullptr, object, method, nullptr});
}

void UnregisterHiddenHandler(void* object, ExceptionHandlerMethod method)
{
    Unregister(eventHidden, &HandlerEntry::exceptionMethod, method, object);
}

bool HasHiddenHandler()
{
    std::lock_guard<std::mutex> guard(handlerLock);
    return std::any_of(handlers.begin(), handlers.end(),
                       [](const HandlerEntry& entry) { return entry.event == eventHidden; });
}

void StartHandlerDispatch()
{
    if (dispatchWindow)
        return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DispatchWindowProc;
    // The class of this copy of the engine: another module that carries the engine registers
    // the same name with its own window procedure and handler lists.
    windowClass.hInstance = EngineModule();
    windowClass.lpszClassName = dispatchClass;
    RegisterClassA(&windowClass);
    dispatchWindow = CreateWindowA(dispatchClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
}

void StopHandlerDispatch()
{
    if (dispatchWindow) {
        DestroyWindow(dispatchWindow);
        UnregisterClassA(dispatchClass, EngineModule());
    }
    dispatchWindow = nullptr;
}

uintptr_t HandlerDispatchWindow()
{
    return reinterpret_cast<uintptr_t>(dispatchWindow);
}

unsigned HandlerDispatchMessageNumber()
{
    return dispatchMessage;
}

bool HandlersRunInMainThread()
{
    return InterlockedCompareExchange(&mainThreadRunsHandlers, 0, 0) != 0;
}

void DispatchHandlers(DispatchEvent event, uint8_t action, bool& handled, IQEException& exception)
{
    DispatchRecord record{event, action, &exception, handled, false, false};
    bool called = false;
    if (exception.RunsHandlers())
        called = RunHandlerLists(record);
    if ((!record.handled || !called) && dispatchWindow && NeedsMainThread(record)) {
        record.callSynchronised = true;
        bool done = false;
        if (exception.ReportKind() != kindFrozen) {
            const bool released = UnblockMainThread();
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutA(dispatchWindow, dispatchMessage, 1, 0, SMTO_NORMAL,
                                    probeTimeout, &answer) &&
                answer == dispatchAnswer) {
                answer = 0;
                done = SendMessageTimeoutA(dispatchWindow, dispatchMessage, 0,
                                           reinterpret_cast<LPARAM>(&record), SMTO_NORMAL,
                                           callTimeout, &answer) &&
                       answer == dispatchAnswer;
            }
            if (released)
                BlockMainThread();
        }
        if (!done) {
            record.synchronisationFailed = true;
            RunHandlerLists(record);
        }
    }
    handled = record.handled;
}

} // namespace qor
