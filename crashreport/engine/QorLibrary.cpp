#include "QorLibrary.h"

#include <windows.h>

#include <vector>

#include "QorHandlers.h"
#include "QorInterception.h"
#include "QorPatching.h"
#include "QorPipeline.h"
#include "QorSettings.h"
#include "QorThreadHold.h"
#include "QorThreadRegistry.h"
#include "QorThreadWrappers.h"
#include "QorWatchdog.h"

namespace qor {

namespace {

bool registryOpen = false;
bool running = false;
int64_t startTime = 0;

// The process's main thread without the shared registry: the first thread the system lists.
uint32_t FirstListedThread()
{
    std::vector<uint32_t> threads;
    ListProcessThreads(threads);
    return threads.empty() ? GetCurrentThreadId() : threads.front();
}

// The registry cannot be had: nothing of the engine can run, and the process must not go on
// as if it had one. A failure code, so that the end does not read as success.
[[noreturn]] void EndWithInternalError()
{
    MessageBoxA(nullptr, "internal error (opening global buffer)", "qorExcept",
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
}

int64_t PerformanceMilliseconds()
{
    LARGE_INTEGER counter, frequency;
    if (!QueryPerformanceCounter(&counter) || !QueryPerformanceFrequency(&frequency) ||
        frequency.QuadPart < 1000)
        return 0;
    return counter.QuadPart / (frequency.QuadPart / 1000);
}

} // namespace

int64_t LibraryStartTime()
{
    return startTime;
}

void StartLibrary()
{
    if (registryOpen || running)
        return;
    try {
        startTime = PerformanceMilliseconds();
        const IQEModuleSettings settings = ModuleSettings(EngineModule());
        SetLibrarySettings(settings);
        if (!settings->HasSettings()) {
            SetProcessMainThreadId(FirstListedThread());
            SetLibrarySettings(nullptr);
            return;
        }
        uint32_t mainThreadId = 0;
        if (!OpenThreadNameBuffer(mainThreadId))
            EndWithInternalError();
        registryOpen = true;
        SetProcessMainThreadId(mainThreadId);
        if (!settings->BoolProp("Enabled"))
            return;
        running = true;
        InstallInterceptionPoints();
        StartExceptionThread();
        StartHandlerDispatch();
        if (EngineModule() == GetModuleHandleA(nullptr))
            InstallThreadWrappers();
        if (settings->BoolProp("CheckFreeze"))
            StartFreezeWatchdog(static_cast<uint32_t>(settings->IntProp("FreezeTimeout")));
        CreateMemoryReserve();
    } catch (...) {
        // Start-up reports nothing: a partly started engine is taken down by StopLibrary.
    }
}

void StopLibrary()
{
    try {
        if (running) {
            running = false;
            RemoveInterceptionPoints();
            UndoAllPatches();
            StopFreezeWatchdog();
            RemoveMessageHooks();
            RemoveThreadWrappers();
            StopHandlerDispatch();
            StopExceptionThread();
        }
        if (registryOpen) {
            registryOpen = false;
            CloseThreadNameBuffer();
        }
        EndThreadHold();
        ReleaseMemoryReserve();
    } catch (...) {
    }
    SetLibrarySettings(nullptr);
}

} // namespace qor
