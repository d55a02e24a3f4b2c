#include "QorWatchdog.h"

#include <windows.h>

#include <algorithm>

#include "QorPatching.h"
#include "QorPipeline.h"
#include "QorThreadRegistry.h"

namespace qor {

namespace {

constexpr UINT pingMessage = WM_APP + 0x3A2;
constexpr WPARAM pingAnswer = 777;
constexpr int missesPerReport = 10;
constexpr const char* pingClass = "qorExceptFreezePing";
constexpr uint32_t minimumFreezeTimeout = 1000;

HWND pingWindow = nullptr;
HANDLE watchdogThread = nullptr;
volatile DWORD watchdogThreadId = 0;
HANDLE stopEvent = nullptr;
HANDLE triedEvent = nullptr; // set once the new watchdog has tried the mutex
uint32_t timeout = 0;
volatile LONG misses = 0;
volatile LONG pauseCount = -1;
HANDLE pauseEvent = nullptr; // exists only while paused

LRESULT CALLBACK PingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != pingMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    if (wParam && IsWindow(reinterpret_cast<HWND>(wParam)))
        PostMessageA(reinterpret_cast<HWND>(wParam), WM_NULL, pingAnswer, pingAnswer);
    else
        PostThreadMessageA(watchdogThreadId, WM_NULL, pingAnswer, pingAnswer);
    return pingAnswer;
}

bool PingAnswered()
{
    bool answered = false;
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        if (!message.hwnd && message.message == WM_NULL && message.wParam == pingAnswer &&
            message.lParam == static_cast<LPARAM>(pingAnswer))
            answered = true;
    return answered;
}

// Sleeps, and returns false when the stop event ended the sleep.
bool Sleeping(DWORD milliseconds)
{
    return WaitForSingleObject(stopEvent, milliseconds) == WAIT_TIMEOUT;
}

DWORD WINAPI FreezeWatchdogThread(void*)
{
    MSG message{};
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue for the answers
    // One watchdog per process: the one running holds the first mutex of the shared thread
    // registry, which every engine copy of the process sees; a second copy's watchdog waits
    // here until the first one ends. The mutex belongs to the registry, which closes it.
    const ThreadNameBuffer* registry = SharedThreadNameBuffer();
    const HANDLE unique = registry ? registry->WatchdogMutex : nullptr;
    const HANDLE waits[2] = {stopEvent, unique};
    if (!unique) {
        SetEvent(triedEvent);
        return 0;
    }
    // The first try is reported to the starting thread, so that of two copies started one
    // after the other the first one's watchdog is the one that runs.
    DWORD waited = WaitForSingleObject(unique, 0);
    SetEvent(triedEvent);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED_0)
        waited += 1;
    else
        waited = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    // An abandoned mutex (its holder's thread ended without letting go) is held all the same.
    if (waited != WAIT_OBJECT_0 + 1 && waited != WAIT_ABANDONED_0 + 1)
        return 0;
    DWORD interval = timeout / 10;
    for (;;) {
        if (HANDLE pause = pauseEvent) {
            const HANDLE pauseWaits[2] = {stopEvent, pause};
            if (WaitForMultipleObjects(2, pauseWaits, FALSE, INFINITE) == WAIT_OBJECT_0)
                break;
        }
        PostMessageA(pingWindow, pingMessage, 0, 0);
        if (!Sleeping(interval))
            break;
        if (PingAnswered()) {
            InterlockedExchange(&misses, 0);
            interval = timeout / 10;
        } else if (InterlockedIncrement(&misses) >= missesPerReport) {
            ExceptionArguments frozen;
            frozen.kind = kindFrozen;
            frozen.origin = 1;
            ProcessException(frozen);
            InterlockedExchange(&misses, 0);
            interval += interval / 2;
        }
    }
    ReleaseMutex(unique);
    return 0;
}

} // namespace

void StartFreezeWatchdog(uint32_t freezeTimeout)
{
    if (pingWindow)
        return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PingWindowProc;
    // The class of this copy of the engine: another module that carries the engine registers
    // the same name with its own window procedure.
    windowClass.hInstance = EngineModule();
    windowClass.lpszClassName = pingClass;
    RegisterClassA(&windowClass);
    pingWindow = CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
    if (!pingWindow)
        return;
    // A time-out under a second would ping without pause and report any busy moment.
    timeout = std::max(freezeTimeout, minimumFreezeTimeout);
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    triedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    watchdogThread = CreateThread(nullptr, 0, FreezeWatchdogThread, nullptr, 0, &id);
    watchdogThreadId = id;
    SetThreadRecord(id, watchdogThread, "-", 0, 0, nullptr);
    SetThreadPriority(watchdogThread, THREAD_PRIORITY_HIGHEST);
    // Until it has tried the mutex (or could not start).
    const HANDLE started[2] = {triedEvent, watchdogThread};
    if (watchdogThread)
        WaitForMultipleObjects(2, started, FALSE, INFINITE);
    CloseHandle(triedEvent);
    triedEvent = nullptr;
}

void StopFreezeWatchdog()
{
    if (!pingWindow)
        return;
    if (pauseEvent) {
        SetEvent(pauseEvent);
        CloseHandle(pauseEvent);
        pauseEvent = nullptr;
    }
    pauseCount = -1;
    // Stopped by its event, so that it lets go of the mutex that keeps it unique.
    SetEvent(stopEvent);
    WaitForSingleObject(watchdogThread, INFINITE);
    CloseHandle(watchdogThread);
    CloseHandle(stopEvent);
    SetThreadRecord(watchdogThreadId, nullptr, nullptr, 0, 0, nullptr);
    DestroyWindow(pingWindow);
    UnregisterClassA(pingClass, EngineModule());
    watchdogThread = stopEvent = nullptr;
    watchdogThreadId = 0;
    pingWindow = nullptr;
}

void HoldFreezeCheck(bool pause)
{
    if (!watchdogThread || GetCurrentThreadId() == watchdogThreadId)
        return;
    if (pause) {
        InterlockedExchange(&misses, 0);
        if (InterlockedIncrement(&pauseCount) == 0)
            pauseEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    } else {
        if (InterlockedDecrement(&pauseCount) < 0 && pauseEvent) {
            HANDLE event = pauseEvent;
            pauseEvent = nullptr;
            SetEvent(event);
            CloseHandle(event);
        }
        InterlockedExchange(&misses, 0);
    }
}

void ResetFreezeMisses()
{
    InterlockedExchange(&misses, 0);
}

uint32_t FreezeWatchdogThreadId()
{
    return watchdogThreadId;
}

} // namespace qor
